// What the benchmark programs share: the longest file's size and a scratch
// folder for the files they write.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "tonegen/tone_file.h"

namespace quenbrix_bench {

// The longest duration whose file fits the 32-bit size fields.
inline constexpr std::int32_t kLongestSeconds = tonegen::kLongestSeconds;
inline constexpr std::int32_t kLongestSampleCount = kLongestSeconds * tonegen::kSamplesPerSecond;

// A fresh folder in the temporary directory, removed with what it holds.
class ScratchDirectory {
  public:
    ScratchDirectory() {
        std::string pattern = (std::filesystem::temp_directory_path() / "quenbrix-bench-XXXXXX");
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        path_ = pattern;
    }
    ~ScratchDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;
    const std::filesystem::path& Path() const { return path_; }

  private:
    std::filesystem::path path_;
};

}  // namespace quenbrix_bench
