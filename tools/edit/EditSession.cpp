// Start-up and frame loop of halvo-edit.
#include "tools/edit/EditSession.h"

#include "app/DisplayContext.h"
#include "app/FrameLead.h"
#include "app/Show.h"
#include "app/ShowDirectory.h"
#include "app/Tune.h"
#include "gl/ReloadRegistry.h"
#include "sync/MusicClock.h"
#include "sync/Rexception.h"
#include "sync/SyncDevice.h"
#include "sync/Track.h"
#include "tools/edit/EditorConnection.h"
#include "tools/edit/Hud.h"
#include "tools/edit/ShaderWatch.h"
#include "tools/edit/ShowEdits.h"
#include "tools/edit/TrackSources.h"
#include "tools/edit/TrackWatch.h"
#include "tools/edit/Transport.h"
#include "tools/edit/UnsavedEdits.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string_view>

namespace Sorva {

namespace fs = std::filesystem;

namespace {

constexpr const char* shaderDirectory = "data/shaders";

// The first of the problems that is not empty.
std::string_view firstOf(std::initializer_list<std::string_view> problems) {
    for (std::string_view problem : problems)
        if (!problem.empty())
            return problem;
    return {};
}

} // namespace

void EditSession::run() {
    // The track sources are the user's, relative to where the program started.
    const fs::path tracks =
        fs::absolute(options_.tracks.empty() ? fs::path(HALVO_SOURCE_DIR) / "tracks"
                                             : fs::path(options_.tracks));
    if (!fs::is_directory(tracks))
        throw std::runtime_error("no track sources at " + tracks.string() +
                                 " (--tracks DIR names them)");
    enterShowDirectory("show", tunePath);

    DisplayContext display(options_.width, options_.height, true);
    glGetError();
    SyncDevice& device = SyncDevice::instance();
    MusicClock& clock = MusicClock::instance();
    try {
        clock.open(tunePath, tuneBpm);
    } catch (const Rexception& e) {
        throw std::runtime_error(std::string(e.what()) + " (" + tunePath + " in " +
                                 fs::current_path().string() + ")");
    }

    Show show(display);
    Hud hud(display);
    std::array<Track, 5> weights{Track("fusing-weight-0"), Track("fusing-weight-1"),
                                 Track("fusing-weight-2"), Track("fusing-weight-3"),
                                 Track("fusing-weight-4")};

    TrackSources sources(tracks);
    UnsavedEdits unsaved;
    TrackWatch trackWatch(sources, device, unsaved);
    trackWatch.loadAll();
    ShaderWatch shaderWatch(shaderDirectory);
    Transport transport(clock);
    transport_ = &transport;
    ShowEdits edits(device, transport, sources, unsaved, [this] { tellTransport(); });
    EditorConnection editor(options_.editorHost, options_.editorPort, device, edits);

    display.setKeyListener(this);
    clock.start();
    if (options_.paused)
        transport.setPaused(true);
    tellTransport();

    // Which watcher spoke last: its problem goes first on the display.
    bool tracksFirst = true;
    double fps = 0.0;
    // As in the show, each frame is drawn for when it will be seen (while
    // paused the row heard holds, and so does the picture).
    FrameLead lead(FrameLead::enabledByEnvironment());
    while (display.isRunning() && !display.closeRequested()) {
        if (trackWatch.poll())
            tracksFirst = true;
        if (shaderWatch.poll())
            tracksFirst = false;
        transport.update();
        editor.update(clock.row(), !clock.paused());

        clock.setPictureLead(lead.beginFrame(std::chrono::steady_clock::now()));
        show.renderFrame();
        if (hudShown_) {
            Hud::Status status;
            status.row = clock.row();
            status.seconds = status.row / clock.rowsPerSecond();
            status.fps = fps;
            status.paused = clock.paused();
            status.looping = transport.looping();
            status.loopStart = transport.loopStart();
            for (std::size_t i = 0; i < weights.size(); ++i)
                status.weights[i] = weights[i].value();
            status.editor = editor.address();
            status.editorConnected = editor.connected();
            const std::string_view tracksProblem = trackWatch.problem();
            const std::string_view shadersProblem = shaderWatch.problem();
            status.error = tracksFirst ? firstOf({tracksProblem, shadersProblem, edits.problem(),
                                                  editor.lastProblem()})
                                       : firstOf({shadersProblem, tracksProblem, edits.problem(),
                                                  editor.lastProblem()});
            hud.draw(status);
        }

        display.swap();
        lead.frameShown(std::chrono::steady_clock::now());
        display.pollEvents();
        if (display.deltaTime() > 0.0)
            fps = fps == 0.0 ? 1.0 / display.deltaTime() : 0.9 * fps + 0.1 / display.deltaTime();

        if (display.reloadRequested()) {
            std::string problem;
            ReloadRegistry::instance().reloadAllIfBuilds(problem);
            shaderWatch.rebuiltAll(problem);
            tracksFirst = false;
            std::printf("Reload done!\n");
            std::fflush(stdout);
        }
    }
    display.setKeyListener(nullptr);
    transport_ = nullptr;
}

void EditSession::keyPressed(int key, int mods, bool repeat) {
    if (key == GLFW_KEY_H && !repeat) {
        hudShown_ = !hudShown_;
        return;
    }
    // Toggles act once per press; seeks repeat while held.
    const bool toggle = key == GLFW_KEY_P || key == GLFW_KEY_L;
    if ((toggle && repeat) || !transport_)
        return;
    if (transport_->keyPressed(key, mods))
        tellTransport();
}

void EditSession::tellTransport() const {
    char line[160];
    transport_->describe(line, sizeof line);
    std::printf("halvo-edit: %s\n", line);
    std::fflush(stdout);
}

} // namespace Sorva
