#include "storage/folder_lock.h"

#include "storage/document.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace storage::detail {

namespace {

using Clock = std::chrono::steady_clock;

std::chrono::milliseconds g_lockTimeout {15000};

enum class LockResult {
    Locked,
    Busy, // another holder kept it until the deadline
    Failed, // flock refused this file; errno says why
};

// Polls for an exclusive flock on fd until deadline.
LockResult lockUntil(int fd, Clock::time_point deadline)
{
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            return LockResult::Locked;
        if (errno != EWOULDBLOCK && errno != EINTR)
            return LockResult::Failed;
        if (Clock::now() >= deadline)
            return LockResult::Busy;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

Status busy()
{
    return Status::error(
        ErrorCode::Busy, "another program is still changing a document in this folder; try again");
}

// Opens the lock file, creating it when asked. flock needs no write access, so a lock file
// another user made, or one on a read-only file system, still serves when opened for reading.
// On failure errno is that of the first attempt.
UniqueFd openLockFile(bool create)
{
    UniqueFd fd = openFile(kLockName, O_RDWR | (create ? O_CREAT : 0));
    if (fd.valid())
        return fd;
    const int openError = errno;
    if (openError == EACCES || openError == EROFS)
        fd = openFile(kLockName, O_RDONLY);
    if (!fd.valid())
        errno = openError;
    return fd;
}

Status lockFile(UniqueFd &fd, Clock::time_point deadline)
{
    switch (lockUntil(fd.get(), deadline)) {
    case LockResult::Locked:
        return {};
    case LockResult::Busy:
        return busy();
    case LockResult::Failed:
        break;
    }
    return Status::fromErrno(errno, std::string("cannot lock ") + kLockName);
}

} // namespace

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
    const auto deadline = Clock::now() + timeout;

    UniqueFd folder = openFile(".", O_RDONLY | O_DIRECTORY);
    if (folder.valid()) {
        switch (lockUntil(folder.get(), deadline)) {
        case LockResult::Locked:
            break;
        case LockResult::Busy:
            return busy();
        case LockResult::Failed:
            // A file system that locks no folders: the lock file serves, as below.
            folder = UniqueFd();
            break;
        }
    }

    if (folder.valid()) {
        // Programs that lock only the file (earlier versions, or one that cannot list this
        // folder) must exclude us too. The file is taken when it exists and never created here:
        // creating it is what leaves it behind.
        UniqueFd file = openLockFile(false);
        if (!file.valid()) {
            if (errno != ENOENT)
                return Status::fromErrno(errno, std::string("cannot open ") + kLockName);
        } else if (Status s = lockFile(file, deadline); !s.ok()) {
            return s;
        }
        m_folder = std::move(folder);
        m_file = std::move(file);
        return {};
    }

    UniqueFd file = openLockFile(true);
    if (!file.valid()) {
        const int openError = errno;
        // A folder that takes no new files cannot be rewritten in either, so no other program
        // can be rewriting here: go on, and let the write report its own error.
        const bool refused = openError == EACCES || openError == EROFS || openError == EPERM;
        if (refused && ::access(".", W_OK) != 0)
            return {};
        return Status::fromErrno(openError, std::string("cannot open ") + kLockName);
    }
    if (Status s = lockFile(file, deadline); !s.ok())
        return s;
    m_file = std::move(file);
    return {};
}

} // namespace storage::detail
