// Keeps what shader building prints on stdout out of the benchmark's report.
#pragma once

#include <cstdio>
#include <unistd.h>

// Sends what the passes print on stdout to a temporary file, deleted at once,
// while alive (a file, so that it works alike wherever the null device is).
class QuietStdout {
public:
    QuietStdout() : sink_(std::tmpfile()) {
        std::fflush(stdout);
        saved_ = ::dup(1);
        if (sink_)
            ::dup2(::fileno(sink_), 1);
    }
    ~QuietStdout() {
        std::fflush(stdout);
        ::dup2(saved_, 1);
        ::close(saved_);
        if (sink_)
            std::fclose(sink_);
    }
    QuietStdout(const QuietStdout&) = delete;
    QuietStdout& operator=(const QuietStdout&) = delete;

private:
    std::FILE* sink_;
    int saved_;
};
