// Goertzel filters on a handful of whole-hertz frequencies, run over short
// blocks of equal length. Each block's sums are referred to the first sample
// of the sound, so that the sums of successive blocks add up to the sum over
// a longer window, and the phase of a tone advances from block to block by
// how far it lies from the filter's frequency.
#pragma once

#include <array>
#include <complex>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tonecheck {

class GoertzelBank {
  public:
    // Four lanes of four filters: the recurrences run side by side in the
    // processor's vector registers (SSE on every x86-64, GCC's vector
    // extension elsewhere), whatever the optimisation level.
    static constexpr std::size_t kLanes = 4;
    static constexpr std::size_t kMaxFilters = 4 * kLanes;

    // At most kMaxFilters frequencies; those beyond are left out.
    GoertzelBank(int sampleRate, std::span<const int> hertz, std::size_t blockLength);

    [[nodiscard]] std::size_t FilterCount() const { return filters_.size(); }
    [[nodiscard]] std::size_t BlockLength() const { return blockLength_; }

    // block holds BlockLength() samples; sums gets one value per filter:
    // the sum of x[n] e^(-i w n) over the block, n counted from the start of
    // the sound. Returns the block's energy (the sum of x[n]^2).
    double Process(std::span<const float> block, std::span<std::complex<double>> sums);
    // Goes past a block without computing its sums.
    void Skip();

  private:
    struct Filter {
        std::int64_t hertz;
        std::complex<double> endTurn;    // e^(-i w (L - 1)): from the last sample back to the first
        std::complex<double> oneStep;    // e^(-i w)
        std::complex<double> blockTurn;  // e^(-i w L)
        std::complex<double> startTurn;  // e^(-i w n0) for the block starting at n0
        std::int64_t startPhase;         // (hertz x n0) mod sampleRate, exact
        std::int64_t blockPhase;         // (hertz x L) mod sampleRate
    };

    void ResetStartTurns();

    using Lane = float __attribute__((vector_size(16)));

    // The recurrence over block on the first kUsed lanes; the last two
    // states come out in last and beforeLast.
    template <std::size_t kUsed>
    float Recur(std::span<const float> block, std::array<Lane, kLanes>& last,
                std::array<Lane, kLanes>& beforeLast) const;

    std::int64_t sampleRate_;
    std::size_t blockLength_;
    std::vector<Filter> filters_;
    std::array<Lane, kLanes> coefficient_{};    // c = 2 cos w, 0 in unused places
    std::array<Lane, kLanes> squareLessOne_{};  // c^2 - 1
    std::uint32_t blocksSinceReset_ = 0;
};

}  // namespace tonecheck
