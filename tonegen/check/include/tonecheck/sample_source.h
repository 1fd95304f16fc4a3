// Where the checker's sound comes from: one channel of a recording as
// samples scaled to full scale ±1, in blocks, so that nothing of a long
// recording needs to be held. A file reader, a pipe or a test's own samples
// all look the same to the detector.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>

#include "tonegen/failure.h"

namespace tonecheck {

class SampleSource {
  public:
    virtual ~SampleSource() = default;

    // Samples per second, at least 1.
    [[nodiscard]] virtual int SampleRate() const = 0;

    // Fills the start of samples and says how many it wrote: fewer than asked
    // only at the end of the sound or on a read failure, which Failure() then
    // tells.
    virtual std::size_t Read(std::span<float> samples) = 0;

    // Why reading stopped early, once Read() has returned short.
    [[nodiscard]] virtual std::optional<tonegen::Failure> ReadFailure() const = 0;
};

}  // namespace tonecheck
