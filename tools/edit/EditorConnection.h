// The show's side of a TCP connection to a sync editor: connects (and keeps
// trying while none listens), greets, asks for every track the show uses,
// tells the editor the row while playing, and hands the editor's commands to
// the show. Nothing here ever waits on the socket: one update() a frame does
// what the socket allows at once.
#pragma once

#include "sync/SyncDevice.h"
#include "tools/edit/EditorCommands.h"

#include <netdb.h>

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Sorva {

class EditorConnection {
public:
    using Clock = std::chrono::steady_clock;

    // How long to wait before trying an editor again, and for its greeting.
    static constexpr Clock::duration retryInterval = std::chrono::seconds(3);
    static constexpr Clock::duration greetingTimeout = std::chrono::seconds(3);
    // Names the demo will ever ask for are far shorter.
    static constexpr std::uint32_t maxNameLength = 1024;

    // The editor at host:port, found now (the one call that may wait, on name
    // lookup); throws std::runtime_error naming the address when it cannot be
    // found. Tracks are those of `device`; commands go to `commands`.
    EditorConnection(const std::string& host, const std::string& port, SyncDevice& device,
                     EditorCommands& commands);
    ~EditorConnection();
    EditorConnection(const EditorConnection&) = delete;
    EditorConnection& operator=(const EditorConnection&) = delete;

    // Once a frame: (re)connects when it is time, sends the requests of
    // tracks new since the last call, the row when playing has brought it to
    // a new integer row, and carries out what the editor has sent.
    void update(double row, bool playing, Clock::time_point now = Clock::now());

    bool connected() const { return state_ == State::Connected; }
    // "host:port".
    const std::string& address() const { return address_; }
    // Why the last connection ended, or "" while none has ended.
    const std::string& lastProblem() const { return problem_; }

private:
    enum class State { Waiting, Connecting, Greeting, Connected };
    // What parsing the front of the input found.
    enum class Parsed { Command, Incomplete, Dropped };

    void startConnecting(Clock::time_point now);
    void finishConnecting(Clock::time_point now);
    void greeted();
    void connectFailed(Clock::time_point now);
    void drop(const std::string& why, Clock::time_point now);
    void closeSocket();

    void requestNewTracks();
    void sendRow(double row, bool playing);
    bool flush(Clock::time_point now);
    // Reads what the socket holds, up to a frame's worth; false once dropped.
    bool receive(Clock::time_point now);
    void runCommands(Clock::time_point now);
    Parsed runCommand(std::size_t& used, Clock::time_point now);

    SyncDevice& device_;
    EditorCommands& commands_;
    std::string address_;
    addrinfo* addresses_ = nullptr;
    addrinfo* next_ = nullptr; // the address to try next

    State state_ = State::Waiting;
    int socket_ = -1;
    Clock::time_point retryAt_{};
    Clock::time_point greetingBy_{};
    bool toldWaiting_ = false;
    std::string problem_;

    std::size_t requested_ = 0; // tracks asked for on this connection
    std::int64_t lastRow_ = -1; // the row last told or heard, -1 for none

    std::array<std::uint8_t, 4096> input_{};
    std::size_t inputSize_ = 0;
    std::vector<std::uint8_t> output_;
    std::size_t outputSent_ = 0;
};

} // namespace Sorva
