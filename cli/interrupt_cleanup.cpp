#include "interrupt_cleanup.h"

#include <pthread.h>

#include <system_error>

namespace quenbrix_cli {

namespace {

// SIGUSR1 only wakes the waiter when the object goes away; it never ends the
// program, so it needs no cleanup of its own.
constexpr int kWakeSignal = SIGUSR1;
constexpr int kTerminationSignals[] = {SIGINT, SIGTERM, SIGHUP};

}  // namespace

InterruptCleanup::InterruptCleanup() {
    sigemptyset(&signals_);
    for (const int signal : kTerminationSignals) {
        // A signal the caller ignores (nohup, a background job) stays ignored.
        struct sigaction current {};
        if (sigaction(signal, nullptr, &current) == 0 && current.sa_handler != SIG_IGN) {
            sigaddset(&signals_, signal);
        }
    }
    sigaddset(&signals_, kWakeSignal);
    pthread_sigmask(SIG_BLOCK, &signals_, &previousMask_);
    waiter_ = std::thread([this] { WaitForSignals(); });
}

InterruptCleanup::~InterruptCleanup() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    pthread_kill(waiter_.native_handle(), kWakeSignal);
    waiter_.join();
    // A termination signal that came after the waiter left is still pending;
    // restoring the mask delivers it with its ordinary effect.
    pthread_sigmask(SIG_SETMASK, &previousMask_, nullptr);
}

void InterruptCleanup::Track(const std::function<std::filesystem::path()>& step) {
    std::lock_guard lock(mutex_);
    tracked_ = step();
}

void InterruptCleanup::WaitForSignals() {
    for (;;) {
        int signal = 0;
        if (sigwait(&signals_, &signal) != 0) {
            continue;
        }
        std::unique_lock lock(mutex_);
        if (signal == kWakeSignal) {
            if (stopping_) {
                return;
            }
            continue;
        }
        if (!tracked_.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(tracked_, ignored);
        }
        // The lock is still held while the signal ends the process, so the main
        // thread cannot move the file out of the directory just removed.
        struct sigaction defaultAction {};
        defaultAction.sa_handler = SIG_DFL;
        sigemptyset(&defaultAction.sa_mask);
        sigaction(signal, &defaultAction, nullptr);
        sigset_t only;
        sigemptyset(&only);
        sigaddset(&only, signal);
        pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
        pthread_kill(pthread_self(), signal);
        // Not reached: the default action of these signals ends the process.
    }
}

}  // namespace quenbrix_cli
