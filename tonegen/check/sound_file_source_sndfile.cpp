// The sound file source on libsndfile. The file is opened here, not by the
// library, so that a refusal comes with the system's own reason and a path
// that is not in the locale's code page still opens on Windows.
#include <fcntl.h>
#include <sndfile.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "tonecheck/sound_file_source.h"
#include "tonegen/message_text.h"

#if defined(_WIN32)
#include <io.h>
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tonecheck {

namespace {

// Frames read from the library at a time: the memory of the largest files.
constexpr sf_count_t kFramesPerRead = 4096;

// The library's own words, in English, to end a French sentence.
std::string LibraryReason(SNDFILE* file) {
    std::string reason = sf_strerror(file);
    while (!reason.empty() && (reason.back() == '.' || reason.back() == ' ')) {
        reason.pop_back();
    }
    return reason;
}

tonegen::Failure Refusal(std::string sentence) {
    return {tonegen::FailureKind::File, std::move(sentence)};
}

// A file cut short still opens: the library reads what is there and notes in
// its log that the sound chunk ("data" in WAV, "SSND" in AIFF) announced more
// ("data : 36160 (should be 8920)"). Writers that stream to a pipe announce
// the largest size instead; that is no cut.
std::optional<std::string> TruncationNote(SNDFILE* file) {
    std::string log(16384, '\0');
    const int length = sf_command(file, SFC_GET_LOG_INFO, log.data(), static_cast<int>(log.size()));
    log.resize(static_cast<std::size_t>(std::max(length, 0)));
    std::size_t at = 0;
    while (at < log.size()) {
        std::size_t end = log.find('\n', at);
        end = end == std::string::npos ? log.size() : end;
        std::string line = log.substr(at, end - at);
        at = end + 1;
        line.erase(0, line.find_first_not_of(' '));
        if (!(line.starts_with("data :") || line.starts_with("SSND :")) ||
            line.find("(should be") == std::string::npos) {
            continue;
        }
        const long long announced = std::atoll(line.c_str() + 6);
        if (announced < 0x7FFF0000LL) {
            return line;
        }
    }
    return std::nullopt;
}

class SndfileSource final : public SoundFileSource {
  public:
    SndfileSource(SNDFILE* file, const SF_INFO& info, int channel, std::string name)
        : file_(file), info_(info), channel_(channel), name_(std::move(name)) {}
    ~SndfileSource() override { sf_close(file_); }
    SndfileSource(const SndfileSource&) = delete;
    SndfileSource& operator=(const SndfileSource&) = delete;

    int SampleRate() const override { return info_.samplerate; }

    SoundFileFacts Facts() const override {
        // A pipe's header cannot say how long the sound is; the library
        // reports the largest count then.
        const bool known = info_.frames >= 0 && info_.frames != SF_COUNT_MAX;
        return {info_.samplerate, info_.channels, known ? info_.frames : -1};
    }

    std::size_t Read(std::span<float> samples) override {
        const auto channels = static_cast<std::size_t>(info_.channels);
        if (channels == 1) {
            const auto got = static_cast<std::size_t>(
                sf_readf_float(file_, samples.data(), static_cast<sf_count_t>(samples.size())));
            if (got < samples.size()) {
                NoteEnd();
            }
            return got;
        }
        std::size_t written = 0;
        while (written < samples.size() && !ended_) {
            const auto frames = static_cast<sf_count_t>(
                std::min<std::size_t>(samples.size() - written, kFramesPerRead));
            interleaved_.resize(static_cast<std::size_t>(frames) * channels);
            const sf_count_t got = sf_readf_float(file_, interleaved_.data(), frames);
            for (sf_count_t frame = 0; frame < got; ++frame) {
                samples[written++] = interleaved_[static_cast<std::size_t>(frame) * channels +
                                                  static_cast<std::size_t>(channel_ - 1)];
            }
            if (got < frames) {
                NoteEnd();
            }
        }
        return written;
    }

    void NoteEnd() {
        ended_ = true;
        if (sf_error(file_) != SF_ERR_NO_ERROR) {
            failure_ = Refusal("Lecture interrompue du son de " + name_ + " : " +
                               LibraryReason(file_) + ".");
        }
    }

    std::optional<tonegen::Failure> ReadFailure() const override { return failure_; }

  private:
    SNDFILE* file_;
    SF_INFO info_;
    int channel_;
    std::string name_;
    std::vector<float> interleaved_;
    bool ended_ = false;
    std::optional<tonegen::Failure> failure_;
};

// name: the file between quotes, or standard input, as messages call it.
SoundFileSource::Opened OpenDescriptor(int descriptor, bool closeIt, const std::string& name,
                                       int channel) {
    SF_INFO info{};
    SNDFILE* file = sf_open_fd(descriptor, SFM_READ, &info, closeIt ? SF_TRUE : SF_FALSE);
    if (file == nullptr) {
        if (closeIt) {
#if defined(_WIN32)
            ::_close(descriptor);
#else
            ::close(descriptor);
#endif
        }
        return Refusal("Impossible de lire le son de " + name + " : " + LibraryReason(nullptr) +
                       ".");
    }
    std::optional<tonegen::Failure> refusal;
    if (const auto note = TruncationNote(file)) {
        refusal = Refusal("Le son de " + name +
                          " est tronqué : il s'arrête avant la fin annoncée (" + *note + ").");
    } else if (info.samplerate < 1 || info.channels < 1) {
        refusal = Refusal("Le son de " + name + " n'annonce aucun échantillon lisible.");
    } else if (channel > info.channels) {
        refusal =
            Refusal("Le son de " + name +
                    (info.channels == 1 ? std::string(" n'a qu'un canal")
                                        : " n'a que " + std::to_string(info.channels) + " canaux") +
                    " : pas de canal " + std::to_string(channel) + ".");
    }
    if (refusal) {
        sf_close(file);
        return *refusal;
    }
    // Integer encodings come out scaled to ±1, whatever their width.
    sf_command(file, SFC_SET_NORM_FLOAT, nullptr, SF_TRUE);
    return std::make_unique<SndfileSource>(file, info, channel, name);
}

}  // namespace

SoundFileSource::Opened SoundFileSource::Open(const std::filesystem::path& path, int channel) {
#if defined(_WIN32)
    const int descriptor = ::_wopen(path.c_str(), _O_RDONLY | _O_BINARY);
    if (descriptor < 0) {
        return tonegen::MakeFileFailure("ouvrir", path, static_cast<int>(::GetLastError()));
    }
#else
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) {
        // The core's sentence for a missing entry speaks of the folder, which
        // is what goes missing when a file is written.
        if (errno == ENOENT) {
            return tonegen::Failure{
                tonegen::FailureKind::File,
                "Impossible d'ouvrir " + tonegen::QuotePath(path) + " : le fichier n'existe pas."};
        }
        return tonegen::MakeFileFailure("ouvrir", path, errno);
    }
    // A folder opens, but reading it fails with a reason the library does
    // not pass on.
    struct stat status {};
    if (::fstat(descriptor, &status) == 0 && S_ISDIR(status.st_mode)) {
        ::close(descriptor);
        return tonegen::MakeFileFailure("lire", path, EISDIR);
    }
#endif
    return OpenDescriptor(descriptor, true, tonegen::QuotePath(path), channel);
}

SoundFileSource::Opened SoundFileSource::OpenStandardInput(int channel) {
#if defined(_WIN32)
    ::_setmode(0, _O_BINARY);
#endif
    return OpenDescriptor(0, false, "l'entrée standard", channel);
}

}  // namespace tonecheck
