#include "publish/html_text.h"

namespace publish {

bool isHtmlCharacter(char32_t c)
{
    if (c == U'\t' || c == U'\n')
        return true;
    if (c < 0x20 || (c >= 0x7f && c <= 0x9f))
        return false;
    if (c >= 0xd800 && c <= 0xdfff)
        return false;
    if ((c >= 0xfdd0 && c <= 0xfdef) || (c & 0xfffe) == 0xfffe)
        return false;
    return c <= 0x10ffff;
}

namespace {

QString escaped(QStringView text, bool attribute)
{
    QString out;
    out.reserve(text.size() + text.size() / 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        // A lone surrogate stays a surrogate, which is no HTML character.
        char32_t c = text.at(i).unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
            ++i;
        }
        switch (c) {
        case U'&':
            out += QLatin1String("&amp;");
            continue;
        case U'<':
            out += QLatin1String("&lt;");
            continue;
        case U'>':
            out += QLatin1String("&gt;");
            continue;
        case U'"':
            if (attribute) {
                out += QLatin1String("&quot;");
                continue;
            }
            break;
        default:
            break;
        }
        if (!isHtmlCharacter(c))
            continue;
        if (QChar::requiresSurrogates(c)) {
            out += QChar(QChar::highSurrogate(c));
            out += QChar(QChar::lowSurrogate(c));
        } else {
            out += QChar(char16_t(c));
        }
    }
    return out;
}

} // namespace

QString htmlText(QStringView text)
{
    return escaped(text, false);
}

QString htmlAttribute(QStringView text)
{
    return escaped(text, true);
}

QString jsonString(QStringView text)
{
    QString out;
    out.reserve(text.size() + 2);
    out += QLatin1Char('"');
    for (QChar c : text) {
        const char16_t u = c.unicode();
        switch (u) {
        case u'"':
            out += QLatin1String("\\\"");
            break;
        case u'\\':
            out += QLatin1String("\\\\");
            break;
        case u'\n':
            out += QLatin1String("\\n");
            break;
        case u'\r':
            out += QLatin1String("\\r");
            break;
        case u'\t':
            out += QLatin1String("\\t");
            break;
        default:
            if (u < 0x20 || u == u'<' || u == 0x2028 || u == 0x2029)
                out += QStringLiteral("\\u%1").arg(uint(u), 4, 16, QLatin1Char('0'));
            else
                out += c;
        }
    }
    out += QLatin1Char('"');
    return out;
}

} // namespace publish
