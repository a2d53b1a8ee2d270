#include "storage/posix_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace storage::detail {

UniqueFd &UniqueFd::operator=(UniqueFd &&other) noexcept
{
    if (this != &other) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = other.release();
    }
    return *this;
}

UniqueFd::~UniqueFd()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

int UniqueFd::release()
{
    const int fd = m_fd;
    m_fd = -1;
    return fd;
}

Status UniqueFd::close(std::string_view what)
{
    const int fd = release();
    if (fd < 0)
        return {};
    // Linux releases the descriptor even when close fails; never retry it.
    if (::close(fd) != 0 && errno != EINTR)
        return Status::fromErrno(errno, what);
    return {};
}

UniqueFd openFile(const std::string &path, int flags, int mode)
{
    int fd;
    do {
        fd = ::open(path.c_str(), flags | O_CLOEXEC, mode);
    } while (fd < 0 && errno == EINTR);
    return UniqueFd(fd);
}

Status writeAll(int fd, std::string_view data, std::string_view what)
{
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return Status::fromErrno(errno, what);
        }
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return {};
}

long readSome(int fd, char *buffer, std::size_t size)
{
    for (;;) {
        const ssize_t n = ::read(fd, buffer, size);
        if (n >= 0 || errno != EINTR)
            return static_cast<long>(n);
    }
}

std::string parentDirectory(const std::string &path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

Status syncDirectory(const std::string &directory)
{
    // Every message names the flush: a caller may pass it on after the change itself is made.
    const std::string what = "cannot flush folder " + directory + " to disk";
    UniqueFd dir = openFile(directory, O_RDONLY | O_DIRECTORY);
    if (!dir.valid())
        return Status::fromErrno(errno, what + " (it cannot be opened)");
    if (::fsync(dir.get()) != 0 && errno != EINVAL)
        return Status::fromErrno(errno, what);
    return dir.close(what);
}

bool pathExists(const std::string &path)
{
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

} // namespace storage::detail
