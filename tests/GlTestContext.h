// Fixture of the GL tests: a hidden window with a current OpenGL 3.3 core
// context (shared by the tests of one process) and a scratch working
// directory holding the show's quad vertex shader.
#pragma once

#include "app/DisplayContext.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>

namespace Sorva::Test {

class GlTestContext : public ::testing::Test {
public:
    // RGBA of one pixel of the framebuffer bound for reading.
    static std::array<float, 4> readPixel(int x, int y);

    // Everything f writes on stdout.
    template <typename F> static std::string captureStdout(F f) {
        std::fflush(stdout);
        ::testing::internal::CaptureStdout();
        f();
        std::fflush(stdout);
        return ::testing::internal::GetCapturedStdout();
    }

protected:
    // Fails the test when no context can be made; otherwise enters a fresh
    // scratch directory with data/shaders/trivial.vs and resets the bindings.
    void SetUp() override;
    void TearDown() override;

    DisplayContext& display() { return *display_; }
    const std::filesystem::path& workDir() const { return workDir_; }

    // Writes a file below the scratch directory, creating its folders.
    void writeFile(const std::string& relativePath, const std::string& text);

private:
    DisplayContext* display_ = nullptr;
    std::filesystem::path previousDir_;
    std::filesystem::path workDir_;
};

} // namespace Sorva::Test
