// How many samples of the longest file (24,347 s) differ between the
// correctly rounded sine and the C library's sine of this machine, for the
// sixteen DTMF keys at two amplitudes.
//
// A sample can differ only where A × S lies near an integer: the vector
// kernel marks every sample whose A × S is within kSearchMargin of one, and
// only those are computed both ways. The margin covers a C library sine
// within 2^-40 of the exact one (glibc's is within one ULP, 2^-52).
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "bench_support.h"
#include "sample_formula.h"
#include "sample_kernel_simd.h"
#include "tonegen/dtmf_keys.h"

namespace {

using quenbrix_bench::kLongestSampleCount;
constexpr double kSearchMargin = 0x1p-16;
constexpr std::int32_t kChunk = 1 << 16;

std::int16_t LibrarySample(const tonegen::SampleConstants& constants, std::int32_t index) {
    const auto i = static_cast<double>(index);
    const double x2 = constants.phaseStep2 * i;
    const double x1 = constants.phaseStep1 * i;
    const double s = std::sin(x1) + std::sin(x2);
    return tonegen::SampleFromFloor(std::floor(constants.amplitude * s)).sample;
}

}  // namespace

int main() {
    using SamplesFunction = void (*)(const tonegen::simd::VectorInput&, std::int32_t, std::int32_t,
                                     std::int16_t*, std::uint8_t*);
    SamplesFunction samples = tonegen::simd::SamplesSse2;
    std::int32_t lanes = tonegen::simd::kSse2Lanes;
    if (__builtin_cpu_supports("avx512f")) {
        samples = tonegen::simd::SamplesAvx512;
        lanes = tonegen::simd::kAvx512Lanes;
    }
    std::vector<std::int16_t> out(kChunk);
    std::vector<std::uint8_t> marks(kChunk);
    long total = 0;
    for (const double amplitude : {20000.0, 32767.0}) {
        for (const tonegen::DtmfKey& key : tonegen::kDtmfKeys) {
            const tonegen::SampleConstants constants{
                key.highHertz / 44100.0 * tonegen::kPhaseFactor,
                key.lowHertz / 44100.0 * tonegen::kPhaseFactor, amplitude};
            const tonegen::simd::VectorInput input{constants.phaseStep1, constants.phaseStep2,
                                                   amplitude, kSearchMargin, true};
            long near = 0;
            long changed = 0;
            std::int32_t firstChanged = -1;
            for (std::int32_t first = 0; first < kLongestSampleCount; first += kChunk) {
                const std::int32_t count =
                    std::min(kChunk, kLongestSampleCount - first) / lanes * lanes;
                samples(input, first, count, out.data(), marks.data());
                std::vector<std::int32_t> candidates;
                for (std::int32_t group = 0; group < count / lanes; ++group) {
                    for (std::int32_t lane = 0; lane < lanes; ++lane) {
                        if (((marks[static_cast<std::size_t>(group)] >>
                              static_cast<unsigned>(lane)) &
                             1U) != 0) {
                            candidates.push_back(first + group * lanes + lane);
                        }
                    }
                }
                for (std::int32_t index = first + count;
                     index < std::min(first + kChunk, kLongestSampleCount); ++index) {
                    candidates.push_back(index);  // the tail the vector pass left
                }
                for (const std::int32_t index : candidates) {
                    ++near;
                    if (tonegen::ComputeSample(constants, index).sample !=
                        LibrarySample(constants, index)) {
                        ++changed;
                        if (firstChanged < 0) {
                            firstChanged = index;
                        }
                    }
                }
            }
            total += changed;
            std::printf("A = %5.0f  key %c (%d Hz + %d Hz): %ld changed of %ld near an integer",
                        amplitude, key.key, key.highHertz, key.lowHertz, changed, near);
            if (firstChanged >= 0) {
                std::printf(", first at sample %d", firstChanged);
            }
            std::printf("\n");
            static_cast<void>(std::fflush(stdout));
        }
    }
    std::printf("changed samples in all: %ld\n", total);
    return 0;
}
