// The editor connection against a scripted editor on loopback: greeting,
// track requests, keys, row and pause, saving, and hostile streams. No GL.
#include "sync/MusicClock.h"
#include "sync/SilentAudioOutput.h"
#include "sync/SyncDevice.h"
#include "sync/TrackFile.h"
#include "sync/TrackText.h"
#include "tools/edit/EditorConnection.h"
#include "tools/edit/ShowEdits.h"
#include "tools/edit/TrackSources.h"
#include "tools/edit/TrackWatch.h"
#include "tools/edit/Transport.h"
#include "tools/edit/UnsavedEdits.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <bit>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace Sorva {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

Bytes u32(std::uint32_t v) {
    return {std::uint8_t(v >> 24), std::uint8_t(v >> 16), std::uint8_t(v >> 8), std::uint8_t(v)};
}
Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
Bytes setKey(std::uint32_t track, std::uint32_t row, float value, std::uint8_t type) {
    return Bytes{0} + u32(track) + u32(row) + u32(std::bit_cast<std::uint32_t>(value)) +
           Bytes{type};
}
Bytes deleteKey(std::uint32_t track, std::uint32_t row) {
    return Bytes{1} + u32(track) + u32(row);
}
Bytes getTrack(const std::string& name) {
    return Bytes{2} + u32(std::uint32_t(name.size())) + Bytes(name.begin(), name.end());
}

// A sync editor played by the test: listens on a loopback port, and reads
// and writes without ever waiting long, pumping the show between tries.
class ScriptedEditor {
public:
    explicit ScriptedEditor(std::function<void()> pump) : pump_(std::move(pump)) {
        listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (bind(listener_, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
            listen(listener_, 1) != 0 ||
            getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size) != 0)
            ADD_FAILURE() << "cannot listen on loopback";
        port_ = ntohs(address.sin_port);
    }
    ~ScriptedEditor() {
        if (peer_ >= 0)
            close(peer_);
        close(listener_);
    }

    std::string port() const { return std::to_string(port_); }

    bool accept() {
        return until([&] {
            pollfd p{listener_, POLLIN, 0};
            if (poll(&p, 1, 5) > 0)
                peer_ = ::accept(listener_, nullptr, nullptr);
            return peer_ >= 0;
        });
    }
    Bytes read(std::size_t size) {
        Bytes got;
        until([&] {
            std::uint8_t buffer[256];
            pollfd p{peer_, POLLIN, 0};
            if (poll(&p, 1, 5) > 0) {
                const ssize_t n =
                    recv(peer_, buffer, std::min(sizeof buffer, size - got.size()), 0);
                if (n > 0)
                    got.insert(got.end(), buffer, buffer + n);
            }
            return got.size() == size;
        });
        return got;
    }
    std::string readText(std::size_t size) {
        const Bytes got = read(size);
        return std::string(got.begin(), got.end());
    }
    void send(const Bytes& bytes) {
        ASSERT_EQ(::send(peer_, bytes.data(), bytes.size(), 0), ssize_t(bytes.size()));
    }
    void send(const std::string& text) { send(Bytes(text.begin(), text.end())); }
    // The editor is done sending: what it sent is all there will be.
    void hangUp() { shutdown(peer_, SHUT_WR); }
    // Accepts, takes the demo's greeting and answers it.
    void greet() {
        ASSERT_TRUE(accept());
        EXPECT_EQ(readText(19), "hello, synctracker!");
        send("hello, demo!");
    }
    // Whether the show closed its end.
    bool closedByShow() {
        return until([&] {
            std::uint8_t buffer[256];
            pollfd p{peer_, POLLIN, 0};
            return poll(&p, 1, 5) > 0 && recv(peer_, buffer, sizeof buffer, 0) == 0;
        });
    }
    // Pumps the show until done() or 5 s have passed.
    bool until(const std::function<bool()>& done) {
        const auto deadline = Clock::now() + std::chrono::seconds(5);
        while (Clock::now() < deadline) {
            pump_();
            if (done())
                return true;
        }
        return false;
    }

private:
    std::function<void()> pump_;
    int listener_ = -1;
    int peer_ = -1;
    int port_ = 0;
};

// The show's side: a device with three tracks, a silent clock on a 4 s
// tune (paused), the transport, track sources in a scratch directory, the editor's
// commands carried out on them, and the connection.
class EditProtocolTest : public ::testing::Test {
protected:
    EditProtocolTest()
        : clock_([] { return std::make_unique<SilentAudioOutput>(); }), transport_(clock_),
          sources_(fs::temp_directory_path() / ("halvo-edit-" + std::to_string(getpid()))),
          edits_(device_, transport_, sources_, unsaved_), editor_([this] { pump(); }) {
        fs::create_directories(sources_.directory());
        for (const char* name : {"alpha", "beta", "cam:x"})
            device_.getTrack(name);
        clock_.open(HALVO_CLOCK_FIXTURES "/good.mp3", 131.0);
        clock_.start();
        // Paused, the show tells no rows: the editor reads only what a test expects.
        clock_.setPaused(true);
        connection_ =
            std::make_unique<EditorConnection>("127.0.0.1", editor_.port(), device_, edits_);
    }
    ~EditProtocolTest() override { fs::remove_all(sources_.directory()); }

    void pump() { connection_->update(clock_.row(), !clock_.paused()); }
    void greetAndTakeRequests() {
        editor_.greet();
        EXPECT_EQ(editor_.read(3 * 5 + 5 + 4 + 5),
                  getTrack("alpha") + getTrack("beta") + getTrack("cam:x"));
    }
    double value(std::size_t track, double row) { return evaluate(device_.track(track), row); }
    // Keys as "row:value" words.
    static std::string words(const SyncKey* keys, std::size_t count) {
        std::string words;
        for (std::size_t i = 0; i < count; ++i) {
            if (i > 0)
                words += ' ';
            words += std::to_string(keys[i].row) + ":" + std::to_string(int(keys[i].value));
        }
        return words;
    }
    // A source's keys, or its error.
    static std::string keysIn(const fs::path& file) {
        const TrackTextResult read = TrackSources::read(file);
        return read.error.empty() ? words(read.keys.data(), read.keys.size()) : read.error;
    }
    // The show's keys of a track.
    std::string keysOf(std::size_t track) {
        const SyncTrack& t = device_.track(track);
        return words(t.keys.get(), std::size_t(t.keyCount));
    }

    SyncDevice device_{"edit-test/none"};
    MusicClock clock_;
    Transport transport_;
    TrackSources sources_;
    UnsavedEdits unsaved_;
    ShowEdits edits_;
    ScriptedEditor editor_;
    std::unique_ptr<EditorConnection> connection_;
};

TEST_F(EditProtocolTest, GreetsThenRequestsEveryTrackInOrderAndLaterOnesAsTheyCome) {
    greetAndTakeRequests();
    EXPECT_TRUE(editor_.until([&] { return connection_->connected(); }));
    device_.getTrack("late");
    EXPECT_EQ(editor_.read(5 + 4), getTrack("late"));
}

TEST_F(EditProtocolTest, KeysSetAndDeletedChangeTheTrackAtTheNextFrame) {
    greetAndTakeRequests();
    editor_.send(setKey(1, 10, 2.0f, 1) + setKey(1, 20, 6.0f, 0) + setKey(2, 4, -1.5f, 0));
    ASSERT_TRUE(editor_.until([&] { return device_.track(2).keyCount == 1; }));
    // row, beta, cam:x
    const double expected[][3] = {{0, 2.0, -1.5}, {15, 4.0, -1.5}, {25, 6.0, -1.5}};
    for (const auto& e : expected) {
        EXPECT_DOUBLE_EQ(value(1, e[0]), e[1]) << "row " << e[0];
        EXPECT_DOUBLE_EQ(value(2, e[0]), e[2]) << "row " << e[0];
    }
    EXPECT_EQ(value(0, 15), 0.0);

    editor_.send(setKey(1, 10, 3.0f, 2) + deleteKey(1, 20) + deleteKey(1, 99));
    ASSERT_TRUE(editor_.until([&] { return device_.track(1).keyCount == 1; }));
    EXPECT_DOUBLE_EQ(value(1, 25), 3.0);
}

TEST_F(EditProtocolTest, RowAndPauseMoveTheClockAndPlayingTellsTheRow) {
    greetAndTakeRequests();
    editor_.send(Bytes{4, 1} + Bytes{3} + u32(40));
    ASSERT_TRUE(editor_.until([&] { return clock_.paused() && clock_.row() == 40.0; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    pump();
    EXPECT_EQ(clock_.row(), 40.0);

    // Playing on, the show tells each new row from 40 on.
    editor_.send(Bytes{4, 0});
    const Bytes told = editor_.read(10);
    ASSERT_EQ(told.size(), 10u);
    EXPECT_EQ(told[0], 3);
    EXPECT_EQ(told[5], 3);
    const std::uint32_t first = told[1] << 24 | told[2] << 16 | told[3] << 8 | told[4];
    const std::uint32_t second = told[6] << 24 | told[7] << 16 | told[8] << 8 | told[9];
    EXPECT_GE(first, 40u);
    EXPECT_GT(second, first);
    EXPECT_FALSE(clock_.paused());
}

TEST_F(EditProtocolTest, SaveRewritesTheSourcesOfEditedTracksToTheSameKeys) {
    const fs::path beta = sources_.directory() / "beta.txt";
    std::ofstream(beta) << "# Beta: the test's track.\n0 1 step  # start\n8 2 linear\n";
    const fs::path alpha = sources_.directory() / "alpha.txt";
    std::ofstream(alpha) << "0 7\n";
    TrackWatch watch(sources_, device_, unsaved_);
    watch.loadAll();
    greetAndTakeRequests();
    editor_.send(setKey(1, 0, 1.0f, 1) + deleteKey(1, 8) + setKey(1, 16, 0.1f, 3) +
                 setKey(1, 24, -2.5e-3f, 0) + Bytes{5});
    ASSERT_TRUE(editor_.until([&] { return TrackSources::read(beta).keys.size() == 3; }));

    // Read as halvo-track compile reads it: up to the limit, then parsed.
    const TrackTextResult saved = TrackSources::read(beta);
    ASSERT_EQ(saved.error, "");
    const SyncTrack& track = device_.track(1);
    ASSERT_EQ(saved.keys.size(), std::size_t(track.keyCount));
    for (std::size_t i = 0; i < saved.keys.size(); ++i) {
        EXPECT_EQ(saved.keys[i].row, track.keys[i].row);
        EXPECT_EQ(saved.keys[i].value, track.keys[i].value);
        EXPECT_EQ(saved.keys[i].type, track.keys[i].type);
    }
    std::stringstream text;
    text << std::ifstream(beta).rdbuf();
    EXPECT_EQ(text.str(), "# Beta: the test's track.\n"
                          "0 1 linear # start\n"
                          "16 0.1 ramp\n"
                          "24 -0.0025 step\n");
    // Untouched tracks are not written.
    std::stringstream untouched;
    untouched << std::ifstream(alpha).rdbuf();
    EXPECT_EQ(untouched.str(), "0 7\n");
}

TEST_F(EditProtocolTest, CommandsSentBeforeTheEditorClosesItsSideAreCarriedOut) {
    greetAndTakeRequests();
    editor_.send(setKey(1, 8, 2.0f, 0) + Bytes{5});
    editor_.hangUp();
    const fs::path beta = sources_.directory() / "beta.txt";
    EXPECT_TRUE(editor_.until([&] { return !connection_->connected(); }));
    EXPECT_EQ(keysOf(1), "8:2");
    EXPECT_EQ(keysIn(beta), "8:2");
}

// Whatever the watch, the folder and the file on disk do between them, every
// key the editor set ends up in the source, and nothing on disk is written
// over unseen.
TEST_F(EditProtocolTest, EveryEditIsSavedWhateverHappensOnDisk) {
    const fs::path dir = sources_.directory();
    const fs::path beta = dir / "beta.txt";
    std::ofstream(beta) << "0 1\n";
    TrackWatch watch(sources_, device_, unsaved_);
    watch.loadAll();
    const auto set = [&](std::int32_t row, float value) {
        edits_.setKey(1, SyncKey{row, value, 0});
    };
    const auto write = [&](const std::string& text) {
        std::ofstream(dir / ".next") << text;
        fs::rename(dir / ".next", beta);
    };
    testing::internal::CaptureStderr();

    // The show's own save comes back through the watch: it changes nothing.
    set(0, 11);
    edits_.saveTracks();
    set(8, 13);
    watch.poll();
    edits_.saveTracks();
    watch.poll();
    EXPECT_EQ(keysIn(beta), "0:11 8:13");
    EXPECT_EQ(keysOf(1), "0:11 8:13");

    // A save that cannot write keeps the track changed until one can.
    fs::remove_all(dir);
    set(16, 17);
    edits_.saveTracks();
    EXPECT_NE(edits_.problem(), "");
    fs::create_directories(dir);
    edits_.saveTracks();
    EXPECT_EQ(edits_.problem(), "");
    EXPECT_EQ(keysIn(beta), "0:11 8:13 16:17");

    // The folder replaced by a new one: the watch follows it.
    fs::rename(dir, dir.string() + ".old");
    watch.poll();
    fs::create_directories(dir);
    watch.poll();
    write("0 5\n5 nonsense\n");
    watch.poll();
    write("0 5\n");
    watch.poll();
    EXPECT_EQ(keysOf(1), "0:5");

    // Changed on disk since the show read it: the editor's changes go on top
    // of it, in the show as in the file, on the watch's next look or at the
    // save, whichever comes first; a file with a mistake is not written over.
    set(24, 3);
    write("0 6\n");
    watch.poll();
    EXPECT_EQ(keysOf(1), "0:6 24:3");
    write("0 7\n");
    edits_.saveTracks();
    EXPECT_EQ(keysIn(beta), "0:7 24:3");
    set(32, 1);
    write("0 8\nnonsense\n");
    edits_.saveTracks();
    EXPECT_NE(edits_.problem().find("has a mistake"), std::string::npos) << edits_.problem();
    EXPECT_EQ(keysIn(beta), beta.string() + ":2: expected ROW VALUE [TYPE], got 'nonsense'");
    write("0 9\n");
    edits_.saveTracks();
    EXPECT_EQ(keysIn(beta), "0:9 32:1");
    EXPECT_EQ(keysOf(1), "0:9 32:1");
    fs::remove_all(dir.string() + ".old");

    // Another program's write under way at the save: a file it has just
    // emptied, or written halfway, is waited for and never merged as it
    // stands; one that stays empty is not written over.
    const auto writer = [&](const std::string& first, const std::string& rest, int ms) {
        std::ofstream out(beta);
        out << first << std::flush;
        return std::thread([out = std::move(out), rest, ms]() mutable {
            std::this_thread::sleep_for(std::chrono::milliseconds(ms));
            out << rest;
        });
    };
    const struct {
        const char* first;
        const char* rest;
        int ms;
        std::int32_t row;
        const char* saved;
        const char* after;
    } races[] = {
        {"", "# theirs\n0 1\n8 2\n", 200, 40, "0:1 8:2 40:6", "0:1 8:2 40:6"},
        {"# theirs\n0 3\n8 4\n16 5", "0\n", 200, 48, "0:3 8:4 16:50 48:7", "0:3 8:4 16:50 48:7"},
        {"", "# theirs\n0 1\n", 1500, 56, "", "0:1 56:8"},
    };
    for (const auto& race : races) {
        SCOPED_TRACE(race.row);
        set(race.row, float(race.row / 8 + 1));
        std::thread writing = writer(race.first, race.rest, race.ms);
        edits_.saveTracks();
        EXPECT_EQ(keysIn(beta), race.saved);
        writing.join();
        edits_.saveTracks();
        EXPECT_EQ(keysIn(beta), race.after);
        EXPECT_EQ(keysOf(1), race.after);
        std::stringstream text;
        text << std::ifstream(beta).rdbuf();
        EXPECT_EQ(text.str().find("# theirs\n"), 0u) << text.str();
    }

    const std::string said = testing::internal::GetCapturedStderr();
    const auto lines = [&](const std::string& part) {
        std::size_t n = 0;
        for (std::size_t at = said.find(part); at != std::string::npos;
             at = said.find(part, at + 1))
            ++n;
        return n;
    };
    EXPECT_EQ(lines(beta.string() + ":2:"), 2u) << said; // once from the watch, once the save
    EXPECT_EQ(lines(" is gone;"), 1u) << said;
    EXPECT_EQ(lines(" is back;"), 1u) << said;
    EXPECT_EQ(lines(" did not settle"), 1u) << said;
}

// A source near the readers' size limit stays one they take after a save,
// and a save that would take it past the limit writes nothing.
TEST_F(EditProtocolTest, ASaveWritesOnlyWhatTheReaderTakesBack) {
    const fs::path beta = sources_.directory() / "beta.txt";
    std::string text;
    std::int32_t rows = 0;
    for (; text.size() < maxTrackFileBytes - 64; ++rows)
        text += std::to_string(rows) + ' ' + std::to_string(rows % 10) + '\n';
    text += "# " + std::string(maxTrackFileBytes - 4 - text.size() - 3, '-') + '\n';
    std::ofstream(beta, std::ios::binary) << text;
    TrackWatch watch(sources_, device_, unsaved_);
    watch.loadAll();
    ASSERT_EQ(device_.track(1).keyCount, rows);

    testing::internal::CaptureStderr();
    edits_.setKey(1, SyncKey{5, 7, 0});
    edits_.saveTracks();
    EXPECT_EQ(fs::file_size(beta), maxTrackFileBytes - 4);
    // Read as halvo-track compile reads it: up to the limit, then parsed.
    const TrackTextResult saved = TrackSources::read(beta);
    ASSERT_EQ(saved.error, "");
    ASSERT_EQ(saved.keys.size(), std::size_t(rows));
    EXPECT_EQ(saved.keys[5].value, 7.0f);

    edits_.setKey(1, SyncKey{6, 0.123456789f, 0});
    edits_.saveTracks();
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(fs::file_size(beta), maxTrackFileBytes - 4);
    EXPECT_EQ(unsaved_.count(1), 1u);
    EXPECT_NE(edits_.problem().find(beta.string() + " would be 16777221 bytes"), std::string::npos)
        << edits_.problem();
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 2) << said;
}

TEST_F(EditProtocolTest, HostileStreamsDropTheConnectionWithOneMessage) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct {
        const char* what;
        Bytes stream;
        const char* problem;
    } cases[] = {
        {"unknown command", Bytes{9}, "unknown command 9"},
        {"huge name length", Bytes{2} + u32(0xFFFFFFF0u), "a track name of 4294967280 bytes"},
        {"track out of range", setKey(3, 0, 1.0f, 0), "track index 3 is out of range (3 tracks"},
        {"deleting out of range", deleteKey(1000000, 0), "track index 1000000 is out of range"},
        {"NaN value", setKey(0, 0, nan, 0), "key value is not a number"},
        {"unknown interpolation", setKey(0, 0, 1.0f, 7), "unknown interpolation 7"},
        {"row past the signed range", Bytes{3} + u32(0x80000000u),
         "row 2147483648 is out of range"},
        {"pause flag", Bytes{4, 2}, "pause flag 2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedEditor editor([this] { pump(); });
        connection_ =
            std::make_unique<EditorConnection>("127.0.0.1", editor.port(), device_, edits_);
        editor.greet();
        editor.read(3 * 5 + 5 + 4 + 5);
        testing::internal::CaptureStderr();
        editor.send(c.stream);
        EXPECT_TRUE(editor.closedByShow());
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_FALSE(connection_->connected());
        EXPECT_NE(connection_->lastProblem().find(c.problem), std::string::npos)
            << connection_->lastProblem();
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
        EXPECT_EQ(device_.track(0).keyCount, 0);
    }
}

TEST_F(EditProtocolTest, AWrongGreetingIsRefusedAndNoEditorMeansRetryingLater) {
    ASSERT_TRUE(editor_.accept());
    editor_.send("hello, world");
    EXPECT_TRUE(editor_.closedByShow());
    EXPECT_NE(connection_->lastProblem().find("greeting"), std::string::npos);

    // Nobody listening: each update returns at once, and the next try waits.
    const std::string port = [] {
        ScriptedEditor gone([] {});
        return gone.port();
    }();
    testing::internal::CaptureStderr();
    EditorConnection lonely("127.0.0.1", port, device_, edits_);
    const auto start = Clock::now();
    for (int frame = 0; frame < 100; ++frame)
        lonely.update(0.0, true);
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(500));
    EXPECT_FALSE(lonely.connected());
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said, "halvo-edit: no editor at 127.0.0.1:" + port + "; trying again every 3 s\n");
}

} // namespace
} // namespace Sorva
