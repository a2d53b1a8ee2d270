// Field instructions: where a HYPERLINK field points.

#include "richtext/rtf_reader_impl.h"

namespace richtext::detail {

namespace {

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

} // namespace

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

void RtfReaderImpl::finishField(const QString &instruction, bool resultShown)
{
    // A SYMBOL field without a result shows its character.
    if (resultShown || !inBodyText())
        return;
    const SymbolField symbol = symbolField(instruction);
    if (symbol.code < 0)
        return;
    const CharProps saved = m_state.chars;
    int codePage = m_ansiCodePage;
    if (!symbol.font.isEmpty()) {
        m_state.chars.font = fontNumberNamed(symbol.font);
        m_state.chars.stated |= CharField::Font;
        codePage = m_fonts.value(m_state.chars.font).codePage;
        if (codePage == 0)
            codePage = m_ansiCodePage;
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
