#include "pulse_player.h"

#include <fcntl.h>
#include <pulse/pulseaudio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QString>
#include <algorithm>
#include <cerrno>
#include <limits>

namespace {

// Enough sound queued at the server to ride out a busy disk, little enough
// that nothing stale lingers once a stream is stopped.
constexpr pa_usec_t kBufferUsec = 250'000;
constexpr std::uint32_t kServerChooses = std::numeric_limits<std::uint32_t>::max();

class Lock {
  public:
    explicit Lock(pa_threaded_mainloop* mainloop) : mainloop_(mainloop) {
        pa_threaded_mainloop_lock(mainloop_);
    }
    ~Lock() { pa_threaded_mainloop_unlock(mainloop_); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

  private:
    pa_threaded_mainloop* mainloop_;
};

pa_sample_format_t sampleFormat(SampleEncoding encoding) {
    switch (encoding) {
        case SampleEncoding::Unsigned8:
            return PA_SAMPLE_U8;
        case SampleEncoding::Signed16:
            return PA_SAMPLE_S16LE;
        case SampleEncoding::Signed24:
            return PA_SAMPLE_S24LE;
        case SampleEncoding::Signed32:
            return PA_SAMPLE_S32LE;
        case SampleEncoding::Float32:
            return PA_SAMPLE_FLOAT32LE;
        case SampleEncoding::ALaw:
            return PA_SAMPLE_ALAW;
        case SampleEncoding::MuLaw:
            return PA_SAMPLE_ULAW;
    }
    return PA_SAMPLE_INVALID;
}

pa_sample_spec sampleSpec(const WaveLayout& layout) {
    pa_sample_spec spec{};
    spec.format = sampleFormat(layout.encoding);
    spec.rate = layout.sampleRate;
    spec.channels = static_cast<std::uint8_t>(layout.channels);
    return spec;
}

// As many bytes as the file gives, up to `count`: fewer only at its end.
std::size_t readUpTo(int fd, void* into, std::size_t count) {
    std::size_t done = 0;
    while (done < count) {
        const ssize_t got = read(fd, static_cast<char*>(into) + done, count - done);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    return done;
}

}  // namespace

PulsePlayer::~PulsePlayer() {
    if (mainloop_ == nullptr) {
        return;
    }
    {
        const Lock lock(mainloop_);
        stopPlayback();
        if (context_ != nullptr) {
            pa_context_set_state_callback(context_, nullptr, nullptr);
            pa_context_disconnect(context_);
            pa_context_unref(context_);
        }
    }
    pa_threaded_mainloop_stop(mainloop_);
    pa_threaded_mainloop_free(mainloop_);
}

void PulsePlayer::play(const std::filesystem::path& path) {
    const auto requested = std::chrono::steady_clock::now();
    alert_.cancel();
    if (mainloop_ != nullptr) {
        const Lock lock(mainloop_);
        stopPlayback();
    }
    // Opened afresh for every call: test.wav is rewritten between plays.
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    const std::optional<WaveLayout> layout = fd >= 0 ? readWaveLayout(fd) : std::nullopt;
    const pa_sample_spec spec = layout ? sampleSpec(*layout) : pa_sample_spec{};
    const bool playable = layout.has_value() && pa_sample_spec_valid(&spec) != 0 &&
                          lseek(fd, static_cast<off_t>(layout->dataOffset), SEEK_SET) >= 0;
    if (!playable) {
        if (fd >= 0) {
            close(fd);
        }
        alert_.play();  // missing, unreadable, or no sound we know
        return;
    }
    // A file without samples is a silent one, and nothing to play.
    if (layout->dataBytes == 0 || !connect()) {
        close(fd);
        return;
    }
    const Lock lock(mainloop_);
    playback_.fd = fd;
    playback_.layout = *layout;
    playback_.unread = layout->dataBytes;
    playback_.path = path.native();
    playback_.requested = requested;
    if (pa_context_get_state(context_) == PA_CONTEXT_READY) {
        startStream();
    }  // otherwise the context starts it once connected
}

std::optional<std::chrono::microseconds> PulsePlayer::lastStartDelay() const {
    if (mainloop_ == nullptr) {
        return std::nullopt;
    }
    const Lock lock(mainloop_);
    return playback_.startDelay;
}

bool PulsePlayer::connect() {
    if (mainloop_ == nullptr) {
        mainloop_ = pa_threaded_mainloop_new();
        if (mainloop_ == nullptr) {
            return false;
        }
        if (pa_threaded_mainloop_start(mainloop_) < 0) {
            pa_threaded_mainloop_free(mainloop_);
            mainloop_ = nullptr;
            return false;
        }
    }
    const Lock lock(mainloop_);
    if (context_ != nullptr) {
        if (PA_CONTEXT_IS_GOOD(pa_context_get_state(context_))) {
            return true;
        }
        // The server went away since the last sound: try it anew.
        pa_context_set_state_callback(context_, nullptr, nullptr);
        pa_context_unref(context_);
        context_ = nullptr;
    }
    pa_proplist* properties = pa_proplist_new();
    pa_proplist_sets(properties, PA_PROP_APPLICATION_NAME, "Quenbrix");
    pa_proplist_sets(properties, PA_PROP_APPLICATION_ID, "quenbrix");
    pa_proplist_sets(properties, PA_PROP_APPLICATION_ICON_NAME, "quenbrix");
    context_ = pa_context_new_with_proplist(pa_threaded_mainloop_get_api(mainloop_), "Quenbrix",
                                            properties);
    pa_proplist_free(properties);
    if (context_ == nullptr) {
        return false;
    }
    pa_context_set_state_callback(context_, &PulsePlayer::onContextState, this);
    if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOFLAGS, nullptr) < 0) {
        pa_context_set_state_callback(context_, nullptr, nullptr);
        pa_context_unref(context_);
        context_ = nullptr;
        return false;  // no server: silence
    }
    return true;
}

void PulsePlayer::startStream() {
    const pa_sample_spec spec = sampleSpec(playback_.layout);
    pa_channel_map channels{};
    pa_channel_map_init_extend(&channels, spec.channels, PA_CHANNEL_MAP_WAVEEX);
    // No media role: the tone is the user's own sound, not an alert or event
    // whose volume the desktop sets apart.
    pa_proplist* properties = pa_proplist_new();
    // Shown in the desktop's mixer: text, with U+FFFD for bytes of the
    // path that are no UTF-8 (libpulse refuses such strings).
    const std::filesystem::path path(playback_.path);
    const std::string title = QString::fromStdString(path.filename().native()).toStdString();
    const std::string shownPath = QString::fromStdString(path.native()).toStdString();
    pa_proplist_sets(properties, PA_PROP_MEDIA_NAME, title.c_str());
    pa_proplist_sets(properties, PA_PROP_MEDIA_FILENAME, shownPath.c_str());
    playback_.stream =
        pa_stream_new_with_proplist(context_, title.c_str(), &spec, &channels, properties);
    pa_proplist_free(properties);
    if (playback_.stream == nullptr) {
        closeFile();
        return;
    }
    pa_stream_set_write_callback(playback_.stream, &PulsePlayer::onWritable, this);
    pa_stream_set_started_callback(playback_.stream, &PulsePlayer::onStarted, this);
    pa_buffer_attr buffer{};
    buffer.maxlength = kServerChooses;
    buffer.tlength = static_cast<std::uint32_t>(pa_usec_to_bytes(kBufferUsec, &spec));
    buffer.prebuf = kServerChooses;
    buffer.minreq = kServerChooses;
    buffer.fragsize = kServerChooses;
    if (pa_stream_connect_playback(playback_.stream, nullptr, &buffer, PA_STREAM_NOFLAGS, nullptr,
                                   nullptr) < 0) {
        stopPlayback();
    }
}

void PulsePlayer::stopPlayback() {
    if (playback_.stream != nullptr) {
        pa_stream_set_write_callback(playback_.stream, nullptr, nullptr);
        pa_stream_set_started_callback(playback_.stream, nullptr, nullptr);
        if (PA_STREAM_IS_GOOD(pa_stream_get_state(playback_.stream))) {
            pa_stream_disconnect(playback_.stream);  // the server drops what it holds
        }
        pa_stream_unref(playback_.stream);
    }
    closeFile();
    playback_ = Playback{};
}

void PulsePlayer::closeFile() {
    if (playback_.fd >= 0) {
        close(playback_.fd);
        playback_.fd = -1;
    }
    playback_.unread = 0;
}

void PulsePlayer::feed(std::size_t bytesWanted) {
    Playback& now = playback_;
    if (now.fd < 0) {
        return;
    }
    // "Créer" deletes the file before writing the next one: the old sound
    // ends there, and with it the hold on the old file's disk space.
    struct stat info {};
    if (fstat(now.fd, &info) == 0 && info.st_nlink == 0) {
        closeFile();
        pa_stream_disconnect(now.stream);
        return;
    }
    const std::size_t frame = now.layout.frameBytes;
    while (bytesWanted >= frame && now.unread > 0) {
        void* buffer = nullptr;
        std::size_t size = std::min<std::uint64_t>(bytesWanted, now.unread);
        if (pa_stream_begin_write(now.stream, &buffer, &size) < 0 || buffer == nullptr) {
            return;
        }
        const std::size_t wanted = std::min<std::uint64_t>(size, now.unread) / frame * frame;
        const std::size_t got = wanted == 0 ? 0 : readUpTo(now.fd, buffer, wanted);
        const std::size_t whole = got / frame * frame;
        if (whole > 0) {
            pa_stream_write(now.stream, buffer, whole, nullptr, 0, PA_SEEK_RELATIVE);
        } else {
            pa_stream_cancel_write(now.stream);
        }
        if (wanted == 0) {
            return;  // a buffer too small for one frame; the next request brings more
        }
        if (whole < wanted) {
            now.unread = 0;  // the file ended before its header said
            break;
        }
        now.unread -= whole;
        bytesWanted -= std::min(whole, bytesWanted);
    }
    if (now.unread == 0) {
        closeFile();
        // Let the last bytes play, then free the server's stream.
        pa_operation* draining = pa_stream_drain(now.stream, &PulsePlayer::onDrained, this);
        if (draining != nullptr) {
            pa_operation_unref(draining);
        }
    }
}

void PulsePlayer::onContextState(pa_context* context, void* self) {
    auto* player = static_cast<PulsePlayer*>(self);
    switch (pa_context_get_state(context)) {
        case PA_CONTEXT_READY:
            if (player->playback_.fd >= 0 && player->playback_.stream == nullptr) {
                player->startStream();
            }
            break;
        case PA_CONTEXT_FAILED:
        case PA_CONTEXT_TERMINATED:
            player->stopPlayback();  // no server: silence
            break;
        default:
            break;
    }
}

void PulsePlayer::onWritable(pa_stream* stream, std::size_t bytes, void* self) {
    auto* player = static_cast<PulsePlayer*>(self);
    if (stream == player->playback_.stream) {
        player->feed(bytes);
    }
}

void PulsePlayer::onStarted(pa_stream* stream, void* self) {
    auto* player = static_cast<PulsePlayer*>(self);
    if (stream == player->playback_.stream && !player->playback_.startDelay) {
        player->playback_.startDelay = std::chrono::duration_cast<std::chrono::microseconds>(
            std::chrono::steady_clock::now() - player->playback_.requested);
    }
}

void PulsePlayer::onDrained(pa_stream* stream, int /*success*/, void* self) {
    auto* player = static_cast<PulsePlayer*>(self);
    if (stream == player->playback_.stream && PA_STREAM_IS_GOOD(pa_stream_get_state(stream))) {
        pa_stream_disconnect(stream);
    }
}
