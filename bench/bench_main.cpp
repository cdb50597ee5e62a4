// The benchmark binary's entry point.
#include <benchmark/benchmark.h>

BENCHMARK_MAIN();
