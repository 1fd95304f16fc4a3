// The real player, on libcanberra (PulseAudio or ALSA underneath).
#pragma once

#include "sound_player.h"

struct ca_context;

class CanberraPlayer final : public SoundPlayer {
  public:
    CanberraPlayer();
    ~CanberraPlayer() override;

    void play(const QString& path) override;

  private:
    // Made on first use: a program that never plays never connects to the
    // sound server.
    ca_context* context();

    ca_context* context_ = nullptr;
    bool contextFailed_ = false;
};
