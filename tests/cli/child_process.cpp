#include "child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <stdexcept>

namespace quenbrix_test {

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args,
                           int standardOutput) {
    int outPipe[2];
    int errPipe[2];
    if (::pipe2(outPipe, O_CLOEXEC) != 0 || ::pipe2(errPipe, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe");
    }
    std::vector<std::string> storage;
    storage.push_back(program);
    storage.insert(storage.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : storage) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);

    pid_ = ::fork();
    if (pid_ < 0) {
        throw std::runtime_error("fork");
    }
    if (pid_ == 0) {
        // The test runner may block signals in its own threads; the child
        // must start with an ordinary mask.
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        // Likewise a runner started in the background ignores SIGINT and
        // SIGQUIT; the child is run as if typed at a terminal.
        for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE}) {
            (void)::signal(signal, SIG_DFL);
        }
        const int devNull = ::open("/dev/null", O_RDONLY);
        ::dup2(devNull, STDIN_FILENO);
        ::dup2(standardOutput >= 0 ? standardOutput : outPipe[1], STDOUT_FILENO);
        ::dup2(errPipe[1], STDERR_FILENO);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(outPipe[1]);
    ::close(errPipe[1]);
    if (standardOutput >= 0) {
        ::close(standardOutput);
    }
    outFd_ = outPipe[0];
    errFd_ = errPipe[0];
}

ChildProcess::~ChildProcess() {
    if (!reaped_ && pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    if (outFd_ >= 0) {
        ::close(outFd_);
    }
    if (errFd_ >= 0) {
        ::close(errFd_);
    }
}

void ChildProcess::Signal(int signal) const {
    ::kill(pid_, signal);
}

ChildResult ChildProcess::Wait() {
    ChildResult result;
    std::array<pollfd, 2> fds{{{outFd_, POLLIN, 0}, {errFd_, POLLIN, 0}}};
    std::array<std::string*, 2> sinks{&result.out, &result.err};
    int open = 2;
    while (open > 0) {
        if (::poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        for (std::size_t i = 0; i < fds.size(); ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) {
                continue;
            }
            std::array<char, 4096> buffer{};
            const ssize_t n = ::read(fds[i].fd, buffer.data(), buffer.size());
            if (n > 0) {
                sinks[i]->append(buffer.data(), static_cast<std::size_t>(n));
            } else {
                fds[i].fd = -1;
                --open;
            }
        }
    }
    int status = 0;
    ::waitpid(pid_, &status, 0);
    reaped_ = true;
    if (WIFEXITED(status)) {
        result.exited = true;
        result.exitStatus = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        result.signal = WTERMSIG(status);
    }
    return result;
}

ChildResult ChildProcess::Run(const std::string& program, const std::vector<std::string>& args) {
    ChildProcess child(program, args);
    return child.Wait();
}

}  // namespace quenbrix_test
