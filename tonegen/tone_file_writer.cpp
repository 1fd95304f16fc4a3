#include "tone_file_writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <cstring>
#include <utility>

#include "message_text.h"

namespace tonegen {

ToneFileWriter::ToneFileWriter(std::filesystem::path path)
    : path_(std::move(path)), buffer_(std::make_unique<std::uint8_t[]>(kBufferSize)) {}

ToneFileWriter::~ToneFileWriter() {
    if (fd_ >= 0) {
        // Reached only when a run is left early; its failure is already known.
        ::close(fd_);
    }
}

std::optional<Failure> ToneFileWriter::Create() {
    // O_EXCL: the old file was deleted just before, so anything found now was
    // planted in between and must not be overwritten. O_NOFOLLOW: never write
    // through a symbolic link.
    do {
        fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    } while (fd_ < 0 && errno == EINTR);
    if (fd_ < 0) {
        Fail("créer le fichier", errno);
    }
    return failure_;
}

bool ToneFileWriter::Append(std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        if (failure_ || fd_ < 0) {
            return false;
        }
        if (used_ == kBufferSize && !Flush()) {
            return false;
        }
        const std::size_t count = std::min(bytes.size(), kBufferSize - used_);
        std::memcpy(buffer_.get() + used_, bytes.data(), count);
        used_ += count;
        bytes = bytes.subspan(count);
    }
    return !failure_;
}

bool ToneFileWriter::AppendSamples(std::span<const std::int16_t> samples) {
    if constexpr (std::endian::native == std::endian::little) {
        return Append(
            {reinterpret_cast<const std::uint8_t*>(samples.data()), samples.size_bytes()});
    } else {
        for (const std::int16_t sample : samples) {
            const auto bits = static_cast<std::uint16_t>(sample);
            const std::uint8_t bytes[2] = {static_cast<std::uint8_t>(bits & 0xFFU),
                                           static_cast<std::uint8_t>(bits >> 8U)};
            if (!Append(bytes)) {
                return false;
            }
        }
        return true;
    }
}

bool ToneFileWriter::Flush() {
    std::size_t done = 0;
    while (done < used_) {
        const ssize_t written = ::write(fd_, buffer_.get() + done, used_ - done);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            Fail("écrire le fichier", errno);
            return false;
        }
        if (written == 0) {
            Fail("écrire le fichier", EIO);
            return false;
        }
        done += static_cast<std::size_t>(written);
    }
    used_ = 0;
    return true;
}

std::optional<Failure> ToneFileWriter::Close() {
    if (fd_ < 0) {
        return failure_;
    }
    if (!failure_) {
        Flush();
    }
    // Linux releases the descriptor even when close reports an error, so it is
    // never retried; the error still means the data may be lost.
    if (::close(std::exchange(fd_, -1)) != 0 && errno != EINTR) {
        Fail("terminer l'écriture du fichier", errno);
    }
    return failure_;
}

void ToneFileWriter::Fail(std::string_view action, int errorNumber) {
    if (!failure_) {
        failure_ = MakeFileFailure(action, path_, errorNumber);
    }
}

}  // namespace tonegen
