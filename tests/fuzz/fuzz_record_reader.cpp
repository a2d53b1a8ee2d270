// libFuzzer target: any bytes as a whole help document through the record reader, read to the
// end in every way the programs read one (whole records, headings only, passing over records,
// one record by number, a tight field limit, in one piece and in small pieces), which must all
// agree; then every record that can be written is written back and must read back the same.
// Built and run by tests/fuzz/run_fuzz.sh.

#include "fuzz_support.h"

#include "storage/contents_line.h"
#include "storage/record_reader.h"
#include "storage/record_writer.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using namespace storage;

namespace {

// A field limit that real documents never meet but fuzz inputs do.
constexpr std::uint64_t kTightLimit = 24;

struct Pass
{
    std::vector<TopicRecord> records;
    ReadStatus last = ReadStatus::End;
    ErrorCode code = ErrorCode::None;
    std::uint64_t record = 0;
    std::uint64_t offset = 0;
    std::uint64_t endOffset = 0;

    bool sameEnd(const Pass &other) const
    {
        return last == other.last && code == other.code && record == other.record
            && offset == other.offset && endOffset == other.endOffset;
    }
};

Pass readAll(
    ByteSource &source, RecordParts parts, std::uint64_t maxField = FieldReader::kDefaultMaxField)
{
    RecordReader reader(source, maxField);
    Pass pass;
    TopicRecord record;
    while ((pass.last = reader.next(record, parts)) == ReadStatus::Record)
        pass.records.push_back(record);
    // Both are final: asking again changes nothing.
    FUZZ_CHECK(reader.next(record, parts) == pass.last);
    FUZZ_CHECK(reader.recordsRead() == pass.records.size());
    pass.code = reader.status().code();
    pass.record = reader.status().record();
    pass.offset = reader.status().offset();
    pass.endOffset = reader.offset();
    return pass;
}

void checkPass(const Pass &pass, std::size_t size)
{
    if (pass.last == ReadStatus::End) {
        FUZZ_CHECK(pass.code == ErrorCode::None);
        FUZZ_CHECK(pass.endOffset == size);
        return;
    }
    FUZZ_CHECK(pass.last == ReadStatus::Error);
    // Memory cannot fail to read: any error is damage, placed in the record that holds it.
    FUZZ_CHECK(pass.code == ErrorCode::CutShort || pass.code == ErrorCode::UnterminatedQuote
        || pass.code == ErrorCode::FieldTooLarge);
    FUZZ_CHECK(pass.record == pass.records.size() + 1);
    FUZZ_CHECK(pass.offset <= size);
}

bool sameHeading(const TopicRecord &a, const TopicRecord &b)
{
    return a.level == b.level && a.name == b.name && a.level.text() == b.level.text()
        && a.name.text() == b.name.text() && b.text.text().empty();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);

    MemoryByteSource whole(bytes);
    const Pass full = readAll(whole, RecordParts::All);
    checkPass(full, size);

    // The reader's buffer refills mid-value must change nothing.
    fuzzsupport::ChunkedSource pieces(bytes);
    const Pass chunked = readAll(pieces, RecordParts::All);
    FUZZ_CHECK(chunked.sameEnd(full));
    FUZZ_CHECK(chunked.records == full.records);

    // The contents lists read headings only: the same records, the same outcome. (In pieces
    // only: each reader costs a large buffer, and one piece is the easy case.)
    {
        fuzzsupport::ChunkedSource chunks(bytes);
        const Pass headings = readAll(chunks, RecordParts::Heading);
        FUZZ_CHECK(headings.sameEnd(full));
        FUZZ_CHECK(headings.records.size() == full.records.size());
        for (std::size_t i = 0; i < full.records.size(); ++i)
            FUZZ_CHECK(sameHeading(full.records[i], headings.records[i]));
    }

    // Counting passes over records without keeping them.
    {
        MemoryByteSource memory(bytes);
        RecordReader reader(memory);
        ReadStatus s;
        while ((s = reader.skip()) == ReadStatus::Record) { }
        FUZZ_CHECK(s == full.last);
        FUZZ_CHECK(reader.recordsRead() == full.records.size());
        FUZZ_CHECK(reader.status().code() == full.code);
        FUZZ_CHECK(reader.offset() == full.endOffset);
    }

    // A topic shown by its number is the one the full read met there.
    if (!full.records.empty()) {
        const std::uint64_t number = 1 + size % full.records.size();
        MemoryByteSource memory(bytes);
        RecordReader reader(memory);
        TopicRecord record;
        FUZZ_CHECK(reader.readRecord(number, record) == ReadStatus::Record);
        FUZZ_CHECK(record == full.records[number - 1]);
        FUZZ_CHECK(record.text.text() == full.records[number - 1].text.text());
        FUZZ_CHECK(reader.readRecord(number, record) == ReadStatus::End);
    }

    // A limit on value sizes only ever stops the read early, never changes what it read.
    {
        fuzzsupport::ChunkedSource chunks(bytes);
        const Pass limited = readAll(chunks, RecordParts::All, kTightLimit);
        checkPass(limited, size);
        FUZZ_CHECK(limited.records.size() <= full.records.size());
        for (std::size_t i = 0; i < limited.records.size(); ++i)
            FUZZ_CHECK(limited.records[i] == full.records[i]);
        if (limited.code != ErrorCode::FieldTooLarge)
            FUZZ_CHECK(limited.sameEnd(full) && limited.records.size() == full.records.size());
    }

    // Contents lines: the name after blanks, never more than the widest indent, whatever the
    // level holds.
    for (const TopicRecord &record : full.records) {
        const std::string line = contentsLine(record);
        const std::string &name = record.name.text();
        FUZZ_CHECK(line.size() >= name.size() && line.size() - name.size() <= kMaxIndent);
        const std::size_t indent = line.size() - name.size();
        FUZZ_CHECK(line.find_first_not_of(' ') >= indent);
        FUZZ_CHECK(line.compare(indent, name.size(), name) == 0);
    }

    // A rewrite writes back what it read: every record that can be written reads back equal,
    // in order, and the file it makes reads to its end.
    std::string written;
    std::vector<TopicRecord> writable;
    for (const TopicRecord &record : full.records) {
        if (!checkRecord(record).ok())
            continue;
        FUZZ_CHECK(formatRecord(record, written).ok());
        writable.push_back(record);
    }
    MemoryByteSource again(written);
    const Pass reread = readAll(again, RecordParts::All);
    FUZZ_CHECK(reread.last == ReadStatus::End);
    FUZZ_CHECK(reread.records == writable);
    return 0;
}
