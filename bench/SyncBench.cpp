// Cost of evaluating a sync track, beside a plain std::upper_bound over the
// same keys and rows (the search alone), at several key counts.
#include "sync/SyncTrack.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <vector>

namespace {

using namespace Sorva;

// Linear keys four rows apart, and random fractional rows over them.
struct Fixture {
    SyncTrack track;
    std::vector<double> rows;

    explicit Fixture(int keyCount) {
        std::mt19937 rng(7);
        std::uniform_real_distribution<float> value(-1.0f, 1.0f);
        track.keyCount = keyCount;
        track.keys = std::make_unique<SyncKey[]>(std::size_t(keyCount));
        for (int i = 0; i < keyCount; ++i)
            track.keys[std::size_t(i)] = {4 * i, value(rng), 1};
        std::uniform_real_distribution<double> row(-2.0, 4.0 * keyCount + 2.0);
        rows.resize(4096);
        for (double& r : rows)
            r = row(rng);
    }
};

void evaluateTrack(benchmark::State& state) {
    const Fixture f(int(state.range(0)));
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(evaluate(f.track, f.rows[i++ & 4095]));
    }
}

float valueAtOrBefore(const SyncKey* begin, const SyncKey* end, double row) {
    const SyncKey* after = std::upper_bound(
        begin, end, row, [](double r, const SyncKey& k) { return r < double(k.row); });
    return after == begin ? begin->value : after[-1].value;
}

// evaluate is a call into the library; this shows what the call alone costs.
[[gnu::noinline]] float valueAtOrBeforeOutOfLine(const SyncKey* begin, const SyncKey* end,
                                                 double row) {
    return valueAtOrBefore(begin, end, row);
}

template <float (*search)(const SyncKey*, const SyncKey*, double)>
void upperBound(benchmark::State& state) {
    const Fixture f(int(state.range(0)));
    const SyncKey* begin = f.track.keys.get();
    const SyncKey* end = begin + f.track.keyCount;
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(search(begin, end, f.rows[i++ & 4095]));
    }
}

BENCHMARK(evaluateTrack)->Arg(1)->Arg(16)->Arg(1024)->Arg(65536);
BENCHMARK(upperBound<valueAtOrBefore>)->Arg(1)->Arg(16)->Arg(1024)->Arg(65536);
BENCHMARK(upperBound<valueAtOrBeforeOutOfLine>)->Arg(1)->Arg(16)->Arg(1024)->Arg(65536);

} // namespace

BENCHMARK_MAIN();
