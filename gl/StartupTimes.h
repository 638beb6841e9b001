// Where the GL layer's start-up time goes: image decoding, shader compiling
// and linking, framebuffer creation; summed over the process, read by the
// capture tool's benchmark.
#pragma once

#include <chrono>

namespace Sorva::Gl {

struct StartupTimes {
    // Seconds, summed over every call since the process started.
    double imageDecoding = 0.0;    // loadTexture: decoding and upload
    double shaderBuilding = 0.0;   // glCompileShader and glLinkProgram
    double framebufferSetup = 0.0; // Fbo::setup

    static StartupTimes& instance();

    // Adds the time between its construction and its destruction to one of
    // the figures above.
    class Scope {
    public:
        explicit Scope(double& total) : total_(total), start_(Clock::now()) {}
        ~Scope() { total_ += std::chrono::duration<double>(Clock::now() - start_).count(); }
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        using Clock = std::chrono::steady_clock;
        double& total_;
        Clock::time_point start_;
    };
};

} // namespace Sorva::Gl
