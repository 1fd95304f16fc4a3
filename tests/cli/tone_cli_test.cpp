// quenbrix-tone --f1 --f2 --seconds -o, run as a child process like a script
// would run it: the bytes, every kind of target, limits, signals and the exit
// statuses.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <pwd.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <fstream>
#include <system_error>
#include <thread>

#include "child_process.h"
#include "output_target.h"
#include "tone_test_support.h"
#include "tonegen/message_text.h"
#include "tonegen/tone_file.h"

namespace {

using namespace std::chrono_literals;
using quenbrix_test::ChildProcess;
using quenbrix_test::ChildResult;
using quenbrix_test::ReadFileBytes;
using quenbrix_test::ScratchDirectory;
namespace fs = std::filesystem;

const std::string kTone = QUENBRIX_TONE_BINARY;
const std::string kHelpHint = "Saisissez « quenbrix-tone --help » pour plus d'informations.\n";

std::vector<std::string> ToneArgs(const std::string& output, std::string seconds = "1") {
    return {"--f1", "1209", "--f2", "697", "--seconds", std::move(seconds), "-o", output};
}

// What the window's "Créer" writes for these inputs, made by the core directly.
std::vector<std::uint8_t> CoreBytes(std::string_view f1, std::string_view f2,
                                    std::string_view seconds, std::int16_t amplitude) {
    const ScratchDirectory dir;
    const auto failure = tonegen::CreateToneFile(
        dir.path(), {std::string(f1), std::string(f2), std::string(seconds), amplitude});
    EXPECT_FALSE(failure.has_value()) << failure->description;
    return ReadFileBytes(dir.ToneFile());
}

std::vector<std::string> Entries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

const std::vector<std::uint8_t> kGoodOldFile = {'b', 'o', 'n', ' ', 'v', 'i', 'e', 'u', 'x'};

// Another user (nobody), for root's tests of other users' files.
constexpr uid_t kOtherUser = 65534;

ChildResult RunToneAsOtherUser(const std::vector<std::string>& toneArgs) {
    std::vector<std::string> args = {"--reuid=" + std::to_string(kOtherUser),
                                     "--regid=" + std::to_string(kOtherUser), "--clear-groups",
                                     kTone};
    args.insert(args.end(), toneArgs.begin(), toneArgs.end());
    return ChildProcess::Run("/usr/bin/setpriv", args);
}

struct stat StatusOf(const fs::path& path) {
    struct stat status {};
    EXPECT_EQ(::lstat(path.c_str(), &status), 0) << path;
    return status;
}

// Everything that was read from a file descriptor until its end, on a thread.
class Reader {
  public:
    explicit Reader(std::function<int()> open)
        : thread_([this, open = std::move(open)] {
              const int fd = open();
              char buffer[65536];
              for (ssize_t n; fd >= 0 && (n = ::read(fd, buffer, sizeof buffer)) > 0;) {
                  bytes_.insert(bytes_.end(), buffer, buffer + n);
              }
              ::close(fd);
          }) {}
    std::vector<std::uint8_t> Bytes() {
        thread_.join();
        return bytes_;
    }

  private:
    std::vector<std::uint8_t> bytes_;
    std::thread thread_;
};

TEST(ToneCliBytes, FileAndStandardOutputEqualTheCore) {
    ScratchDirectory scratch;
    const ChildResult run = ChildProcess::Run(kTone, ToneArgs(scratch / "sortie.wav"));
    ASSERT_TRUE(run.exited);
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "");  // stderr is a pipe here: no progress bar
    const auto expected = CoreBytes("1209", "697", "1", 20000);  // the scroll bar's 20000
    EXPECT_EQ(ReadFileBytes(scratch / "sortie.wav"), expected);
    EXPECT_EQ(scratch.Entries(), std::vector<std::string>{"sortie.wav"});

    const ChildResult out = ChildProcess::Run(kTone, ToneArgs("-"));
    EXPECT_EQ(out.exitStatus, 0) << out.err;
    EXPECT_EQ(std::vector<std::uint8_t>(out.out.begin(), out.out.end()), expected);

    const ChildResult gnu = ChildProcess::Run(
        kTone, {"--f1=440", "--f2", "", "--sec=2", "--amp=32767", "--out", scratch / "b.wav"});
    EXPECT_EQ(gnu.exitStatus, 0) << gnu.err;
    EXPECT_EQ(ReadFileBytes(scratch / "b.wav"), CoreBytes("440", "", "2", 32767));
}

// A pipe, a socket and a device are written into and stay what they are.
TEST(ToneCliTargets, PipesAndSocketsAreWrittenIntoNeverReplaced) {
    ScratchDirectory scratch;
    const fs::path fifo = scratch / "tube";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    Reader fromFifo([&fifo] { return ::open(fifo.c_str(), O_RDONLY); });
    const ChildResult toFifo = ChildProcess::Run(kTone, ToneArgs(fifo));
    EXPECT_EQ(toFifo.exitStatus, 0) << toFifo.err;
    EXPECT_EQ(fromFifo.Bytes(), CoreBytes("1209", "697", "1", 20000));
    EXPECT_TRUE(fs::is_fifo(fifo));

    const fs::path socketPath = scratch / "prise";
    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socketPath.c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener, 1), 0);
    Reader fromSocket([listener] { return ::accept(listener, nullptr, nullptr); });
    const ChildResult toSocket = ChildProcess::Run(kTone, ToneArgs(socketPath));
    EXPECT_EQ(toSocket.exitStatus, 0) << toSocket.err;
    EXPECT_EQ(fromSocket.Bytes(), CoreBytes("1209", "697", "1", 20000));
    EXPECT_TRUE(fs::is_socket(socketPath));
    ::close(listener);
}

TEST(ToneCliTargets, DeviceNodesAreWrittenIntoNeverReplaced) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "making device nodes with mknod needs root";
    }
    ScratchDirectory scratch;
    const fs::path null = scratch / "nul";
    const fs::path full = scratch / "plein";
    ASSERT_EQ(::mknod(null.c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
    ASSERT_EQ(::mknod(full.c_str(), S_IFCHR | 0666, makedev(1, 7)), 0);
    const ChildResult toNull = ChildProcess::Run(kTone, ToneArgs(null));
    EXPECT_EQ(toNull.exitStatus, 0) << toNull.err;
    EXPECT_TRUE(fs::is_character_file(null));
    // A device that refuses the bytes gives the write failure.
    const ChildResult toFull = ChildProcess::Run(kTone, ToneArgs(full));
    EXPECT_EQ(toFull.exitStatus, 1);
    EXPECT_NE(toFull.err.find("Impossible d'écrire le fichier «\u00A0" + full.string() +
                              "\u00A0» : le disque est plein."),
              std::string::npos)
        << toFull.err;
    EXPECT_TRUE(fs::is_character_file(full));
}

// A folder under base whose path, with "/" and a file name of nameLength
// characters, is length characters long.
fs::path DeepFolder(const fs::path& base, std::size_t length, std::size_t nameLength) {
    fs::path folder = base;
    std::size_t left = length - nameLength - 1 - base.native().size();
    while (left > 250) {
        folder /= std::string(200, 'd');
        left -= 201;
    }
    return folder / std::string(left - 1, 'e');
}

// Up to the system's limit a path works, however short the file's name and
// with or without unnamed files; a longer one is refused before the tone
// core runs.
TEST(ToneCliTargets, PathsUpToTheSystemsLimitWorkAndLongerOnesAreRefusedAtOnce) {
    ScratchDirectory scratch;
    const fs::path folder = DeepFolder(scratch.path(), PATH_MAX - 1, 5);
    fs::create_directories(folder);
    const fs::path longest = folder / "a.wav";
    ASSERT_EQ(longest.native().size(), std::size_t{PATH_MAX - 1});
    const auto expected = CoreBytes("1209", "697", "1", 20000);

    const ChildResult run = ChildProcess::Run(kTone, ToneArgs(longest));
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(ReadFileBytes(longest), expected);
    quenbrix_test::WriteFileBytes(longest, kGoodOldFile);
    {
        auto opened = quenbrix_cli::OutputTarget::Open(longest, {.unnamedFile = false});
        const auto* target = std::get_if<std::unique_ptr<quenbrix_cli::OutputTarget>>(&opened);
        ASSERT_NE(target, nullptr) << std::get<tonegen::Failure>(opened).description;
        ASSERT_EQ(tonegen::WriteToneFile((*target)->Output(), longest, {"1209", "697", "1", 20000}),
                  std::nullopt);
        ASSERT_EQ((*target)->Commit(), std::nullopt);
    }
    EXPECT_EQ(ReadFileBytes(longest), expected);
    EXPECT_EQ(Entries(folder), std::vector<std::string>{"a.wav"});

    auto refused = quenbrix_cli::OutputTarget::Open(folder / "ab.wav");
    ASSERT_TRUE(std::holds_alternative<tonegen::Failure>(refused));
    EXPECT_NE(std::get<tonegen::Failure>(refused).description.find("le chemin est trop long"),
              std::string::npos)
        << std::get<tonegen::Failure>(refused).description;
    EXPECT_EQ(Entries(folder), std::vector<std::string>{"a.wav"});
}

TEST(ToneCliReplace, OldFileIsReplacedWithItsPermissionsAndLinksAreFollowed) {
    ScratchDirectory scratch;
    const fs::path out = scratch / "a.wav";
    quenbrix_test::WriteFileBytes(out, std::vector<std::uint8_t>(300000, 0x55));
    const auto kept = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions(out, kept);
    const ChildResult run = ChildProcess::Run(kTone, ToneArgs(out));
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(ReadFileBytes(out), CoreBytes("1209", "697", "1", 20000));
    EXPECT_EQ(fs::status(out).permissions(), kept);

    // The link stays and its target gets the new file, a missing target too.
    fs::create_directories(scratch / "vrai");
    quenbrix_test::WriteFileBytes(scratch / "vrai" / "t.wav", kGoodOldFile);
    fs::create_symlink("vrai/t.wav", scratch / "lien.wav");
    fs::create_symlink("vrai/nouveau.wav", scratch / "pendant.wav");
    for (const char* link : {"lien.wav", "pendant.wav"}) {
        const ChildResult throughLink = ChildProcess::Run(kTone, ToneArgs(scratch / link));
        EXPECT_EQ(throughLink.exitStatus, 0) << throughLink.err;
        EXPECT_TRUE(fs::is_symlink(scratch / link));
    }
    EXPECT_EQ(ReadFileBytes(scratch / "vrai" / "t.wav"), ReadFileBytes(out));
    EXPECT_EQ(ReadFileBytes(scratch / "vrai" / "nouveau.wav"), ReadFileBytes(out));
    EXPECT_EQ(scratch.Entries(),
              (std::vector<std::string>{"a.wav", "lien.wav", "pendant.wav", "vrai"}));
    EXPECT_EQ(Entries(scratch / "vrai"), (std::vector<std::string>{"nouveau.wav", "t.wav"}));
}

// As a shell redirection: a file the user may not write is refused, even
// though replacing it would only need the folder.
TEST(ToneCliReplace, FileTheUserMayNotWriteIsRefused) {
    ScratchDirectory scratch;
    const fs::path out = scratch / "protégé.wav";
    quenbrix_test::WriteFileBytes(out, kGoodOldFile);
    ChildResult run;
    if (::geteuid() == 0) {
        // Another user's file, in a folder everyone may write.
        fs::permissions(scratch.path(), fs::perms::all);
        run = RunToneAsOtherUser(ToneArgs(out));
    } else {
        fs::permissions(out, fs::perms::owner_read);
        run = ChildProcess::Run(kTone, ToneArgs(out));
    }
    EXPECT_EQ(run.exitStatus, 1) << run.err;
    EXPECT_NE(
        run.err.find("Impossible d'écrire «\u00A0" + out.string() + "\u00A0» : l'accès est refusé"),
        std::string::npos)
        << run.err;
    EXPECT_EQ(ReadFileBytes(out), kGoodOldFile);
    EXPECT_EQ(scratch.Entries(), std::vector<std::string>{"protégé.wav"});
}

// A file the user may write where no new file can take its place is written
// in place, as a shell redirection writes it: it keeps its owner and its
// other names, and nothing is made beside it.
TEST(ToneCliInPlace, FileInAFolderTheUserMayNotWriteIsWrittenInPlace) {
    ScratchDirectory scratch;
    const fs::path folder = scratch / "protégé";
    fs::create_directories(folder);
    const fs::path out = folder / "a.wav";
    quenbrix_test::WriteFileBytes(out, kGoodOldFile);
    fs::create_hard_link(out, scratch / "autre-nom.wav");
    const auto everyoneWrites = fs::perms::owner_read | fs::perms::owner_write |
                                fs::perms::group_read | fs::perms::group_write |
                                fs::perms::others_read | fs::perms::others_write;
    fs::permissions(out, everyoneWrites);
    const auto readAndSearch = fs::perms::all & ~(fs::perms::owner_write | fs::perms::group_write |
                                                  fs::perms::others_write);
    fs::permissions(scratch.path(), fs::perms::all & ~fs::perms::others_write);
    fs::permissions(folder, readAndSearch);
    const struct stat before = StatusOf(out);
    // Root writes any folder: the other user stands for the user here.
    const ChildResult run = ::geteuid() == 0 ? RunToneAsOtherUser(ToneArgs(out))
                                             : ChildProcess::Run(kTone, ToneArgs(out));
    fs::permissions(folder, fs::perms::all);
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const auto expected = CoreBytes("1209", "697", "1", 20000);
    EXPECT_EQ(ReadFileBytes(out), expected);
    EXPECT_EQ(ReadFileBytes(scratch / "autre-nom.wav"), expected);
    EXPECT_EQ(StatusOf(out).st_ino, before.st_ino);
    EXPECT_EQ(StatusOf(out).st_uid, before.st_uid);
    EXPECT_EQ(Entries(folder), std::vector<std::string>{"a.wav"});
}

// Root only: a rename cannot put a new file over another user's file in a
// folder with the sticky bit, nor over a file mounted on its own.
TEST(ToneCliInPlace, StickyFolderAndMountedFileAreWrittenInPlace) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "other users' files and bind mounts need root";
    }
    ScratchDirectory scratch;
    fs::permissions(scratch.path(), fs::perms::all | fs::perms::sticky_bit);
    const fs::path shared = scratch / "partagé.wav";
    quenbrix_test::WriteFileBytes(shared, kGoodOldFile);
    fs::permissions(shared, fs::perms::all & ~(fs::perms::owner_exec | fs::perms::group_exec |
                                               fs::perms::others_exec));
    const ChildResult sticky = RunToneAsOtherUser(ToneArgs(shared));
    EXPECT_EQ(sticky.exitStatus, 0) << sticky.err;
    const auto expected = CoreBytes("1209", "697", "1", 20000);
    EXPECT_EQ(ReadFileBytes(shared), expected);
    EXPECT_EQ(StatusOf(shared).st_uid, 0U);

    // The mounted file gets the tone; the file under the mount point is left.
    const fs::path source = scratch / "source.wav";
    const fs::path mounted = scratch / "monté.wav";
    quenbrix_test::WriteFileBytes(source, kGoodOldFile);
    quenbrix_test::WriteFileBytes(mounted, kGoodOldFile);
    std::vector<std::string> args = {
        "--mount", "/bin/sh",
        "-c",      "mount --bind \"$1\" \"$2\" || exit 99; shift 2; exec \"$@\"",
        "sh",      source,
        mounted,   kTone};
    const auto tone = ToneArgs(mounted);
    args.insert(args.end(), tone.begin(), tone.end());
    const ChildResult bound = ChildProcess::Run("/usr/bin/unshare", args);
    if (bound.exitStatus == 99 || bound.err.starts_with("unshare:")) {
        GTEST_SKIP() << "no bind mount here: " << bound.err;
    }
    EXPECT_EQ(bound.exitStatus, 0) << bound.err;
    EXPECT_EQ(ReadFileBytes(source), expected);
    EXPECT_EQ(ReadFileBytes(mounted), kGoodOldFile);
    EXPECT_EQ(scratch.Entries(),
              (std::vector<std::string>{"monté.wav", "partagé.wav", "source.wav"}));
}

// Root only: another user's file in a folder everyone may write is replaced
// by a file of the user's own, which is said on standard error; its other
// names keep the old content.
TEST(ToneCliReplace, OwnerThatCannotBeKeptIsAWarning) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "another user's file needs root";
    }
    ScratchDirectory scratch;
    fs::permissions(scratch.path(), fs::perms::all);
    const fs::path out = scratch / "a.wav";
    quenbrix_test::WriteFileBytes(out, kGoodOldFile);
    fs::create_hard_link(out, scratch / "autre-nom.wav");
    fs::permissions(out, fs::perms::all & ~(fs::perms::owner_exec | fs::perms::group_exec |
                                            fs::perms::others_exec));
    const ChildResult run = RunToneAsOtherUser(ToneArgs(out));
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    const std::string root = ::getpwuid(0)->pw_name;
    const std::string rootGroup = ::getgrgid(0)->gr_name;
    const std::string other = ::getpwuid(kOtherUser)->pw_name;
    const std::string otherGroup = ::getgrgid(kOtherUser)->gr_name;
    EXPECT_EQ(run.err, "quenbrix-tone : attention : impossible de rendre à «\u00A0" + out.string() +
                           "\u00A0» son propriétaire " + root + " (groupe " + rootGroup +
                           ") : " + tonegen::FileErrorReason(EPERM) +
                           " ; le fichier appartient désormais à " + other + " (groupe " +
                           otherGroup + ").\n");
    EXPECT_EQ(ReadFileBytes(out), CoreBytes("1209", "697", "1", 20000));
    EXPECT_EQ(StatusOf(out).st_uid, kOtherUser);
    EXPECT_EQ(StatusOf(out).st_mode & 07777, 0666U);
    EXPECT_EQ(ReadFileBytes(scratch / "autre-nom.wav"), kGoodOldFile);
}

// A file-size limit is the ordinary write failure: no signal ends the program
// and the old file is kept.
TEST(ToneCliFailure, FileSizeLimitAndFolderProblemsKeepTheOldFile) {
    ScratchDirectory scratch;
    const fs::path out = scratch / "bon.wav";
    quenbrix_test::WriteFileBytes(out, kGoodOldFile);
    std::vector<std::string> limited = {"-c", "ulimit -f 40 && exec \"$0\" \"$@\"", kTone};
    const auto tone = ToneArgs(out);
    limited.insert(limited.end(), tone.begin(), tone.end());
    const ChildResult run = ChildProcess::Run("/bin/sh", limited);
    ASSERT_TRUE(run.exited) << "ended by signal " << run.signal;
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.err, "quenbrix-tone : échec de la création de «\u00A0" + out.string() +
                           "\u00A0»\nErreur de fichier : Impossible d'écrire le fichier «\u00A0" +
                           out.string() +
                           "\u00A0» : le fichier dépasse la taille maximale autorisée.\n");
    EXPECT_EQ(ReadFileBytes(out), kGoodOldFile);
    EXPECT_EQ(scratch.Entries(), std::vector<std::string>{"bon.wav"});

    const ChildResult noFolder = ChildProcess::Run(kTone, ToneArgs(scratch / "absent" / "a.wav"));
    EXPECT_EQ(noFolder.exitStatus, 1);
    EXPECT_NE(noFolder.err.find("le dossier n'existe pas."), std::string::npos) << noFolder.err;
    const ChildResult folder = ChildProcess::Run(kTone, ToneArgs(scratch.path()));
    EXPECT_EQ(folder.exitStatus, 1);
    EXPECT_NE(folder.err.find("Impossible d'écrire «\u00A0" + scratch.path().string() +
                              "\u00A0» : c'est un dossier, pas un fichier."),
              std::string::npos)
        << folder.err;
    EXPECT_EQ(scratch.Entries(), std::vector<std::string>{"bon.wav"});
}

// The bytes the child has written so far: the length of the largest regular
// file it holds open, whether it writes itself or the kernel writes for it.
long WrittenBytes(pid_t pid) {
    long largest = 0;
    std::error_code error;
    fs::directory_iterator entry("/proc/" + std::to_string(pid) + "/fd", error);
    for (; !error && entry != fs::directory_iterator(); entry.increment(error)) {
        struct stat status {};
        if (::stat(entry->path().c_str(), &status) == 0 && S_ISREG(status.st_mode)) {
            largest = std::max(largest, static_cast<long>(status.st_size));
        }
    }
    return largest;
}

TEST(ToneCliInterrupt, SignalsMidRunLeaveNothingBehind) {
    for (const int signal : {SIGTERM, SIGINT, SIGQUIT, SIGKILL}) {
        ScratchDirectory scratch;
        const fs::path out = scratch / "bon.wav";
        quenbrix_test::WriteFileBytes(out, kGoodOldFile);
        // 20,000 s would be 1.7 GB; the run is stopped after its first megabyte.
        ChildProcess child(kTone, ToneArgs(out, "20000"));
        const auto deadline = std::chrono::steady_clock::now() + 60s;
        while (WrittenBytes(child.pid()) < 1'000'000 &&
               std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(1ms);
        }
        child.Signal(signal);
        const ChildResult run = child.Wait();
        EXPECT_FALSE(run.exited) << run.err;
        EXPECT_EQ(run.signal, signal);
        EXPECT_EQ(ReadFileBytes(out), kGoodOldFile);
        EXPECT_EQ(scratch.Entries(), std::vector<std::string>{"bon.wav"}) << strsignal(signal);
    }
}

// Where the file system has no unnamed files, the new file has a hidden name
// until it is complete: a signal removes it, a success moves it into place.
TEST(ToneCliInterrupt, HiddenTemporaryNameIsRemovedBySignalsAndMovedOnSuccess) {
    ScratchDirectory scratch;
    const fs::path out = scratch / "bon.wav";
    quenbrix_test::WriteFileBytes(out, kGoodOldFile);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        (void)::signal(SIGQUIT, SIG_DFL);
        auto opened = quenbrix_cli::OutputTarget::Open(out, {.unnamedFile = false});
        if (!std::holds_alternative<std::unique_ptr<quenbrix_cli::OutputTarget>>(opened) ||
            scratch.Entries().size() != 2) {
            ::_exit(3);
        }
        const auto& target = std::get<std::unique_ptr<quenbrix_cli::OutputTarget>>(opened);
        (void)tonegen::WriteToneFile(
            target->Output(), out, {"1209", "697", "1", 20000},
            {nullptr, [](std::int32_t, std::int32_t) { (void)::raise(SIGQUIT); }});
        ::_exit(4);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "exit " << WEXITSTATUS(status);
    EXPECT_EQ(WTERMSIG(status), SIGQUIT);
    EXPECT_EQ(scratch.Entries(), std::vector<std::string>{"bon.wav"});

    {
        auto opened = quenbrix_cli::OutputTarget::Open(out, {.unnamedFile = false});
        const auto& target = std::get<std::unique_ptr<quenbrix_cli::OutputTarget>>(opened);
        ASSERT_EQ(tonegen::WriteToneFile(target->Output(), out, {"1209", "697", "1", 20000}),
                  std::nullopt);
        EXPECT_EQ(ReadFileBytes(out), kGoodOldFile);  // not before Commit
        ASSERT_EQ(target->Commit(), std::nullopt);
    }
    EXPECT_EQ(ReadFileBytes(out), CoreBytes("1209", "697", "1", 20000));
    EXPECT_EQ(scratch.Entries(), std::vector<std::string>{"bon.wav"});
}

TEST(ToneCliUsage, AnythingWrongInTheCommandLineExitsWithTwoBeforeTouchingAFile) {
    ScratchDirectory scratch;
    const std::string out = scratch / "a.wav";
    const std::string folder = scratch / "dossier";
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{}, "aucune option donnée."},
        {{"--f1", "1", "--f2", "2", "-o", out}, "il manque l'option «\u00A0--seconds\u00A0»."},
        {{"--f1", "1", "--f2", "2", "--seconds", "1", "--amplitude", "40000", "-o", out},
         "amplitude invalide «\u00A040000\u00A0» : un nombre entier de 0 à 32767 est attendu."},
        {{"--f1", "1", "--f2", "2", "--seconds", "1", "-o", out, "--", "encore"},
         "argument inattendu «\u00A0encore\u00A0»."},
        {{"--f1", "abc", "--f2", "2", "--seconds", "1", "-o", out},
         "La fréquence 1 «\u00A0abc\u00A0» n'est pas un nombre. Saisissez une fréquence en "
         "hertz, par exemple 1209."},
        {{"--f1", "1", "--f2", "2", "--seconds", "30000", "-o", out},
         "La durée de 30\u00A0000 secondes est trop longue : le fichier WAVE dépasserait sa "
         "taille maximale de 2 Go. La durée maximale est de 24\u00A0347 secondes."},
        {{"--dtmf", "1x", "-d", folder},
         "touche inconnue «\u00A0x\u00A0» : les touches sont 0123456789*#ABCD."},
        {{"--dtmf", "1", "--seconds", "-3", "-d", folder},
         "La durée «\u00A0-3\u00A0» est négative : elle doit être nulle ou positive."},
    };
    for (const auto& [args, message] : cases) {
        const ChildResult run = ChildProcess::Run(kTone, args);
        ASSERT_TRUE(run.exited);
        EXPECT_EQ(run.exitStatus, 2) << message;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, "quenbrix-tone : " + message + "\n" + kHelpHint);
    }
    EXPECT_EQ(scratch.Entries(), std::vector<std::string>{});
}

TEST(ToneCliUsage, HelpAndVersionGoToStandardOutputWhichMustTakeThem) {
    const ChildResult help = ChildProcess::Run(kTone, {"--help"});
    EXPECT_EQ(help.exitStatus, 0);
    EXPECT_EQ(help.err, "");
    EXPECT_TRUE(help.out.starts_with("Usage : quenbrix-tone --f1 HZ --f2 HZ --seconds S"))
        << help.out;
    const ChildResult version = ChildProcess::Run(kTone, {"--version"});
    EXPECT_EQ(version.exitStatus, 0);
    EXPECT_EQ(version.out, "quenbrix-tone (Quenbrix) 1.00\nLicence MIT.\n");

    const ChildResult full =
        ChildProcess::Run("/bin/sh", {"-c", "exec \"$0\" --help > /dev/full", kTone});
    EXPECT_EQ(full.exitStatus, 1);
    EXPECT_EQ(
        full.err,
        "quenbrix-tone : impossible d'écrire sur la sortie standard : le disque est plein.\n");
}

// As compressors do: a WAV file is not written onto a terminal.
TEST(ToneCliStandardOutput, TerminalIsRefusedAsBadUsage) {
    int terminal = -1;
    int device = -1;
    if (::openpty(&terminal, &device, nullptr, nullptr, nullptr) != 0) {
        GTEST_SKIP() << "no pseudo-terminal here: " << std::strerror(errno);
    }
    const ChildResult run = ChildProcess(kTone, ToneArgs("-", "0"), device).Wait();
    EXPECT_EQ(run.exitStatus, 2);
    EXPECT_TRUE(run.err.starts_with("quenbrix-tone : la sortie standard est un terminal"))
        << run.err;
    EXPECT_TRUE(run.err.ends_with(kHelpHint)) << run.err;
    ::fcntl(terminal, F_SETFL, O_NONBLOCK);
    char byte = 0;
    EXPECT_LE(::read(terminal, &byte, 1), 0) << "the terminal got bytes";
    ::close(terminal);
}

// A closed standard output, or one open for reading only, is said in French
// before anything is computed.
TEST(ToneCliStandardOutput, ClosedOrReadOnlyOutputIsReportedInFrench) {
    const std::vector<std::vector<std::string>> writers = {ToneArgs("-"), {"--help"}};
    for (const char* redirection : {">&-", "1</dev/null"}) {
        for (const auto& args : writers) {
            std::vector<std::string> shell = {
                "-c", "exec \"$0\" \"$@\" " + std::string(redirection), kTone};
            shell.insert(shell.end(), args.begin(), args.end());
            const ChildResult run = ChildProcess::Run("/bin/sh", shell);
            EXPECT_EQ(run.exitStatus, 1) << redirection << " " << args[0];
            EXPECT_NE(run.err.find(tonegen::FileErrorReason(EBADF)), std::string::npos) << run.err;
            EXPECT_EQ(run.err.find(std::generic_category().message(EBADF)), std::string::npos)
                << run.err;
        }
    }
}

// A full pipe that its owner made non-blocking is waited for, as a blocking
// one is.
TEST(ToneCliStandardOutput, FullNonBlockingPipeIsWaitedFor) {
    int fds[2] = {-1, -1};
    ASSERT_EQ(::pipe2(fds, O_CLOEXEC), 0);
    ASSERT_EQ(::fcntl(fds[1], F_SETFL, O_NONBLOCK), 0);
    const int capacity = ::fcntl(fds[0], F_GETPIPE_SZ);
    ChildProcess child(kTone, ToneArgs("-", "3"), fds[1]);
    // Nothing is read until the pipe is full or the program has ended.
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    for (int queued = 0; queued < capacity && std::chrono::steady_clock::now() < deadline;) {
        siginfo_t ended{};
        if (::waitid(P_PID, static_cast<id_t>(child.pid()), &ended, WEXITED | WNOHANG | WNOWAIT) ==
                0 &&
            ended.si_pid != 0) {
            break;
        }
        std::this_thread::sleep_for(1ms);
        ASSERT_EQ(::ioctl(fds[0], FIONREAD, &queued), 0);
    }
    Reader fromPipe([&fds] { return fds[0]; });
    const ChildResult run = child.Wait();
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(fromPipe.Bytes(), CoreBytes("1209", "697", "3", 20000));
}

// Every error that the system calls of a run can give, as their Linux manual
// pages list them, has a French reason. Left out: EFAULT (every buffer is the
// program's own), what only flags or objects that the program never uses can
// give (non-blocking connects, network sockets, O_NONBLOCK opens, 32-bit
// offsets), and what a rename or link within the file's own folder, never
// over a folder, cannot meet (EXDEV, ENOTEMPTY).
TEST(ToneCliMessages, EveryErrorOfTheSystemCallsHasAFrenchReason) {
    const std::vector<std::pair<std::string, std::vector<int>>> calls = {
        {"open, openat", {EACCES,  EBUSY,  EDQUOT,       EEXIST, EFBIG,  EINTR,  EINVAL, EISDIR,
                          ELOOP,   EMFILE, ENAMETOOLONG, ENFILE, ENODEV, ENOENT, ENOMEM, ENOSPC,
                          ENOTDIR, ENXIO,  EOPNOTSUPP,   EPERM,  EROFS,  ETXTBSY}},
        {"stat, fstat, statx, fcntl",
         {EACCES, EBADF, ELOOP, ENAMETOOLONG, ENOENT, ENOMEM, ENOTDIR}},
        {"faccessat",
         {EACCES, EINVAL, EIO, ELOOP, ENAMETOOLONG, ENOENT, ENOMEM, ENOTDIR, EPERM, EROFS,
          ETXTBSY}},
        {"readlinkat", {EACCES, EIO, ELOOP, ENAMETOOLONG, ENOENT, ENOMEM, ENOTDIR}},
        {"socket", {EACCES, EMFILE, ENFILE, ENOBUFS, ENOMEM}},
        {"connect", {EACCES, EPERM, EAGAIN, ECONNREFUSED, EINTR, ENOENT, EPROTOTYPE, ETIMEDOUT}},
        {"write, io_uring writes",
         {EAGAIN, EBADF, ECONNRESET, EDQUOT, EFBIG, EINTR, EINVAL, EIO, ENODEV, ENOSPC, ENXIO,
          EPERM, EPIPE, ETIMEDOUT}},
        {"io_uring_enter", {EAGAIN, EBUSY, EINTR, ENOMEM}},
        {"poll", {EINTR, ENOMEM}},
        {"ftruncate", {EACCES, EFBIG, EINTR, EINVAL, EIO, EPERM, EROFS, ETXTBSY}},
        {"fsync, close", {EBADF, EDQUOT, EINTR, EINVAL, EIO, ENOSPC, EROFS}},
        {"fchown, fchmod", {EIO, ENOMEM, EPERM, EROFS}},
        {"linkat",
         {EACCES, EDQUOT, EEXIST, EIO, ELOOP, ENAMETOOLONG, ENOENT, ENOMEM, ENOSPC, ENOTDIR, EPERM,
          EROFS}},
        {"renameat",
         {EACCES, EBUSY, EDQUOT, EISDIR, ELOOP, ENAMETOOLONG, ENOENT, ENOMEM, ENOSPC, ENOTDIR,
          EPERM, EROFS}},
        {"mkdir (-d)",
         {EACCES, EDQUOT, EEXIST, ELOOP, EMLINK, ENAMETOOLONG, ENOENT, ENOMEM, ENOSPC, ENOTDIR,
          EPERM, EROFS}},
    };
    for (const auto& [call, errors] : calls) {
        for (const int error : errors) {
            const std::string reason = tonegen::FileErrorReason(error);
            EXPECT_EQ(reason.find(std::generic_category().message(error)), std::string::npos)
                << call << ", " << ::strerrorname_np(error) << ": " << reason;
        }
    }
}

}  // namespace
