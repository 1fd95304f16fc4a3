#include "tone_file_writer.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <utility>

#include "file_system.h"
#include "tonegen/message_text.h"

namespace tonegen {

ToneFileWriter::ToneFileWriter() : buffer_(std::make_unique<std::uint8_t[]>(kBufferSize)) {}

ToneFileWriter::~ToneFileWriter() {
    if (output_ && owned_) {
        // Reached only when a run is left early; its failure is already known.
        (void)file_system::CloseFile(*output_);
    }
}

std::optional<Failure> ToneFileWriter::Create(std::filesystem::path path) {
    path_ = std::move(path);
    NativeFile created{};
    if (const int error = file_system::CreateNewFile(path_, created); error != 0) {
        Fail("créer le fichier", error);
    } else {
        output_ = created;
        owned_ = true;
    }
    return failure_;
}

void ToneFileWriter::Adopt(NativeFile output, std::filesystem::path shownPath) {
    path_ = std::move(shownPath);
    output_ = output;
    owned_ = false;
}

bool ToneFileWriter::Append(std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        if (failure_ || !output_) {
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
    return !failure_ && output_;
}

bool ToneFileWriter::AppendBlock(std::span<const std::int16_t> samples) {
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
    const int error = file_system::WriteAll(*output_, {buffer_.get(), used_});
    used_ = 0;
    if (error != 0) {
        Fail("écrire le fichier", error);
        return false;
    }
    return true;
}

std::optional<Failure> ToneFileWriter::Finish() {
    if (!output_) {
        return failure_;
    }
    if (!failure_) {
        Flush();
    }
    const NativeFile output = *std::exchange(output_, std::nullopt);
    if (owned_) {
        if (const int error = file_system::CloseFile(output); error != 0) {
            Fail("terminer l'écriture du fichier", error);
        }
    }
    return failure_;
}

void ToneFileWriter::Fail(std::string_view action, int systemError) {
    if (!failure_) {
        failure_ = MakeFileFailure(action, path_, systemError);
    }
}

}  // namespace tonegen
