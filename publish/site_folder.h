#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

namespace publish {

// The folder a site is exported into. No file of the user's is ever overwritten: the folder must
// be missing, empty, or hold an earlier export and nothing else, as its marker file lists it.
// The site is built in a scratch folder beside it and moved into place whole at the end, so
// that a failed or cancelled export leaves the folder as it was.
class SiteFolder
{
public:
    // The marker file an export leaves: its first line, then one line per file it wrote.
    static constexpr QLatin1StringView kMarker {".scrivane-export"};
    static constexpr QLatin1StringView kMarkerHeading {"Scrivane web site export"};

    explicit SiteFolder(const QString &folder);
    SiteFolder(const SiteFolder &) = delete;
    SiteFolder &operator=(const SiteFolder &) = delete;

    // Whether the site may go there; why not in error. Checked again before the move.
    bool check(QString &error) const;
    // Makes the scratch folder (and the folders above the target that are missing).
    bool begin(QString &error);
    // Writes a file of the site, relative to its folder ("images/x.png").
    bool write(const QString &relativePath, const QByteArray &bytes, QString &error);
    // Where a file of the site is being written.
    QString scratchPath(const QString &relativePath) const;
    // Counts a file written at its scratch path by other means as the site's.
    void adopt(const QString &relativePath) { m_written.append(relativePath); }

    enum class Finish { Done, Refused, Failed };
    // Writes the marker and moves the site into place, replacing an earlier export; Refused
    // when the folder no longer passes the check.
    Finish finish(QString &error);

    const QString &folder() const { return m_folder; }

private:
    bool moveIntoPlace(QString &error);

    QString m_folder;
    std::unique_ptr<QTemporaryDir> m_scratch;
    QStringList m_written;
};

} // namespace publish
