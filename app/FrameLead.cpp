// The frame routine's prediction of when its picture is seen.
#include "app/FrameLead.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>

namespace Sorva {

namespace {

double secondsBetween(FrameLead::Clock::time_point from, FrameLead::Clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

} // namespace

bool FrameLead::enabledByEnvironment() {
    const char* value = std::getenv("HALVO_PICTURE_LEAD");
    return !(value && std::string_view(value) == "off");
}

double FrameLead::beginFrame(Clock::time_point now) {
    const Clock::time_point previous = startedAt_;
    const bool hadFrame = started_;
    startedAt_ = now;
    started_ = true;
    if (!enabled_ || toScreenCount_ == 0)
        return lead_ = 0.0;

    // Seen from its swap until the next one: aim at the middle of that.
    const double period = periodCount_ > 0 ? median(periods_, periodCount_) : 0.0;
    double lead = std::min(median(toScreen_, toScreenCount_) + period / 2.0, maxSeconds);
    if (hadFrame)
        lead = std::max(lead, lead_ - secondsBetween(previous, now) / 2.0);
    return lead_ = std::max(lead, 0.0);
}

void FrameLead::frameShown(Clock::time_point now) {
    if (!started_)
        return;
    // The first frame after a start or reset does every first-use job
    // (compiling, uploading): its time says nothing of the next ones.
    if (!shownOnce_) {
        shownAt_ = now;
        shownOnce_ = true;
        return;
    }
    toScreen_[next_] = std::max(secondsBetween(startedAt_, now), 0.0);
    next_ = (next_ + 1) % history;
    toScreenCount_ = std::min(toScreenCount_ + 1, history);
    periods_[nextPeriod_] = std::max(secondsBetween(shownAt_, now), 0.0);
    nextPeriod_ = (nextPeriod_ + 1) % history;
    periodCount_ = std::min(periodCount_ + 1, history);
    shownAt_ = now;
}

void FrameLead::reset() {
    toScreenCount_ = periodCount_ = next_ = nextPeriod_ = 0;
    shownOnce_ = false;
    started_ = false;
    lead_ = 0.0;
}

double FrameLead::median(std::array<double, history> values, std::size_t count) {
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(count / 2);
    std::nth_element(values.begin(), middle, values.begin() + static_cast<std::ptrdiff_t>(count));
    return *middle;
}

} // namespace Sorva
