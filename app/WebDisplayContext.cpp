// The page's canvas as the window, through emscripten's GLFW 3, with a WebGL 2
// context that renders to float textures. A frame is shown when the program
// yields to the browser at swap(), which waits for the next animation frame.
#include "app/DisplayContext.h"

#include "app/GlfwStart.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <emscripten.h>

#include <set>
#include <string>

namespace Sorva {

namespace {

// What the browser lacks for the show: WebGL 2 itself, float render targets
// (EXT_color_buffer_float), or filtering of float textures
// (OES_texture_float_linear), without which they are sampled unfiltered;
// 0 when it has them all.
EM_JS(int, halvoWebGlLacks, (), {
    const gl = Module.ctx;
    if (!gl || typeof WebGL2RenderingContext == 'undefined' ||
        !(gl instanceof WebGL2RenderingContext))
        return 1;
    if (!gl.getExtension('EXT_color_buffer_float'))
        return 2;
    return gl.getExtension('OES_texture_float_linear') ? 0 : 3;
});

// The canvas keeps the size the show renders at; the page's style scales it
// to fill the window or the screen at this shape.
EM_JS(void, halvoCanvasShape, (int width, int height), {
    Module.canvas.style.setProperty('--picture-width', width);
    Module.canvas.style.setProperty('--picture-height', height);
});

// Each frame's end is kept (performance.now(), the first 100000) in
// Module.halvoSwaps for the benchmark to read.
EM_ASYNC_JS(void, halvoNextAnimationFrame, (), {
    const swaps = Module.halvoSwaps || (Module.halvoSwaps = []);
    if (swaps.length < 100000)
        swaps.push(performance.now());
    await new Promise(function(resolve) { requestAnimationFrame(resolve); });
});

// Keys pressed during the last yield to the browser: a press and its release
// often both arrive within one frame, and emscripten's GLFW keeps no sticky
// keys, so these count as down until the next frame's yield.
std::set<int>& pressedThisFrame() {
    static std::set<int> keys;
    return keys;
}

// The browser's GPU process draws a frame's commands after the program has
// handed them over; left alone, it queues frames up behind each other and a
// picture reaches the screen several frames after its row was read (540 ms
// at 5 frames/s, measured). WebGL's finish() only flushes, so one pixel is
// read back instead: it returns once the frame is drawn, and the frame's
// own time then holds its drawing (215 ms from read to screen, same rate).
void waitUntilDrawn() {
    GLint readFramebuffer = 0;
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &readFramebuffer);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    unsigned char pixel[4];
    glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(readFramebuffer));
}

} // namespace

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

void DisplayContext::open(bool, bool) {
    // The page's canvas is the window; fullscreen is the page's to ask for,
    // in the gesture that started the show.
    glfwWindowHint(GLFW_RESIZABLE, 0);
    clearGlfwCause();
    window_ = glfwCreateWindow(width(), height(), "Halvo", nullptr, nullptr);
    if (!window_)
        failStartup("This browser has no WebGL 2, which the show needs.");
    glfwMakeContextCurrent(window_);
    switch (halvoWebGlLacks()) {
    case 1:
        failStartup("This browser has no WebGL 2, which the show needs.");
    case 2:
        failStartup("This browser's WebGL 2 cannot render to float textures "
                    "(EXT_color_buffer_float), which the show needs.");
    case 3:
        failStartup("This browser's WebGL 2 cannot filter float textures "
                    "(OES_texture_float_linear), which the show needs.");
    default:
        break;
    }
    halvoCanvasShape(width(), height());
    glfwSetWindowUserPointer(window_, this);
    glfwSetKeyCallback(window_, &DisplayContext::onKey);
    time_ = glfwGetTime();
}

DisplayContext::~DisplayContext() {
    glfwTerminate();
}

bool DisplayContext::isRunning() const {
    return !keyDown(GLFW_KEY_ESCAPE);
}

// Reloading from disk is for editing on the desktop.
bool DisplayContext::reloadRequested() const {
    return false;
}

bool DisplayContext::keyDown(int key) const {
    return glfwGetKey(window_, key) == GLFW_PRESS || pressedThisFrame().count(key) > 0;
}

// Offline, the frame clock steps by the fixed amount; the page still gets
// each frame, so it stays alive while many are rendered.
void DisplayContext::swap() {
    pressedThisFrame().clear();
    if (fixedStep_ <= 0.0)
        waitUntilDrawn();
    halvoNextAnimationFrame();
    if (fixedStep_ > 0.0) {
        deltaTime_ = fixedStep_;
        time_ += fixedStep_;
        return;
    }
    const double t = glfwGetTime();
    deltaTime_ = t - time_;
    time_ = t;
}

// The page's compositor puts the frame on the screen after the animation
// frame that resumes the program: measured from the grabbed screen, 4-5 ms
// at 320 x 180 and about 10 ms at 640 x 360.
double DisplayContext::shownAfterSwap() {
    return 0.008;
}

void DisplayContext::pollEvents() {
    glfwPollEvents();
}

void DisplayContext::setKeyListener(KeyListener* listener) {
    keyListener_ = listener;
}

bool DisplayContext::closeRequested() const {
    return glfwWindowShouldClose(window_) != 0;
}

void DisplayContext::onKey(GLFWwindow* window, int key, int, int action, int mods) {
    if (action == GLFW_PRESS)
        pressedThisFrame().insert(key);
    auto* self = static_cast<DisplayContext*>(glfwGetWindowUserPointer(window));
    if (self && self->keyListener_ && action != GLFW_RELEASE)
        self->keyListener_->keyPressed(key, mods, action == GLFW_REPEAT);
}

} // namespace Sorva
