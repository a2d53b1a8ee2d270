#include "reader/folder_listing.h"

#include <dirent.h>
#include <sys/stat.h>

#include <memory>
#include <string_view>

namespace reader {

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

std::string firstNameEndingWith(const std::string &folder, const std::string &suffix)
{
    DirHandle dir(::opendir(folder.c_str()));
    if (!dir)
        return {};
    while (const dirent *entry = ::readdir(dir.get())) {
        const std::string_view name(entry->d_name);
        if (name.size() >= suffix.size() && name.substr(name.size() - suffix.size()) == suffix
            && isRegularFile(folder, entry))
            return std::string(name);
    }
    return {};
}

} // namespace reader
