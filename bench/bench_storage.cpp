// The storage operations scvtool has no command for, and a peak-memory probe:
//   bench_storage scan FILE             reads every record whole with DocumentReader::next
//   bench_storage headings FILE         reads every level and name, as a contents list does
//   bench_storage rewrite FILE N        replaces record N through rewriteDocument; run it in
//                                       the document's folder, where Help.tmp is made
//   bench_storage append FILE           appends a copy of record 1 through appendRecord, as a
//                                       save of a new topic does
//   bench_storage peak-memory CMD ...   runs CMD, its stdout thrown away, and prints its
//                                       largest resident set in KiB

#include "storage/document.h"
#include "storage/record_reader.h"
#include "storage/rewrite.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <string_view>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

int fail(const std::string &message)
{
    std::fprintf(stderr, "bench_storage: %s\n", message.c_str());
    return 1;
}

int scan(const std::string &path, storage::RecordParts parts)
{
    storage::DocumentReader reader(path);
    storage::TopicRecord record;
    std::uint64_t textBytes = 0;
    std::uint64_t largest = 0;
    storage::ReadStatus read;
    while ((read = reader.next(record, parts)) == storage::ReadStatus::Record) {
        const std::uint64_t bytes = record.text.text().size() + record.name.text().size();
        textBytes += bytes;
        largest = std::max(largest, bytes);
    }
    if (read == storage::ReadStatus::Error)
        return fail(reader.status().message());
    std::printf("%llu records, %llu bytes kept, the largest record %llu bytes\n",
        static_cast<unsigned long long>(reader.recordsRead()),
        static_cast<unsigned long long>(textBytes), static_cast<unsigned long long>(largest));
    return 0;
}

int rewrite(const std::string &path, const char *numberText)
{
    const std::uint64_t number = std::strtoull(numberText, nullptr, 10);
    if (number == 0)
        return fail("the record number must be a positive whole number");
    const storage::TopicRecord replacement = storage::stringRecord("1", "Rewritten topic",
        "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\\f0\\fs20 "
        "Replaced by the benchmark.\\par\r\n}\r\n");
    const storage::RewriteResult result =
        storage::rewriteDocument(path, storage::replaceRecord(number, replacement));
    if (!result.status.ok())
        return fail(result.status.message());
    if (result.changes != 1)
        return fail("the document has no record " + std::string(numberText));
    std::printf("%llu records written\n", static_cast<unsigned long long>(result.recordsWritten));
    return 0;
}

int append(const std::string &path)
{
    storage::DocumentReader reader(path);
    storage::TopicRecord record;
    if (reader.readRecord(1, record) != storage::ReadStatus::Record)
        return fail("cannot read record 1 of " + path);
    if (const storage::Status status = storage::appendRecord(path, record); !status.ok())
        return fail(status.message());
    return 0;
}

int peakMemory(char *command[])
{
    const pid_t child = ::fork();
    if (child < 0)
        return fail(std::string("cannot start a process: ") + std::strerror(errno));
    if (child == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        if (null >= 0)
            ::dup2(null, STDOUT_FILENO);
        ::execvp(command[0], command);
        std::fprintf(
            stderr, "bench_storage: cannot run %s: %s\n", command[0], std::strerror(errno));
        ::_exit(127);
    }
    int status = 0;
    struct rusage usage;
    if (::wait4(child, &status, 0, &usage) < 0)
        return fail(std::string("cannot wait for the process: ") + std::strerror(errno));
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return fail(std::string(command[0]) + " failed");
    std::printf("%ld\n", usage.ru_maxrss);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    const std::string_view what = argc > 1 ? argv[1] : "";
    if (what == "scan" && argc == 3)
        return scan(argv[2], storage::RecordParts::All);
    if (what == "headings" && argc == 3)
        return scan(argv[2], storage::RecordParts::Heading);
    if (what == "rewrite" && argc == 4)
        return rewrite(argv[2], argv[3]);
    if (what == "append" && argc == 3)
        return append(argv[2]);
    if (what == "peak-memory" && argc > 2)
        return peakMemory(argv + 2);
    return fail("usage: bench_storage scan FILE | headings FILE | rewrite FILE N | append FILE | "
                "peak-memory "
                "COMMAND...");
}
