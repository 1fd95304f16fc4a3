// The generation run with a chosen sample kernel, for the tests and the
// benchmarks that compare the kernels; the program uses CreateToneFile.
#pragma once

#include "sample_kernel.h"
#include "tone_file.h"

namespace tonegen {

[[nodiscard]] RunResult CreateToneFileWithKernel(
    KernelPath path, const std::filesystem::path& programDirectory, std::string_view frequency1Text,
    std::string_view frequency2Text, std::string_view durationText, std::int16_t amplitude,
    const std::function<void()>& onFirstSample);

}  // namespace tonegen
