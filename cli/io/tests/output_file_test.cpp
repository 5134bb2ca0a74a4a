// SPDX-License-Identifier: GPL-3.0-or-later
// -o as careful tools do it: links followed, devices written in place, modes
// and owners kept, nothing left behind on a signal. Each case in a scratch folder.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <future>
#include <string>
#include <thread>

#include "i18n.h"
#include "scratch.h"

namespace {

using lumiro::testing::Outcome;
using lumiro::testing::Slurp;
namespace fs = std::filesystem;

constexpr uid_t kNobody = 65534;

// How a failure's reason stands in a message: in brackets.
std::string Reason(const char* reason)
{
    return std::string("(") + reason + ")";
}

struct stat StatOf(const fs::path& path)
{
    struct stat st {};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return st;
}

class OutputFile : public lumiro::testing::Scratch {
protected:
    std::string table8;  // what `lumiro-coe 8` writes

    void SetUp() override
    {
        Scratch::SetUp();
        table8 = Coe({"8"}).out;
        ASSERT_FALSE(table8.empty());
    }
};

TEST_F(OutputFile, LinkIsFollowedAndStaysALink)
{
    fs::create_directory(dir / "real");
    std::ofstream(dir / "real" / "sine.coe") << "old\n";
    fs::create_symlink("real/sine.coe", dir / "link.coe");

    const Outcome run = Coe({"8", "-o", (dir / "link.coe").string()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(fs::is_symlink(dir / "link.coe"));
    EXPECT_EQ(Slurp(dir / "real" / "sine.coe"), table8);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "real"), fs::directory_iterator()), 1);

    // A dangling link makes the file it names.
    fs::create_symlink("real/new.coe", dir / "dangling.coe");
    ASSERT_EQ(Coe({"8", "-o", (dir / "dangling.coe").string()}).status, 0);
    EXPECT_TRUE(fs::is_symlink(dir / "dangling.coe"));
    EXPECT_EQ(Slurp(dir / "real" / "new.coe"), table8);
}

TEST_F(OutputFile, FolderOrLinkToOneIsRefused)
{
    fs::create_directory(dir / "folder");
    fs::create_directory_symlink("folder", dir / "link");
    for (const char* name : {"folder", "link"}) {
        const Outcome run = Coe({"8", "-o", (dir / name).string()});
        EXPECT_EQ(run.status, 1) << name;
        EXPECT_NE(run.err.find(Reason(_("it is a folder"))), std::string::npos) << run.err;
    }
    EXPECT_TRUE(fs::is_symlink(dir / "link"));
    EXPECT_TRUE(fs::is_empty(dir / "folder"));
    EXPECT_EQ(Names(), (std::vector<std::string>{"folder", "link"}));
}

TEST_F(OutputFile, FifoIsWrittenInPlace)
{
    const fs::path fifo = dir / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    auto reader = std::async(std::launch::async, [&] { return Slurp(fifo); });

    const Outcome run = Coe({"8", "-o", fifo.string()});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(reader.get(), table8);
    EXPECT_TRUE(S_ISFIFO(StatOf(fifo).st_mode));
    EXPECT_EQ(Names(), std::vector<std::string>{"pipe"});
}

TEST_F(OutputFile, DevStdoutAndDashReachAPipe)
{
    for (const char* target : {"/dev/stdout", "-"}) {
        const std::string command = std::string(LUMIRO_COE) + " 8 -o " + target;
        std::FILE* pipe = ::popen(command.c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        std::string out;
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            out.append(buffer, n);
        EXPECT_EQ(::pclose(pipe), 0) << target;
        EXPECT_EQ(out, table8) << target;
    }
    EXPECT_TRUE(S_ISCHR(StatOf("/dev/null").st_mode));
}

TEST_F(OutputFile, ReplacementKeepsPermissionBitsButNoSpecialOnes)
{
    const fs::path file = dir / "sine.coe";
    std::ofstream(file) << "old\n";
    ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
    ASSERT_EQ(Coe({"8", "-o", file.string()}).status, 0);
    EXPECT_EQ(StatOf(file).st_mode & 07777, 0640U);

    ASSERT_EQ(::chmod(file.c_str(), 06755), 0);
    ASSERT_EQ(Coe({"8", "-o", file.string()}).status, 0);
    EXPECT_EQ(StatOf(file).st_mode & 07777, 0755U);
    EXPECT_EQ(Slurp(file), table8);
}

TEST_F(OutputFile, NewFileGetsWhatTheUmaskLeaves)
{
    const mode_t previous = ::umask(027);
    const Outcome run = Coe({"8", "-o", (dir / "new.coe").string()});
    ::umask(previous);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(StatOf(dir / "new.coe").st_mode & 07777, 0640U);
}

TEST_F(OutputFile, RootLeavesSomeoneElsesFileTheirsAndNotSetuid)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root";
    const fs::path file = dir / "theirs.coe";
    std::ofstream(file) << "old\n";
    ASSERT_EQ(::chown(file.c_str(), kNobody, kNobody), 0);
    ASSERT_EQ(::chmod(file.c_str(), 06777), 0);

    ASSERT_EQ(Coe({"8", "-o", file.string()}).status, 0);
    const struct stat after = StatOf(file);
    EXPECT_EQ(after.st_uid, kNobody);
    EXPECT_EQ(after.st_gid, kNobody);
    EXPECT_EQ(after.st_mode & 07777, 0777U);
}

TEST_F(OutputFile, FileTheCallerMayNotWriteIsRefused)
{
    // The folder lets anyone rename over the file; only the file's own bits forbid it.
    ASSERT_EQ(::chmod(dir.c_str(), 0777), 0);
    const fs::path file = dir / "locked.coe";
    std::ofstream(file) << "old\n";
    ASSERT_EQ(::chmod(file.c_str(), 0444), 0);

    // Root may write anything; run as nobody then, from a copy nobody can reach
    // (the build folder may lie in a folder only root may enter).
    Outcome run;
    if (::geteuid() == 0) {
        run = Start({CopyOfProgram().string(), "8", "-o", file.string()}, {}, RLIM_INFINITY, kNobody);
    } else {
        run = Coe({"8", "-o", file.string()});
    }
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(Reason(_("permission denied"))), std::string::npos) << run.err;
    EXPECT_EQ(Slurp(file), "old\n");
}

TEST_F(OutputFile, LongestLegalNameFits)
{
    const fs::path file = dir / std::string(255, 'n');
    const Outcome run = Coe({"8", "-o", file.string()});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Slurp(file), table8);

    const Outcome tooLong = Coe({"8", "-o", (dir / std::string(256, 'n')).string()});
    EXPECT_EQ(tooLong.status, 1);
    EXPECT_NE(tooLong.err.find(Reason(_("name too long"))), std::string::npos) << tooLong.err;
}

TEST_F(OutputFile, MissingFolderIsSaidInPolish)
{
    const Outcome run = Coe({"8", "-o", (dir / "missing" / "x.coe").string()});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(Reason(_("no such folder"))), std::string::npos) << run.err;
}

// Whether a write's temporary shows up in `folder` within 20 s.
bool TemporaryAppears(const fs::path& folder)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
        for (const auto& entry : fs::directory_iterator(folder))
            if (entry.path().filename().string().starts_with(".lumiro-coe."))
                return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

class Interrupted : public lumiro::testing::Scratch, public ::testing::WithParamInterface<int> {};

TEST_P(Interrupted, SignalRemovesTheTemporaryAndKills)
{
    const fs::path file = dir / "sine.txt";
    std::ofstream(file) << "old\n";
    const pid_t child = ::fork();
    if (child == 0) {
        if (std::freopen("/dev/null", "w", stderr) == nullptr)
            ::_exit(126);
        const rlimit noCore{0, 0};  // SIGQUIT and SIGXCPU would dump one
        ::setrlimit(RLIMIT_CORE, &noCore);
        // The largest listing, 130 MB: long enough to be caught while it writes.
        ::execl(LUMIRO_COE, LUMIRO_COE, "4194304", "--format", "listing", "-o", file.c_str(),
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ASSERT_TRUE(TemporaryAppears(dir));
    ::kill(child, GetParam());
    int status = 0;
    ::waitpid(child, &status, 0);

    ASSERT_TRUE(WIFSIGNALED(status)) << status;
    EXPECT_EQ(WTERMSIG(status), GetParam());
    EXPECT_EQ(Names(), std::vector<std::string>{"sine.txt"});
    EXPECT_EQ(Slurp(file), "old\n");
}

// Every signal whose default action ends the process, a few of each kind.
INSTANTIATE_TEST_SUITE_P(Signals, Interrupted,
                         ::testing::Values(SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM, SIGXCPU,
                                           SIGVTALRM, SIGPROF, SIGRTMIN + 1));

// The picture would replace the table: refused before either is written.
TEST_F(OutputFile, TableAndPictureOnOneFileAreRefused)
{
    fs::create_symlink("same.svg", dir / "link.svg");
    for (const char* picture : {"same.svg", "link.svg"}) {
        const Outcome run = Coe({"64", "--plot", (dir / picture).string(), "-o", (dir / "same.svg").string()});
        EXPECT_EQ(run.status, 2) << picture;
        EXPECT_FALSE(fs::exists(dir / "same.svg")) << picture;
        std::ofstream(dir / "same.svg") << "old\n";  // and once it exists
        EXPECT_EQ(Coe({"64", "--plot", (dir / picture).string(), "-o", (dir / "same.svg").string()}).status, 2);
        EXPECT_EQ(Slurp(dir / "same.svg"), "old\n");
        fs::remove(dir / "same.svg");
    }
    // Root may write there, but the folder takes no temporary beside it.
    const Outcome proc = Coe({"8", "-o", "/proc/version"});
    EXPECT_EQ(proc.status, 1);
    if (::geteuid() == 0) {
        EXPECT_NE(proc.err.find(lumiro::coe::Printf(_("the folder %s takes no new files; the file is replaced by a new "
                                                "one written beside it"),
                                              "'/proc'")),
            std::string::npos)
            << proc.err;
    }
}

// "ulimit -f": the kernel sends SIGXFSZ, whose default ends the process.
TEST_F(OutputFile, FileSizeLimitLeavesNoTemporary)
{
    const fs::path file = dir / "sine.coe";
    std::ofstream(file) << "old\n";
    const pid_t child = ::fork();
    if (child == 0) {
        const rlimit noCore{0, 0};
        const rlimit small{1 << 20, 1 << 20};
        if (std::freopen("/dev/null", "w", stderr) == nullptr || ::setrlimit(RLIMIT_CORE, &noCore) != 0 ||
            ::setrlimit(RLIMIT_FSIZE, &small) != 0)
            ::_exit(126);
        std::signal(SIGXFSZ, SIG_DFL);
        ::execl(LUMIRO_COE, LUMIRO_COE, "262144", "-o", file.c_str(), static_cast<char*>(nullptr));  // 2 MB
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << status;
    EXPECT_EQ(WTERMSIG(status), SIGXFSZ);
    EXPECT_EQ(Names(), std::vector<std::string>{"sine.coe"});
    EXPECT_EQ(Slurp(file), "old\n");
}

TEST_F(OutputFile, HelpToAFullDiskSaysWhy)
{
    const Outcome run = Coe({"--help"}, "/dev/full");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(lumiro::coe::Printf(_("could not write to standard output (%s)."),
                                               _("no space left on the disk"))),
              std::string::npos)
        << run.err;
}

TEST_F(OutputFile, EmptyArgumentVectorIsAWrongCall)
{
    const pid_t child = ::fork();
    if (child == 0) {
        if (std::freopen("/dev/null", "w", stderr) == nullptr)
            ::_exit(126);
        char* const noArguments[] = {nullptr};
        ::execve(LUMIRO_COE, noArguments, environ);
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 2);
}

// Names of the program's own descriptors are written through them: a shell's
// ">>" appends, and lines written before stay where they were.
TEST_F(OutputFile, OwnDescriptorsAreWrittenWhereTheShellOpenedThem)
{
    const std::string program = LUMIRO_COE;
    fs::create_symlink("/dev/stdout", dir / "out-link");
    const auto shell = [&](const std::string& script) {
        const std::string command = "cd '" + dir.string() + "' && " + script;
        return std::system(command.c_str());
    };
    ASSERT_EQ(shell("echo first > log && " + program + " 8 -o /dev/stdout >> log"), 0);
    EXPECT_EQ(Slurp(dir / "log"), "first\n" + table8);
    ASSERT_EQ(shell("( echo first; " + program + " 8 -o /dev/stdout; echo after ) > seq"), 0);
    EXPECT_EQ(Slurp(dir / "seq"), "first\n" + table8 + "after\n");
    ASSERT_EQ(shell("echo e > err && " + program + " 8 -o /dev/stderr 2>> err"), 0);
    EXPECT_EQ(Slurp(dir / "err"), "e\n" + table8);
    ASSERT_EQ(shell("echo x > fd && " + program + " 8 -o /proc/self/fd/5 5>> fd && " + program +
                    " 8 -o out-link >> fd"),
              0);
    EXPECT_EQ(Slurp(dir / "fd"), "x\n" + table8 + table8);

    const Outcome closed = Coe({"8", "-o", "/dev/fd/9"});
    EXPECT_EQ(closed.status, 1);
    EXPECT_NE(closed.err.find(Reason(_("this descriptor is not open for writing"))), std::string::npos)
        << closed.err;
}

// nohup and "trap '' HUP" ignore a signal for a reason: the write goes on.
TEST_F(OutputFile, SignalsIgnoredAtStartStayIgnored)
{
    const fs::path file = dir / "sine.txt";
    const pid_t child = ::fork();
    if (child == 0) {
        for (const int signal : {SIGINT, SIGTERM, SIGHUP})
            std::signal(signal, SIG_IGN);
        ::execl(LUMIRO_COE, LUMIRO_COE, "4194304", "--format", "listing", "-o", file.c_str(),
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ASSERT_TRUE(TemporaryAppears(dir));
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        ::kill(child, signal);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(Names(), std::vector<std::string>{"sine.txt"});
    EXPECT_GT(fs::file_size(file), 100'000'000U);
}

TEST_F(OutputFile, UnusualTargetsAreSaidInPolish)
{
    const int server = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = (dir / "sock").string();
    std::strncpy(address.sun_path, socketPath.c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(server, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    fs::create_symlink("loop-b", dir / "loop-a");
    fs::create_symlink("loop-a", dir / "loop-b");
    std::ofstream(dir / "plain") << "old\n";
    for (const auto& [target, reason] :
         {std::pair{socketPath, Reason(_("it is a socket, not a file"))},
          std::pair{(dir / "loop-a").string(), Reason(_("too many symbolic links, perhaps in a loop"))},
          std::pair{(dir / "plain" / "x.coe").string(), Reason(_("a part of the path is not a folder"))}}) {
        const Outcome run = Coe({"8", "-o", target});
        EXPECT_EQ(run.status, 1) << target;
        EXPECT_NE(run.err.find(reason), std::string::npos) << run.err;
    }
    ::close(server);
    EXPECT_EQ(Slurp(dir / "plain"), "old\n");
}

// Under a working folder deeper than PATH_MAX, a relative name still works.
TEST_F(OutputFile, FolderDeeperThanPathMaxIsNoObstacle)
{
    const std::string level(200, 'd');
    int folder = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    std::vector<int> chain{folder};
    for (int depth = 0; depth * 201 <= PATH_MAX; ++depth) {
        ASSERT_EQ(::mkdirat(folder, level.c_str(), 0700), 0);
        folder = ::openat(folder, level.c_str(), O_RDONLY | O_DIRECTORY);
        ASSERT_GE(folder, 0);
        chain.push_back(folder);
    }
    const int file = ::openat(folder, "sine.coe", O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(file, 0);
    ::close(file);

    const int previous = ::open(".", O_RDONLY | O_DIRECTORY);
    ASSERT_EQ(::fchdir(folder), 0);
    const Outcome run = Coe({"8", "-o", "sine.coe"}, "/dev/null");
    ASSERT_EQ(::fchdir(previous), 0);
    ::close(previous);
    EXPECT_EQ(run.status, 0) << run.err;

    // Taken apart from the bottom, as a path that long cannot be removed by name.
    struct stat written {};
    EXPECT_EQ(::fstatat(folder, "sine.coe", &written, 0), 0);
    EXPECT_EQ(static_cast<std::size_t>(written.st_size), table8.size());
    ::unlinkat(folder, "sine.coe", 0);
    for (std::size_t i = chain.size() - 1; i > 0; --i) {
        ::close(chain[i]);
        ::unlinkat(chain[i - 1], level.c_str(), AT_REMOVEDIR);
    }
    ::close(chain[0]);
}

// The safe replace writes beside the file: a folder that forbids it is named.
TEST_F(OutputFile, FolderThatForbidsTheReplaceIsNamed)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root, to run as someone else";
    ASSERT_EQ(::chmod(dir.c_str(), 0755), 0);
    const fs::path program = CopyOfProgram();
    for (const auto& [folderName, mode, reason] :
         {std::tuple{"locked", 0755,
                     _("no permission to write in the folder %s; the file is replaced by a new one written "
                       "beside it, so the folder must allow writing")},
          std::tuple{"sticky", 01777,
                     _("the folder %s is sticky and lets no one replace another's file; the file is replaced "
                       "by a new one written beside it, so the folder must allow writing")}}) {
        const fs::path folder = dir / folderName;
        fs::create_directory(folder);
        ASSERT_EQ(::chmod(folder.c_str(), static_cast<mode_t>(mode)), 0);
        const fs::path file = folder / "sine.coe";
        std::ofstream(file) << "old\n";
        ASSERT_EQ(::chmod(file.c_str(), 0666), 0);  // writable by anyone, owned by root

        const Outcome run =
            Start({program.string(), "8", "-o", file.string()}, {}, RLIM_INFINITY, kNobody);
        EXPECT_EQ(run.status, 1) << folderName;
        std::string said = reason;
        said.replace(said.find("%s"), 2, "'" + folder.string() + "'");
        EXPECT_NE(run.err.find(said), std::string::npos) << run.err;
        EXPECT_EQ(Slurp(file), "old\n");
        EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
    }
}

}  // namespace