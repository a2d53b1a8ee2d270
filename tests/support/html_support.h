#pragma once

// Reading the pages a published site holds, as a browser's DOM would give them: elements with
// their attributes, and the text content of an element. Enough HTML for pages of our own and
// for what a browser's --dump-dom prints; not a general parser.

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace testsupport {

struct HtmlElement
{
    QString tag;
    QHash<QString, QString> attributes;
    QString text; // text content: every text inside it, entities decoded
    QStringList classes() const
    {
        return attributes.value(QStringLiteral("class")).split(u' ', Qt::SkipEmptyParts);
    }
};

namespace detail {

inline bool isVoidElement(const QString &tag)
{
    static const QStringList voids {QStringLiteral("area"), QStringLiteral("base"),
        QStringLiteral("br"), QStringLiteral("col"), QStringLiteral("embed"), QStringLiteral("hr"),
        QStringLiteral("img"), QStringLiteral("input"), QStringLiteral("link"),
        QStringLiteral("meta"), QStringLiteral("source"), QStringLiteral("track"),
        QStringLiteral("wbr")};
    return voids.contains(tag);
}

inline QString decodeEntities(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) != u'&') {
            out += text.at(i);
            continue;
        }
        const qsizetype end = text.indexOf(u';', i);
        if (end < 0 || end - i > 10) {
            out += text.at(i);
            continue;
        }
        const QStringView name = text.mid(i + 1, end - i - 1);
        char32_t c = 0;
        if (name == u"amp")
            c = u'&';
        else if (name == u"lt")
            c = u'<';
        else if (name == u"gt")
            c = u'>';
        else if (name == u"quot")
            c = u'"';
        else if (name == u"apos")
            c = u'\'';
        else if (name == u"nbsp")
            c = 0xa0;
        else if (name.startsWith(u"#x") || name.startsWith(u"#X"))
            c = name.mid(2).toUInt(nullptr, 16);
        else if (name.startsWith(u'#'))
            c = name.mid(1).toUInt();
        if (c == 0) {
            out += text.at(i);
            continue;
        }
        out += QString::fromUcs4(&c, 1);
        i = end;
    }
    return out;
}

} // namespace detail

// Every element of the page in document order, each with its text content.
inline QList<HtmlElement> htmlElements(const QString &html)
{
    QList<HtmlElement> elements;
    QList<qsizetype> open; // indexes into elements
    qsizetype i = 0;
    auto addText = [&](const QString &text) {
        for (qsizetype index : std::as_const(open))
            elements[index].text += text;
    };
    while (i < html.size()) {
        if (html.at(i) != u'<') {
            const qsizetype next = html.indexOf(u'<', i);
            const qsizetype end = next < 0 ? html.size() : next;
            addText(detail::decodeEntities(QStringView(html).mid(i, end - i)));
            i = end;
            continue;
        }
        if (html.mid(i, 4) == QLatin1String("<!--")) {
            const qsizetype end = html.indexOf(QLatin1String("-->"), i);
            i = end < 0 ? html.size() : end + 3;
            continue;
        }
        const qsizetype close = html.indexOf(u'>', i);
        if (close < 0)
            break;
        const QString tagText = html.mid(i + 1, close - i - 1);
        i = close + 1;
        if (tagText.startsWith(u'!') || tagText.startsWith(u'?'))
            continue;
        if (tagText.startsWith(u'/')) {
            const QString tag = tagText.mid(1).trimmed().toLower();
            for (qsizetype k = open.size() - 1; k >= 0; --k) {
                if (elements[open[k]].tag == tag) {
                    open.resize(k);
                    break;
                }
            }
            continue;
        }
        HtmlElement element;
        qsizetype pos = 0;
        while (pos < tagText.size() && !tagText.at(pos).isSpace() && tagText.at(pos) != u'/')
            ++pos;
        element.tag = tagText.left(pos).toLower();
        // Attributes: name="value", name='value', name=value or name alone.
        while (pos < tagText.size()) {
            while (pos < tagText.size() && (tagText.at(pos).isSpace() || tagText.at(pos) == u'/'))
                ++pos;
            const qsizetype nameStart = pos;
            while (pos < tagText.size() && !tagText.at(pos).isSpace() && tagText.at(pos) != u'='
                && tagText.at(pos) != u'/')
                ++pos;
            const QString name = tagText.mid(nameStart, pos - nameStart).toLower();
            if (name.isEmpty())
                break;
            QString value;
            if (pos < tagText.size() && tagText.at(pos) == u'=') {
                ++pos;
                if (pos < tagText.size() && (tagText.at(pos) == u'"' || tagText.at(pos) == u'\'')) {
                    const QChar quote = tagText.at(pos);
                    const qsizetype end = tagText.indexOf(quote, pos + 1);
                    value = tagText.mid(pos + 1, (end < 0 ? tagText.size() : end) - pos - 1);
                    pos = end < 0 ? tagText.size() : end + 1;
                } else {
                    const qsizetype start = pos;
                    while (pos < tagText.size() && !tagText.at(pos).isSpace())
                        ++pos;
                    value = tagText.mid(start, pos - start);
                }
            }
            element.attributes.insert(name, detail::decodeEntities(value));
        }
        elements.append(element);
        if (!detail::isVoidElement(element.tag) && !tagText.endsWith(u'/'))
            open.append(elements.size() - 1);
    }
    return elements;
}

// The elements of one tag, and optionally of one class.
inline QList<HtmlElement> htmlElements(
    const QString &html, const QString &tag, const QString &className = {})
{
    QList<HtmlElement> found;
    for (const HtmlElement &element : htmlElements(html)) {
        if (element.tag == tag && (className.isEmpty() || element.classes().contains(className)))
            found.append(element);
    }
    return found;
}

} // namespace testsupport
