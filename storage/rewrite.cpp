#include "storage/rewrite.h"

#include "storage/document.h"
#include "storage/folder_lock.h"
#include "storage/posix_file.h"
#include "storage/record_reader.h"
#include "storage/record_writer.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace storage {

namespace detail {
namespace {
std::function<void(RewriteStep)> g_stepHook;
}

void setRewriteStepHook(std::function<void(RewriteStep)> hook)
{
    g_stepHook = std::move(hook);
}
} // namespace detail

namespace {

void step(detail::RewriteStep s)
{
    if (detail::g_stepHook)
        detail::g_stepHook(s);
}

// Moves a scratch file left by an interrupted rewrite to a new name the Open dialog lists.
Status moveLeftoverAside(std::string &movedTo)
{
    struct stat st;
    if (::lstat(kScratchName, &st) != 0) {
        if (errno == ENOENT)
            return {};
        return Status::fromErrno(errno, std::string("cannot examine ") + kScratchName);
    }
    if (!S_ISREG(st.st_mode))
        return Status::error(ErrorCode::Io,
            std::string("cannot rewrite: ") + kScratchName + " is in the way and is not a file");
    if (st.st_size == 0) {
        if (::unlink(kScratchName) != 0)
            return Status::fromErrno(errno, std::string("cannot remove ") + kScratchName);
        return {};
    }
    for (int n = 1; n < 100000; ++n) {
        const std::string candidate = "Recovered " + std::to_string(n) + ".scv";
        // link fails rather than replace an existing file, so no document is ever overwritten.
        if (::link(kScratchName, candidate.c_str()) == 0) {
            if (::unlink(kScratchName) != 0)
                return Status::fromErrno(errno, std::string("cannot remove ") + kScratchName);
            movedTo = candidate;
            return detail::syncDirectory(".");
        }
        if (errno == EEXIST)
            continue;
        if (errno != EPERM && errno != ENOSYS && errno != EOPNOTSUPP)
            return Status::fromErrno(
                errno, std::string("cannot move the leftover ") + kScratchName + " aside");
        // A file system without hard links: we hold the lock, so check-then-rename is safe
        // among our programs.
        if (detail::pathExists(candidate))
            continue;
        if (::rename(kScratchName, candidate.c_str()) != 0)
            return Status::fromErrno(
                errno, std::string("cannot move the leftover ") + kScratchName + " aside");
        movedTo = candidate;
        return detail::syncDirectory(".");
    }
    return Status::error(
        ErrorCode::Io, std::string("cannot find a free name for the leftover ") + kScratchName);
}

// Writes one record read from the document, changed as asked; record is null past the end.
Status applyChange(RecordWriter &writer, const RecordChange &change, const TopicRecord *record)
{
    using Action = RecordChange::Action;
    switch (change.action) {
    case Action::Keep:
        return record ? writer.write(*record) : Status();
    case Action::Drop:
        return {};
    case Action::Replace:
        return record ? writer.write(change.record) : Status();
    case Action::InsertBefore:
    case Action::InsertAfter: {
        const bool before = change.action == Action::InsertBefore;
        if (before || !record) {
            if (Status s = writer.write(change.record); !s.ok() || !record)
                return s;
            return writer.write(*record);
        }
        if (Status s = writer.write(*record); !s.ok())
            return s;
        return writer.write(change.record);
    }
    }
    return {};
}

bool isChange(const RecordChange &change, const TopicRecord *record)
{
    if (change.action == RecordChange::Action::Keep)
        return false;
    // Past the end only inserts write anything.
    return record || change.action == RecordChange::Action::InsertBefore
        || change.action == RecordChange::Action::InsertAfter;
}

// Copies the document into the open scratch file, changing records on the way.
Status copyChanged(
    const std::string &path, int scratch, const RecordChangeFn &change, RewriteResult &result)
{
    DocumentReader reader(path);
    RecordWriter writer(scratch, kScratchName);
    TopicRecord record;
    for (;;) {
        const ReadStatus read = reader.next(record);
        if (read == ReadStatus::Error)
            return reader.status();
        const TopicRecord *current = read == ReadStatus::Record ? &record : nullptr;
        if (current)
            ++result.recordsRead;
        const RecordChange changed =
            change ? change(result.recordsRead + (current ? 0 : 1), current) : RecordChange::keep();
        if (isChange(changed, current))
            ++result.changes;
        if (Status s = applyChange(writer, changed, current); !s.ok())
            return s;
        step(detail::RewriteStep::RecordWritten);
        if (!current)
            break;
    }
    result.recordsWritten = writer.recordsWritten();
    return writer.flush();
}

bool sameFile(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

} // namespace

RewriteResult rewriteDocument(const std::string &path, const RecordChangeFn &change)
{
    RewriteResult result;
    detail::FolderLock lock;
    if (result.status = lock.acquire(detail::lockTimeout()); !result.status.ok())
        return result;
    step(detail::RewriteStep::Locked);

    struct stat document;
    if (::stat(path.c_str(), &document) != 0) {
        result.status = Status::fromErrno(errno, "cannot rewrite " + path);
        return result;
    }
    struct stat scratchInfo;
    if (::stat(kScratchName, &scratchInfo) == 0 && sameFile(scratchInfo, document)) {
        result.status = Status::error(
            ErrorCode::Io, "cannot rewrite " + path + ": it is the scratch file " + kScratchName);
        return result;
    }

    if (result.status = moveLeftoverAside(result.leftoverMovedTo); !result.status.ok())
        return result;
    step(detail::RewriteStep::LeftoverMoved);

    detail::UniqueFd scratch =
        detail::openFile(kScratchName, O_WRONLY | O_CREAT | O_EXCL, document.st_mode & 0777);
    if (!scratch.valid()) {
        result.status = Status::fromErrno(errno, std::string("cannot create ") + kScratchName);
        return result;
    }
    step(detail::RewriteStep::ScratchCreated);
    // The new document keeps the old one's permissions, whatever the umask.
    (void)::fchmod(scratch.get(), document.st_mode & 07777);

    Status s = copyChanged(path, scratch.get(), change, result);
    if (s.ok() && ::fsync(scratch.get()) != 0)
        s = Status::fromErrno(errno, std::string("cannot flush ") + kScratchName);
    if (Status closed = scratch.close(std::string("cannot write ") + kScratchName); s.ok())
        s = closed;
    if (s.ok())
        step(detail::RewriteStep::ScratchFlushed);
    if (!s.ok() || result.changes == 0) {
        ::unlink(kScratchName);
        result.status = s;
        result.recordsWritten = 0; // the document was left as it was
        return result;
    }

    if (::rename(kScratchName, path.c_str()) != 0) {
        result.status = Status::fromErrno(errno, "cannot replace " + path);
        ::unlink(kScratchName);
        return result;
    }
    step(detail::RewriteStep::Replaced);
    // The document is replaced: nothing can take the change back now, so a folder that cannot
    // be flushed is told as a warning beside the success. Both folders whose entries changed are
    // flushed, the first failure kept.
    const std::string folder = detail::parentDirectory(path);
    result.warning = detail::syncDirectory(folder);
    if (folder != ".") {
        if (Status working = detail::syncDirectory("."); result.warning.ok())
            result.warning = std::move(working);
    }
    return result;
}

RecordChangeFn replaceRecord(std::uint64_t number, TopicRecord replacement)
{
    return [number, replacement = std::move(replacement)](std::uint64_t n, const TopicRecord *) {
        return n == number ? RecordChange::replace(replacement) : RecordChange::keep();
    };
}

RecordChangeFn dropRecord(std::uint64_t number)
{
    return [number](std::uint64_t n, const TopicRecord *) {
        return n == number ? RecordChange::drop() : RecordChange::keep();
    };
}

RecordChangeFn insertAfterRecord(std::uint64_t number, TopicRecord inserted)
{
    return [number, inserted = std::move(inserted)](std::uint64_t n, const TopicRecord *record) {
        if (number == 0 && n == 1)
            return RecordChange::insertBefore(inserted);
        if (n == number || (!record && n <= number))
            return RecordChange::insertAfter(inserted);
        return RecordChange::keep();
    };
}

RecordChangeFn swapWithNext(std::uint64_t number)
{
    // The first of the pair waits here until the second has been written.
    auto held = std::make_shared<std::optional<TopicRecord>>();
    return [number, held](std::uint64_t n, const TopicRecord *record) {
        if (n == number && record) {
            *held = *record;
            return RecordChange::drop();
        }
        if (!held->has_value())
            return RecordChange::keep();
        TopicRecord first = std::move(**held);
        held->reset();
        // Past the end the held record goes back last, where it was: nothing is lost.
        return RecordChange::insertAfter(std::move(first));
    };
}

} // namespace storage
