#include "goertzel_bank.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tonecheck {

namespace {

// Multiplying by the block's turn again and again drifts by about one unit in
// the last place each time; going back to the exact angle now and then keeps
// the phase of an hour-long sound as exact as that of its first second.
constexpr std::uint32_t kBlocksBetweenResets = 1024;

std::complex<double> Turn(double radians) {
    return std::polar(1.0, -radians);
}

// The plain product: these factors are always finite, so the checks that
// operator* makes for infinities and NaNs are only time lost.
std::complex<double> Times(std::complex<double> a, std::complex<double> b) {
    return {a.real() * b.real() - a.imag() * b.imag(), a.real() * b.imag() + a.imag() * b.real()};
}

}  // namespace

GoertzelBank::GoertzelBank(int sampleRate, std::span<const int> hertz, std::size_t blockLength)
    : sampleRate_(sampleRate), blockLength_(blockLength) {
    const double length = static_cast<double>(blockLength);
    for (const int f : hertz.first(std::min(hertz.size(), kMaxFilters))) {
        const double w = 2.0 * std::numbers::pi * f / sampleRate;
        const std::size_t k = filters_.size();
        coefficient_[k / 4][k % 4] = static_cast<float>(2.0 * std::cos(w));
        squareLessOne_[k / 4][k % 4] = static_cast<float>(4.0 * std::cos(w) * std::cos(w) - 1.0);
        filters_.push_back(
            {f,
             Turn(w * (length - 1.0)),
             Turn(w),
             Turn(w * length),
             {1.0, 0.0},
             0,
             (static_cast<std::int64_t>(f) * static_cast<std::int64_t>(blockLength)) %
                 sampleRate_});
    }
}

void GoertzelBank::ResetStartTurns() {
    for (Filter& filter : filters_) {
        filter.startTurn = Turn(2.0 * std::numbers::pi * static_cast<double>(filter.startPhase) /
                                static_cast<double>(sampleRate_));
    }
}

template <std::size_t kUsed>
float GoertzelBank::Recur(std::span<const float> block, std::array<Lane, kLanes>& last,
                          std::array<Lane, kLanes>& beforeLast) const {
    float energy = 0.0F;
    std::array<Lane, kUsed> s1{};
    std::array<Lane, kUsed> s2{};
    // Two samples a step: s[n+1] = x[n+1] + c x[n] + (c^2 - 1) s[n-1] - c s[n-2]
    // needs only the state before s[n], which halves the chain of dependent
    // operations that bounds the speed.
    std::size_t n = 0;
    for (; n + 1 < block.size(); n += 2) {
        const float x0 = block[n];
        const float x1 = block[n + 1];
        energy += x0 * x0 + x1 * x1;
        for (std::size_t lane = 0; lane < kUsed; ++lane) {
            const Lane c = coefficient_[lane];
            const Lane first = (x0 - s2[lane]) + c * s1[lane];
            const Lane second = (x1 + c * x0) + (squareLessOne_[lane] * s1[lane] - c * s2[lane]);
            s2[lane] = first;
            s1[lane] = second;
        }
    }
    if (n < block.size()) {
        energy += block[n] * block[n];
        for (std::size_t lane = 0; lane < kUsed; ++lane) {
            const Lane s0 = (block[n] - s2[lane]) + coefficient_[lane] * s1[lane];
            s2[lane] = s1[lane];
            s1[lane] = s0;
        }
    }
    for (std::size_t lane = 0; lane < kUsed; ++lane) {
        last[lane] = s1[lane];
        beforeLast[lane] = s2[lane];
    }
    return energy;
}

double GoertzelBank::Process(std::span<const float> block, std::span<std::complex<double>> sums) {
    float energy = 0.0F;
    std::array<Lane, kLanes> s1{};
    std::array<Lane, kLanes> s2{};
    // The number of lanes is fixed at compile time so that the state stays
    // in registers.
    switch ((filters_.size() + 3) / 4) {
        case 1:
            energy = Recur<1>(block, s1, s2);
            break;
        case 2:
            energy = Recur<2>(block, s1, s2);
            break;
        case 3:
            energy = Recur<3>(block, s1, s2);
            break;
        default:
            energy = Recur<4>(block, s1, s2);
            break;
    }
    for (std::size_t k = 0; k < filters_.size(); ++k) {
        Filter& filter = filters_[k];
        const std::complex<double> last(static_cast<double>(s1[k / 4][k % 4]), 0.0);
        const std::complex<double> beforeLast(static_cast<double>(s2[k / 4][k % 4]), 0.0);
        sums[k] = Times(Times(filter.startTurn, filter.endTurn),
                        last - Times(filter.oneStep, beforeLast));
    }
    Skip();
    return static_cast<double>(energy);
}

void GoertzelBank::Skip() {
    for (Filter& filter : filters_) {
        filter.startTurn = Times(filter.startTurn, filter.blockTurn);
        filter.startPhase += filter.blockPhase;
        if (filter.startPhase >= sampleRate_) {
            filter.startPhase -= sampleRate_;
        }
    }
    if (++blocksSinceReset_ == kBlocksBetweenResets) {
        blocksSinceReset_ = 0;
        ResetStartTurns();
    }
}

}  // namespace tonecheck
