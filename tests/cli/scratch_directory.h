// A private directory for one test, removed with everything in it afterwards.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace quenbrix_test {

class ScratchDirectory {
  public:
    ScratchDirectory();
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

    // Names of the entries, sorted; lets a test see leftovers such as staging directories.
    std::vector<std::string> Entries() const;

  private:
    std::filesystem::path path_;
};

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& file);
void WriteBytes(const std::filesystem::path& file, const std::vector<std::uint8_t>& bytes);
std::int32_t Int32At(const std::vector<std::uint8_t>& bytes, std::size_t offset);
std::int16_t SampleAt(const std::vector<std::uint8_t>& bytes, std::size_t index);

}  // namespace quenbrix_test
