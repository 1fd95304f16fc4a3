// Linux: io_uring, with the writer's buffers registered once so that the
// kernel does not map them again for every write.
#include <liburing.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>

#include "overlapped_writer.h"

namespace tonegen {
namespace {

class UringQueue final : public WriteQueue {
  public:
    UringQueue() = default;
    ~UringQueue() override {
        if (open_) {
            io_uring_queue_exit(&ring_);
        }
    }
    UringQueue(const UringQueue&) = delete;
    UringQueue& operator=(const UringQueue&) = delete;
    UringQueue(UringQueue&&) = delete;
    UringQueue& operator=(UringQueue&&) = delete;

    // False where io_uring is missing or switched off (ENOSYS or EPERM:
    // kernel.io_uring_disabled, a seccomp filter), or older than 5.6, which
    // can neither tell its operations nor take IOSQE_ASYNC.
    bool Open() {
        open_ = io_uring_queue_init(OverlappedWriter::kBufferCount, &ring_, 0) == 0;
        if (!open_) {
            return false;
        }
        io_uring_probe* probe = io_uring_get_probe_ring(&ring_);
        const bool usable = probe != nullptr &&
                            io_uring_opcode_supported(probe, IORING_OP_WRITE) != 0 &&
                            io_uring_opcode_supported(probe, IORING_OP_WRITE_FIXED) != 0;
        io_uring_free_probe(probe);
        return usable;
    }

    void RegisterBuffers(std::span<std::uint8_t> buffers) {
        iovec vectors[OverlappedWriter::kBufferCount];
        for (std::size_t slot = 0; slot < OverlappedWriter::kBufferCount; ++slot) {
            vectors[slot].iov_base = buffers.data() + slot * OverlappedWriter::kSlotSize;
            vectors[slot].iov_len = OverlappedWriter::kSlotSize;
        }
        // Refused under a small locked-memory limit: plain writes then.
        registered_ =
            io_uring_register_buffers(&ring_, vectors, OverlappedWriter::kBufferCount) == 0;
    }

    void Attach(NativeFile file) override { file_ = file; }

    int Start(std::size_t slot, std::span<const std::uint8_t> bytes,
              std::uint64_t offset) override {
        if (brokenError_ != 0) {
            return brokenError_;
        }
        io_uring_sqe* entry = io_uring_get_sqe(&ring_);
        if (entry == nullptr) {
            return EBUSY;  // one entry per buffer: cannot happen
        }
        const auto size = static_cast<unsigned>(bytes.size());
        if (registered_) {
            io_uring_prep_write_fixed(entry, file_, bytes.data(), size, offset,
                                      static_cast<int>(slot));
        } else {
            io_uring_prep_write(entry, file_, bytes.data(), size, offset);
        }
        // Straight to the kernel's workers, which copy beside this thread:
        // tried inline, a write that the file system can take at once would
        // be copied here, holding up the samples.
        io_uring_sqe_set_flags(entry, IOSQE_ASYNC);
        io_uring_sqe_set_data64(entry, slot);
        int submitted = 0;
        do {
            submitted = io_uring_submit(&ring_);
        } while (submitted == -EINTR);
        if (submitted < 0) {
            // The entry stays in the ring; nothing is submitted after it.
            brokenError_ = -submitted;
            return brokenError_;
        }
        return 0;
    }

    Completion Wait() override {
        io_uring_cqe* entry = nullptr;
        int result = 0;
        do {
            result = io_uring_wait_cqe(&ring_, &entry);
        } while (result == -EINTR || result == -EAGAIN);
        if (result < 0) {
            return {0, 0, -result, true};
        }
        return Take(entry);
    }

    std::optional<Completion> Poll() override {
        io_uring_cqe* entry = nullptr;
        if (io_uring_peek_cqe(&ring_, &entry) != 0) {
            return std::nullopt;
        }
        return Take(entry);
    }

    int Cut(std::uint64_t length) override {
        while (::ftruncate(file_, static_cast<off_t>(length)) != 0) {
            if (errno != EINTR) {
                return errno;
            }
        }
        return 0;
    }

    void Place(std::uint64_t offset) override {
        (void)::lseek(file_, static_cast<off_t>(offset), SEEK_SET);
    }

  private:
    Completion Take(io_uring_cqe* entry) {
        Completion completion{static_cast<std::size_t>(io_uring_cqe_get_data64(entry))};
        const int result = entry->res;
        io_uring_cqe_seen(&ring_, entry);
        if (result > 0) {
            completion.written = static_cast<std::size_t>(result);
        } else if (result == 0) {
            completion.error = EIO;  // a write that takes nothing would never end
        } else if (result != -EAGAIN && result != -EINTR) {
            completion.error = -result;
        }
        return completion;
    }

    io_uring ring_{};
    bool open_ = false;
    NativeFile file_ = -1;
    bool registered_ = false;
    int brokenError_ = 0;
};

}  // namespace

std::unique_ptr<WriteQueue> OpenWriteQueue(std::span<std::uint8_t> buffers) {
    auto queue = std::make_unique<UringQueue>();
    if (!queue->Open()) {
        return nullptr;
    }
    queue->RegisterBuffers(buffers);
    return queue;
}

}  // namespace tonegen
