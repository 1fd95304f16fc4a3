// The generation run with a chosen sample kernel, for the tests and the
// benchmarks that compare the kernels; the programs use tonegen/tone_file.h,
// which takes the fastest kernel of the processor.
#pragma once

#include "sample_kernel.h"
#include "tone_file_writer.h"
#include "tonegen/tone_file.h"

namespace tonegen {

[[nodiscard]] RunResult CreateToneFileWithKernel(KernelChoice kernel,
                                                 const std::filesystem::path& programDirectory,
                                                 const ToneInputs& inputs,
                                                 const ToneProgress& progress = {});

// Converts the inputs, lets openOutput prepare the writer (create or adopt
// its output) and writes header and samples into it.
[[nodiscard]] RunResult WriteToneWithKernel(
    KernelChoice kernel, const ToneInputs& inputs, const ToneProgress& progress,
    const std::function<std::optional<Failure>(ToneFileWriter&)>& openOutput);

}  // namespace tonegen
