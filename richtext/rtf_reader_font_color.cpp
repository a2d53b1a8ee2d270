// Fonts and colours: the \fonttbl and \colortbl destinations, and the code pages that the
// document and its fonts give their text.

#include "richtext/rtf_reader_impl.h"

#include <algorithm>
#include <climits>

namespace richtext::detail {

namespace {

constexpr Word kFontBodyWordList[] = {
    {"ansi", &RtfReaderImpl::wordCharacterSet<1252>, 0, false},
    {"ansicpg", &RtfReaderImpl::wordAnsiCodePage, 1252, false},
    {"colortbl", &RtfReaderImpl::wordColorTable, 0, true},
    {"deff", &RtfReaderImpl::wordDefaultFont, 0, false},
    {"fonttbl", &RtfReaderImpl::wordFontTable, 0, true},
    {"mac", &RtfReaderImpl::wordCharacterSet<10000>, 0, false},
    {"pc", &RtfReaderImpl::wordCharacterSet<437>, 0, false},
    {"pca", &RtfReaderImpl::wordCharacterSet<850>, 0, false},
};
static_assert(isSorted(kFontBodyWordList));

// "\f1\fcharset0 Name;" entries, in groups of their own or not.
constexpr Word kFontTableWords[] = {
    {"cpg", &RtfReaderImpl::wordFontCodePage, 1252, false},
    {"f", &RtfReaderImpl::wordFontNumber, 0, false},
    {"falt", &RtfReaderImpl::wordSkipDestination, 0, true},
    {"fcharset", &RtfReaderImpl::wordFontCharset, 0, false},
    {"fname", &RtfReaderImpl::wordSkipDestination, 0, true},
    {"panose", &RtfReaderImpl::wordSkipDestination, 0, true},
};
static_assert(isSorted(kFontTableWords));

// "\red255\green0\blue0;" entries; an entry without them is "auto".
constexpr Word kColorTableWords[] = {
    {"blue", &RtfReaderImpl::wordBlue, 0, false},
    {"green", &RtfReaderImpl::wordGreen, 0, false},
    {"red", &RtfReaderImpl::wordRed, 0, false},
};
static_assert(isSorted(kColorTableWords));

} // namespace

constexpr WordTable kFontBodyWords = kFontBodyWordList;

constexpr Destination kFontTable {
    .words = &wordIndex<kFontTableWords, kUnicodeWords, kUnicodeAlternativeWords>,
    .text = &RtfReaderImpl::fontTableText,
    .characters = &RtfReaderImpl::appendFontName,
    .codePage = &RtfReaderImpl::fontEntryCodePage,
    .groupEnd = &RtfReaderImpl::fontTableEnd,
};

constexpr Destination kColorTable {
    .words = &wordIndex<kColorTableWords>,
    .text = &RtfReaderImpl::colorTableText,
};

// Code pages

template<int CodePage>
void RtfReaderImpl::wordCharacterSet(int)
{
    m_tables.ansiCodePage = CodePage;
    updateCodePage();
}

void RtfReaderImpl::wordAnsiCodePage(int codePage)
{
    // \ansicpg0 is written by some producers; it means no particular code page.
    m_tables.ansiCodePage = codePage > 0 ? codePage : 1252;
    updateCodePage();
}

void RtfReaderImpl::wordDefaultFont(int font)
{
    // Text that states no font, and whose styles state none, is in this one.
    m_tables.defaultFont = font;
    updateCodePage();
}

int RtfReaderImpl::fontCodePage(int font) const
{
    const auto found = m_tables.fonts.constFind(font);
    return found != m_tables.fonts.constEnd() && found->codePage ? found->codePage
                                                                 : m_tables.ansiCodePage;
}

void RtfReaderImpl::updateCodePage()
{
    m_state.codePage = fontCodePage(shownChars().font);
    m_tokenizer.setDoubleByteCodePage(
        isDoubleByteCodePage(m_state.codePage) ? m_state.codePage : 0);
}

// Font table

void RtfReaderImpl::wordFontTable(int)
{
    m_state.destination = &kFontTable;
    m_scratch.font = FontEntry();
    m_scratch.inFontEntry = false;
}

void RtfReaderImpl::wordFontNumber(int font)
{
    if (m_scratch.inFontEntry && m_scratch.font.number != font)
        finishFontName();
    if (!m_scratch.inFontEntry)
        m_scratch.fontEntryDepth = m_depth;
    m_scratch.font.number = font;
    m_scratch.inFontEntry = true;
}

void RtfReaderImpl::wordFontCharset(int charset)
{
    m_scratch.font.codePage = codePageForCharset(charset, 0);
}

void RtfReaderImpl::wordFontCodePage(int codePage)
{
    m_scratch.font.codePage = codePage;
}

void RtfReaderImpl::fontTableText(QByteArrayView bytes)
{
    // "\f1\fcharset0 Name;": the name runs to the semicolon.
    for (qsizetype start = 0; start < bytes.size();) {
        const qsizetype end = bytes.indexOf(';', start);
        appendBytes(end < 0 ? bytes.sliced(start) : bytes.sliced(start, end - start));
        if (end < 0)
            break;
        finishFontName();
        start = end + 1;
    }
}

void RtfReaderImpl::appendFontName(QStringView chars)
{
    m_scratch.font.name.append(chars);
}

int RtfReaderImpl::fontEntryCodePage() const
{
    return m_scratch.font.codePage ? m_scratch.font.codePage : m_tables.ansiCodePage;
}

void RtfReaderImpl::fontTableEnd(const GroupState &group)
{
    // An entry ends with its group; groups inside it hold parts of its name.
    if (m_scratch.inFontEntry && m_depth < m_scratch.fontEntryDepth)
        finishFontName();
    // The fonts are known now.
    if (m_state.destination != group.destination)
        updateCodePage();
}

void RtfReaderImpl::finishFontName()
{
    decodeBytes();
    // Text without a \f before it names no font.
    if (m_scratch.inFontEntry) {
        FontEntry &entry = m_scratch.font;
        entry.name = entry.name.trimmed();
        if (entry.codePage == 0)
            entry.codePage = codePageForFontName(entry.name);
        m_tables.fonts.insert(entry.number, entry);
        m_tables.fontNames.insert(entry.name.toCaseFolded(), entry.number);
    }
    m_scratch.font = FontEntry();
    m_scratch.inFontEntry = false;
    m_format.valid = false;
}

int RtfReaderImpl::fontNumberNamed(const QString &name)
{
    const QString key = name.toCaseFolded();
    const auto known = m_tables.fontNames.constFind(key);
    if (known != m_tables.fontNames.constEnd())
        return *known;
    // A font the table does not have: known by name only, under a number no \f can reach.
    FontEntry entry;
    entry.number = INT_MIN + static_cast<int>(m_tables.fonts.size());
    entry.name = name;
    entry.codePage = codePageForFontName(name);
    m_tables.fonts.insert(entry.number, entry);
    m_tables.fontNames.insert(key, entry.number);
    m_format.valid = false;
    return entry.number;
}

// Colour table

void RtfReaderImpl::wordColorTable(int)
{
    m_state.destination = &kColorTable;
    m_tables.colors.clear();
    m_scratch.red = m_scratch.green = m_scratch.blue = -1;
}

void RtfReaderImpl::wordRed(int value)
{
    m_scratch.red = value;
}

void RtfReaderImpl::wordGreen(int value)
{
    m_scratch.green = value;
}

void RtfReaderImpl::wordBlue(int value)
{
    m_scratch.blue = value;
}

void RtfReaderImpl::colorTableText(QByteArrayView bytes)
{
    for (char c : bytes) {
        if (c == ';')
            finishColor();
    }
}

void RtfReaderImpl::finishColor()
{
    int &red = m_scratch.red;
    int &green = m_scratch.green;
    int &blue = m_scratch.blue;
    if (red < 0 && green < 0 && blue < 0)
        m_tables.colors.append(QColor());
    else
        m_tables.colors.append(
            QColor(std::clamp(red, 0, 255), std::clamp(green, 0, 255), std::clamp(blue, 0, 255)));
    red = green = blue = -1;
    m_format.valid = false;
}

} // namespace richtext::detail
