#include "storage/folder_lock.h"

#include "storage/document.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace storage::detail {

namespace {
std::chrono::milliseconds g_lockTimeout {15000};
}

std::chrono::milliseconds lockTimeout()
{
    return g_lockTimeout;
}

void setLockTimeout(std::chrono::milliseconds timeout)
{
    g_lockTimeout = timeout;
}

Status FolderLock::acquire(std::chrono::milliseconds timeout)
{
    UniqueFd fd = openFile(kLockName, O_RDWR | O_CREAT);
    if (!fd.valid()) {
        const int openError = errno;
        // flock needs no write access, so a lock file another user made still serves.
        if (openError == EACCES)
            fd = openFile(kLockName, O_RDONLY);
        if (!fd.valid()) {
            // A folder that takes no new files cannot be rewritten in either, so no other
            // program can be rewriting here: go on, and let the write report its own error.
            const bool refused = openError == EACCES || openError == EROFS || openError == EPERM;
            if (refused && ::access(".", W_OK) != 0)
                return {};
            return Status::fromErrno(openError, std::string("cannot open ") + kLockName);
        }
    }
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (::flock(fd.get(), LOCK_EX | LOCK_NB) == 0)
            break;
        if (errno != EWOULDBLOCK && errno != EINTR)
            return Status::fromErrno(errno, std::string("cannot lock ") + kLockName);
        if (std::chrono::steady_clock::now() >= deadline)
            return Status::error(ErrorCode::Busy,
                "another program is still changing a document in this folder; try again");
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    m_fd = std::move(fd);
    return {};
}

} // namespace storage::detail
