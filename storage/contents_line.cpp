#include "storage/contents_line.h"

#include <cmath>

namespace storage {

std::size_t indentWidth(const FieldValue &level)
{
    const auto value = level.asNumber();
    if (!value || !(*value >= 0))
        return 0;
    // nearbyint rounds in the default mode, to nearest with halves to even.
    const double blanks = std::nearbyint(3 * *value);
    if (blanks >= static_cast<double>(kMaxIndent))
        return kMaxIndent;
    return static_cast<std::size_t>(blanks);
}

std::string contentsLine(const TopicRecord &record)
{
    std::string line(indentWidth(record.level), ' ');
    line += record.name.text();
    return line;
}

} // namespace storage
