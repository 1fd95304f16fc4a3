// quenbrix-tone --check's detector on an hour of 8 kHz audio, against
// multimon-ng decoding the same sound (its input is raw 16-bit samples at
// 22,050 Hz, converted by sox). Both run in a child process and are timed in
// CPU seconds, since the machine is shared with other work; the hour holds
// 18,000 keys of 100 ms with 100 ms pauses under faint noise.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

#include "bench_support.h"
#include "tonecheck/dtmf_check.h"
#include "tonecheck/sound_file_source.h"
#include "tonegen/dtmf_keys.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using quenbrix_bench::ScratchDirectory;
using Clock = std::chrono::steady_clock;

constexpr std::int32_t kRate = 8000;
constexpr std::int32_t kSeconds = 3600;
constexpr std::int32_t kKeySamples = kRate / 10;  // 100 ms, then as much silence
constexpr std::int32_t kKeyCount = kSeconds * kRate / (2 * kKeySamples);

void PutLittleEndian(std::ofstream& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.put(static_cast<char>((value >> (8 * i)) & 0xFFU));
    }
}

// 16-bit PCM mono: the sixteen keys over and over, sines with a true 2 pi
// and faint noise from a fixed generator.
bool WriteHour(const fs::path& path) {
    std::ofstream out(path, std::ios::binary);
    constexpr std::uint32_t kDataBytes = kSeconds * kRate * 2;
    out.write("RIFF", 4);
    PutLittleEndian(out, 36 + kDataBytes, 4);
    out.write("WAVEfmt ", 8);
    PutLittleEndian(out, 16, 4);
    PutLittleEndian(out, 1, 2);  // PCM
    PutLittleEndian(out, 1, 2);  // mono
    PutLittleEndian(out, kRate, 4);
    PutLittleEndian(out, kRate * 2, 4);
    PutLittleEndian(out, 2, 2);
    PutLittleEndian(out, 16, 2);
    out.write("data", 4);
    PutLittleEndian(out, kDataBytes, 4);
    std::uint32_t noise = 12345;
    std::vector<char> bytes;
    for (std::int32_t i = 0; i < kSeconds * kRate; ++i) {
        const std::int32_t slot = i / kKeySamples;
        double x = 0.0;
        if (slot % 2 == 0) {
            const tonegen::DtmfKey& key =
                tonegen::kDtmfKeys[static_cast<std::size_t>(slot / 2) % 16];
            const double t = static_cast<double>(i) / kRate;
            x = 0.3 * std::sin(2.0 * std::numbers::pi * key.lowHertz * t) +
                0.3 * std::sin(2.0 * std::numbers::pi * key.highHertz * t);
        }
        noise = noise * 1664525U + 1013904223U;
        x += 0.003 * (static_cast<double>(noise >> 8) / 16777216.0 - 0.5);
        const auto sample = static_cast<std::int16_t>(std::lround(x * 32767.0));
        bytes.push_back(static_cast<char>(static_cast<std::uint16_t>(sample) & 0xFFU));
        bytes.push_back(static_cast<char>(static_cast<std::uint16_t>(sample) >> 8U));
    }
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

struct ChildRun {
    bool succeeded = false;
    double cpuSeconds = 0.0;
    double wallSeconds = 0.0;
    long peakKiB = 0;
};

ChildRun Reap(pid_t child, Clock::time_point start) {
    int status = 0;
    rusage usage{};
    ChildRun run;
    const bool waited = child > 0 && ::wait4(child, &status, 0, &usage) == child;
    run.wallSeconds = std::chrono::duration<double>(Clock::now() - start).count();
    run.succeeded = waited && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    const auto seconds = [](const timeval& time) {
        return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
    };
    run.cpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    run.peakKiB = usage.ru_maxrss;
    return run;
}

// The detector reads the hour as the command does; the child succeeds when
// it found every key in order.
ChildRun CheckInChild(const fs::path& wav) {
    const Clock::time_point start = Clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        auto opened = tonecheck::SoundFileSource::Open(wav, 1);
        auto* source = std::get_if<std::unique_ptr<tonecheck::SoundFileSource>>(&opened);
        if (source == nullptr) {
            ::_exit(2);
        }
        const auto checked = tonecheck::CheckSource(**source, {});
        const auto* result = std::get_if<tonecheck::CheckResult>(&checked);
        if (result == nullptr || result->keys.size() != static_cast<std::size_t>(kKeyCount)) {
            ::_exit(3);
        }
        for (std::size_t i = 0; i < result->keys.size(); ++i) {
            if (result->keys[i].key != tonegen::kDtmfKeys[i % 16].key) {
                ::_exit(4);
            }
        }
        ::_exit(0);
    }
    return Reap(child, start);
}

// Runs a program with its standard output into a file.
ChildRun RunProgram(const std::vector<std::string>& args, const fs::path& output) {
    std::vector<char*> argv;
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const Clock::time_point start = Clock::now();
    pid_t child = -1;
    const int spawned = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return spawned == 0 ? Reap(child, start) : ChildRun{};
}

bool Installed(const std::string& program) {
    return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

int CountKeys(const fs::path& output) {
    std::ifstream in(output);
    int keys = 0;
    for (std::string line; std::getline(in, line);) {
        keys += line.starts_with("DTMF: ") ? 1 : 0;
    }
    return keys;
}

void CheckHourAgainstMultimonNg(benchmark::State& state) {
    const ScratchDirectory dir;
    const fs::path wav = dir.Path() / "hour.wav";
    const fs::path raw = dir.Path() / "hour-22050.raw";
    if (!WriteHour(wav)) {
        state.SkipWithError("the hour's file could not be written");
        return;
    }
    const bool compare = Installed("multimon-ng") && Installed("sox");
    if (!compare) {
        std::fprintf(stderr, "multimon-ng or sox is missing: the checker runs alone\n");
    } else if (!RunProgram({"sox", wav.string(), "-t", "raw", "-e", "signed", "-b", "16", "-r",
                            "22050", "-c", "1", raw.string()},
                           dir.Path() / "sox.out")
                    .succeeded) {
        state.SkipWithError("sox could not convert the hour for multimon-ng");
        return;
    }
    while (state.KeepRunning()) {
        const ChildRun check = CheckInChild(wav);
        if (!check.succeeded) {
            state.SkipWithError("the checker did not find every key");
            return;
        }
        state.SetIterationTime(check.cpuSeconds);
        state.counters["x_real_time"] = kSeconds / check.cpuSeconds;
        state.counters["wall_s"] = check.wallSeconds;
        state.counters["peak_rss_MiB"] = static_cast<double>(check.peakKiB) / 1024.0;
        if (compare) {
            const fs::path output = dir.Path() / "multimon.out";
            const ChildRun multimon =
                RunProgram({"multimon-ng", "-q", "-a", "DTMF", "-t", "raw", raw.string()}, output);
            if (!multimon.succeeded) {
                state.SkipWithError("multimon-ng failed");
                return;
            }
            state.counters["multimon_cpu_s"] = multimon.cpuSeconds;
            state.counters["multimon_keys"] = CountKeys(output);
            state.counters["check_to_multimon"] = check.cpuSeconds / multimon.cpuSeconds;
        }
    }
    state.SetLabel(compare ? "CPU time; multimon-ng -q -a DTMF -t raw beside it"
                           : "CPU time; multimon-ng or sox missing, no comparison");
}

}  // namespace

BENCHMARK(CheckHourAgainstMultimonNg)
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
