#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <string>

namespace bench {

// Makes topic texts that look like what a word processor pastes: an RTF header with font and
// colour tables, headings, paragraphs of words with bold, italic, code and escaped letters,
// bullet lists, CR LF after each paragraph and within long ones. No double quote, ever.
class RtfText
{
public:
    explicit RtfText(std::uint32_t seed)
        : m_random(seed)
    { }

    // A topic text of about size bytes; when word is not empty, it stands once in its middle.
    std::string topic(std::size_t size, const std::string &word);
    // A topic name in Windows-1252, some with commas and letters beyond ASCII.
    std::string name(std::size_t number);

private:
    std::size_t pick(std::size_t count) { return m_random() % count; }
    void heading(std::string &out);
    void paragraph(std::string &out, const std::string &word);
    void bulletList(std::string &out);
    void sentence(std::string &out, std::size_t &lineLength);

    std::mt19937 m_random;
};

} // namespace bench
