// Writing a regular file while the samples of its next part are computed, on
// the program's one thread: the system copies a few buffers into the file
// (io_uring on Linux, overlapped WriteFile on Windows) while the caller fills
// the next one. After a failure the file holds exactly what a sequential
// writer would have left: everything before the first refused byte, nothing
// after it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>

#include "tonegen/tone_file.h"

namespace tonegen {

// The system's part: writes at explicit offsets into one file, each from one
// of the writer's buffers, finishing in any order.
class WriteQueue {
  public:
    struct Completion {
        std::size_t slot = 0;
        std::size_t written = 0;  // bytes the system accepted
        int error = 0;            // the system's error number, 0 for none
        // Neither written nor error: the system asks for the write again.
        // The queue itself failed: no write still going will be reported;
        // error says why.
        bool broken = false;
    };

    virtual ~WriteQueue() = default;
    WriteQueue(const WriteQueue&) = delete;
    WriteQueue& operator=(const WriteQueue&) = delete;
    WriteQueue(WriteQueue&&) = delete;
    WriteQueue& operator=(WriteQueue&&) = delete;

    // The file all writes go to; given once, before the first write.
    virtual void Attach(NativeFile file) = 0;
    // Starts writing bytes, which lie inside the buffer of slot, at offset.
    // An error when the write could not even be started.
    [[nodiscard]] virtual int Start(std::size_t slot, std::span<const std::uint8_t> bytes,
                                    std::uint64_t offset) = 0;
    // A finished write, waiting for one if none has finished yet; called
    // only while a write is going.
    [[nodiscard]] virtual Completion Wait() = 0;
    // A finished write, or empty when none has finished yet.
    [[nodiscard]] virtual std::optional<Completion> Poll() = 0;
    // Makes the file length bytes long, dropping what lies beyond.
    [[nodiscard]] virtual int Cut(std::uint64_t length) = 0;
    // Leaves the file position at offset, where a sequential writer that
    // wrote up to there would stand.
    virtual void Place(std::uint64_t offset) = 0;

  protected:
    WriteQueue() = default;
};

// The platform's queue over buffers (OverlappedWriter::kBufferCount ×
// kSlotSize bytes, slot after slot), or empty when the system offers none.
[[nodiscard]] std::unique_ptr<WriteQueue> OpenWriteQueue(std::span<std::uint8_t> buffers);

class OverlappedWriter {
  public:
    // Four buffers of 256 KiB: enough for the system to copy one while the
    // next is filled, few enough to stay far from any memory limit.
    static constexpr std::size_t kBufferCount = 4;
    static constexpr std::size_t kSlotSize = std::size_t{256} * 1024;

    using QueueOpener = std::function<std::unique_ptr<WriteQueue>(std::span<std::uint8_t> buffers)>;

    // The system's overlapped writes, ready for a file; empty where the
    // system has none (io_uring missing or disabled, a build without it):
    // the caller then writes synchronously. The tests open queues of their
    // own that fail on purpose.
    [[nodiscard]] static std::unique_ptr<OverlappedWriter> Prepare(
        const QueueOpener& open = OpenWriteQueue);
    // Waits for the writes still going, so that no buffer is freed under one.
    ~OverlappedWriter();
    OverlappedWriter(const OverlappedWriter&) = delete;
    OverlappedWriter& operator=(const OverlappedWriter&) = delete;
    OverlappedWriter(OverlappedWriter&&) = delete;
    OverlappedWriter& operator=(OverlappedWriter&&) = delete;

    // Writes go to file from offset on.
    void Begin(NativeFile file, std::uint64_t offset);

    // The buffer to fill next, kSlotSize bytes.
    [[nodiscard]] std::span<std::uint8_t> Buffer();
    // Starts writing the first used bytes of Buffer() after everything
    // before, and moves on to the next buffer, waiting for its earlier write
    // if it is still going. Returns the error of the first refused write
    // seen so far, 0 if none; nothing more is written after one.
    [[nodiscard]] int Write(std::size_t used);
    // Waits for every write. After a failure the file is cut back to the
    // bytes before the first refused one; returns that failure's error.
    [[nodiscard]] int Finish();

  private:
    OverlappedWriter(std::unique_ptr<std::uint8_t[]> buffers, std::unique_ptr<WriteQueue> queue);

    struct Slot {
        std::uint64_t offset = 0;
        std::size_t length = 0;
        std::size_t done = 0;  // bytes accepted so far
        bool busy = false;
    };

    void StartRest(std::size_t slot);
    void Handle(const WriteQueue::Completion& completion);
    void Refused(std::uint64_t offset, int error);
    void WaitForOne();
    void WaitWhileAnyBusy();

    std::unique_ptr<std::uint8_t[]> buffers_;
    std::unique_ptr<WriteQueue> queue_;
    std::array<Slot, kBufferCount> slots_{};
    std::size_t current_ = 0;
    std::uint64_t nextOffset_ = 0;
    // The first refused byte of the file and why; later refusals and later
    // accepted bytes are cut away.
    std::uint64_t refusedAt_ = UINT64_MAX;
    int error_ = 0;
    std::uint64_t acceptedEnd_ = 0;  // the end of the furthest accepted bytes
    bool finished_ = false;
};

}  // namespace tonegen
