// Where the bytes of a tone file go: the real file, or memory in the tests.
#pragma once

#include <cstdint>
#include <span>

namespace tonegen {

class ByteSink {
  public:
    virtual ~ByteSink() = default;
    // Returns false when the bytes could not be stored; the sink keeps the
    // reason, and the caller stops writing.
    [[nodiscard]] virtual bool Append(std::span<const std::uint8_t> bytes) = 0;

  protected:
    ByteSink() = default;
    ByteSink(const ByteSink&) = default;
    ByteSink& operator=(const ByteSink&) = default;
};

}  // namespace tonegen
