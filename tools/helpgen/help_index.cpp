#include "tools/helpgen/help_index.h"

#include "storage/windows1252.h"

#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>

namespace helpgen {

namespace {

QString lineError(int line, const QString &what)
{
    return QStringLiteral("line %1: %2").arg(line).arg(what);
}

// Why a topic name cannot be stored as it is; empty when it can.
QString nameProblem(const QString &name)
{
    if (name.isEmpty())
        return QStringLiteral("the topic has no name");
    // Penwick would turn it into an apostrophe; the source should say what is shipped.
    if (name.contains(u'"'))
        return QStringLiteral("a topic name cannot hold a double quote");
    const storage::EncodeResult encoded = storage::encodeWindows1252(name.toStdString());
    if (!encoded.status.ok())
        return QStringLiteral("the topic name holds a character that Windows-1252 cannot hold");
    return {};
}

} // namespace

HelpIndex parseHelpIndex(QByteArrayView text)
{
    HelpIndex index;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = utf8(text);
    if (utf8.hasError()) {
        index.error = QStringLiteral("the index is not UTF-8");
        return index;
    }
    static const QRegularExpression entryPattern(QStringLiteral("^(\\S+)\\s+(\\S+)(?:\\s+(.*))?$"));
    QSet<QString> names;
    const QStringList lines = decoded.split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int number = int(i + 1);
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const QRegularExpressionMatch match = entryPattern.match(line);
        if (!match.hasMatch()) {
            index.error = lineError(number, QStringLiteral("expected LEVEL FILE NAME"));
            return index;
        }
        HelpIndexEntry entry;
        entry.line = number;
        const QString level = match.captured(1);
        if (level != u"0" && level != u"1" && level != u"2") {
            index.error = lineError(number, QStringLiteral("the level must be 0, 1 or 2"));
            return index;
        }
        entry.level = level.toInt();
        entry.file = match.captured(2);
        if (entry.file.contains(u'/') || entry.file.contains(u'\\')
            || entry.file.startsWith(u'.')) {
            index.error = lineError(
                number, QStringLiteral("the file must be a plain name in the index's folder"));
            return index;
        }
        entry.name = match.captured(3).trimmed();
        if (const QString problem = nameProblem(entry.name); !problem.isEmpty()) {
            index.error = lineError(number, problem);
            return index;
        }
        if (names.contains(entry.name)) {
            index.error = lineError(
                number, QStringLiteral("the topic name \"%1\" is used twice").arg(entry.name));
            return index;
        }
        names.insert(entry.name);
        index.entries.append(entry);
    }
    if (index.entries.isEmpty())
        index.error = QStringLiteral("the index names no topic");
    return index;
}

} // namespace helpgen
