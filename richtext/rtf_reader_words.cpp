// Control words: one sorted table per destination, and what each word does.

#include "richtext/rtf_reader_impl.h"

#include <algorithm>

namespace richtext::detail {

namespace {

using Word = RtfReaderImpl::Word;

// Lengths past a page's size are damage; kept within it, they cannot upset the layout.
constexpr int kMaxTwips = 31680; // 22 inches, Word's largest page

int pageLength(int twips)
{
    return std::clamp(twips, -kMaxTwips, kMaxTwips);
}

} // namespace

const RtfReaderImpl::Word *RtfReaderImpl::findWord(Destination destination, std::string_view name)
{
    // Document text, field instructions and list labels.
    static constexpr Word kBodyWords[] = {
        {"aftncn", &RtfReaderImpl::wordSkipDestination, 0, true},
        {"aftnsep", &RtfReaderImpl::wordSkipDestination, 0, true},
        {"aftnsepc", &RtfReaderImpl::wordSkipDestination, 0, true},
        {"annotation", &RtfReaderImpl::wordSkipDestination, 0, true},
        {"ansi", &RtfReaderImpl::wordAnsi, 1252, false},
        {"ansicpg", &RtfReaderImpl::wordAnsiCodePage, 1252, false},
        {"atnauthor", &RtfReaderImpl::wordSkipDestination, 0, true},
        {"atndate", &RtfReaderImpl::wordSkipDestination, 0, true},
        {"atnid", &RtfReaderImpl::wordSkipDestination, 0, true},
        {"atnref", &RtfReaderImpl::wordSkipDestination, 0, true},
        {"b", &RtfReaderImpl::wordBold, 1, false},
        {"bkmkend", &RtfReaderImpl::wordSkipDestination, 0, true},
        {"bkmkstart", &RtfReaderImpl::wordSkipDestination, 0, true},
        {"bullet", &RtfReaderImpl::wordCharacter, 0x2022, false},
        {"caps", &RtfReaderImpl::wordCaps, 1, false},
        {"cb", &RtfReaderImpl::wordBackground, 0, false},
        {"cell", &RtfReaderImpl::wordCell, 0, false},
        {"cellx", &RtfReaderImpl::wordCellRight, 0, false},
        {"cf", &RtfReaderImpl::wordForeground, 0, false},
        {"chcbpat", &RtfReaderImpl::wordBackground, 0, false},
        {"chftn", &RtfReaderImpl::wordChftn, 0, false},
        {"colortbl", &RtfReaderImpl::wordColorTable, 0, true},
        {"column", &RtfReaderImpl::wordLine, 0, false},
        {"comment", &RtfReaderImpl::wordSkipDestination, 0, true},
        {"cs", &RtfReaderImpl::wordCharacterStyle, 0, false},
        {"deff", &RtfReaderImpl::wordDefaultFont, 0, false},
        {"dn", &RtfReaderImpl::wordDown, 6, false},
        {"do", &RtfReaderImpl::wordIgnore, 0, true},
        {"emdash", &RtfReaderImpl::wordCharacter, 0x2014, false},
        {"emspace", &RtfReaderImpl::wordCharacter, 0x2003, false},
        {"endash", &RtfReaderImpl::wordCharacter, 0x2013, false},
        {"enspace", &RtfReaderImpl::wordCharacter, 0x2002, false},
        {"f", &RtfReaderImpl::wordFont, 0, false},
        {"fi", &RtfReaderImpl::wordFirstIndent, 0, false},
        {"field", &RtfReaderImpl::wordField, 0, true},
        {"filetbl", &RtfReaderImpl::wordSkipDestination, 0, true},
        {"fldinst", &RtfReaderImpl::wordFieldInstruction, 0, true},
        {"fldrslt", &RtfReaderImpl::wordFieldResult, 0, true},
        {"fonttbl", &RtfReaderImpl::wordFontTable, 0, true},
        {"footer", &RtfReaderImpl::wordSkipDestination, 0, true},
        {"footerf", &RtfReaderImpl::wordSkipDestination, 0, true},
        {"footerl", &RtfReaderImpl::wordSkipDestination, 0, true},
        {"footerr", &RtfReaderImpl::wordSkipDestination, 0, true},
        {"footnote", &RtfReaderImpl::wordFootnote, 0, true},
        {"fs", &RtfReaderImpl::wordFontSize, 24, false},
        {"ftncn", &RtfReaderImpl::wordSkipDestination, 0, true},
        {"ftnsep", &RtfReaderImpl::wordSkipDestination, 0, true},
        {"ftnsepc", &RtfReaderImpl::wordSkipDestination, 0, true},
        {"generator", &RtfReaderImpl::wordSkipDestination, 0, true},
        {"header", &RtfReaderImpl::wordSkipDestination, 0, true},
        {"headerf", &RtfReaderImpl::wordSkipDestination, 0, true},
        {"headerl", &RtfReaderImpl::wordSkipDestination, 0, true},
        {"headerr", &RtfReaderImpl::wordSkipDestination, 0, true},
        {"highlight", &RtfReaderImpl::wordHighlight, 0, false},
        {"i", &RtfReaderImpl::wordItalic, 1, false},
        {"ilvl", &RtfReaderImpl::wordListLevel, 0, false},
        {"info", &RtfReaderImpl::wordSkipDestination, 0, true},
        {"intbl", &RtfReaderImpl::wordInTable, 1, false},
        {"itap", &RtfReaderImpl::wordNestLevel, 1, false},
        {"ldblquote", &RtfReaderImpl::wordCharacter, 0x201c, false},
        {"li", &RtfReaderImpl::wordLeftIndent, 0, false},
        {"lin", &RtfReaderImpl::wordLeftIndent, 0, false},
        {"line", &RtfReaderImpl::wordLine, 0, false},
        {"listoverridetable", &RtfReaderImpl::wordListTable, 0, true},
        {"listtable", &RtfReaderImpl::wordListTable, 0, true},
        {"listtext", &RtfReaderImpl::wordListText, 0, true},
        {"lquote", &RtfReaderImpl::wordCharacter, 0x2018, false},
        {"ls", &RtfReaderImpl::wordListOverride, 0, false},
        {"ltrmark", &RtfReaderImpl::wordCharacter, 0x200e, false},
        {"ltrpar", &RtfReaderImpl::wordRightToLeft, 0, false},
        {"mac", &RtfReaderImpl::wordAnsi, 10000, false},
        {"nestcell", &RtfReaderImpl::wordNestCell, 0, false},
        {"nestrow", &RtfReaderImpl::wordNestCell, 0, false},
        {"nonesttables", &RtfReaderImpl::wordSkipDestination, 0, true},
        {"nonshppict", &RtfReaderImpl::wordSkipDestination, 0, true},
        {"nosupersub", &RtfReaderImpl::wordVertical, 0, false},
        {"objclass", &RtfReaderImpl::wordSkipDestination, 0, true},
        {"objdata", &RtfReaderImpl::wordSkipDestination, 0, true},
        {"objname", &RtfReaderImpl::wordSkipDestination, 0, true},
        {"page", &RtfReaderImpl::wordPage, 0, false},
        {"pagebb", &RtfReaderImpl::wordPageBreakBefore, 1, false},
        {"par", &RtfReaderImpl::wordPar, 0, false},
        {"pard", &RtfReaderImpl::wordPard, 0, false},
        {"pc", &RtfReaderImpl::wordAnsi, 437, false},
        {"pca", &RtfReaderImpl::wordAnsi, 850, false},
        {"pgdsctbl", &RtfReaderImpl::wordSkipDestination, 0, true},
        {"pict", &RtfReaderImpl::wordPicture, 0, true},
        {"plain", &RtfReaderImpl::wordPlain, 0, false},
        {"pn", &RtfReaderImpl::wordOldNumbering, 0, true},
        {"pnseclvl", &RtfReaderImpl::wordSkipDestination, 0, true},
        {"pntext", &RtfReaderImpl::wordListText, 0, true},
        {"qc", &RtfReaderImpl::wordAlignment, 1, false},
        {"qd", &RtfReaderImpl::wordAlignment, 3, false},
        {"qj", &RtfReaderImpl::wordAlignment, 3, false},
        {"ql", &RtfReaderImpl::wordAlignment, 0, false},
        {"qmspace", &RtfReaderImpl::wordCharacter, 0x2005, false},
        {"qr", &RtfReaderImpl::wordAlignment, 2, false},
        {"rdblquote", &RtfReaderImpl::wordCharacter, 0x201d, false},
        {"result", &RtfReaderImpl::wordIgnore, 0, true},
        {"revtbl", &RtfReaderImpl::wordSkipDestination, 0, true},
        {"ri", &RtfReaderImpl::wordRightIndent, 0, false},
        {"rin", &RtfReaderImpl::wordRightIndent, 0, false},
        {"row", &RtfReaderImpl::wordRow, 0, false},
        {"rquote", &RtfReaderImpl::wordCharacter, 0x2019, false},
        {"rsidtbl", &RtfReaderImpl::wordSkipDestination, 0, true},
        {"rtf", &RtfReaderImpl::wordIgnore, 1, false},
        {"rtlmark", &RtfReaderImpl::wordCharacter, 0x200f, false},
        {"rtlpar", &RtfReaderImpl::wordRightToLeft, 1, false},
        {"s", &RtfReaderImpl::wordParagraphStyle, 0, false},
        {"sa", &RtfReaderImpl::wordSpaceAfter, 0, false},
        {"sb", &RtfReaderImpl::wordSpaceBefore, 0, false},
        {"scaps", &RtfReaderImpl::wordSmallCaps, 1, false},
        {"sect", &RtfReaderImpl::wordSection, 0, false},
        {"shppict", &RtfReaderImpl::wordIgnore, 0, true},
        {"sl", &RtfReaderImpl::wordLineSpacing, 0, false},
        {"slmult", &RtfReaderImpl::wordLineMultiple, 0, false},
        {"strike", &RtfReaderImpl::wordStrike, 1, false},
        {"striked", &RtfReaderImpl::wordStrike, 1, false},
        {"stylesheet", &RtfReaderImpl::wordStyleSheet, 0, true},
        {"sub", &RtfReaderImpl::wordVertical, 2, false},
        {"super", &RtfReaderImpl::wordVertical, 1, false},
        {"tab", &RtfReaderImpl::wordCharacter, 9, false},
        {"tc", &RtfReaderImpl::wordSkipDestination, 0, true},
        {"tcn", &RtfReaderImpl::wordSkipDestination, 0, true},
        {"template", &RtfReaderImpl::wordSkipDestination, 0, true},
        {"tqc", &RtfReaderImpl::wordTabKind, 2, false},
        {"tqdec", &RtfReaderImpl::wordTabKind, 3, false},
        {"tqr", &RtfReaderImpl::wordTabKind, 1, false},
        {"trowd", &RtfReaderImpl::wordRowDefaults, 0, false},
        {"tx", &RtfReaderImpl::wordTabStop, 0, false},
        {"txe", &RtfReaderImpl::wordSkipDestination, 0, true},
        {"u", &RtfReaderImpl::wordUnicode, 0, false},
        {"uc", &RtfReaderImpl::wordUnicodeSkip, 1, false},
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
        {"upr", &RtfReaderImpl::wordAnsiAlternative, 0, true},
        {"v", &RtfReaderImpl::wordHidden, 1, false},
        {"xe", &RtfReaderImpl::wordSkipDestination, 0, true},
        {"zwbo", &RtfReaderImpl::wordCharacter, 0x200b, false},
        {"zwj", &RtfReaderImpl::wordCharacter, 0x200d, false},
        {"zwnj", &RtfReaderImpl::wordCharacter, 0x200c, false},
    };
    static_assert(isSorted(kBodyWords));

    static constexpr Word kFontTableWords[] = {
        {"cpg", &RtfReaderImpl::wordFontCodePage, 1252, false},
        {"f", &RtfReaderImpl::wordFontNumber, 0, false},
        {"falt", &RtfReaderImpl::wordSkipDestination, 0, true},
        {"fcharset", &RtfReaderImpl::wordFontCharset, 0, false},
        {"fname", &RtfReaderImpl::wordSkipDestination, 0, true},
        {"panose", &RtfReaderImpl::wordSkipDestination, 0, true},
        {"u", &RtfReaderImpl::wordUnicode, 0, false},
        {"uc", &RtfReaderImpl::wordUnicodeSkip, 1, false},
        {"upr", &RtfReaderImpl::wordAnsiAlternative, 0, true},
    };
    static_assert(isSorted(kFontTableWords));

    static constexpr Word kColorTableWords[] = {
        {"blue", &RtfReaderImpl::wordBlue, 0, false},
        {"green", &RtfReaderImpl::wordGreen, 0, false},
        {"red", &RtfReaderImpl::wordRed, 0, false},
    };
    static_assert(isSorted(kColorTableWords));

    static constexpr Word kPictureWords[] = {
        {"dibitmap", &RtfReaderImpl::wordPictureKind, 4, false},
        {"emfblip", &RtfReaderImpl::wordPictureKind, 3, false},
        {"jpegblip", &RtfReaderImpl::wordPictureKind, 2, false},
        {"macpict", &RtfReaderImpl::wordPictureKind, 3, false},
        {"pich", &RtfReaderImpl::wordPictureHeight, 0, false},
        {"pichgoal", &RtfReaderImpl::wordPictureGoalHeight, 0, false},
        {"picscalex", &RtfReaderImpl::wordPictureScaleX, 100, false},
        {"picscaley", &RtfReaderImpl::wordPictureScaleY, 100, false},
        {"picw", &RtfReaderImpl::wordPictureWidth, 0, false},
        {"picwgoal", &RtfReaderImpl::wordPictureGoalWidth, 0, false},
        {"pmmetafile", &RtfReaderImpl::wordPictureKind, 3, false},
        {"pngblip", &RtfReaderImpl::wordPictureKind, 1, false},
        {"wbitmap", &RtfReaderImpl::wordPictureKind, 4, false},
        {"wmetafile", &RtfReaderImpl::wordPictureKind, 3, false},
    };
    static_assert(isSorted(kPictureWords));

    // Inside \upr only its Unicode twin counts.
    static constexpr Word kAnsiAlternativeWords[] = {
        {"ud", &RtfReaderImpl::wordUnicodeAlternative, 0, true},
    };

    // \listtable and \listoverridetable, with their \list and \listoverride entries.
    static constexpr Word kListTableWords[] = {
        {"f", &RtfReaderImpl::wordLevelFont, 0, false},
        {"levelfollow", &RtfReaderImpl::wordLevelFollow, 0, false},
        {"levelnfc", &RtfReaderImpl::wordLevelFormat, 0, false},
        {"levelnfcn", &RtfReaderImpl::wordLevelFormat, 0, false},
        {"levelnumbers", &RtfReaderImpl::wordSkipDestination, 0, true},
        {"levelstartat", &RtfReaderImpl::wordLevelStartAt, 1, false},
        {"leveltext", &RtfReaderImpl::wordLevelText, 0, true},
        {"lfolevel", &RtfReaderImpl::wordOverrideLevel, 0, true},
        {"list", &RtfReaderImpl::wordList, 0, true},
        {"listid", &RtfReaderImpl::wordListId, 0, false},
        {"listlevel", &RtfReaderImpl::wordListLevelStart, 0, true},
        {"listname", &RtfReaderImpl::wordSkipDestination, 0, true},
        {"listoverride", &RtfReaderImpl::wordListOverrideStart, 0, true},
        {"listoverrideformat", &RtfReaderImpl::wordIgnore, 0, false},
        {"listoverridestartat", &RtfReaderImpl::wordOverrideStartAt, 0, false},
        {"ls", &RtfReaderImpl::wordOverrideNumber, 0, false},
    };
    static_assert(isSorted(kListTableWords));

    // Text destinations that only take characters.
    static constexpr Word kCharacterWords[] = {
        {"u", &RtfReaderImpl::wordUnicode, 0, false},
        {"uc", &RtfReaderImpl::wordUnicodeSkip, 1, false},
    };
    static_assert(isSorted(kCharacterWords));

    static constexpr Word kOldNumberingWords[] = {
        {"pndec", &RtfReaderImpl::wordOldNumberingFormat, 0, false},
        {"pnf", &RtfReaderImpl::wordOldNumberingFont, 0, false},
        {"pnlcltr", &RtfReaderImpl::wordOldNumberingFormat, 4, false},
        {"pnlcrm", &RtfReaderImpl::wordOldNumberingFormat, 2, false},
        {"pnlvlblt", &RtfReaderImpl::wordOldNumberingKind, 1, false},
        {"pnlvlbody", &RtfReaderImpl::wordOldNumberingKind, 0, false},
        {"pnstart", &RtfReaderImpl::wordOldNumberingStart, 1, false},
        {"pntxta", &RtfReaderImpl::wordOldNumberingText, 1, true},
        {"pntxtb", &RtfReaderImpl::wordOldNumberingText, 0, true},
        {"pnucltr", &RtfReaderImpl::wordOldNumberingFormat, 3, false},
        {"pnucrm", &RtfReaderImpl::wordOldNumberingFormat, 1, false},
    };
    static_assert(isSorted(kOldNumberingWords));

    switch (destination) {
    case Destination::ListTable:
        return lookUp(kListTableWords, name);
    case Destination::LevelText:
    case Destination::OldNumberingText:
        return lookUp(kCharacterWords, name);
    case Destination::OldNumbering:
        return lookUp(kOldNumberingWords, name);
    case Destination::Body:
    case Destination::ListText:
    case Destination::FieldInstruction:
        return lookUp(kBodyWords, name);
    case Destination::FontTable:
        return lookUp(kFontTableWords, name);
    case Destination::ColorTable:
        return lookUp(kColorTableWords, name);
    case Destination::Picture:
        return lookUp(kPictureWords, name);
    case Destination::AnsiAlternative:
        return lookUp(kAnsiAlternativeWords, name);
    case Destination::StyleEntry:
        return findStyleSheetWord(name);
    case Destination::StyleSheet:
    case Destination::Skip:
        return nullptr;
    }
    return nullptr;
}

// Destinations

void RtfReaderImpl::wordSkipDestination(int)
{
    m_state.destination = Destination::Skip;
}

void RtfReaderImpl::wordFontTable(int)
{
    m_state.destination = Destination::FontTable;
    m_fontEntry = FontEntry();
    m_inFontEntry = false;
}

void RtfReaderImpl::wordColorTable(int)
{
    m_state.destination = Destination::ColorTable;
    m_colors.clear();
    m_red = m_green = m_blue = -1;
}

void RtfReaderImpl::wordListText(int)
{
    if (!inBodyText()) {
        m_state.destination = Destination::Skip;
        return;
    }
    m_state.destination = Destination::ListText;
    m_sawListText = true;
}

void RtfReaderImpl::wordField(int)
{
    if (!inBodyText())
        return;
    m_fields.append(Field {m_depth, QString()});
}

void RtfReaderImpl::wordFieldInstruction(int)
{
    // Instruction text is collected, never shown.
    m_state.destination =
        m_fields.isEmpty() || !inBodyText() ? Destination::Skip : Destination::FieldInstruction;
}

void RtfReaderImpl::wordFieldResult(int)
{
    if (m_state.destination == Destination::FieldInstruction) {
        m_state.destination = Destination::Skip;
        return;
    }
    fieldResultStarts();
}

void RtfReaderImpl::wordPicture(int)
{
    if (!inBodyText()) {
        m_state.destination = Destination::Skip;
        return;
    }
    m_state.destination = Destination::Picture;
    m_picture = Picture();
    m_pictureDepth = m_depth;
}

void RtfReaderImpl::wordFootnote(int)
{
    // Footnote text is not shown; its number stays in the body through \chftn.
    m_state.destination = Destination::Skip;
}

void RtfReaderImpl::wordAnsiAlternative(int)
{
    m_state.destination = Destination::AnsiAlternative;
}

void RtfReaderImpl::wordUnicodeAlternative(int)
{
    // {\upr{ANSI text}{\*\ud{Unicode text}}}: the text goes where the \upr group's text went.
    const qsizetype outer = m_stack.size() - 2;
    m_state.destination = outer >= 0 ? m_stack.at(outer).destination : Destination::Body;
    if (m_state.destination == Destination::AnsiAlternative)
        m_state.destination = Destination::Skip;
}

// Document

void RtfReaderImpl::wordAnsi(int codePage)
{
    m_ansiCodePage = codePage;
    updateCodePage();
}

void RtfReaderImpl::wordAnsiCodePage(int codePage)
{
    // \ansicpg0 is written by some producers; it means no particular code page.
    m_ansiCodePage = codePage > 0 ? codePage : 1252;
    updateCodePage();
}

void RtfReaderImpl::wordDefaultFont(int font)
{
    // Text that states no font, and whose styles state none, is in this one.
    m_defaultFont = font;
    updateCodePage();
}

// Characters

void RtfReaderImpl::wordUnicode(int value)
{
    if (value < 0)
        value += 65536;
    if (value >= 0 && value <= 0xffff) {
        char16_t c = static_cast<char16_t>(value);
        // Frame markers would make the document's structure; they are not text.
        if (c == 0xfdd0 || c == 0xfdd1)
            c = QChar::ReplacementCharacter;
        if (textCodePage() == kSymbolCodePage)
            c = symbolFontBullet(c);
        appendChar(c);
    }
    m_pendingSkip = m_state.unicodeSkip;
}

void RtfReaderImpl::wordUnicodeSkip(int count)
{
    m_state.unicodeSkip = std::clamp(count, 0, 16);
}

void RtfReaderImpl::wordCharacter(int c)
{
    appendChar(static_cast<char16_t>(c));
}

void RtfReaderImpl::wordChftn(int)
{
    if (!inBodyText())
        return;
    appendChars(QString::number(++m_footnotes));
}

void RtfReaderImpl::wordLine(int)
{
    appendChar(QChar::LineSeparator);
}

// Paragraphs

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
    if (m_blockHasContent || !m_text.isEmpty())
        endParagraph();
    m_pageBreakBefore = true;
}

void RtfReaderImpl::wordSection(int)
{
    if (!inBodyText())
        return;
    if (m_blockHasContent || !m_text.isEmpty())
        endParagraph();
}

void RtfReaderImpl::wordPard(int)
{
    // A list label's \pard must not end the table or the paragraph it belongs to.
    if (m_state.destination == Destination::ListText)
        return;
    m_state.para = ParaProps();
    updateCodePage(); // style 0 may name another font
}

void RtfReaderImpl::wordAlignment(int alignment)
{
    m_state.para.alignment = static_cast<Alignment>(std::clamp(alignment, 0, 3));
    m_state.para.stated |= ParaField::Alignment;
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

void RtfReaderImpl::wordPageBreakBefore(int on)
{
    m_state.para.pageBreakBefore = on != 0;
    m_state.para.stated |= ParaField::PageBreakBefore;
}

void RtfReaderImpl::wordTabKind(int kind)
{
    m_tabKind = kind;
}

void RtfReaderImpl::wordTabStop(int twips)
{
    // Word allows 64 tab stops in a paragraph.
    if (m_state.para.tabs.size() < 64)
        m_state.para.tabs.append(TabStop {pageLength(twips), static_cast<quint8>(m_tabKind)});
    m_state.para.stated |= ParaField::Tabs;
    m_tabKind = 0;
}

void RtfReaderImpl::wordListOverride(int list)
{
    m_state.para.listOverride = list;
}

void RtfReaderImpl::wordListLevel(int level)
{
    m_state.para.listLevel = level;
}

// Tables

void RtfReaderImpl::wordInTable(int on)
{
    if (m_state.destination == Destination::ListText)
        return;
    m_state.para.inTable = on != 0;
}

void RtfReaderImpl::wordNestLevel(int level)
{
    // Nested tables are flattened into the outer table's cells.
    if (m_state.destination == Destination::ListText)
        return;
    m_state.para.inTable = level > 0;
}

void RtfReaderImpl::wordRowDefaults(int)
{
    m_cellRights.clear();
}

void RtfReaderImpl::wordCellRight(int twips)
{
    // A row of thousands of cells is damage; the cap keeps the table's size in proportion.
    if (m_cellRights.size() < 1000)
        m_cellRights.append(pageLength(twips));
}

void RtfReaderImpl::wordCell(int)
{
    if (!inBodyText())
        return;
    nextCell();
}

void RtfReaderImpl::wordRow(int)
{
    if (!inBodyText())
        return;
    endRow();
}

void RtfReaderImpl::wordNestCell(int)
{
    if (!inBodyText())
        return;
    endParagraph();
}

// Character formatting

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

void RtfReaderImpl::wordUnderline(int kind)
{
    m_state.chars.underline = static_cast<Underline>(std::clamp(kind, 0, 7));
    m_state.chars.stated |= CharField::Underline;
}

void RtfReaderImpl::wordVertical(int position)
{
    m_state.chars.vertical = static_cast<VerticalPosition>(std::clamp(position, 0, 2));
    m_state.chars.stated |= CharField::Vertical;
}

void RtfReaderImpl::wordUp(int halfPoints)
{
    m_state.chars.raise = std::clamp(halfPoints, -3276, 3276);
    m_state.chars.stated |= CharField::Raise;
}

void RtfReaderImpl::wordDown(int halfPoints)
{
    m_state.chars.raise = -std::clamp(halfPoints, -3276, 3276);
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
    // Sizes past 1638 pt are damage; Qt's text layout would choke on them.
    m_state.chars.halfPoints = std::clamp(halfPoints, 1, 3276);
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

// Font table

void RtfReaderImpl::wordFontNumber(int font)
{
    if (m_inFontEntry && m_fontEntry.number != font)
        finishFontName();
    if (!m_inFontEntry)
        m_fontEntryDepth = m_depth;
    m_fontEntry.number = font;
    m_inFontEntry = true;
}

void RtfReaderImpl::wordFontCharset(int charset)
{
    m_fontEntry.codePage = codePageForCharset(charset, 0);
}

void RtfReaderImpl::wordFontCodePage(int codePage)
{
    m_fontEntry.codePage = codePage;
}

// Colour table

void RtfReaderImpl::wordRed(int value)
{
    m_red = value;
}

void RtfReaderImpl::wordGreen(int value)
{
    m_green = value;
}

void RtfReaderImpl::wordBlue(int value)
{
    m_blue = value;
}

// Pictures

void RtfReaderImpl::wordPictureKind(int kind)
{
    m_picture.kind = static_cast<PictureKind>(std::clamp(kind, 0, 4));
}

void RtfReaderImpl::wordPictureWidth(int value)
{
    m_picture.width = value;
}

void RtfReaderImpl::wordPictureHeight(int value)
{
    m_picture.height = value;
}

void RtfReaderImpl::wordPictureGoalWidth(int twips)
{
    m_picture.goalWidth = twips;
}

void RtfReaderImpl::wordPictureGoalHeight(int twips)
{
    m_picture.goalHeight = twips;
}

void RtfReaderImpl::wordPictureScaleX(int percent)
{
    m_picture.scaleX = percent;
}

void RtfReaderImpl::wordPictureScaleY(int percent)
{
    m_picture.scaleY = percent;
}

} // namespace richtext::detail
