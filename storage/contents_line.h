#pragma once

#include "storage/topic_record.h"

#include <cstddef>
#include <string>

namespace storage {

// The widest indent a contents line gets. Levels are normally 0 to 2; a stray huge level must
// not make a line of millions of blanks.
constexpr std::size_t kMaxIndent = 300;

// Blanks before a topic's name: 3 x level, a half rounded to the even neighbour. A level that is
// not a number, or is below 0, gives none.
std::size_t indentWidth(const FieldValue &level);

// The contents line of a record: the indent, then the topic name's bytes.
std::string contentsLine(const TopicRecord &record);

} // namespace storage
