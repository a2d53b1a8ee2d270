#include "author/launcher.h"
#include "author/penwick.h"
#include "reader/reader_window.h"
#include "richtext/rich_text_box.h"
#include "tests/support/window_test_support.h"
#include "ui/click_list.h"
#include "ui/data_files.h"
#include "ui/message_boxes.h"
#include "ui/reader_channel.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <memory>

namespace {

using testsupport::readFile;
using testsupport::ScriptedBoxes;
using testsupport::Shown;
using testsupport::writeFile;

struct Start
{
    QString program;
    QStringList arguments;
    QString folder;
};

class RecordingLauncher final : public Launcher
{
public:
    bool startDetached(const QString &program, const QStringList &arguments,
        const QString &workingFolder, QString &error) override
    {
        starts.append({program, arguments, workingFolder});
        error = refusal;
        return refusal.isEmpty();
    }
    bool openPage(const QUrl &url, QString &error) override
    {
        pages.append(url);
        error = refusal;
        return refusal.isEmpty();
    }
    QList<Start> starts;
    QList<QUrl> pages;
    QString refusal;
};

QByteArray record(const QByteArray &name)
{
    return "0,\"" + name + "\",\"{\\rtf1\\ansi " + name + " text.\\par\r\n}\"\r\n";
}

QStringList lines(const ClickList *list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

// An executable file that does nothing.
void writeProgram(const QString &path)
{
    writeFile(path, "#!/bin/sh\nexit 0\n");
    QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner);
}

} // namespace

class TestPenwickOutside : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QTemporaryDir> m_data;
    QByteArray m_path;
    ScriptedBoxes m_boxes;
    RecordingLauncher m_launcher;

    std::unique_ptr<Penwick> start()
    {
        auto w = std::make_unique<Penwick>(m_boxes);
        w->setLauncher(&m_launcher);
        return w;
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_data = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid() && m_data->isValid());
        QVERIFY(QDir::setCurrent(m_dir->path()));
        datafiles::setDataFolder(m_data->path());
        m_boxes.shown.clear();
        m_launcher = RecordingLauncher();
        m_path = qgetenv("PATH");
    }

    void cleanup()
    {
        qputenv("PATH", m_path);
        datafiles::setDataFolder({});
    }

    // The hand-over file carries the current document's name so that it arrives whole, and
    // the reader starts in this folder without arguments.
    void review_data()
    {
        QTest::addColumn<QString>("document");
        QTest::addColumn<QByteArray>("handOver");
        QTest::newRow("plain name") << "Manual.scv" << QByteArray("Manual.scv\r\n");
        QTest::newRow("name with a comma")
            << "Tools, Extras.scv" << QByteArray("\"Tools, Extras.scv\"\r\n");
        QTest::newRow("name with blanks") << "My Manual.scv" << QByteArray("My Manual.scv\r\n");
        QTest::newRow("folder part") << "sub/Guide.scv" << QByteArray("sub/Guide.scv\r\n");
    }
    void review()
    {
        QFETCH(QString, document);
        QFETCH(QByteArray, handOver);
        QVERIFY(QDir().mkpath(QStringLiteral("sub")));
        writeFile(document, record("One"));
        writeProgram(QStringLiteral("leafwick"));
        qputenv("PATH", QFile::encodeName(m_dir->path()));
        auto w = start();
        w->CurrentHelpFileName = document;
        w->Initialize();

        QTest::mouseClick(w->ReviewCmd, Qt::LeftButton);
        QCOMPARE(readFile(QStringLiteral("DefaultHelpFile.tmp")), handOver);
        QCOMPARE(m_launcher.starts.size(), 1);
        QCOMPARE(m_launcher.starts[0].program, m_dir->path() + QStringLiteral("/leafwick"));
        QVERIFY(m_launcher.starts[0].arguments.isEmpty());
        QCOMPARE(m_launcher.starts[0].folder, QDir::currentPath());
        QVERIFY(m_boxes.shown.isEmpty());

        // Pressed again (here through the menu): one more reader, the same hand-over line.
        QVERIFY(QFile::remove(QStringLiteral("DefaultHelpFile.tmp")));
        w->ReviewMnu->trigger();
        QCOMPARE(m_launcher.starts.size(), 2);
        QCOMPARE(readFile(QStringLiteral("DefaultHelpFile.tmp")), handOver);
    }

    // A reader that already shows the document takes it: no hand-over file, no new reader.
    // A reader of another document does not.
    void reviewReusesARunningReader_data()
    {
        QTest::addColumn<QString>("readerShows");
        QTest::addColumn<int>("starts");
        QTest::newRow("the same document") << "Manual.scv" << 0;
        QTest::newRow("the same document by another path") << "./sub/../Manual.scv" << 0;
        QTest::newRow("another document") << "Other.scv" << 1;
    }
    void reviewReusesARunningReader()
    {
        QFETCH(QString, readerShows);
        QFETCH(int, starts);
        QVERIFY(QDir().mkpath(QStringLiteral("sub")));
        writeFile(QStringLiteral("Manual.scv"), record("One"));
        writeFile(QStringLiteral("Other.scv"), record("Two"));
        writeProgram(QStringLiteral("leafwick"));
        qputenv("PATH", QFile::encodeName(m_dir->path()));
        QProcess reader;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        reader.setProcessEnvironment(env);
        reader.start(QStringLiteral(LEAFWICK_PATH), {readerShows});
        auto stop = qScopeGuard([&] {
            reader.kill();
            reader.waitForFinished();
        });
        const QString shown = QFileInfo(readerShows).canonicalFilePath();
        QVERIFY(QTest::qWaitFor(
            [&] {
                ReaderRequest nothing;
                nothing.document = shown;
                return readerchannel::deliver(nothing, shown, 2000).delivery
                    == readerchannel::Delivery::Taken;
            },
            20000));
        auto w = start();
        w->CurrentHelpFileName = QStringLiteral("Manual.scv");
        w->Initialize();
        QTest::mouseClick(w->ReviewCmd, Qt::LeftButton);
        QCOMPARE(m_launcher.starts.size(), starts);
        QCOMPARE(QFile::exists(QStringLiteral("DefaultHelpFile.tmp")), starts > 0);
        QVERIFY(m_boxes.shown.isEmpty());
        QCOMPARE(reader.state(), QProcess::Running);
    }

    // Nothing is saved by Review: the document stays as last saved and the entries stay.
    void reviewLeavesUnsavedEntries()
    {
        writeFile(QStringLiteral("Help.scv"), record("One"));
        writeProgram(QStringLiteral("leafwick"));
        qputenv("PATH", QFile::encodeName(m_dir->path()));
        auto w = start();
        w->NewTopicTxt->setText(QStringLiteral("Draft"));
        w->Add->setText(QStringLiteral("Not saved yet"));
        w->viewMnu_Click();
        QCOMPARE(readFile(QStringLiteral("Help.scv")), record("One"));
        QCOMPARE(w->NewTopicTxt->text(), QStringLiteral("Draft"));
        QCOMPARE(w->Add->Text(), QStringLiteral("Not saved yet"));
        QCOMPARE(m_launcher.starts.size(), 1);
    }

    // Every way Review can fail is told, and a reader is started only with a hand-over file
    // that names the document.
    void reviewFailures_data()
    {
        QTest::addColumn<QString>("document");
        QTest::addColumn<bool>("handOverIsFolder");
        QTest::addColumn<bool>("readerOnPath");
        QTest::addColumn<QString>("refusal");
        QTest::addColumn<int>("starts");
        QTest::addColumn<QString>("told");
        QTest::newRow("reader cannot be started")
            << "Help.scv" << false << true << "Permission denied" << 1 << "Permission denied";
        QTest::newRow("reader nowhere")
            << "Help.scv" << false << false << QString() << 0 << "neither beside Penwick";
        QTest::newRow("hand-over file cannot be written")
            << "Help.scv" << true << true << QString() << 0 << "DefaultHelpFile.tmp";
        QTest::newRow("name that no hand-over line can carry")
            << "Say \"hi\", then.scv" << false << true << QString() << 0 << "DefaultHelpFile.tmp";
    }
    void reviewFailures()
    {
        QFETCH(QString, document);
        QFETCH(bool, handOverIsFolder);
        QFETCH(bool, readerOnPath);
        QFETCH(QString, refusal);
        QFETCH(int, starts);
        QFETCH(QString, told);
        if (handOverIsFolder)
            QVERIFY(QDir().mkdir(QStringLiteral("DefaultHelpFile.tmp")));
        QVERIFY(QDir().mkdir(QStringLiteral("bin")));
        if (readerOnPath)
            writeProgram(QStringLiteral("bin/leafwick"));
        qputenv("PATH", QFile::encodeName(m_dir->path() + QStringLiteral("/bin")));
        m_launcher.refusal = refusal;
        auto w = start();
        w->CurrentHelpFileName = document;
        w->viewMnu_Click();
        QCOMPARE(m_launcher.starts.size(), starts);
        QCOMPARE(m_boxes.shown.size(), 1);
        QVERIFY2(m_boxes.shown[0].text.contains(told), qPrintable(m_boxes.shown[0].text));
        QCOMPARE(m_boxes.shown[0].style, 16);
    }

    // Help shows the built-in help window: the working folder's copy first, then the shipped
    // one; with neither, the warning and an empty window.
    void help_data()
    {
        QTest::addColumn<bool>("inFolder");
        QTest::addColumn<bool>("inData");
        QTest::addColumn<QStringList>("contents");
        QTest::addColumn<QStringList>("warnings");
        QTest::newRow("in the working folder")
            << true << false << QStringList {"Local"} << QStringList();
        QTest::newRow("in the data folder only")
            << false << true << QStringList {"Shipped"} << QStringList();
        QTest::newRow("in both: the working folder's")
            << true << true << QStringList {"Local"} << QStringList();
        QTest::newRow("in neither")
            << false << false << QStringList() << QStringList {"No Data on File"};
    }
    void help()
    {
        QFETCH(bool, inFolder);
        QFETCH(bool, inData);
        QFETCH(QStringList, contents);
        QFETCH(QStringList, warnings);
        if (inFolder)
            writeFile(QStringLiteral("Scrivane.scv"), record("Local"));
        if (inData)
            writeFile(m_data->filePath(QStringLiteral("Scrivane.scv")), record("Shipped"));
        auto w = start();
        m_boxes.shown.clear();
        w->mnuHelp->trigger();
        ReaderWindow *help = w->VieHelpFrm();
        QVERIFY(help);
        QVERIFY(help->isVisible());
        QCOMPARE(help->kind(), ReaderKind::BuiltInHelp);
        QVERIFY(!help->isModal());
        QVERIFY(help->parent() == nullptr);
        QCOMPARE(lines(help->List1), contents);
        QStringList told;
        for (const Shown &s : m_boxes.shown)
            told << s.text;
        QCOMPARE(told, warnings);
        // The author window stays usable beside it.
        QVERIFY(w->isEnabled());
    }

    // Help pressed while the window is open brings that window forward and reads nothing;
    // once closed, the next Help loads it afresh.
    void helpTwice()
    {
        writeFile(QStringLiteral("Scrivane.scv"), record("First"));
        auto w = start();
        w->mnuHelp_Click();
        QPointer<ReaderWindow> first = w->VieHelpFrm();
        QVERIFY(first);
        writeFile(QStringLiteral("Scrivane.scv"), record("Second") + record("Third"));
        w->mnuHelp_Click();
        QCOMPARE(w->VieHelpFrm(), first.data());
        QCOMPARE(lines(first->List1), QStringList {"First"});
        const QWidgetList tops = QApplication::topLevelWidgets();
        QCOMPARE(std::count_if(tops.begin(), tops.end(),
                     [](QWidget *t) { return qobject_cast<ReaderWindow *>(t) != nullptr; }),
            1);

        first->close();
        QTRY_VERIFY(first.isNull());
        QVERIFY(!w->VieHelpFrm());
        w->mnuHelp_Click();
        QVERIFY(w->VieHelpFrm());
        QCOMPARE(lines(w->VieHelpFrm()->List1), (QStringList {"Second", "Third"}));
    }

    // Get Started opens the page with the desktop's viewer: the working folder's copy, else
    // the shipped one; a missing page or a refusal is told.
    void getStarted_data()
    {
        QTest::addColumn<bool>("inFolder");
        QTest::addColumn<bool>("inData");
        QTest::addColumn<QString>("refusal");
        QTest::addColumn<QString>("opened"); // relative to the folder it lies in
        QTest::addColumn<QString>("told");
        QTest::newRow("in the working folder")
            << true << false << QString() << "folder" << QString();
        QTest::newRow("in the data folder") << false << true << QString() << "data" << QString();
        QTest::newRow("missing everywhere")
            << false << false << QString() << QString() << "GetStarted.html";
        QTest::newRow("the desktop refuses") << true << false << "no viewer"
                                             << "folder"
                                             << "no viewer";
    }
    void getStarted()
    {
        QFETCH(bool, inFolder);
        QFETCH(bool, inData);
        QFETCH(QString, refusal);
        QFETCH(QString, opened);
        QFETCH(QString, told);
        const QString page = QStringLiteral("GetStarted.html");
        if (inFolder)
            writeFile(page, "<!doctype html><title>Local</title>");
        if (inData)
            writeFile(m_data->filePath(page), "<!doctype html><title>Shipped</title>");
        m_launcher.refusal = refusal;
        auto w = start();
        w->mnuGetStarted->trigger();
        if (opened.isEmpty()) {
            QVERIFY(m_launcher.pages.isEmpty());
        } else {
            QCOMPARE(m_launcher.pages.size(), 1);
            const QString folder =
                opened == QLatin1String("folder") ? m_dir->path() : m_data->path();
            QCOMPARE(m_launcher.pages[0], QUrl::fromLocalFile(folder + QLatin1Char('/') + page));
        }
        if (told.isEmpty()) {
            QVERIFY(m_boxes.shown.isEmpty());
        } else {
            QCOMPARE(m_boxes.shown.size(), 1);
            QVERIFY2(m_boxes.shown[0].text.contains(told), qPrintable(m_boxes.shown[0].text));
        }
        // Nothing else in the window changes.
        QCOMPARE(w->CurrentHelpFileName, QStringLiteral("Help.scv"));
    }

    // About shows the About box modally and returns once it is closed.
    void about()
    {
        auto w = start();
        QString caption;
        bool modal = false;
        QTimer::singleShot(0, [&] {
            QWidget *box = QApplication::activeModalWidget();
            QVERIFY(box);
            caption = box->windowTitle();
            modal = box->isModal();
            box->close();
        });
        w->AboutMnu->trigger();
        QVERIFY(modal);
        QCOMPARE(caption, QStringLiteral("About ") + QCoreApplication::applicationName());
        QVERIFY(!QApplication::activeModalWidget());
    }
};

QTEST_MAIN(TestPenwickOutside)
#include "tst_penwick_review_help.moc"
