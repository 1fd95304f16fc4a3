// Playback as the main window sees it: one call per sound, by path,
// returning at once. Kept abstract so that the tests can watch what the
// window asks for.
#pragma once

#include <filesystem>

namespace win32 {

class SoundPlayer {
  public:
    SoundPlayer() = default;
    SoundPlayer(const SoundPlayer&) = delete;
    SoundPlayer& operator=(const SoundPlayer&) = delete;
    virtual ~SoundPlayer();

    // Starts the file and returns without waiting for its end; a sound still
    // playing stops first. A file that cannot be played gives the system's
    // default sound, or silence, and no report. False when the player cannot
    // even be given the file's name: nothing plays then.
    virtual bool Play(const std::filesystem::path& file) = 0;
    // Stops whatever plays, so that the file it plays can be deleted.
    virtual void Stop() = 0;
};

}  // namespace win32
