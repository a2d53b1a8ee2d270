// Fields and links: a \field group holds an instruction, which is collected and never shown,
// and a result, which is shown; a HYPERLINK field's result is a link, and a SYMBOL field without
// a result shows its character.

#include "richtext/rtf_reader_impl.h"

namespace richtext::detail {

namespace {

constexpr Word kFieldWordList[] = {
    {"field", &RtfReaderImpl::wordField, 0, true},
    {"fldinst", &RtfReaderImpl::wordFieldInstruction, 0, true},
    {"fldrslt", &RtfReaderImpl::wordFieldResult, 0, true},
};
static_assert(isSorted(kFieldWordList));

// Splits an instruction into words; a quoted string is one word without its quotes.
QStringList instructionWords(const QString &instruction)
{
    QStringList words;
    qsizetype i = 0;
    const qsizetype size = instruction.size();
    while (i < size) {
        while (i < size && instruction.at(i).isSpace())
            ++i;
        if (i >= size)
            break;
        const QChar first = instruction.at(i);
        if (first == u'"' || first == QChar(0x201c)) {
            ++i;
            const qsizetype start = i;
            while (i < size && instruction.at(i) != u'"' && instruction.at(i) != QChar(0x201d))
                ++i;
            words.append(instruction.mid(start, i - start));
            ++i; // the closing quote
        } else {
            const qsizetype start = i;
            while (i < size && !instruction.at(i).isSpace() && instruction.at(i) != u'"')
                ++i;
            words.append(instruction.mid(start, i - start));
        }
    }
    return words;
}

// What a HYPERLINK field instruction points to, or empty.
QString hyperlinkTarget(const QString &instruction)
{
    const QStringList words = instructionWords(instruction);
    if (words.isEmpty() || words.first().compare(u"HYPERLINK", Qt::CaseInsensitive) != 0)
        return {};
    QString url;
    QString anchor;
    for (qsizetype i = 1; i < words.size(); ++i) {
        const QString &word = words.at(i);
        if (word.size() == 2 && word.at(0) == u'\\') {
            // Switches: \l names a bookmark; \o (tooltip) and \t (frame) take an argument.
            const QChar kind = word.at(1).toLower();
            if (kind == u'l' && i + 1 < words.size())
                anchor = words.at(++i);
            else if ((kind == u'o' || kind == u't') && i + 1 < words.size())
                ++i;
        } else if (url.isEmpty()) {
            url = word;
        }
    }
    if (!anchor.isEmpty())
        return url + u'#' + anchor;
    return url;
}

// The character a SYMBOL field shows: its code (a byte of the font's code page unless
// unicode), and the \f and \s switches; code < 0 when the instruction is no SYMBOL field.
struct SymbolField
{
    int code = -1;
    bool unicode = false;
    QString font;
    int halfPoints = 0;
};

SymbolField symbolField(const QString &instruction)
{
    const QStringList words = instructionWords(instruction);
    SymbolField symbol;
    if (words.size() < 2 || words.first().compare(u"SYMBOL", Qt::CaseInsensitive) != 0)
        return symbol;
    bool ok = false;
    const QString &number = words.at(1);
    const int code = number.startsWith(u"0x", Qt::CaseInsensitive) ? number.mid(2).toInt(&ok, 16)
                                                                   : number.toInt(&ok);
    if (!ok || code <= 0 || code > 0xffff)
        return symbol;
    symbol.code = code;
    for (qsizetype i = 2; i < words.size(); ++i) {
        const QString &word = words.at(i);
        if (word.size() != 2 || word.at(0) != u'\\')
            continue;
        const QChar kind = word.at(1).toLower();
        if (kind == u'u')
            symbol.unicode = true;
        else if (kind == u'f' && i + 1 < words.size())
            symbol.font = words.at(++i);
        else if (kind == u's' && i + 1 < words.size()) {
            const double points = words.at(++i).toDouble();
            symbol.halfPoints = points > 0 ? qRound(std::min(points, 1638.0) * 2) : 0;
        }
    }
    if (code > 0xff)
        symbol.unicode = true;
    return symbol;
}

} // namespace

constexpr WordTable kFieldWords = kFieldWordList;

// Instruction text is collected, never shown; the words of text may stand in it.
constexpr Destination kFieldInstruction {
    .words = &bodyWords,
    .text = &RtfReaderImpl::appendBytes,
    .characters = &RtfReaderImpl::appendInstruction,
};

void RtfReaderImpl::wordField(int)
{
    if (!inBodyText())
        return;
    m_fields.append(OpenField {m_depth, QString()});
}

void RtfReaderImpl::wordFieldInstruction(int)
{
    m_state.destination = m_fields.isEmpty() || !inBodyText() ? &kSkip : &kFieldInstruction;
}

void RtfReaderImpl::appendInstruction(QStringView chars)
{
    if (!m_fields.isEmpty())
        m_fields.last().instruction.append(chars);
}

void RtfReaderImpl::wordFieldResult(int)
{
    if (m_state.destination == &kFieldInstruction) {
        m_state.destination = &kSkip;
        return;
    }
    fieldResultStarts();
}

void RtfReaderImpl::fieldResultStarts()
{
    if (m_fields.isEmpty())
        return;
    const QString target = hyperlinkTarget(m_fields.last().instruction);
    if (target.isEmpty())
        return;
    QList<QString> &links = m_tables.links;
    if (links.isEmpty() || links.last() != target)
        links.append(target);
    m_state.chars.link = static_cast<int>(links.size() - 1);
}

void RtfReaderImpl::finishFields()
{
    // A field ends with its group.
    while (!m_fields.isEmpty() && m_fields.last().depth > m_depth)
        finishField(m_fields.takeLast());
}

void RtfReaderImpl::finishField(const OpenField &field)
{
    // A SYMBOL field without a result shows its character.
    if (field.resultShown || !inBodyText())
        return;
    const SymbolField symbol = symbolField(field.instruction);
    if (symbol.code < 0)
        return;
    const CharProps saved = m_state.chars;
    int codePage = m_tables.ansiCodePage;
    if (!symbol.font.isEmpty()) {
        m_state.chars.font = fontNumberNamed(symbol.font);
        m_state.chars.stated |= CharField::Font;
        codePage = fontCodePage(m_state.chars.font);
    }
    if (symbol.halfPoints > 0) {
        m_state.chars.halfPoints = symbol.halfPoints;
        m_state.chars.stated |= CharField::Size;
    }
    QString text;
    if (symbol.unicode) {
        text = QChar(static_cast<char16_t>(symbol.code));
    } else {
        const char byte = static_cast<char>(symbol.code);
        m_decoder.decode(QByteArrayView(&byte, 1), codePage, text);
    }
    appendChars(text);
    m_state.chars = saved;
}

} // namespace richtext::detail
