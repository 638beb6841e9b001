// The still frame's run: the tracks and the tune on an output that only moves
// when told, a hidden window on a fixed step, the show, the frames.
#include "app/StillFrame.h"

#include "app/DisplayContext.h"
#include "app/Show.h"
#include "app/Tune.h"
#include "fx/ShowScenes.h"
#include "sync/FrameClock.h"
#include "sync/ManualAudioOutput.h"
#include "sync/MusicClock.h"
#include "sync/SyncDevice.h"

#include <GL/glew.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <stdexcept>
#include <string>

namespace Sorva {

StillFrame renderStill(const StillRequest& request, int particles) {
    SyncDevice::instance();
    auto ownOutput = std::make_unique<ManualAudioOutput>();
    ManualAudioOutput& audio = *ownOutput;
    MusicClock::instance().open(tunePath, tuneBpm, std::move(ownOutput));
    MusicClock::instance().start();
    FrameClock clock(request.fps, audio);

    const double rowsPerSecond = MusicClock::instance().rowsPerSecond();
    const std::int64_t shown = clock.frameAt(request.row / rowsPerSecond);
    const std::int64_t last =
        clock.tuneEndFrame(audio.tuneFrames()) + std::llround(Show::endGraceSeconds * request.fps);
    if (shown > last)
        throw std::runtime_error("row " + std::to_string(request.row) +
                                 " is past the show's end (row " +
                                 std::to_string(clock.seconds(last) * rowsPerSecond) + ")");
    const std::int64_t first = std::min(clock.frameAt(request.from), shown);

    DisplayContext display(request.width, request.height,
                           DisplayContext::Offline{clock.frameStep()});
    glGetError();
    clock.seek(0);
    Show show(display, particles);
    if (!request.effect.empty())
        show.setSolo(makeEffect(request.effect, display, display, particles));

    StillFrame still;
    still.width = request.width;
    still.height = request.height;
    still.frame = shown;
    for (std::int64_t n = first; n <= shown; ++n) {
        clock.seek(n);
        show.renderFrame();
        if (n == shown) {
            still.row = MusicClock::instance().row();
            still.rgba.resize(static_cast<std::size_t>(still.width) * still.height * 4);
            glBindFramebuffer(GL_FRAMEBUFFER, 0);
            glPixelStorei(GL_PACK_ALIGNMENT, 1);
            glReadPixels(0, 0, still.width, still.height, GL_RGBA, GL_UNSIGNED_BYTE,
                         still.rgba.data());
        }
        display.swap();
        display.pollEvents();
    }
    return still;
}

} // namespace Sorva
