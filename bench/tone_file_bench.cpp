// Speed and memory of the tone file run, each beside a plain loop that
// computes the same formula without checks, kernels or file.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "bench_support.h"
#include "correct_sine.h"
#include "sample_formula.h"
#include "sample_kernel.h"
#include "tone_file_with_kernel.h"
#include "tonegen/tone_file.h"

namespace {

using quenbrix_bench::kLongestSampleCount;
using quenbrix_bench::kLongestSeconds;
using quenbrix_bench::ScratchDirectory;

using tonegen::KernelChoice;

constexpr std::int64_t kStretch = 1 << 20;
constexpr double kAmplitude = 20000.0;

// The formula with nothing around it: no finiteness or range checks, no
// blocks, no file. The samples land in a small ring so that they are stored.
void PlainLoop(benchmark::State& state) {
    const auto first = static_cast<std::int32_t>(state.range(0));
    const auto count = static_cast<std::int32_t>(state.range(1));
    const double step1 = 1209.0 / 44100.0 * tonegen::kPhaseFactor;
    const double step2 = 697.0 / 44100.0 * tonegen::kPhaseFactor;
    std::array<std::int16_t, 512> ring{};
    while (state.KeepRunning()) {
        for (std::int32_t i = first; i < first + count; ++i) {
            const auto index = static_cast<double>(i);
            const double s = std::sin(step1 * index) + std::sin(step2 * index);
            const double k = std::floor(kAmplitude * s);
            ring[static_cast<std::size_t>(i) & 511U] =
                static_cast<std::int16_t>(std::nearbyint(k / 2.0));
        }
        benchmark::DoNotOptimize(ring.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * count);
}

// One sine per call over 4,096 arguments below `limit`: the correctly
// rounded one (1) or the C library's (0).
void Sine(benchmark::State& state) {
    const bool correct = state.range(0) != 0;
    std::vector<double> x(4096);
    std::mt19937_64 random(1);
    std::uniform_real_distribution<double> below(0.0, static_cast<double>(state.range(1)));
    for (double& value : x) {
        value = below(random);
    }
    double sum = 0.0;
    while (state.KeepRunning()) {
        for (const double value : x) {
            sum += correct ? tonegen::CorrectlyRoundedSine(value) : std::sin(value);
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(x.size()));
    state.SetLabel(correct ? "correctly rounded" : "C library");
}

// One kernel over whole 512-sample blocks, as the run calls it.
void Kernel(benchmark::State& state) {
    const auto kernel = static_cast<KernelChoice>(state.range(0));
    if (!tonegen::KernelAvailable(kernel)) {
        state.SkipWithError("kernel not available on this processor");
        return;
    }
    const auto first = static_cast<std::int32_t>(state.range(1));
    const auto count = static_cast<std::int32_t>(state.range(2));
    const tonegen::SampleConstants constants{1209.0 / 44100.0 * tonegen::kPhaseFactor,
                                             697.0 / 44100.0 * tonegen::kPhaseFactor, kAmplitude};
    std::array<std::int16_t, 512> block{};
    while (state.KeepRunning()) {
        for (std::int32_t i = first; i < first + count; i += 512) {
            const tonegen::KernelOutcome outcome =
                tonegen::ComputeSamples(kernel, constants, i, 512, block.data());
            benchmark::DoNotOptimize(outcome);
        }
        benchmark::DoNotOptimize(block.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * count);
    state.SetLabel(std::string(tonegen::KernelName(kernel)));
}

// The whole run, file included, for a duration in seconds.
void Run(benchmark::State& state) {
    const auto kernel = static_cast<KernelChoice>(state.range(0));
    if (!tonegen::KernelAvailable(kernel)) {
        state.SkipWithError("kernel not available on this processor");
        return;
    }
    const std::string seconds = std::to_string(state.range(1));
    const ScratchDirectory dir;
    while (state.KeepRunning()) {
        const tonegen::RunResult result =
            tonegen::CreateToneFileWithKernel(kernel, dir.Path(), {"1209", "697", seconds, 20000});
        if (result) {
            state.SkipWithError(result->description.c_str());
            return;
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(1) * 44100);
    state.SetLabel(std::string(tonegen::KernelName(kernel)));
}

// The longest file the format allows (24,347 s, 2 GB), with the kernel the
// program picks. Needs 2 GB of free space in the temporary directory.
void LongestRun(benchmark::State& state) {
    const ScratchDirectory dir;
    while (state.KeepRunning()) {
        const tonegen::RunResult result = tonegen::CreateToneFile(
            dir.Path(), {"1209", "697", std::to_string(kLongestSeconds), 20000});
        if (result) {
            state.SkipWithError(result->description.c_str());
            return;
        }
        state.PauseTiming();
        std::filesystem::remove(tonegen::ToneFilePath(dir.Path()));
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * std::int64_t{kLongestSampleCount});
    state.SetLabel(std::string(tonegen::KernelName(tonegen::FastestKernel())));
}

// The samples of the longest file with the same kernel and no file: how much
// of LongestRun is computing and how much is the system taking 2 GB of writes.
void LongestCompute(benchmark::State& state) {
    const KernelChoice kernel = tonegen::FastestKernel();
    const tonegen::SampleConstants constants{1209.0 / 44100.0 * tonegen::kPhaseFactor,
                                             697.0 / 44100.0 * tonegen::kPhaseFactor, kAmplitude};
    std::array<std::int16_t, 512> block{};
    while (state.KeepRunning()) {
        for (std::int32_t i = 0; i < kLongestSampleCount; i += 512) {
            const std::int32_t count = std::min<std::int32_t>(512, kLongestSampleCount - i);
            benchmark::DoNotOptimize(
                tonegen::ComputeSamples(kernel, constants, i, count, block.data()));
        }
        benchmark::DoNotOptimize(block.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * std::int64_t{kLongestSampleCount});
    state.SetLabel(std::string(tonegen::KernelName(kernel)));
}

// Peak resident memory of a child process that makes one file and exits.
void PeakMemory(benchmark::State& state) {
    const std::string seconds = std::to_string(state.range(0));
    const ScratchDirectory dir;
    long peakKiB = 0;
    while (state.KeepRunning()) {
        const pid_t child = ::fork();
        if (child == 0) {
            const tonegen::RunResult result =
                tonegen::CreateToneFile(dir.Path(), {"1209", "697", seconds, 20000});
            ::_exit(result ? 1 : 0);
        }
        int status = 0;
        rusage usage{};
        if (child < 0 || ::wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) ||
            WEXITSTATUS(status) != 0) {
            state.SkipWithError("the child run failed");
            return;
        }
        peakKiB = usage.ru_maxrss;
        std::filesystem::remove(tonegen::ToneFilePath(dir.Path()));
    }
    state.counters["peak_rss_KiB"] = static_cast<double>(peakKiB);
}

void KernelArguments(benchmark::internal::Benchmark* bench) {
    for (const KernelChoice kernel :
         {KernelChoice::Scalar, KernelChoice::Sse2, KernelChoice::Avx2, KernelChoice::Avx512}) {
        bench->Args({static_cast<std::int64_t>(kernel), 0, kStretch});
        bench->Args({static_cast<std::int64_t>(kernel), kLongestSampleCount - kStretch, kStretch});
    }
}
void RunArguments(benchmark::internal::Benchmark* bench) {
    for (const KernelChoice kernel :
         {KernelChoice::Scalar, KernelChoice::Sse2, KernelChoice::Avx2, KernelChoice::Avx512}) {
        bench->Args({static_cast<std::int64_t>(kernel), 1});
        bench->Args({static_cast<std::int64_t>(kernel), 600});
    }
}

}  // namespace

// The machine is shared, so each figure is the median of three runs.
// Plain loop: {first index, count}; index 0 and the last stretch of the
// longest file, then the sample ranges of 1 s and 600 s files.
BENCHMARK(PlainLoop)
    ->ArgNames({"first", "count"})
    ->Args({0, kStretch})
    ->Args({kLongestSampleCount - kStretch, kStretch})
    ->Args({0, 44100})
    ->Args({0, std::int64_t{600} * 44100})
    ->Repetitions(3)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);
// The plain loop over the longest file's samples, for LongestCompute and
// LongestRun to be measured against (about a minute).
BENCHMARK(PlainLoop)
    ->ArgNames({"first", "count"})
    ->Args({0, kLongestSampleCount})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(Sine)
    ->ArgNames({"correct", "limit"})
    ->Args({0, 7})
    ->Args({1, 7})
    ->Args({0, 3'400'000'000})
    ->Args({1, 3'400'000'000})
    ->Repetitions(3)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(Kernel)
    ->ArgNames({"path", "first", "count"})
    ->Apply(KernelArguments)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(Run)
    ->ArgNames({"path", "seconds"})
    ->Apply(RunArguments)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(LongestRun)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(LongestCompute)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(PeakMemory)
    ->ArgNames({"seconds"})
    ->Arg(60)
    ->Arg(6000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

BENCHMARK_MAIN();
