#include "overlapped_writer.h"

#include <algorithm>
#include <utility>

namespace tonegen {

std::unique_ptr<OverlappedWriter> OverlappedWriter::Prepare(const QueueOpener& open) {
    constexpr std::size_t kTotal = kBufferCount * kSlotSize;
    auto buffers = std::make_unique_for_overwrite<std::uint8_t[]>(kTotal);
    std::unique_ptr<WriteQueue> queue = open({buffers.get(), kTotal});
    if (!queue) {
        return nullptr;
    }
    return std::unique_ptr<OverlappedWriter>(
        new OverlappedWriter(std::move(buffers), std::move(queue)));
}

OverlappedWriter::OverlappedWriter(std::unique_ptr<std::uint8_t[]> buffers,
                                   std::unique_ptr<WriteQueue> queue)
    : buffers_(std::move(buffers)), queue_(std::move(queue)) {}

OverlappedWriter::~OverlappedWriter() {
    // Reached without Finish only when a run is left early; the system must
    // be done with the buffers before they go.
    WaitWhileAnyBusy();
}

void OverlappedWriter::Begin(NativeFile file, std::uint64_t offset) {
    queue_->Attach(file);
    nextOffset_ = offset;
    acceptedEnd_ = offset;
}

std::span<std::uint8_t> OverlappedWriter::Buffer() {
    return {buffers_.get() + current_ * kSlotSize, kSlotSize};
}

int OverlappedWriter::Write(std::size_t used) {
    if (error_ != 0 || finished_ || used == 0) {
        return error_;
    }
    slots_[current_] = {nextOffset_, std::min(used, kSlotSize), 0, true};
    nextOffset_ += slots_[current_].length;
    StartRest(current_);
    current_ = (current_ + 1) % kBufferCount;
    // Failures are learnt as soon as the system reports them, so that the
    // caller stops computing samples that can no longer reach the file.
    while (const std::optional<WriteQueue::Completion> done = queue_->Poll()) {
        Handle(*done);
    }
    while (error_ == 0 && slots_[current_].busy) {
        WaitForOne();
    }
    if (error_ != 0) {
        // A write before the refused one may still fail, and then its
        // failure is the one to report: wait until every write has ended.
        WaitWhileAnyBusy();
    }
    return error_;
}

int OverlappedWriter::Finish() {
    if (finished_) {
        return error_;
    }
    finished_ = true;
    WaitWhileAnyBusy();
    if (error_ != 0 && acceptedEnd_ > refusedAt_) {
        // Writes after the refused one were accepted: a sequential writer
        // would never have made them. The write failure stays the one to
        // report even if cutting fails too.
        (void)queue_->Cut(refusedAt_);
    }
    queue_->Place(error_ != 0 ? refusedAt_ : nextOffset_);
    return error_;
}

void OverlappedWriter::StartRest(std::size_t slot) {
    Slot& rest = slots_[slot];
    const std::uint64_t at = rest.offset + rest.done;
    if (at >= refusedAt_) {
        // Beyond a refused byte: it would be cut away.
        rest.busy = false;
        return;
    }
    rest.busy = true;
    const std::span<const std::uint8_t> bytes(buffers_.get() + slot * kSlotSize + rest.done,
                                              rest.length - rest.done);
    if (const int error = queue_->Start(slot, bytes, at); error != 0) {
        rest.busy = false;
        Refused(at, error);
    }
}

void OverlappedWriter::Handle(const WriteQueue::Completion& completion) {
    if (completion.broken) {
        for (Slot& slot : slots_) {
            if (slot.busy) {
                slot.busy = false;
                Refused(slot.offset + slot.done, completion.error);
            }
        }
        return;
    }
    Slot& slot = slots_[completion.slot];
    if (completion.error != 0) {
        slot.busy = false;
        Refused(slot.offset + slot.done, completion.error);
        return;
    }
    slot.done += std::min(completion.written, slot.length - slot.done);
    acceptedEnd_ = std::max(acceptedEnd_, slot.offset + slot.done);
    if (slot.done == slot.length) {
        slot.busy = false;
    } else {
        // A short write: the rest goes again, as a sequential writer would
        // send it; its failure, if any, is then the one that counts.
        StartRest(completion.slot);
    }
}

void OverlappedWriter::Refused(std::uint64_t offset, int error) {
    if (offset < refusedAt_) {
        refusedAt_ = offset;
        error_ = error;
    }
}

void OverlappedWriter::WaitForOne() {
    Handle(queue_->Wait());
}

void OverlappedWriter::WaitWhileAnyBusy() {
    while (std::any_of(slots_.begin(), slots_.end(), [](const Slot& slot) { return slot.busy; })) {
        WaitForOne();
    }
}

}  // namespace tonegen
