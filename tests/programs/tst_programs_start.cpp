#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// Both programs start, show their window and keep running until closed.
class TestProgramsStart : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startsAndStays_data();
    void startsAndStays();
    void commandLines_data();
    void commandLines();
    void penwickStartsInTheDocumentsFolder();
};

void TestProgramsStart::startsAndStays_data()
{
    QTest::addColumn<QString>("program");
    QTest::newRow("penwick") << QStringLiteral(PENWICK_PATH);
    QTest::newRow("leafwick") << QStringLiteral(LEAFWICK_PATH);
}

void TestProgramsStart::startsAndStays()
{
    QFETCH(QString, program);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // A document to open, so that the reader reaches its window instead of a message about
    // having nothing to show.
    QFile document(dir.filePath(QStringLiteral("Help.scv")));
    QVERIFY(document.open(QIODevice::WriteOnly));
    document.write("\"0\",\"Start\",\"{\\rtf1 Hello.\\par\r\n}\r\n\"\r\n");
    document.close();
    QProcess process;
    process.setWorkingDirectory(dir.path());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(env);
    process.start(program, {});
    QVERIFY2(process.waitForStarted(10000), qPrintable(process.errorString()));
    // Still running after a while: it reached its event loop instead of failing at start-up.
    QVERIFY2(!process.waitForFinished(1500), process.readAllStandardError().constData());
    QCOMPARE(process.state(), QProcess::Running);
    process.terminate();
    QVERIFY(process.waitForFinished(10000));
}

// What the programs say to their command line before any window: help, version, mistakes.
void TestProgramsStart::commandLines_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");
    const QString penwick = QStringLiteral(PENWICK_PATH);
    const QString leafwick = QStringLiteral(LEAFWICK_PATH);
    QTest::newRow("penwick --version")
        << penwick << QStringList {"--version"} << 0 << "penwick 2." << QString();
    QTest::newRow("penwick --help") << penwick << QStringList {"--help"} << 0
                                    << "Usage: penwick [options] [DOCUMENT]" << QString();
    QTest::newRow("penwick, two documents")
        << penwick << QStringList {"A.scv", "B.scv"} << 2 << QString()
        << "penwick: only one help document can be opened";
    QTest::newRow("penwick, unknown option") << penwick << QStringList {"--topic", "X"} << 2
                                             << QString() << "penwick: Unknown option 'topic'.";
    QTest::newRow("leafwick --version")
        << leafwick << QStringList {"--version"} << 0 << "leafwick 2." << QString();
    QTest::newRow("leafwick --help") << leafwick << QStringList {"--help"} << 0
                                     << "Usage: leafwick [options] [DOCUMENT]" << QString();
    QTest::newRow("leafwick, unknown option") << leafwick << QStringList {"--bogus"} << 2
                                              << QString() << "leafwick: Unknown option 'bogus'.";
}

void TestProgramsStart::commandLines()
{
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, err);
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(env);
    process.start(program, arguments);
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitCode(), status);
    const QString printed = QString::fromLocal8Bit(process.readAllStandardOutput());
    const QString errors = QString::fromLocal8Bit(process.readAllStandardError());
    QVERIFY2(out.isEmpty() ? printed.isEmpty() : printed.startsWith(out), qPrintable(printed));
    QVERIFY2(errors.contains(err), qPrintable(errors));
}

// penwick DOCUMENT works in the document's folder, on that document, and makes no "Help.scv".
void TestProgramsStart::penwickStartsInTheDocumentsFolder()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("docs")));
    QFile document(dir.filePath(QStringLiteral("docs/Manual.scv")));
    QVERIFY(document.open(QIODevice::WriteOnly));
    document.write("\"0\",\"Start\",\"{\\rtf1 Hello.}\"\r\n");
    document.close();
    QProcess process;
    process.setWorkingDirectory(dir.path());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(PENWICK_PATH), {QStringLiteral("docs/Manual.scv")});
    QVERIFY(process.waitForStarted(10000));
    QVERIFY(!process.waitForFinished(1500));
    const QString cwd =
        QFileInfo(QStringLiteral("/proc/%1/cwd").arg(process.processId())).canonicalFilePath();
    process.terminate();
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(cwd, QFileInfo(dir.filePath(QStringLiteral("docs"))).canonicalFilePath());
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("Help.scv"))));
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("docs/Help.scv"))));
}

QTEST_GUILESS_MAIN(TestProgramsStart)
#include "tst_programs_start.moc"
