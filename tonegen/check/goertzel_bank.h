// Goertzel filters on a handful of whole-hertz frequencies, run over short
// blocks of equal length. Each block's sums are referred to the first sample
// of the sound, so that the sums of successive blocks add up to the sum over
// a longer window, and the phase of a tone advances from block to block by
// how far it lies from the filter's frequency.
#pragma once

#include <complex>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tonecheck {

class GoertzelBank {
  public:
    GoertzelBank(int sampleRate, std::span<const int> hertz, std::size_t blockLength);

    [[nodiscard]] std::size_t FilterCount() const { return filters_.size(); }
    [[nodiscard]] std::size_t BlockLength() const { return blockLength_; }

    // block holds BlockLength() samples; sums gets one value per filter:
    // the sum of x[n] e^(-i w n) over the block, n counted from the start of
    // the sound.
    void Process(std::span<const float> block, std::span<std::complex<double>> sums);

  private:
    struct Filter {
        std::int64_t hertz;
        std::complex<double> endTurn;    // e^(-i w (L - 1)): from the last sample back to the first
        std::complex<double> oneStep;    // e^(-i w)
        std::complex<double> blockTurn;  // e^(-i w L)
        std::complex<double> startTurn;  // e^(-i w n0) for the block starting at n0
        std::int64_t startPhase;         // (hertz x n0) mod sampleRate, exact
    };

    void ResetStartTurns();

    std::int64_t sampleRate_;
    std::size_t blockLength_;
    std::vector<Filter> filters_;
    // The recurrence state, one lane per filter, laid out for vector units.
    std::vector<float> coefficient_;
    std::vector<float> previous_;
    std::vector<float> beforePrevious_;
    std::uint32_t blocksSinceReset_ = 0;
};

}  // namespace tonecheck
