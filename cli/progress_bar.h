// A one-line progress bar for long runs, drawn on a terminal from the tone
// core's progress reports. A run shorter than the delay draws nothing.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>

namespace quenbrix_cli {

class ProgressBar {
  public:
    using Clock = std::chrono::steady_clock;
    struct Timing {
        std::chrono::milliseconds delay{1000};  // no bar for runs shorter than this
        std::chrono::milliseconds period{100};  // between two redraws
    };

    // Draws on the file descriptor fd, or nowhere for -1 (the caller decides
    // that fd is a terminal). The run starts at start.
    ProgressBar(int fd, std::string label, Timing timing, Clock::time_point start);
    ProgressBar(int fd, std::string label)
        : ProgressBar(fd, std::move(label), Timing{}, Clock::now()) {}

    // done samples out of total at the time now.
    void Update(std::int64_t done, std::int64_t total, Clock::time_point now);
    void Update(std::int64_t done, std::int64_t total) { Update(done, total, Clock::now()); }

    // If a bar was drawn, draws it a last time (full when the run succeeded)
    // and ends the line.
    void Finish(bool succeeded);

    // The line for done out of total, without "\r".
    static std::string Line(const std::string& label, std::int64_t done, std::int64_t total);

    // The label of a run that writes target ("-" is standard output): the
    // file's name quoted and cleaned as in the messages, so that no name
    // can drive the terminal, and short enough for one line.
    static std::string Label(const std::filesystem::path& target);

  private:
    void Draw();

    int fd_;
    std::string label_;
    Timing timing_;
    Clock::time_point nextDraw_;
    std::int64_t done_ = 0;
    std::int64_t total_ = 0;
    bool drawn_ = false;
};

}  // namespace quenbrix_cli
