#include "storage/document.h"

#include "storage/folder_lock.h"
#include "storage/posix_file.h"
#include "storage/record_reader.h"
#include "storage/record_writer.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace storage {

Status createEmptyDocument(const std::string &path)
{
    detail::UniqueFd fd = detail::openFile(path, O_WRONLY | O_CREAT | O_APPEND);
    if (!fd.valid())
        return Status::fromErrno(errno, "cannot create " + path);
    return fd.close("cannot create " + path);
}

CountResult countRecords(const std::string &path)
{
    DocumentReader reader(path);
    CountResult result;
    for (;;) {
        const ReadStatus read = reader.skip();
        if (read == ReadStatus::Record)
            continue;
        if (read == ReadStatus::Error)
            result.status = reader.status();
        break;
    }
    result.count = reader.recordsRead();
    return result;
}

Status removeDocument(const std::string &path)
{
    detail::FolderLock lock;
    if (Status s = lock.acquire(detail::lockTimeout()); !s.ok())
        return s;
    if (::unlink(path.c_str()) != 0)
        return Status::fromErrno(errno, "cannot delete " + path);
    return {};
}

Status appendRecord(const std::string &path, const TopicRecord &record)
{
    if (Status s = checkRecord(record); !s.ok())
        return s; // refused before the file is touched
    detail::FolderLock lock;
    if (Status s = lock.acquire(detail::lockTimeout()); !s.ok())
        return s;

    const std::string what = "cannot add the topic to " + path;
    detail::UniqueFd fd = detail::openFile(path, O_RDWR | O_APPEND);
    if (!fd.valid())
        return Status::fromErrno(errno, what);
    struct stat before;
    if (::fstat(fd.get(), &before) != 0)
        return Status::fromErrno(errno, what);

    // A record written after damage (a document cut short by another program) could never be
    // read back, so a damaged document takes nothing.
    if (const CountResult whole = countRecords(path); !whole.status.ok())
        return whole.status;
    // The last record may end without its line end, which reads whole; the new one must not be
    // glued onto it.
    std::string bytes;
    if (before.st_size > 0) {
        char last = 0;
        if (::pread(fd.get(), &last, 1, before.st_size - 1) != 1)
            return Status::fromErrno(errno, what);
        if (last != '\n' && last != '\r')
            bytes = "\r\n";
    }

    // One write call for the whole record keeps the window in which a crash could leave half a
    // record as small as it can be.
    std::string formatted;
    Status s = formatRecord(record, formatted);
    bytes += formatted;
    if (s.ok())
        s = detail::writeAll(fd.get(), bytes, what);
    if (s.ok() && ::fsync(fd.get()) != 0)
        s = Status::fromErrno(errno, what);
    if (!s.ok()) {
        // Take back the part of the record that did reach the file.
        if (::ftruncate(fd.get(), before.st_size) == 0)
            (void)::fsync(fd.get());
        return s;
    }
    return fd.close(what);
}

} // namespace storage
