// The display context made for offline rendering, on a real X server: its
// window stays hidden and its frame clock steps by exactly 1 / fps however
// long a frame really takes.
#include "app/DisplayContext.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using Sorva::DisplayContext;

TEST(OfflineDisplayGl, HiddenWindowWhoseFrameStepIsExactlyOneOverFps) {
    for (const int fps : {24, 30, 60}) {
        SCOPED_TRACE(std::to_string(fps) + " fps");
        DisplayContext display(96, 54, DisplayContext::Offline{1.0 / fps});
        EXPECT_EQ(glfwGetWindowAttrib(display.window(), GLFW_VISIBLE), 0);
        EXPECT_EQ(display.width(), 96);
        EXPECT_EQ(display.height(), 54);

        // As on screen: nothing has elapsed before the first swap.
        EXPECT_EQ(display.deltaTime(), 0.0);
        for (const int sleepMs : {0, 30, 1, 70}) {
            std::this_thread::sleep_for(std::chrono::milliseconds(sleepMs));
            display.swap();
            display.pollEvents();
            EXPECT_EQ(display.deltaTime(), 1.0 / fps) << "after sleeping " << sleepMs << " ms";
        }
    }
}

TEST(OfflineDisplayGl, TheOnScreenClockStillMeasuresRealTime) {
    DisplayContext display(64, 36, true);
    display.swap();
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
    display.swap();
    EXPECT_GE(display.deltaTime(), 0.035);
}
