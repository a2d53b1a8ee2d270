#pragma once

// The reader's internals, shared by rtf_reader*.cpp; not part of the library's interface. One
// import is one RtfReaderImpl: tokens in, QTextCursor calls out. Each feature's words, text and
// finishing steps live in the file named beside them below.

#include "richtext/rtf_codepage.h"
#include "richtext/rtf_reader.h"
#include "richtext/rtf_reader_destination.h"
#include "richtext/rtf_reader_state.h"
#include "richtext/rtf_tokenizer.h"

#include <QTextCursor>

class QTextDocument;

namespace richtext::detail {

class RtfReaderImpl
{
public:
    enum class Mode { Replace, Insert };
    RtfReaderImpl(QByteArrayView input, QTextCursor &cursor, Mode mode);
    RtfReaderImpl(const RtfReaderImpl &) = delete;
    RtfReaderImpl &operator=(const RtfReaderImpl &) = delete;
    RtfReadReport run();

    // What the word tables and destination rows name, public so that the tables, which sit
    // outside the class, may name them. A handler takes its word's argument.

    // Text and characters (rtf_reader_text.cpp)
    void appendBytes(QByteArrayView bytes); // text to decode in the destination's code page
    void showText(QStringView chars); // characters of the document's own text
    void wordIgnore(int) { }
    void wordSkipDestination(int);
    template<char16_t Character>
    void wordCharacter(int);
    void wordUnicode(int value);
    void wordUnicodeSkip(int count);
    void wordAnsiAlternative(int);
    void wordUnicodeAlternative(int);
    void wordFootnote(int);
    void wordChftn(int);

    // Fonts, colours and code pages (rtf_reader_font_color.cpp)
    void wordFontTable(int);
    void wordColorTable(int);
    template<int CodePage>
    void wordCharacterSet(int);
    void wordAnsiCodePage(int codePage);
    void wordDefaultFont(int font);
    void wordFontNumber(int font);
    void wordFontCharset(int charset);
    void wordFontCodePage(int codePage);
    void wordRed(int value);
    void wordGreen(int value);
    void wordBlue(int value);
    void fontTableText(QByteArrayView bytes);
    void appendFontName(QStringView chars);
    int fontEntryCodePage() const;
    void fontTableEnd(const GroupState &group);
    void colorTableText(QByteArrayView bytes);

    // Character formatting (rtf_reader_character.cpp)
    void wordPlain(int);
    void wordBold(int on);
    void wordItalic(int on);
    void wordStrike(int on);
    template<Underline Kind>
    void wordUnderline(int on);
    template<VerticalPosition Position>
    void wordVertical(int on);
    void wordUp(int halfPoints);
    void wordDown(int halfPoints);
    void wordCaps(int on);
    void wordSmallCaps(int on);
    void wordHidden(int on);
    void wordFont(int font);
    void wordFontSize(int halfPoints);
    void wordForeground(int index);
    void wordBackground(int index);
    void wordHighlight(int index);

    // Paragraphs (rtf_reader_paragraph.cpp)
    void wordPar(int);
    void wordPage(int);
    void wordSection(int);
    void wordPard(int);
    template<Alignment Value>
    void wordAlignment(int);
    void wordLeftIndent(int twips);
    void wordRightIndent(int twips);
    void wordFirstIndent(int twips);
    void wordSpaceBefore(int twips);
    void wordSpaceAfter(int twips);
    void wordLineSpacing(int twips);
    void wordLineMultiple(int on);
    void wordRightToLeft(int on);
    void wordLeftToRight(int);
    void wordPageBreakBefore(int on);
    void wordOutlineLevel(int level);
    template<TabKind Kind>
    void wordTabKind(int);
    void wordTabStop(int twips);

    // Tables (rtf_reader_table.cpp)
    void wordInTable(int on);
    void wordNestLevel(int level);
    void wordRowDefaults(int);
    void wordCellRight(int twips);
    void wordCell(int);
    void wordRow(int);
    void wordNestCell(int);

    // Fields and links (rtf_reader_field.cpp)
    void wordField(int);
    void wordFieldInstruction(int);
    void wordFieldResult(int);
    void appendInstruction(QStringView chars);

    // Pictures (rtf_reader_picture.cpp)
    void wordPicture(int);
    template<PictureKind Kind>
    void wordPictureKind(int);
    void wordPictureWidth(int value);
    void wordPictureHeight(int value);
    void wordPictureGoalWidth(int twips);
    void wordPictureGoalHeight(int twips);
    void wordPictureScaleX(int percent);
    void wordPictureScaleY(int percent);
    void pictureHex(QByteArrayView bytes);
    void pictureBinary(QByteArrayView bytes);
    void finishPicture(const GroupState &group);

    // Lists (rtf_reader_list.cpp)
    void wordListText(int);
    void wordListOverride(int list);
    void wordListLevel(int level);
    void wordListTable(int);
    void wordList(int);
    void wordListId(int id);
    void wordListLevelStart(int);
    void wordListOverrideStart(int);
    void wordOverrideLevel(int);
    void wordOverrideStartAt(int);
    void wordOverrideNumber(int number);
    void wordLevelFormat(int format);
    void wordLevelStartAt(int start);
    void wordLevelFollow(int follow);
    void wordLevelFont(int font);
    void wordLevelText(int);
    void wordOldNumbering(int);
    void wordOldNumberingBullet(int);
    void wordOldNumberingBody(int);
    template<NumberFormat Format>
    void wordOldNumberingFormat(int);
    void wordOldNumberingStart(int start);
    void wordOldNumberingFont(int font);
    template<NumberingText Which>
    void wordOldNumberingText(int);
    void appendLevelText(QStringView chars);
    int levelTextCodePage() const;
    void appendNumberingText(QStringView chars);
    int numberingTextCodePage() const;
    void oldNumberingEnd(const GroupState &group);

    // Style sheets (rtf_reader_style.cpp)
    void wordStyleSheet(int);
    void wordParagraphStyle(int style);
    void wordCharacterStyle(int style);
    void wordDefineParagraphStyle(int number);
    void wordDefineCharacterStyle(int number);
    void wordDefineOtherStyle(int number);
    void wordBasedOn(int style);
    void beginStyle();
    void styleEntryEnd(const GroupState &group);
    void styleSheetEnd(const GroupState &group);

private:
    // The main loop (rtf_reader.cpp)
    bool blankAfterEnd(const RtfToken &token);
    void dispatch(const RtfToken &token);
    void finishInput();
    void groupStart();
    void groupEnd();
    void controlWord(const RtfToken &token);
    void controlSymbol(const RtfToken &token);
    void text(QByteArrayView bytes);
    void binary(QByteArrayView bytes);
    void noteProblem(const QString &problem);

    // Text (rtf_reader_text.cpp)
    void decodeBytes();
    void appendChar(char16_t c);
    void appendChars(QStringView chars);
    void flushText();
    int textCodePage() const;
    bool inBodyText() const { return m_state.destination->bodyText; }
    bool inListText() const { return m_state.destination == &kListText; }

    // Fonts, colours and code pages (rtf_reader_font_color.cpp)
    void finishFontName();
    void finishColor();
    void updateCodePage();
    int fontCodePage(int font) const;
    int fontNumberNamed(const QString &name);

    // Character formatting (rtf_reader_character.cpp)
    QTextCharFormat charFormat(const CharProps &props);

    // Paragraphs (rtf_reader_paragraph.cpp)
    void endParagraph();
    void applyBlockFormat(const ParaProps &para);

    // Tables (rtf_reader_table.cpp)
    void prepareContent();
    void openTable();
    void closeTable();
    void trimTable();
    void positionInTable();
    void startRow();
    void moveToCell();
    bool spendCells(qint64 cells);
    void refuseTable();
    void enterCell();
    void nextCell();
    void endRow();

    // Fields and links (rtf_reader_field.cpp)
    void fieldResultStarts();
    void finishFields();
    void finishField(const OpenField &field);

    // Lists (rtf_reader_list.cpp)
    void insertListLabel();
    QString listLabel(int listOverride, int level);
    QString oldNumberingLabel(int definition);
    void refreshListIndex();
    ListLevel *currentListLevel();

    // Style sheets (rtf_reader_style.cpp)
    void finishStyle(const GroupState &group);
    ResolvedStyle resolvedStyle(StyleDefinition::Kind kind, int number);
    CharProps shownChars(); // the current text's, over its styles and the default font
    ParaProps shownPara(const ParaProps &para); // over its paragraph style

    // Input
    RtfTokenizer m_tokenizer;
    RtfReadReport m_report;
    CodePageDecoder m_decoder;
    Mode m_mode;

    // The group state stack
    GroupState m_state;
    QList<GroupState> m_stack;
    int m_depth = 0; // of the groups, including those too deep to be kept
    int m_overflowDepth = 0; // groups deeper than the cap, skipped whole

    // What the document's header defines
    DocumentTables m_tables;

    // The document being built
    QTextCursor &m_cursor;
    QTextDocument *m_document;
    PendingText m_pending;
    FormatCache m_format;
    ParagraphOutput m_paragraph;
    TableOutput m_table;
    QList<OpenField> m_fields; // one per open \field group, innermost last
    Counters m_counters;

    // What the current destination's words fill
    DestinationScratch m_scratch;
};

} // namespace richtext::detail
