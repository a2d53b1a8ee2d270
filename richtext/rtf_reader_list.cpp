// List labels: from \listtable levels for \ls paragraphs, and from Word 6 \pn numbering, for
// paragraphs that bring no \listtext of their own.

#include "richtext/rtf_reader_impl.h"

#include <climits>

namespace richtext::detail {

namespace {

constexpr int kNotCounted = INT_MIN;
constexpr int kMaxLevels = 9;
// Word numbers up to 32767; the limit also keeps counters far from overflowing.
constexpr int kMaxStart = 32767;

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

} // namespace

QString formatListNumber(int value, int format)
{
    switch (format) {
    case 1:
    case 2:
        if (value >= 1 && value < 4000)
            return format == 1 ? roman(value).toUpper() : roman(value);
        break;
    case 3:
    case 4:
        if (value >= 1 && value <= 26 * 10) {
            // Word's letters: a ... z, aa ... zz, aaa ...
            const QChar letter(
                static_cast<char16_t>((format == 3 ? u'A' : u'a') + (value - 1) % 26));
            return QString((value - 1) / 26 + 1, letter);
        }
        break;
    case 22:
        return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
    case 23:
    case 255:
        return {};
    default:
        break;
    }
    return QString::number(value);
}

void RtfReaderImpl::insertListLabel()
{
    QString label;
    if (m_state.para.listOverride > 0)
        label = listLabel(m_state.para.listOverride, m_state.para.listLevel);
    else if (m_state.para.oldNumbering >= 0)
        label = oldNumberingLabel(m_state.para.oldNumbering);
    if (label.isEmpty())
        return;
    m_sawListText = true; // before appending: appendChars comes back here otherwise
    appendChars(label);
}

QString RtfReaderImpl::listLabel(int listOverride, int level)
{
    level = std::clamp(level, 0, kMaxLevels - 1);
    if (m_listIndexStale) {
        m_overrideIndex.clear();
        m_listIndex.clear();
        for (qsizetype i = 0; i < m_listOverrides.size(); ++i)
            m_overrideIndex.insert(m_listOverrides.at(i).number, i);
        for (qsizetype i = 0; i < m_lists.size(); ++i)
            m_listIndex.insert(m_lists.at(i).id, i);
        m_listIndexStale = false;
    }
    const qsizetype overrideAt = m_overrideIndex.value(listOverride, -1);
    const ListOverride *override = overrideAt >= 0 ? &m_listOverrides.at(overrideAt) : nullptr;
    const qsizetype listAt = override ? m_listIndex.value(override->listId, -1) : -1;
    const ListDefinition *list = listAt >= 0 ? &m_lists.at(listAt) : nullptr;
    // A list the document does not define still looks like a list.
    if (!list)
        return QStringLiteral("\u2022\t");

    auto levelAt = [&](int index) {
        ListLevel resolved = list->levels.value(index);
        for (const ListOverride::Level &replaced : override->levels) {
            if (replaced.index != index)
                continue;
            if (replaced.hasFormat)
                resolved = replaced.level;
            else if (replaced.hasStart)
                resolved.startAt = replaced.level.startAt;
        }
        return resolved;
    };

    QList<int> &counters = m_listCounters[listOverride];
    if (counters.size() != kMaxLevels)
        counters = QList<int>(kMaxLevels, kNotCounted);
    const ListLevel current = levelAt(level);
    counters[level] = counters[level] == kNotCounted ? current.startAt : counters[level] + 1;
    for (int deeper = level + 1; deeper < kMaxLevels; ++deeper)
        counters[deeper] = kNotCounted;

    // \leveltext: its first character is the length; characters 0 to 8 stand for the
    // numbers of those levels.
    QString pattern;
    if (!current.text.isEmpty()) {
        pattern = current.text.mid(1, current.text.at(0).unicode());
    } else if (current.format == 23) {
        pattern = QStringLiteral("\u2022");
    } else {
        pattern = QChar(static_cast<char16_t>(level)) + QStringLiteral(".");
    }
    const auto font = m_fonts.constFind(current.font);
    const bool symbolFont = font != m_fonts.constEnd() && font->codePage == kSymbolCodePage;
    QString label;
    for (QChar c : std::as_const(pattern)) {
        const char16_t code = c.unicode();
        if (code < kMaxLevels) {
            const ListLevel numbered = levelAt(code);
            const int value = counters[code] == kNotCounted ? numbered.startAt : counters[code];
            label += formatListNumber(value, numbered.format);
        } else if (symbolFont || (code >= 0xf020 && code <= 0xf0ff)) {
            label += QChar(symbolFontBullet(code));
        } else if (code >= 0x20) {
            label += c;
        }
    }
    if (current.follow == 0)
        label += u'\t';
    else if (current.follow == 1)
        label += u' ';
    return label;
}

QString RtfReaderImpl::oldNumberingLabel(int definition)
{
    if (definition < 0 || definition >= m_oldNumberings.size())
        return {};
    const OldNumbering &numbering = m_oldNumberings.at(definition);
    // Paragraphs numbered alike count on; another numbering starts again.
    const bool continues =
        m_lastOldNumbering >= 0 && m_oldNumberings.at(m_lastOldNumbering) == numbering;
    m_oldNumberingCounter = continues ? m_oldNumberingCounter + 1 : numbering.startAt;
    m_lastOldNumbering = definition;
    QString label;
    if (numbering.bullet)
        label = numbering.before.isEmpty() ? QStringLiteral("\u2022") : numbering.before;
    else
        label = numbering.before + formatListNumber(m_oldNumberingCounter, numbering.format)
            + numbering.after;
    return label + u'\t';
}

ListLevel *RtfReaderImpl::currentListLevel()
{
    if (m_inOverride) {
        if (m_listOverrides.isEmpty() || m_listOverrides.last().levels.isEmpty())
            return nullptr;
        return &m_listOverrides.last().levels.last().level;
    }
    if (m_lists.isEmpty() || m_lists.last().levels.isEmpty())
        return nullptr;
    return &m_lists.last().levels.last();
}

int RtfReaderImpl::fontNumberNamed(const QString &name)
{
    const QString key = name.toCaseFolded();
    const auto known = m_fontNames.constFind(key);
    if (known != m_fontNames.constEnd())
        return *known;
    // A font the table does not have: known by name only, under a number no \f can reach.
    FontEntry entry;
    entry.number = INT_MIN + static_cast<int>(m_fonts.size());
    entry.name = name;
    entry.codePage = codePageForFontName(name);
    m_fonts.insert(entry.number, entry);
    m_fontNames.insert(key, entry.number);
    m_haveFormat = false;
    return entry.number;
}

// List table words

void RtfReaderImpl::wordListTable(int)
{
    m_state.destination = Destination::ListTable;
    m_inOverride = false;
}

void RtfReaderImpl::wordList(int)
{
    m_listIndexStale = true;
    m_lists.append(ListDefinition());
    m_inOverride = false;
}

void RtfReaderImpl::wordListId(int id)
{
    m_listIndexStale = true;
    if (m_inOverride && !m_listOverrides.isEmpty())
        m_listOverrides.last().listId = id;
    else if (!m_inOverride && !m_lists.isEmpty())
        m_lists.last().id = id;
}

void RtfReaderImpl::wordListLevelStart(int)
{
    if (m_inOverride) {
        if (!m_listOverrides.isEmpty() && !m_listOverrides.last().levels.isEmpty())
            m_listOverrides.last().levels.last().hasFormat = true;
    } else if (!m_lists.isEmpty() && m_lists.last().levels.size() < kMaxLevels) {
        m_lists.last().levels.append(ListLevel());
    } else if (!m_lists.isEmpty()) {
        m_state.destination = Destination::Skip; // a tenth level has no use
    }
}

void RtfReaderImpl::wordListOverrideStart(int)
{
    m_listIndexStale = true;
    m_listOverrides.append(ListOverride());
    m_inOverride = true;
}

void RtfReaderImpl::wordOverrideLevel(int)
{
    if (!m_inOverride || m_listOverrides.isEmpty())
        return;
    QList<ListOverride::Level> &levels = m_listOverrides.last().levels;
    if (levels.size() >= kMaxLevels) {
        m_state.destination = Destination::Skip;
        return;
    }
    ListOverride::Level level;
    level.index = static_cast<int>(levels.size());
    levels.append(level);
}

void RtfReaderImpl::wordOverrideStartAt(int)
{
    if (m_inOverride && !m_listOverrides.isEmpty() && !m_listOverrides.last().levels.isEmpty())
        m_listOverrides.last().levels.last().hasStart = true;
}

void RtfReaderImpl::wordOverrideNumber(int number)
{
    m_listIndexStale = true;
    if (m_inOverride && !m_listOverrides.isEmpty())
        m_listOverrides.last().number = number;
}

void RtfReaderImpl::wordLevelFormat(int format)
{
    if (ListLevel *level = currentListLevel())
        level->format = format;
}

void RtfReaderImpl::wordLevelStartAt(int start)
{
    if (ListLevel *level = currentListLevel())
        level->startAt = std::clamp(start, 0, kMaxStart);
}

void RtfReaderImpl::wordLevelFollow(int follow)
{
    if (ListLevel *level = currentListLevel())
        level->follow = follow;
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
        m_state.destination = Destination::Skip;
        return;
    }
    level->text.clear();
    m_state.destination = Destination::LevelText;
}

// Word 6 numbering words

void RtfReaderImpl::wordOldNumbering(int)
{
    if (!inBodyText()) {
        m_state.destination = Destination::Skip;
        return;
    }
    m_state.destination = Destination::OldNumbering;
    m_oldNumberings.append(OldNumbering());
}

void RtfReaderImpl::wordOldNumberingKind(int bullet)
{
    m_oldNumberings.last().bullet = bullet != 0;
}

void RtfReaderImpl::wordOldNumberingFormat(int format)
{
    m_oldNumberings.last().format = format;
}

void RtfReaderImpl::wordOldNumberingStart(int start)
{
    m_oldNumberings.last().startAt = std::clamp(start, 0, kMaxStart);
}

void RtfReaderImpl::wordOldNumberingFont(int font)
{
    m_oldNumberings.last().font = font;
}

void RtfReaderImpl::wordOldNumberingText(int after)
{
    m_state.destination = Destination::OldNumberingText;
    m_oldNumberingText = after != 0;
    OldNumbering &numbering = m_oldNumberings.last();
    (m_oldNumberingText ? numbering.after : numbering.before).clear();
}

} // namespace richtext::detail
