// Shared helpers of the tone core tests: scratch directories, reading files
// back, and the sample formula written out independently of the core.
#pragma once

#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "tonegen/failure.h"

namespace tonegen {
// Failed assertions show the kind and the French text.
void PrintTo(const Failure& failure, std::ostream* out);
}  // namespace tonegen

namespace quenbrix_test {

// A fresh directory under the system's temporary directory, removed with its
// content at the end. Its name holds a blank and an accent, like many users'
// folders.
class ScratchDirectory {
  public:
    ScratchDirectory();
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    [[nodiscard]] const std::filesystem::path& path() const { return path_; }
    [[nodiscard]] std::filesystem::path ToneFile() const;
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

    // Names of the entries, sorted; lets a test see leftovers such as
    // staging directories.
    [[nodiscard]] std::vector<std::string> Entries() const;

  private:
    std::filesystem::path path_;
};

// A path as the core's messages spell it: UTF-8 on every system.
std::string PathText(const std::filesystem::path& path);

std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);

std::int32_t ReadInt32LittleEndian(const std::vector<std::uint8_t>& bytes, std::size_t offset);
std::int16_t ReadInt16LittleEndian(const std::vector<std::uint8_t>& bytes, std::size_t offset);

// Sample i of a file, read from offset 44 + 2 i.
std::int16_t SampleAt(const std::vector<std::uint8_t>& bytes, std::size_t index);

// The sine of x rounded to the nearest double by MPFR, which computes it
// exactly enough to round it right: the reference the program's sine must
// equal.
double ReferenceSine(double x);

// The sample formula step by step with ReferenceSine, std::floor and
// std::nearbyint, from the frequencies in hertz.
std::int16_t ExpectedSample(double frequency1, double frequency2, double amplitude,
                            std::int32_t index);

}  // namespace quenbrix_test
