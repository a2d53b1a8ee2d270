#pragma once

#include "storage/posix_file.h"
#include "storage/status.h"

#include <chrono>

namespace storage::detail {

// Serialises the programs that change documents in the working folder, so that two of them
// never share one "Help.tmp". An flock: the kernel drops it when its holder ends, however it
// ends, so a held lock always means a live writer and a scratch file found while holding it is
// a leftover.
//
// The lock is taken on the folder itself, which leaves no file behind. Where the folder cannot
// be opened for reading (a folder one may write in but not list) or locked, the lock file
// "Help.tmp.lock" serves instead, as it did for earlier versions. An existing lock file is
// locked as well, after the folder: an earlier version, or a program that could not lock the
// folder, holds only the file.
class FolderLock
{
public:
    FolderLock() = default;
    FolderLock(FolderLock &&) = default;
    FolderLock &operator=(FolderLock &&) = default;

    // Waits up to timeout for the lock. In a folder that takes no new files nothing can be
    // rewritten either, so there the caller goes on without the lock file.
    [[nodiscard]] Status acquire(std::chrono::milliseconds timeout);

private:
    // Closing either releases its part of the lock.
    UniqueFd m_folder;
    UniqueFd m_file;
};

// How long a writer waits for another program's rewrite; tests shorten it.
std::chrono::milliseconds lockTimeout();
void setLockTimeout(std::chrono::milliseconds timeout);

} // namespace storage::detail
