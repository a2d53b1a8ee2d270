// Printing through the real print system: a CUPS queue whose printer writes PDF files. The
// test sets the queue up, prints a topic from the reader window with the system's default
// printer, and checks the PDF that comes out. Where CUPS or its PDF printer is missing or
// cannot be started, it is skipped with the reason.

#include "ui/message_boxes.h"
#include "reader/reader_window.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

namespace {

// Records every message instead of showing it.
class RecordingBoxes final : public MessageBoxes
{
public:
    int show(QWidget *, const QString &text, int, const QString &) override
    {
        texts << text;
        return Ok;
    }
    QStringList texts;
};

QString tool(const char *name)
{
    return QStandardPaths::findExecutable(QString::fromLatin1(name),
        {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/bin"), QStringLiteral("/sbin")});
}

// Runs a program to its end; its exit code, or -1 when it could not run or took too long.
int run(const QString &program, const QStringList &arguments, QByteArray *output = nullptr)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished();
        return -1;
    }
    if (output)
        *output = process.readAll();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

// lpstat answers 0 either way; only its words tell.
bool schedulerRunning(const QString &lpstat)
{
    QByteArray output;
    return run(lpstat, {QStringLiteral("-r")}, &output) == 0 && output.contains("is running");
}

QStringList pdfFiles(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Time);
}

} // namespace

class TestReaderPrintCups : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void printsTheTopic();

private:
    QString m_queue;
    QString m_lpadmin;
    bool m_startedCupsd = false;
};

void TestReaderPrintCups::initTestCase()
{
    m_lpadmin = tool("lpadmin");
    const QString cupsd = tool("cupsd");
    const QString lpstat = tool("lpstat");
    if (m_lpadmin.isEmpty() || cupsd.isEmpty() || lpstat.isEmpty())
        QSKIP("CUPS is not installed (packages cups and printer-driver-cups-pdf)");
    if (!QFile::exists(QStringLiteral("/usr/lib/cups/backend/cups-pdf")))
        QSKIP("the CUPS PDF printer is not installed (package printer-driver-cups-pdf)");
    if (!schedulerRunning(lpstat)) {
        if (::geteuid() != 0)
            QSKIP("the CUPS scheduler is not running, and only root can start it");
        if (run(cupsd, {}) != 0)
            QSKIP("the CUPS scheduler could not be started");
        m_startedCupsd = true;
        QElapsedTimer waited;
        waited.start();
        while (!schedulerRunning(lpstat) && waited.elapsed() < 10000)
            QTest::qWait(200);
        if (!schedulerRunning(lpstat))
            QSKIP("the CUPS scheduler did not come up");
    }
    m_queue = QStringLiteral("ScrivaneTest%1").arg(::getpid());
    QByteArray output;
    if (run(m_lpadmin,
            {QStringLiteral("-p"), m_queue, QStringLiteral("-E"), QStringLiteral("-v"),
                QStringLiteral("cups-pdf:/"), QStringLiteral("-m"),
                QStringLiteral("lsb/usr/cups-pdf/CUPS-PDF_noopt.ppd")},
            &output)
        != 0) {
        m_queue.clear();
        QSKIP(qPrintable(QStringLiteral("the PDF print queue could not be made: ")
            + QString::fromLocal8Bit(output).trimmed()));
    }
    // The default printer for this process only; the machine's own default stays as it is.
    qputenv("LPDEST", m_queue.toLocal8Bit());
    qputenv("PRINTER", m_queue.toLocal8Bit());
}

void TestReaderPrintCups::cleanupTestCase()
{
    if (!m_queue.isEmpty())
        run(m_lpadmin, {QStringLiteral("-x"), m_queue});
    if (m_startedCupsd) {
        QFile pidFile(QStringLiteral("/run/cups/cupsd.pid"));
        if (pidFile.open(QIODevice::ReadOnly))
            run(QStringLiteral("kill"), {QString::fromLatin1(pidFile.readAll().trimmed())});
    }
}

void TestReaderPrintCups::printsTheTopic()
{
    if (tool("pdfinfo").isEmpty() || tool("pdffonts").isEmpty())
        QSKIP("pdfinfo and pdffonts are not installed (package poppler-utils)");
    // cups-pdf writes a job's file into the PDF folder of the home of the user who printed.
    const QString outFolder = QDir::homePath() + QStringLiteral("/PDF");
    const QStringList before = pdfFiles(outFolder);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));
    QFile document(QStringLiteral("Printcheck.scv"));
    QVERIFY(document.open(QIODevice::WriteOnly));
    document.write("\"0\",\"Printing\",\"{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0 "
                   "Verdana;}}\\f0\\fs20 The word Quillfeather reaches paper.\\par\r\n}\r\n\"\r\n");
    document.close();

    RecordingBoxes boxes;
    {
        ReaderWindow window(ReaderKind::Leafwick, boxes);
        QVERIFY2(boxes.texts.isEmpty(), qPrintable(boxes.texts.join(QLatin1Char('\n'))));
        window.PrintMnu->trigger();
    }
    QDir::setCurrent(previous);
    QVERIFY2(boxes.texts.isEmpty(), qPrintable(boxes.texts.join(QLatin1Char('\n'))));

    QString printed;
    QElapsedTimer waited;
    waited.start();
    while (printed.isEmpty() && waited.elapsed() < 30000) {
        for (const QString &name : pdfFiles(outFolder)) {
            if (!before.contains(name)) {
                printed = outFolder + QLatin1Char('/') + name;
                break;
            }
        }
        if (printed.isEmpty())
            QTest::qWait(250);
    }
    QVERIFY2(!printed.isEmpty(), "no PDF came out of the print queue within 30 s");
    QTest::qWait(500); // the backend may still be writing it
    // The print path sends the page as PostScript with its own glyph fonts, so the PDF keeps no
    // text to extract; what it does keep shows the job: its title, its pages, drawn text.
    QByteArray info;
    QByteArray fonts;
    const int infoStatus = run(tool("pdfinfo"), {printed}, &info);
    const int fontsStatus = run(tool("pdffonts"), {printed}, &fonts);
    QFile::remove(printed);
    QCOMPARE(infoStatus, 0);
    QCOMPARE(fontsStatus, 0);
    QVERIFY2(info.contains("Title:           (Printcheck)")
            || info.contains("Title:           Printcheck"),
        info.constData());
    QVERIFY2(info.contains("Pages:           1\n"), info.constData());
    // pdffonts prints two heading lines, then one line per font the page's text is drawn in.
    QVERIFY2(fonts.trimmed().split('\n').size() > 2, fonts.constData());
}

QTEST_MAIN(TestReaderPrintCups)
#include "tst_reader_print_cups.moc"
