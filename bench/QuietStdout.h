// Keeps what shader building prints on stdout out of the benchmark's report.
#pragma once

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

// Sends what the passes print on stdout to /dev/null while alive.
class QuietStdout {
public:
    QuietStdout() {
        std::fflush(stdout);
        saved_ = ::dup(1);
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        ::close(null);
    }
    ~QuietStdout() {
        std::fflush(stdout);
        ::dup2(saved_, 1);
        ::close(saved_);
    }
    QuietStdout(const QuietStdout&) = delete;
    QuietStdout& operator=(const QuietStdout&) = delete;

private:
    int saved_;
};
