// The output of a run: a file it creates, or an output its caller opened,
// written through buffers of whole blocks, appended to only. Regular files
// are written overlapped where the system allows it (the system copies one
// buffer while the next is filled); other outputs, and any output on a system
// without overlapped writes, synchronously. Both leave the same bytes, also
// after a failure.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string_view>

#include "byte_sink.h"
#include "overlapped_writer.h"
#include "tonegen/failure.h"
#include "tonegen/sample_format.h"
#include "tonegen/tone_file.h"

namespace tonegen {

class ToneFileWriter final : public ByteSink {
  public:
    // Synchronously, 64 sample blocks per system write: far fewer calls than
    // one per block, and still a fixed amount of memory whatever the duration.
    static constexpr std::size_t kSynchronousBufferSize = std::size_t{64} * 1024;

    enum class WritePath {
        Overlapped,   // where the system and the output allow it, else synchronous
        Synchronous,  // always: for comparisons in the tests and benchmarks
    };

    ToneFileWriter();
    ~ToneFileWriter() override;
    ToneFileWriter(const ToneFileWriter&) = delete;
    ToneFileWriter& operator=(const ToneFileWriter&) = delete;
    ToneFileWriter(ToneFileWriter&&) = delete;
    ToneFileWriter& operator=(ToneFileWriter&&) = delete;

    // Creates the file, never opening an existing name or following a link;
    // Finish closes it.
    [[nodiscard]] std::optional<Failure> Create(std::filesystem::path path,
                                                WritePath writePath = WritePath::Overlapped);
    // Writes into an output that the caller opened and closes itself;
    // shownPath names it in messages.
    void Adopt(NativeFile output, std::filesystem::path shownPath,
               WritePath writePath = WritePath::Overlapped);

    // Whether the output is written overlapped.
    [[nodiscard]] bool IsOverlapped() const { return overlapped_ != nullptr; }

    // Buffers header bytes; false once a write has failed (see FirstFailure()).
    [[nodiscard]] bool Append(std::span<const std::uint8_t> bytes) override;
    // Buffers one block of samples as 16-bit little-endian values.
    [[nodiscard]] bool AppendBlock(std::span<const std::int16_t> samples);
    // Buffers one block of samples stored as format stores them.
    [[nodiscard]] bool AppendBlock(std::span<const std::int16_t> samples, SampleFormat format);

    // Writes what is buffered and closes a file made by Create. Returns the
    // first failure of the output's life, if any. Nothing more goes in after.
    [[nodiscard]] std::optional<Failure> Finish();

    [[nodiscard]] const std::optional<Failure>& FirstFailure() const { return failure_; }

  private:
    void UseSynchronousBuffer();
    bool Flush();
    void Fail(std::string_view action, int systemError);

    std::filesystem::path path_;
    std::optional<NativeFile> output_;
    bool owned_ = false;
    std::unique_ptr<OverlappedWriter> overlapped_;
    std::unique_ptr<std::uint8_t[]> ownBuffer_;  // synchronous writes only
    std::span<std::uint8_t> buffer_;             // the buffer being filled
    std::size_t used_ = 0;
    std::optional<Failure> failure_;
};

}  // namespace tonegen
