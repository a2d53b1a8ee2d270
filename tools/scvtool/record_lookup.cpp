#include "record_lookup.h"
#include "output.h"

#include "storage/record_lookup.h"

#include <charconv>
#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>
#include <utility>

namespace scvtool {

namespace {

// A record number is a positive whole number in decimal digits. One too large for any document
// is still a record number, of a record that is not there.
std::optional<std::uint64_t> parseRecordNumber(std::string_view text)
{
    if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    std::uint64_t number = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (ec == std::errc::result_out_of_range)
        return std::numeric_limits<std::uint64_t>::max();
    if (ec != std::errc() || number == 0)
        return std::nullopt;
    return number;
}

} // namespace

bool checkRecordNumber(const std::string &text)
{
    if (parseRecordNumber(text))
        return true;
    printError("the record number must be a positive whole number, not \"" + text + "\"");
    return false;
}

Exit lookUpRecord(
    const std::string &file, const std::string &numberText, storage::TopicRecord &record)
{
    if (!checkRecordNumber(numberText))
        return Exit::Usage;
    const std::uint64_t number = *parseRecordNumber(numberText);

    storage::RecordLookup found = storage::lookUpRecord(file, number);
    if (found.read == storage::ReadStatus::Error)
        return reportReadFailure(file, found.status);
    if (found.read == storage::ReadStatus::End) {
        printError(
            file + " has " + recordCount(found.recordsRead) + "; there is no record " + numberText);
        return Exit::Failure;
    }
    record = std::move(found.record);
    return Exit::Success;
}

} // namespace scvtool
