#include "author/sanitiser.h"

#include <QByteArrayView>

namespace author {

namespace {

constexpr char kApostrophe = '\'';

// Codes 33 ('!') to 122 ('z') may end a topic text; anything else there is dropped once.
bool endsTopicText(char c)
{
    const auto code = static_cast<unsigned char>(c);
    return code >= 33 && code <= 122;
}

bool isLowerLetter(char c)
{
    return c >= 'a' && c <= 'z';
}

// The curly double quote control word starting with the backslash at `pos`, if any: exact
// letters, and not the first letters of a longer word.
bool isCurlyQuoteWord(QByteArrayView rtf, qsizetype pos)
{
    static constexpr QByteArrayView kLeft("\\ldblquote");
    static constexpr QByteArrayView kRight("\\rdblquote");
    static_assert(kLeft.size() == kRight.size());
    const qsizetype end = pos + kLeft.size();
    if (end > rtf.size())
        return false;
    const QByteArrayView word = rtf.sliced(pos, kLeft.size());
    if (word != kLeft && word != kRight)
        return false;
    return end == rtf.size() || !isLowerLetter(rtf[end]);
}

} // namespace

QByteArray illegalCharsRemoved(QByteArray rtf)
{
    if (rtf.isEmpty())
        return rtf;
    rtf.replace('"', kApostrophe);
    if (!endsTopicText(rtf.back()))
        rtf.chop(1);

    constexpr qsizetype kWordLength = 10;
    QByteArray out;
    out.reserve(rtf.size());
    const QByteArrayView in(rtf);
    qsizetype copiedUpTo = 0;
    // Backslashes directly before the current byte: an odd run escapes it, so "\\ldblquote"
    // is literal text and not a control word.
    qsizetype backslashRun = 0;
    for (qsizetype i = 0; i < in.size();) {
        const char c = in[i];
        if (c != '\\') {
            backslashRun = 0;
            ++i;
            continue;
        }
        if (backslashRun % 2 == 0 && isCurlyQuoteWord(in, i)) {
            out.append(in.sliced(copiedUpTo, i - copiedUpTo));
            out.append(kApostrophe);
            i += kWordLength;
            // Only a blank is the word's own delimiter; a backslash, brace or line end that
            // follows belongs to the text and is kept.
            if (i < in.size() && in[i] == ' ')
                ++i;
            copiedUpTo = i;
            backslashRun = 0;
            continue;
        }
        ++backslashRun;
        ++i;
    }
    if (copiedUpTo == 0)
        return rtf;
    out.append(in.sliced(copiedUpTo));
    return out;
}

QString storableTopicName(QString name)
{
    return name.replace(u'"', u'\'');
}

QByteArray withoutQuoteBytes(QByteArray rtf)
{
    if (!rtf.contains('"'))
        return rtf;
    QByteArray out;
    out.reserve(rtf.size() + 16);
    qsizetype backslashRun = 0;
    for (const char c : std::as_const(rtf)) {
        if (c != '"') {
            out.append(c);
            backslashRun = c == '\\' ? backslashRun + 1 : 0;
            continue;
        }
        // After an odd run of backslashes the quote is the symbol of "\"": the backslash is
        // already written, so the escape needs only its remaining bytes.
        out.append(backslashRun % 2 == 0 ? QByteArrayView("\\'22") : QByteArrayView("'22"));
        backslashRun = 0;
    }
    return out;
}

} // namespace author
