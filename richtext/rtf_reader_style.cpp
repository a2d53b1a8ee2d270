// Style sheets: the paragraph (\s) and character (\cs) styles of \stylesheet, with their
// \sbasedon chains. Text shows its paragraph style, its character style over that, and what it
// states itself over both; what none of them states is the display's own.

#include "richtext/rtf_reader_impl.h"

#include <QVarLengthArray>

namespace richtext::detail {

namespace {

using Word = RtfReaderImpl::Word;

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
    props.stated |= missing;
}

} // namespace

const RtfReaderImpl::Word *RtfReaderImpl::findStyleSheetWord(std::string_view name)
{
    // A style's number and base, and the formatting it gives; list, table and keyboard words
    // of a style are left out.
    static constexpr Word kStyleWords[] = {
        {"b", &RtfReaderImpl::wordBold, 1, false},
        {"caps", &RtfReaderImpl::wordCaps, 1, false},
        {"cb", &RtfReaderImpl::wordBackground, 0, false},
        {"cf", &RtfReaderImpl::wordForeground, 0, false},
        {"chcbpat", &RtfReaderImpl::wordBackground, 0, false},
        {"cs", &RtfReaderImpl::wordDefineCharacterStyle, 0, true},
        {"dn", &RtfReaderImpl::wordDown, 6, false},
        {"ds", &RtfReaderImpl::wordDefineOtherStyle, 0, true},
        {"f", &RtfReaderImpl::wordFont, 0, false},
        {"fi", &RtfReaderImpl::wordFirstIndent, 0, false},
        {"fs", &RtfReaderImpl::wordFontSize, 24, false},
        {"highlight", &RtfReaderImpl::wordHighlight, 0, false},
        {"i", &RtfReaderImpl::wordItalic, 1, false},
        {"li", &RtfReaderImpl::wordLeftIndent, 0, false},
        {"lin", &RtfReaderImpl::wordLeftIndent, 0, false},
        {"ltrpar", &RtfReaderImpl::wordRightToLeft, 0, false},
        {"nosupersub", &RtfReaderImpl::wordVertical, 0, false},
        {"pagebb", &RtfReaderImpl::wordPageBreakBefore, 1, false},
        {"qc", &RtfReaderImpl::wordAlignment, 1, false},
        {"qd", &RtfReaderImpl::wordAlignment, 3, false},
        {"qj", &RtfReaderImpl::wordAlignment, 3, false},
        {"ql", &RtfReaderImpl::wordAlignment, 0, false},
        {"qr", &RtfReaderImpl::wordAlignment, 2, false},
        {"ri", &RtfReaderImpl::wordRightIndent, 0, false},
        {"rin", &RtfReaderImpl::wordRightIndent, 0, false},
        {"rtlpar", &RtfReaderImpl::wordRightToLeft, 1, false},
        {"s", &RtfReaderImpl::wordDefineParagraphStyle, 0, false},
        {"sa", &RtfReaderImpl::wordSpaceAfter, 0, false},
        {"sb", &RtfReaderImpl::wordSpaceBefore, 0, false},
        {"sbasedon", &RtfReaderImpl::wordBasedOn, 0, false},
        {"scaps", &RtfReaderImpl::wordSmallCaps, 1, false},
        {"sl", &RtfReaderImpl::wordLineSpacing, 0, false},
        {"slmult", &RtfReaderImpl::wordLineMultiple, 0, false},
        {"strike", &RtfReaderImpl::wordStrike, 1, false},
        {"striked", &RtfReaderImpl::wordStrike, 1, false},
        {"sub", &RtfReaderImpl::wordVertical, 2, false},
        {"super", &RtfReaderImpl::wordVertical, 1, false},
        {"tqc", &RtfReaderImpl::wordTabKind, 2, false},
        {"tqdec", &RtfReaderImpl::wordTabKind, 3, false},
        {"tqr", &RtfReaderImpl::wordTabKind, 1, false},
        {"ts", &RtfReaderImpl::wordDefineOtherStyle, 0, true},
        {"tx", &RtfReaderImpl::wordTabStop, 0, false},
        {"ul", &RtfReaderImpl::wordUnderline, 1, false},
        {"uld", &RtfReaderImpl::wordUnderline, 3, false},
        {"uldash", &RtfReaderImpl::wordUnderline, 4, false},
        {"uldashd", &RtfReaderImpl::wordUnderline, 5, false},
        {"uldashdd", &RtfReaderImpl::wordUnderline, 6, false},
        {"uldb", &RtfReaderImpl::wordUnderline, 2, false},
        {"ulhwave", &RtfReaderImpl::wordUnderline, 7, false},
        {"ulldash", &RtfReaderImpl::wordUnderline, 4, false},
        {"ulnone", &RtfReaderImpl::wordUnderline, 0, false},
        {"ulth", &RtfReaderImpl::wordUnderline, 1, false},
        {"ulthd", &RtfReaderImpl::wordUnderline, 3, false},
        {"ulthdash", &RtfReaderImpl::wordUnderline, 4, false},
        {"ulthdashd", &RtfReaderImpl::wordUnderline, 5, false},
        {"ulthdashdd", &RtfReaderImpl::wordUnderline, 6, false},
        {"ulthldash", &RtfReaderImpl::wordUnderline, 4, false},
        {"ululdbwave", &RtfReaderImpl::wordUnderline, 7, false},
        {"ulw", &RtfReaderImpl::wordUnderline, 1, false},
        {"ulwave", &RtfReaderImpl::wordUnderline, 7, false},
        {"up", &RtfReaderImpl::wordUp, 6, false},
        {"v", &RtfReaderImpl::wordHidden, 1, false},
    };
    static_assert(isSorted(kStyleWords));
    return lookUp(kStyleWords, name);
}

// Style sheet words

void RtfReaderImpl::wordStyleSheet(int)
{
    m_state.destination = Destination::StyleSheet;
}

void RtfReaderImpl::beginStyle()
{
    // The definition's formatting is read into the group's state, which starts empty, so
    // that it holds what the style states and nothing else.
    m_state.destination = Destination::StyleEntry;
    m_state.chars = CharProps();
    m_state.para = ParaProps();
    m_tabKind = 0;
    m_styleEntry = StyleDefinition();
}

void RtfReaderImpl::wordDefineParagraphStyle(int number)
{
    m_styleEntry.kind = StyleDefinition::Kind::Paragraph;
    m_styleEntry.number = number;
}

void RtfReaderImpl::wordDefineCharacterStyle(int number)
{
    m_styleEntry.kind = StyleDefinition::Kind::Character;
    m_styleEntry.number = number;
}

void RtfReaderImpl::wordDefineOtherStyle(int number)
{
    // Section and table styles format no text that \s or \cs could name.
    m_styleEntry.kind = StyleDefinition::Kind::Other;
    m_styleEntry.number = number;
}

void RtfReaderImpl::wordBasedOn(int style)
{
    m_styleEntry.basedOn = style;
}

void RtfReaderImpl::finishStyle()
{
    decodeBytes();
    if (m_styleEntry.kind == StyleDefinition::Kind::Other)
        return;
    QHash<int, StyleDefinition> &styles = m_styleEntry.kind == StyleDefinition::Kind::Character
        ? m_characterStyles
        : m_paragraphStyles;
    if (styles.size() >= kMaxStyles && !styles.contains(m_styleEntry.number))
        return;
    m_styleEntry.chars = m_state.chars;
    m_styleEntry.para = m_state.para;
    styles.insert(m_styleEntry.number, m_styleEntry);
    // A later definition may change any chain that passes through this style.
    m_resolvedParagraphStyles.clear();
    m_resolvedCharacterStyles.clear();
    m_haveFormat = false;
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

RtfReaderImpl::ResolvedStyle RtfReaderImpl::resolvedStyle(StyleDefinition::Kind kind, int number)
{
    const bool character = kind == StyleDefinition::Kind::Character;
    const QHash<int, StyleDefinition> &styles = character ? m_characterStyles : m_paragraphStyles;
    QHash<int, ResolvedStyle> &resolved =
        character ? m_resolvedCharacterStyles : m_resolvedParagraphStyles;
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
    if (!m_characterStyles.isEmpty() && shown.characterStyle >= 0)
        fillChars(
            shown, resolvedStyle(StyleDefinition::Kind::Character, shown.characterStyle).chars);
    if (!m_paragraphStyles.isEmpty())
        fillChars(shown, resolvedStyle(StyleDefinition::Kind::Paragraph, m_state.para.style).chars);
    if (!(shown.stated & CharField::Font))
        shown.font = m_defaultFont;
    // Where the properties came from does not change what the text looks like.
    shown.stated = {};
    shown.characterStyle = -1;
    return shown;
}

ParaProps RtfReaderImpl::shownPara(const ParaProps &para)
{
    ParaProps shown = para;
    if (!m_paragraphStyles.isEmpty())
        fillPara(shown, resolvedStyle(StyleDefinition::Kind::Paragraph, para.style).para);
    return shown;
}

} // namespace richtext::detail
