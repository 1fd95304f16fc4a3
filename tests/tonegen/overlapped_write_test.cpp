// Overlapped writes leave the same bytes as synchronous ones: after a
// complete run, and after a refused write, with the same message. Real
// refusals (a file-size limit, a full file system) happen in child processes;
// refusals in an order the kernel rarely shows come from a queue of our own.
#include "overlapped_writer.h"

#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <fcntl.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <cstddef>
#include <functional>
#include <numeric>
#include <string>
#include <vector>

#include "sample_kernel.h"
#include "tone_file_with_kernel.h"
#include "tone_file_writer.h"
#include "tone_test_support.h"

namespace {

using quenbrix_test::ReadFileBytes;
using quenbrix_test::ScratchDirectory;
using tonegen::OverlappedWriter;
using tonegen::ToneFileWriter;
using tonegen::WriteQueue;
using WritePath = tonegen::ToneFileWriter::WritePath;
using Bytes = std::vector<std::uint8_t>;

// 20 s: seven overlapped buffers, so that every buffer is reused.
const tonegen::ToneInputs kInputs{"1209", "697", "20", 20000};

struct Outcome {
    bool overlapped = false;
    std::string failure;  // empty on success
    Bytes left;           // the file afterwards, when asked for
};

Outcome RunTo(const std::filesystem::path& file, WritePath writePath) {
    Outcome outcome;
    const tonegen::RunResult result = tonegen::WriteToneWithKernel(
        tonegen::FastestKernel(), kInputs, {}, [&](ToneFileWriter& writer) {
            auto failure = writer.Create(file, writePath);
            outcome.overlapped = writer.IsOverlapped();
            return failure;
        });
    outcome.failure = result ? result->description : "";
    return outcome;
}

#if !defined(_WIN32)
// Runs work in a child process, for limits, filters and mounts that must not
// touch the test program, and returns what it reports.
Outcome InChild(const std::function<Outcome()>& work) {
    int fds[2];
    if (::pipe(fds) != 0) {
        return {false, "pipe failed", {}};
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(fds[0]);
        const Outcome outcome = work();
        std::string report = (outcome.overlapped ? "1" : "0") + outcome.failure + '\0';
        report.append(outcome.left.begin(), outcome.left.end());
        const bool sent =
            ::write(fds[1], report.data(), report.size()) == static_cast<ssize_t>(report.size());
        ::_exit(sent ? 0 : 1);
    }
    ::close(fds[1]);
    std::string report;
    char chunk[65536];
    ssize_t got = 0;
    while ((got = ::read(fds[0], chunk, sizeof chunk)) > 0) {
        report.append(chunk, static_cast<std::size_t>(got));
    }
    ::close(fds[0]);
    int status = 0;
    const std::size_t end = report.find('\0');
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0 || end == std::string::npos) {
        return {false, "the child run failed", {}};
    }
    return {report[0] == '1', report.substr(1, end - 1),
            Bytes(report.begin() + static_cast<std::ptrdiff_t>(end) + 1, report.end())};
}
#endif

class OverlappedWrite : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(RunTo(dir_ / "sync.wav", WritePath::Synchronous).failure, "");
        complete_ = ReadFileBytes(dir_ / "sync.wav");
    }

    ScratchDirectory dir_;
    Bytes complete_;
};

TEST_F(OverlappedWrite, SameBytesAsSynchronousWritesIntoNewAndAdoptedFiles) {
    const Outcome created = RunTo(dir_ / "overlapped.wav", WritePath::Overlapped);
    if (!created.overlapped) {
        GTEST_SKIP() << "no overlapped writes on this system (io_uring refused)";
    }
    EXPECT_EQ(created.failure, "");
    EXPECT_EQ(ReadFileBytes(dir_ / "overlapped.wav"), complete_);

#if !defined(_WIN32)
    // An adopted file standing at its end after someone else's bytes: the
    // samples follow them, and the position ends after the last one.
    const int fd = ::open((dir_ / "adopted.wav").c_str(), O_RDWR | O_CREAT | O_EXCL, 0666);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, "xyz", 3), 3);
    EXPECT_EQ(tonegen::WriteToneWithKernel(tonegen::FastestKernel(), kInputs, {},
                                           [fd](ToneFileWriter& writer) {
                                               writer.Adopt(fd, "adopted.wav");
                                               EXPECT_TRUE(writer.IsOverlapped());
                                               return std::optional<tonegen::Failure>();
                                           }),
              std::nullopt);
    EXPECT_EQ(::lseek(fd, 0, SEEK_CUR), static_cast<off_t>(3 + complete_.size()));
    ::close(fd);
    Bytes expected = {'x', 'y', 'z'};
    expected.insert(expected.end(), complete_.begin(), complete_.end());
    EXPECT_EQ(ReadFileBytes(dir_ / "adopted.wav"), expected);
#endif
}

#if defined(_WIN32)
// Forking, seccomp filters, file-size limits and private mounts are Linux's;
// the Linux build checks refused writes on both paths.
#else

TEST_F(OverlappedWrite, IoUringRefusedByTheKernelFallsBackToSynchronousWrites) {
    const Outcome outcome = InChild([this] {
        // What kernel.io_uring_disabled or a container's filter does.
        sock_filter filter[] = {
            BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
            BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_io_uring_setup, 0, 1),
            BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | (EPERM & SECCOMP_RET_DATA)),
            BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        };
        const sock_fprog program{static_cast<unsigned short>(std::size(filter)), filter};
        if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 ||
            ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) != 0) {
            return Outcome{true, "seccomp refused", {}};
        }
        return RunTo(dir_ / "refused.wav", WritePath::Overlapped);
    });
    EXPECT_FALSE(outcome.overlapped);
    EXPECT_EQ(outcome.failure, "");
    EXPECT_EQ(ReadFileBytes(dir_ / "refused.wav"), complete_);
}

// A file-size limit inside the header, inside a buffer, at the end of the
// fourth overlapped buffer (the next write refused whole) and further on;
// then a full file system of 1 MiB, mounted for the child alone (root only).
TEST_F(OverlappedWrite, RefusedWritesLeaveTheSameBytesAndMessageOnBothPaths) {
    const std::filesystem::path folder = dir_ / "petit";
    std::filesystem::create_directory(folder);
    const auto refuse = [&folder](rlim_t limit) {
        if (limit == 0) {
            return ::unshare(CLONE_NEWNS) == 0 &&
                   ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
                   ::mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=1m") == 0;
        }
        tonegen::IgnoreFileSizeSignal();
        const rlimit fileSize{limit, limit};
        return ::setrlimit(RLIMIT_FSIZE, &fileSize) == 0;
    };
    for (const rlim_t limit : {rlim_t{30}, rlim_t{10'000}, rlim_t{4 * OverlappedWriter::kSlotSize},
                               rlim_t{1'000'003}, rlim_t{0}}) {
        std::vector<Outcome> outcomes;
        for (const WritePath path : {WritePath::Synchronous, WritePath::Overlapped}) {
            outcomes.push_back(InChild([&] {
                if (!refuse(limit)) {
                    return Outcome{false, "set-up refused", {}};
                }
                Outcome outcome = RunTo(folder / "test.wav", path);
                outcome.left = ReadFileBytes(folder / "test.wav");
                std::filesystem::remove(folder / "test.wav");
                return outcome;
            }));
        }
        if (outcomes[0].failure == "set-up refused") {
            GTEST_SKIP() << "cannot mount a small tmpfs here (needs root)";
        }
        if (!outcomes[1].overlapped) {
            GTEST_SKIP() << "no overlapped writes on this system (io_uring refused)";
        }
        EXPECT_NE(outcomes[0].failure.find(limit == 0 ? "le disque est plein" : "taille maximale"),
                  std::string::npos)
            << outcomes[0].failure;
        EXPECT_EQ(outcomes[1].failure, outcomes[0].failure);
        const Bytes& left = outcomes[0].left;
        EXPECT_EQ(outcomes[1].left, left) << limit;
        EXPECT_TRUE(limit == 0 ? left.size() > 44 && left.size() < complete_.size()
                               : left.size() == limit)
            << left.size();
        EXPECT_TRUE(std::equal(left.begin(), left.end(), complete_.begin()));
    }
}

#endif

// A queue that writes into memory, by a rule that says what the system
// accepts of each write, and always finishes the newest write first.
class MemoryQueue final : public WriteQueue {
  public:
    using Rule = std::function<Completion(std::uint64_t offset, std::size_t size)>;
    MemoryQueue(Bytes& file, Rule rule) : file_(file), rule_(std::move(rule)) {}

    void Attach(tonegen::NativeFile /*file*/) override {}
    int Start(std::size_t slot, std::span<const std::uint8_t> bytes,
              std::uint64_t offset) override {
        going_.push_back({slot, bytes, offset});
        return 0;
    }
    Completion Wait() override {
        // The bytes are read only now: a buffer refilled too early shows.
        const Going write = going_.back();
        going_.pop_back();
        Completion done = rule_(write.offset, write.bytes.size());
        done.slot = write.slot;
        if (done.error == 0) {
            const auto at = static_cast<std::size_t>(write.offset);
            file_.resize(std::max(file_.size(), at + done.written));
            std::copy_n(write.bytes.begin(), done.written, file_.begin() + static_cast<long>(at));
        }
        return done;
    }
    std::optional<Completion> Poll() override { return std::nullopt; }
    int Cut(std::uint64_t length) override {
        file_.resize(static_cast<std::size_t>(length));
        return 0;
    }
    void Place(std::uint64_t offset) override { placedAt = offset; }

    std::uint64_t placedAt = 0;

  private:
    struct Going {
        std::size_t slot;
        std::span<const std::uint8_t> bytes;
        std::uint64_t offset;
    };
    Bytes& file_;
    Rule rule_;
    std::vector<Going> going_;
};

TEST(OverlappedWriterOrder, ShortWritesGoOnAndTheFirstRefusalInTheFileCounts) {
    constexpr std::uint64_t kSize = OverlappedWriter::kSlotSize;
    using Completion = WriteQueue::Completion;
    int calls = 0;
    const struct {
        MemoryQueue::Rule rule;
        int error;
        std::uint64_t left;
    } cases[] = {
        // Every third call asks again, the others take at most 1,000 bytes.
        {[&calls](std::uint64_t, std::size_t size) {
             return ++calls % 3 == 0 ? Completion{}
                                     : Completion{0, std::min<std::size_t>(size, 1000)};
         },
         0, 6 * kSize},
        // The second write takes 100 bytes and its rest is refused; the
        // later writes, finished before it, were accepted and are cut away.
        {[](std::uint64_t offset, std::size_t size) {
             return offset == kSize         ? Completion{0, 100}
                    : offset == kSize + 100 ? Completion{0, 0, ENOSPC}
                                            : Completion{0, size};
         },
         ENOSPC, kSize + 100},
        // The third write's EFBIG arrives first, but a sequential writer
        // would have met the second's ENOSPC.
        {[](std::uint64_t offset, std::size_t size) {
             return offset == kSize       ? Completion{0, 0, ENOSPC}
                    : offset == 2 * kSize ? Completion{0, 0, EFBIG}
                                          : Completion{0, size};
         },
         ENOSPC, kSize},
    };
    for (const auto& expected : cases) {
        Bytes file;
        MemoryQueue* queue = nullptr;
        const auto writer = OverlappedWriter::Prepare([&](std::span<std::uint8_t> /*buffers*/) {
            auto opened = std::make_unique<MemoryQueue>(file, expected.rule);
            queue = opened.get();
            return opened;
        });
        writer->Begin(tonegen::NativeFile{}, 0);  // the memory queue needs no file
        int writeError = 0;
        for (std::size_t block = 0; block < 6 && writeError == 0; ++block) {
            const std::span<std::uint8_t> buffer = writer->Buffer();
            std::iota(buffer.begin(), buffer.end(), static_cast<std::uint8_t>(block));
            writeError = writer->Write(buffer.size());
        }
        EXPECT_EQ(writeError, expected.error);
        EXPECT_EQ(writer->Finish(), expected.error);
        EXPECT_EQ(file.size(), expected.left);
        EXPECT_EQ(queue->placedAt, expected.left);
        for (std::size_t at = 0; at < file.size(); ++at) {
            ASSERT_EQ(file[at], static_cast<std::uint8_t>(at / kSize + at % kSize)) << at;
        }
    }
}

}  // namespace
