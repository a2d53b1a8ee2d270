#include "storage/word_finder.h"

#include <cstring>

namespace storage {

namespace {

// How often a byte turns up in RTF help text, roughly: higher is more common.
int commonness(unsigned char c)
{
    // Lower-case letters in the order of their frequency in English text.
    static constexpr std::string_view kLetters = "etaoinsrhldcumfpgwybvkxjqz";
    if (c == ' ' || c == '\\' || c == '{' || c == '}' || c == '\r' || c == '\n')
        return 100;
    if (c >= 'a' && c <= 'z')
        return 90 - static_cast<int>(kLetters.find(static_cast<char>(c))) * 3;
    if (c >= 'A' && c <= 'Z')
        return 20 - static_cast<int>(kLetters.find(static_cast<char>(c - 'A' + 'a'))) / 2;
    if (c >= '0' && c <= '9')
        return 30;
    if (c < 0x80)
        return 10;
    return 1;
}

} // namespace

WordFinder::WordFinder(std::string word)
    : m_word(std::move(word))
    , m_anchor(0)
{
    for (std::size_t i = 1; i < m_word.size(); ++i) {
        if (commonness(static_cast<unsigned char>(m_word[i]))
            < commonness(static_cast<unsigned char>(m_word[m_anchor])))
            m_anchor = i;
    }
}

bool WordFinder::foundIn(std::string_view text) const
{
    const std::size_t size = m_word.size();
    if (size == 0)
        return !text.empty();
    if (text.size() < size)
        return false;
    const char anchor = m_word[m_anchor];
    // The anchor byte of a match lies between these two, inclusive of the first.
    const char *from = text.data() + m_anchor;
    const char *const end = text.data() + text.size() - size + m_anchor + 1;
    while (from < end) {
        const auto *hit = static_cast<const char *>(
            std::memchr(from, anchor, static_cast<std::size_t>(end - from)));
        if (!hit)
            return false;
        if (std::memcmp(hit - m_anchor, m_word.data(), size) == 0)
            return true;
        from = hit + 1;
    }
    return false;
}

} // namespace storage
