#pragma once

// The reader's internals, shared by rtf_reader*.cpp; not part of the library's interface.

#include "richtext/rtf_codepage.h"
#include "richtext/rtf_reader.h"
#include "richtext/rtf_tokenizer.h"

#include <QByteArray>
#include <QColor>
#include <QHash>
#include <QImage>
#include <QList>
#include <QPointer>
#include <QString>
#include <QTextCharFormat>
#include <QTextCursor>

#include <algorithm>
#include <string_view>

class QTextTable;

namespace richtext::detail {

enum class Destination : quint8 {
    Body, // document text
    ListText, // a list label shown as text; \pard in it must not end a table
    Skip, // everything ignored, nested groups only counted
    FontTable,
    ColorTable,
    FieldInstruction,
    Picture,
    AnsiAlternative, // \upr: ANSI text whose {\*\ud} Unicode twin is shown instead
    ListTable, // \listtable and \listoverridetable
    LevelText, // a list level's \leveltext
    OldNumbering, // \pn
    OldNumberingText, // \pntxtb and \pntxta
    StyleSheet, // \stylesheet: each group in it defines a style
    StyleEntry, // one style's definition
};

// The properties that a style or the text states. What the text states wins over its styles,
// and what neither states is the display's own (rtf_reader_style.cpp).
enum class CharField : quint16 {
    Font = 1 << 0,
    Size = 1 << 1,
    Foreground = 1 << 2,
    Background = 1 << 3,
    Highlight = 1 << 4,
    Raise = 1 << 5,
    Underline = 1 << 6,
    Vertical = 1 << 7,
    Bold = 1 << 8,
    Italic = 1 << 9,
    Strike = 1 << 10,
    Hidden = 1 << 11,
    Caps = 1 << 12,
    SmallCaps = 1 << 13,
};
Q_DECLARE_FLAGS(CharFields, CharField)
Q_DECLARE_OPERATORS_FOR_FLAGS(CharFields)

enum class ParaField : quint16 {
    Tabs = 1 << 0,
    LeftIndent = 1 << 1,
    RightIndent = 1 << 2,
    FirstIndent = 1 << 3,
    SpaceBefore = 1 << 4,
    SpaceAfter = 1 << 5,
    LineSpacing = 1 << 6,
    LineMultiple = 1 << 7,
    Alignment = 1 << 8,
    RightToLeft = 1 << 9,
    PageBreakBefore = 1 << 10,
};
Q_DECLARE_FLAGS(ParaFields, ParaField)
Q_DECLARE_OPERATORS_FOR_FLAGS(ParaFields)

enum class Underline : quint8 { None, Single, Double, Dotted, Dash, DashDot, DashDotDot, Wave };
enum class VerticalPosition : quint8 { Normal, Super, Sub };
enum class Alignment : quint8 { Left, Center, Right, Justify };

struct CharProps
{
    CharFields stated; // by the text (or the style being defined), as opposed to its styles
    int characterStyle = -1; // \cs; -1: none
    int font = -1; // -1 until stated: the style's font, else the document's default font
    int halfPoints = 0; // \fs; 0 when neither the text nor a style states it: the base size shows
    int foreground = 0; // colour table index; 0 is "auto"
    int background = 0;
    int highlight = 0;
    int raise = 0; // \up (positive) and \dn (negative), half-points
    int link = -1; // index into the reader's link targets
    Underline underline = Underline::None;
    VerticalPosition vertical = VerticalPosition::Normal;
    qint8 bold = -1; // -1 until \b, \b0 or a style says: the base weight shows
    bool italic = false;
    bool strike = false;
    bool hidden = false;
    bool caps = false;
    bool smallCaps = false;

    bool operator==(const CharProps &) const = default;
};

struct TabStop
{
    int position = 0; // twips from the left margin
    quint8 kind = 0; // 0 left, 1 right, 2 centre, 3 decimal

    bool operator==(const TabStop &) const = default;
};

struct ParaProps
{
    ParaFields stated; // by the text (or the style being defined), as opposed to its style
    int style = 0; // \s; \pard returns to style 0, the document's Normal
    QList<TabStop> tabs;
    int leftIndent = 0; // twips
    int rightIndent = 0;
    int firstIndent = 0;
    int spaceBefore = 0;
    int spaceAfter = 0;
    int lineSpacing = 0; // \sl: positive "at least", negative "exactly", 0 single
    bool lineMultiple = false; // \slmult1: \sl is a multiple of single spacing (240 = 1)
    Alignment alignment = Alignment::Left;
    bool rightToLeft = false; // \rtlpar
    bool pageBreakBefore = false; // \pagebb
    bool inTable = false;
    int listOverride = 0; // \ls
    int listLevel = 0; // \ilvl
    int oldNumbering = -1; // index into the reader's \pn definitions

    bool operator==(const ParaProps &) const = default;
};

struct State
{
    Destination destination = Destination::Body;
    CharProps chars;
    ParaProps para;
    int codePage = 1252; // of the current font
    int unicodeSkip = 1; // \uc
    bool ignorable = false; // "\*" came: an unknown destination word skips the group
};

struct FontEntry
{
    int number = 0;
    int codePage = 0; // 0: the document's ANSI code page
    QString name;
};

// Metafile sizes (\picw, \pich) are in hundredths of a millimetre, bitmap sizes in pixels.
enum class PictureKind : quint8 { None, Png, Jpeg, Metafile, Bitmap };

struct Picture
{
    PictureKind kind = PictureKind::None;
    QByteArray data;
    int pendingNibble = -1;
    int width = 0; // \picw
    int height = 0; // \pich
    int goalWidth = 0; // \picwgoal, twips
    int goalHeight = 0;
    int scaleX = 100; // \picscalex, percent
    int scaleY = 100;
};

// A list level from \listtable, or its replacement in \listoverridetable.
struct ListLevel
{
    int format = 0; // \levelnfc: 0 decimal, 1/2 upper/lower roman, 3/4 upper/lower letter,
                    // 22 two digits, 23 bullet, 255 none
    int startAt = 1;
    int follow = 0; // \levelfollow: 0 tab, 1 space, 2 nothing
    int font = -1;
    QString text; // \leveltext: a length, then characters and level placeholders 0 to 8
};

struct ListDefinition
{
    int id = 0;
    QList<ListLevel> levels;
};

struct ListOverride
{
    int number = 0; // \ls
    int listId = 0;
    struct Level
    {
        int index = 0;
        bool hasFormat = false;
        bool hasStart = false;
        ListLevel level;
    };
    QList<Level> levels; // \lfolevel entries
};

// Word 6 numbering, \pn.
struct OldNumbering
{
    bool bullet = false;
    int format = 0; // as ListLevel::format
    int startAt = 1;
    int font = -1;
    QString before; // \pntxtb
    QString after; // \pntxta

    bool operator==(const OldNumbering &) const = default;
};

// A style sheet entry: what the style states, and the style it is based on.
struct StyleDefinition
{
    enum class Kind : quint8 { Paragraph, Character, Other }; // Other: section and table styles
    Kind kind = Kind::Paragraph; // an entry without \s, \cs, \ds or \ts is paragraph style 0
    int number = 0;
    int basedOn = -1; // \sbasedon
    CharProps chars;
    ParaProps para;
};

// "1", "iv", "C" ... for a counter in a list level format (rtf_reader_list.cpp).
QString formatListNumber(int value, int format);

// Builds the image a \pict stands for and its shown size in pixels (rtf_reader_picture.cpp).
struct PictureImage
{
    QImage image;
    QSizeF size;
};
// pixelBudget: the decoded pixels the document may still take; lowered by what is kept.
PictureImage buildPicture(const Picture &picture, qint64 &pixelBudget);

// What a HYPERLINK field instruction points to, or empty (rtf_reader_field.cpp).
QString hyperlinkTarget(const QString &instruction);

// The character a SYMBOL field shows: its code (a byte of the font's code page unless
// unicode), and the \f and \s switches; code < 0 when the instruction is no SYMBOL field.
struct SymbolField
{
    int code = -1;
    bool unicode = false;
    QString font;
    int halfPoints = 0;
};
SymbolField symbolField(const QString &instruction);

class RtfReaderImpl
{
public:
    enum class Mode { Replace, Insert };
    RtfReaderImpl(QByteArrayView input, QTextCursor &cursor, Mode mode);
    RtfReadReport run();

    // One control word: its name, what it does, and its argument when none is written.
    using Handler = void (RtfReaderImpl::*)(int);
    struct Word
    {
        std::string_view name;
        Handler handler;
        int defaultArgument;
        bool destination; // opens a destination: known even after "\*"
    };

private:
    // The control words of a destination; null when the word is unknown there.
    static const Word *findWord(Destination destination, std::string_view name);
    static const Word *findStyleSheetWord(std::string_view name); // rtf_reader_style.cpp

    // Tokens
    void groupStart();
    void groupEnd();
    void controlWord(const RtfToken &token);
    void controlSymbol(const RtfToken &token);
    void text(QByteArrayView bytes);
    void binary(QByteArrayView bytes);
    void noteProblem(const QString &problem);

    // Text
    void appendBytes(QByteArrayView bytes);
    void decodeBytes();
    void appendChars(QStringView chars);
    void appendChar(char16_t c);
    void flushText();
    QTextCharFormat charFormat(const CharProps &props);
    void updateCodePage();
    int textCodePage() const;
    bool inBodyText() const;

    // Paragraphs and tables (rtf_reader_table.cpp)
    void prepareContent();
    void endParagraph();
    void applyBlockFormat(const ParaProps &para);
    void openTable();
    void closeTable();
    void trimTable();
    void enterCell();
    void nextCell();
    void endRow();

    // Destinations
    void finishFontName();
    void finishColor();
    void finishPicture();
    void pictureHex(QByteArrayView bytes);
    void fieldResultStarts();
    void finishField(const QString &instruction, bool resultShown);

    // Style sheets (rtf_reader_style.cpp)
    void beginStyle();
    void finishStyle();
    struct ResolvedStyle
    {
        CharProps chars;
        ParaProps para;
    };
    ResolvedStyle resolvedStyle(StyleDefinition::Kind kind, int number);
    CharProps shownChars(); // the current text's, over its styles and the default font
    ParaProps shownPara(const ParaProps &para); // over its paragraph style

    // Lists (rtf_reader_list.cpp)
    void insertListLabel();
    QString listLabel(int listOverride, int level);
    QString oldNumberingLabel(int definition);
    ListLevel *currentListLevel();
    int fontNumberNamed(const QString &name);

    // Handlers, one per control word or family (rtf_reader_words.cpp)
    void wordIgnore(int) { }
    void wordSkipDestination(int);
    void wordFontTable(int);
    void wordColorTable(int);
    void wordListText(int);
    void wordField(int);
    void wordFieldInstruction(int);
    void wordFieldResult(int);
    void wordPicture(int);
    void wordFootnote(int);
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
    void wordOldNumberingKind(int kind);
    void wordOldNumberingFormat(int format);
    void wordOldNumberingStart(int start);
    void wordOldNumberingFont(int font);
    void wordOldNumberingText(int after);
    void wordAnsiAlternative(int);
    void wordUnicodeAlternative(int);
    void wordAnsi(int codePage);
    void wordAnsiCodePage(int codePage);
    void wordDefaultFont(int font);
    void wordUnicode(int value);
    void wordUnicodeSkip(int count);
    void wordCharacter(int c);
    void wordChftn(int);
    void wordPar(int);
    void wordLine(int);
    void wordPage(int);
    void wordSection(int);
    void wordPard(int);
    void wordPlain(int);
    void wordBold(int on);
    void wordItalic(int on);
    void wordStrike(int on);
    void wordUnderline(int kind);
    void wordVertical(int position);
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
    void wordAlignment(int alignment);
    void wordLeftIndent(int twips);
    void wordRightIndent(int twips);
    void wordFirstIndent(int twips);
    void wordSpaceBefore(int twips);
    void wordSpaceAfter(int twips);
    void wordLineSpacing(int twips);
    void wordLineMultiple(int on);
    void wordTabKind(int kind);
    void wordRightToLeft(int on);
    void wordPageBreakBefore(int on);
    void wordTabStop(int twips);
    void wordInTable(int on);
    void wordNestLevel(int level);
    void wordListOverride(int list);
    void wordListLevel(int level);
    void wordRowDefaults(int);
    void wordCellRight(int twips);
    void wordCell(int);
    void wordRow(int);
    void wordNestCell(int);
    void wordFontNumber(int font);
    void wordFontCharset(int charset);
    void wordFontCodePage(int codePage);
    void wordRed(int value);
    void wordGreen(int value);
    void wordBlue(int value);
    void wordPictureKind(int kind);
    void wordPictureWidth(int value);
    void wordPictureHeight(int value);
    void wordPictureGoalWidth(int twips);
    void wordPictureGoalHeight(int twips);
    void wordPictureScaleX(int percent);
    void wordPictureScaleY(int percent);
    void wordStyleSheet(int);
    void wordParagraphStyle(int style);
    void wordCharacterStyle(int style);
    void wordDefineParagraphStyle(int number);
    void wordDefineCharacterStyle(int number);
    void wordDefineOtherStyle(int number);
    void wordBasedOn(int style);

    RtfTokenizer m_tokenizer;
    QTextCursor &m_cursor;
    QTextDocument *m_document;
    RtfReadReport m_report;

    State m_state;
    QList<State> m_stack;
    int m_depth = 0; // of the groups, including those too deep to be kept
    int m_overflowDepth = 0; // groups deeper than the cap, skipped whole
    int m_pendingSkip = 0; // \uc fallback characters still to skip

    // Text waiting to be inserted, all with m_textProps.
    QByteArray m_bytes;
    int m_bytesCodePage = 1252;
    QString m_text;
    QString m_decoded; // reused for decoding
    CharProps m_textProps;
    CharProps m_formatProps; // what m_format was built from
    QTextCharFormat m_format;
    bool m_haveFormat = false;
    CodePageDecoder m_decoder;

    int m_ansiCodePage = 1252;
    int m_defaultFont = -1;
    QHash<int, FontEntry> m_fonts;
    QHash<QString, int> m_fontNames; // case-folded name to number
    FontEntry m_fontEntry; // being read in the font table
    bool m_inFontEntry = false; // a \f came: text names that font
    int m_fontEntryDepth = 0; // of the group that the entry's \f came in
    QList<QColor> m_colors; // invalid: "auto"
    int m_red = -1;
    int m_green = -1;
    int m_blue = -1;

    // Paragraph being written
    Mode m_mode;
    QTextBlockFormat m_originalBlockFormat; // of the block an insert starts in
    bool m_endedParagraph = false;
    bool m_blockHasContent = false;
    ParaProps m_blockPara; // when the block last got content
    ParaProps m_closingPara; // as the document's group closed
    bool m_pageBreakBefore = false;
    int m_tabKind = 0; // for the next \tx
    bool m_sawListText = false;

    // Table being built
    QPointer<QTextTable> m_table; // a QTextTable is a QObject that the document owns
    QList<int> m_cellRights; // \cellx of the current row definition
    int m_tableRow = 0;
    int m_tableColumn = 0;
    bool m_rowEnded = false; // \row came: the next content starts a row
    bool m_cellEnded = false; // \cell came: the next content goes to the next cell
    void positionInTable();
    void moveToCell();
    bool spendCells(qint64 cells);
    void refuseTable();
    qint64 m_cellBudget = 0; // table cells the input may still make
    bool m_tableRefused = false; // the budget ran out: table content becomes paragraphs

    // Fields: one entry per open \field group
    struct Field
    {
        int depth;
        QString instruction;
        bool resultShown = false;
    };
    QList<Field> m_fields;
    QList<QString> m_links;

    QList<ListDefinition> m_lists;
    QList<ListOverride> m_listOverrides;
    bool m_inOverride = false; // the list table words now describe an override
    QHash<int, qsizetype> m_overrideIndex; // \ls to m_listOverrides
    QHash<int, qsizetype> m_listIndex; // \listid to m_lists
    bool m_listIndexStale = true;
    QHash<int, QList<int>> m_listCounters; // per \ls, per level; 0: not counted yet
    QList<OldNumbering> m_oldNumberings;
    bool m_oldNumberingText = false; // \pntxta (true) or \pntxtb being read
    int m_lastOldNumbering = -1;
    int m_oldNumberingCounter = 0;

    QHash<int, StyleDefinition> m_paragraphStyles;
    QHash<int, StyleDefinition> m_characterStyles;
    QHash<int, ResolvedStyle> m_resolvedParagraphStyles; // with their \sbasedon chains
    QHash<int, ResolvedStyle> m_resolvedCharacterStyles;
    StyleDefinition m_styleEntry; // being read in the style sheet

    Picture m_picture;
    int m_pictureDepth = -1;
    int m_footnotes = 0;
    int m_imageCount = 0;
    qint64 m_pixelBudget = 0;
};

// Control word tables are sorted by name, so that a word is found by binary search.
template<size_t N>
constexpr bool isSorted(const RtfReaderImpl::Word (&table)[N])
{
    for (size_t i = 1; i < N; ++i) {
        if (!(table[i - 1].name < table[i].name))
            return false;
    }
    return true;
}

template<size_t N>
const RtfReaderImpl::Word *lookUp(const RtfReaderImpl::Word (&table)[N], std::string_view name)
{
    const RtfReaderImpl::Word *end = table + N;
    const RtfReaderImpl::Word *found = std::lower_bound(table, end, name,
        [](const RtfReaderImpl::Word &word, std::string_view key) { return word.name < key; });
    return found != end && found->name == name ? found : nullptr;
}

} // namespace richtext::detail
