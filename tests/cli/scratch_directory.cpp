#include "scratch_directory.h"

#include <stdlib.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace quenbrix_test {

ScratchDirectory::ScratchDirectory() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "quenbrix-cli-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp");
    }
    path_ = pattern;
}

ScratchDirectory::~ScratchDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::vector<std::string> ScratchDirectory::Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::filesystem::path& file, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

std::int32_t Int32At(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
    const std::uint32_t value = bytes.at(offset) | (std::uint32_t{bytes.at(offset + 1)} << 8) |
                                (std::uint32_t{bytes.at(offset + 2)} << 16) |
                                (std::uint32_t{bytes.at(offset + 3)} << 24);
    return static_cast<std::int32_t>(value);
}

std::int16_t SampleAt(const std::vector<std::uint8_t>& bytes, std::size_t index) {
    const std::size_t offset = 44 + 2 * index;
    const auto value =
        static_cast<std::uint16_t>(bytes.at(offset) | (unsigned{bytes.at(offset + 1)} << 8));
    return static_cast<std::int16_t>(value);
}

}  // namespace quenbrix_test
