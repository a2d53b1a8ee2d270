#pragma once

// Destinations: where the text between "{\word" and its "}" goes. Each is one row that names
// its control words, what its text does, what happens when one of its groups ends, and the code
// page of its text; the reader's main loop asks the current group's row and nothing else.

#include <QByteArrayView>
#include <QStringView>

#include <cstddef>
#include <initializer_list>
#include <span>
#include <string_view>
#include <vector>

namespace richtext::detail {

class RtfReaderImpl;
struct GroupState;

// One control word: its name, what it does, and its argument when none is written.
struct Word
{
    std::string_view name;
    void (RtfReaderImpl::*handler)(int);
    int defaultArgument;
    bool destination; // opens a destination: known even after "\*"
};

// A feature's words for one destination, sorted by name.
using WordTable = std::span<const Word>;

template<std::size_t N>
constexpr bool isSorted(const Word (&table)[N])
{
    for (std::size_t i = 1; i < N; ++i) {
        if (!(table[i - 1].name < table[i].name))
            return false;
    }
    return true;
}

// The words of a destination, gathered from the tables of the features that serve it and sorted
// once, so that a word is found by one binary search.
class WordIndex
{
public:
    // Stops the program when two tables name one word: a fault of this code, which every import
    // would meet.
    WordIndex(std::initializer_list<WordTable> tables);
    const Word *find(std::string_view name) const; // null when the destination has no such word

private:
    std::vector<Word> m_words;
};

// The index of the destination that these tables serve, built at its first use.
template<const auto &...Tables>
const WordIndex &wordIndex()
{
    static const WordIndex index {WordTable(Tables)...};
    return index;
}

struct Destination
{
    const WordIndex &(*words)() = nullptr; // null: every word is unknown here
    bool bodyText = false; // its text is the document's own
    // After a group in it starts.
    void (RtfReaderImpl::*groupStart)() = nullptr;
    // Its text bytes; null: ignored. RtfReaderImpl::appendBytes takes them as characters.
    void (RtfReaderImpl::*text)(QByteArrayView bytes) = nullptr;
    // Its characters, as decoded from its text or written as \u and symbols; null: ignored.
    void (RtfReaderImpl::*characters)(QStringView chars) = nullptr;
    // The data after \bin; null: ignored.
    void (RtfReaderImpl::*binary)(QByteArrayView bytes) = nullptr;
    // The code page of its text; null: the current font's.
    int (RtfReaderImpl::*codePage)() const = nullptr;
    // After a group in it ends, with the state of that group; the state around it is current.
    void (RtfReaderImpl::*groupEnd)(const GroupState &group) = nullptr;
};

// Document text, list labels and field instructions share the words of every feature.
const WordIndex &bodyWords();

// Word tables that serve more than one destination, each in the file of its feature.
extern const WordTable kUnicodeWords; // \u, \uc (rtf_reader_text.cpp)
extern const WordTable kUnicodeAlternativeWords; // \upr (rtf_reader_text.cpp)
extern const WordTable kTextWords; // rtf_reader_text.cpp
extern const WordTable kFontBodyWords; // rtf_reader_font_color.cpp
extern const WordTable kCharacterFormatWords; // rtf_reader_character.cpp, in styles too
extern const WordTable kCharacterBodyWords; // rtf_reader_character.cpp
extern const WordTable kParagraphFormatWords; // rtf_reader_paragraph.cpp, in styles too
extern const WordTable kParagraphBodyWords; // rtf_reader_paragraph.cpp
extern const WordTable kTableWords; // rtf_reader_table.cpp
extern const WordTable kFieldWords; // rtf_reader_field.cpp
extern const WordTable kPictureBodyWords; // rtf_reader_picture.cpp
extern const WordTable kListBodyWords; // rtf_reader_list.cpp
extern const WordTable kStyleBodyWords; // rtf_reader_style.cpp

// The destinations, each defined in the file of its feature.
extern const Destination kBody; // document text (rtf_reader_text.cpp)
extern const Destination kSkip; // everything ignored, nested groups only counted
extern const Destination kAnsiAlternative; // \upr: ANSI text whose {\*\ud} twin is shown
extern const Destination kFontTable; // rtf_reader_font_color.cpp
extern const Destination kColorTable;
extern const Destination kFieldInstruction; // rtf_reader_field.cpp
extern const Destination kPicture; // rtf_reader_picture.cpp
extern const Destination kListText; // a list label as text (rtf_reader_list.cpp)
extern const Destination kListTable; // \listtable and \listoverridetable
extern const Destination kLevelText; // a list level's \leveltext
extern const Destination kOldNumbering; // \pn
extern const Destination kOldNumberingText; // \pntxtb and \pntxta
extern const Destination kStyleSheet; // each group in it defines a style (rtf_reader_style.cpp)
extern const Destination kStyleEntry; // one style's definition

} // namespace richtext::detail
