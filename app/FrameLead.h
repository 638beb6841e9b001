// How far ahead of the sound each frame is drawn: the row is read when a
// frame starts, but its picture is seen only once the frame is finished and
// swapped, and then for one more frame period. The lead is that time, the
// row read at a frame's start plus the time until the middle of its time on
// screen, predicted from the last frames' own times.
#pragma once

#include <array>
#include <chrono>
#include <cstddef>

namespace Sorva {

class FrameLead {
public:
    using Clock = std::chrono::steady_clock;

    // Frames whose times the prediction takes the median of: enough to
    // ride out one slow frame, few enough to follow a change of load.
    static constexpr std::size_t history = 9;
    // No picture is led by more than this, however slow the frames.
    static constexpr double maxSeconds = 0.5;

    // With `enabled` false the lead is always 0: the row heard is drawn.
    explicit FrameLead(bool enabled = true) : enabled_(enabled) {}

    // The frame starts at `now`: the lead for the rows it reads, in seconds.
    // It falls by at most half the time since the last frame started, so
    // that when frames speed up the picture slows down for a moment rather
    // than stand still or go back.
    double beginFrame(Clock::time_point now);
    // The frame's picture went to the screen at `now` (its swap returned).
    void frameShown(Clock::time_point now);
    // Forgets the frames so far: the next ones are timed afresh (after a
    // seek, or a pause, whose frames say nothing of the ones to come).
    void reset();

    double seconds() const { return lead_; }
    bool enabled() const { return enabled_; }

    // HALVO_PICTURE_LEAD=off in the environment turns the lead off.
    static bool enabledByEnvironment();

private:
    static double median(std::array<double, history> values, std::size_t count);

    bool enabled_;
    double lead_ = 0.0;
    bool started_ = false;
    bool shownOnce_ = false;
    Clock::time_point startedAt_{};
    Clock::time_point shownAt_{};
    // Seconds from each frame's start to its swap, and from swap to swap.
    std::array<double, history> toScreen_{};
    std::array<double, history> periods_{};
    std::size_t toScreenCount_ = 0;
    std::size_t periodCount_ = 0;
    std::size_t next_ = 0;
    std::size_t nextPeriod_ = 0;
};

} // namespace Sorva
