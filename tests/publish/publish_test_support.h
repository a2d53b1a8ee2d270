#pragma once

// What the publishing tests share: the sample documents, running scvtool in a folder, and the
// text a topic shows as scvtool show --text gives it.

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTest>

namespace publishtest {

inline QString samplePath(const QString &name)
{
    if (name == QLatin1String("Scrivane.scv"))
        return QStringLiteral(SCRIVANE_SOURCE_DIR "/data/Scrivane.scv");
    return QStringLiteral(SCRIVANE_TEST_DATA_DIR "/documents/") + name;
}

inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<missing>";
    return file.readAll();
}

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

struct Run
{
    int exitCode = -1;
    bool crashed = true;
    QByteArray out;
    QByteArray err;
};

inline Run runIn(const QString &folder, const QString &program, const QStringList &arguments,
    int timeoutMs = 120000)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    process.start(program, arguments);
    Run run;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        run.err = "(did not finish in time)";
        return run;
    }
    run.crashed = process.exitStatus() != QProcess::NormalExit;
    run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

inline Run scvtool(const QString &folder, const QStringList &arguments)
{
    return runIn(folder, QStringLiteral(SCVTOOL_PATH), arguments);
}

// Topic number's text as the programs show it.
inline QString shownText(const QString &folder, const QString &document, int number)
{
    const Run run = scvtool(folder, {"show", document, QString::number(number), "--text"});
    if (run.crashed || run.exitCode != 0)
        return QStringLiteral("<show failed: %1>").arg(QString::fromUtf8(run.err));
    return QString::fromUtf8(run.out);
}

// Every file below folder (relative path to its bytes' hash), to tell whether it changed.
inline QMap<QString, QByteArray> snapshot(const QString &folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
        QDirIterator::Subdirectories);
    const QDir base(folder);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(base.relativeFilePath(path),
            it.fileInfo().isDir()
                ? QByteArray("<folder>")
                : QCryptographicHash::hash(readFile(path), QCryptographicHash::Sha1));
    }
    return files;
}

} // namespace publishtest
