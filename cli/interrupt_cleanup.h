// Removes the private staging directory when the user interrupts a run.
//
// A run of the tone core cannot be stopped once started, so a handler that only
// sets a flag would leave the half-written staging directory behind. Instead the
// termination signals are blocked in every thread and one waiting thread takes
// them: it removes the tracked directory and then lets the signal end the
// process as it would have without us, so the shell still sees the signal.
#pragma once

#include <signal.h>

#include <filesystem>
#include <functional>
#include <mutex>
#include <thread>

namespace quenbrix_cli {

class InterruptCleanup {
  public:
    // Must be created before any other thread, so that every thread inherits
    // the blocked signals.
    InterruptCleanup();
    ~InterruptCleanup();
    InterruptCleanup(const InterruptCleanup&) = delete;
    InterruptCleanup& operator=(const InterruptCleanup&) = delete;

    // Runs step while no cleanup can happen and makes the directory it returns
    // the one to remove on a signal (an empty path: none). Creating or renaming
    // inside step is therefore never torn apart by an interruption.
    void Track(const std::function<std::filesystem::path()>& step);

  private:
    void WaitForSignals();

    sigset_t signals_{};
    sigset_t previousMask_{};
    std::mutex mutex_;
    std::filesystem::path tracked_;
    bool stopping_ = false;
    std::thread waiter_;
};

}  // namespace quenbrix_cli
