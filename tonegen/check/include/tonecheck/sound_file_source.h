// Recordings read through libsndfile: WAV in its common encodings (8-bit
// unsigned, 16/24/32-bit PCM, float, double, µ-law, A-law, extensible), AIFF,
// FLAC and Ogg where the library has them, from a file or a pipe.
#pragma once

#include <filesystem>
#include <memory>
#include <variant>

#include "tonecheck/sample_source.h"
#include "tonegen/failure.h"

namespace tonecheck {

// What the recording holds, for the report.
struct SoundFileFacts {
    int sampleRate = 0;
    int channels = 0;
    long long frames = -1;  // -1 when a pipe does not say
};

class SoundFileSource : public SampleSource {
  public:
    // The source, or the reason it cannot be read, naming the file (or
    // standard input). channel counts from 1.
    using Opened = std::variant<std::unique_ptr<SoundFileSource>, tonegen::Failure>;
    static Opened Open(const std::filesystem::path& path, int channel);
    static Opened OpenStandardInput(int channel);

    [[nodiscard]] virtual SoundFileFacts Facts() const = 0;
};

}  // namespace tonecheck
