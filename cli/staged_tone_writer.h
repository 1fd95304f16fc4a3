// Writes a tone file under any name, replacing an existing file only once the
// new one is complete.
//
// The core always writes test.wav into a directory, deleting what was there
// first. To give it that directory without risking the user's file, each run
// gets a fresh private directory beside the target (same file system, so the
// final rename is atomic); a failed run removes it and leaves the target as it
// was.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "interrupt_cleanup.h"
#include "tone_file.h"

namespace quenbrix_cli {

// The staging directories start with this, so that a leftover one (after a
// power cut, say) is easy to recognise.
inline constexpr std::string_view kStagingPrefix = ".quenbrix-tone-";

class StagedToneWriter {
  public:
    // progressFd: where to draw the progress bar of long runs, or -1 for none.
    StagedToneWriter(InterruptCleanup& cleanup, int progressFd)
        : cleanup_(cleanup), progressFd_(progressFd) {}

    [[nodiscard]] tonegen::RunResult Write(const std::filesystem::path& target,
                                           std::string_view frequency1Text,
                                           std::string_view frequency2Text,
                                           std::string_view durationText, std::int16_t amplitude);

  private:
    InterruptCleanup& cleanup_;
    int progressFd_;
};

}  // namespace quenbrix_cli
