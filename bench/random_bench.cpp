// The show's generator against the C library's rand(), one value a call:
// the sparkle takes 400 of them a frame.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "random/show_random.h"

namespace {

void BM_show_rand(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(show_rand());
}
BENCHMARK(BM_show_rand);

void BM_c_library_rand(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(std::rand() & show_rand_max);
}
BENCHMARK(BM_c_library_rand);

}  // namespace
