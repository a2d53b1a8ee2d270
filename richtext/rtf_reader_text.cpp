// Text: bytes decoded in the destination's code page, characters written as control words, and
// the document's own text on its way into the document. Also the destinations whose text is
// never shown.

#include "richtext/rtf_reader_impl.h"

#include <algorithm>

namespace richtext::detail {

namespace {

bool isHighSurrogate(char16_t c)
{
    return c >= 0xd800 && c < 0xdc00;
}

bool isLowSurrogate(char16_t c)
{
    return c >= 0xdc00 && c < 0xe000;
}

// Unpaired surrogates from \u become U+FFFD so the document holds valid UTF-16.
void repairSurrogates(QString &text)
{
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = text.at(i).unicode();
        if (isHighSurrogate(c) && i + 1 < size && isLowSurrogate(text.at(i + 1).unicode())) {
            ++i;
        } else if (isHighSurrogate(c) || isLowSurrogate(c)) {
            text[i] = QChar::ReplacementCharacter;
        }
    }
}

// Characters, notes, and destinations whose text is not shown.
constexpr Word kTextWordList[] = {
    {"aftncn", &RtfReaderImpl::wordSkipDestination, 0, true},
    {"aftnsep", &RtfReaderImpl::wordSkipDestination, 0, true},
    {"aftnsepc", &RtfReaderImpl::wordSkipDestination, 0, true},
    {"annotation", &RtfReaderImpl::wordSkipDestination, 0, true},
    {"atnauthor", &RtfReaderImpl::wordSkipDestination, 0, true},
    {"atndate", &RtfReaderImpl::wordSkipDestination, 0, true},
    {"atnid", &RtfReaderImpl::wordSkipDestination, 0, true},
    {"atnref", &RtfReaderImpl::wordSkipDestination, 0, true},
    {"bkmkend", &RtfReaderImpl::wordSkipDestination, 0, true},
    {"bkmkstart", &RtfReaderImpl::wordSkipDestination, 0, true},
    {"bullet", &RtfReaderImpl::wordCharacter<u'\u2022'>, 0, false},
    {"chftn", &RtfReaderImpl::wordChftn, 0, false},
    {"column", &RtfReaderImpl::wordCharacter<QChar::LineSeparator>, 0, false},
    {"comment", &RtfReaderImpl::wordSkipDestination, 0, true},
    {"emdash", &RtfReaderImpl::wordCharacter<u'\u2014'>, 0, false},
    {"emspace", &RtfReaderImpl::wordCharacter<u'\u2003'>, 0, false},
    {"endash", &RtfReaderImpl::wordCharacter<u'\u2013'>, 0, false},
    {"enspace", &RtfReaderImpl::wordCharacter<u'\u2002'>, 0, false},
    {"filetbl", &RtfReaderImpl::wordSkipDestination, 0, true},
    {"footer", &RtfReaderImpl::wordSkipDestination, 0, true},
    {"footerf", &RtfReaderImpl::wordSkipDestination, 0, true},
    {"footerl", &RtfReaderImpl::wordSkipDestination, 0, true},
    {"footerr", &RtfReaderImpl::wordSkipDestination, 0, true},
    {"footnote", &RtfReaderImpl::wordFootnote, 0, true},
    {"ftncn", &RtfReaderImpl::wordSkipDestination, 0, true},
    {"ftnsep", &RtfReaderImpl::wordSkipDestination, 0, true},
    {"ftnsepc", &RtfReaderImpl::wordSkipDestination, 0, true},
    {"generator", &RtfReaderImpl::wordSkipDestination, 0, true},
    {"header", &RtfReaderImpl::wordSkipDestination, 0, true},
    {"headerf", &RtfReaderImpl::wordSkipDestination, 0, true},
    {"headerl", &RtfReaderImpl::wordSkipDestination, 0, true},
    {"headerr", &RtfReaderImpl::wordSkipDestination, 0, true},
    {"info", &RtfReaderImpl::wordSkipDestination, 0, true},
    {"ldblquote", &RtfReaderImpl::wordCharacter<u'\u201c'>, 0, false},
    {"line", &RtfReaderImpl::wordCharacter<QChar::LineSeparator>, 0, false},
    {"lquote", &RtfReaderImpl::wordCharacter<u'\u2018'>, 0, false},
    {"ltrmark", &RtfReaderImpl::wordCharacter<u'\u200e'>, 0, false},
    {"pgdsctbl", &RtfReaderImpl::wordSkipDestination, 0, true},
    {"qmspace", &RtfReaderImpl::wordCharacter<u'\u2005'>, 0, false},
    {"rdblquote", &RtfReaderImpl::wordCharacter<u'\u201d'>, 0, false},
    {"revtbl", &RtfReaderImpl::wordSkipDestination, 0, true},
    {"rquote", &RtfReaderImpl::wordCharacter<u'\u2019'>, 0, false},
    {"rsidtbl", &RtfReaderImpl::wordSkipDestination, 0, true},
    {"rtf", &RtfReaderImpl::wordIgnore, 1, false},
    {"rtlmark", &RtfReaderImpl::wordCharacter<u'\u200f'>, 0, false},
    {"tab", &RtfReaderImpl::wordCharacter<u'\t'>, 0, false},
    {"tc", &RtfReaderImpl::wordSkipDestination, 0, true},
    {"tcn", &RtfReaderImpl::wordSkipDestination, 0, true},
    {"template", &RtfReaderImpl::wordSkipDestination, 0, true},
    {"txe", &RtfReaderImpl::wordSkipDestination, 0, true},
    {"xe", &RtfReaderImpl::wordSkipDestination, 0, true},
    {"zwbo", &RtfReaderImpl::wordCharacter<u'\u200b'>, 0, false},
    {"zwj", &RtfReaderImpl::wordCharacter<u'\u200d'>, 0, false},
    {"zwnj", &RtfReaderImpl::wordCharacter<u'\u200c'>, 0, false},
};
static_assert(isSorted(kTextWordList));

// Every destination whose text is characters takes these.
constexpr Word kUnicodeWordList[] = {
    {"u", &RtfReaderImpl::wordUnicode, 0, false},
    {"uc", &RtfReaderImpl::wordUnicodeSkip, 1, false},
};
static_assert(isSorted(kUnicodeWordList));

constexpr Word kUnicodeAlternativeWordList[] = {
    {"upr", &RtfReaderImpl::wordAnsiAlternative, 0, true},
};

// Inside \upr only its Unicode twin counts.
constexpr Word kAnsiAlternativeWords[] = {
    {"ud", &RtfReaderImpl::wordUnicodeAlternative, 0, true},
};

} // namespace

constexpr WordTable kTextWords = kTextWordList;
constexpr WordTable kUnicodeWords = kUnicodeWordList;
constexpr WordTable kUnicodeAlternativeWords = kUnicodeAlternativeWordList;

const WordIndex &bodyWords()
{
    return wordIndex<kTextWords, kUnicodeWords, kUnicodeAlternativeWords, kFontBodyWords,
        kCharacterFormatWords, kCharacterBodyWords, kParagraphFormatWords, kParagraphBodyWords,
        kTableWords, kFieldWords, kPictureBodyWords, kListBodyWords, kStyleBodyWords>();
}

constexpr Destination kBody {
    .words = &bodyWords,
    .bodyText = true,
    .text = &RtfReaderImpl::appendBytes,
    .characters = &RtfReaderImpl::showText,
};

constexpr Destination kSkip {};

constexpr Destination kAnsiAlternative {
    .words = &wordIndex<kAnsiAlternativeWords>,
};

// Text on its way

int RtfReaderImpl::textCodePage() const
{
    const auto codePage = m_state.destination->codePage;
    return codePage ? (this->*codePage)() : m_state.codePage;
}

void RtfReaderImpl::appendBytes(QByteArrayView bytes)
{
    const int codePage = textCodePage();
    if (!m_pending.bytes.isEmpty() && codePage != m_pending.bytesCodePage)
        decodeBytes();
    m_pending.bytesCodePage = codePage;
    m_pending.bytes.append(bytes.data(), bytes.size());
}

void RtfReaderImpl::decodeBytes()
{
    if (m_pending.bytes.isEmpty())
        return;
    m_pending.decoded.resize(0);
    m_decoder.decode(m_pending.bytes, m_pending.bytesCodePage, m_pending.decoded);
    m_pending.bytes.resize(0);
    appendChars(m_pending.decoded);
}

void RtfReaderImpl::appendChar(char16_t c)
{
    decodeBytes();
    appendChars(QStringView(&c, 1));
}

void RtfReaderImpl::appendChars(QStringView chars)
{
    if (const auto take = m_state.destination->characters)
        (this->*take)(chars);
}

void RtfReaderImpl::showText(QStringView chars)
{
    if (chars.isEmpty())
        return;
    const CharProps shown = shownChars();
    if (shown.hidden)
        return;
    if (!m_fields.isEmpty())
        m_fields.last().resultShown = true;
    if (!m_paragraph.hasContent && !m_paragraph.labelled && m_state.destination == &kBody)
        insertListLabel();
    prepareContent();
    if (!m_pending.chars.isEmpty() && !(m_pending.props == shown))
        flushText();
    m_pending.props = shown;
    QString &text = m_pending.chars;
    const qsizetype before = text.size();
    for (QChar c : chars) {
        // An escaped line end (\'0d, \'0a) breaks the line; other C0 controls are not text.
        if (c.unicode() >= 0x20 || c.unicode() == '\t')
            text.append(c);
        else if (c.unicode() == '\r' || c.unicode() == '\n')
            text.append(QChar::LineSeparator);
    }
    if (text.size() > before) {
        m_paragraph.hasContent = true;
        m_paragraph.contentPara = m_state.para;
    }
}

void RtfReaderImpl::flushText()
{
    if (m_pending.chars.isEmpty())
        return;
    repairSurrogates(m_pending.chars);
    m_cursor.insertText(m_pending.chars, charFormat(m_pending.props));
    m_pending.chars.resize(0);
}

// Words

void RtfReaderImpl::wordSkipDestination(int)
{
    m_state.destination = &kSkip;
}

template<char16_t Character>
void RtfReaderImpl::wordCharacter(int)
{
    appendChar(Character);
}

void RtfReaderImpl::wordUnicode(int value)
{
    if (value < 0)
        value += 65536;
    if (value >= 0 && value <= 0xffff) {
        char16_t c = static_cast<char16_t>(value);
        // Frame markers would make the document's structure; they are not text.
        if (c == 0xfdd0 || c == 0xfdd1)
            c = QChar::ReplacementCharacter;
        if (textCodePage() == kSymbolCodePage)
            c = symbolFontBullet(c);
        appendChar(c);
    }
    m_pending.fallbackToSkip = m_state.unicodeSkip;
}

void RtfReaderImpl::wordUnicodeSkip(int count)
{
    m_state.unicodeSkip = std::clamp(count, 0, 16);
}

void RtfReaderImpl::wordAnsiAlternative(int)
{
    m_state.destination = &kAnsiAlternative;
}

void RtfReaderImpl::wordUnicodeAlternative(int)
{
    // {\upr{ANSI text}{\*\ud{Unicode text}}}: the text goes where the \upr group's text went.
    const qsizetype outer = m_stack.size() - 2;
    m_state.destination = outer >= 0 ? m_stack.at(outer).destination : &kBody;
    if (m_state.destination == &kAnsiAlternative)
        m_state.destination = &kSkip;
}

void RtfReaderImpl::wordFootnote(int)
{
    // Footnote text is not shown; its number stays in the body through \chftn.
    m_state.destination = &kSkip;
}

void RtfReaderImpl::wordChftn(int)
{
    if (!inBodyText())
        return;
    appendChars(QString::number(++m_counters.footnotes));
}

} // namespace richtext::detail
