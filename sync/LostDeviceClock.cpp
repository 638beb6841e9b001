// When a sound device counts as lost, and the switch to the silent clock.
#include "sync/LostDeviceClock.h"

#include <algorithm>
#include <cstdio>
#include <future>
#include <thread>

namespace Sorva {

const char* LostDeviceClock::lostBecause(Clock::time_point now, Clock::time_point lastLife,
                                         bool playing, const char* gone) const {
    if (!playing)
        return nullptr;
    if (gone)
        return gone;
    const Clock::time_point since = std::max(lastLife, watchFrom_);
    if (std::chrono::duration<double>(now - since).count() > stallSeconds)
        return "it stopped taking sound";
    return nullptr;
}

void LostDeviceClock::takeOver(double frames, const char* why, bool paused) {
    active_ = true;
    silent_.start();
    silent_.seek(frames);
    silent_.setPaused(paused);
    std::fprintf(stderr, "halvo: the sound device was lost (%s); the show goes on silently\n", why);
}

bool LostDeviceClock::closeWithin(std::chrono::milliseconds limit, std::function<void()> close) {
    std::packaged_task<void()> task(std::move(close));
    std::future<void> done = task.get_future();
    std::thread closer(std::move(task));
    if (done.wait_for(limit) == std::future_status::ready) {
        closer.join();
        return true;
    }
    closer.detach();
    return false;
}

} // namespace Sorva
