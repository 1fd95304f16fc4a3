// The progress bar, drawn into a pipe instead of a terminal.
#include "progress_bar.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "tone_test_support.h"

namespace quenbrix_cli {
namespace {

using namespace std::chrono_literals;
using quenbrix_test::ScratchDirectory;

// A header announcing dataSize bytes of samples, followed by `written` of them.
std::vector<std::uint8_t> PartialWave(std::uint32_t dataSize, std::size_t written) {
    std::vector<std::uint8_t> bytes(44 + written, 0);
    const char* tags = "RIFF....WAVEfmt ";
    std::copy(tags, tags + 16, bytes.begin());
    bytes[36] = 'd';
    bytes[37] = 'a';
    bytes[38] = 't';
    bytes[39] = 'a';
    for (int i = 0; i < 4; ++i) {
        bytes[40 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(dataSize >> (8 * i));
    }
    return bytes;
}

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
    // Everything written so far.
    std::string Drain() {
        char buffer[4096];
        for (ssize_t n; (n = ::read(fds_[0], buffer, sizeof buffer)) > 0;) {
            text_.append(buffer, static_cast<std::size_t>(n));
        }
        return text_;
    }

  private:
    int fds_[2] = {-1, -1};
    std::string text_;
};

TEST(ProgressBarLine, ShowsPercentOfTheAnnouncedSizeOrMegabytes) {
    EXPECT_EQ(ProgressBar::Line("a.wav", 0, 200), "a.wav [..............................] 0 %");
    EXPECT_EQ(ProgressBar::Line("a.wav", 100, 200), "a.wav [###############...............] 50 %");
    EXPECT_EQ(ProgressBar::Line("a.wav", 199, 200), "a.wav [#############################.] 99 %");
    EXPECT_EQ(ProgressBar::Line("a.wav", 300, 200), "a.wav [##############################] 100 %");
    EXPECT_EQ(ProgressBar::Line("a.wav", 2'500'000, std::nullopt),
              "a.wav [..............................] 2,5 Mo");
}

TEST(ProgressBarRun, LongRunDrawsGrowingLineAndEndsIt) {
    ScratchDirectory scratch;
    const auto file = scratch / "test.wav";
    quenbrix_test::WriteFileBytes(file, PartialWave(1000, 500));
    Pipe pipe;
    {
        ProgressBar bar(pipe.writeEnd(), file, "long.wav", {0ms, 5ms});
        // Poll rather than sleep a fixed time: a loaded machine may be slow.
        const auto deadline = std::chrono::steady_clock::now() + 20s;
        while (pipe.Drain().find("] 52 %") == std::string::npos &&
               std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(5ms);
        }
        bar.Finish(true);
    }
    const std::string drawn = pipe.Drain();
    EXPECT_NE(drawn.find("\rlong.wav [###############...............] 52 %"), std::string::npos)
        << drawn;  // (44 + 500) of 1044 bytes
    const std::string last = "\rlong.wav [##############################] 100 %\n";
    ASSERT_GE(drawn.size(), last.size());
    EXPECT_EQ(drawn.substr(drawn.size() - last.size()), last);
}

TEST(ProgressBarRun, FailedRunKeepsItsLastFigure) {
    ScratchDirectory scratch;
    const auto file = scratch / "test.wav";
    quenbrix_test::WriteFileBytes(file, PartialWave(1000, 0));
    Pipe pipe;
    ProgressBar bar(pipe.writeEnd(), file, "x.wav", {0ms, 5ms});
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (pipe.Drain().empty() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(5ms);
    }
    bar.Finish(false);
    const std::string drawn = pipe.Drain();
    EXPECT_TRUE(drawn.ends_with("] 4 %\n")) << drawn;
    EXPECT_EQ(drawn.find("100 %"), std::string::npos) << drawn;
}

TEST(ProgressBarRun, ShortRunDrawsNothing) {
    ScratchDirectory scratch;
    const auto file = scratch / "test.wav";
    quenbrix_test::WriteFileBytes(file, PartialWave(1000, 1000));
    Pipe pipe;
    {
        ProgressBar bar(pipe.writeEnd(), file, "court.wav", {10s, 5ms});
        bar.Finish(true);
    }
    EXPECT_EQ(pipe.Drain(), "");
}

}  // namespace
}  // namespace quenbrix_cli
