// Xvfb started with -displayfd, which writes its display number once ready.
#include "tools/capture/PrivateXServer.h"

#include "tools/capture/FindOnPath.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace Sorva {

namespace {

constexpr int startTimeoutMs = 15000;

void reap(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
}

} // namespace

PrivateXServer::PrivateXServer(int width, int height) {
    const std::filesystem::path xvfb = findOnPath("Xvfb");
    if (xvfb.empty())
        throw std::runtime_error("no DISPLAY, and Xvfb is not on PATH to make a private one "
                                 "(Debian package xvfb)");
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        throw std::runtime_error(std::string("cannot start Xvfb: ") + std::strerror(errno));

    const std::string screen =
        std::to_string(std::max(width, 640)) + "x" + std::to_string(std::max(height, 480)) + "x24";
    const std::string fd = std::to_string(fds[1]);
    const pid_t parent = getpid();
    pid_ = fork();
    if (pid_ < 0) {
        close(fds[0]);
        close(fds[1]);
        throw std::runtime_error(std::string("cannot start Xvfb: ") + std::strerror(errno));
    }
    if (pid_ == 0) {
        // Goes when the tool goes, however it ends; Ctrl-C reaches the tool only.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent)
            _exit(1);
        setpgid(0, 0);
        fcntl(fds[1], F_SETFD, 0);
        const int devnull = open("/dev/null", O_RDWR);
        dup2(devnull, STDIN_FILENO);
        dup2(devnull, STDOUT_FILENO);
        dup2(devnull, STDERR_FILENO);
        execl(xvfb.c_str(), "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(),
              "-nolisten", "tcp", "-noreset", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);

    std::string number;
    pollfd ready{fds[0], POLLIN, 0};
    for (;;) {
        const int n = poll(&ready, 1, startTimeoutMs);
        if (n < 0 && errno == EINTR)
            continue;
        char c;
        if (n <= 0 || read(fds[0], &c, 1) != 1 || c == '\n')
            break;
        number += c;
    }
    close(fds[0]);
    if (number.empty()) {
        kill(pid_, SIGTERM);
        reap(pid_);
        pid_ = -1;
        throw std::runtime_error("no DISPLAY, and the private X server (Xvfb) did not start");
    }
    display_ = ":" + number;
    setenv("DISPLAY", display_.c_str(), 1);
}

PrivateXServer::~PrivateXServer() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        reap(pid_);
    }
}

} // namespace Sorva
