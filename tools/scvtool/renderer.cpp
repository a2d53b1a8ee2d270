#include "renderer.h"

#include "output.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <unistd.h>

namespace scvtool {

namespace {

// The folder this executable lies in, with a final slash; empty when it cannot be found.
std::string ownFolder()
{
    char path[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0)
        return {};
    const std::string self(path, static_cast<std::size_t>(length));
    return self.substr(0, self.rfind('/') + 1);
}

} // namespace

Exit runRenderer(const std::vector<std::string> &arguments, std::string_view what)
{
    const std::string renderer = ownFolder() + "scvtool-render";
    flushOut();
    std::vector<char *> argv;
    argv.push_back(const_cast<char *>("scvtool-render"));
    for (const std::string &argument : arguments)
        argv.push_back(const_cast<char *>(argument.c_str()));
    argv.push_back(nullptr);
    ::execv(renderer.c_str(), argv.data());
    printError(
        "cannot run " + renderer + ", which " + std::string(what) + ": " + std::strerror(errno));
    return Exit::Failure;
}

} // namespace scvtool
