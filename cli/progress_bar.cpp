#include "progress_bar.h"

#include <unistd.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <system_error>

namespace quenbrix_cli {

namespace {

constexpr std::size_t kBarWidth = 30;
constexpr std::uintmax_t kHeaderSize = 44;

void WriteAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n <= 0) {
            return;  // a closed terminal must not stop the run
        }
        done += static_cast<std::size_t>(n);
    }
}

std::string Megabytes(std::uintmax_t bytes) {
    std::array<char, 32> text{};
    (void)std::snprintf(text.data(), text.size(), "%.1f Mo", static_cast<double>(bytes) / 1e6);
    std::string result(text.data());
    // French decimal comma, without touching the process locale.
    if (const auto dot = result.find('.'); dot != std::string::npos) {
        result[dot] = ',';
    }
    return result;
}

}  // namespace

ProgressBar::ProgressBar(int fd, std::filesystem::path watched, std::string label, Timing timing)
    : fd_(fd), watched_(std::move(watched)), label_(std::move(label)), timing_(timing) {
    watcher_ = std::thread([this] { Watch(); });
}

ProgressBar::~ProgressBar() {
    Finish(false);
}

void ProgressBar::Finish(bool succeeded) {
    {
        std::lock_guard lock(mutex_);
        if (finished_) {
            return;
        }
        finished_ = true;
        finishing_ = true;
    }
    wake_.notify_all();
    watcher_.join();
    if (drawn_) {
        Draw(succeeded);
        WriteAll(fd_, "\n");
    }
}

std::string ProgressBar::Line(const std::string& label, std::uintmax_t written,
                              std::optional<std::uintmax_t> total) {
    std::string line = label + " [";
    if (total && *total > 0) {
        const std::uintmax_t shown = written < *total ? written : *total;
        const auto filled = static_cast<std::size_t>(shown * kBarWidth / *total);
        line.append(filled, '#');
        line.append(kBarWidth - filled, '.');
        line += "] " + std::to_string(shown * 100 / *total) + " %";
    } else {
        line.append(kBarWidth, '.');
        line += "] " + Megabytes(written);
    }
    return line;
}

void ProgressBar::Watch() {
    std::unique_lock lock(mutex_);
    if (wake_.wait_for(lock, timing_.delay, [this] { return finishing_; })) {
        return;
    }
    for (;;) {
        lock.unlock();
        Draw(false);
        lock.lock();
        if (wake_.wait_for(lock, timing_.period, [this] { return finishing_; })) {
            return;
        }
    }
}

std::optional<std::uintmax_t> ProgressBar::ReadTotal() const {
    std::ifstream file(watched_, std::ios::binary);
    std::array<unsigned char, kHeaderSize> header{};
    if (!file.read(reinterpret_cast<char*>(header.data()), header.size())) {
        return std::nullopt;
    }
    if (header[36] != 'd' || header[37] != 'a' || header[38] != 't' || header[39] != 'a') {
        return std::nullopt;
    }
    const std::uintmax_t dataSize = header[40] | (std::uintmax_t{header[41]} << 8) |
                                    (std::uintmax_t{header[42]} << 16) |
                                    (std::uintmax_t{header[43]} << 24);
    return kHeaderSize + dataSize;
}

void ProgressBar::Draw(bool full) {
    std::error_code error;
    std::uintmax_t written = std::filesystem::file_size(watched_, error);
    if (error) {
        written = 0;
    }
    if (!total_ && written >= kHeaderSize) {
        total_ = ReadTotal();
    }
    if (full && total_) {
        written = *total_;
    }
    WriteAll(fd_, "\r" + Line(label_, written, total_));
    drawn_ = true;
}

}  // namespace quenbrix_cli
