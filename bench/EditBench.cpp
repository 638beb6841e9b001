// Per-frame cost of edit mode over the plain frame at 640 x 360: the show's
// frame routine alone, beside the same frame with everything edit mode adds
// (track and shader watches polled, the transport, an editor connected and
// told every row, the heads-up display drawn over the picture).
// Timed with glFinish and a steady clock; run under xvfb-run -a.
#include "app/DisplayContext.h"
#include "app/Show.h"
#include "app/Tune.h"
#include "bench/QuietStdout.h"
#include "sync/ManualAudioOutput.h"
#include "sync/MusicClock.h"
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
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace Sorva;
using Clock = std::chrono::steady_clock;

constexpr int width = 640;
constexpr int height = 360;
constexpr int framesPerRun = 20;
constexpr int rounds = 3;
constexpr int aloneFrames = 300;

// An editor on loopback that greets and then reads whatever the show sends.
class SilentEditor {
public:
    SilentEditor() {
        listener_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        bind(listener_, reinterpret_cast<sockaddr*>(&address), size);
        listen(listener_, 1);
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size);
        port_ = ntohs(address.sin_port);
    }
    ~SilentEditor() {
        close(peer_);
        close(listener_);
    }
    std::string port() const { return std::to_string(port_); }
    // Blocks: the show's connection has already sent its greeting.
    void greet() {
        peer_ = accept(listener_, nullptr, nullptr);
        char greeting[19];
        recv(peer_, greeting, sizeof greeting, MSG_WAITALL);
        send(peer_, "hello, demo!", 12, 0);
    }
    void drain() {
        char buffer[4096];
        while (recv(peer_, buffer, sizeof buffer, MSG_DONTWAIT) > 0) {
        }
    }

private:
    int listener_ = -1;
    int peer_ = -1;
    int port_ = 0;
};

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main() {
    fs::current_path(HALVO_SHOW_DIR);
    DisplayContext display(width, height, DisplayContext::Offline{1.0 / 60.0});
    auto output = std::make_unique<ManualAudioOutput>();
    ManualAudioOutput* audio = output.get();
    MusicClock& clock = MusicClock::instance();
    clock.open(tunePath, tuneBpm, std::move(output));
    clock.start();

    std::optional<Show> show;
    std::optional<Hud> hud;
    {
        QuietStdout quiet;
        show.emplace(display);
        hud.emplace(display);
    }
    std::array<Track, 5> weights{Track("fusing-weight-0"), Track("fusing-weight-1"),
                                 Track("fusing-weight-2"), Track("fusing-weight-3"),
                                 Track("fusing-weight-4")};
    SyncDevice& device = SyncDevice::instance();
    TrackSources sources(fs::path(HALVO_SOURCE_DIR) / "tracks");
    UnsavedEdits unsaved;
    TrackWatch trackWatch(sources, device, unsaved);
    ShaderWatch shaderWatch("data/shaders");
    Transport transport(clock);
    ShowEdits edits(device, transport, sources, unsaved);
    SilentEditor editorSide;
    EditorConnection editor("127.0.0.1", editorSide.port(), device, edits);
    editor.update(0.0, true);
    editorSide.greet();
    for (int i = 0; i < 10 && !editor.connected(); ++i)
        editor.update(0.0, true);
    if (!editor.connected()) {
        std::fprintf(stderr, "halvo-bench-edit: the editor did not connect\n");
        return 1;
    }

    std::printf("%d x %d, %d rounds of %d frames each way, median ms per frame (glFinish)\n", width,
                height, rounds, framesPerRun);
    std::printf("%8s  %-22s %10s %10s %7s\n", "row", "weights 0-4", "plain", "edit", "ratio");
    const double framesPerRow = AudioOutput::sampleRate / (tuneBpm / 60.0 * 8.0);
    // What the HUD shows at a row.
    const auto status = [&](double row, std::string_view error) {
        Hud::Status s;
        s.row = row;
        for (std::size_t i = 0; i < weights.size(); ++i)
            s.weights[i] = weights[i].value();
        s.editor = editor.address();
        s.editorConnected = editor.connected();
        s.error = error;
        return s;
    };
    // Rows of the blue feedback, pattern 1 and the tunnel; the particle ball
    // (around 1 s a frame in software) would only drown the difference.
    for (const double startRow : {100.0, 400.0, 800.0}) {
        std::vector<double> plain, edit;
        for (int round = 0; round < rounds; ++round) {
            for (int mode = 0; mode < 2; ++mode) {
                audio->setPosition(startRow * framesPerRow);
                show->renderFrame(); // a warm-up frame at this row
                glFinish();
                const Clock::time_point begin = Clock::now();
                for (int frame = 0; frame < framesPerRun; ++frame) {
                    const double row = startRow + frame * 0.29;
                    audio->setPosition(row * framesPerRow);
                    if (mode == 1) {
                        trackWatch.poll();
                        shaderWatch.poll();
                        transport.update();
                        editor.update(row, true);
                    }
                    show->renderFrame();
                    if (mode == 1)
                        hud->draw(status(row, trackWatch.problem()));
                    glFinish();
                }
                const double ms =
                    std::chrono::duration<double, std::milli>(Clock::now() - begin).count() /
                    framesPerRun;
                (mode == 0 ? plain : edit).push_back(ms);
                editorSide.drain();
            }
        }
        char active[32];
        audio->setPosition(startRow * framesPerRow);
        std::snprintf(active, sizeof active, "%.1f %.1f %.1f %.1f %.1f", weights[0].value(),
                      weights[1].value(), weights[2].value(), weights[3].value(),
                      weights[4].value());
        const double p = median(plain), e = median(edit);
        std::printf("%8.0f  %-22s %10.2f %10.2f %7.3f\n", startRow, active, p, e, e / p);
    }

    // What edit mode adds, timed alone: the polls, the editor told a new row
    // each frame, and the HUD drawn over the window.
    const Clock::time_point aloneBegin = Clock::now();
    for (int frame = 0; frame < aloneFrames; ++frame) {
        const double row = 800.0 + frame;
        trackWatch.poll();
        shaderWatch.poll();
        transport.update();
        editor.update(row, true);
        hud->draw(status(row, "./data/shaders/fxaa.fs:12: a long error line to draw as well"));
        glFinish();
        if (frame % 50 == 0)
            editorSide.drain();
    }
    std::printf("edit mode's own work alone: %.3f ms per frame over %d frames\n",
                std::chrono::duration<double, std::milli>(Clock::now() - aloneBegin).count() /
                    aloneFrames,
                aloneFrames);
    if (!editor.connected())
        std::printf("(the editor connection dropped during the run)\n");
    return 0;
}
