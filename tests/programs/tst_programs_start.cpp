#include <QFile>
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

QTEST_GUILESS_MAIN(TestProgramsStart)
#include "tst_programs_start.moc"
