#pragma once

// The reader's state, in the groups that its handlers touch: what a group states (pushed at "{",
// popped at "}"), what the document's header defines, the document being built, and the scratch
// that a destination fills until its entry or group ends.

#include "richtext/rtf_reader_destination.h"

#include <QByteArray>
#include <QColor>
#include <QHash>
#include <QList>
#include <QPointer>
#include <QString>
#include <QTextBlockFormat>
#include <QTextCharFormat>

#include <algorithm>

class QTextTable;

namespace richtext::detail {

// Lengths in RTF are twips; the document's are pixels at 96 to the inch.
constexpr double kTwipsPerPixel = 15.0;

// Lengths past a page's size are damage; kept within it, they cannot upset the layout.
constexpr int pageLength(int twips)
{
    constexpr int kMaxTwips = 31680; // 22 inches, Word's largest page
    return std::clamp(twips, -kMaxTwips, kMaxTwips);
}

// What text and paragraphs state

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
    OutlineLevel = 1 << 11,
};
Q_DECLARE_FLAGS(ParaFields, ParaField)
Q_DECLARE_OPERATORS_FOR_FLAGS(ParaFields)

enum class Underline : quint8 { None, Single, Double, Dotted, Dash, DashDot, DashDotDot, Wave };
enum class VerticalPosition : quint8 { Normal, Super, Sub };
enum class Alignment : quint8 { Left, Center, Right, Justify };
enum class TabKind : quint8 { Left, Right, Center, Decimal };

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
    int link = -1; // index into DocumentTables::links
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
    TabKind kind = TabKind::Left;

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
    int outlineLevel = -1; // \outlinelevel: 0 for a top heading; -1 for body text
    bool inTable = false;
    int listOverride = 0; // \ls
    int listLevel = 0; // \ilvl
    int oldNumbering = -1; // index into DocumentTables::oldNumberings

    bool operator==(const ParaProps &) const = default;
};

// What a group states: pushed at "{" and popped at "}".
struct GroupState
{
    const Destination *destination = &kBody;
    CharProps chars;
    ParaProps para;
    int codePage = 1252; // of the current font
    int unicodeSkip = 1; // \uc
    bool ignorable = false; // "\*" came: an unknown destination word skips the group
};

// What the document's header defines; text refers to it by number

struct FontEntry
{
    int number = 0;
    int codePage = 0; // 0: the document's ANSI code page
    QString name;
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

// A style with what its \sbasedon chain adds.
struct ResolvedStyle
{
    CharProps chars;
    ParaProps para;
};

// How a list level shows its number: the values are those of \levelnfc and \pn.
enum class NumberFormat : int {
    Decimal = 0,
    UpperRoman = 1,
    LowerRoman = 2,
    UpperLetter = 3,
    LowerLetter = 4,
    TwoDigits = 22,
    Bullet = 23,
    None = 255,
};

// What follows a list label: the values are those of \levelfollow.
enum class LevelFollow : int { Tab = 0, Space = 1, Nothing = 2 };

// A list level from \listtable, or its replacement in \listoverridetable.
struct ListLevel
{
    NumberFormat format = NumberFormat::Decimal;
    int startAt = 1;
    LevelFollow follow = LevelFollow::Tab;
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
    NumberFormat format = NumberFormat::Decimal;
    int startAt = 1;
    int font = -1;
    QString before; // \pntxtb
    QString after; // \pntxta

    bool operator==(const OldNumbering &) const = default;
};

struct DocumentTables
{
    int ansiCodePage = 1252;
    int defaultFont = -1; // \deff: the font of text that neither it nor its styles name
    QHash<int, FontEntry> fonts;
    QHash<QString, int> fontNames; // case-folded name to number
    QList<QColor> colors; // invalid: "auto"
    QHash<int, StyleDefinition> paragraphStyles;
    QHash<int, StyleDefinition> characterStyles;
    QHash<int, ResolvedStyle> resolvedParagraphStyles; // with their \sbasedon chains
    QHash<int, ResolvedStyle> resolvedCharacterStyles;
    QList<ListDefinition> lists;
    QList<ListOverride> listOverrides;
    QHash<int, qsizetype> overrideIndex; // \ls to listOverrides
    QHash<int, qsizetype> listIndex; // \listid to lists
    bool listIndexStale = true;
    QList<OldNumbering> oldNumberings;
    QList<QString> links; // where HYPERLINK fields point
};

// The document being built

// Text waiting to go into the document, all in one format.
struct PendingText
{
    QByteArray bytes; // not decoded yet
    int bytesCodePage = 1252;
    QString chars; // decoded, all with props
    CharProps props;
    QString decoded; // reused for decoding
    int fallbackToSkip = 0; // \uc fallback characters still to skip
};

// The character format last built, kept while the properties and the tables stay the same.
struct FormatCache
{
    CharProps props;
    QTextCharFormat format;
    bool valid = false;
};

struct ParagraphOutput
{
    QTextBlockFormat originalFormat; // of the block an insert starts in
    bool ended = false; // a paragraph ended: an insert gives its last block that format back
    bool hasContent = false;
    bool labelled = false; // its list label came (\listtext) or was made
    bool pageBreakBefore = false; // \page came
    ParaProps contentPara; // when the block last got content
    ParaProps closingPara; // as the document's group closed
};

struct TableOutput
{
    QPointer<QTextTable> current; // a QTextTable is a QObject that the document owns
    QList<int> cellRights; // \cellx of the current row definition
    int row = 0;
    int column = 0;
    bool rowEnded = false; // \row came: the next content starts a row
    bool cellEnded = false; // \cell came: the next content goes to the next cell
    qint64 cellBudget = 0; // table cells the input may still make
    bool refused = false; // the budget ran out: table content becomes paragraphs
};

// One open \field group.
struct OpenField
{
    int depth = 0;
    QString instruction;
    bool resultShown = false;
};

// Numbers handed out so far, and room left.
struct Counters
{
    QHash<int, QList<int>> listCounters; // per \ls, per level
    int lastOldNumbering = -1;
    int oldNumberingCounter = 0;
    int footnotes = 0;
    int images = 0;
    qint64 pixelBudget = 0; // decoded picture pixels the document may still take
};

// Scratch that a destination's words fill

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

// Which of \pntxtb and \pntxta a numbering text group holds.
enum class NumberingText : quint8 { Before, After };

struct DestinationScratch
{
    // \fonttbl: the entry being read
    FontEntry font;
    bool inFontEntry = false; // a \f came: text names that font
    int fontEntryDepth = 0; // of the group that the entry's \f came in
    // \colortbl: the entry being read
    int red = -1;
    int green = -1;
    int blue = -1;
    // \pict
    Picture picture;
    // \stylesheet: the entry being read
    StyleDefinition style;
    // \listtable and \listoverridetable
    bool inOverride = false; // the words now describe an override
    // \pntxtb or \pntxta
    NumberingText numberingText = NumberingText::Before;
    // Paragraph words: the kind of the next \tx
    TabKind tabKind = TabKind::Left;
};

} // namespace richtext::detail
