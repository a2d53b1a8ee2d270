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

    // Each example of opening the help from another program stands in the README as it is
    // here, and run, calls leafwick as the README says. A stand-in leafwick on the search path
    // writes down how it was called.
    void examplesFromOtherPrograms_data()
    {
        QTest::addColumn<QString>("example");
        QTest::addColumn<QStringList>("command");
        QTest::addColumn<QStringList>("calls"); // one line per call, arguments joined by |
        QTest::newRow("C++ and Qt")
            << "open_help.cpp" << QStringList {README_EXAMPLE_CPP}
            << QStringList {QStringLiteral(README_EXAMPLE_DIR)
                   + "/../share/myprogram/Manual.scv|--topic|Saving a Topic"};
        QTest::newRow("Python") << "open_help.py" << QStringList {"python3", "open_help.py"}
                                << QStringList {"Manual.scv|--topic|Saving a Topic"};
        QTest::newRow("shell") << "open_help.sh" << QStringList {"sh", "open_help.sh"}
                               << QStringList {"Manual.scv|--topic|Saving a Topic",
                                      "Manual.scv|--search|printer"};
    }
    void examplesFromOtherPrograms()
    {
        QFETCH(QString, example);
        QFETCH(QStringList, command);
        QFETCH(QStringList, calls);
        QFile source(QStringLiteral(SCRIVANE_SOURCE_DIR "/tests/docs/examples/") + example);
        QVERIFY(source.open(QIODevice::ReadOnly));
        const QString code = QString::fromUtf8(source.readAll());
        QVERIFY2(readme().contains(code), "the README does not show the example as it is");

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(QFile::copy(source.fileName(), dir.filePath(example)));
        QFile stub(dir.filePath(QStringLiteral("leafwick")));
        QVERIFY(stub.open(QIODevice::WriteOnly));
        stub.write("#!/bin/sh\nIFS='|'\necho \"$*\" >> \"$CALLS\"\n");
        stub.close();
        stub.setPermissions(stub.permissions() | QFile::ExeOwner);
        const QString log = dir.filePath(QStringLiteral("calls.txt"));
        QProcess program;
        program.setWorkingDirectory(dir.path());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PATH"), dir.path() + u':' + env.value(QStringLiteral("PATH")));
        env.insert(QStringLiteral("CALLS"), log);
        program.setProcessEnvironment(env);
        program.start(command.first(), command.mid(1));
        QVERIFY(program.waitForFinished(30000));
        QVERIFY2(program.exitCode() == 0, program.readAllStandardError().constData());
        // The examples start leafwick without waiting for it.
        const auto written = [&] {
            QFile file(log);
            if (!file.open(QIODevice::ReadOnly))
                return QStringList();
            QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
            lines.sort();
            return lines;
        };
        QStringList expected = calls;
        expected.sort();
        QTRY_COMPARE_WITH_TIMEOUT(written(), expected, 10000);
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
