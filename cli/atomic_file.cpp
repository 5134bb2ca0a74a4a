#include "atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <utility>

namespace lumiro::coe {
namespace {

constexpr std::size_t kBufferBytes = std::size_t{1} << 20;

std::string Directory(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The mode a newly created file would get, or the target's own if it exists.
mode_t ModeFor(const std::string& path)
{
    struct stat existing {};
    if (::stat(path.c_str(), &existing) == 0)
        return existing.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

}  // namespace

void ThrowWriteError(const std::string& where, int error)
{
    throw WriteError("nie udało się zapisać " + where + " (" + std::strerror(error) + ").");
}

AtomicFile::AtomicFile(std::string path) : path_(std::move(path))
{
    std::string name = path_.substr(path_.rfind('/') + 1);
    temporary_ = Directory(path_) + "/." + name + ".XXXXXX";
    const int descriptor = ::mkstemp(temporary_.data());
    if (descriptor < 0) {
        const int error = errno;
        ThrowWriteError("pliku '" + path_ + "'", error);
    }
    if (::fchmod(descriptor, ModeFor(path_)) != 0 ||
        (stream_ = ::fdopen(descriptor, "wb")) == nullptr) {
        const int error = errno;
        ::close(descriptor);
        ::unlink(temporary_.c_str());
        ThrowWriteError("pliku '" + path_ + "'", error);
    }
    std::setvbuf(stream_, nullptr, _IOFBF, kBufferBytes);
}

AtomicFile::~AtomicFile()
{
    if (stream_ != nullptr) {
        std::fclose(stream_);
        ::unlink(temporary_.c_str());
    }
}

void AtomicFile::Commit()
{
    std::FILE* stream = std::exchange(stream_, nullptr);
    int error = 0;
    errno = 0;
    if (std::fflush(stream) != 0 || std::ferror(stream) != 0)
        error = errno != 0 ? errno : EIO;
    else if (::fsync(::fileno(stream)) != 0)  // on disk before it takes the target's name
        error = errno;
    if (std::fclose(stream) != 0 && error == 0)
        error = errno;
    if (error == 0 && ::rename(temporary_.c_str(), path_.c_str()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(temporary_.c_str());
        ThrowWriteError("pliku '" + path_ + "'", error);
    }
}

}  // namespace lumiro::coe
