// The whole run with each write path (overlapped where the system allows it,
// or synchronous), each in a child process so that its peak memory is
// measured too; and the longest file against the plain loop over the same
// samples, timed in the same run.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "bench_support.h"
#include "sample_formula.h"
#include "sample_kernel.h"
#include "tone_file_with_kernel.h"
#include "tone_file_writer.h"

namespace {

using quenbrix_bench::kLongestSampleCount;
using quenbrix_bench::kLongestSeconds;
using quenbrix_bench::ScratchDirectory;

using WritePath = tonegen::ToneFileWriter::WritePath;
using Clock = std::chrono::steady_clock;

struct ChildRun {
    bool succeeded = false;
    double seconds = 0;
    long peakKiB = 0;
};

// One file of the given duration, written by a child process through the
// given path; the time includes closing the file, not deleting it.
ChildRun RunInChild(WritePath writePath, std::int64_t seconds, const ScratchDirectory& dir) {
    const std::filesystem::path file = dir.Path() / "test.wav";
    const Clock::time_point start = Clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        const tonegen::ToneInputs inputs{"1209", "697", std::to_string(seconds), 20000};
        const tonegen::RunResult result = tonegen::WriteToneWithKernel(
            tonegen::FastestKernel(), inputs, {},
            [&](tonegen::ToneFileWriter& writer) { return writer.Create(file, writePath); });
        ::_exit(result ? 1 : 0);
    }
    int status = 0;
    rusage usage{};
    const bool waited = child > 0 && ::wait4(child, &status, 0, &usage) == child;
    ChildRun run;
    run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    run.succeeded = waited && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    run.peakKiB = usage.ru_maxrss;
    std::error_code ignored;
    std::filesystem::remove(file, ignored);
    return run;
}

const char* WritePathName(WritePath path) {
    return path == WritePath::Overlapped ? "overlapped" : "synchronous";
}

// {write path, seconds}: the program's run with the fastest kernel.
void WholeRun(benchmark::State& state) {
    const auto writePath = static_cast<WritePath>(state.range(0));
    const ScratchDirectory dir;
    long peakKiB = 0;
    while (state.KeepRunning()) {
        const ChildRun run = RunInChild(writePath, state.range(1), dir);
        if (!run.succeeded) {
            state.SkipWithError("the child run failed");
            return;
        }
        state.SetIterationTime(run.seconds);
        peakKiB = std::max(peakKiB, run.peakKiB);
    }
    state.SetItemsProcessed(state.iterations() * state.range(1) * 44100);
    state.counters["peak_rss_MiB"] = static_cast<double>(peakKiB) / 1024.0;
    state.SetLabel(WritePathName(writePath));
}

// The formula over all samples of the longest file with the C library's
// sine and nothing around it, as in tone_file_bench.cpp's PlainLoop.
double PlainLoopSeconds() {
    const double step1 = 1209.0 / 44100.0 * tonegen::kPhaseFactor;
    const double step2 = 697.0 / 44100.0 * tonegen::kPhaseFactor;
    std::array<std::int16_t, 512> ring{};
    const Clock::time_point start = Clock::now();
    for (std::int32_t i = 0; i < kLongestSampleCount; ++i) {
        const auto index = static_cast<double>(i);
        const double s = std::sin(step1 * index) + std::sin(step2 * index);
        const double k = std::floor(20000.0 * s);
        ring[static_cast<std::size_t>(i) & 511U] =
            static_cast<std::int16_t>(std::nearbyint(k / 2.0));
    }
    benchmark::DoNotOptimize(ring.data());
    benchmark::ClobberMemory();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The longest file (2 GB, overlapped as the program writes it) and the plain loop
// over its samples, one after the other so that both see the same machine.
// Needs 2 GB of free space in the temporary directory.
void LongestFileAgainstPlainLoop(benchmark::State& state) {
    const ScratchDirectory dir;
    while (state.KeepRunning()) {
        const double plain = PlainLoopSeconds();
        const ChildRun run = RunInChild(WritePath::Overlapped, kLongestSeconds, dir);
        if (!run.succeeded) {
            state.SkipWithError("the child run failed");
            return;
        }
        state.SetIterationTime(run.seconds);
        state.counters["plain_loop_s"] = plain;
        state.counters["run_to_plain"] = run.seconds / plain;
        state.counters["peak_rss_MiB"] = static_cast<double>(run.peakKiB) / 1024.0;
    }
    state.SetLabel(std::string(tonegen::KernelName(tonegen::FastestKernel())));
}

void WholeRunArguments(benchmark::internal::Benchmark* bench) {
    for (const WritePath path : {WritePath::Overlapped, WritePath::Synchronous}) {
        bench->Args({static_cast<std::int64_t>(path), 600});
    }
}

}  // namespace

BENCHMARK(WholeRun)
    ->ArgNames({"write", "seconds"})
    ->Apply(WholeRunArguments)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(WholeRun)
    ->ArgNames({"write", "seconds"})
    ->Args({static_cast<std::int64_t>(WritePath::Synchronous), kLongestSeconds})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(LongestFileAgainstPlainLoop)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
