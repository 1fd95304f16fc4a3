#include "wave_layout.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstddef>
#include <cstring>

namespace {

constexpr std::uint16_t kFormatPcm = 1;
constexpr std::uint16_t kFormatFloat = 3;
constexpr std::uint16_t kFormatALaw = 6;
constexpr std::uint16_t kFormatMuLaw = 7;
constexpr std::uint16_t kFormatExtensible = 0xFFFE;
// The sub-format of an extensible file is a GUID whose first two bytes are
// one of the tags above and whose other fourteen are always these.
constexpr std::array<unsigned char, 14> kSubFormatTail{0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                                       0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
constexpr unsigned kMaxChannels = 32;

std::uint16_t le16(const unsigned char* bytes) {
    return static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8));
}

std::uint32_t le32(const unsigned char* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
           (static_cast<std::uint32_t>(bytes[2]) << 16) |
           (static_cast<std::uint32_t>(bytes[3]) << 24);
}

// Reads exactly `count` bytes at `offset`, or fails.
bool readAt(int fd, std::uint64_t offset, unsigned char* into, std::size_t count) {
    std::size_t done = 0;
    while (done < count) {
        const ssize_t got = pread(fd, into + done, count - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(got);
    }
    return true;
}

std::optional<SampleEncoding> encodingOf(std::uint16_t tag, std::uint16_t bits) {
    switch (tag) {
        case kFormatPcm:
            switch (bits) {
                case 8:
                    return SampleEncoding::Unsigned8;
                case 16:
                    return SampleEncoding::Signed16;
                case 24:
                    return SampleEncoding::Signed24;
                case 32:
                    return SampleEncoding::Signed32;
                default:
                    return std::nullopt;
            }
        case kFormatFloat:
            return bits == 32 ? std::optional(SampleEncoding::Float32) : std::nullopt;
        case kFormatALaw:
            return bits == 8 ? std::optional(SampleEncoding::ALaw) : std::nullopt;
        case kFormatMuLaw:
            return bits == 8 ? std::optional(SampleEncoding::MuLaw) : std::nullopt;
        default:
            return std::nullopt;
    }
}

// The "fmt " chunk's body, of `size` bytes (at least 16, at most 40 read).
std::optional<WaveLayout> parseFormat(const unsigned char* body, std::uint32_t size) {
    std::uint16_t tag = le16(body);
    const std::uint16_t channels = le16(body + 2);
    const std::uint32_t rate = le32(body + 4);
    const std::uint16_t blockAlign = le16(body + 12);
    const std::uint16_t bits = le16(body + 14);
    if (tag == kFormatExtensible) {
        if (size < 40 || le16(body + 16) < 22 ||
            std::memcmp(body + 26, kSubFormatTail.data(), kSubFormatTail.size()) != 0) {
            return std::nullopt;
        }
        tag = le16(body + 24);
    }
    const std::optional<SampleEncoding> encoding = encodingOf(tag, bits);
    if (!encoding || channels == 0 || channels > kMaxChannels || rate == 0 ||
        blockAlign != channels * (bits / 8U)) {
        return std::nullopt;
    }
    WaveLayout layout;
    layout.encoding = *encoding;
    layout.channels = channels;
    layout.sampleRate = rate;
    layout.frameBytes = blockAlign;
    return layout;
}

}  // namespace

std::optional<WaveLayout> readWaveLayout(int fd) {
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        return std::nullopt;
    }
    const auto fileSize = static_cast<std::uint64_t>(info.st_size);
    std::array<unsigned char, 12> riff{};
    if (!readAt(fd, 0, riff.data(), riff.size()) || std::memcmp(riff.data(), "RIFF", 4) != 0 ||
        std::memcmp(riff.data() + 8, "WAVE", 4) != 0) {
        return std::nullopt;
    }
    // The RIFF size is not trusted: the chunks are walked up to the file's end.
    std::optional<WaveLayout> format;
    std::uint64_t offset = riff.size();
    while (offset + 8 <= fileSize) {
        std::array<unsigned char, 8> header{};
        if (!readAt(fd, offset, header.data(), header.size())) {
            return std::nullopt;
        }
        const std::uint32_t size = le32(header.data() + 4);
        const std::uint64_t body = offset + header.size();
        if (std::memcmp(header.data(), "fmt ", 4) == 0) {
            std::array<unsigned char, 40> bytes{};
            const std::uint32_t wanted = std::min<std::uint32_t>(size, bytes.size());
            if (size < 16 || !readAt(fd, body, bytes.data(), wanted)) {
                return std::nullopt;
            }
            format = parseFormat(bytes.data(), size);
            if (!format) {
                return std::nullopt;
            }
        } else if (std::memcmp(header.data(), "data", 4) == 0) {
            if (!format) {
                return std::nullopt;
            }
            // A size beyond the file's end (a file cut short, or a writer
            // that streams) means as much as there is.
            const std::uint64_t bytes = std::min<std::uint64_t>(size, fileSize - body);
            format->dataOffset = body;
            format->dataBytes = bytes - bytes % format->frameBytes;
            return format;
        }
        offset = body + size + (size & 1U);  // chunks start on even offsets
    }
    return std::nullopt;
}
