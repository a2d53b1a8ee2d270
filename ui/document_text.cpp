#include "ui/document_text.h"

#include "storage/windows1252.h"

QString shownText(const std::string &bytes)
{
    return QString::fromStdString(storage::decodeWindows1252(bytes));
}

QStringList shownLines(const std::vector<std::string> &lines)
{
    QStringList shown;
    shown.reserve(qsizetype(lines.size()));
    for (const std::string &line : lines)
        shown.append(shownText(line));
    return shown;
}
