// The progress bar, drawn into a pipe instead of a terminal, on a clock the
// test sets.
#include "progress_bar.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace quenbrix_cli {
namespace {

using namespace std::chrono_literals;

class Pipe {
  public:
    Pipe() {
        if (::pipe2(fds_, O_NONBLOCK) != 0) {
            ADD_FAILURE() << "pipe";
        }
    }
    ~Pipe() {
        ::close(fds_[0]);
        ::close(fds_[1]);
    }
    int writeEnd() const { return fds_[1]; }
    // What was written since the last call.
    std::string Drain() {
        std::string text;
        char buffer[4096];
        for (ssize_t n; (n = ::read(fds_[0], buffer, sizeof buffer)) > 0;) {
            text.append(buffer, static_cast<std::size_t>(n));
        }
        return text;
    }

  private:
    int fds_[2] = {-1, -1};
};

TEST(ProgressBarLine, ShowsThePercentOfTheSamples) {
    EXPECT_EQ(ProgressBar::Line("a.wav", 0, 200), "a.wav [..............................] 0 %");
    EXPECT_EQ(ProgressBar::Line("a.wav", 100, 200), "a.wav [###############...............] 50 %");
    EXPECT_EQ(ProgressBar::Line("a.wav", 199, 200), "a.wav [#############################.] 99 %");
    EXPECT_EQ(ProgressBar::Line("a.wav", 200, 200), "a.wav [##############################] 100 %");
    EXPECT_EQ(ProgressBar::Line("a.wav", 0, 0), "a.wav [..............................] 0 %");
}

// The name is shown as the messages show it: an escape sequence in a file's
// name would otherwise retitle or reprogram the terminal.
TEST(ProgressBarLine, FileNamesCannotDriveTheTerminal) {
    const std::string label = ProgressBar::Label(std::filesystem::path("/tmp") /
                                                 "\x1b]0;titre\x07\xC2\x9B"
                                                 "31m\xFF.wav");
    const std::string line = ProgressBar::Line(label, 1, 2);
    for (const std::string_view driving : {"\x1b", "\x07", "\xC2\x9B", "\xFF"}) {
        EXPECT_EQ(line.find(driving), std::string::npos) << line;
    }
    EXPECT_NE(line.find("]0;titre"), std::string::npos) << line;
    EXPECT_NE(line.find("31m\uFFFD.wav"), std::string::npos) << line;
    EXPECT_EQ(ProgressBar::Label("-"), "sortie standard");
}

TEST(ProgressBarRun, DrawsAfterTheDelayAtMostOncePerPeriodAndEndsTheLine) {
    Pipe pipe;
    const auto start = ProgressBar::Clock::now();
    ProgressBar bar(pipe.writeEnd(), "long.wav", {1000ms, 100ms}, start);
    bar.Update(10, 100, start + 999ms);
    EXPECT_EQ(pipe.Drain(), "");
    bar.Update(20, 100, start + 1000ms);
    EXPECT_EQ(pipe.Drain(), "\rlong.wav [######........................] 20 %");
    bar.Update(30, 100, start + 1050ms);
    EXPECT_EQ(pipe.Drain(), "");
    bar.Update(52, 100, start + 1100ms);
    EXPECT_EQ(pipe.Drain(), "\rlong.wav [###############...............] 52 %");
    bar.Finish(true);
    EXPECT_EQ(pipe.Drain(), "\rlong.wav [##############################] 100 %\n");
}

TEST(ProgressBarRun, FailedRunKeepsItsLastFigureAndShortRunsDrawNothing) {
    Pipe pipe;
    const auto start = ProgressBar::Clock::now();
    ProgressBar failed(pipe.writeEnd(), "x.wav", {0ms, 100ms}, start);
    failed.Update(4, 100, start);
    failed.Update(7, 100, start + 1ms);  // within the period: remembered, not drawn
    ASSERT_EQ(pipe.Drain(), "\rx.wav [#.............................] 4 %");
    failed.Finish(false);
    EXPECT_EQ(pipe.Drain(), "\rx.wav [##............................] 7 %\n");

    ProgressBar brief(pipe.writeEnd(), "court.wav", {1000ms, 100ms}, start);
    brief.Update(100, 100, start + 10ms);
    brief.Finish(true);
    ProgressBar noTerminal(-1, "tube.wav", {0ms, 0ms}, start);
    noTerminal.Update(50, 100, start + 10ms);
    noTerminal.Finish(true);
    EXPECT_EQ(pipe.Drain(), "");
}

}  // namespace
}  // namespace quenbrix_cli
