#include "output.h"

#include <cerrno>
#include <cstdio>

namespace scvtool {

namespace {

int g_outputError = 0;

bool failOutput()
{
    if (g_outputError == 0)
        g_outputError = errno != 0 ? errno : EIO;
    return false;
}

} // namespace

bool writeOut(std::string_view bytes)
{
    if (g_outputError != 0)
        return false;
    if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size())
        return failOutput();
    return true;
}

bool flushOut()
{
    if (g_outputError != 0)
        return false;
    if (std::fflush(stdout) != 0)
        return failOutput();
    return true;
}

int outputError()
{
    return g_outputError;
}

void printError(std::string_view message)
{
    // On a terminal the error must come after the lines it follows.
    flushOut();
    std::string line = "scvtool: ";
    line += message;
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stderr);
}

std::string describeFailure(const std::string &file, const storage::Status &status)
{
    if (isDamage(status))
        return file + ": damaged at " + status.message();
    return status.message();
}

Exit reportReadFailure(const std::string &file, const storage::Status &status)
{
    printError(describeFailure(file, status));
    return Exit::Failure;
}

std::string recordCount(std::uint64_t count)
{
    return std::to_string(count) + (count == 1 ? " record" : " records");
}

} // namespace scvtool
