// The generation run with a chosen sample kernel, for the tests and the
// benchmarks that compare the kernels; the programs use tonegen/tone_file.h.
#pragma once

#include "sample_kernel.h"
#include "tone_file_writer.h"
#include "tonegen/tone_file.h"

namespace tonegen {

[[nodiscard]] RunResult CreateToneFileWithKernel(
    KernelPath path, const std::filesystem::path& programDirectory, std::string_view frequency1Text,
    std::string_view frequency2Text, std::string_view durationText, std::int16_t amplitude,
    const std::function<void()>& onFirstSample);

// Converts the inputs, lets openOutput prepare the writer (create or adopt
// its output) and writes header and samples into it.
[[nodiscard]] RunResult WriteToneWithKernel(
    KernelPath path, const ToneInputs& inputs, const ToneProgress& progress,
    const std::function<std::optional<Failure>(ToneFileWriter&)>& openOutput);

}  // namespace tonegen
