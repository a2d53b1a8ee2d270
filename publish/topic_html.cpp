#include "publish/topic_html.h"

#include "publish/html_text.h"
#include "richtext/topic_link.h"

#include <QHash>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <QUrl>

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace publish {

namespace {

// The reader shows text at 10 points, 96 pixels to the inch: lengths in the document's pixels
// become em of the page's text, so that indents keep their proportion to the text.
constexpr double kPixelsPerEm = 10.0 * 96.0 / 72.0;
constexpr double kBasePoints = 10.0;

// At most two decimals, without trailing zeros: "3.6", "2", "0.75".
QString number(double value)
{
    QString text = QString::number(std::round(value * 100.0) / 100.0, 'f', 2);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text == QLatin1String("-0") ? QStringLiteral("0") : text;
}

QString emLength(double pixels)
{
    return number(pixels / kPixelsPerEm) + QLatin1String("em");
}

QString colorName(const QColor &color)
{
    return color.name(QColor::HexRgb);
}

// A paragraph that starts with a list label and a tab is a list item: the reader writes the
// labels of RTF lists so, as word processors write their bullets and numbers. The label is one
// bullet-like sign, or a number, letter or roman numeral with its dots or parentheses.
struct ListLabel
{
    qsizetype length = 0; // up to and with the tab
    bool ordered = false;
};

std::optional<ListLabel> listLabel(const QString &text)
{
    // Labels are short: only the text before an early tab is looked at.
    constexpr qsizetype kLongestLabel = 16;
    const qsizetype tab = QStringView(text).left(kLongestLabel + 1).indexOf(u'\t');
    if (tab < 1 || tab > kLongestLabel)
        return std::nullopt;
    const QString label = text.left(tab);
    static const QRegularExpression bullet(
        QStringLiteral("^[\\x{2022}\\x{25E6}\\x{25AA}\\x{25AB}\\x{2023}\\x{2043}\\x{00B7}"
                       "\\x{25CB}\\x{25CF}\\x{25A0}\\x{25A1}\\x{2013}\\x{2014}\\x{2219}"
                       "\\x{27A2}\\x{2713}\\x{2714}\\x{25BA}\\x{2192}o\\-*\\x{00A7}]$"));
    // A number, letter or roman numeral with its dot or parenthesis: a bare letter or number
    // before a tab is a column of a tabbed line rather than a label.
    static const QRegularExpression numbered(
        QStringLiteral("^\\(?(?:[0-9]{1,4}(?:\\.[0-9]{1,4})*|[a-zA-Z]|[ivxlcdmIVXLCDM]{1,6})"
                       "[.)]$"));
    if (bullet.match(label).hasMatch())
        return ListLabel {tab + 1, false};
    if (numbered.match(label).hasMatch())
        return ListLabel {tab + 1, true};
    return std::nullopt;
}

class HtmlWriter
{
public:
    HtmlWriter(TopicResources &resources, const QString &pictureAlt)
        : m_resources(resources)
        , m_pictureAlt(pictureAlt)
    { }

    QString write(const QTextDocument &document)
    {
        m_document = &document;
        writeFrame(document.rootFrame(), true);
        return m_out;
    }

private:
    struct OpenList
    {
        double margin;
        bool ordered;
        bool itemOpen; // its last item, which a deeper list goes into
    };

    void writeFrame(QTextFrame *frame, bool root)
    {
        // The reader ends every document with an empty paragraph after the last one.
        QTextBlock lastEmpty;
        if (root) {
            const QTextBlock last = frame->lastCursorPosition().block();
            if (last.isValid() && last.length() <= 1 && !last.textList())
                lastEmpty = last;
        }
        for (auto it = frame->begin(); !it.atEnd(); ++it) {
            if (QTextFrame *child = it.currentFrame()) {
                closeLists();
                if (auto *table = qobject_cast<QTextTable *>(child))
                    writeTable(table);
                else
                    writeFrame(child, false);
                continue;
            }
            const QTextBlock block = it.currentBlock();
            if (block == lastEmpty)
                continue;
            writeBlock(block);
        }
        closeLists();
    }

    void writeTable(QTextTable *table)
    {
        const QTextTableFormat format = table->format();
        const int headerRows = std::min(format.headerRowCount(), table->rows());
        m_out += QLatin1String("<table>\n");
        for (int row = 0; row < table->rows(); ++row) {
            if (row == 0 && headerRows > 0)
                m_out += QLatin1String("<thead>\n");
            if (row == headerRows && headerRows > 0)
                m_out += QLatin1String("<tbody>\n");
            m_out += QLatin1String("<tr>");
            const char *cellTag = row < headerRows ? "th" : "td";
            for (int column = 0; column < table->columns(); ++column) {
                const QTextTableCell cell = table->cellAt(row, column);
                // A merged cell is written where it starts.
                if (cell.row() != row || cell.column() != column)
                    continue;
                m_out += QLatin1Char('<') + QLatin1String(cellTag);
                if (cell.rowSpan() > 1)
                    m_out += QStringLiteral(" rowspan=\"%1\"").arg(cell.rowSpan());
                if (cell.columnSpan() > 1)
                    m_out += QStringLiteral(" colspan=\"%1\"").arg(cell.columnSpan());
                const QTextCharFormat cellFormat = cell.format();
                if (cellFormat.hasProperty(QTextFormat::BackgroundBrush)
                    && cellFormat.background().style() != Qt::NoBrush)
                    m_out += QStringLiteral(" class=\"bg\" style=\"--bg:%1\"")
                                 .arg(colorName(cellFormat.background().color()));
                m_out += QLatin1String(">\n");
                for (auto it = cell.begin(); !it.atEnd(); ++it) {
                    if (QTextFrame *child = it.currentFrame()) {
                        closeLists();
                        if (auto *inner = qobject_cast<QTextTable *>(child))
                            writeTable(inner);
                        else
                            writeFrame(child, false);
                    } else {
                        writeBlock(it.currentBlock());
                    }
                }
                closeLists();
                m_out += QLatin1String("</") + QLatin1String(cellTag) + QLatin1String(">\n");
            }
            m_out += QLatin1String("</tr>\n");
            if (row + 1 == headerRows)
                m_out += QLatin1String("</thead>\n");
        }
        if (headerRows > 0 && headerRows < table->rows())
            m_out += QLatin1String("</tbody>\n");
        m_out += QLatin1String("</table>\n");
    }

    // The block's own layout as a style attribute; empty when it has none to state.
    static QString blockStyle(const QTextBlockFormat &format, bool listItem)
    {
        QStringList style;
        const Qt::Alignment horizontal = format.alignment() & Qt::AlignHorizontal_Mask;
        if (horizontal & Qt::AlignHCenter)
            style << QStringLiteral("text-align:center");
        else if (horizontal & Qt::AlignRight)
            style << QStringLiteral("text-align:right");
        else if (horizontal & Qt::AlignJustify)
            style << QStringLiteral("text-align:justify");
        // A list item's indent is its list's; its label hangs by the list's style.
        if (!listItem) {
            if (format.leftMargin() > 0.5)
                style << QStringLiteral("margin-left:") + emLength(format.leftMargin());
            if (std::abs(format.textIndent()) > 0.5)
                style << QStringLiteral("text-indent:") + emLength(format.textIndent());
        }
        if (format.rightMargin() > 0.5)
            style << QStringLiteral("margin-right:") + emLength(format.rightMargin());
        if (format.topMargin() > 0.5)
            style << QStringLiteral("margin-top:") + emLength(format.topMargin());
        if (format.bottomMargin() > 0.5)
            style << QStringLiteral("margin-bottom:") + emLength(format.bottomMargin());
        QString attributes;
        if (!style.isEmpty())
            attributes += QStringLiteral(" style=\"%1\"").arg(style.join(QLatin1Char(';')));
        if (format.layoutDirection() == Qt::RightToLeft)
            attributes += QLatin1String(" dir=\"rtl\"");
        return attributes;
    }

    void writeBlock(const QTextBlock &block)
    {
        const QTextBlockFormat format = block.blockFormat();
        const int heading = format.headingLevel();
        const std::optional<ListLabel> label = heading > 0 ? std::nullopt : listLabel(block.text());
        if (label) {
            openListItem(format.leftMargin(), label->ordered);
            m_out += blockStyle(format, true) + QLatin1Char('>');
            writeInline(block, label->length, false);
            m_out += QLatin1Char('\n');
            return;
        }
        closeLists();
        if (heading > 0) {
            // Headings go below the page's h1, a step at a time.
            const int level = std::clamp(heading + 1, 2, std::min(6, m_lastHeading + 1));
            m_lastHeading = level;
            const QString tag = QStringLiteral("h%1").arg(level);
            m_out += QLatin1Char('<') + tag + blockStyle(format, false) + QLatin1Char('>');
            writeInline(block, 0, true);
            m_out += QLatin1String("</") + tag + QLatin1String(">\n");
            return;
        }
        m_out += QLatin1String("<p") + blockStyle(format, false) + QLatin1Char('>');
        if (block.length() <= 1)
            m_out += QLatin1String("<br>"); // an empty line, as the display shows it
        else
            writeInline(block, 0, false);
        m_out += QLatin1String("</p>\n");
    }

    // Opens the item of a list at this indent, in the list before when it has that indent and
    // kind, in a new list inside the open item when it is deeper. The item stays open, for a
    // deeper list that may follow.
    void openListItem(double margin, bool ordered)
    {
        constexpr double kSame = 0.5;
        while (!m_lists.empty() && m_lists.back().margin > margin + kSame)
            closeList();
        if (!m_lists.empty() && std::abs(m_lists.back().margin - margin) <= kSame
            && m_lists.back().ordered != ordered)
            closeList();
        if (m_lists.empty() || m_lists.back().margin < margin - kSame) {
            m_out += ordered ? QLatin1String("<ol class=\"labelled\">\n")
                             : QLatin1String("<ul class=\"labelled\">\n");
            m_lists.push_back({margin, ordered, false});
        } else if (m_lists.back().itemOpen) {
            m_out += QLatin1String("</li>\n");
        }
        m_out += QLatin1String("<li");
        m_lists.back().itemOpen = true;
    }

    void closeList()
    {
        if (m_lists.back().itemOpen)
            m_out += QLatin1String("</li>\n");
        m_out += m_lists.back().ordered ? QLatin1String("</ol>\n") : QLatin1String("</ul>\n");
        m_lists.pop_back();
    }

    void closeLists()
    {
        while (!m_lists.empty())
            closeList();
    }

    // The inline markup of a character format, outermost first, and its closing tags.
    struct Wrapping
    {
        QString open;
        QString close;
    };

    // A document uses few formats for many fragments: each format's markup is worked out once.
    const Wrapping &cachedWrapping(int formatIndex, const QTextCharFormat &format, bool inHeading)
    {
        const qint64 key = qint64(formatIndex) * 2 + (inHeading ? 1 : 0);
        auto found = m_wrappings.find(key);
        if (found == m_wrappings.end())
            found = m_wrappings.insert(key, wrapping(format, inHeading));
        return *found;
    }

    static Wrapping wrapping(const QTextCharFormat &format, bool inHeading)
    {
        QStringList classes;
        QStringList style;
        if (format.hasProperty(QTextFormat::FontFamilies)) {
            const QStringList families = format.fontFamilies().toStringList();
            const QString family = webFontFamily(families.value(0));
            if (family == QLatin1String("serif"))
                classes << QStringLiteral("serif");
            else if (family == QLatin1String("monospace"))
                classes << QStringLiteral("mono");
        }
        if (!inHeading && format.hasProperty(QTextFormat::FontPointSize)) {
            const double points = format.fontPointSize();
            if (points > 0 && std::abs(points - kBasePoints) >= 0.5)
                style << QStringLiteral("font-size:")
                        + number(std::clamp(points / kBasePoints, 0.5, 4.0)) + QLatin1String("em");
        }
        if (format.hasProperty(QTextFormat::ForegroundBrush)
            && format.foreground().style() != Qt::NoBrush) {
            classes << QStringLiteral("fg");
            style << QStringLiteral("--fg:") + colorName(format.foreground().color());
        }
        if (format.hasProperty(QTextFormat::BackgroundBrush)
            && format.background().style() != Qt::NoBrush) {
            classes << QStringLiteral("bg");
            style << QStringLiteral("--bg:") + colorName(format.background().color());
        }
        if (format.fontCapitalization() == QFont::AllUppercase)
            classes << QStringLiteral("caps");
        else if (format.fontCapitalization() == QFont::SmallCaps)
            classes << QStringLiteral("small-caps");

        Wrapping result;
        auto add = [&](const QString &open, const QString &tag) {
            result.open += open;
            result.close.prepend(QLatin1String("</") + tag + QLatin1Char('>'));
        };
        if (!classes.isEmpty() || !style.isEmpty()) {
            QString open = QStringLiteral("<span");
            if (!classes.isEmpty())
                open += QStringLiteral(" class=\"%1\"").arg(classes.join(QLatin1Char(' ')));
            if (!style.isEmpty())
                open += QStringLiteral(" style=\"%1\"").arg(style.join(QLatin1Char(';')));
            add(open + QLatin1Char('>'), QStringLiteral("span"));
        }
        if (!inHeading && format.hasProperty(QTextFormat::FontWeight)
            && format.fontWeight() >= QFont::DemiBold)
            add(QStringLiteral("<b>"), QStringLiteral("b"));
        if (format.fontItalic())
            add(QStringLiteral("<i>"), QStringLiteral("i"));
        if (format.fontUnderline() && !format.isAnchor())
            add(QStringLiteral("<u>"), QStringLiteral("u"));
        if (format.fontStrikeOut())
            add(QStringLiteral("<s>"), QStringLiteral("s"));
        if (format.verticalAlignment() == QTextCharFormat::AlignSuperScript)
            add(QStringLiteral("<sup>"), QStringLiteral("sup"));
        else if (format.verticalAlignment() == QTextCharFormat::AlignSubScript)
            add(QStringLiteral("<sub>"), QStringLiteral("sub"));
        return result;
    }

    // Where a link leads on the page; empty for a link that is dropped.
    QString linkTarget(const QTextCharFormat &format)
    {
        if (!format.isAnchor())
            return {};
        const QString href = format.anchorHref();
        if (const std::optional<QString> topic = richtext::topicLinkName(href))
            return m_resources.pageOfTopic(*topic);
        return publishedWebAddress(href);
    }

    void writeText(QStringView text)
    {
        qsizetype start = 0;
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (text.at(i) == QChar::LineSeparator) {
                // A line break in a paragraph: its text keeps its blanks and breaks (pre-wrap),
                // and the page's text content has the break as show --text does.
                m_out += htmlText(text.mid(start, i - start)) + QLatin1Char('\n');
                start = i + 1;
            } else if (text.at(i) == QChar::ObjectReplacementCharacter) {
                // Only pictures stand for objects on a page; others are no characters.
                m_out += htmlText(text.mid(start, i - start));
                start = i + 1;
            }
        }
        m_out += htmlText(text.mid(start));
    }

    void writePicture(const QTextImageFormat &format)
    {
        const QString file = m_resources.pictureFile(format, *m_document);
        if (file.isEmpty())
            return;
        ++m_pictures;
        m_out += QStringLiteral("<img src=\"%1\"").arg(htmlAttribute(file));
        if (format.width() > 0 && format.height() > 0)
            m_out += QStringLiteral(" width=\"%1\" height=\"%2\"")
                         .arg(qRound(format.width()))
                         .arg(qRound(format.height()));
        m_out +=
            QStringLiteral(" alt=\"%1\">")
                .arg(htmlAttribute(m_pictureAlt + QLatin1Char(' ') + QString::number(m_pictures)));
    }

    // The block's fragments; the first labelLength characters go into the list label's span.
    void writeInline(const QTextBlock &block, qsizetype labelLength, bool inHeading)
    {
        QString openHref; // the link the last fragment's text went into; empty outside links
        bool inLink = false;
        bool inLabel = labelLength > 0;
        if (inLabel)
            m_out += QLatin1String("<span class=\"label\">");
        const qsizetype blockStart = block.position();
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat format = fragment.charFormat();
            QString text = fragment.text();
            qsizetype offset = fragment.position() - blockStart;

            if (format.isImageFormat()) {
                if (inLabel) {
                    m_out += QLatin1String("</span>");
                    inLabel = false;
                }
                for (qsizetype i = 0; i < text.size(); ++i)
                    writePicture(format.toImageFormat());
                continue;
            }
            // Blanks show nothing of a font, a size or a colour: they are written bare.
            const bool bare = text.trimmed().isEmpty()
                && !format.hasProperty(QTextFormat::BackgroundBrush) && !format.fontUnderline()
                && !format.fontStrikeOut();
            const Wrapping wrap =
                bare ? Wrapping() : cachedWrapping(fragment.charFormatIndex(), format, inHeading);
            // The part of the label in this fragment, without a link: labels lead nowhere.
            if (inLabel) {
                const qsizetype inside = std::min<qsizetype>(labelLength - offset, text.size());
                m_out += wrap.open;
                writeText(QStringView(text).left(inside));
                m_out += wrap.close;
                text = text.mid(inside);
                offset += inside;
                if (offset >= labelLength) {
                    m_out += QLatin1String("</span>");
                    inLabel = false;
                }
                if (text.isEmpty())
                    continue;
            }
            const QString target = linkTarget(format);
            const QString href = format.isAnchor() ? format.anchorHref() : QString();
            if (inLink && (target.isEmpty() || href != openHref)) {
                m_out += QLatin1String("</a>");
                inLink = false;
            }
            if (!inLink && !target.isEmpty()) {
                m_out += QStringLiteral("<a href=\"%1\">").arg(htmlAttribute(target));
                inLink = true;
                openHref = href;
            }
            m_out += wrap.open;
            writeText(text);
            m_out += wrap.close;
        }
        if (inLabel)
            m_out += QLatin1String("</span>");
        if (inLink)
            m_out += QLatin1String("</a>");
    }

    TopicResources &m_resources;
    const QString m_pictureAlt;
    const QTextDocument *m_document = nullptr;
    QString m_out;
    std::vector<OpenList> m_lists;
    QHash<qint64, Wrapping> m_wrappings;
    int m_lastHeading = 1;
    int m_pictures = 0;
};

} // namespace

QString publishedWebAddress(const QString &href)
{
    const QUrl url(href.trimmed(), QUrl::StrictMode);
    if (!url.isValid())
        return {};
    const QString scheme = url.scheme().toLower();
    if ((scheme == QLatin1String("http") || scheme == QLatin1String("https"))
        && !url.host().isEmpty())
        return url.toString(QUrl::FullyEncoded);
    if (scheme == QLatin1String("mailto") && !url.path().isEmpty())
        return url.toString(QUrl::FullyEncoded);
    return {};
}

QString webFontFamily(const QString &family)
{
    const QString name = family.toLower();
    static const char *const monospace[] = {"mono", "courier", "consol", "code", "typewriter",
        "fixed", "terminal", "lucida console", "menlo", "monaco", "andale"};
    static const char *const serif[] = {"times", "georgia", "garamond", "cambria", "palatino",
        "book antiqua", "bookman", "baskerville", "bodoni", "century", "minion", "caslon", "didot",
        "roman", "constantia", "charter", "liberation serif", "dejavu serif", "noto serif",
        "droid serif", "sylfaen", "perpetua", "goudy"};
    for (const char *word : monospace) {
        if (name.contains(QLatin1String(word)))
            return QStringLiteral("monospace");
    }
    if (name.contains(QLatin1String("sans")))
        return QStringLiteral("sans-serif");
    for (const char *word : serif) {
        if (name.contains(QLatin1String(word)))
            return QStringLiteral("serif");
    }
    if (name == QLatin1String("serif"))
        return QStringLiteral("serif");
    return QStringLiteral("sans-serif");
}

QString topicHtml(
    const QTextDocument &document, TopicResources &resources, const QString &pictureAlt)
{
    return HtmlWriter(resources, pictureAlt).write(document);
}

} // namespace publish
