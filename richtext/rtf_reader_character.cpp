// Character formatting: the words that state it, in text and in style definitions, and the
// QTextCharFormat that shown properties become.

#include "richtext/rtf_reader_impl.h"

#include <algorithm>

namespace richtext::detail {

namespace {

// A raise or size past 1638 pt is damage; Qt's text layout would choke on it.
constexpr int kMaxHalfPoints = 3276;

} // namespace

template<Underline Kind>
void RtfReaderImpl::wordUnderline(int on)
{
    m_state.chars.underline = on != 0 ? Kind : Underline::None;
    m_state.chars.stated |= CharField::Underline;
}

template<VerticalPosition Position>
void RtfReaderImpl::wordVertical(int on)
{
    m_state.chars.vertical = on != 0 ? Position : VerticalPosition::Normal;
    m_state.chars.stated |= CharField::Vertical;
}

namespace {

constexpr Word kFormatWords[] = {
    {"b", &RtfReaderImpl::wordBold, 1, false},
    {"caps", &RtfReaderImpl::wordCaps, 1, false},
    {"cb", &RtfReaderImpl::wordBackground, 0, false},
    {"cf", &RtfReaderImpl::wordForeground, 0, false},
    {"chcbpat", &RtfReaderImpl::wordBackground, 0, false},
    {"dn", &RtfReaderImpl::wordDown, 6, false},
    {"f", &RtfReaderImpl::wordFont, 0, false},
    {"fs", &RtfReaderImpl::wordFontSize, 24, false},
    {"highlight", &RtfReaderImpl::wordHighlight, 0, false},
    {"i", &RtfReaderImpl::wordItalic, 1, false},
    {"nosupersub", &RtfReaderImpl::wordVertical<VerticalPosition::Normal>, 1, false},
    {"scaps", &RtfReaderImpl::wordSmallCaps, 1, false},
    {"strike", &RtfReaderImpl::wordStrike, 1, false},
    {"striked", &RtfReaderImpl::wordStrike, 1, false},
    {"sub", &RtfReaderImpl::wordVertical<VerticalPosition::Sub>, 1, false},
    {"super", &RtfReaderImpl::wordVertical<VerticalPosition::Super>, 1, false},
    {"ul", &RtfReaderImpl::wordUnderline<Underline::Single>, 1, false},
    {"uld", &RtfReaderImpl::wordUnderline<Underline::Dotted>, 1, false},
    {"uldash", &RtfReaderImpl::wordUnderline<Underline::Dash>, 1, false},
    {"uldashd", &RtfReaderImpl::wordUnderline<Underline::DashDot>, 1, false},
    {"uldashdd", &RtfReaderImpl::wordUnderline<Underline::DashDotDot>, 1, false},
    {"uldb", &RtfReaderImpl::wordUnderline<Underline::Double>, 1, false},
    {"ulhwave", &RtfReaderImpl::wordUnderline<Underline::Wave>, 1, false},
    {"ulldash", &RtfReaderImpl::wordUnderline<Underline::Dash>, 1, false},
    {"ulnone", &RtfReaderImpl::wordUnderline<Underline::None>, 1, false},
    {"ulth", &RtfReaderImpl::wordUnderline<Underline::Single>, 1, false},
    {"ulthd", &RtfReaderImpl::wordUnderline<Underline::Dotted>, 1, false},
    {"ulthdash", &RtfReaderImpl::wordUnderline<Underline::Dash>, 1, false},
    {"ulthdashd", &RtfReaderImpl::wordUnderline<Underline::DashDot>, 1, false},
    {"ulthdashdd", &RtfReaderImpl::wordUnderline<Underline::DashDotDot>, 1, false},
    {"ulthldash", &RtfReaderImpl::wordUnderline<Underline::Dash>, 1, false},
    {"ululdbwave", &RtfReaderImpl::wordUnderline<Underline::Wave>, 1, false},
    {"ulw", &RtfReaderImpl::wordUnderline<Underline::Single>, 1, false},
    {"ulwave", &RtfReaderImpl::wordUnderline<Underline::Wave>, 1, false},
    {"up", &RtfReaderImpl::wordUp, 6, false},
    {"v", &RtfReaderImpl::wordHidden, 1, false},
};
static_assert(isSorted(kFormatWords));

// A style definition states what it gives; only text goes back to its style's formatting.
constexpr Word kBodyWords[] = {
    {"plain", &RtfReaderImpl::wordPlain, 0, false},
};

} // namespace

constexpr WordTable kCharacterFormatWords = kFormatWords;
constexpr WordTable kCharacterBodyWords = kBodyWords;

void RtfReaderImpl::wordPlain(int)
{
    // Back to what the paragraph's style gives: the character style goes too.
    const int link = m_state.chars.link; // a link is the field's, not a character property
    m_state.chars = CharProps();
    m_state.chars.link = link;
    updateCodePage();
}

void RtfReaderImpl::wordBold(int on)
{
    m_state.chars.bold = on != 0 ? 1 : 0;
    m_state.chars.stated |= CharField::Bold;
}

void RtfReaderImpl::wordItalic(int on)
{
    m_state.chars.italic = on != 0;
    m_state.chars.stated |= CharField::Italic;
}

void RtfReaderImpl::wordStrike(int on)
{
    m_state.chars.strike = on != 0;
    m_state.chars.stated |= CharField::Strike;
}

void RtfReaderImpl::wordUp(int halfPoints)
{
    m_state.chars.raise = std::clamp(halfPoints, -kMaxHalfPoints, kMaxHalfPoints);
    m_state.chars.stated |= CharField::Raise;
}

void RtfReaderImpl::wordDown(int halfPoints)
{
    m_state.chars.raise = -std::clamp(halfPoints, -kMaxHalfPoints, kMaxHalfPoints);
    m_state.chars.stated |= CharField::Raise;
}

void RtfReaderImpl::wordCaps(int on)
{
    m_state.chars.caps = on != 0;
    m_state.chars.stated |= CharField::Caps;
}

void RtfReaderImpl::wordSmallCaps(int on)
{
    m_state.chars.smallCaps = on != 0;
    m_state.chars.stated |= CharField::SmallCaps;
}

void RtfReaderImpl::wordHidden(int on)
{
    m_state.chars.hidden = on != 0;
    m_state.chars.stated |= CharField::Hidden;
}

void RtfReaderImpl::wordFont(int font)
{
    m_state.chars.font = font;
    m_state.chars.stated |= CharField::Font;
    updateCodePage();
}

void RtfReaderImpl::wordFontSize(int halfPoints)
{
    m_state.chars.halfPoints = std::clamp(halfPoints, 1, kMaxHalfPoints);
    m_state.chars.stated |= CharField::Size;
}

void RtfReaderImpl::wordForeground(int index)
{
    m_state.chars.foreground = index;
    m_state.chars.stated |= CharField::Foreground;
}

void RtfReaderImpl::wordBackground(int index)
{
    m_state.chars.background = index;
    m_state.chars.stated |= CharField::Background;
}

void RtfReaderImpl::wordHighlight(int index)
{
    // Word writes \highlight with an index into the colour table, as \cb.
    m_state.chars.highlight = index;
    m_state.chars.stated |= CharField::Highlight;
}

namespace {

QTextCharFormat::UnderlineStyle underlineStyle(Underline underline)
{
    switch (underline) {
    case Underline::None:
        return QTextCharFormat::NoUnderline;
    case Underline::Single:
    case Underline::Double:
        return QTextCharFormat::SingleUnderline;
    case Underline::Dotted:
        return QTextCharFormat::DotLine;
    case Underline::Dash:
        return QTextCharFormat::DashUnderline;
    case Underline::DashDot:
        return QTextCharFormat::DashDotLine;
    case Underline::DashDotDot:
        return QTextCharFormat::DashDotDotLine;
    case Underline::Wave:
        return QTextCharFormat::WaveUnderline;
    }
    return QTextCharFormat::NoUnderline;
}

} // namespace

QTextCharFormat RtfReaderImpl::charFormat(const CharProps &props)
{
    if (m_format.valid && m_format.props == props)
        return m_format.format;
    QTextCharFormat format;
    // Size and weight only where the RTF states them: the rest is the display's base font.
    if (props.bold >= 0)
        format.setFontWeight(props.bold ? QFont::Bold : QFont::Normal);
    format.setFontItalic(props.italic);
    format.setFontStrikeOut(props.strike);
    if (props.underline != Underline::None)
        format.setUnderlineStyle(underlineStyle(props.underline));
    if (props.vertical == VerticalPosition::Super)
        format.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    else if (props.vertical == VerticalPosition::Sub)
        format.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    else if (props.raise != 0) // in percent of the size, 12 pt where none is stated
        format.setBaselineOffset(
            props.raise * 100.0 / (props.halfPoints > 0 ? props.halfPoints : 24));
    if (props.caps)
        format.setFontCapitalization(QFont::AllUppercase);
    else if (props.smallCaps)
        format.setFontCapitalization(QFont::SmallCaps);
    if (props.halfPoints > 0)
        format.setFontPointSize(props.halfPoints / 2.0);
    const auto font = m_tables.fonts.constFind(props.font);
    if (font != m_tables.fonts.constEnd() && !font->name.isEmpty())
        format.setFontFamilies(QStringList {font->name});
    const QList<QColor> &colors = m_tables.colors;
    if (props.foreground > 0 && props.foreground < colors.size()
        && colors.at(props.foreground).isValid())
        format.setForeground(colors.at(props.foreground));
    // \highlight wins over \cb, as it does in word processors.
    const int background = props.highlight > 0 ? props.highlight : props.background;
    if (background > 0 && background < colors.size() && colors.at(background).isValid())
        format.setBackground(colors.at(background));
    if (props.link >= 0 && props.link < m_tables.links.size()) {
        format.setAnchor(true);
        format.setAnchorHref(m_tables.links.at(props.link));
    }
    m_format = {props, format, true};
    return m_format.format;
}

} // namespace richtext::detail
