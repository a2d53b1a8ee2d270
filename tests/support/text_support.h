#pragma once

#include <QString>

namespace testsupport {

// Text as the sample comparisons see it: BOM and object replacement characters dropped, white
// space runs made one blank, trimmed.
inline QString normalisedText(const QString &text)
{
    QString out;
    out.reserve(text.size());
    bool blank = false;
    for (QChar c : text) {
        if (c == QChar::ByteOrderMark || c == QChar::ObjectReplacementCharacter)
            continue;
        if (c.isSpace()) {
            blank = true;
            continue;
        }
        if (blank && !out.isEmpty())
            out += u' ';
        blank = false;
        out += c;
    }
    return out;
}

} // namespace testsupport
