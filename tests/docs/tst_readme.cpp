// The README is the user guide: the commands it shows must work as shown, and the pictures it
// shows must be there.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString readme()
{
    QFile file(QStringLiteral(SCRIVANE_SOURCE_DIR "/README.md"));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The lines of the README's indented code blocks that start with prefix.
QStringList codeLines(const QString &prefix)
{
    QStringList out;
    const QStringList lines = readme().split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        if (line.startsWith(QLatin1String("    ")) && line.trimmed().startsWith(prefix))
            out << line.trimmed();
    }
    return out;
}

} // namespace

class TestReadme : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Each scvtool example, run as written on the shipped help document, succeeds and says
    // something.
    void scvtoolExamples_data()
    {
        QTest::addColumn<QString>("line");
        const QRegularExpression placeholder(QStringLiteral("\\b(FILE|WORD|N)\\b"));
        int examples = 0;
        for (const QString &line : codeLines(QStringLiteral("scvtool "))) {
            if (line.contains(placeholder))
                continue; // the synopsis, not an example
            QTest::newRow(qPrintable(line)) << line;
            ++examples;
        }
        QVERIFY2(examples >= 5, "the README shows fewer scvtool examples than expected");
    }
    void scvtoolExamples()
    {
        QFETCH(QString, line);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(QFile::copy(QStringLiteral(SCRIVANE_SOURCE_DIR "/data/Scrivane.scv"),
            dir.filePath(QStringLiteral("Scrivane.scv"))));
        QStringList words = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        words.removeFirst();
        QProcess tool;
        tool.setWorkingDirectory(dir.path());
        tool.start(QStringLiteral(SCVTOOL_PATH), words);
        QVERIFY(tool.waitForFinished(60000));
        QCOMPARE(tool.exitStatus(), QProcess::NormalExit);
        QVERIFY2(tool.exitCode() == 0, tool.readAllStandardError().constData());
        QVERIFY(!tool.readAllStandardOutput().trimmed().isEmpty());
    }

    // Every picture the README shows exists.
    void pictures()
    {
        const QRegularExpression image(QStringLiteral("!\\[[^\\]]*\\]\\(([^)]+)\\)"));
        int shown = 0;
        for (const QRegularExpressionMatch &m : image.globalMatch(readme())) {
            const QString path = QStringLiteral(SCRIVANE_SOURCE_DIR "/") + m.captured(1);
            QVERIFY2(QFile::exists(path), qPrintable(path));
            ++shown;
        }
        QVERIFY(shown > 0);
    }
};

QTEST_MAIN(TestReadme)
#include "tst_readme.moc"
