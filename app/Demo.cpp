// Start-up, frame loop and teardown of the show.
#include "app/Demo.h"

#include "app/DemoSettings.h"
#include "app/DisplayContext.h"
#include "app/FrameLead.h"
#include "app/PageQuery.h"
#include "app/ProgramStart.h"
#include "app/Show.h"
#include "app/ShowSetupDialog.h"
#include "app/StillFrame.h"
#include "app/SyncOverlay.h"
#include "app/Tune.h"
#include "gl/ReloadRegistry.h"
#include "gl/ShaderEcho.h"
#include "sync/MusicClock.h"
#include "sync/SyncDevice.h"

#include <GL/glew.h>

#include <chrono>
#include <cstdio>
#include <optional>

namespace Sorva {

int runDemo() {
    // A web page's options; a still frame instead of the show when one is asked.
    const PageQuery query = PageQuery::parse(pageQuery());
    Gl::setShaderEcho(shaderEchoUnasked() || query.verbose);
    if (query.still) {
        deliverStill(renderStill(*query.still, query.particles));
        return 0;
    }

    DemoSettings settings;
    settings.instance = ownModule();
    hideConsole();
    // A dialog that cannot be shown leaves the settings as they are and the
    // show goes on.
    if (showSetupDialog(settings) == 0)
        return -1;

    DisplayContext display(settings.width, settings.height, settings.windowed == 1);
    glGetError();

    SyncDevice::instance();
    MusicClock::instance().open(tunePath, tuneBpm);
    query.checkFromWithin(static_cast<double>(MusicClock::instance().tuneFrames()) /
                          AudioOutput::sampleRate);

    // Track "e", the post chain, the scenes and the post tracks; depth
    // testing on.
    Show show(display, query.particles);

    MusicClock& clock = MusicClock::instance();
    clock.start();
    // A page's ?from= starts the show that far into the tune.
    if (query.from > 0.0)
        clock.seek(query.from * clock.rowsPerSecond());

    if (!display.isRunning())
        return 0;
    // Each frame is drawn for the moment it will be seen, not the one its
    // row is read at.
    FrameLead lead(FrameLead::enabledByEnvironment() && !query.leadOff);
    const auto shownAfterSwap = std::chrono::duration_cast<std::chrono::steady_clock::duration>(
        std::chrono::duration<double>(DisplayContext::shownAfterSwap()));
    std::optional<SyncOverlay> overlay;
    if (SyncOverlay::enabledByEnvironment() || query.overlay)
        overlay.emplace();
    // When track "e" never ends the show, it ends a grace after the music:
    // the position, and so the picture, hold at the tune's end meanwhile.
    const auto grace = std::chrono::duration<double>(Show::endGraceSeconds);
    std::optional<std::chrono::steady_clock::time_point> musicEnded;
    for (;;) {
        clock.setPictureLead(lead.beginFrame(std::chrono::steady_clock::now()));
        if (overlay)
            overlay->stamp();
        if (show.ended())
            break;
        if (clock.finished()) {
            const auto now = std::chrono::steady_clock::now();
            if (!musicEnded)
                musicEnded = now;
            if (now - *musicEnded >= grace) {
                std::fprintf(stderr,
                             "halvo: track \"%s\" never ended the show; it ends %g s after the "
                             "music\n",
                             Show::endTrackName, Show::endGraceSeconds);
                break;
            }
        }

        show.renderFrame();
        if (overlay)
            overlay->draw(display);

        display.swap();
        lead.frameShown(std::chrono::steady_clock::now() + shownAfterSwap);
        display.pollEvents();

        if (display.reloadRequested()) {
            ReloadRegistry::instance().reloadAll();
            std::printf("Reload done!\n");
            std::fflush(stdout);
        }

        if (!display.isRunning())
            break;
    }
    // The sound ends with the picture, not when the show's objects are gone.
    clock.setPaused(true);
    return 0;
}

} // namespace Sorva
