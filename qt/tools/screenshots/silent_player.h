// A player that plays nothing: the pictures need the main window, not its sound.
#pragma once

#include "sound_player.h"

class SilentPlayer final : public SoundPlayer {
  public:
    void play(const std::filesystem::path& path) override;
};
