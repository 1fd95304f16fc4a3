// Windows: overlapped WriteFile on a file opened with FILE_FLAG_OVERLAPPED,
// one event per buffer. NTFS completes a write that extends the file's valid
// data synchronously, as every write of a new file does: the bytes and the
// failures are right, the overlap is small. Avoiding that would need the
// file's valid length set ahead (an administrator's privilege) or writing
// it full of zeros first.
#include <windows.h>

#include <array>

#include "overlapped_writer.h"

namespace tonegen {
namespace {

class OverlappedQueue final : public WriteQueue {
  public:
    OverlappedQueue() = default;
    ~OverlappedQueue() override {
        for (Pending& pending : pending_) {
            if (pending.event != nullptr) {
                ::CloseHandle(pending.event);
            }
        }
    }
    OverlappedQueue(const OverlappedQueue&) = delete;
    OverlappedQueue& operator=(const OverlappedQueue&) = delete;
    OverlappedQueue(OverlappedQueue&&) = delete;
    OverlappedQueue& operator=(OverlappedQueue&&) = delete;

    bool Open() {
        for (Pending& pending : pending_) {
            pending.event = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
            if (pending.event == nullptr) {
                return false;
            }
        }
        return true;
    }

    void Attach(NativeFile file) override { file_ = file; }

    int Start(std::size_t slot, std::span<const std::uint8_t> bytes,
              std::uint64_t offset) override {
        Pending& pending = pending_[slot];
        pending.overlapped = OVERLAPPED{};
        pending.overlapped.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFU);
        pending.overlapped.OffsetHigh = static_cast<DWORD>(offset >> 32U);
        pending.overlapped.hEvent = pending.event;
        if (::WriteFile(file_, bytes.data(), static_cast<DWORD>(bytes.size()), nullptr,
                        &pending.overlapped) == 0) {
            const DWORD error = ::GetLastError();
            if (error != ERROR_IO_PENDING) {
                return static_cast<int>(error);
            }
        }
        // Also when WriteFile finished at once: the event and the result
        // are there all the same.
        pending.order = ++started_;
        pending.going = true;
        return 0;
    }

    Completion Wait() override { return Take(Oldest(), TRUE); }

    std::optional<Completion> Poll() override {
        const std::size_t slot = Oldest();
        if (slot == pending_.size() || !HasOverlappedIoCompleted(&pending_[slot].overlapped)) {
            return std::nullopt;
        }
        return Take(slot, FALSE);
    }

    int Cut(std::uint64_t length) override {
        FILE_END_OF_FILE_INFO end{};
        end.EndOfFile.QuadPart = static_cast<LONGLONG>(length);
        return ::SetFileInformationByHandle(file_, FileEndOfFileInfo, &end, sizeof end) != 0
                   ? 0
                   : static_cast<int>(::GetLastError());
    }

    void Place(std::uint64_t offset) override {
        LARGE_INTEGER position{};
        position.QuadPart = static_cast<LONGLONG>(offset);
        (void)::SetFilePointerEx(file_, position, nullptr, FILE_BEGIN);
    }

  private:
    struct Pending {
        OVERLAPPED overlapped{};
        HANDLE event = nullptr;
        std::uint64_t order = 0;
        bool going = false;
    };

    // The write started first among those going; pending_.size() if none.
    std::size_t Oldest() const {
        std::size_t oldest = pending_.size();
        for (std::size_t slot = 0; slot < pending_.size(); ++slot) {
            if (pending_[slot].going &&
                (oldest == pending_.size() || pending_[slot].order < pending_[oldest].order)) {
                oldest = slot;
            }
        }
        return oldest;
    }

    Completion Take(std::size_t slot, BOOL wait) {
        if (slot == pending_.size()) {
            return {0, 0, static_cast<int>(ERROR_INVALID_FUNCTION), true};
        }
        Pending& pending = pending_[slot];
        DWORD written = 0;
        const BOOL finished = ::GetOverlappedResult(file_, &pending.overlapped, &written, wait);
        pending.going = false;
        if (finished == 0) {
            return {slot, 0, static_cast<int>(::GetLastError())};
        }
        if (written == 0) {
            // A write that takes nothing would never end.
            return {slot, 0, static_cast<int>(ERROR_WRITE_FAULT)};
        }
        return {slot, written, 0};
    }

    NativeFile file_ = nullptr;
    std::array<Pending, OverlappedWriter::kBufferCount> pending_{};
    std::uint64_t started_ = 0;
};

}  // namespace

std::unique_ptr<WriteQueue> OpenWriteQueue(std::span<std::uint8_t> /*buffers*/) {
    auto queue = std::make_unique<OverlappedQueue>();
    if (!queue->Open()) {
        return nullptr;
    }
    return queue;
}

}  // namespace tonegen
