// CPU cost of the scene maths the particle ball uses each frame: one simplex
// noise sample, and the camera rig's per-frame work (shake, axes, matrices,
// with their track reads).
#include "gl/Surface.h"
#include "scene/CameraRig.h"
#include "scene/Snoise.h"

#include <benchmark/benchmark.h>

namespace {

void BM_Snoise(benchmark::State& state) {
    float x = 0.0f;
    for (auto _ : state) {
        benchmark::DoNotOptimize(Sorva::snoise(x, 1000.0f - x));
        x += 0.013f;
    }
}
BENCHMARK(BM_Snoise);

void BM_CameraRigFrame(benchmark::State& state) {
    Sorva::Gl::Surface surface(1280, 720);
    Sorva::CameraRig rig(surface, "bench");
    for (auto _ : state) {
        rig.advanceShake();
        benchmark::DoNotOptimize(rig.position());
        benchmark::DoNotOptimize(rig.up());
        benchmark::DoNotOptimize(rig.right());
        benchmark::DoNotOptimize(rig.projection());
        benchmark::DoNotOptimize(rig.view());
    }
}
BENCHMARK(BM_CameraRigFrame);

} // namespace

BENCHMARK_MAIN();
