// libFuzzer target: any bytes as the hand-over file through the reader's parser, in one piece
// and in small pieces, which must agree; a name it reads that can be handed over again must
// come back the same. The bytes also serve as a document name to hand over and read back.
// Built and run by tests/fuzz/run_fuzz.sh.

#include "fuzz_support.h"

#include "storage/hand_over.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

using namespace storage;

namespace {

HandOverResult parse(std::string_view bytes)
{
    MemoryByteSource source(bytes);
    return readHandOver(source, kHandOverName);
}

// A name goes through the hand-over line and back whole, or is refused for a double quote.
void roundTrip(const std::string &name)
{
    std::string line;
    const Status written = handOverLine(name, line);
    if (!written.ok()) {
        FUZZ_CHECK(written.code() == ErrorCode::QuoteInValue);
        FUZZ_CHECK(name.find('"') != std::string::npos);
        return;
    }
    FUZZ_CHECK(line.size() >= 2 && line.compare(line.size() - 2, 2, "\r\n") == 0);
    const HandOverResult back = parse(line);
    FUZZ_CHECK(back.status.ok());
    FUZZ_CHECK(back.documentName == name);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);

    const HandOverResult read = parse(bytes);
    fuzzsupport::ChunkedSource pieces(bytes);
    const HandOverResult chunked = readHandOver(pieces, kHandOverName);
    FUZZ_CHECK(chunked.status.code() == read.status.code());
    FUZZ_CHECK(chunked.status.offset() == read.status.offset());
    FUZZ_CHECK(chunked.documentName == read.documentName);

    if (read.status.ok()) {
        // Only the first field counts, so the name is never longer than the input.
        FUZZ_CHECK(read.documentName.size() <= size);
        roundTrip(read.documentName);
    } else {
        FUZZ_CHECK(read.status.code() == ErrorCode::UnterminatedQuote
            || read.status.code() == ErrorCode::FieldTooLarge);
        FUZZ_CHECK(read.documentName.empty());
    }

    // Names up to the reader's limit of 64 KB.
    if (size <= 64 * 1024)
        roundTrip(std::string(bytes));
    return 0;
}
