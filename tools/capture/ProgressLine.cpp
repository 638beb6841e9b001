// Progress text and when to print it.
#include "tools/capture/ProgressLine.h"

#include <cmath>

namespace Sorva {

namespace {

constexpr double quiet = 1.0; // seconds before anything is printed
constexpr double terminalPeriod = 0.25;
constexpr double logPeriod = 5.0;

double seconds(ProgressLine::Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

} // namespace

ProgressLine::ProgressLine(std::FILE* out, bool terminal)
    : out_(out), terminal_(terminal), start_(Clock::now()), lastPrint_(start_) {}

std::string ProgressLine::duration(double seconds) {
    const long long total = std::llround(std::max(seconds, 0.0));
    const long long h = total / 3600, m = total / 60 % 60, s = total % 60;
    char text[32];
    if (h > 0)
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", h, m, s);
    else
        std::snprintf(text, sizeof text, "%lld:%02lld", m, s);
    return text;
}

std::string ProgressLine::format(const char* phase, std::int64_t done, std::int64_t total,
                                 double elapsedSeconds) {
    const double fps = elapsedSeconds > 0.0 ? static_cast<double>(done) / elapsedSeconds : 0.0;
    const int percent = total > 0 ? static_cast<int>(100 * done / total) : 100;
    char text[160];
    std::snprintf(text, sizeof text, "%s %lld/%lld frames (%d%%)  %.1f fps  %s left", phase,
                  static_cast<long long>(done), static_cast<long long>(total), percent, fps,
                  fps > 0.0 ? duration(static_cast<double>(total - done) / fps).c_str() : "?");
    return text;
}

void ProgressLine::update(std::int64_t done, std::int64_t total, const char* phase) {
    const Clock::time_point now = Clock::now();
    const double elapsed = seconds(now - start_);
    if (elapsed < quiet)
        return;
    const bool last = done >= total;
    if (printed_ && !last && seconds(now - lastPrint_) < (terminal_ ? terminalPeriod : logPeriod))
        return;
    const std::string text = format(phase, done, total, elapsed);
    if (terminal_) {
        // Blanks cover the rest of a longer previous line.
        const std::size_t pad = lastLength_ > text.size() ? lastLength_ - text.size() : 0;
        std::fprintf(out_, "\r%s%*s", text.c_str(), static_cast<int>(pad), "");
        lastLength_ = text.size();
    } else {
        std::fprintf(out_, "%s\n", text.c_str());
    }
    std::fflush(out_);
    printed_ = true;
    lastPrint_ = now;
}

void ProgressLine::finish() {
    if (terminal_ && printed_) {
        std::fputc('\n', out_);
        std::fflush(out_);
    }
    printed_ = false;
}

} // namespace Sorva
