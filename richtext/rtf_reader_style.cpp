// Style sheets: the paragraph (\s) and character (\cs) styles of \stylesheet, with their
// \sbasedon chains. Text shows its paragraph style, its character style over that, and what it
// states itself over both; what none of them states is the display's own.

#include "richtext/rtf_reader_impl.h"

#include <QVarLengthArray>

namespace richtext::detail {

namespace {

// Real chains are a few styles long; a longer one, or one that comes back to a style it has
// passed, is damage and is cut there.
constexpr qsizetype kMaxChain = 32;
// Word holds at most 4093 styles; definitions beyond this many are left out.
constexpr qsizetype kMaxStyles = 8192;

// What props do not state, taken from beneath where it states it.
void fillChars(CharProps &props, const CharProps &beneath)
{
    const CharFields missing = beneath.stated & ~props.stated;
    if (!missing)
        return;
    if (missing & CharField::Font)
        props.font = beneath.font;
    if (missing & CharField::Size)
        props.halfPoints = beneath.halfPoints;
    if (missing & CharField::Foreground)
        props.foreground = beneath.foreground;
    if (missing & CharField::Background)
        props.background = beneath.background;
    if (missing & CharField::Highlight)
        props.highlight = beneath.highlight;
    if (missing & CharField::Raise)
        props.raise = beneath.raise;
    if (missing & CharField::Underline)
        props.underline = beneath.underline;
    if (missing & CharField::Vertical)
        props.vertical = beneath.vertical;
    if (missing & CharField::Bold)
        props.bold = beneath.bold;
    if (missing & CharField::Italic)
        props.italic = beneath.italic;
    if (missing & CharField::Strike)
        props.strike = beneath.strike;
    if (missing & CharField::Hidden)
        props.hidden = beneath.hidden;
    if (missing & CharField::Caps)
        props.caps = beneath.caps;
    if (missing & CharField::SmallCaps)
        props.smallCaps = beneath.smallCaps;
    props.stated |= missing;
}

void fillPara(ParaProps &props, const ParaProps &beneath)
{
    const ParaFields missing = beneath.stated & ~props.stated;
    if (!missing)
        return;
    if (missing & ParaField::Tabs)
        props.tabs = beneath.tabs;
    if (missing & ParaField::LeftIndent)
        props.leftIndent = beneath.leftIndent;
    if (missing & ParaField::RightIndent)
        props.rightIndent = beneath.rightIndent;
    if (missing & ParaField::FirstIndent)
        props.firstIndent = beneath.firstIndent;
    if (missing & ParaField::SpaceBefore)
        props.spaceBefore = beneath.spaceBefore;
    if (missing & ParaField::SpaceAfter)
        props.spaceAfter = beneath.spaceAfter;
    if (missing & ParaField::LineSpacing)
        props.lineSpacing = beneath.lineSpacing;
    if (missing & ParaField::LineMultiple)
        props.lineMultiple = beneath.lineMultiple;
    if (missing & ParaField::Alignment)
        props.alignment = beneath.alignment;
    if (missing & ParaField::RightToLeft)
        props.rightToLeft = beneath.rightToLeft;
    if (missing & ParaField::PageBreakBefore)
        props.pageBreakBefore = beneath.pageBreakBefore;
    if (missing & ParaField::OutlineLevel)
        props.outlineLevel = beneath.outlineLevel;
    props.stated |= missing;
}

// A style's number and base; list, table and keyboard words of a style are left out.
constexpr Word kEntryWords[] = {
    {"cs", &RtfReaderImpl::wordDefineCharacterStyle, 0, true},
    {"ds", &RtfReaderImpl::wordDefineOtherStyle, 0, true},
    {"s", &RtfReaderImpl::wordDefineParagraphStyle, 0, false},
    {"sbasedon", &RtfReaderImpl::wordBasedOn, 0, false},
    {"ts", &RtfReaderImpl::wordDefineOtherStyle, 0, true},
};
static_assert(isSorted(kEntryWords));

// The style sheet, and the styles that text names.
constexpr Word kBodyWords[] = {
    {"cs", &RtfReaderImpl::wordCharacterStyle, 0, false},
    {"s", &RtfReaderImpl::wordParagraphStyle, 0, false},
    {"stylesheet", &RtfReaderImpl::wordStyleSheet, 0, true},
};
static_assert(isSorted(kBodyWords));

} // namespace

constexpr WordTable kStyleBodyWords = kBodyWords;

// Each group in the style sheet defines a style.
constexpr Destination kStyleSheet {
    .groupStart = &RtfReaderImpl::beginStyle,
    .groupEnd = &RtfReaderImpl::styleSheetEnd,
};

// A definition states the formatting that its style gives; its name is not needed.
constexpr Destination kStyleEntry {
    .words = &wordIndex<kCharacterFormatWords, kParagraphFormatWords, kEntryWords>,
    .groupEnd = &RtfReaderImpl::styleEntryEnd,
};

// Style sheet words

void RtfReaderImpl::wordStyleSheet(int)
{
    m_state.destination = &kStyleSheet;
}

void RtfReaderImpl::styleSheetEnd(const GroupState &group)
{
    // The styles, and the fonts they name, are known now.
    if (m_state.destination != group.destination)
        updateCodePage();
}

void RtfReaderImpl::beginStyle()
{
    // The definition's formatting is read into the group's state, which starts empty, so
    // that it holds what the style states and nothing else.
    m_state.destination = &kStyleEntry;
    m_state.chars = CharProps();
    m_state.para = ParaProps();
    m_scratch.tabKind = TabKind::Left;
    m_scratch.style = StyleDefinition();
}

void RtfReaderImpl::wordDefineParagraphStyle(int number)
{
    m_scratch.style.kind = StyleDefinition::Kind::Paragraph;
    m_scratch.style.number = number;
}

void RtfReaderImpl::wordDefineCharacterStyle(int number)
{
    m_scratch.style.kind = StyleDefinition::Kind::Character;
    m_scratch.style.number = number;
}

void RtfReaderImpl::wordDefineOtherStyle(int number)
{
    // Section and table styles format no text that \s or \cs could name.
    m_scratch.style.kind = StyleDefinition::Kind::Other;
    m_scratch.style.number = number;
}

void RtfReaderImpl::wordBasedOn(int style)
{
    m_scratch.style.basedOn = style;
}

void RtfReaderImpl::styleEntryEnd(const GroupState &group)
{
    // Groups inside an entry hold parts of its name.
    if (m_state.destination == &kStyleSheet)
        finishStyle(group);
}

void RtfReaderImpl::finishStyle(const GroupState &group)
{
    StyleDefinition &entry = m_scratch.style;
    if (entry.kind == StyleDefinition::Kind::Other)
        return;
    QHash<int, StyleDefinition> &styles = entry.kind == StyleDefinition::Kind::Character
        ? m_tables.characterStyles
        : m_tables.paragraphStyles;
    if (styles.size() >= kMaxStyles && !styles.contains(entry.number))
        return;
    entry.chars = group.chars;
    entry.para = group.para;
    styles.insert(entry.number, entry);
    // A later definition may change any chain that passes through this style.
    m_tables.resolvedParagraphStyles.clear();
    m_tables.resolvedCharacterStyles.clear();
    m_format.valid = false;
}

// Body words

void RtfReaderImpl::wordParagraphStyle(int style)
{
    m_state.para.style = style;
    updateCodePage();
}

void RtfReaderImpl::wordCharacterStyle(int style)
{
    m_state.chars.characterStyle = style;
    updateCodePage();
}

// Styles applied

ResolvedStyle RtfReaderImpl::resolvedStyle(StyleDefinition::Kind kind, int number)
{
    const bool character = kind == StyleDefinition::Kind::Character;
    const QHash<int, StyleDefinition> &styles =
        character ? m_tables.characterStyles : m_tables.paragraphStyles;
    QHash<int, ResolvedStyle> &resolved =
        character ? m_tables.resolvedCharacterStyles : m_tables.resolvedParagraphStyles;
    const auto known = resolved.constFind(number);
    if (known != resolved.constEnd())
        return *known;
    const auto style = styles.constFind(number);
    if (style == styles.constEnd())
        return {}; // a style the sheet does not define gives nothing
    ResolvedStyle result {style->chars, style->para};
    QVarLengthArray<int, kMaxChain> passed {number};
    for (int base = style->basedOn; passed.size() < kMaxChain && !passed.contains(base);) {
        const auto next = styles.constFind(base);
        if (next == styles.constEnd())
            break;
        fillChars(result.chars, next->chars);
        fillPara(result.para, next->para);
        passed.append(base);
        base = next->basedOn;
    }
    resolved.insert(number, result);
    return result;
}

CharProps RtfReaderImpl::shownChars()
{
    CharProps shown = m_state.chars;
    if (!m_tables.characterStyles.isEmpty() && shown.characterStyle >= 0)
        fillChars(
            shown, resolvedStyle(StyleDefinition::Kind::Character, shown.characterStyle).chars);
    if (!m_tables.paragraphStyles.isEmpty())
        fillChars(shown, resolvedStyle(StyleDefinition::Kind::Paragraph, m_state.para.style).chars);
    if (!(shown.stated & CharField::Font))
        shown.font = m_tables.defaultFont;
    // Where the properties came from does not change what the text looks like.
    shown.stated = {};
    shown.characterStyle = -1;
    return shown;
}

ParaProps RtfReaderImpl::shownPara(const ParaProps &para)
{
    ParaProps shown = para;
    if (!m_tables.paragraphStyles.isEmpty())
        fillPara(shown, resolvedStyle(StyleDefinition::Kind::Paragraph, para.style).para);
    return shown;
}

} // namespace richtext::detail
