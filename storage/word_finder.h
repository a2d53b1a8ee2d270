#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace storage {

// Whether a topic's stored text contains a word: the exact bytes, case significant, anywhere,
// markup included. An empty word is found in every text that is not empty.
//
// Fast: It jumps with memchr to each place
// where the word's least common byte stands, then compares the whole word there: help texts
// are mostly lower-case letters, blanks and RTF control words, so a rare byte keeps those
// places few and memchr passes over the rest at memory speed.
class WordFinder
{
public:
    explicit WordFinder(std::string word);

    [[nodiscard]] bool foundIn(std::string_view text) const;

private:
    std::string m_word;
    std::size_t m_anchor; // position in m_word of the byte memchr looks for
};

} // namespace storage
