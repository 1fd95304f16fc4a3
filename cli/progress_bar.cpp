#include "progress_bar.h"

#include <unistd.h>

#include <algorithm>

#include "tonegen/message_text.h"

namespace quenbrix_cli {

namespace {

constexpr std::int64_t kBarWidth = 30;

void WriteAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        // A line is short; the count fits every system's write.
        const auto count = static_cast<unsigned>(std::min<std::size_t>(text.size() - done, 4096));
        const auto n = ::write(fd, text.data() + done, count);
        if (n <= 0) {
            return;  // a closed terminal must not stop the run
        }
        done += static_cast<std::size_t>(n);
    }
}

}  // namespace

ProgressBar::ProgressBar(int fd, std::string label, Timing timing, Clock::time_point start)
    : fd_(fd), label_(std::move(label)), timing_(timing), nextDraw_(start + timing.delay) {}

void ProgressBar::Update(std::int64_t done, std::int64_t total, Clock::time_point now) {
    done_ = done;
    total_ = total;
    if (fd_ < 0 || now < nextDraw_) {
        return;
    }
    nextDraw_ = now + timing_.period;
    Draw();
}

void ProgressBar::Finish(bool succeeded) {
    if (!drawn_) {
        return;
    }
    if (succeeded) {
        done_ = total_;
    }
    Draw();
    WriteAll(fd_, "\n");
    drawn_ = false;
}

std::string ProgressBar::Line(const std::string& label, std::int64_t done, std::int64_t total) {
    const std::int64_t shown = total > 0 ? std::clamp<std::int64_t>(done, 0, total) : 0;
    const std::int64_t filled = total > 0 ? shown * kBarWidth / total : 0;
    const std::int64_t percent = total > 0 ? shown * 100 / total : 0;
    return label + " [" + std::string(static_cast<std::size_t>(filled), '#') +
           std::string(static_cast<std::size_t>(kBarWidth - filled), '.') + "] " +
           std::to_string(percent) + " %";
}

std::string ProgressBar::Label(const std::filesystem::path& target) {
    if (target == "-") {
        return "sortie standard";
    }
    const std::u8string name = target.filename().u8string();
    return tonegen::QuoteInput({reinterpret_cast<const char*>(name.data()), name.size()});
}

void ProgressBar::Draw() {
    // Appended rather than "\r" + Line(...), which GCC 12 at -O3 wrongly
    // warns may overlap (-Wrestrict).
    std::string line = "\r";
    line += Line(label_, done_, total_);
    WriteAll(fd_, line);
    drawn_ = true;
}

}  // namespace quenbrix_cli
