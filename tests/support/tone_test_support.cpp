#include "tone_test_support.h"

#if defined(_WIN32)
#include "correct_sine.h"
#else
#include <mpfr.h>
#endif

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace tonegen {
void PrintTo(const Failure& failure, std::ostream* out) {
    *out << KindName(failure.kind) << ": " << failure.description;
}
}  // namespace tonegen

namespace quenbrix_test {

ScratchDirectory::ScratchDirectory() {
    // create_directory makes a new directory or reports the name taken, on
    // every system.
    std::random_device random;
    const std::filesystem::path folder = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::filesystem::path name(u8"quenbrix essai é-");
        name += std::to_string(random());
        if (std::filesystem::create_directory(folder / name)) {
            path_ = folder / name;
            return;
        }
    }
    throw std::runtime_error("no new scratch directory in " + folder.string());
}

ScratchDirectory::~ScratchDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::filesystem::path ScratchDirectory::ToneFile() const {
    return path_ / "test.wav";
}

std::vector<std::string> ScratchDirectory::Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string PathText(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
}

void WriteFileBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot open " + path.string());
    }
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::int32_t ReadInt32LittleEndian(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
    const std::uint32_t value = static_cast<std::uint32_t>(bytes.at(offset)) |
                                static_cast<std::uint32_t>(bytes.at(offset + 1)) << 8U |
                                static_cast<std::uint32_t>(bytes.at(offset + 2)) << 16U |
                                static_cast<std::uint32_t>(bytes.at(offset + 3)) << 24U;
    return static_cast<std::int32_t>(value);
}

std::int16_t ReadInt16LittleEndian(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
    const auto value = static_cast<std::uint16_t>(bytes.at(offset) | bytes.at(offset + 1) << 8U);
    return static_cast<std::int16_t>(value);
}

std::int16_t SampleAt(const std::vector<std::uint8_t>& bytes, std::size_t index) {
    return ReadInt16LittleEndian(bytes, 44 + 2 * index);
}

double ReferenceSine(double x) {
#if defined(_WIN32)
    return tonegen::CorrectlyRoundedSine(x);  // see CMakeLists.txt
#else
    // One pair of numbers per thread, kept: setting up MPFR numbers costs
    // more than a 53-bit sine.
    struct Numbers {
        mpfr_t in;
        mpfr_t out;
        Numbers() {
            mpfr_init2(in, 53);
            mpfr_init2(out, 53);
        }
        ~Numbers() {
            mpfr_clear(in);
            mpfr_clear(out);
        }
        Numbers(const Numbers&) = delete;
        Numbers& operator=(const Numbers&) = delete;
    };
    thread_local Numbers numbers;
    mpfr_set_d(numbers.in, x, MPFR_RNDN);  // exact: 53 bits hold any double
    mpfr_sin(numbers.out, numbers.in, MPFR_RNDN);
    return mpfr_get_d(numbers.out, MPFR_RNDN);
#endif
}

std::int16_t ExpectedSample(double frequency1, double frequency2, double amplitude,
                            std::int32_t index) {
    const double w1 = frequency1 / 44100.0;
    const double w2 = frequency2 / 44100.0;
    const double x2 = (w2 * 6.28) * static_cast<double>(index);
    const double x1 = (w1 * 6.28) * static_cast<double>(index);
    const double s = ReferenceSine(x1) + ReferenceSine(x2);
    const double k = std::floor(amplitude * s);
    return static_cast<std::int16_t>(std::nearbyint(k / 2.0));
}

}  // namespace quenbrix_test
