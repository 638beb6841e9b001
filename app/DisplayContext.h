// The window, its OpenGL 3.3 core context, the frame clock and the keys;
// owns the window system from construction to destruction. What is drawn on
// it is drawn through the surface it derives from.
#pragma once

#include "gl/Surface.h"
#include "scene/FrameInput.h"

struct GLFWwindow;

namespace Sorva {

class DisplayContext : public Gl::Surface, public FrameInput {
public:
    // Opens the window (fullscreen on the primary monitor unless windowed) and
    // makes its context current. Throws Rexception naming the cause when the
    // window system, the window or the GL entry points cannot be had.
    DisplayContext(int width, int height, bool windowed);

    // For rendering offline: a hidden window, and a frame clock that advances
    // by exactly frameStep seconds at each swap() instead of following the
    // timer, as a perfectly paced run would. swap() then presents nothing.
    struct Offline {
        double frameStep;
    };
    DisplayContext(int width, int height, Offline offline);

    ~DisplayContext();
    DisplayContext(const DisplayContext&) = delete;
    DisplayContext& operator=(const DisplayContext&) = delete;

    double deltaTime() const override { return deltaTime_; }
    GLFWwindow* window() const { return window_; }

    bool isRunning() const;       // Escape is not down
    bool reloadRequested() const; // E is down
    bool keyDown(int key) const override;

    void swap();
    // Seconds from swap()'s return to its picture on the screen, as measured
    // on the platform: the frame routine counts them in its lead.
    static double shownAfterSwap();
    void pollEvents();

    // Told of key presses as pollEvents() takes them from the window system,
    // with the modifier bits (GLFW_MOD_*) held at the time.
    class KeyListener {
    public:
        // repeat: the key is held and the system repeats it.
        virtual void keyPressed(int key, int mods, bool repeat) = 0;

    protected:
        ~KeyListener() = default;
    };
    // Null for none, as at construction; the keys read by keyDown() are
    // unaffected either way.
    void setKeyListener(KeyListener* listener);
    // Whether the window's close box was pressed.
    bool closeRequested() const;

private:
    static void onKey(GLFWwindow* window, int key, int scancode, int action, int mods);

    // Window hints, the window and its context, GL entry points, input modes.
    void open(bool fullscreen, bool visible);

    GLFWwindow* window_ = nullptr;
    double time_ = 0.0;
    double deltaTime_ = 0.0;
    // 0: deltaTime is measured between swaps.
    double fixedStep_ = 0.0;
    KeyListener* keyListener_ = nullptr;
};

} // namespace Sorva
