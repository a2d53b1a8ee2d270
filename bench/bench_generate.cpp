// Writes a help document for the storage benchmark:
//   bench_generate large FILE WORD   300 topics of about 700 KB each, about 200 MB in all
//   bench_generate small FILE WORD   10,000 topics of 1 to 3 KB each
// WORD is planted in the text of a few topics; how many is printed on stdout.

#include "rtf_text.h"

#include "storage/record_writer.h"
#include "storage/topic_record.h"

#include <cstdio>
#include <set>
#include <string>
#include <string_view>

namespace {

struct Shape
{
    std::size_t topics;
    std::size_t minSize;
    std::size_t maxSize;
    std::set<std::size_t> planted; // topic numbers, from 1
};

int fail(const std::string &message)
{
    std::fprintf(stderr, "bench_generate: %s\n", message.c_str());
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 4)
        return fail("usage: bench_generate large|small FILE WORD");
    const std::string_view kind = argv[1];
    const std::string path = argv[2];
    const std::string word = argv[3];
    Shape shape;
    if (kind == "large")
        shape = {300, 660 * 1024, 740 * 1024, {42, 150, 287}};
    else if (kind == "small")
        shape = {10000, 1024, 3 * 1024, {7, 2024, 5000, 7777, 9999}};
    else
        return fail("unknown kind \"" + std::string(kind) + "\"");
    if (word.empty() || word.find('"') != std::string::npos)
        return fail("the word must be non-empty and hold no double quote");

    std::FILE *file = std::fopen(path.c_str(), "wb");
    if (!file)
        return fail("cannot create " + path);
    bench::RtfText text(20240517);
    std::string bytes;
    for (std::size_t number = 1; number <= shape.topics; ++number) {
        const bool plant = shape.planted.count(number) > 0;
        const std::size_t size =
            shape.minSize + (number * 7919) % (shape.maxSize - shape.minSize + 1);
        storage::TopicRecord record =
            storage::stringRecord(std::to_string(number % 10 == 1 ? 0 : 1 + number % 2),
                text.name(number), text.topic(size, plant ? word : std::string()));
        // The search benchmark counts on the planted topics being the only hits.
        if (!plant && record.text.text().find(word) != std::string::npos)
            return fail("the word \"" + word + "\" turns up by chance; choose a rarer one");
        bytes.clear();
        if (storage::Status s = storage::formatRecord(record, bytes); !s.ok())
            return fail(s.message());
        if (std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size())
            return fail("cannot write " + path);
    }
    if (std::fclose(file) != 0)
        return fail("cannot write " + path);
    std::printf("%zu\n", shape.planted.size());
    return 0;
}
