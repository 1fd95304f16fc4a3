#include "tone_file_writer.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <utility>

#include "file_system.h"
#include "tonegen/message_text.h"
#include "wave_format.h"

namespace tonegen {

ToneFileWriter::ToneFileWriter() = default;

ToneFileWriter::~ToneFileWriter() {
    // Writes still going end before their file is closed.
    overlapped_.reset();
    if (output_ && owned_) {
        // Reached only when a run is left early; its failure is already known.
        (void)file_system::CloseFile(*output_);
    }
}

std::optional<Failure> ToneFileWriter::Create(std::filesystem::path path, WritePath writePath) {
    path_ = std::move(path);
    if (writePath == WritePath::Overlapped) {
        overlapped_ = OverlappedWriter::Prepare();
    }
    const file_system::WriteStyle style =
        overlapped_ ? file_system::WriteStyle::Overlapped : file_system::WriteStyle::Sequential;
    NativeFile created{};
    if (const int error = file_system::CreateNewFile(path_, style, created); error != 0) {
        overlapped_.reset();
        Fail("créer le fichier", error);
        return failure_;
    }
    output_ = created;
    owned_ = true;
    if (const int error = file_system::HoldWhileWriting(created); error != 0) {
        overlapped_.reset();
        Fail("créer le fichier", error);
        return failure_;
    }
    if (overlapped_) {
        overlapped_->Begin(created, 0);
        buffer_ = overlapped_->Buffer();
    } else {
        UseSynchronousBuffer();
    }
    return failure_;
}

void ToneFileWriter::Adopt(NativeFile output, std::filesystem::path shownPath,
                           WritePath writePath) {
    path_ = std::move(shownPath);
    output_ = output;
    owned_ = false;
    std::uint64_t offset = 0;
    if (writePath == WritePath::Overlapped && file_system::WritesAtOffsets(output, offset)) {
        overlapped_ = OverlappedWriter::Prepare();
    }
    if (overlapped_) {
        overlapped_->Begin(output, offset);
        buffer_ = overlapped_->Buffer();
    } else {
        UseSynchronousBuffer();
    }
}

void ToneFileWriter::UseSynchronousBuffer() {
    ownBuffer_ = std::make_unique_for_overwrite<std::uint8_t[]>(kSynchronousBufferSize);
    buffer_ = {ownBuffer_.get(), kSynchronousBufferSize};
}

bool ToneFileWriter::Append(std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        if (failure_ || !output_) {
            return false;
        }
        if (used_ == buffer_.size() && !Flush()) {
            return false;
        }
        const std::size_t count = std::min(bytes.size(), buffer_.size() - used_);
        std::memcpy(buffer_.data() + used_, bytes.data(), count);
        used_ += count;
        bytes = bytes.subspan(count);
    }
    return !failure_ && output_;
}

bool ToneFileWriter::AppendBlock(std::span<const std::int16_t> samples) {
    return AppendBlock(samples, SampleFormat::Pcm16);
}

bool ToneFileWriter::AppendBlock(std::span<const std::int16_t> samples, SampleFormat format) {
    if (format == SampleFormat::Pcm16 && std::endian::native == std::endian::little) {
        // The samples in memory already are the file's bytes.
        return Append(
            {reinterpret_cast<const std::uint8_t*>(samples.data()), samples.size_bytes()});
    }
    constexpr std::size_t kSamplesPerStep = 512;
    std::array<std::uint8_t, kSamplesPerStep * kLargestSampleSize> bytes{};
    do {
        const std::span<const std::int16_t> step =
            samples.first(std::min(samples.size(), kSamplesPerStep));
        if (!Append(EncodeSamples(format, step, bytes))) {
            return false;
        }
        samples = samples.subspan(step.size());
    } while (!samples.empty());
    return true;
}

bool ToneFileWriter::Flush() {
    const int error = overlapped_ ? overlapped_->Write(used_)
                                  : file_system::WriteAll(*output_, buffer_.first(used_));
    used_ = 0;
    if (overlapped_) {
        buffer_ = overlapped_->Buffer();
    }
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
    if (overlapped_) {
        // After a failure this also cuts the file back to the bytes before
        // the first refused one.
        if (const int error = overlapped_->Finish(); error != 0) {
            Fail("écrire le fichier", error);
        }
        overlapped_.reset();
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
