// quenbrix-tone from arguments to exit status.
#pragma once

#include <span>
#include <string_view>

namespace quenbrix_cli {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitRunFailure = 1;
inline constexpr int kExitBadUsage = 2;

class ToneCommand {
  public:
    // args excludes the program name. Prints on stdout and stderr.
    static int Run(std::span<const std::string_view> args);
};

}  // namespace quenbrix_cli
