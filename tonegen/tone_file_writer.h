// The output of a run: a file it creates, or an output its caller opened,
// written through a buffer of whole blocks, appended to only.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string_view>

#include "byte_sink.h"
#include "tonegen/failure.h"
#include "tonegen/tone_file.h"

namespace tonegen {

class ToneFileWriter final : public ByteSink {
  public:
    // 64 sample blocks per system write: far fewer calls than one per block,
    // and still a fixed amount of memory whatever the duration.
    static constexpr std::size_t kBufferSize = std::size_t{64} * 1024;

    ToneFileWriter();
    ~ToneFileWriter() override;
    ToneFileWriter(const ToneFileWriter&) = delete;
    ToneFileWriter& operator=(const ToneFileWriter&) = delete;
    ToneFileWriter(ToneFileWriter&&) = delete;
    ToneFileWriter& operator=(ToneFileWriter&&) = delete;

    // Creates the file, never opening an existing name or following a link;
    // Finish closes it.
    [[nodiscard]] std::optional<Failure> Create(std::filesystem::path path);
    // Writes into an output that the caller opened and closes itself;
    // shownPath names it in messages.
    void Adopt(NativeFile output, std::filesystem::path shownPath);

    // Buffers header bytes; false once a write has failed (see failure()).
    [[nodiscard]] bool Append(std::span<const std::uint8_t> bytes) override;
    // Buffers one block of samples as 16-bit little-endian values.
    [[nodiscard]] bool AppendBlock(std::span<const std::int16_t> samples);

    // Writes what is buffered and closes a file made by Create. Returns the
    // first failure of the output's life, if any. Nothing more goes in after.
    [[nodiscard]] std::optional<Failure> Finish();

    [[nodiscard]] const std::optional<Failure>& failure() const { return failure_; }

  private:
    bool Flush();
    void Fail(std::string_view action, int systemError);

    std::filesystem::path path_;
    std::optional<NativeFile> output_;
    bool owned_ = false;
    std::unique_ptr<std::uint8_t[]> buffer_;
    std::size_t used_ = 0;
    std::optional<Failure> failure_;
};

}  // namespace tonegen
