#include "publish/site_folder.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>

namespace publish {

namespace {

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// The files an earlier export wrote, as its marker lists them; nothing when the marker is
// missing or is not one.
std::optional<QSet<QString>> earlierExport(const QString &folder)
{
    QFile marker(folder + QLatin1Char('/') + SiteFolder::kMarker);
    if (!marker.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QStringList lines = QString::fromUtf8(marker.readAll()).split(QLatin1Char('\n'));
    if (lines.isEmpty() || lines.first() != SiteFolder::kMarkerHeading)
        return std::nullopt;
    QSet<QString> files(lines.begin() + 1, lines.end());
    files.remove(QString());
    files.insert(SiteFolder::kMarker);
    return files;
}

// rename(2) with the target's whole folder tree swapped in one step, where the system can.
bool exchange(const QString &from, const QString &to)
{
#ifdef RENAME_EXCHANGE
    const QByteArray a = QFile::encodeName(from);
    const QByteArray b = QFile::encodeName(to);
    return ::renameat2(AT_FDCWD, a.constData(), AT_FDCWD, b.constData(), RENAME_EXCHANGE) == 0;
#else
    Q_UNUSED(from);
    Q_UNUSED(to);
    errno = ENOSYS;
    return false;
#endif
}

} // namespace

SiteFolder::SiteFolder(const QString &folder)
    : m_folder(QDir::cleanPath(folder))
{ }

bool SiteFolder::check(QString &error) const
{
    const QFileInfo info(m_folder);
    if (info.isSymLink()) {
        error = QStringLiteral("%1 is a symbolic link; name the folder it leads to")
                    .arg(shown(m_folder));
        return false;
    }
    if (!info.exists())
        return true;
    if (!info.isDir()) {
        error = QStringLiteral("%1 exists and is not a folder").arg(shown(m_folder));
        return false;
    }
    const QDir dir(info.absoluteFilePath());
    const QDir::Filters all = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
    if (dir.entryList(all).isEmpty())
        return true;
    const std::optional<QSet<QString>> files = earlierExport(m_folder);
    if (!files) {
        error = QStringLiteral("%1 is not empty and holds no earlier export; the site goes "
                               "into a new or empty folder")
                    .arg(shown(m_folder));
        return false;
    }
    // Everything in it must be the earlier export's, or it would be lost with it.
    QDirIterator it(dir.path(), all, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo entry = it.fileInfo();
        QString relative = dir.relativeFilePath(path);
        if (entry.isDir() && !entry.isSymLink())
            relative += QLatin1Char('/');
        if (!files->contains(relative)) {
            error = QStringLiteral("%1 holds %2, which no export wrote; the site goes into a "
                                   "new or empty folder, or one that holds only an earlier "
                                   "export")
                        .arg(shown(m_folder), shown(relative));
            return false;
        }
    }
    return true;
}

bool SiteFolder::begin(QString &error)
{
    const QFileInfo target(m_folder);
    const QString parent = target.absolutePath();
    if (!QDir().mkpath(parent)) {
        error = QStringLiteral("cannot make the folder %1").arg(shown(parent));
        return false;
    }
    m_scratch = std::make_unique<QTemporaryDir>(
        parent + QLatin1String("/.") + target.fileName() + QLatin1String(".export-XXXXXX"));
    if (!m_scratch->isValid()) {
        error = QStringLiteral("cannot make a scratch folder in %1: %2")
                    .arg(shown(parent), m_scratch->errorString());
        m_scratch.reset();
        return false;
    }
    // A scratch folder is private; the site is to be as readable as any folder made here.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    if (::chmod(QFile::encodeName(m_scratch->path()).constData(), 0777 & ~mask) != 0) {
        error = QStringLiteral("cannot set the permissions of %1: %2")
                    .arg(shown(m_scratch->path()), systemError(errno));
        return false;
    }
    return true;
}

QString SiteFolder::scratchPath(const QString &relativePath) const
{
    return m_scratch->filePath(relativePath);
}

bool SiteFolder::write(const QString &relativePath, const QByteArray &bytes, QString &error)
{
    const QString path = scratchPath(relativePath);
    const qsizetype slash = relativePath.lastIndexOf(QLatin1Char('/'));
    if (slash > 0) {
        const QString folder = relativePath.left(slash + 1);
        if (!m_written.contains(folder)) {
            if (!QDir(m_scratch->path()).mkpath(folder)) {
                error = QStringLiteral("cannot make the folder %1").arg(shown(scratchPath(folder)));
                return false;
            }
            m_written.append(folder);
        }
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()
        || !file.flush()) {
        error = QStringLiteral("cannot write %1: %2").arg(shown(path), file.errorString());
        return false;
    }
    m_written.append(relativePath);
    return true;
}

SiteFolder::Finish SiteFolder::finish(QString &error)
{
    QByteArray marker = QByteArray(kMarkerHeading.data(), kMarkerHeading.size()) + '\n';
    for (const QString &file : std::as_const(m_written))
        marker += file.toUtf8() + '\n';
    if (!write(kMarker, marker, error))
        return Finish::Failed;
    // Whatever came into the folder while the site was built is the user's: check again.
    if (!check(error))
        return Finish::Refused;
    return moveIntoPlace(error) ? Finish::Done : Finish::Failed;
}

bool SiteFolder::moveIntoPlace(QString &error)
{
    const QByteArray scratch = QFile::encodeName(m_scratch->path());
    const QByteArray target = QFile::encodeName(m_folder);
    // A missing or empty folder is replaced by the rename itself.
    if (::rename(scratch.constData(), target.constData()) == 0) {
        m_scratch->setAutoRemove(false);
        return true;
    }
    if (errno != ENOTEMPTY && errno != EEXIST) {
        error = QStringLiteral("cannot move the site into %1: %2")
                    .arg(shown(m_folder), systemError(errno));
        return false;
    }
    // An earlier export: swapped with the new site, it is left in the scratch folder, which
    // goes when this object does.
    if (exchange(m_scratch->path(), m_folder))
        return true;
    // Without an exchange, the earlier export steps aside first.
    QTemporaryDir aside(QFileInfo(m_folder).absolutePath() + QLatin1String("/.")
        + QFileInfo(m_folder).fileName() + QLatin1String(".old-XXXXXX"));
    if (!aside.isValid()) {
        error = QStringLiteral("cannot move the earlier export in %1 aside: %2")
                    .arg(shown(m_folder), aside.errorString());
        return false;
    }
    const QByteArray old = QFile::encodeName(aside.path());
    if (::rename(target.constData(), old.constData()) != 0) {
        error = QStringLiteral("cannot move the earlier export in %1 aside: %2")
                    .arg(shown(m_folder), systemError(errno));
        return false;
    }
    if (::rename(scratch.constData(), target.constData()) != 0) {
        const int failure = errno;
        error = QStringLiteral("cannot move the site into %1: %2")
                    .arg(shown(m_folder), systemError(failure));
        // Put the earlier export back rather than leave no site at all.
        if (::rename(old.constData(), target.constData()) != 0) {
            aside.setAutoRemove(false);
            error += QStringLiteral("; the earlier export is in %1").arg(shown(aside.path()));
        }
        return false;
    }
    m_scratch->setAutoRemove(false);
    return true;
}

} // namespace publish
