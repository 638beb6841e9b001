// Told how long the GL layer's costly start-up work takes: image decoding,
// shader compiling and linking, framebuffer creation. None is installed
// unless a tool measuring start-up installs one; then no clock is read.
#pragma once

#include <chrono>

namespace Sorva::Gl {

class StartupObserver {
public:
    using Clock = std::chrono::steady_clock;

    enum class Work {
        ImageDecoding,    // loadTexture: decoding and upload
        ShaderBuilding,   // glCompileShader and glLinkProgram
        FramebufferSetup, // Fbo::setup
    };

    virtual ~StartupObserver() = default;

    // After each piece of work, with the time it took.
    virtual void spent(Work work, Clock::duration time) = 0;

    // The observer told of all work from now on; null for none. Set and
    // read on the GL thread only.
    static void install(StartupObserver* observer) { installed_ = observer; }

    // Times the work between its construction and its destruction for the
    // observer installed at construction, if any.
    class Scope {
    public:
        explicit Scope(Work work) : observer_(installed_), work_(work) {
            if (observer_)
                start_ = Clock::now();
        }
        ~Scope() {
            if (observer_)
                observer_->spent(work_, Clock::now() - start_);
        }
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        StartupObserver* observer_;
        Work work_;
        Clock::time_point start_;
    };

private:
    static inline StartupObserver* installed_ = nullptr;
};

} // namespace Sorva::Gl
