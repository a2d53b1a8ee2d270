#include "author/create_name.h"
#include "author/penwick.h"
#include "richtext/rich_text_box.h"
#include "tests/support/window_test_support.h"
#include "tests/support/working_folder.h"
#include "ui/click_list.h"
#include "ui/message_boxes.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <unistd.h>

namespace {

using testsupport::readFile;
using testsupport::ScriptedBoxes;
using testsupport::Shown;
using testsupport::writeFile;

// A NUL or a lone surrogate cannot be typed, only pasted; setText stands for the paste.
void enterName(CreateName *dialog, const QString &text)
{
    if (std::any_of(text.begin(), text.end(), [](QChar c) { return !c.isPrint(); }))
        dialog->HelpFileName->setText(text);
    else
        QTest::keyClicks(dialog->HelpFileName, text);
}

} // namespace

class TestCreateName : public QObject
{
    Q_OBJECT

private:
    std::optional<testsupport::WorkingFolder> m_dir;
    ScriptedBoxes m_boxes;

    // An author window on "Help.scv" with topics T1 and T2.
    std::unique_ptr<Penwick> start()
    {
        writeFile(QStringLiteral("Help.scv"), testsupport::topicsDocument(2));
        auto w = std::make_unique<Penwick>(m_boxes);
        m_boxes.shown.clear();
        return w;
    }

    // The Create dialogs that exist, shown or about to be deleted.
    static int openCreateDialogs()
    {
        int n = 0;
        for (QWidget *window : QApplication::topLevelWidgets())
            n += qobject_cast<CreateName *>(window) != nullptr;
        return n;
    }

    static CreateName *openDialog(Penwick &w)
    {
        w.Createmnu_Click();
        return qobject_cast<CreateName *>(w.CreateName());
    }

private Q_SLOTS:
    void init()
    {
        m_dir.emplace();
        m_boxes.shown.clear();
    }
    void cleanup()
    {
        // Folders a test made unwritable must be removable again.
        QDirIterator it(
            m_dir->path(), QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        while (it.hasNext())
            QFile::setPermissions(
                it.next(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        m_dir.reset();
    }

    // The program ends when its last window closes: the Create dialog and the built-in help
    // keep it running, and working, after the author window was closed.
    void programEndsWithItsLastWindow_data()
    {
        QTest::addColumn<QString>("alsoOpen");
        QTest::newRow("author window alone") << "";
        QTest::newRow("Create open") << "Create";
        QTest::newRow("built-in help open") << "Help";
    }
    void programEndsWithItsLastWindow()
    {
        QFETCH(QString, alsoOpen);
        auto w = start();
        w->show();
        QPointer<QWidget> other;
        if (alsoOpen == QLatin1String("Create"))
            other = openDialog(*w);
        else if (alsoOpen == QLatin1String("Help")) {
            w->mnuHelp_Click();
            other = w->VieHelpFrm();
        }
        QStringList steps;
        QObject script;
        const auto at = [&](int ms, std::function<void()> step) {
            auto *timer = new QTimer(&script);
            timer->setSingleShot(true);
            QObject::connect(timer, &QTimer::timeout, &script, step);
            timer->start(ms);
        };
        at(0, [&] {
            w->close();
            steps << QStringLiteral("author window closed");
        });
        at(100, [&] {
            if (!other || !other->isVisible())
                return;
            steps << QStringLiteral("still running");
            if (auto *dialog = qobject_cast<CreateName *>(other.data())) {
                enterName(dialog, QStringLiteral("After"));
                QTest::mouseClick(dialog->Save, Qt::LeftButton);
                if (QFile::exists(QStringLiteral("After.scv"))
                    && w->CurrentHelpFileName == QLatin1String("After.scv"))
                    steps << QStringLiteral("Create still works");
            }
            other->close();
        });
        // Only a program that never ends reaches this.
        at(5000, [&] {
            steps << QStringLiteral("timed out");
            QApplication::quit();
        });
        QApplication::exec();
        QStringList expected {QStringLiteral("author window closed")};
        if (alsoOpen == QLatin1String("Create"))
            expected << QStringLiteral("still running") << QStringLiteral("Create still works");
        else if (!alsoOpen.isEmpty())
            expected << QStringLiteral("still running");
        QCOMPARE(steps, expected);
    }

    // When the dialog closes, the list shows the current document's topics again: those of an
    // existing document that Save made current, none of a new one, the same ones without Save.
    void closingShowsTheTopics_data()
    {
        QTest::addColumn<QString>("typed"); // empty: closed without Save
        QTest::addColumn<bool>("closeBox");
        QTest::addColumn<QStringList>("topics");
        QTest::addColumn<int>("highlighted");
        QTest::newRow("existing name, Exit") << "Other" << false << QStringList {"T1"} << -1;
        QTest::newRow("existing name, close box") << "Other" << true << QStringList {"T1"} << -1;
        QTest::newRow("new name, Exit") << "Fresh" << false << QStringList() << -1;
        QTest::newRow("no Save, Exit") << "" << false << QStringList {"T1", "T2"} << 1;
    }
    void closingShowsTheTopics()
    {
        QFETCH(QString, typed);
        QFETCH(bool, closeBox);
        QFETCH(QStringList, topics);
        QFETCH(int, highlighted);
        auto w = start();
        writeFile(QStringLiteral("Other.scv"), testsupport::topicsDocument(1));
        w->setList1Index(1);
        CreateName *dialog = openDialog(*w);
        if (!typed.isEmpty()) {
            enterName(dialog, typed);
            QTest::mouseClick(dialog->Save, Qt::LeftButton);
            // While the dialog is open the list stays empty, as Save leaves it.
            QCOMPARE(testsupport::lines(w->List1), QStringList());
        }
        if (closeBox)
            dialog->close();
        else
            QTest::mouseClick(dialog->Exit, Qt::LeftButton);
        QCOMPARE(testsupport::lines(w->List1), topics);
        QCOMPARE(w->List1->currentRow(), highlighted);
        QCOMPARE(w->RecordCount, std::uint64_t(topics.size()));
        if (!topics.isEmpty()) {
            // The topics can be chosen again.
            w->setList1Index(0);
            QCOMPARE(w->RichTextBox1->Text(), QStringLiteral("Topic."));
        }
        QVERIFY(m_boxes.shown.isEmpty());
    }

    void save_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("folder"); // made beforehand when not empty
        QTest::addColumn<QByteArray>("existing"); // the file's content beforehand, or "<missing>"
        QTest::addColumn<int>("saves");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("title");

        const QByteArray missing = "<missing>";
        QTest::newRow("empty name") << ""
                                    << "" << missing << 1 << ".scv"
                                    << "Scrivane  -  ";
        QTest::newRow("plain name") << "Manual"
                                    << "" << missing << 1 << "Manual.scv"
                                    << "Scrivane  -  Manual";
        QTest::newRow("dotted name") << "Report.old"
                                     << "" << missing << 1 << "Report.old.scv"
                                     << "Scrivane  -  Report";
        QTest::newRow("blanks kept as typed") << " My Help "
                                              << "" << missing << 1 << " My Help .scv"
                                              << "Scrivane  -   My Help ";
        QTest::newRow("existing document left as it was")
            << "Old"
            << "" << testsupport::topicsDocument(3) << 1 << "Old.scv"
            << "Scrivane  -  Old";
        QTest::newRow("saved twice") << "Twice"
                                     << "" << missing << 2 << "Twice.scv"
                                     << "Scrivane  -  Twice";
        QTest::newRow("existing document saved twice")
            << "Old"
            << "" << testsupport::topicsDocument(3) << 2 << "Old.scv"
            << "Scrivane  -  Old";
        QTest::newRow("the current document again")
            << "Help"
            << "" << testsupport::topicsDocument(2) << 1 << "Help.scv"
            << "Scrivane  -  Help";
        QTest::newRow("into an existing folder") << "sub/Manual"
                                                 << "sub" << missing << 1 << "sub/Manual.scv"
                                                 << "Scrivane  -  sub/Manual";
    }
    void save()
    {
        QFETCH(QString, typed);
        QFETCH(QString, folder);
        QFETCH(QByteArray, existing);
        QFETCH(int, saves);
        QFETCH(QString, fileName);
        QFETCH(QString, title);
        auto w = start();
        if (!folder.isEmpty())
            QVERIFY(QDir().mkdir(folder));
        if (existing != "<missing>" && fileName != QLatin1String("Help.scv"))
            writeFile(fileName, existing);
        QCOMPARE(testsupport::lines(w->List1), (QStringList {"T1", "T2"}));

        CreateName *dialog = openDialog(*w);
        QVERIFY(dialog);
        enterName(dialog, typed);
        for (int i = 0; i < saves; ++i)
            QTest::mouseClick(dialog->Save, Qt::LeftButton);

        QCOMPARE(readFile(fileName), existing == "<missing>" ? QByteArray() : existing);
        QCOMPARE(w->CurrentHelpFileName, fileName);
        QCOMPARE(w->Label2->text(), title);
        QCOMPARE(testsupport::lines(w->List1), QStringList());
        QCOMPARE(w->RecordCount, std::uint64_t(existing.count("\r\n")));
        QVERIFY(m_boxes.shown.isEmpty());
        QVERIFY(dialog->isVisible());
        QCOMPARE(w->CreateName(), dialog);
    }

    void refused_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("prepare"); // "dir:NAME", "file:NAME", "locked:NAME" or ""
        QTest::addColumn<QString>("shownName");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QString>("mustNotExist");

        QTest::newRow("missing folder") << "nowhere/Manual"
                                        << ""
                                        << "nowhere/Manual.scv"
                                        << "the folder it should go in does not exist"
                                        << "nowhere";
        QTest::newRow("a file where a folder should be")
            << "plain/Manual"
            << "file:plain"
            << "plain/Manual.scv"
            << "a part of the folder path is a file, not a folder"
            << "plain/Manual.scv";
        QTest::newRow("a folder of that name") << "Box"
                                               << "dir:Box.scv"
                                               << "Box.scv"
                                               << "a folder of that name is in the way"
                                               << "";
        const QString longName(300, QLatin1Char('a'));
        QTest::newRow("name too long") << longName << "" << longName + ".scv"
                                       << "the name is too long" << longName + ".scv";
        QTest::newRow("NUL character")
            << QStringLiteral("Bad") + QChar(0) + QStringLiteral("Name") << ""
            << QStringLiteral("Bad") + QChar(0x2400) + QStringLiteral("Name.scv")
            << "a file name cannot hold the NUL character"
            << "Bad";
        QTest::newRow("lone surrogate")
            << QStringLiteral("Bad") + QChar(0xD800) << ""
            << QStringLiteral("Bad") + QChar(0xD800) + QStringLiteral(".scv")
            << "it holds a character that a file name cannot hold"
            << QStringLiteral("Bad\uFFFD.scv");
        QTest::newRow("folder without write permission")
            << "locked/Manual"
            << "locked:locked"
            << "locked/Manual.scv"
            << "you do not have permission to write there"
            << "locked/Manual.scv";
    }
    void refused()
    {
        QFETCH(QString, typed);
        QFETCH(QString, prepare);
        QFETCH(QString, shownName);
        QFETCH(QString, reason);
        QFETCH(QString, mustNotExist);
        auto w = start();
        const QString kind = prepare.section(QLatin1Char(':'), 0, 0);
        const QString what = prepare.section(QLatin1Char(':'), 1);
        if (kind == QLatin1String("dir") || kind == QLatin1String("locked"))
            QVERIFY(QDir().mkdir(what));
        if (kind == QLatin1String("file"))
            writeFile(what, "not a folder");
        if (kind == QLatin1String("locked")) {
            if (::geteuid() == 0)
                QSKIP("Permissions do not bind the superuser.");
            QVERIFY(QFile::setPermissions(what, QFile::ReadOwner | QFile::ExeOwner));
        }
        // An edit in progress must survive a refused name.
        w->setList1Index(0);
        w->EditCmd_Click();
        QVERIFY(w->EditFlag);

        CreateName *dialog = openDialog(*w);
        enterName(dialog, typed);
        QTest::mouseClick(dialog->Save, Qt::LeftButton);

        QCOMPARE(m_boxes.shown.size(), 1);
        QCOMPARE(m_boxes.shown[0].text,
            QStringLiteral("The help file \"%1\" could not be created: %2.")
                .arg(shownName, reason));
        QCOMPARE(m_boxes.shown[0].style, 48);
        QCOMPARE(m_boxes.shown[0].title, QString());
        if (!mustNotExist.isEmpty())
            QVERIFY(!QFileInfo::exists(mustNotExist));
        QCOMPARE(w->CurrentHelpFileName, QStringLiteral("Help.scv"));
        QCOMPARE(w->Label2->text(), QStringLiteral("Scrivane  -  Help"));
        QCOMPARE(testsupport::lines(w->List1), (QStringList {"T1", "T2"}));
        QVERIFY(w->EditFlag);
        QCOMPARE(readFile(QStringLiteral("Help.scv")), testsupport::topicsDocument(2));
        QVERIFY(dialog->isVisible());
    }

    void closing_data()
    {
        QTest::addColumn<bool>("closeBox");
        QTest::addColumn<bool>("createAtOnce"); // Create again before the old dialog is deleted
        QTest::newRow("Exit button") << false << false;
        QTest::newRow("close box") << true << false;
        QTest::newRow("Exit, then Create before the dialog is gone") << false << true;
    }
    void closing()
    {
        QFETCH(bool, closeBox);
        QFETCH(bool, createAtOnce);
        auto w = start();
        CreateName *dialog = openDialog(*w);
        QTest::keyClicks(dialog->HelpFileName, QStringLiteral("Draft"));
        if (closeBox)
            dialog->close();
        else
            QTest::mouseClick(dialog->Exit, Qt::LeftButton);
        QVERIFY(!dialog->isVisible());
        if (!createAtOnce)
            QTRY_VERIFY(!w->CreateName());

        CreateName *again = openDialog(*w);
        QVERIFY(again);
        QVERIFY(again->isVisible());
        QCOMPARE(again->HelpFileName->text(), QString());
        QTRY_COMPARE(openCreateDialogs(), 1);
        QVERIFY(!QFileInfo::exists(QStringLiteral("Draft.scv")));
        QCOMPARE(w->CurrentHelpFileName, QStringLiteral("Help.scv"));
        QCOMPARE(testsupport::lines(w->List1), (QStringList {"T1", "T2"}));
        QVERIFY(m_boxes.shown.isEmpty());
    }

    void createTwiceKeepsOneModelessDialog()
    {
        auto w = start();
        CreateName *dialog = openDialog(*w);
        QTest::keyClicks(dialog->HelpFileName, QStringLiteral("Half"));
        QCOMPARE(openDialog(*w), dialog);
        QCOMPARE(openCreateDialogs(), 1);
        QCOMPARE(dialog->HelpFileName->text(), QStringLiteral("Half"));
        QVERIFY(dialog->isVisible());
        QVERIFY(dialog->isWindow());
        // A window of its own, not the author window's child: it outlives the author window.
        QCOMPARE(dialog->parentWidget(), nullptr);
        QCOMPARE(dialog->windowModality(), Qt::NonModal);
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
    }

    void keysPressNothing_data()
    {
        QTest::addColumn<QString>("focus");
        QTest::addColumn<int>("key");
        for (const char *focus : {"HelpFileName", "Save", "Exit"}) {
            QTest::addRow("Escape on %s", focus) << focus << int(Qt::Key_Escape);
            QTest::addRow("Return on %s", focus) << focus << int(Qt::Key_Return);
            QTest::addRow("Enter on %s", focus) << focus << int(Qt::Key_Enter);
        }
    }
    void keysPressNothing()
    {
        QFETCH(QString, focus);
        QFETCH(int, key);
        auto w = start();
        CreateName *dialog = openDialog(*w);
        QTest::keyClicks(dialog->HelpFileName, QStringLiteral("Keyed"));
        auto *target = dialog->findChild<QWidget *>(focus);
        QVERIFY(target);
        target->setFocus();
        QTest::keyClick(target, Qt::Key(key));
        QTest::qWait(0);

        QVERIFY(dialog->isVisible());
        QCOMPARE(w->CreateName(), dialog);
        QVERIFY(!QFileInfo::exists(QStringLiteral("Keyed.scv")));
        QCOMPARE(w->CurrentHelpFileName, QStringLiteral("Help.scv"));
        QVERIFY(m_boxes.shown.isEmpty());
    }

    void dialogStartsReady()
    {
        auto w = start();
        CreateName *dialog = openDialog(*w);
        QCOMPARE(dialog->focusWidget(), dialog->HelpFileName);
        QCOMPARE(dialog->HelpFileName->text(), QString());
        // The whole question is readable in the label's box.
        QVERIFY(
            dialog->Label1->heightForWidth(dialog->Label1->width()) <= dialog->Label1->height());
        // No length limit of the box's own.
        const QString longText(40000, QLatin1Char('x'));
        dialog->HelpFileName->setText(longText);
        QCOMPARE(dialog->HelpFileName->text(), longText);
    }
};

QTEST_MAIN(TestCreateName)
#include "tst_create_name.moc"
