#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

// Starting other programs and opening pages, as Penwick's commands need them. Tests script and
// record them through this seam.
class Launcher
{
public:
    virtual ~Launcher() = default;
    // Starts program with arguments in workingFolder without waiting for it. False, with the
    // reason in error, when it could not be started.
    virtual bool startDetached(const QString &program, const QStringList &arguments,
        const QString &workingFolder, QString &error) = 0;
    // Opens url with the desktop's viewer for it. False, with the reason in error, when the
    // desktop has none or refused.
    virtual bool openPage(const QUrl &url, QString &error) = 0;
};

// The real thing: QProcess and QDesktopServices.
class SystemLauncher : public Launcher
{
public:
    bool startDetached(const QString &program, const QStringList &arguments,
        const QString &workingFolder, QString &error) override;
    bool openPage(const QUrl &url, QString &error) override;
    // The process id of the last program started; 0 before the first.
    qint64 lastProcessId() const { return m_lastProcessId; }

private:
    qint64 m_lastProcessId = 0;
};
