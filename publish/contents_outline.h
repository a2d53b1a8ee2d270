#pragma once

#include "storage/field_value.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace publish {

// One line of a document's contents, as published: the record number (from 1), how deep it
// nests, the topic's name (UTF-8 decoded) and the file name of its page.
struct ContentsEntry
{
    std::uint64_t number = 0;
    int depth = 0;
    QString name;
    QString page;
};

// How deep a topic of this level nests: its contents line's indent in steps of three blanks, so
// that the nesting follows what the contents list shows (a level that is no number is 0).
int contentsDepth(const storage::FieldValue &level);

// For each entry of a list of depths, the entry it nests under: the nearest one before it that
// is less deep and still open; -1 at the top. A list that starts deeper than it goes on (a
// document that starts at level 1 or 2) keeps those first entries at the top beside the
// shallower ones, and a step over a level (0 then 2) nests one step, not two.
std::vector<std::ptrdiff_t> outlineParents(const std::vector<int> &depths);

// The entries [first, last) as nested <ul> lists, each <li> holding what item gives for the
// entry; listClass names the outer list's class (none when empty).
QString nestedList(const std::vector<ContentsEntry> &entries, std::size_t first, std::size_t last,
    const std::function<QString(const ContentsEntry &)> &item, const QString &listClass = {});

} // namespace publish
