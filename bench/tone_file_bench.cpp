// PLACEHOLDER: the core helper replaces this file.
#include <benchmark/benchmark.h>
BENCHMARK_MAIN();
