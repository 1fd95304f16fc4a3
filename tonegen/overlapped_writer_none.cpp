// Systems without overlapped writes, or a Linux build without liburing:
// every write is synchronous.
#include "overlapped_writer.h"

namespace tonegen {

std::unique_ptr<WriteQueue> OpenWriteQueue(std::span<std::uint8_t> /*buffers*/) {
    return nullptr;
}

}  // namespace tonegen
