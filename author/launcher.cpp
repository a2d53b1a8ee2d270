#include "author/launcher.h"

#include <QDesktopServices>
#include <QProcess>

bool SystemLauncher::startDetached(const QString &program, const QStringList &arguments,
    const QString &workingFolder, QString &error)
{
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setWorkingDirectory(workingFolder);
    qint64 pid = 0;
    if (!process.startDetached(&pid)) {
        error = process.errorString();
        return false;
    }
    m_lastProcessId = pid;
    return true;
}

bool SystemLauncher::openPage(const QUrl &url, QString &error)
{
    if (QDesktopServices::openUrl(url))
        return true;
    error = QStringLiteral("the desktop has no program that opens web pages, or it refused");
    return false;
}
