// What a sound holds when it holds no key: its loudest stretch, kept while
// the sound streams by, and the two strongest tones in it.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "tonecheck/dtmf_check.h"

namespace tonecheck {

// Keeps a copy of the loudest of the successive stretches of a fixed length
// (the whole sound when it is shorter): two buffers, whatever the length.
class LoudestStretch {
  public:
    explicit LoudestStretch(std::size_t length);
    // samples and the sum of their squares; length is a whole number of such blocks.
    void Feed(std::span<const float> samples, double energy);
    // The loudest stretch, or the sound so far when no stretch has been completed.
    [[nodiscard]] std::span<const float> Loudest() const;

  private:
    std::size_t length_;
    std::vector<float> current_;
    std::vector<float> loudest_;
    double currentEnergy_ = 0.0;
    double loudestEnergy_ = -1.0;
};

// The two strongest distinct tones of samples, higher frequency first; fewer
// when the sound is silent. Frequencies are refined well below the scan's
// spacing from the phase advance between two overlapping parts.
std::vector<FoundTone> StrongestTones(std::span<const float> samples, int sampleRate);

}  // namespace tonecheck
