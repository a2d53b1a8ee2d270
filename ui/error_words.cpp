#include "ui/error_words.h"

#include <cerrno>
#include <cstring>
#include <iterator>

namespace {

struct Reason
{
    int error;
    const char *creating; // null: the system's wording
    const char *deleting;
};

constexpr Reason kReasons[] = {
    {ENOENT, "the folder it should go in does not exist", "it is no longer there"},
    {ENOTDIR, "a part of the folder path is a file, not a folder", nullptr},
    {EACCES, "you do not have permission to write there",
        "you do not have permission to change this folder"},
    {EPERM, "you do not have permission to write there",
        "you do not have permission to change this folder"},
    {EROFS, "the disk there is read-only", "the disk is read-only"},
    {EISDIR, "a folder of that name is in the way", "it is a folder"},
    {ENAMETOOLONG, "the name is too long", nullptr},
    {ENOSPC, "the disk is full", nullptr},
    {EDQUOT, "the disk is full", nullptr},
    {EBUSY, nullptr, "it is in use"},
};

} // namespace

QString plainReason(int error, FileAction action)
{
    for (const Reason &reason : kReasons) {
        if (reason.error != error)
            continue;
        const char *words = action == FileAction::Creating ? reason.creating : reason.deleting;
        if (words)
            return QString::fromLatin1(words);
        break;
    }
    return QString::fromLocal8Bit(std::strerror(error));
}
