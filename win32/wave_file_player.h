// The real player: the system's PlaySound, asynchronous, by file name.
#pragma once

#include <optional>
#include <string>

#include "sound_player.h"

namespace win32 {

// The name under which the system's player can open the file: the path
// itself, or its short form where the path is longer than the player takes
// (MAX_PATH) or holds characters outside the ANSI code page. Nothing when
// neither will do (no short names on the volume, no such file).
[[nodiscard]] std::optional<std::wstring> PlayableName(const std::filesystem::path& file);

class WaveFilePlayer final : public SoundPlayer {
  public:
    bool Play(const std::filesystem::path& file) override;
    void Stop() override;
};

}  // namespace win32
