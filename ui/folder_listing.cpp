#include "ui/folder_listing.h"

#include <cerrno>
#include <dirent.h>
#include <memory>
#include <string_view>
#include <sys/stat.h>

namespace folderlisting {

namespace {

struct DirCloser
{
    void operator()(DIR *dir) const { ::closedir(dir); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

bool isRegularFile(const std::string &folder, const dirent *entry)
{
    if (entry->d_type == DT_REG)
        return true;
    if (entry->d_type != DT_UNKNOWN && entry->d_type != DT_LNK)
        return false;
    // Links count as what they point to, as an open would see them.
    struct stat info
    { };
    const std::string path = folder + '/' + entry->d_name;
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

} // namespace

bool hasExactName(const std::string &folder, const std::string &name)
{
    DirHandle dir(::opendir(folder.c_str()));
    if (!dir)
        return false;
    while (const dirent *entry = ::readdir(dir.get())) {
        if (name == entry->d_name)
            return true;
    }
    return false;
}

namespace {

bool endsWith(std::string_view name, const std::string &suffix)
{
    return name.size() >= suffix.size() && name.substr(name.size() - suffix.size()) == suffix;
}

} // namespace

NameListing namesEndingWith(const std::string &folder, const std::string &suffix)
{
    NameListing listing;
    DirHandle dir(::opendir(folder.c_str()));
    if (!dir) {
        listing.error = errno;
        return listing;
    }
    for (;;) {
        errno = 0;
        const dirent *entry = ::readdir(dir.get());
        if (!entry) {
            listing.error = errno;
            return listing;
        }
        if (endsWith(entry->d_name, suffix) && isRegularFile(folder, entry))
            listing.names.emplace_back(entry->d_name);
    }
}

std::string firstNameEndingWith(const std::string &folder, const std::string &suffix)
{
    DirHandle dir(::opendir(folder.c_str()));
    if (!dir)
        return {};
    while (const dirent *entry = ::readdir(dir.get())) {
        if (endsWith(entry->d_name, suffix) && isRegularFile(folder, entry))
            return entry->d_name;
    }
    return {};
}

} // namespace folderlisting
