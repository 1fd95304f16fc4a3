#include "goertzel_bank.h"

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

}  // namespace

GoertzelBank::GoertzelBank(int sampleRate, std::span<const int> hertz, std::size_t blockLength)
    : sampleRate_(sampleRate), blockLength_(blockLength) {
    const double length = static_cast<double>(blockLength);
    for (const int f : hertz) {
        const double w = 2.0 * std::numbers::pi * f / sampleRate;
        filters_.push_back({f, Turn(w * (length - 1.0)), Turn(w), Turn(w * length), {1.0, 0.0}, 0});
        coefficient_.push_back(static_cast<float>(2.0 * std::cos(w)));
    }
    previous_.assign(filters_.size(), 0.0F);
    beforePrevious_.assign(filters_.size(), 0.0F);
}

void GoertzelBank::ResetStartTurns() {
    for (Filter& filter : filters_) {
        filter.startTurn = Turn(2.0 * std::numbers::pi * static_cast<double>(filter.startPhase) /
                                static_cast<double>(sampleRate_));
    }
}

void GoertzelBank::Process(std::span<const float> block, std::span<std::complex<double>> sums) {
    const std::size_t count = filters_.size();
    float* const s1 = previous_.data();
    float* const s2 = beforePrevious_.data();
    const float* const c = coefficient_.data();
    for (std::size_t k = 0; k < count; ++k) {
        s1[k] = 0.0F;
        s2[k] = 0.0F;
    }
    // Samples outside, filters inside: the filters are independent lanes the
    // compiler runs side by side.
    for (const float x : block) {
        for (std::size_t k = 0; k < count; ++k) {
            const float s0 = x + c[k] * s1[k] - s2[k];
            s2[k] = s1[k];
            s1[k] = s0;
        }
    }
    for (std::size_t k = 0; k < count; ++k) {
        Filter& filter = filters_[k];
        const std::complex<double> last(static_cast<double>(s1[k]), 0.0);
        const std::complex<double> beforeLast(static_cast<double>(s2[k]), 0.0);
        sums[k] = filter.startTurn * filter.endTurn * (last - filter.oneStep * beforeLast);
        filter.startTurn *= filter.blockTurn;
        filter.startPhase =
            (filter.startPhase + filter.hertz * static_cast<std::int64_t>(blockLength_)) %
            sampleRate_;
    }
    if (++blocksSinceReset_ == kBlocksBetweenResets) {
        blocksSinceReset_ = 0;
        ResetStartTurns();
    }
}

}  // namespace tonecheck
