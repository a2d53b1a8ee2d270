#pragma once

#include <string>
#include <vector>

namespace folderlisting {

// Whether the folder holds an entry named exactly name, byte for byte, case significant. The
// folder is listed rather than the name opened, so that a file system that ignores case cannot
// answer for a name that differs in case.
bool hasExactName(const std::string &folder, const std::string &name);

// The first regular file of the folder whose name ends in suffix, in the order the folder lists
// its entries (no sorting); empty when there is none or the folder cannot be listed.
std::string firstNameEndingWith(const std::string &folder, const std::string &suffix);

struct NameListing
{
    std::vector<std::string> names;
    int error = 0; // errno of a failed listing; 0 when the folder was listed whole
};

// Every regular file of the folder whose name ends in suffix, in the order the folder lists
// its entries.
NameListing namesEndingWith(const std::string &folder, const std::string &suffix);

} // namespace folderlisting
