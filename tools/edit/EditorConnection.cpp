// The editor connection: a non-blocking socket, its greeting, and the
// commands of the sync protocol (all integers big-endian).
#include "tools/edit/EditorConnection.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <stdexcept>

namespace Sorva {

namespace {

constexpr char demoGreeting[] = "hello, synctracker!"; // 19 bytes, sent
constexpr char editorGreeting[] = "hello, demo!";      // 12 bytes, expected
constexpr std::size_t demoGreetingSize = sizeof demoGreeting - 1;
constexpr std::size_t editorGreetingSize = sizeof editorGreeting - 1;

// Commands, by their first byte.
enum Command : std::uint8_t {
    setKeyCommand = 0,
    deleteKeyCommand = 1,
    getTrackCommand = 2,
    setRowCommand = 3,
    pauseCommand = 4,
    saveTracksCommand = 5,
};

// Bytes a frame reads at most, so that a flooding editor cannot hold it up.
constexpr std::size_t maxReadPerUpdate = 64 * 1024;
// Output the editor leaves unread before it is given up.
constexpr std::size_t maxPendingOutput = 1024 * 1024;

std::uint32_t readU32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 |
           std::uint32_t(p[3]);
}

void appendU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    const std::uint8_t bytes[] = {std::uint8_t(v >> 24), std::uint8_t(v >> 16),
                                  std::uint8_t(v >> 8), std::uint8_t(v)};
    out.insert(out.end(), bytes, bytes + 4);
}

} // namespace

EditorConnection::EditorConnection(const std::string& host, const std::string& port,
                                   SyncDevice& device, EditorCommands& commands)
    : device_(device), commands_(commands), address_(host + ":" + port) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    const int error = getaddrinfo(host.c_str(), port.c_str(), &hints, &addresses_);
    if (error != 0 || !addresses_)
        throw std::runtime_error("cannot find the editor at " + address_ + ": " +
                                 gai_strerror(error));
    next_ = addresses_;
    output_.reserve(64 * 1024);
}

EditorConnection::~EditorConnection() {
    closeSocket();
    freeaddrinfo(addresses_);
}

void EditorConnection::update(double row, bool playing, Clock::time_point now) {
    if (state_ == State::Waiting && now >= retryAt_)
        startConnecting(now);
    if (state_ == State::Connecting)
        finishConnecting(now);
    if (state_ == State::Greeting) {
        if (!flush(now) || !receive(now))
            return;
        if (inputSize_ < editorGreetingSize) {
            if (now >= greetingBy_)
                drop("no greeting from the editor", now);
            return;
        }
        if (std::memcmp(input_.data(), editorGreeting, editorGreetingSize) != 0) {
            drop("the editor's greeting is not \"hello, demo!\"", now);
            return;
        }
        std::memmove(input_.data(), input_.data() + editorGreetingSize,
                     inputSize_ - editorGreetingSize);
        inputSize_ -= editorGreetingSize;
        greeted();
    }
    if (state_ != State::Connected)
        return;
    requestNewTracks();
    runCommands(now);
    if (state_ != State::Connected)
        return;
    if (!receive(now))
        return;
    runCommands(now);
    if (state_ != State::Connected)
        return;
    sendRow(row, playing);
    flush(now);
}

void EditorConnection::startConnecting(Clock::time_point now) {
    socket_ = socket(next_->ai_family, next_->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                     next_->ai_protocol);
    if (socket_ < 0) {
        connectFailed(now);
        return;
    }
    if (connect(socket_, next_->ai_addr, next_->ai_addrlen) != 0 && errno != EINPROGRESS) {
        connectFailed(now);
        return;
    }
    state_ = State::Connecting;
}

void EditorConnection::finishConnecting(Clock::time_point now) {
    pollfd watched{socket_, POLLOUT, 0};
    if (poll(&watched, 1, 0) <= 0)
        return; // still connecting
    int error = 0;
    socklen_t size = sizeof error;
    if (getsockopt(socket_, SOL_SOCKET, SO_ERROR, &error, &size) != 0 || error != 0) {
        connectFailed(now);
        return;
    }
    output_.clear();
    outputSent_ = 0;
    inputSize_ = 0;
    output_.insert(output_.end(), demoGreeting, demoGreeting + demoGreetingSize);
    greetingBy_ = now + greetingTimeout;
    state_ = State::Greeting;
}

void EditorConnection::connectFailed(Clock::time_point now) {
    closeSocket();
    next_ = next_->ai_next;
    if (next_) {
        // Another address of the same name: try it at once.
        state_ = State::Waiting;
        retryAt_ = now;
        return;
    }
    next_ = addresses_;
    if (!toldWaiting_) {
        std::fprintf(stderr, "halvo-edit: no editor at %s; trying again every %d s\n",
                     address_.c_str(),
                     int(std::chrono::duration_cast<std::chrono::seconds>(retryInterval).count()));
        toldWaiting_ = true;
    }
    state_ = State::Waiting;
    retryAt_ = now + retryInterval;
}

void EditorConnection::greeted() {
    std::fprintf(stderr, "halvo-edit: editor connected at %s\n", address_.c_str());
    state_ = State::Connected;
    toldWaiting_ = false;
    problem_.clear();
    requested_ = 0;
    lastRow_ = -1;
}

void EditorConnection::drop(const std::string& why, Clock::time_point now) {
    std::fprintf(stderr, "halvo-edit: editor at %s: %s; connection dropped\n", address_.c_str(),
                 why.c_str());
    problem_ = why;
    closeSocket();
    next_ = addresses_;
    // Said once: the next outage gets its own line.
    toldWaiting_ = true;
    state_ = State::Waiting;
    retryAt_ = now + retryInterval;
}

void EditorConnection::closeSocket() {
    if (socket_ >= 0)
        close(socket_);
    socket_ = -1;
    inputSize_ = 0;
    output_.clear();
    outputSent_ = 0;
}

void EditorConnection::requestNewTracks() {
    for (; requested_ < device_.trackCount(); ++requested_) {
        const std::string& name = device_.track(requested_).name;
        output_.push_back(getTrackCommand);
        appendU32(output_, static_cast<std::uint32_t>(name.size()));
        output_.insert(output_.end(), name.begin(), name.end());
    }
}

void EditorConnection::sendRow(double row, bool playing) {
    if (!playing)
        return;
    const auto whole = static_cast<std::int64_t>(std::floor(row));
    if (whole == lastRow_ || whole < 0)
        return;
    lastRow_ = whole;
    output_.push_back(setRowCommand);
    appendU32(output_, static_cast<std::uint32_t>(whole));
}

bool EditorConnection::flush(Clock::time_point now) {
    while (outputSent_ < output_.size()) {
        const ssize_t sent = send(socket_, output_.data() + outputSent_,
                                  output_.size() - outputSent_, MSG_DONTWAIT | MSG_NOSIGNAL);
        if (sent > 0) {
            outputSent_ += static_cast<std::size_t>(sent);
            continue;
        }
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        drop(std::string("cannot send: ") + std::strerror(errno), now);
        return false;
    }
    if (outputSent_ == output_.size()) {
        output_.clear();
        outputSent_ = 0;
    } else if (output_.size() - outputSent_ > maxPendingOutput) {
        drop("the editor reads nothing of what the show sends", now);
        return false;
    }
    return true;
}

bool EditorConnection::receive(Clock::time_point now) {
    std::size_t total = 0;
    while (inputSize_ < input_.size() && total < maxReadPerUpdate) {
        const ssize_t got =
            recv(socket_, input_.data() + inputSize_, input_.size() - inputSize_, MSG_DONTWAIT);
        if (got > 0) {
            inputSize_ += static_cast<std::size_t>(got);
            total += static_cast<std::size_t>(got);
            // Commands are run as they come, to make room for more.
            if (state_ == State::Connected && inputSize_ == input_.size()) {
                runCommands(now);
                if (state_ != State::Connected)
                    return false;
            }
            continue;
        }
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return true;
        const std::string why = got == 0 ? "the editor closed the connection"
                                         : std::string("cannot receive: ") + std::strerror(errno);
        // What the editor sent before it went is carried out: a save as its
        // last word is the common case.
        if (state_ == State::Connected) {
            runCommands(now);
            if (state_ != State::Connected)
                return false;
        }
        drop(why, now);
        return false;
    }
    return true;
}

void EditorConnection::runCommands(Clock::time_point now) {
    std::size_t offset = 0;
    while (offset < inputSize_) {
        std::size_t used = offset;
        const Parsed parsed = runCommand(used, now);
        if (parsed == Parsed::Dropped)
            return;
        if (parsed == Parsed::Incomplete)
            break;
        offset = used;
    }
    std::memmove(input_.data(), input_.data() + offset, inputSize_ - offset);
    inputSize_ -= offset;
}

// Runs the command at input_[at] if it is all there, moving `at` past it.
EditorConnection::Parsed EditorConnection::runCommand(std::size_t& at, Clock::time_point now) {
    const std::uint8_t* p = input_.data() + at;
    const std::size_t available = inputSize_ - at;
    const auto need = [&](std::size_t size) { return available >= size; };
    const auto trackIndex = [&](std::uint32_t track) {
        if (track < requested_)
            return true;
        drop("track index " + std::to_string(track) + " is out of range (" +
                 std::to_string(requested_) + " tracks requested)",
             now);
        return false;
    };
    const auto validRow = [&](std::uint32_t row) {
        if (row <= std::uint32_t(std::numeric_limits<std::int32_t>::max()))
            return true;
        drop("row " + std::to_string(row) + " is out of range", now);
        return false;
    };

    switch (p[0]) {
    case setKeyCommand: {
        if (!need(14))
            return Parsed::Incomplete;
        const std::uint32_t track = readU32(p + 1);
        const std::uint32_t row = readU32(p + 5);
        const std::uint32_t bits = readU32(p + 9);
        const std::uint8_t type = p[13];
        float value;
        std::memcpy(&value, &bits, sizeof value);
        if (!trackIndex(track) || !validRow(row))
            return Parsed::Dropped;
        if (!std::isfinite(value)) {
            drop(std::string("key value is ") + (std::isnan(value) ? "not a number" : "infinite"),
                 now);
            return Parsed::Dropped;
        }
        if (type > 3) {
            drop("unknown interpolation " + std::to_string(type), now);
            return Parsed::Dropped;
        }
        at += 14;
        commands_.setKey(track, SyncKey{std::int32_t(row), value, type});
        return Parsed::Command;
    }
    case deleteKeyCommand: {
        if (!need(9))
            return Parsed::Incomplete;
        const std::uint32_t track = readU32(p + 1);
        const std::uint32_t row = readU32(p + 5);
        if (!trackIndex(track) || !validRow(row))
            return Parsed::Dropped;
        at += 9;
        commands_.deleteKey(track, std::int32_t(row));
        return Parsed::Command;
    }
    case getTrackCommand: {
        // The show asks for tracks, never the editor: a name length tells
        // only how hostile the stream is.
        if (!need(5))
            return Parsed::Incomplete;
        const std::uint32_t length = readU32(p + 1);
        drop(length > maxNameLength ? "a track name of " + std::to_string(length) + " bytes"
                                    : std::string("a track request (command 2) from the editor"),
             now);
        return Parsed::Dropped;
    }
    case setRowCommand: {
        if (!need(5))
            return Parsed::Incomplete;
        const std::uint32_t row = readU32(p + 1);
        if (!validRow(row))
            return Parsed::Dropped;
        at += 5;
        lastRow_ = row;
        commands_.seekRow(std::int32_t(row));
        return Parsed::Command;
    }
    case pauseCommand: {
        if (!need(2))
            return Parsed::Incomplete;
        if (p[1] > 1) {
            drop("pause flag " + std::to_string(p[1]) + " is neither 0 nor 1", now);
            return Parsed::Dropped;
        }
        at += 2;
        commands_.setPaused(p[1] == 1);
        return Parsed::Command;
    }
    case saveTracksCommand:
        at += 1;
        commands_.saveTracks();
        return Parsed::Command;
    default:
        drop("unknown command " + std::to_string(p[0]), now);
        return Parsed::Dropped;
    }
}

} // namespace Sorva
