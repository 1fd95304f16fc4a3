// The real player: the file's samples streamed from disk to the sound server
// (PulseAudio, or PipeWire through its PulseAudio service) as an ordinary
// application stream, whatever the file's length. libpulse runs the stream
// in a thread of its own; the window's thread only starts and stops it.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "alert_sound.h"
#include "sound_player.h"
#include "wave_layout.h"

struct pa_context;
struct pa_stream;
struct pa_threaded_mainloop;

class PulsePlayer final : public SoundPlayer {
  public:
    PulsePlayer() = default;
    ~PulsePlayer() override;

    void play(const std::filesystem::path& path) override;

    // How long the server took from the last play() to start the sound;
    // nothing until it has started. For measurements.
    [[nodiscard]] std::optional<std::chrono::microseconds> lastStartDelay() const;

  private:
    // The file being played. Shared with libpulse's thread: touched only
    // under the main loop's lock.
    struct Playback {
        int fd = -1;
        WaveLayout layout;
        std::uint64_t unread = 0;  // sample bytes still to be read from the file
        std::string path;
        pa_stream* stream = nullptr;
        std::chrono::steady_clock::time_point requested;
        std::optional<std::chrono::microseconds> startDelay;
    };

    // Connects to the server on first use, and again after it went away.
    // Returns false when there is no main loop to run a stream in.
    bool connect();
    void startStream();
    void stopPlayback();
    void closeFile();
    void feed(std::size_t bytesWanted);

    static void onContextState(pa_context* context, void* self);
    static void onWritable(pa_stream* stream, std::size_t bytes, void* self);
    static void onStarted(pa_stream* stream, void* self);
    static void onDrained(pa_stream* stream, int success, void* self);

    pa_threaded_mainloop* mainloop_ = nullptr;
    pa_context* context_ = nullptr;
    Playback playback_;
    AlertSound alert_;
};
