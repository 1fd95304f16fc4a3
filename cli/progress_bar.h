// A one-line progress bar for long runs, drawn on a terminal.
//
// The tone core reports nothing while it writes, so the bar watches the file
// grow: the header's data size gives the full length, the file size the part
// written. A short run ends before the delay and draws nothing at all.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace quenbrix_cli {

class ProgressBar {
  public:
    struct Timing {
        std::chrono::milliseconds delay{1000};  // no bar for runs shorter than this
        std::chrono::milliseconds period{100};  // between two redraws
    };

    // Draws on the file descriptor fd (the caller decides that it is a terminal).
    ProgressBar(int fd, std::filesystem::path watched, std::string label, Timing timing);
    ProgressBar(int fd, std::filesystem::path watched, std::string label)
        : ProgressBar(fd, std::move(watched), std::move(label), Timing{}) {}
    ~ProgressBar();
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    // Stops watching. If a bar was drawn, draws it a last time (full when the
    // run succeeded) and ends the line. Called by the destructor if needed.
    void Finish(bool succeeded);

    // The line for written bytes out of total (total unknown: empty), without "\r".
    static std::string Line(const std::string& label, std::uintmax_t written,
                            std::optional<std::uintmax_t> total);

  private:
    void Watch();
    void Draw(bool full);
    std::optional<std::uintmax_t> ReadTotal() const;

    int fd_;
    std::filesystem::path watched_;
    std::string label_;
    Timing timing_;
    std::optional<std::uintmax_t> total_;  // the watcher thread's, then Finish's
    bool drawn_ = false;                   // likewise
    std::mutex mutex_;
    std::condition_variable wake_;
    bool finishing_ = false;
    bool finished_ = false;
    std::thread watcher_;
};

}  // namespace quenbrix_cli
