// GLFW window and context with GLEW-loaded entry points.
#include "app/DisplayContext.h"

#include "app/GlfwStart.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <string>

namespace Sorva {

DisplayContext::DisplayContext(int width, int height, bool windowed) : Surface(width, height) {
    if (!startGlfw())
        failStartup("Cannot start the window system: " + glfwCause("glfwInit failed"));
    open(!windowed, true);
}

DisplayContext::DisplayContext(int width, int height, Offline offline)
    : Surface(width, height), fixedStep_(offline.frameStep) {
    if (!startGlfw())
        failStartup("Cannot start the window system: " + glfwCause("glfwInit failed"));
    open(false, false);
    time_ = 0.0;
}

void DisplayContext::open(bool fullscreen, bool visible) {
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_FORWARD_COMPAT, 1);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_RESIZABLE, 0);
    if (!visible)
        glfwWindowHint(GLFW_VISIBLE, 0);

    GLFWmonitor* monitor = fullscreen ? glfwGetPrimaryMonitor() : nullptr;
    clearGlfwCause();
    window_ = glfwCreateWindow(width(), height(), "Halvo", monitor, nullptr);
    if (!window_)
        failStartup("Cannot open an OpenGL 3.3 core window: " +
                    glfwCause("glfwCreateWindow failed"));
    glfwMakeContextCurrent(window_);

    glewExperimental = GL_TRUE;
    const GLenum glew = glewInit();
    // Debian's GLEW reports a missing GLX display on non-GLX contexts even
    // though it has loaded every entry point; what matters is that they are there.
    if (glew != GLEW_OK && !glGenFramebuffers)
        failStartup(std::string("Cannot load the OpenGL entry points: ") +
                    reinterpret_cast<const char*>(glewGetErrorString(glew)));

    glfwSetInputMode(window_, GLFW_STICKY_KEYS, 1);
    glfwSetInputMode(window_, GLFW_CURSOR, GLFW_CURSOR_HIDDEN);
    time_ = glfwGetTime();
}

DisplayContext::~DisplayContext() {
    glfwTerminate();
}

bool DisplayContext::isRunning() const {
    return glfwGetKey(window_, GLFW_KEY_ESCAPE) != GLFW_PRESS;
}

bool DisplayContext::reloadRequested() const {
    return keyDown(GLFW_KEY_E);
}

bool DisplayContext::keyDown(int key) const {
    return glfwGetKey(window_, key) == GLFW_PRESS;
}

void DisplayContext::swap() {
    if (fixedStep_ > 0.0) {
        deltaTime_ = fixedStep_;
        time_ += fixedStep_;
        return;
    }
    glfwSwapBuffers(window_);
    const double t = glfwGetTime();
    deltaTime_ = t - time_;
    time_ = t;
}

// The window system shows a swapped picture at once (measured on the X
// server: the frame routine's own times put the picture within a few ms).
double DisplayContext::shownAfterSwap() {
    return 0.0;
}

void DisplayContext::pollEvents() {
    glfwPollEvents();
}

void DisplayContext::setKeyListener(KeyListener* listener) {
    keyListener_ = listener;
    glfwSetWindowUserPointer(window_, listener ? this : nullptr);
    glfwSetKeyCallback(window_, listener ? &DisplayContext::onKey : nullptr);
}

bool DisplayContext::closeRequested() const {
    return glfwWindowShouldClose(window_) != 0;
}

void DisplayContext::onKey(GLFWwindow* window, int key, int, int action, int mods) {
    auto* self = static_cast<DisplayContext*>(glfwGetWindowUserPointer(window));
    if (self && self->keyListener_ && action != GLFW_RELEASE)
        self->keyListener_->keyPressed(key, mods, action == GLFW_REPEAT);
}

} // namespace Sorva
