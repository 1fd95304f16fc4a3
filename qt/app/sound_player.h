// Playback as the windows see it: one call per sound, by path, returning at
// once. Kept abstract so that the tests can watch what the window asks for.
#pragma once

#include <filesystem>

class SoundPlayer {
  public:
    SoundPlayer() = default;
    SoundPlayer(const SoundPlayer&) = delete;
    SoundPlayer& operator=(const SoundPlayer&) = delete;
    virtual ~SoundPlayer();

    // Starts the file and returns without waiting for its end. A sound that is
    // still playing from an earlier call stops first. A file that cannot be
    // played is not an error: the player falls back on the desktop's alert
    // sound or on silence, and reports nothing.
    virtual void play(const std::filesystem::path& path) = 0;
};
