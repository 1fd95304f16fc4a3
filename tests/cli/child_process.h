// Runs a program as a child process and collects its output and exit status.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

namespace quenbrix_test {

struct ChildResult {
    bool exited = false;  // ended by exit() rather than by a signal
    int exitStatus = -1;
    int signal = 0;
    std::string out;
    std::string err;
};

class ChildProcess {
  public:
    // Starts program with args (args[0] is not the program name). Its
    // standard output is standardOutput when one is given, which the child
    // then holds alone; out stays empty.
    ChildProcess(const std::string& program, const std::vector<std::string>& args,
                 int standardOutput = -1);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    void Signal(int signal) const;
    [[nodiscard]] pid_t pid() const { return pid_; }
    // Reads both streams to their end and reaps the child.
    ChildResult Wait();

    static ChildResult Run(const std::string& program, const std::vector<std::string>& args);

  private:
    pid_t pid_ = -1;
    int outFd_ = -1;
    int errFd_ = -1;
    bool reaped_ = false;
};

}  // namespace quenbrix_test
