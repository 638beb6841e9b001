// An X server of the capture tool's own (Xvfb) for machines without a
// display: started on construction, its DISPLAY exported, stopped on
// destruction, and taken down with the tool if the tool dies.
#pragma once

#include <string>
#include <sys/types.h>

namespace Sorva {

class PrivateXServer {
public:
    // Starts Xvfb with a screen of at least width x height and waits until
    // it accepts clients; sets DISPLAY. Throws std::runtime_error saying why
    // when it cannot (no Xvfb, or it gave up).
    PrivateXServer(int width, int height);
    ~PrivateXServer();
    PrivateXServer(const PrivateXServer&) = delete;
    PrivateXServer& operator=(const PrivateXServer&) = delete;

    const std::string& display() const { return display_; }

private:
    pid_t pid_ = -1;
    std::string display_;
};

} // namespace Sorva
