#pragma once
// In-memory files that hold a fuzz input, for the readers that open font files by path.

#include <QString>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <sys/mman.h>
#include <unistd.h>

namespace fuzzfiles {

/// Reports the failed system call `what` and ends the run: the fuzzer cannot go on without its
/// files.
[[noreturn]] inline void fail(const char *what)
{
    std::perror(what);
    std::abort();
}

/// An in-memory file for the whole run: a fresh one per input would cost a system call or two
/// more each time, and closing it never leaks. Readers open it anew by path().
class MemoryFile
{
public:
    MemoryFile()
        : m_fd(::memfd_create("gw-fuzz-font", MFD_CLOEXEC))
    {
        if (m_fd < 0)
            fail("memfd_create");
    }

    /// The path that opens this file, with its own offset and its own fstat().
    QString path() const { return QStringLiteral("/proc/self/fd/%1").arg(m_fd); }

    /// Replaces the file's contents with `size` bytes at `data`.
    void setContents(const uint8_t *data, size_t size)
    {
        // Truncating first drops the bytes of a longer previous input.
        if (::ftruncate(m_fd, 0) != 0)
            fail("ftruncate");
        size_t done = 0;
        while (done < size) {
            const ssize_t written = ::pwrite(m_fd, data + done, size - done, off_t(done));
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0)
                fail("pwrite");
            done += size_t(written);
        }
    }

private:
    int m_fd;
};

} // namespace fuzzfiles
