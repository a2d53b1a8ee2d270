// File > Export as Web Site and Export as PDF in Penwick: the folder or file asked for, the
// document as last saved published there, the message that tells what was written and opens
// it on Yes, and what is left when the author cancels, the target is the user's or the document
// is damaged. The document itself never changes.

#include "author/file_chooser.h"
#include "author/launcher.h"
#include "author/penwick.h"
#include "tests/support/window_test_support.h"
#include "tests/support/working_folder.h"

#include <QAction>
#include <QDir>
#include <QDirIterator>
#include <QLineEdit>
#include <QMenu>
#include <QProgressDialog>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

using testsupport::readFile;
using testsupport::ScriptedBoxes;
using testsupport::writeFile;

class ScriptedChooser final : public FileChooser
{
public:
    QString chooseFolder(QWidget *, const QString &caption, const QString &start) override
    {
        asked << caption + " | " + start;
        return answer;
    }
    QString chooseFileToWrite(
        QWidget *, const QString &caption, const QString &start, const QString &filter) override
    {
        asked << caption + " | " + start + " | " + filter;
        return answer;
    }
    QString answer;
    QStringList asked;
};

class RecordingLauncher final : public Launcher
{
public:
    bool startDetached(const QString &, const QStringList &, const QString &, QString &) override
    {
        return false;
    }
    bool openPage(const QUrl &url, QString &) override
    {
        pages << url;
        return true;
    }
    QList<QUrl> pages;
};

QByteArray sample(const QString &name)
{
    return readFile(QStringLiteral(SCRIVANE_TEST_DATA_DIR "/documents/") + name);
}

// Every file in the folder with its bytes, to tell whether anything changed.
QMap<QString, QByteArray> files(const QString &folder)
{
    QMap<QString, QByteArray> found;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        found.insert(QDir(folder).relativeFilePath(path), readFile(path));
    }
    return found;
}

} // namespace

class TestPenwickExport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void menu();
    void exports_data();
    void exports();
    void cancelled_data();
    void cancelled();
    void savedDocumentOnly();
};

void TestPenwickExport::menu()
{
    testsupport::WorkingFolder folder;
    ScriptedBoxes boxes;
    Penwick w(boxes);
    QCOMPARE(w.ExportSiteMnu->objectName(), QStringLiteral("ExportSiteMnu"));
    QCOMPARE(w.ExportPdfMnu->objectName(), QStringLiteral("ExportPdfMnu"));
    // Below the document commands and Exit, behind a separator of their own.
    const auto *file = w.findChild<QMenu *>("FileMnu");
    QVERIFY(file);
    const QList<QAction *> actions = file->actions();
    const qsizetype exit = actions.indexOf(w.ExitMnu);
    QVERIFY(exit >= 0);
    QVERIFY(actions.value(exit + 1)->isSeparator());
    QCOMPARE(actions.value(exit + 2), w.ExportSiteMnu);
    QCOMPARE(actions.value(exit + 3), w.ExportPdfMnu);
}

void TestPenwickExport::exports_data()
{
    QTest::addColumn<QString>("document");
    QTest::addColumn<bool>("pdf");
    QTest::addColumn<QString>("answer"); // what the chooser gives
    QTest::addColumn<QString>("setUp"); // what is in the way
    QTest::addColumn<QList<int>>("answers"); // to the message boxes
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QString>("written"); // the file that must then exist; empty: nothing new
    QTest::addColumn<QString>("opened"); // the page opened, relative; empty: none

    QTest::newRow("site, opened") << "Three levels.scv" << false << "site"
                                  << "" << QList<int> {MessageBoxes::Yes}
                                  << QStringList {"The web site of Three levels (3 topics) was "
                                                  "written to site.\n\nOpen it now?"}
                                  << "site/index.html"
                                  << "site/index.html";
    QTest::newRow("site, not opened")
        << "Manual.scv" << false << "site"
        << "" << QList<int> {MessageBoxes::No}
        << QStringList {"The web site of Manual (40 topics and 1 picture) was written to "
                        "site.\n\nOpen it now?"}
        << "site/0040-introduction.html"
        << "";
    QTest::newRow("site, folder chooser cancelled") << "Three levels.scv" << false << ""
                                                    << "" << QList<int> {} << QStringList {} << ""
                                                    << "";
    QTest::newRow("site, a folder of the user's")
        << "Three levels.scv" << false << "site"
        << "user" << QList<int> {}
        << QStringList {"Nothing was exported: site is not empty and holds no earlier export; "
                        "the site goes into a new or empty folder."}
        << ""
        << "";
    QTest::newRow("site, damaged document")
        << "Damaged.scv" << false << "site"
        << "" << QList<int> {}
        << QStringList {"Nothing was exported: Damaged.scv: damaged at record 3, byte 246: a "
                        "quoted value has no closing double quote."}
        << ""
        << "";
    QTest::newRow("pdf, opened") << "Three levels.scv" << true << "manual.pdf"
                                 << "" << QList<int> {MessageBoxes::Yes}
                                 << QStringList {"The PDF manual of Three levels (3 topics on 5 "
                                                 "pages) was written to manual.pdf.\n\nOpen it "
                                                 "now?"}
                                 << "manual.pdf"
                                 << "manual.pdf";
    QTest::newRow("pdf, the suffix added") << "Three levels.scv" << true << "manual"
                                           << "" << QList<int> {MessageBoxes::No}
                                           << QStringList {"The PDF manual of Three levels (3 "
                                                           "topics on 5 pages) was written to "
                                                           "manual.pdf.\n\nOpen it now?"}
                                           << "manual.pdf"
                                           << "";
    QTest::newRow("pdf, file chooser cancelled") << "Three levels.scv" << true << ""
                                                 << "" << QList<int> {} << QStringList {} << ""
                                                 << "";
    QTest::newRow("pdf, damaged document")
        << "Damaged.scv" << true << "manual.pdf"
        << "" << QList<int> {}
        << QStringList {"Nothing was exported: Damaged.scv: damaged at record 3, byte 246: a "
                        "quoted value has no closing double quote."}
        << ""
        << "";
    QTest::newRow("links to a missing topic are told")
        << "Links.scv" << false << "site"
        << "" << QList<int> {MessageBoxes::No}
        << QStringList {"The web site of Links (1 topic) was written to site.\n\nOne link leads "
                        "to a topic that the document does not have became plain text; scvtool "
                        "links Links.scv lists them.\n\nOpen it now?"}
        << "site/0001-start.html"
        << "";
}

void TestPenwickExport::exports()
{
    QFETCH(QString, document);
    QFETCH(bool, pdf);
    QFETCH(QString, answer);
    QFETCH(QString, setUp);
    QFETCH(QList<int>, answers);
    QFETCH(QStringList, messages);
    QFETCH(QString, written);
    QFETCH(QString, opened);

    testsupport::WorkingFolder folder;
    if (document == "Links.scv")
        writeFile("Links.scv",
            "\"0\",\"Start\",\"{\\rtf1 {\\field{\\*\\fldinst HYPERLINK topic:Nowhere}"
            "{\\fldrslt lost}}\\par}\"\r\n");
    else
        writeFile(document, sample(document));
    if (setUp == "user") {
        QVERIFY(QDir().mkdir("site"));
        writeFile("site/notes.txt", "mine");
    }
    ScriptedBoxes boxes;
    boxes.answers = answers;
    ScriptedChooser chooser;
    chooser.answer = answer;
    RecordingLauncher launcher;
    Penwick w(boxes, nullptr, document);
    w.setFileChooser(&chooser);
    w.setLauncher(&launcher);
    boxes.shown.clear();
    const QMap<QString, QByteArray> before = files(folder.path());

    (pdf ? w.ExportPdfMnu : w.ExportSiteMnu)->trigger();

    QCOMPARE(chooser.asked.size(), 1);
    QCOMPARE(boxes.texts(), messages);
    if (!messages.isEmpty()) {
        const int style = boxes.shown.first().style;
        QCOMPARE(style,
            messages.first().endsWith("Open it now?")
                ? MessageBoxes::YesNo + MessageBoxes::InformationIcon
                : (setUp == "user" ? int(MessageBoxes::WarningIcon) : int(MessageBoxes::StopIcon)));
    }
    const QMap<QString, QByteArray> after = files(folder.path());
    QCOMPARE(after.value(document), before.value(document));
    if (written.isEmpty()) {
        QCOMPARE(after, before);
    } else {
        QVERIFY2(after.contains(written), qPrintable(QStringList(after.keys()).join(", ")));
    }
    QCOMPARE(launcher.pages,
        opened.isEmpty() ? QList<QUrl>()
                         : QList<QUrl> {QUrl::fromLocalFile(folder.filePath(opened))});
}

void TestPenwickExport::cancelled_data()
{
    QTest::addColumn<bool>("pdf");
    QTest::newRow("site") << false;
    QTest::newRow("pdf") << true;
}

// Cancel in the progress dialog: nothing is written, and nothing more is said.
void TestPenwickExport::cancelled()
{
    QFETCH(bool, pdf);
    testsupport::WorkingFolder folder;
    writeFile("Manual.scv", sample("Manual.scv"));
    ScriptedBoxes boxes;
    ScriptedChooser chooser;
    chooser.answer = pdf ? "manual.pdf" : "site";
    Penwick w(boxes, nullptr, "Manual.scv");
    w.setFileChooser(&chooser);
    boxes.shown.clear();
    const QMap<QString, QByteArray> before = files(folder.path());
    bool cancelled = false;
    // Runs at the first step's event processing, once the dialog is there.
    QTimer::singleShot(0, &w, [&] {
        if (auto *progress = w.findChild<QProgressDialog *>("ExportProgress")) {
            progress->cancel();
            cancelled = true;
        }
    });
    (pdf ? w.ExportPdfMnu : w.ExportSiteMnu)->trigger();
    QVERIFY(cancelled);
    QCOMPARE(boxes.texts(), QStringList());
    QCOMPARE(files(folder.path()), before);
    QVERIFY(w.findChild<QProgressDialog *>("ExportProgress") == nullptr);
}

// What the boxes hold and was never saved is not published.
void TestPenwickExport::savedDocumentOnly()
{
    testsupport::WorkingFolder folder;
    writeFile("Three levels.scv", sample("Three levels.scv"));
    ScriptedBoxes boxes;
    boxes.answers = {MessageBoxes::No};
    ScriptedChooser chooser;
    chooser.answer = "site";
    Penwick w(boxes, nullptr, "Three levels.scv");
    w.setFileChooser(&chooser);
    w.NewTopicTxt->setText("Unsaved topic");
    w.ExportSiteMnu->trigger();
    QVERIFY(QFile::exists("site/0003-cafe-options.html"));
    QVERIFY(!readFile("site/index.html").contains("Unsaved"));
    QCOMPARE(QDir("site").entryList({"0*.html"}).size(), 3);
    QCOMPARE(w.NewTopicTxt->text(), QStringLiteral("Unsaved topic"));
}

QTEST_MAIN(TestPenwickExport)
#include "tst_penwick_export.moc"
