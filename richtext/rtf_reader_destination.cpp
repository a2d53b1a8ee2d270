#include "richtext/rtf_reader_destination.h"

#include <QtGlobal>

#include <algorithm>
#include <string>

namespace richtext::detail {

namespace {

bool byName(const Word &a, const Word &b)
{
    return a.name < b.name;
}

} // namespace

WordIndex::WordIndex(std::initializer_list<WordTable> tables)
{
    for (const WordTable &table : tables)
        m_words.insert(m_words.end(), table.begin(), table.end());
    std::sort(m_words.begin(), m_words.end(), byName);
    const auto twice = std::adjacent_find(m_words.begin(), m_words.end(),
        [](const Word &a, const Word &b) { return a.name == b.name; });
    if (twice != m_words.end())
        qFatal("RTF reader: two word tables of one destination name \\%s",
            std::string(twice->name).c_str());
}

const Word *WordIndex::find(std::string_view name) const
{
    const auto found = std::lower_bound(m_words.begin(), m_words.end(), name,
        [](const Word &word, std::string_view key) { return word.name < key; });
    return found != m_words.end() && found->name == name ? &*found : nullptr;
}

} // namespace richtext::detail
