#include "ui/data_files.h"

#include "ui/folder_listing.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace datafiles {

namespace {

QString &overriddenFolder()
{
    static QString folder;
    return folder;
}

} // namespace

QString dataFolder()
{
    if (!overriddenFolder().isEmpty())
        return overriddenFolder();
    return QDir::cleanPath(
        QCoreApplication::applicationDirPath() + QStringLiteral("/../share/scrivane"));
}

void setDataFolder(const QString &folder)
{
    overriddenFolder() = folder;
}

QString locate(const QString &name)
{
    // Listed rather than opened, so that case matters as it does everywhere else.
    if (folderlisting::hasExactName(".", QFile::encodeName(name).toStdString())
        && QFileInfo(name).isFile())
        return name;
    const QString shipped = dataFolder() + QLatin1Char('/') + name;
    return QFileInfo(shipped).isFile() ? shipped : QString();
}

} // namespace datafiles
