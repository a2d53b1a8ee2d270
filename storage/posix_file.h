#pragma once

#include "storage/status.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace storage::detail {

// An owned file descriptor, closed when it goes.
class UniqueFd
{
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd)
        : m_fd(fd)
    { }
    UniqueFd(UniqueFd &&other) noexcept
        : m_fd(other.release())
    { }
    UniqueFd &operator=(UniqueFd &&other) noexcept;
    UniqueFd(const UniqueFd &) = delete;
    UniqueFd &operator=(const UniqueFd &) = delete;
    ~UniqueFd();

    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    int release();
    // Closes now and reports a failing close (which can carry a delayed write error).
    Status close(std::string_view what);

private:
    int m_fd = -1;
};

// open(2) that retries on EINTR and sets close-on-exec.
UniqueFd openFile(const std::string &path, int flags, int mode = 0666);

// Writes all of data, retrying short writes and EINTR.
Status writeAll(int fd, std::string_view data, std::string_view what);

// Reads up to size bytes, retrying EINTR. Returns the count, 0 at the end, -1 on error (errno).
long readSome(int fd, char *buffer, std::size_t size);

// The folder part of a path, "." for a bare name.
std::string parentDirectory(const std::string &path);

// Flushes a folder's entries (a rename in it) to disk.
Status syncDirectory(const std::string &directory);

// True when a file or folder of that name exists (lstat).
bool pathExists(const std::string &path);

} // namespace storage::detail
