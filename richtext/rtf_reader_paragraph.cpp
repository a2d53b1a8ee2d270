// Paragraphs: the words that end them and state their format, in text and in style
// definitions, and the QTextBlockFormat that shown properties become.

#include "richtext/rtf_reader_impl.h"

#include <QTextDocument>

#include <algorithm>

namespace richtext::detail {

namespace {

// Word allows 64 tab stops in a paragraph.
constexpr qsizetype kMaxTabStops = 64;

} // namespace

template<Alignment Value>
void RtfReaderImpl::wordAlignment(int)
{
    m_state.para.alignment = Value;
    m_state.para.stated |= ParaField::Alignment;
}

template<TabKind Kind>
void RtfReaderImpl::wordTabKind(int)
{
    m_scratch.tabKind = Kind;
}

namespace {

constexpr Word kFormatWords[] = {
    {"fi", &RtfReaderImpl::wordFirstIndent, 0, false},
    {"li", &RtfReaderImpl::wordLeftIndent, 0, false},
    {"lin", &RtfReaderImpl::wordLeftIndent, 0, false},
    {"ltrpar", &RtfReaderImpl::wordLeftToRight, 0, false},
    {"outlinelevel", &RtfReaderImpl::wordOutlineLevel, 0, false},
    {"pagebb", &RtfReaderImpl::wordPageBreakBefore, 1, false},
    {"qc", &RtfReaderImpl::wordAlignment<Alignment::Center>, 0, false},
    {"qd", &RtfReaderImpl::wordAlignment<Alignment::Justify>, 0, false},
    {"qj", &RtfReaderImpl::wordAlignment<Alignment::Justify>, 0, false},
    {"ql", &RtfReaderImpl::wordAlignment<Alignment::Left>, 0, false},
    {"qr", &RtfReaderImpl::wordAlignment<Alignment::Right>, 0, false},
    {"ri", &RtfReaderImpl::wordRightIndent, 0, false},
    {"rin", &RtfReaderImpl::wordRightIndent, 0, false},
    {"rtlpar", &RtfReaderImpl::wordRightToLeft, 1, false},
    {"sa", &RtfReaderImpl::wordSpaceAfter, 0, false},
    {"sb", &RtfReaderImpl::wordSpaceBefore, 0, false},
    {"sl", &RtfReaderImpl::wordLineSpacing, 0, false},
    {"slmult", &RtfReaderImpl::wordLineMultiple, 0, false},
    {"tqc", &RtfReaderImpl::wordTabKind<TabKind::Center>, 0, false},
    {"tqdec", &RtfReaderImpl::wordTabKind<TabKind::Decimal>, 0, false},
    {"tqr", &RtfReaderImpl::wordTabKind<TabKind::Right>, 0, false},
    {"tx", &RtfReaderImpl::wordTabStop, 0, false},
};
static_assert(isSorted(kFormatWords));

// Paragraph and page ends, and the return to the style's format, happen in text only.
constexpr Word kBodyWords[] = {
    {"page", &RtfReaderImpl::wordPage, 0, false},
    {"par", &RtfReaderImpl::wordPar, 0, false},
    {"pard", &RtfReaderImpl::wordPard, 0, false},
    {"sect", &RtfReaderImpl::wordSection, 0, false},
};
static_assert(isSorted(kBodyWords));

} // namespace

constexpr WordTable kParagraphFormatWords = kFormatWords;
constexpr WordTable kParagraphBodyWords = kBodyWords;

// Paragraph ends

void RtfReaderImpl::wordPar(int)
{
    // A paragraph ends wherever its \par stands, in a list label's group too: some writers
    // (AbiWord) put a whole numbered paragraph there.
    if (!inBodyText())
        return;
    endParagraph();
}

void RtfReaderImpl::wordPage(int)
{
    if (!inBodyText())
        return;
    if (m_paragraph.hasContent || !m_pending.chars.isEmpty())
        endParagraph();
    m_paragraph.pageBreakBefore = true;
}

void RtfReaderImpl::wordSection(int)
{
    if (!inBodyText())
        return;
    if (m_paragraph.hasContent || !m_pending.chars.isEmpty())
        endParagraph();
}

void RtfReaderImpl::endParagraph()
{
    decodeBytes();
    prepareContent();
    flushText();
    applyBlockFormat(m_state.para);
    m_cursor.insertBlock(QTextBlockFormat(), charFormat(shownChars()));
    m_paragraph.ended = true;
    m_paragraph.hasContent = false;
    m_paragraph.labelled = false;
}

// Paragraph format

void RtfReaderImpl::wordPard(int)
{
    // A list label's \pard must not end the table or the paragraph it belongs to.
    if (inListText())
        return;
    m_state.para = ParaProps();
    updateCodePage(); // style 0 may name another font
}

void RtfReaderImpl::wordLeftIndent(int twips)
{
    m_state.para.leftIndent = pageLength(twips);
    m_state.para.stated |= ParaField::LeftIndent;
}

void RtfReaderImpl::wordRightIndent(int twips)
{
    m_state.para.rightIndent = pageLength(twips);
    m_state.para.stated |= ParaField::RightIndent;
}

void RtfReaderImpl::wordFirstIndent(int twips)
{
    m_state.para.firstIndent = pageLength(twips);
    m_state.para.stated |= ParaField::FirstIndent;
}

void RtfReaderImpl::wordSpaceBefore(int twips)
{
    m_state.para.spaceBefore = pageLength(twips);
    m_state.para.stated |= ParaField::SpaceBefore;
}

void RtfReaderImpl::wordSpaceAfter(int twips)
{
    m_state.para.spaceAfter = pageLength(twips);
    m_state.para.stated |= ParaField::SpaceAfter;
}

void RtfReaderImpl::wordLineSpacing(int twips)
{
    m_state.para.lineSpacing = pageLength(twips);
    m_state.para.stated |= ParaField::LineSpacing;
}

void RtfReaderImpl::wordLineMultiple(int on)
{
    m_state.para.lineMultiple = on != 0;
    m_state.para.stated |= ParaField::LineMultiple;
}

void RtfReaderImpl::wordRightToLeft(int on)
{
    m_state.para.rightToLeft = on != 0;
    m_state.para.stated |= ParaField::RightToLeft;
}

void RtfReaderImpl::wordLeftToRight(int)
{
    wordRightToLeft(0);
}

void RtfReaderImpl::wordPageBreakBefore(int on)
{
    m_state.para.pageBreakBefore = on != 0;
    m_state.para.stated |= ParaField::PageBreakBefore;
}

void RtfReaderImpl::wordOutlineLevel(int level)
{
    m_state.para.outlineLevel = level;
    m_state.para.stated |= ParaField::OutlineLevel;
}

void RtfReaderImpl::wordTabStop(int twips)
{
    if (m_state.para.tabs.size() < kMaxTabStops)
        m_state.para.tabs.append(TabStop {pageLength(twips), m_scratch.tabKind});
    m_state.para.stated |= ParaField::Tabs;
    m_scratch.tabKind = TabKind::Left;
}

namespace {

Qt::Alignment qtAlignment(Alignment alignment)
{
    switch (alignment) {
    case Alignment::Left:
        return Qt::AlignLeft;
    case Alignment::Center:
        return Qt::AlignHCenter;
    case Alignment::Right:
        return Qt::AlignRight;
    case Alignment::Justify:
        return Qt::AlignJustify;
    }
    return Qt::AlignLeft;
}

QTextOption::Tab qtTab(double position, TabKind kind)
{
    switch (kind) {
    case TabKind::Left:
        break;
    case TabKind::Right:
        return QTextOption::Tab(position, QTextOption::RightTab);
    case TabKind::Center:
        return QTextOption::Tab(position, QTextOption::CenterTab);
    case TabKind::Decimal:
        return QTextOption::Tab(position, QTextOption::DelimiterTab, QChar(u'.'));
    }
    return QTextOption::Tab(position, QTextOption::LeftTab);
}

void setLineHeight(QTextBlockFormat &format, const ParaProps &para)
{
    if (para.lineSpacing == 0)
        return;
    if (para.lineMultiple && para.lineSpacing > 0)
        format.setLineHeight(
            para.lineSpacing * 100.0 / 240.0, QTextBlockFormat::ProportionalHeight);
    else if (para.lineSpacing > 0)
        format.setLineHeight(para.lineSpacing / kTwipsPerPixel, QTextBlockFormat::MinimumHeight);
    else
        format.setLineHeight(-para.lineSpacing / kTwipsPerPixel, QTextBlockFormat::FixedHeight);
}

// Qt measures tab stops from where the first line starts, RTF from the left margin; a hanging
// indent has an implicit stop at the left indent, where list text starts.
QList<QTextOption::Tab> tabPositions(const ParaProps &para)
{
    const int lineStart = para.leftIndent + para.firstIndent;
    QList<QTextOption::Tab> tabs;
    bool hangingStop = para.firstIndent >= 0;
    for (const TabStop &stop : para.tabs) {
        if (stop.position <= lineStart)
            continue;
        if (!hangingStop && stop.position >= para.leftIndent) {
            if (stop.position > para.leftIndent)
                tabs.append(QTextOption::Tab(
                    (para.leftIndent - lineStart) / kTwipsPerPixel, QTextOption::LeftTab));
            hangingStop = true;
        }
        tabs.append(qtTab((stop.position - lineStart) / kTwipsPerPixel, stop.kind));
    }
    if (!hangingStop)
        tabs.append(QTextOption::Tab(-para.firstIndent / kTwipsPerPixel, QTextOption::LeftTab));
    return tabs;
}

} // namespace

void RtfReaderImpl::applyBlockFormat(const ParaProps &stated)
{
    const ParaProps para = shownPara(stated);
    QTextBlockFormat format;
    format.setAlignment(qtAlignment(para.alignment));
    format.setLeftMargin(para.leftIndent / kTwipsPerPixel);
    format.setRightMargin(para.rightIndent / kTwipsPerPixel);
    format.setTextIndent(para.firstIndent / kTwipsPerPixel);
    format.setTopMargin(para.spaceBefore / kTwipsPerPixel);
    format.setBottomMargin(para.spaceAfter / kTwipsPerPixel);
    setLineHeight(format, para);
    if (const QList<QTextOption::Tab> tabs = tabPositions(para); !tabs.isEmpty())
        format.setTabPositions(tabs);
    if (m_paragraph.pageBreakBefore || para.pageBreakBefore)
        format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    if (para.rightToLeft)
        format.setLayoutDirection(Qt::RightToLeft);
    // Outline levels 0 to 8 are headings; 9 is Word's body text. The display does not show the
    // level; what publishes the document makes headings of it.
    if (para.outlineLevel >= 0 && para.outlineLevel <= 8)
        format.setHeadingLevel(std::min(para.outlineLevel + 1, 6));
    m_paragraph.pageBreakBefore = false;
    m_cursor.setBlockFormat(format);
}

} // namespace richtext::detail
