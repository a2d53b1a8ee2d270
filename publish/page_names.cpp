#include "publish/page_names.h"

#include <QFileInfo>

namespace publish {

namespace {

constexpr int kMaxSlug = 60;

// Letters that no decomposition spells in ASCII.
QLatin1StringView spelled(char32_t c)
{
    switch (c) {
    case U'ß':
        return QLatin1StringView("ss");
    case U'æ':
    case U'Æ':
        return QLatin1StringView("ae");
    case U'œ':
    case U'Œ':
        return QLatin1StringView("oe");
    case U'ø':
    case U'Ø':
        return QLatin1StringView("o");
    case U'ð':
    case U'Ð':
    case U'đ':
    case U'Đ':
        return QLatin1StringView("d");
    case U'þ':
    case U'Þ':
        return QLatin1StringView("th");
    case U'ł':
    case U'Ł':
        return QLatin1StringView("l");
    case U'ı':
        return QLatin1StringView("i");
    default:
        return {};
    }
}

bool isAsciiAlnum(char32_t c)
{
    return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z') || (c >= U'0' && c <= U'9');
}

} // namespace

QString documentTitle(const QString &documentPath)
{
    const QString fileName = QFileInfo(documentPath).fileName();
    return fileName.section(QLatin1Char('.'), 0, 0);
}

QString asciiSlug(const QString &name, int maxLength)
{
    // Compatibility decomposition splits accented letters into a base letter and marks, and
    // ligatures and the like into their letters.
    const QString decomposed = name.normalized(QString::NormalizationForm_KD);
    QString slug;
    bool pendingHyphen = false;
    auto append = [&](QLatin1StringView letters) {
        if (pendingHyphen && !slug.isEmpty())
            slug += QLatin1Char('-');
        pendingHyphen = false;
        slug += QString(letters).toLower();
    };
    for (qsizetype i = 0; i < decomposed.size(); ++i) {
        char32_t c = decomposed.at(i).unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < decomposed.size()) {
            c = QChar::surrogateToUcs4(decomposed.at(i), decomposed.at(i + 1));
            ++i;
        }
        if (QChar::category(c) == QChar::Mark_NonSpacing)
            continue; // the accent of the letter before
        if (isAsciiAlnum(c)) {
            const char ascii = char(c);
            append(QLatin1StringView(&ascii, 1));
            continue;
        }
        const QLatin1StringView letters = spelled(c);
        if (!letters.isEmpty()) {
            append(letters);
            continue;
        }
        pendingHyphen = true;
    }
    if (slug.size() > maxLength) {
        slug.truncate(maxLength);
        const qsizetype hyphen = slug.lastIndexOf(QLatin1Char('-'));
        if (hyphen > maxLength / 2)
            slug.truncate(hyphen);
        while (slug.endsWith(QLatin1Char('-')))
            slug.chop(1);
    }
    return slug;
}

QString topicPageName(std::uint64_t number, const QString &name)
{
    QString page = QStringLiteral("%1").arg(qulonglong(number), 4, 10, QLatin1Char('0'));
    const QString slug = asciiSlug(name, kMaxSlug);
    if (!slug.isEmpty())
        page += QLatin1Char('-') + slug;
    return page + QLatin1String(".html");
}

QString shownTopicName(const QString &name)
{
    return name.trimmed().isEmpty() ? QStringLiteral("(untitled)") : name;
}

} // namespace publish
