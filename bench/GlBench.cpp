// Costs of the GL layer on a real context: setting a uniform by name through
// the location cache against a direct glUniform1f, and building one
// full-screen pass (read, compile, link, quad upload).
#include "app/DisplayContext.h"
#include "bench/QuietStdout.h"
#include "gl/ScreenPass.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

namespace {

namespace fs = std::filesystem;

// A pass shader with as many uniforms as a busy effect sets per frame.
constexpr const char* passShader = R"(#version 330 core
uniform vec3 iResolution;
uniform float iTime;
uniform float iGlobalTime;
uniform vec4 iMouse;
uniform sampler2D iChannel0;
uniform float fade;
uniform float glitch;
uniform vec3 tint;
in vec2 uv;
out vec4 colour;
void main() {
    vec4 c = texture(iChannel0, uv + glitch * sin(iTime + iGlobalTime));
    colour = vec4(c.rgb * tint * fade + iMouse.xyz / iResolution, 1.0);
}
)";

// Hidden window, and a scratch show directory with the pass's shader files.
struct BenchContext {
    std::unique_ptr<Sorva::DisplayContext> display;
    fs::path dir;

    BenchContext() {
        if (glfwInit())
            glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
        display = std::make_unique<Sorva::DisplayContext>(64, 64, true);
        dir = fs::temp_directory_path() / ("halvo-bench-gl-" + std::to_string(::getpid()));
        fs::create_directories(dir / "data/shaders");
        fs::copy_file(fs::path(HALVO_SOURCE_DIR) / "data/shaders/trivial.vs",
                      dir / "data/shaders/trivial.vs", fs::copy_options::overwrite_existing);
        std::ofstream(dir / "data/shaders/pass.fs") << passShader;
        fs::current_path(dir);
    }
    ~BenchContext() { fs::remove_all(dir); }
};

BenchContext& context() {
    static BenchContext made;
    return made;
}

std::unique_ptr<Sorva::Gl::ScreenPass> makePass() {
    QuietStdout quiet;
    return std::make_unique<Sorva::Gl::ScreenPass>("./data/shaders/pass.fs",
                                                   context().display.get());
}

// The way every effect sets its uniforms: by name, the string built per call,
// with the program's other uniforms already in the cache.
void BM_SetUniform1fByName(benchmark::State& state) {
    auto pass = makePass();
    auto* program = pass->program();
    program->bind();
    for (const char* name :
         {"iResolution", "iTime", "iMouse", "iChannel0", "fade", "glitch", "tint", "iGlobalTime"})
        program->uniformLocation(name);
    float t = 0.0f;
    for (auto _ : state) {
        program->setUniform1f("iGlobalTime", t);
        t += 0.001f;
    }
    glFinish();
}
BENCHMARK(BM_SetUniform1fByName);

void BM_Uniform1fAtKnownLocation(benchmark::State& state) {
    auto pass = makePass();
    pass->program()->bind();
    const GLint location = glGetUniformLocation(pass->program()->id(), "iGlobalTime");
    float t = 0.0f;
    for (auto _ : state) {
        glUniform1f(location, t);
        t += 0.001f;
    }
    glFinish();
}
BENCHMARK(BM_Uniform1fAtKnownLocation);

// Start-up cost of one pass: two files read, two compiles, one link, the quad.
void BM_ScreenPassStartup(benchmark::State& state) {
    context();
    QuietStdout quiet;
    for (auto _ : state) {
        Sorva::Gl::ScreenPass pass("./data/shaders/pass.fs", context().display.get());
        glFinish();
    }
}
BENCHMARK(BM_ScreenPassStartup)->Unit(benchmark::kMillisecond);

// The same plus its first draw, where the driver may finish compiling.
void BM_ScreenPassStartupAndFirstDraw(benchmark::State& state) {
    context();
    QuietStdout quiet;
    for (auto _ : state) {
        Sorva::Gl::ScreenPass pass("./data/shaders/pass.fs", context().display.get());
        context().display->viewport(0, 0, 64, 64);
        pass.draw();
        glFinish();
    }
}
BENCHMARK(BM_ScreenPassStartupAndFirstDraw)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
