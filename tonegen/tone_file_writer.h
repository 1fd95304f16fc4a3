// The output file of a run: created exclusively, written through a buffer of
// whole blocks, closed exactly once.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>

#include "byte_sink.h"
#include "tone_file.h"

namespace tonegen {

class ToneFileWriter final : public ByteSink {
  public:
    // 64 sample blocks per system write: far fewer calls than one per block,
    // and still a fixed amount of memory whatever the duration.
    static constexpr std::size_t kBufferSize = std::size_t{64} * 1024;

    explicit ToneFileWriter(std::filesystem::path path);
    ~ToneFileWriter() override;
    ToneFileWriter(const ToneFileWriter&) = delete;
    ToneFileWriter& operator=(const ToneFileWriter&) = delete;
    ToneFileWriter(ToneFileWriter&&) = delete;
    ToneFileWriter& operator=(ToneFileWriter&&) = delete;

    // Creates the file; never opens an existing file or follows a link.
    [[nodiscard]] std::optional<Failure> Create();

    // Buffers bytes; false once a write has failed (see failure()).
    [[nodiscard]] bool Append(std::span<const std::uint8_t> bytes) override;
    // Buffers samples as 16-bit little-endian values.
    [[nodiscard]] bool AppendSamples(std::span<const std::int16_t> samples);

    // Writes what is buffered and closes the file. Returns the first failure
    // of the file's life, if any. The file is closed afterwards in any case.
    [[nodiscard]] std::optional<Failure> Close();

    [[nodiscard]] const std::optional<Failure>& failure() const { return failure_; }

  private:
    bool Flush();
    void Fail(std::string_view action, int errorNumber);

    std::filesystem::path path_;
    int fd_ = -1;
    std::unique_ptr<std::uint8_t[]> buffer_;
    std::size_t used_ = 0;
    std::optional<Failure> failure_;
};

}  // namespace tonegen
