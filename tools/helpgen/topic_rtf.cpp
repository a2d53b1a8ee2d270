#include "tools/helpgen/topic_rtf.h"

#include "richtext/rtf_writer.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>

#include <algorithm>
#include <array>
#include <numeric>

namespace helpgen {

namespace {

constexpr qreal kBodyPoints = 10;
// Heading levels 1 to 6.
constexpr std::array<qreal, 6> kHeadingPoints = {14, 12, 11, 10, 10, 10};
// Space above a heading below the first, in pixels: the importer gives headings none.
constexpr qreal kHeadingSpace = 8;
// The width tables are laid out for, in pixels: the built-in help's display, the narrowest
// that shows topics, less its scroll bar. Wider displays leave room to the right.
constexpr int kTableWidth = 310;
// Widths are reckoned in characters, not measured, so that they do not depend on the fonts
// installed: a generous average for Verdana at 10 points in bold, and a cell's padding and border.
constexpr int kCharWidth = 9;
constexpr int kCellPadding = 16;
// What a column's longest cell counts for, at most, when the rest of the width is shared.
constexpr qsizetype kMaxColumnWeight = 60;

QFont bodyFont()
{
    QFont font(QStringLiteral("Verdana"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(kBodyPoints);
    return font;
}

// Replaces the format of every fragment of block with what change makes of it.
template<typename Change>
void reformatFragments(QTextDocument &document, const QTextBlock &block, Change change)
{
    QTextCursor cursor(&document);
    for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        QTextCharFormat format = fragment.charFormat();
        if (!change(format))
            continue;
        cursor.setPosition(fragment.position());
        cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
        cursor.setCharFormat(format);
    }
}

// The importer marks headings with a size relative to the default font, and code with the
// system's fixed font; the writer writes what a format states, so both become fixed values.
void spellOutFormats(QTextDocument &document)
{
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const int heading = block.blockFormat().headingLevel();
        reformatFragments(document, block, [heading](QTextCharFormat &format) {
            bool changed = false;
            if (heading > 0) {
                format.clearProperty(QTextFormat::FontSizeAdjustment);
                format.setFontWeight(QFont::Bold);
                format.setFontPointSize(kHeadingPoints[std::size_t(std::min(heading, 6) - 1)]);
                changed = true;
            }
            if (format.fontFixedPitch()) {
                QTextCharFormat fixed;
                fixed.setFontFamilies({QStringLiteral("Courier New")});
                fixed.setFontFixedPitch(true);
                if (format.hasProperty(QTextFormat::FontWeight))
                    fixed.setFontWeight(format.fontWeight());
                if (format.hasProperty(QTextFormat::FontPointSize))
                    fixed.setFontPointSize(heading > 0 ? format.fontPointSize() : kBodyPoints);
                if (format.hasProperty(QTextFormat::FontItalic))
                    fixed.setFontItalic(format.fontItalic());
                if (format.isAnchor()) {
                    fixed.setAnchor(true);
                    fixed.setAnchorHref(format.anchorHref());
                }
                format = fixed;
                changed = true;
            }
            return changed;
        });
    }
}

void spaceHeadings(QTextDocument &document)
{
    QTextCursor cursor(&document);
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block.blockFormat().headingLevel() < 2)
            continue;
        QTextBlockFormat format = block.blockFormat();
        format.setTopMargin(kHeadingSpace);
        cursor.setPosition(block.position());
        cursor.setBlockFormat(format);
    }
}

qsizetype longestWord(const QString &text)
{
    qsizetype longest = 0;
    for (const QString &word : text.split(u' ', Qt::SkipEmptyParts))
        longest = std::max(longest, word.size());
    return longest;
}

// Every column gets room for its longest word; what is left goes by the length of each
// column's longest cell, so that a column of sentences gets more than one of single words.
void shareColumns(QTextDocument &document)
{
    for (QTextFrame *frame : document.rootFrame()->childFrames()) {
        auto *table = qobject_cast<QTextTable *>(frame);
        if (!table || table->columns() == 0)
            continue;
        const int columns = table->columns();
        QList<int> minimum(columns, kCellPadding);
        QList<qsizetype> weight(columns, 1);
        for (int row = 0; row < table->rows(); ++row) {
            for (int column = 0; column < columns; ++column) {
                const QTextTableCell cell = table->cellAt(row, column);
                QTextCursor cursor = cell.firstCursorPosition();
                cursor.setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
                const QString text = cursor.selectedText();
                minimum[column] =
                    std::max(minimum[column], int(longestWord(text)) * kCharWidth + kCellPadding);
                weight[column] = std::max(weight[column], std::min(text.size(), kMaxColumnWeight));
            }
        }
        const int needed = std::accumulate(minimum.cbegin(), minimum.cend(), 0);
        const qsizetype shares = std::accumulate(weight.cbegin(), weight.cend(), qsizetype(0));
        // A table of long words is wider than the display rather than cut into pieces.
        const int rest = std::max(0, kTableWidth - needed);
        QList<QTextLength> widths;
        for (int column = 0; column < columns; ++column) {
            const int width = minimum[column] + int(rest * weight[column] / shares);
            widths.append(QTextLength(QTextLength::FixedLength, width));
        }
        QTextTableFormat format = table->format();
        format.setColumnWidthConstraints(widths);
        table->setFormat(format);
    }
}

} // namespace

TopicRtf topicRtf(const QString &markdown, const QString &name)
{
    QTextDocument document;
    // Before the import, which sizes paragraph spacing from it.
    document.setDefaultFont(bodyFont());
    document.setMarkdown(markdown, QTextDocument::MarkdownDialectGitHub);

    const QTextBlock first = document.firstBlock();
    if (first.blockFormat().headingLevel() != 1)
        return {{}, QStringLiteral("the text must open with a level-1 heading (\"# ...\")")};
    if (first.text() != name)
        return {{},
            QStringLiteral("the opening heading \"%1\" differs from the topic name")
                .arg(first.text())};

    spellOutFormats(document);
    spaceHeadings(document);
    shareColumns(document);
    return {richtext::RtfWriter::write(document), {}};
}

} // namespace helpgen
