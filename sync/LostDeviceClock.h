// What the sound card outputs share for the device that stops mid-show:
// when it counts as lost, and the tune's time after that, which goes on
// silently on the monotonic clock from where the device left it.
#pragma once

#include "sync/SilentAudioOutput.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <span>

namespace Sorva {

class LostDeviceClock {
public:
    using Clock = std::chrono::steady_clock;

    // A device that should be playing and shows no sign of it for this long
    // is given up on.
    static constexpr double stallSeconds = 0.75;

    void setTune(std::span<const std::int16_t> samples) { silent_.setTune(samples); }

    // The device was started, resumed or moved at `now`: its silence counts
    // from then.
    void expectLife(Clock::time_point now) { watchFrom_ = now; }
    // Why the device counts as lost at `now`: `gone` when it says so itself,
    // or its silence since its last sign of life; null while it plays or is
    // not meant to.
    const char* lostBecause(Clock::time_point now, Clock::time_point lastLife, bool playing,
                            const char* gone) const;
    // From now on the tune's time runs here, from `frames`; says so in one
    // line on stderr.
    void takeOver(double frames, const char* why, bool paused);
    bool active() const { return active_; }

    // Runs `close` (a device's release) on a thread of its own and waits
    // for it at most `limit`: a device stuck in its driver never returns
    // from it. Returns false, leaving it running, when it took longer.
    static bool closeWithin(std::chrono::milliseconds limit, std::function<void()> close);

    double position() const { return silent_.position(); }
    void seek(double frames) { silent_.seek(frames); }
    void setPaused(bool paused) { silent_.setPaused(paused); }

private:
    SilentAudioOutput silent_;
    Clock::time_point watchFrom_{};
    bool active_ = false;
};

} // namespace Sorva
