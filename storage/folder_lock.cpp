#include "storage/folder_lock.h"

#include "storage/document.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>

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
        if (errno == EACCES || errno == EROFS || errno == EPERM)
            return {};
        return Status::fromErrno(errno, std::string("cannot open ") + kLockName);
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
