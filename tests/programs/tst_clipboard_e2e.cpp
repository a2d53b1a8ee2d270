// Under a real X server, as an author works: a word processor's RTF on the X clipboard, Ctrl+V
// into Penwick, Save, Review; the reader then shows the text LibreOffice extracts from the RTF.
#include "author/launcher.h"
#include "author/penwick.h"
#include "reader/reader_window.h"
#include "richtext/rich_text_box.h"
#include "storage/hand_over.h"
#include "tests/support/text_support.h"
#include "tests/support/window_test_support.h"
#include "ui/message_boxes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace {

using testsupport::normalisedText;

const QString kSamplesDir = QStringLiteral(SCRIVANE_TEST_DATA_DIR "/rtf");

// The text as Penwick's save keeps it: its cleaning turns straight and curly double quotes into
// apostrophes.
QString savedByPenwick(QString text)
{
    for (char16_t quote : {u'"', u'\u201C', u'\u201D'})
        text.replace(QChar(quote), QChar(u'\''));
    return text;
}

QString firstDifference(const QString &actual, const QString &expected)
{
    qsizetype i = 0;
    while (i < actual.size() && i < expected.size() && actual.at(i) == expected.at(i))
        ++i;
    const qsizetype from = std::max<qsizetype>(0, i - 40);
    return QStringLiteral("at %1 (lengths %2, %3):\n  actual:   %4\n  expected: %5")
        .arg(i)
        .arg(actual.size())
        .arg(expected.size())
        .arg(actual.mid(from, 100), expected.mid(from, 100));
}

QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(10000))
        return {};
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

// The titles of the X server's windows, as xwininfo lists them.
QString windowTree()
{
    return run(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-tree")});
}

// The reader processes running in folder: Review starts them detached, so they are not ours to
// wait for, and the folder is the one thing that tells them from other tests' readers.
QList<pid_t> readersIn(const QString &folder)
{
    const QString wanted = QFileInfo(folder).canonicalFilePath();
    QList<pid_t> found;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString &entry : entries) {
        bool number = false;
        const int pid = entry.toInt(&number);
        if (!number)
            continue;
        const QString proc = QStringLiteral("/proc/") + entry;
        if (QFileInfo(proc + QStringLiteral("/exe")).symLinkTarget().section(u'/', -1)
                == QLatin1String("leafwick")
            && QFileInfo(proc + QStringLiteral("/cwd")).canonicalFilePath() == wanted)
            found << pid_t(pid);
    }
    return found;
}

} // namespace

class TestClipboardEndToEnd : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("needs a real X server (run under xvfb-run)");
        if (QStandardPaths::findExecutable(QStringLiteral("xclip")).isEmpty())
            QSKIP("needs xclip");
        qputenv("PATH", QByteArray(SCRIVANE_BIN_DIR) + ':' + qgetenv("PATH"));
    }

    void pasteSaveReview_data()
    {
        QTest::addColumn<QString>("sample");
        QTest::newRow("LibreOffice from docx, links and lists") << "generated/g01-pandoc-readme";
        QTest::newRow("LibreOffice from odt, picture and table")
            << "generated/g04-zstd-readme-image";
        QTest::newRow("German umlauts and quotes") << "generated/g06-dpkg-query-man-de";
        QTest::newRow("pandoc writer, dashes and bullets") << "generated/g07-systemd-environment";
        QTest::newRow("LibreOffice test file, Chinese list labels") << "peer/cp950listleveltext3";
        QTest::newRow("large, 640 KB") << "generated/g05-nodejs-api-large";
    }
    void pasteSaveReview()
    {
        QFETCH(QString, sample);
        const QString rtfPath = kSamplesDir + u'/' + sample + QStringLiteral(".rtf");
        QFile txtFile(kSamplesDir + u'/' + sample + QStringLiteral(".txt"));
        QVERIFY2(txtFile.open(QIODevice::ReadOnly), qPrintable(txtFile.fileName()));
        const QString expected = normalisedText(QString::fromUtf8(txtFile.readAll()));
        QVERIFY(!expected.isEmpty());

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(QDir::setCurrent(dir.path()));
        auto stopReaders = qScopeGuard([&dir] {
            for (pid_t pid : readersIn(dir.path()))
                ::kill(pid, SIGTERM);
        });

        // The word processor's copy: xclip owns the clipboard and offers the RTF as text/rtf.
        QProcess xclip;
        xclip.start(QStringLiteral("xclip"),
            {QStringLiteral("-quiet"), QStringLiteral("-selection"), QStringLiteral("clipboard"),
                QStringLiteral("-t"), QStringLiteral("text/rtf"), QStringLiteral("-i"), rtfPath});
        QVERIFY(xclip.waitForStarted());
        auto stopXclip = qScopeGuard([&xclip] {
            xclip.kill();
            xclip.waitForFinished();
        });
        const QStringList targetsArguments = {QStringLiteral("-selection"),
            QStringLiteral("clipboard"), QStringLiteral("-o"), QStringLiteral("-t"),
            QStringLiteral("TARGETS")};
        QTRY_VERIFY_WITH_TIMEOUT(
            run(QStringLiteral("xclip"), targetsArguments).split(u'\n').contains(u"text/rtf"),
            10000);

        testsupport::ScriptedBoxes boxes;
        SystemLauncher launcher;
        Penwick w(boxes);
        w.setLauncher(&launcher);
        w.show();
        // Xvfb has no window manager to activate the window; the keys go to the widget itself.
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.activateWindow();
        w.Add->setFocus();
        QTest::keyClick(w.Add, Qt::Key_V, Qt::ControlModifier);
        QVERIFY2(!w.Add->Text().isEmpty(), "Ctrl+V pasted nothing");
        const QString pasted = normalisedText(w.Add->Text());
        QVERIFY2(pasted == expected, qPrintable(firstDifference(pasted, expected)));

        w.NewTopicTxt->setFocus();
        QTest::keyClicks(w.NewTopicTxt, QStringLiteral("Pasted"));
        QTest::mouseClick(w.SaveCmd, Qt::LeftButton);
        QVERIFY2(boxes.shown.isEmpty(), qPrintable(boxes.texts().join(u'\n')));
        QCOMPARE(w.RecordCount, std::uint64_t(1));

        QTest::mouseClick(w.ReviewCmd, Qt::LeftButton);
        QVERIFY2(boxes.shown.isEmpty(), qPrintable(boxes.texts().join(u'\n')));
        QVERIFY(launcher.lastProcessId() > 0);
        QTRY_VERIFY_WITH_TIMEOUT(
            !QFile::exists(QString::fromLatin1(storage::kHandOverName)), 20000);
        const QRegularExpression title(QStringLiteral("\"Help( \\S Leafwick)?\""));
        QTRY_VERIFY_WITH_TIMEOUT(windowTree().contains(title), 20000);
        QVERIFY(readersIn(dir.path()).contains(pid_t(launcher.lastProcessId())));

        // What that reader shows: the same document through the same window, in this process.
        QVERIFY(storage::writeHandOver("Help.scv").ok());
        ReaderWindow reader(ReaderKind::Leafwick, boxes);
        QVERIFY2(boxes.shown.isEmpty(), qPrintable(boxes.texts().join(u'\n')));
        QCOMPARE(reader.ReaderHelpFileName, QStringLiteral("Help.scv"));
        QCOMPARE(reader.RecordCount, std::uint64_t(1));
        reader.setList1Index(0);
        const QString shown = normalisedText(reader.RichTextBox1->Text());
        const QString saved = savedByPenwick(expected);
        QVERIFY2(shown == saved, qPrintable(firstDifference(shown, saved)));
    }
};

QTEST_MAIN(TestClipboardEndToEnd)
#include "tst_clipboard_e2e.moc"
