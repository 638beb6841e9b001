// The display context on a real X server: a 3.3 core context, the window it
// asks for, its input modes and its frame clock.
#include "app/DisplayContext.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using Sorva::DisplayContext;

TEST(DisplayContextGl, OpensA33CoreWindowOfTheRequestedSize) {
    DisplayContext display(320, 180, true);

    GLint major = 0, minor = 0, profile = 0;
    glGetIntegerv(GL_MAJOR_VERSION, &major);
    glGetIntegerv(GL_MINOR_VERSION, &minor);
    glGetIntegerv(GL_CONTEXT_PROFILE_MASK, &profile);
    EXPECT_GE(major * 10 + minor, 33);
    EXPECT_TRUE(profile & GL_CONTEXT_CORE_PROFILE_BIT);

    EXPECT_EQ(display.width(), 320);
    EXPECT_EQ(display.height(), 180);
    int w = 0, h = 0;
    glfwGetWindowSize(display.window(), &w, &h);
    EXPECT_EQ(w, 320);
    EXPECT_EQ(h, 180);
    EXPECT_EQ(glfwGetWindowAttrib(display.window(), GLFW_RESIZABLE), 0);
    EXPECT_EQ(glfwGetInputMode(display.window(), GLFW_STICKY_KEYS), 1);
    EXPECT_EQ(glfwGetInputMode(display.window(), GLFW_CURSOR), GLFW_CURSOR_HIDDEN);

    // No key is down: the show runs and no reload is asked for.
    EXPECT_TRUE(display.isRunning());
    EXPECT_FALSE(display.reloadRequested());
}

TEST(DisplayContextGl, FrameClockMeasuresFromSwapToSwap) {
    DisplayContext display(64, 36, true);
    EXPECT_EQ(display.deltaTime(), 0.0);

    // The first swap measures from the end of construction.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const auto beforeFirstSwap = std::chrono::steady_clock::now();
    display.swap();
    EXPECT_GE(display.deltaTime(), 0.045);

    // The second from the first: within what the test saw pass since just
    // before the first swap, which a clock still counting from construction
    // would exceed by the 50 ms slept above, however slow the machine.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    display.swap();
    const std::chrono::duration<double> seen = std::chrono::steady_clock::now() - beforeFirstSwap;
    EXPECT_GE(display.deltaTime(), 0.018);
    EXPECT_LE(display.deltaTime(), seen.count());
}

TEST(DisplayContextGl, ClearsTheScreenItBinds) {
    DisplayContext display(64, 36, true);
    GLuint fbo = 0;
    glGenFramebuffers(1, &fbo);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    display.bindScreen();
    GLint bound = -1;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
    EXPECT_EQ(bound, 0);
    glDeleteFramebuffers(1, &fbo);

    display.viewport(0, 0, 64, 36);
    glClearColor(1.0f, 0.5f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    unsigned char pixel[4] = {};
    glReadPixels(10, 10, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    EXPECT_EQ(pixel[0], 255);
    EXPECT_NEAR(pixel[1], 128, 1);
    EXPECT_EQ(pixel[2], 0);
}
