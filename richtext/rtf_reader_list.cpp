// Lists: the \listtable and \listoverridetable definitions, Word 6 \pn numbering, and the labels
// they give paragraphs that bring no \listtext of their own.

#include "richtext/rtf_reader_impl.h"

#include <climits>

namespace richtext::detail {

namespace {

constexpr int kNotCounted = INT_MIN;
constexpr int kMaxLevels = 9;
// Word numbers up to 32767; the limit also keeps counters far from overflowing.
constexpr int kMaxStart = 32767;

} // namespace

template<NumberFormat Format>
void RtfReaderImpl::wordOldNumberingFormat(int)
{
    m_tables.oldNumberings.last().format = Format;
}

template<NumberingText Which>
void RtfReaderImpl::wordOldNumberingText(int)
{
    m_state.destination = &kOldNumberingText;
    m_scratch.numberingText = Which;
    OldNumbering &numbering = m_tables.oldNumberings.last();
    (Which == NumberingText::After ? numbering.after : numbering.before).clear();
}

namespace {

// A paragraph's list and level, and the label it brings.
constexpr Word kBodyWords[] = {
    {"ilvl", &RtfReaderImpl::wordListLevel, 0, false},
    {"listoverridetable", &RtfReaderImpl::wordListTable, 0, true},
    {"listtable", &RtfReaderImpl::wordListTable, 0, true},
    {"listtext", &RtfReaderImpl::wordListText, 0, true},
    {"ls", &RtfReaderImpl::wordListOverride, 0, false},
    {"pn", &RtfReaderImpl::wordOldNumbering, 0, true},
    {"pnseclvl", &RtfReaderImpl::wordSkipDestination, 0, true},
    {"pntext", &RtfReaderImpl::wordListText, 0, true},
};
static_assert(isSorted(kBodyWords));

// \listtable and \listoverridetable, with their \list and \listoverride entries.
constexpr Word kListTableWords[] = {
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

constexpr Word kOldNumberingWords[] = {
    {"pndec", &RtfReaderImpl::wordOldNumberingFormat<NumberFormat::Decimal>, 0, false},
    {"pnf", &RtfReaderImpl::wordOldNumberingFont, 0, false},
    {"pnlcltr", &RtfReaderImpl::wordOldNumberingFormat<NumberFormat::LowerLetter>, 0, false},
    {"pnlcrm", &RtfReaderImpl::wordOldNumberingFormat<NumberFormat::LowerRoman>, 0, false},
    {"pnlvlblt", &RtfReaderImpl::wordOldNumberingBullet, 0, false},
    {"pnlvlbody", &RtfReaderImpl::wordOldNumberingBody, 0, false},
    {"pnstart", &RtfReaderImpl::wordOldNumberingStart, 1, false},
    {"pntxta", &RtfReaderImpl::wordOldNumberingText<NumberingText::After>, 0, true},
    {"pntxtb", &RtfReaderImpl::wordOldNumberingText<NumberingText::Before>, 0, true},
    {"pnucltr", &RtfReaderImpl::wordOldNumberingFormat<NumberFormat::UpperLetter>, 0, false},
    {"pnucrm", &RtfReaderImpl::wordOldNumberingFormat<NumberFormat::UpperRoman>, 0, false},
};
static_assert(isSorted(kOldNumberingWords));

} // namespace

constexpr WordTable kListBodyWords = kBodyWords;

// A label written out as text; it belongs to the paragraph around it.
constexpr Destination kListText {
    .words = &bodyWords,
    .bodyText = true,
    .text = &RtfReaderImpl::appendBytes,
    .characters = &RtfReaderImpl::showText,
};

constexpr Destination kListTable {
    .words = &wordIndex<kListTableWords>,
};

// Level text holds placeholder bytes 0 to 8; the document's code page keeps them.
constexpr Destination kLevelText {
    .words = &wordIndex<kUnicodeWords>,
    .text = &RtfReaderImpl::appendBytes,
    .characters = &RtfReaderImpl::appendLevelText,
    .codePage = &RtfReaderImpl::levelTextCodePage,
};

// A \pn group numbers the paragraphs of the group around it.
constexpr Destination kOldNumbering {
    .words = &wordIndex<kOldNumberingWords>,
    .groupEnd = &RtfReaderImpl::oldNumberingEnd,
};

constexpr Destination kOldNumberingText {
    .words = &wordIndex<kUnicodeWords>,
    .text = &RtfReaderImpl::appendBytes,
    .characters = &RtfReaderImpl::appendNumberingText,
    .codePage = &RtfReaderImpl::numberingTextCodePage,
};

// Paragraph words

void RtfReaderImpl::wordListText(int)
{
    if (!inBodyText()) {
        m_state.destination = &kSkip;
        return;
    }
    m_state.destination = &kListText;
    m_paragraph.labelled = true;
}

void RtfReaderImpl::wordListOverride(int list)
{
    m_state.para.listOverride = list;
}

void RtfReaderImpl::wordListLevel(int level)
{
    m_state.para.listLevel = level;
}

// List table words

void RtfReaderImpl::wordListTable(int)
{
    m_state.destination = &kListTable;
    m_scratch.inOverride = false;
}

void RtfReaderImpl::wordList(int)
{
    m_tables.listIndexStale = true;
    m_tables.lists.append(ListDefinition());
    m_scratch.inOverride = false;
}

void RtfReaderImpl::wordListId(int id)
{
    m_tables.listIndexStale = true;
    if (m_scratch.inOverride && !m_tables.listOverrides.isEmpty())
        m_tables.listOverrides.last().listId = id;
    else if (!m_scratch.inOverride && !m_tables.lists.isEmpty())
        m_tables.lists.last().id = id;
}

void RtfReaderImpl::wordListLevelStart(int)
{
    QList<ListDefinition> &lists = m_tables.lists;
    if (m_scratch.inOverride) {
        QList<ListOverride> &overrides = m_tables.listOverrides;
        if (!overrides.isEmpty() && !overrides.last().levels.isEmpty())
            overrides.last().levels.last().hasFormat = true;
    } else if (!lists.isEmpty() && lists.last().levels.size() < kMaxLevels) {
        lists.last().levels.append(ListLevel());
    } else if (!lists.isEmpty()) {
        m_state.destination = &kSkip; // a tenth level has no use
    }
}

void RtfReaderImpl::wordListOverrideStart(int)
{
    m_tables.listIndexStale = true;
    m_tables.listOverrides.append(ListOverride());
    m_scratch.inOverride = true;
}

void RtfReaderImpl::wordOverrideLevel(int)
{
    if (!m_scratch.inOverride || m_tables.listOverrides.isEmpty())
        return;
    QList<ListOverride::Level> &levels = m_tables.listOverrides.last().levels;
    if (levels.size() >= kMaxLevels) {
        m_state.destination = &kSkip;
        return;
    }
    ListOverride::Level level;
    level.index = static_cast<int>(levels.size());
    levels.append(level);
}

void RtfReaderImpl::wordOverrideStartAt(int)
{
    QList<ListOverride> &overrides = m_tables.listOverrides;
    if (m_scratch.inOverride && !overrides.isEmpty() && !overrides.last().levels.isEmpty())
        overrides.last().levels.last().hasStart = true;
}

void RtfReaderImpl::wordOverrideNumber(int number)
{
    m_tables.listIndexStale = true;
    if (m_scratch.inOverride && !m_tables.listOverrides.isEmpty())
        m_tables.listOverrides.last().number = number;
}

ListLevel *RtfReaderImpl::currentListLevel()
{
    if (m_scratch.inOverride) {
        QList<ListOverride> &overrides = m_tables.listOverrides;
        if (overrides.isEmpty() || overrides.last().levels.isEmpty())
            return nullptr;
        return &overrides.last().levels.last().level;
    }
    QList<ListDefinition> &lists = m_tables.lists;
    if (lists.isEmpty() || lists.last().levels.isEmpty())
        return nullptr;
    return &lists.last().levels.last();
}

void RtfReaderImpl::wordLevelFormat(int format)
{
    if (ListLevel *level = currentListLevel())
        level->format = static_cast<NumberFormat>(format);
}

void RtfReaderImpl::wordLevelStartAt(int start)
{
    if (ListLevel *level = currentListLevel())
        level->startAt = std::clamp(start, 0, kMaxStart);
}

void RtfReaderImpl::wordLevelFollow(int follow)
{
    if (ListLevel *level = currentListLevel())
        level->follow = static_cast<LevelFollow>(follow);
}

void RtfReaderImpl::wordLevelFont(int font)
{
    if (ListLevel *level = currentListLevel())
        level->font = font;
}

void RtfReaderImpl::wordLevelText(int)
{
    ListLevel *level = currentListLevel();
    if (!level) {
        m_state.destination = &kSkip;
        return;
    }
    level->text.clear();
    m_state.destination = &kLevelText;
}

void RtfReaderImpl::appendLevelText(QStringView chars)
{
    if (ListLevel *level = currentListLevel())
        level->text.append(chars);
}

int RtfReaderImpl::levelTextCodePage() const
{
    return m_tables.ansiCodePage;
}

// Word 6 numbering words

void RtfReaderImpl::wordOldNumbering(int)
{
    if (!inBodyText()) {
        m_state.destination = &kSkip;
        return;
    }
    m_state.destination = &kOldNumbering;
    m_tables.oldNumberings.append(OldNumbering());
}

void RtfReaderImpl::wordOldNumberingBullet(int)
{
    m_tables.oldNumberings.last().bullet = true;
}

void RtfReaderImpl::wordOldNumberingBody(int)
{
    m_tables.oldNumberings.last().bullet = false;
}

void RtfReaderImpl::wordOldNumberingStart(int start)
{
    m_tables.oldNumberings.last().startAt = std::clamp(start, 0, kMaxStart);
}

void RtfReaderImpl::wordOldNumberingFont(int font)
{
    m_tables.oldNumberings.last().font = font;
}

void RtfReaderImpl::appendNumberingText(QStringView chars)
{
    if (m_tables.oldNumberings.isEmpty())
        return;
    OldNumbering &numbering = m_tables.oldNumberings.last();
    (m_scratch.numberingText == NumberingText::After ? numbering.after : numbering.before)
        .append(chars);
}

int RtfReaderImpl::numberingTextCodePage() const
{
    const QList<OldNumbering> &numberings = m_tables.oldNumberings;
    return fontCodePage(numberings.isEmpty() ? -1 : numberings.last().font);
}

void RtfReaderImpl::oldNumberingEnd(const GroupState &group)
{
    if (m_state.destination != group.destination && !m_tables.oldNumberings.isEmpty())
        m_state.para.oldNumbering = static_cast<int>(m_tables.oldNumberings.size() - 1);
}

// Labels

namespace {

QString roman(int value)
{
    static constexpr struct
    {
        int value;
        const char *digits;
    } kDigits[] = {{1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"}, {100, "c"}, {90, "xc"},
        {50, "l"}, {40, "xl"}, {10, "x"}, {9, "ix"}, {5, "v"}, {4, "iv"}, {1, "i"}};
    QString out;
    for (const auto &digit : kDigits) {
        while (value >= digit.value) {
            out += QLatin1StringView(digit.digits);
            value -= digit.value;
        }
    }
    return out;
}

// "1", "iv", "C" ... for a counter in a list level's format.
QString formatListNumber(int value, NumberFormat format)
{
    switch (format) {
    case NumberFormat::UpperRoman:
    case NumberFormat::LowerRoman:
        if (value >= 1 && value < 4000)
            return format == NumberFormat::UpperRoman ? roman(value).toUpper() : roman(value);
        break;
    case NumberFormat::UpperLetter:
    case NumberFormat::LowerLetter:
        if (value >= 1 && value <= 26 * 10) {
            // Word's letters: a ... z, aa ... zz, aaa ...
            const char16_t first = format == NumberFormat::UpperLetter ? u'A' : u'a';
            const QChar letter(static_cast<char16_t>(first + (value - 1) % 26));
            return QString((value - 1) / 26 + 1, letter);
        }
        break;
    case NumberFormat::TwoDigits:
        return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
    case NumberFormat::Bullet:
    case NumberFormat::None:
        return {};
    case NumberFormat::Decimal:
        break;
    }
    return QString::number(value);
}

// A list's level as its override leaves it.
ListLevel resolvedLevel(const ListDefinition &list, const ListOverride &override, int index)
{
    ListLevel resolved = list.levels.value(index);
    for (const ListOverride::Level &replaced : override.levels) {
        if (replaced.index != index)
            continue;
        if (replaced.hasFormat)
            resolved = replaced.level;
        else if (replaced.hasStart)
            resolved.startAt = replaced.level.startAt;
    }
    return resolved;
}

// \leveltext: its first character is the length; characters 0 to 8 stand for the numbers of
// those levels.
QString levelPattern(const ListLevel &level, int index)
{
    if (!level.text.isEmpty())
        return level.text.mid(1, level.text.at(0).unicode());
    if (level.format == NumberFormat::Bullet)
        return QStringLiteral("\u2022");
    return QChar(static_cast<char16_t>(index)) + QStringLiteral(".");
}

} // namespace

void RtfReaderImpl::insertListLabel()
{
    QString label;
    if (m_state.para.listOverride > 0)
        label = listLabel(m_state.para.listOverride, m_state.para.listLevel);
    else if (m_state.para.oldNumbering >= 0)
        label = oldNumberingLabel(m_state.para.oldNumbering);
    if (label.isEmpty())
        return;
    m_paragraph.labelled = true; // before appending: appendChars comes back here otherwise
    appendChars(label);
}

void RtfReaderImpl::refreshListIndex()
{
    if (!m_tables.listIndexStale)
        return;
    m_tables.overrideIndex.clear();
    m_tables.listIndex.clear();
    for (qsizetype i = 0; i < m_tables.listOverrides.size(); ++i)
        m_tables.overrideIndex.insert(m_tables.listOverrides.at(i).number, i);
    for (qsizetype i = 0; i < m_tables.lists.size(); ++i)
        m_tables.listIndex.insert(m_tables.lists.at(i).id, i);
    m_tables.listIndexStale = false;
}

QString RtfReaderImpl::listLabel(int listOverride, int level)
{
    level = std::clamp(level, 0, kMaxLevels - 1);
    refreshListIndex();
    const qsizetype overrideAt = m_tables.overrideIndex.value(listOverride, -1);
    const ListOverride *override =
        overrideAt >= 0 ? &m_tables.listOverrides.at(overrideAt) : nullptr;
    const qsizetype listAt = override ? m_tables.listIndex.value(override->listId, -1) : -1;
    const ListDefinition *list = listAt >= 0 ? &m_tables.lists.at(listAt) : nullptr;
    // A list the document does not define still looks like a list.
    if (!list)
        return QStringLiteral("\u2022\t");

    QList<int> &counters = m_counters.listCounters[listOverride];
    if (counters.size() != kMaxLevels)
        counters = QList<int>(kMaxLevels, kNotCounted);
    const ListLevel current = resolvedLevel(*list, *override, level);
    counters[level] = counters[level] == kNotCounted ? current.startAt : counters[level] + 1;
    for (int deeper = level + 1; deeper < kMaxLevels; ++deeper)
        counters[deeper] = kNotCounted;

    const QString pattern = levelPattern(current, level);
    const auto font = m_tables.fonts.constFind(current.font);
    const bool symbolFont = font != m_tables.fonts.constEnd() && font->codePage == kSymbolCodePage;
    QString label;
    for (QChar c : pattern) {
        const char16_t code = c.unicode();
        if (code < kMaxLevels) {
            const ListLevel numbered = resolvedLevel(*list, *override, code);
            const int value = counters[code] == kNotCounted ? numbered.startAt : counters[code];
            label += formatListNumber(value, numbered.format);
        } else if (symbolFont || (code >= 0xf020 && code <= 0xf0ff)) {
            label += QChar(symbolFontBullet(code));
        } else if (code >= 0x20) {
            label += c;
        }
    }
    if (current.follow == LevelFollow::Tab)
        label += u'\t';
    else if (current.follow == LevelFollow::Space)
        label += u' ';
    return label;
}

QString RtfReaderImpl::oldNumberingLabel(int definition)
{
    const QList<OldNumbering> &numberings = m_tables.oldNumberings;
    if (definition < 0 || definition >= numberings.size())
        return {};
    const OldNumbering &numbering = numberings.at(definition);
    // Paragraphs numbered alike count on; another numbering starts again.
    int &counter = m_counters.oldNumberingCounter;
    const bool continues =
        m_counters.lastOldNumbering >= 0 && numberings.at(m_counters.lastOldNumbering) == numbering;
    counter = continues ? counter + 1 : numbering.startAt;
    m_counters.lastOldNumbering = definition;
    QString label;
    if (numbering.bullet)
        label = numbering.before.isEmpty() ? QStringLiteral("\u2022") : numbering.before;
    else
        label = numbering.before + formatListNumber(counter, numbering.format) + numbering.after;
    return label + u'\t';
}

} // namespace richtext::detail
