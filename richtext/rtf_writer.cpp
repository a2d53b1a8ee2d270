#include "richtext/rtf_writer.h"

#include "richtext/rtf_output.h"

#include <QBuffer>
#include <QHash>
#include <QImage>
#include <QPixmap>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextList>
#include <QTextTable>
#include <QUrl>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <vector>

namespace richtext {

using detail::RtfOutput;
using detail::TextUse;

namespace {

constexpr qreal kTwipsPerPixel = 15;
// Letter paper less one-inch margins: table width for a document without a width of its own.
constexpr qreal kDefaultTextWidthTwips = 9360;
// How far a list label hangs left of its item's text.
constexpr int kListLabelTwips = 360;
constexpr qsizetype kHexLineLength = 128;

int twips(qreal pixels)
{
    return qRound(pixels * kTwipsPerPixel);
}

// QTextCharFormat::FontSizeAdjustment -2 to 4, as QTextDocument lays them out.
constexpr std::array<qreal, 7> kSizeAdjustments = {0.7, 0.8, 1.0, 1.2, 1.5, 2.0, 2.4};

enum class Position { Normal, Super, Sub };

// Character formatting as RTF holds it; runs write only what differs from the last one.
struct CharState
{
    int font = -1; // font table index; -1 before the first run
    int halfPoints = -1;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    Position position = Position::Normal;
    int colour = 0; // colour table index; 0 is "auto"
    int highlight = 0;
};

enum class Alignment { Left, Centre, Right, Justify };

// What closes a paragraph. The document's last block has no \par: QTextDocument's last block
// has no separator, and a reader that takes \par as a separator, as ours and word processors
// do, would add an empty paragraph at every save and load.
enum class BlockEnd { Paragraph, Cell, Document };

// Paragraph formatting; \pard plus these is written when a paragraph differs from the last.
struct ParagraphState
{
    bool inTable = false;
    Alignment alignment = Alignment::Left;
    int left = 0; // twips, like all lengths here
    int right = 0;
    int first = 0;
    int before = 0;
    int after = 0;
    int list = 0; // \ls number; 0 outside lists

    bool operator==(const ParagraphState &) const = default;
};

struct Picture
{
    QByteArray png;
    QSize pixels;
};

QByteArray encodePng(const QImage &image)
{
    QByteArray png;
    QBuffer buffer(&png);
    if (image.isNull() || !buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG"))
        return {};
    return png;
}

// Encoded image bytes: PNG kept as it is when it decodes, anything else converted.
Picture pictureFromBytes(const QByteArray &bytes)
{
    const QImage image = QImage::fromData(bytes);
    if (image.isNull())
        return {};
    if (bytes.startsWith("\x89PNG\r\n\x1a\n"))
        return {bytes, image.size()};
    return {encodePng(image), image.size()};
}

// The image a QTextImageFormat names: a document resource, or what QTextDocument loads for
// it, or a base64 data URL as pasted HTML carries.
Picture loadPicture(const QTextDocument &document, const QString &name)
{
    if (name.isEmpty())
        return {};
    const QUrl url(name);
    const QVariant resource = document.resource(QTextDocument::ImageResource, url);
    QImage image;
    switch (resource.typeId()) {
    case QMetaType::QByteArray:
        return pictureFromBytes(resource.toByteArray());
    case QMetaType::QImage:
        image = resource.value<QImage>();
        break;
    case QMetaType::QPixmap:
        image = resource.value<QPixmap>().toImage();
        break;
    default:
        if (url.scheme() == QLatin1String("data")) {
            const QString path = url.path();
            const qsizetype comma = path.indexOf(u',');
            if (comma > 0 && path.left(comma).endsWith(QLatin1String(";base64")))
                return pictureFromBytes(QByteArray::fromBase64(path.mid(comma + 1).toLatin1()));
        }
        return {};
    }
    const QByteArray png = encodePng(image);
    return png.isEmpty() ? Picture {} : Picture {png, image.size()};
}

QString familyOf(const QTextCharFormat &format, const QString &fallback)
{
    const QStringList families = format.property(QTextFormat::FontFamilies).toStringList();
    if (!families.isEmpty() && !families.front().isEmpty())
        return families.front();
    const QString family = format.stringProperty(QTextFormat::FontFamily);
    return family.isEmpty() ? fallback : family;
}

// Font table entries end at a semicolon, so a name cannot hold one.
QString fontTableName(const QString &family)
{
    QString name = family;
    name.remove(u';');
    return name.isEmpty() ? QStringLiteral("Arial") : name;
}

QString anchorOf(const QTextCharFormat &format)
{
    return format.isAnchor() ? format.anchorHref() : QString();
}

// The label a reader that knows no lists shows; Qt gives numbers, bullets are ours.
QString listLabel(QTextList *list, const QTextBlock &block)
{
    switch (list->format().style()) {
    case QTextListFormat::ListDisc:
        return QStringLiteral("\u2022");
    case QTextListFormat::ListCircle:
        return QStringLiteral("\u25e6");
    case QTextListFormat::ListSquare:
        return QStringLiteral("\u25aa");
    default:
        return list->itemText(block);
    }
}

// \levelnfc: the numbering kind of a list level.
int numberFormat(QTextListFormat::Style style)
{
    switch (style) {
    case QTextListFormat::ListDecimal:
        return 0;
    case QTextListFormat::ListUpperRoman:
        return 1;
    case QTextListFormat::ListLowerRoman:
        return 2;
    case QTextListFormat::ListUpperAlpha:
        return 3;
    case QTextListFormat::ListLowerAlpha:
        return 4;
    default:
        return 23; // bullet
    }
}

class DocumentWriter
{
public:
    explicit DocumentWriter(const QTextDocument &document);
    QByteArray write();

private:
    struct ListEntry
    {
        QTextList *list;
        int left; // twips, of the first item
        int first;
    };

    void writeFrame(QTextFrame::iterator it, bool inTable, bool endsCell);
    void writeTable(QTextTable *table);
    void writeBlock(const QTextBlock &block, bool inTable, BlockEnd end);
    void writeParagraphState(const ParagraphState &paragraph);
    void writeRuns(
        QTextBlock::iterator from, const QTextBlock::iterator &to, QStringView text, int textStart);
    void writeLink(const QString &href, QTextBlock::iterator from, const QTextBlock::iterator &to,
        QStringView text, int textStart);
    void writePicture(const QTextImageFormat &format);
    void applyChar(const CharState &state);
    CharState charState(const QTextCharFormat &format);
    // What a fragment's format comes to, worked out once per format in the document.
    struct RunFormat
    {
        CharState state;
        QString href;
        bool image = false;
    };
    const RunFormat &runFormat(const QTextFragment &fragment);
    ParagraphState paragraphState(const QTextBlock &block, bool inTable);
    int fontIndex(const QString &family);
    int colourIndex(const QColor &colour);
    int listNumber(QTextList *list, int left, int first);
    std::vector<int> cellEdges(const QTextTable *table) const;
    RtfOutput header() const;
    void writeListTables(RtfOutput &out) const;

    const QTextDocument &m_document;
    const QString m_defaultFamily;
    qreal m_defaultPoints;
    QFont m_defaultFont;
    RtfOutput m_body;
    QStringList m_fonts;
    QList<QRgb> m_colours;
    std::vector<ListEntry> m_lists;
    QHash<int, RunFormat> m_runFormats;
    QTextBlock m_lastBlock;
    CharState m_char;
    ParagraphState m_paragraph;
    bool m_paragraphWritten = false;
    bool m_pageBreakPending = false;
};

DocumentWriter::DocumentWriter(const QTextDocument &document)
    : m_document(document)
    , m_defaultFamily(fontTableName(document.defaultFont().family()))
    , m_defaultFont(document.defaultFont())
{
    m_defaultPoints = m_defaultFont.pointSizeF();
    if (m_defaultPoints <= 0)
        m_defaultPoints = m_defaultFont.pixelSize() > 0 ? m_defaultFont.pixelSize() * 0.75 : 12;
    // f0 is the document's default font, whether or not a run uses it.
    m_fonts.append(m_defaultFamily);
}

QByteArray DocumentWriter::write()
{
    const auto characters = static_cast<std::size_t>(m_document.characterCount());
    m_body.reserve(characters + characters / 4 + 256);
    m_lastBlock = m_document.lastBlock();
    writeFrame(m_document.rootFrame()->begin(), false, false);
    const RtfOutput head = header();
    const std::string_view ending = "}\r\n";
    QByteArray rtf;
    rtf.reserve(
        static_cast<qsizetype>(head.bytes().size() + m_body.bytes().size() + ending.size()));
    rtf.append(head.bytes().data(), static_cast<qsizetype>(head.bytes().size()));
    rtf.append(m_body.bytes().data(), static_cast<qsizetype>(m_body.bytes().size()));
    rtf.append(ending.data(), static_cast<qsizetype>(ending.size()));
    return rtf;
}

void DocumentWriter::writeFrame(QTextFrame::iterator it, bool inTable, bool endsCell)
{
    for (; !it.atEnd(); ++it) {
        if (QTextFrame *frame = it.currentFrame()) {
            auto *table = qobject_cast<QTextTable *>(frame);
            if (table && !inTable) {
                writeTable(table);
            } else if (table) {
                // A table inside a table: its cells' paragraphs stay in the outer cell.
                for (int row = 0; row < table->rows(); ++row) {
                    for (int column = 0; column < table->columns(); ++column) {
                        const QTextTableCell cell = table->cellAt(row, column);
                        if (cell.row() == row && cell.column() == column)
                            writeFrame(cell.begin(), true, false);
                    }
                }
            } else {
                writeFrame(frame->begin(), inTable, false);
            }
            continue;
        }
        const QTextBlock block = it.currentBlock();
        if (!block.isValid())
            continue;
        BlockEnd end = BlockEnd::Paragraph;
        if (endsCell) {
            QTextFrame::iterator next = it;
            ++next;
            if (next.atEnd())
                end = BlockEnd::Cell;
        } else if (!inTable && block == m_lastBlock) {
            end = BlockEnd::Document;
        }
        writeBlock(block, inTable, end);
    }
}

void DocumentWriter::writeTable(QTextTable *table)
{
    const std::vector<int> edges = cellEdges(table);
    for (int row = 0; row < table->rows(); ++row) {
        // The cells that start in this row's columns; a cell spanning columns is one wider cell.
        std::vector<QTextTableCell> cells;
        for (int column = 0; column < table->columns();) {
            const QTextTableCell cell = table->cellAt(row, column);
            if (!cell.isValid())
                break;
            cells.push_back(cell);
            column = std::max(column + 1, cell.column() + std::max(1, cell.columnSpan()));
        }
        m_body.word("trowd");
        for (const QTextTableCell &cell : cells) {
            if (cell.row() != row)
                m_body.word("clvmrg");
            else if (cell.rowSpan() > 1)
                m_body.word("clvmgf");
            const int lastColumn = std::min<int>(cell.column() + std::max(1, cell.columnSpan()),
                                       static_cast<int>(edges.size()))
                - 1;
            m_body.word("cellx", edges[static_cast<std::size_t>(lastColumn)]);
        }
        m_body.lineEnd();
        for (const QTextTableCell &cell : cells) {
            if (cell.row() == row) {
                writeFrame(cell.begin(), true, true);
                continue;
            }
            // Covered by a cell above: an empty cell that continues its vertical merge.
            ParagraphState paragraph;
            paragraph.inTable = true;
            writeParagraphState(paragraph);
            m_body.word("cell");
            m_body.lineEnd();
        }
        m_body.word("row");
        m_body.lineEnd();
    }
}

void DocumentWriter::writeParagraphState(const ParagraphState &paragraph)
{
    if (m_paragraphWritten && paragraph == m_paragraph)
        return;
    m_body.word("pard");
    if (paragraph.inTable)
        m_body.word("intbl");
    switch (paragraph.alignment) {
    case Alignment::Left:
        break;
    case Alignment::Centre:
        m_body.word("qc");
        break;
    case Alignment::Right:
        m_body.word("qr");
        break;
    case Alignment::Justify:
        m_body.word("qj");
        break;
    }
    if (paragraph.left)
        m_body.word("li", paragraph.left);
    if (paragraph.right)
        m_body.word("ri", paragraph.right);
    if (paragraph.first)
        m_body.word("fi", paragraph.first);
    if (paragraph.before)
        m_body.word("sb", paragraph.before);
    if (paragraph.after)
        m_body.word("sa", paragraph.after);
    if (paragraph.list) {
        m_body.word("ls", paragraph.list);
        m_body.word("ilvl", 0);
    }
    m_paragraph = paragraph;
    m_paragraphWritten = true;
}

void DocumentWriter::writeBlock(const QTextBlock &block, bool inTable, BlockEnd end)
{
    writeParagraphState(paragraphState(block, inTable));
    const QTextBlockFormat::PageBreakFlags breaks = block.blockFormat().pageBreakPolicy();
    if (m_pageBreakPending || (breaks & QTextBlockFormat::PageBreak_AlwaysBefore))
        m_body.word("page");
    // A break after this block is written as a break before the next one.
    m_pageBreakPending = breaks & QTextBlockFormat::PageBreak_AlwaysAfter;

    const QTextBlock::iterator begin = block.begin();
    // Empty paragraphs before any text still get the document's font and size. Block character
    // formats are not written: only runs carry formatting, so a reader that gives a paragraph
    // mark's formatting to the next block still reads back what was written.
    if (m_char.font < 0 && begin.atEnd())
        applyChar(charState(QTextCharFormat()));
    if (QTextList *list = block.textList()) {
        // The label looks like the item's first characters.
        if (!begin.atEnd() && !runFormat(begin.fragment()).image)
            applyChar(runFormat(begin.fragment()).state);
        m_body.openGroup();
        m_body.word("listtext");
        m_body.delimit();
        m_body.text(listLabel(list, block) + u'\t', TextUse::Body);
        m_body.closeGroup();
    }

    const QString text = begin.atEnd() ? QString() : block.text();
    const int textStart = block.position();
    for (QTextBlock::iterator it = begin; !it.atEnd();) {
        // Neighbouring fragments with the same link make one field.
        const QString href = runFormat(it.fragment()).href;
        QTextBlock::iterator next = it;
        ++next;
        while (!next.atEnd() && runFormat(next.fragment()).href == href)
            ++next;
        if (href.isEmpty())
            writeRuns(it, next, text, textStart);
        else
            writeLink(href, it, next, text, textStart);
        it = next;
    }
    if (end == BlockEnd::Document)
        return;
    m_body.word(end == BlockEnd::Cell ? "cell" : "par");
    m_body.lineEnd();
}

void DocumentWriter::writeRuns(
    QTextBlock::iterator from, const QTextBlock::iterator &to, QStringView text, int textStart)
{
    for (; from != to; ++from) {
        const QTextFragment fragment = from.fragment();
        const RunFormat &format = runFormat(fragment);
        if (format.image) {
            // One fragment holds neighbouring images of the same name.
            const QTextImageFormat image = fragment.charFormat().toImageFormat();
            for (int i = 0; i < fragment.length(); ++i)
                writePicture(image);
            continue;
        }
        applyChar(format.state);
        m_body.text(text.mid(fragment.position() - textStart, fragment.length()), TextUse::Body);
    }
}

const DocumentWriter::RunFormat &DocumentWriter::runFormat(const QTextFragment &fragment)
{
    const int index = fragment.charFormatIndex();
    auto it = m_runFormats.find(index);
    if (it != m_runFormats.end())
        return *it;
    const QTextCharFormat format = fragment.charFormat();
    RunFormat run;
    run.href = anchorOf(format);
    run.image = format.isImageFormat();
    // An image's formatting is never written, so its font and colours stay out of the tables.
    if (!run.image)
        run.state = charState(format);
    return *m_runFormats.insert(index, run);
}

void DocumentWriter::writeLink(const QString &href, QTextBlock::iterator from,
    const QTextBlock::iterator &to, QStringView text, int textStart)
{
    // The field is a group: what its result sets ends with it.
    const CharState outside = m_char;
    m_body.openGroup();
    m_body.word("field");
    m_body.openGroup();
    m_body.symbol('*');
    m_body.word("fldinst");
    // A double quote would end the address early; in a URL it is %22 anyway.
    QString target = href;
    target.replace(u'"', QLatin1String("%22"));
    m_body.text(QLatin1String("HYPERLINK \"") + target + u'"', TextUse::Header);
    m_body.closeGroup();
    m_body.openGroup();
    m_body.word("fldrslt");
    m_body.openGroup();
    writeRuns(from, to, text, textStart);
    m_body.closeGroup();
    m_body.closeGroup();
    m_body.closeGroup();
    m_char = outside;
}

void DocumentWriter::writePicture(const QTextImageFormat &format)
{
    const Picture picture = loadPicture(m_document, format.name());
    if (picture.png.isEmpty() || picture.pixels.isEmpty())
        return;
    // The shown size: the format's, one side scaled from the other, or the image's own.
    const qreal imageWidth = picture.pixels.width();
    const qreal imageHeight = picture.pixels.height();
    qreal width = format.width() > 0 ? format.width() : 0;
    qreal height = format.height() > 0 ? format.height() : 0;
    if (width <= 0 && height <= 0) {
        width = imageWidth;
        height = imageHeight;
    } else if (width <= 0) {
        width = height * imageWidth / imageHeight;
    } else if (height <= 0) {
        height = width * imageHeight / imageWidth;
    }
    m_body.openGroup();
    m_body.word("pict");
    m_body.word("pngblip");
    m_body.word("picw", picture.pixels.width());
    m_body.word("pich", picture.pixels.height());
    m_body.word("picwgoal", twips(width));
    m_body.word("pichgoal", twips(height));
    m_body.lineEnd();
    const QByteArray hex = picture.png.toHex();
    for (qsizetype at = 0; at < hex.size(); at += kHexLineLength) {
        const qsizetype length = std::min(kHexLineLength, hex.size() - at);
        m_body.raw(std::string_view(hex.constData() + at, static_cast<std::size_t>(length)));
        m_body.lineEnd();
    }
    m_body.closeGroup();
}

void DocumentWriter::applyChar(const CharState &state)
{
    CharState &now = m_char;
    if (state.font != now.font)
        m_body.word("f", state.font);
    if (state.halfPoints != now.halfPoints)
        m_body.word("fs", state.halfPoints);
    if (state.bold != now.bold)
        state.bold ? m_body.word("b") : m_body.word("b", 0);
    if (state.italic != now.italic)
        state.italic ? m_body.word("i") : m_body.word("i", 0);
    if (state.underline != now.underline)
        m_body.word(state.underline ? "ul" : "ulnone");
    if (state.strike != now.strike)
        state.strike ? m_body.word("strike") : m_body.word("strike", 0);
    if (state.position != now.position) {
        switch (state.position) {
        case Position::Normal:
            m_body.word("nosupersub");
            break;
        case Position::Super:
            m_body.word("super");
            break;
        case Position::Sub:
            m_body.word("sub");
            break;
        }
    }
    if (state.colour != now.colour)
        m_body.word("cf", state.colour);
    if (state.highlight != now.highlight)
        m_body.word("highlight", state.highlight);
    now = state;
}

CharState DocumentWriter::charState(const QTextCharFormat &format)
{
    CharState state;
    state.font = fontIndex(familyOf(format, m_defaultFamily));

    qreal points = m_defaultPoints;
    if (format.hasProperty(QTextFormat::FontPointSize) && format.fontPointSize() > 0) {
        points = format.fontPointSize();
    } else if (format.hasProperty(QTextFormat::FontPixelSize)
        && format.intProperty(QTextFormat::FontPixelSize) > 0) {
        points = format.intProperty(QTextFormat::FontPixelSize) * 0.75;
    } else if (format.hasProperty(QTextFormat::FontSizeAdjustment)) {
        const int adjustment =
            std::clamp(format.intProperty(QTextFormat::FontSizeAdjustment), -2, 4);
        points *= kSizeAdjustments[static_cast<std::size_t>(adjustment + 2)];
    }
    state.halfPoints = std::max(1, qRound(points * 2));

    state.bold = format.hasProperty(QTextFormat::FontWeight) ? format.fontWeight() > QFont::Medium
                                                             : m_defaultFont.bold();
    state.italic =
        format.hasProperty(QTextFormat::FontItalic) ? format.fontItalic() : m_defaultFont.italic();
    state.underline = format.hasProperty(QTextFormat::TextUnderlineStyle)
            || format.hasProperty(QTextFormat::FontUnderline)
        ? format.fontUnderline()
        : m_defaultFont.underline();
    state.strike = format.hasProperty(QTextFormat::FontStrikeOut) ? format.fontStrikeOut()
                                                                  : m_defaultFont.strikeOut();
    switch (format.verticalAlignment()) {
    case QTextCharFormat::AlignSuperScript:
        state.position = Position::Super;
        break;
    case QTextCharFormat::AlignSubScript:
        state.position = Position::Sub;
        break;
    default:
        break;
    }
    // A transparent brush, as HTML's "transparent" gives, is no colour: not black.
    if (format.hasProperty(QTextFormat::ForegroundBrush)
        && format.foreground().style() != Qt::NoBrush && format.foreground().color().alpha() > 0)
        state.colour = colourIndex(format.foreground().color());
    if (format.hasProperty(QTextFormat::BackgroundBrush)
        && format.background().style() != Qt::NoBrush && format.background().color().alpha() > 0)
        state.highlight = colourIndex(format.background().color());
    return state;
}

ParagraphState DocumentWriter::paragraphState(const QTextBlock &block, bool inTable)
{
    const QTextBlockFormat format = block.blockFormat();
    ParagraphState paragraph;
    paragraph.inTable = inTable;
    const Qt::Alignment alignment = format.alignment() & Qt::AlignHorizontal_Mask;
    if (alignment & Qt::AlignJustify)
        paragraph.alignment = Alignment::Justify;
    else if (alignment & Qt::AlignHCenter)
        paragraph.alignment = Alignment::Centre;
    else if (alignment & Qt::AlignRight)
        paragraph.alignment = Alignment::Right;

    const qreal indentWidth = m_document.indentWidth();
    qreal left = format.leftMargin() + format.indent() * indentWidth;
    paragraph.first = twips(format.textIndent());
    if (QTextList *list = block.textList()) {
        left += list->format().indent() * indentWidth;
        paragraph.first -= kListLabelTwips;
        paragraph.list = listNumber(list, twips(left), paragraph.first);
    }
    paragraph.left = twips(left);
    paragraph.right = twips(format.rightMargin());
    paragraph.before = twips(format.topMargin());
    paragraph.after = twips(format.bottomMargin());
    return paragraph;
}

int DocumentWriter::fontIndex(const QString &family)
{
    const QString name = fontTableName(family);
    const qsizetype at = m_fonts.indexOf(name);
    if (at >= 0)
        return static_cast<int>(at);
    m_fonts.append(name);
    return static_cast<int>(m_fonts.size() - 1);
}

int DocumentWriter::colourIndex(const QColor &colour)
{
    const QRgb rgb = colour.rgb() | 0xFF000000u;
    const qsizetype at = m_colours.indexOf(rgb);
    if (at >= 0)
        return static_cast<int>(at + 1);
    m_colours.append(rgb);
    return static_cast<int>(m_colours.size());
}

int DocumentWriter::listNumber(QTextList *list, int left, int first)
{
    for (std::size_t i = 0; i < m_lists.size(); ++i) {
        if (m_lists[i].list == list)
            return static_cast<int>(i + 1);
    }
    m_lists.push_back({list, left, first});
    return static_cast<int>(m_lists.size());
}

std::vector<int> DocumentWriter::cellEdges(const QTextTable *table) const
{
    const int columns = std::max(1, table->columns());
    const QList<QTextLength> constraints = table->format().columnWidthConstraints();
    const qreal total = m_document.textWidth() > 0 ? m_document.textWidth() * kTwipsPerPixel
                                                   : kDefaultTextWidthTwips;
    // Fixed and percentage widths first; variable columns share what is left.
    std::vector<qreal> widths(static_cast<std::size_t>(columns), -1);
    qreal used = 0;
    int variable = 0;
    for (int column = 0; column < columns; ++column) {
        qreal &width = widths[static_cast<std::size_t>(column)];
        const QTextLength length =
            column < constraints.size() ? constraints[column] : QTextLength();
        if (length.type() == QTextLength::FixedLength && length.rawValue() > 0)
            width = length.rawValue() * kTwipsPerPixel;
        else if (length.type() == QTextLength::PercentageLength && length.rawValue() > 0)
            width = total * length.rawValue() / 100;
        if (width > 0)
            used += width;
        else
            ++variable;
    }
    if (variable) {
        const qreal left = total - used;
        const qreal share = left >= variable * kTwipsPerPixel ? left / variable : total / columns;
        for (qreal &width : widths) {
            if (width <= 0)
                width = share;
        }
    }
    // Widths come from whatever was pasted; an absurd one must not overflow the edges.
    constexpr qreal kMaxCellTwips = 1440.0 * 1000;
    constexpr qint64 kMaxEdge = std::numeric_limits<int>::max() / 2;
    std::vector<int> edges;
    qreal edge = 0;
    qint64 previous = 0;
    for (const qreal width : widths) {
        edge += std::clamp(width, qreal(1), kMaxCellTwips);
        // Every cell keeps at least one twip, so edges rise until the cap.
        previous = std::min(std::max(previous + 1, qint64(std::llround(edge))), kMaxEdge);
        edges.push_back(int(previous));
    }
    return edges;
}

RtfOutput DocumentWriter::header() const
{
    RtfOutput out;
    out.openGroup();
    out.word("rtf", 1);
    out.word("ansi");
    out.word("ansicpg", 1252);
    out.word("deff", 0);
    out.openGroup();
    out.word("fonttbl");
    for (qsizetype i = 0; i < m_fonts.size(); ++i) {
        out.openGroup();
        out.word("f", static_cast<int>(i));
        out.word("fnil");
        out.word("fcharset", 0);
        out.delimit();
        out.text(m_fonts[i], TextUse::Header);
        out.raw(";");
        out.closeGroup();
    }
    out.closeGroup();
    out.lineEnd();
    out.openGroup();
    out.word("colortbl");
    out.delimit();
    out.raw(";");
    for (const QRgb rgb : m_colours) {
        out.word("red", qRed(rgb));
        out.word("green", qGreen(rgb));
        out.word("blue", qBlue(rgb));
        out.raw(";");
    }
    out.closeGroup();
    out.lineEnd();
    if (!m_lists.empty())
        writeListTables(out);
    out.word("viewkind", 4);
    out.word("uc", 1);
    return out;
}

// One single-level list per QTextList, so word processors show real lists; \listtext in the
// paragraphs serves readers that know none.
void DocumentWriter::writeListTables(RtfOutput &out) const
{
    out.openGroup();
    out.symbol('*');
    out.word("listtable");
    for (std::size_t i = 0; i < m_lists.size(); ++i) {
        const ListEntry &entry = m_lists[i];
        const QTextListFormat format = entry.list->format();
        const int kind = numberFormat(format.style());
        out.openGroup();
        out.word("list");
        out.word("listsimple", 1);
        out.openGroup();
        out.word("listlevel");
        out.word("levelnfc", kind);
        out.word("leveljc", 0);
        out.word("levelfollow", 0);
        out.word("levelstartat", 1);
        // \leveltext: a length byte, then the text with \'00 where the number goes.
        out.openGroup();
        out.word("leveltext");
        if (kind == 23) {
            const QString bullet = listLabel(entry.list, QTextBlock());
            out.hex(static_cast<unsigned>(bullet.size()));
            out.text(bullet, TextUse::Header);
        } else {
            const QString prefix = format.numberPrefix();
            // Qt numbers "1." when no suffix was ever set.
            const QString suffix = format.hasProperty(QTextFormat::ListNumberSuffix)
                ? format.numberSuffix()
                : QStringLiteral(".");
            out.hex(static_cast<unsigned>(prefix.size() + 1 + suffix.size()));
            out.text(prefix, TextUse::Header);
            out.hex(0);
            out.text(suffix, TextUse::Header);
        }
        out.raw(";");
        out.closeGroup();
        out.openGroup();
        out.word("levelnumbers");
        if (kind != 23)
            out.hex(static_cast<unsigned>(format.numberPrefix().size() + 1));
        out.raw(";");
        out.closeGroup();
        out.word("fi", entry.first);
        out.word("li", entry.left);
        out.closeGroup();
        out.word("listid", static_cast<int>(i + 1));
        out.closeGroup();
    }
    out.closeGroup();
    out.lineEnd();
    out.openGroup();
    out.symbol('*');
    out.word("listoverridetable");
    for (std::size_t i = 0; i < m_lists.size(); ++i) {
        out.openGroup();
        out.word("listoverride");
        out.word("listid", static_cast<int>(i + 1));
        out.word("listoverridecount", 0);
        out.word("ls", static_cast<int>(i + 1));
        out.closeGroup();
    }
    out.closeGroup();
    out.lineEnd();
}

} // namespace

QByteArray RtfWriter::write(const QTextDocument &document)
{
    return DocumentWriter(document).write();
}

} // namespace richtext
