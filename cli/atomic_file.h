// A file that appears whole or not at all: written beside its target under a
// temporary name, then renamed over it.
#pragma once

#include <cstdio>
#include <stdexcept>
#include <string>

namespace lumiro::coe {

// A failure to write, with a Polish message naming the file.
class WriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class AtomicFile {
public:
    explicit AtomicFile(std::string path);  // throws WriteError
    ~AtomicFile();                          // removes the temporary file unless committed
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    std::FILE* Stream() const { return stream_; }

    // Flushes, syncs and renames over the target; throws WriteError, leaving
    // the target as it was.
    void Commit();

private:
    std::string path_;
    std::string temporary_;
    std::FILE* stream_ = nullptr;
};

// A failed write "to <where>" ("pliku 'x.coe'", "na standardowe wyjście"), with errno's reason.
[[noreturn]] void ThrowWriteError(const std::string& where, int error);

}  // namespace lumiro::coe
