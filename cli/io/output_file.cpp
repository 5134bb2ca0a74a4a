// SPDX-License-Identifier: GPL-3.0-or-later
#include "output_file.h"

#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstring>
#include <optional>
#include <string_view>
#include <utility>

#include "i18n.h"

namespace lumiro::coe {
namespace {

// stdio's own buffer is 4 KiB whatever setvbuf asks for without a buffer.
constexpr std::size_t kBufferBytes = std::size_t{1} << 20;

// Short and fixed, so that a temporary beside a name of 255 bytes still fits.
constexpr char kTemporaryName[] = ".lumiro-coe.XXXXXX";

std::string Directory(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The path a chain of symbolic links leads to; the last one may name nothing yet.
std::string FollowLinks(std::string path, int& error)
{
    for (int hops = 0; hops < 40; ++hops) {
        struct stat link {};
        if (::lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode))
            return path;
        char buffer[PATH_MAX];
        const ssize_t length = ::readlink(path.c_str(), buffer, sizeof buffer);
        if (length < 0 || static_cast<std::size_t>(length) >= sizeof buffer) {
            error = length < 0 ? errno : ENAMETOOLONG;
            return path;
        }
        std::string next(buffer, static_cast<std::size_t>(length));
        path = next.starts_with('/') ? next : Directory(path) + "/" + next;
    }
    error = ELOOP;
    return path;
}

// The descriptor number a name stands for when it names one of this process's
// own descriptors: /dev/stdout, /dev/stderr, /dev/fd/N, /proc/self/fd/N.
std::optional<int> DescriptorNamed(std::string_view path)
{
    if (path == "/dev/stdin")
        return 0;
    if (path == "/dev/stdout")
        return 1;
    if (path == "/dev/stderr")
        return 2;
    const std::string ownProcess = "/proc/" + std::to_string(::getpid()) + "/fd/";
    for (std::string_view folder : {std::string_view("/dev/fd/"), std::string_view("/proc/self/fd/"),
                                    std::string_view("/proc/thread-self/fd/"), std::string_view(ownProcess)}) {
        if (!path.starts_with(folder))
            continue;
        const std::string_view digits = path.substr(folder.size());
        int number = -1;
        const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
        if (error == std::errc() && end == digits.data() + digits.size() && !digits.empty())
            return number;
    }
    return std::nullopt;
}

// Whether a name, or a chain of symbolic links from it, leads to one of this
// process's descriptors. Those are written through the descriptor itself: a
// shell's ">>" appends there, and renaming over what it names would lose the
// lines before.
std::optional<int> OwnDescriptor(std::string path)
{
    for (int hops = 0; hops < 40; ++hops) {
        if (const auto number = DescriptorNamed(path))
            return number;
        struct stat link {};
        if (::lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode))
            return std::nullopt;
        char buffer[PATH_MAX];
        const ssize_t length = ::readlink(path.c_str(), buffer, sizeof buffer);
        if (length < 0 || static_cast<std::size_t>(length) >= sizeof buffer)
            return std::nullopt;
        std::string next(buffer, static_cast<std::size_t>(length));
        path = next.starts_with('/') ? next : Directory(path) + "/" + next;
    }
    return std::nullopt;
}

// The temporary of the running write, for the signal handler: it must not
// stay behind when a signal ends the process during a long write.
char pendingTemporary[PATH_MAX];
struct sigaction previousActions[NSIG];
bool guarded[NSIG];  // false where the signal was ignored at start

// Every signal whose default action ends the process: those that stop,
// continue or are ignored by default leave the temporary to the write that
// goes on, and SIGKILL cannot be caught.
bool EndsTheProcess(int signal)
{
    switch (signal) {
    case SIGKILL: case SIGSTOP: case SIGTSTP: case SIGTTIN: case SIGTTOU:
    case SIGCONT: case SIGCHLD: case SIGURG: case SIGWINCH:
        return false;
    default:
        return true;
    }
}

extern "C" void RemoveTemporaryAndDie(int signal)
{
    if (pendingTemporary[0] != '\0')
        ::unlink(pendingTemporary);
    ::signal(signal, SIG_DFL);
    ::raise(signal);  // delivered once the handler returns, with the default action
}

void GuardTemporary(const std::string& path)
{
    std::strncpy(pendingTemporary, path.c_str(), sizeof pendingTemporary - 1);
    struct sigaction action {};
    action.sa_handler = RemoveTemporaryAndDie;
    sigfillset(&action.sa_mask);  // one cleanup, whatever else arrives meanwhile
    for (int signal = 1; signal < NSIG; ++signal) {
        // nohup and "trap '' TERM" ignore a signal on purpose: it stays ignored.
        // The C library keeps a few real-time signals for itself and refuses them.
        if (!EndsTheProcess(signal) || ::sigaction(signal, nullptr, &previousActions[signal]) != 0)
            continue;
        guarded[signal] = previousActions[signal].sa_handler != SIG_IGN &&
                          ::sigaction(signal, &action, nullptr) == 0;
    }
}

void ReleaseTemporary()
{
    pendingTemporary[0] = '\0';
    for (int signal = 1; signal < NSIG; ++signal)
        if (std::exchange(guarded[signal], false))
            ::sigaction(signal, &previousActions[signal], nullptr);
}

// Holds back the cleanup signals while the temporary changes its name.
class SignalsHeld {
public:
    SignalsHeld()
    {
        sigset_t held;
        sigemptyset(&held);
        for (int signal = 1; signal < NSIG; ++signal)
            if (EndsTheProcess(signal))
                sigaddset(&held, signal);
        ::sigprocmask(SIG_BLOCK, &held, &previous_);
    }
    ~SignalsHeld() { ::sigprocmask(SIG_SETMASK, &previous_, nullptr); }
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

private:
    sigset_t previous_;
};

}  // namespace

bool SameFile(const std::string& a, const std::string& b)
{
    struct stat first {};
    struct stat second {};
    const bool firstExists = ::stat(a.c_str(), &first) == 0;
    const bool secondExists = ::stat(b.c_str(), &second) == 0;
    if (firstExists || secondExists)
        return firstExists && secondExists && first.st_dev == second.st_dev && first.st_ino == second.st_ino;
    // Neither exists yet: what they would create, in the folder each is in.
    const auto created = [](const std::string& path) -> std::optional<std::string> {
        int error = 0;
        const std::string target = FollowLinks(path, error);
        char folder[PATH_MAX];
        if (error != 0 || ::realpath(Directory(target).c_str(), folder) == nullptr)
            return std::nullopt;
        return std::string(folder) + "/" + target.substr(target.rfind('/') + 1);
    };
    const auto place = created(a);
    return place && place == created(b);
}

OutputFile::OutputFile(const std::string& path) : shownPath_(path)
{
    try {
        Open();
    } catch (...) {
        Discard();  // the destructor does not run for a half-made object
        throw;
    }
}

void OutputFile::Open()
{
    if (const auto descriptor = OwnDescriptor(shownPath_)) {
        OpenDescriptor(*descriptor);
        return;
    }
    struct stat existing {};
    if (::stat(shownPath_.c_str(), &existing) == 0) {
        if (S_ISDIR(existing.st_mode))
            Fail(EISDIR);
        if (S_ISSOCK(existing.st_mode))
            ThrowWriteError(shownPath_, _("it is a socket, not a file"));
        if (!S_ISREG(existing.st_mode)) {
            target_ = shownPath_;
            OpenDirect();
            return;
        }
        if (::access(shownPath_.c_str(), W_OK) != 0)  // as cp refuses it
            Fail(errno);
    } else if (errno != ENOENT) {
        Fail(errno);
    }
    // The temporary goes beside the file, not beside a link; resolved by name,
    // since realpath fails under a folder deeper than PATH_MAX.
    int error = 0;
    target_ = FollowLinks(shownPath_, error);  // a dangling link makes what it names
    if (error != 0)
        Fail(error);
    OpenTemporary(S_ISREG(existing.st_mode) ? &existing : nullptr);
}

void OutputFile::OpenDescriptor(int descriptor)
{
    const int flags = ::fcntl(descriptor, F_GETFL);
    if (flags < 0)
        Fail(EBADF);
    if ((flags & O_ACCMODE) == O_RDONLY)
        Fail(EBADF);
    // A copy, so that closing it leaves the caller's descriptor open; it shares
    // the offset and O_APPEND, so the table lands where the shell meant it to.
    const int copy = ::fcntl(descriptor, F_DUPFD_CLOEXEC, 3);
    if (copy < 0)
        Fail(errno);
    AttachStream(copy);
}

OutputFile::~OutputFile()
{
    Discard();
}

void OutputFile::Discard() noexcept
{
    if (stream_ != nullptr)
        std::fclose(std::exchange(stream_, nullptr));
    if (!temporary_.empty()) {
        ::unlink(temporary_.c_str());
        ReleaseTemporary();
        temporary_.clear();
    }
}

void OutputFile::OpenDirect()
{
    const int descriptor = ::open(target_.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0)
        Fail(errno);
    AttachStream(descriptor);
}

void OutputFile::OpenTemporary(const struct stat* existing)
{
    std::string temporary = Directory(target_) + "/" + kTemporaryName;
    {
        const SignalsHeld held;
        const int descriptor = ::mkostemp(temporary.data(), O_CLOEXEC);
        if (descriptor < 0 && (errno == EACCES || errno == EPERM))
            FailInFolder(_("no permission to write in the folder %s; the file is replaced by a "
                           "new one written beside it, so the folder must allow writing"));
        // The folder is there, but takes no new files (/proc, /sys).
        struct stat folder {};
        if (descriptor < 0 && errno == ENOENT && ::stat(Directory(target_).c_str(), &folder) == 0)
            FailInFolder(_("the folder %s takes no new files; the file is replaced by a new one "
                           "written beside it"));
        if (descriptor < 0)
            Fail(errno);
        temporary_ = std::move(temporary);
        GuardTemporary(temporary_);
        AttachStream(descriptor);
    }

    // The replacement keeps the file's permission bits but never setuid, setgid
    // or sticky; a new file gets what the umask leaves of 0666.
    mode_t mode = 0;
    if (existing != nullptr) {
        mode = existing->st_mode & 0777;
        // Root replacing someone else's file leaves it theirs.
        if (::geteuid() == 0 && ::fchown(::fileno(stream_), existing->st_uid, existing->st_gid) != 0)
            Fail(errno);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(::fileno(stream_), mode) != 0)
        Fail(errno);
}

void OutputFile::AttachStream(int descriptor)
{
    stream_ = ::fdopen(descriptor, "wb");
    if (stream_ == nullptr) {
        const int error = errno;
        ::close(descriptor);
        Fail(error);
    }
    buffer_ = std::make_unique<char[]>(kBufferBytes);
    std::setvbuf(stream_, buffer_.get(), _IOFBF, kBufferBytes);
}

void OutputFile::Fail(int error) const
{
    ThrowWriteError(shownPath_, error);
}

void OutputFile::FailInFolder(const char* why) const
{
    std::string reason = why;
    if (const std::size_t at = reason.find("%s"); at != std::string::npos)
        reason.replace(at, 2, ShownPath(Directory(target_)));
    ThrowWriteError(shownPath_, reason);
}

void OutputFile::Commit()
{
    std::FILE* stream = std::exchange(stream_, nullptr);
    int error = 0;
    errno = 0;
    if (std::fflush(stream) != 0 || std::ferror(stream) != 0)
        error = errno != 0 ? errno : EIO;
    else if (!temporary_.empty() && ::fsync(::fileno(stream)) != 0)  // on disk before the rename
        error = errno;
    if (std::fclose(stream) != 0 && error == 0)
        error = errno;
    if (temporary_.empty()) {
        if (error != 0)
            Fail(error);
        return;
    }
    const std::string folderPath = Directory(target_);

    {
        const SignalsHeld held;
        if (error == 0 && ::rename(temporary_.c_str(), target_.c_str()) != 0)
            error = errno;
        if (error != 0)
            ::unlink(temporary_.c_str());
        ReleaseTemporary();
        temporary_.clear();
    }
    // A sticky folder lets only the owner replace a file, whatever its bits.
    if (error == EPERM || error == EACCES)
        FailInFolder(_("the folder %s is sticky and lets no one replace another's file; the file "
                       "is replaced by a new one written beside it, so the folder must allow "
                       "writing"));
    if (error != 0)
        Fail(error);

    // Without this the new name itself may be lost in a crash.
    const int folder = ::open(folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0)
        Fail(errno);
    error = ::fsync(folder) == 0 ? 0 : errno;
    ::close(folder);
    if (error != 0)
        Fail(error);
}

}  // namespace lumiro::coe
