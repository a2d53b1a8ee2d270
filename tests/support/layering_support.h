#pragma once

// Whether a library stays off the widgets: what its files include, and what it links. The lists
// come from CMake as "|"-separated strings.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>

namespace testsupport {

inline QStringList listOf(const char *joined)
{
    return QString::fromUtf8(joined).split(u'|', Qt::SkipEmptyParts);
}

// Every header name the Widgets and PrintSupport modules install, from their folders.
inline QSet<QString> widgetHeaders(const char *headerDirs)
{
    QSet<QString> names;
    for (const QString &folder : listOf(headerDirs)) {
        const QStringList files = QDir(folder).entryList(QDir::Files);
        for (const QString &file : files)
            names.insert(file);
    }
    return names;
}

// What a file includes that belongs to the widgets: a Qt widget module's header, or one of
// ownHeaders (our widget code's, as "folder/name.h"), or any header under one of ownFolders.
inline QStringList widgetIncludes(const QString &path, const QSet<QString> &qtHeaders,
    const QSet<QString> &ownHeaders, const QStringList &ownFolders = {})
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {QStringLiteral("(cannot read %1)").arg(path)};
    static const QRegularExpression include(
        QStringLiteral("^\\s*#\\s*include\\s*[<\"]([^>\"]+)[>\"]"),
        QRegularExpression::MultilineOption);
    QStringList found;
    for (const QRegularExpressionMatch &match :
        include.globalMatch(QString::fromUtf8(file.readAll()))) {
        const QString name = match.captured(1);
        const QString module = name.section(u'/', 0, -2);
        const bool ownFolder = ownFolders.contains(module);
        if (ownHeaders.contains(name) || ownFolder || module == u"QtWidgets"
            || module == u"QtPrintSupport" || (module.isEmpty() && qtHeaders.contains(name)))
            found.append(name);
    }
    return found;
}

} // namespace testsupport
