// The capture tool's progress on stderr once a run has taken over a second:
// one line redrawn in place on a terminal, a fresh line every few seconds
// otherwise (so that CI logs still show it).
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

namespace Sorva {

class ProgressLine {
public:
    using Clock = std::chrono::steady_clock;

    // terminal: whether out is a terminal (redrawn in place).
    ProgressLine(std::FILE* out, bool terminal);

    // After each frame: frames done of total; prints when due.
    void update(std::int64_t done, std::int64_t total, const char* phase);
    // Ends the line on a terminal, if one was drawn.
    void finish();

    // "rendering 120/600 frames (20%)  4.8 fps  1:40 left".
    static std::string format(const char* phase, std::int64_t done, std::int64_t total,
                              double elapsedSeconds);
    // "0:07", "1:40", "1:02:03".
    static std::string duration(double seconds);

private:
    std::FILE* out_;
    bool terminal_;
    Clock::time_point start_;
    Clock::time_point lastPrint_;
    bool printed_ = false;
    std::size_t lastLength_ = 0;
};

} // namespace Sorva
