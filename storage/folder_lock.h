#pragma once

#include "storage/posix_file.h"
#include "storage/status.h"

#include <chrono>

namespace storage::detail {

// Serialises the programs that change documents in the working folder, so that two of them
// never share one "Help.tmp". An flock on a lock file: the kernel drops it when its holder ends,
// however it ends, so a held lock always means a live writer and a scratch file found while
// holding it is a leftover.
class FolderLock
{
public:
    FolderLock() = default;
    FolderLock(FolderLock &&) = default;
    FolderLock &operator=(FolderLock &&) = default;

    // Waits up to timeout for the lock. In a folder that takes no new files nothing can be
    // rewritten either, so there the caller goes on without the lock.
    [[nodiscard]] Status acquire(std::chrono::milliseconds timeout);

private:
    UniqueFd m_fd; // closing it releases the lock
};

// How long a writer waits for another program's rewrite; tests shorten it.
std::chrono::milliseconds lockTimeout();
void setLockTimeout(std::chrono::milliseconds timeout);

} // namespace storage::detail
