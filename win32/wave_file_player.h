// The real player: the system's PlaySound, asynchronous, by file name.
#pragma once

#include "sound_player.h"

namespace win32 {

class WaveFilePlayer final : public SoundPlayer {
  public:
    void Play(const std::filesystem::path& file) override;
    void Stop() override;
};

}  // namespace win32
