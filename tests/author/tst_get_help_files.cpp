#include "author/get_help_files.h"
#include "author/penwick.h"
#include "richtext/rich_text_box.h"
#include "storage/folder_lock.h"
#include "tests/support/window_test_support.h"
#include "tests/support/working_folder.h"
#include "ui/click_list.h"
#include "ui/message_boxes.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <fcntl.h>
#include <functional>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using testsupport::readFile;
using testsupport::ScriptedBoxes;
using testsupport::Shown;
using testsupport::writeFile;

// Folder entries by their bytes: "name" an empty file, "dir:name" a folder, "link:name>target"
// a symbolic link.
void makeEntries(const QByteArrayList &entries)
{
    for (const QByteArray &entry : entries) {
        if (entry.startsWith("dir:")) {
            QCOMPARE(::mkdir(entry.mid(4).constData(), 0755), 0);
        } else if (entry.startsWith("link:")) {
            const QByteArrayList parts = entry.mid(5).split('>');
            QCOMPARE(::symlink(parts[1].constData(), parts[0].constData()), 0);
        } else {
            const int fd = ::open(entry.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
            QVERIFY(fd >= 0);
            ::close(fd);
        }
    }
}

QStringList lines(const QListWidget *list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

void clickRow(GetHelpFiles &dialog, const QString &name)
{
    const QList<QListWidgetItem *> found = dialog.FilFiles->findItems(name, Qt::MatchExactly);
    QCOMPARE(found.size(), 1);
    dialog.FilFiles->scrollToItem(found[0]);
    QTest::mouseClick(dialog.FilFiles->viewport(), Qt::LeftButton, {},
        dialog.FilFiles->visualItemRect(found[0]).center());
}

void chooseByKeyboard(GetHelpFiles &dialog, const QString &name)
{
    dialog.FilFiles->setFocus();
    for (int i = 0; i < dialog.FilFiles->count() && dialog.TextFileName->text() != name; ++i)
        QTest::keyClick(dialog.FilFiles, Qt::Key_Down);
}

struct OpenRun
{
    bool shown = false;
    bool modal = false;
    bool leftOpen = false;
    int linesWhileOpen = -1;
    QString displayWhileOpen;
};

// Runs the Open command; script works the chooser while it is open. A chooser the script left
// open is closed, so that the command returns.
OpenRun runOpen(Penwick &w, const std::function<void(GetHelpFiles &)> &script)
{
    OpenRun run;
    QTimer::singleShot(0, &w, [&] {
        auto *dialog = qobject_cast<GetHelpFiles *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        run.shown = true;
        run.modal = dialog->isModal();
        run.linesWhileOpen = w.List1->count();
        run.displayWhileOpen = w.RichTextBox1->Text();
        script(*dialog);
        if (dialog->isVisible()) {
            run.leftOpen = true;
            dialog->reject();
        }
    });
    w.OpenMnu_Click();
    return run;
}

} // namespace

class TestGetHelpFiles : public QObject
{
    Q_OBJECT

private:
    std::optional<testsupport::WorkingFolder> m_dir;
    ScriptedBoxes m_boxes;

    // An author window on "Help.scv" with topics T1 and T2, the first one displayed.
    std::unique_ptr<Penwick> start()
    {
        writeFile(QStringLiteral("Help.scv"), testsupport::topicsDocument(2));
        auto w = std::make_unique<Penwick>(m_boxes);
        m_boxes.shown.clear();
        return w;
    }

private Q_SLOTS:
    void init()
    {
        m_dir.emplace();
        m_boxes.shown.clear();
        m_boxes.answers.clear();
    }
    void cleanup()
    {
        QFile::setPermissions(
            m_dir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        m_dir.reset();
    }

    void listing_data()
    {
        QTest::addColumn<QByteArrayList>("entries");
        QTest::addColumn<QStringList>("listed"); // Help.scv is always there

        QTest::newRow("only names ending in .scv, case significant") << QByteArrayList {"a.scv",
            "b.SCV", "c.Scv", "d.scv.bak", "e.txt", "fscv"} << QStringList {"a.scv", "Help.scv"};
        QTest::newRow("case ignored, numbers by value, ties by code point")
            << QByteArrayList {"Help10.scv", "help2.scv", "banana.scv", "Apple.scv", "Help2.scv",
                   "Help02.scv"}
            << QStringList {"Apple.scv", "banana.scv", "Help.scv", "Help02.scv", "Help2.scv",
                   "help2.scv", "Help10.scv"};
        QTest::newRow("bare .scv listed")
            << QByteArrayList {".scv", "z.scv"} << QStringList {".scv", "Help.scv", "z.scv"};
        QTest::newRow("folders left out")
            << QByteArrayList {"dir:x.scv", "y.scv"} << QStringList {"Help.scv", "y.scv"};
        QTest::newRow("links count as what they point to") << QByteArrayList {"dir:d",
            "link:tofile.scv>Help.scv", "link:todir.scv>d",
            "link:dangling.scv>gone.scv"} << QStringList {"Help.scv", "tofile.scv"};
        QTest::newRow("non-ASCII names")
            << QByteArrayList {"\xc3\x9c"
                               "ber.scv",
                   "\xc3\xa4"
                   "rger.scv",
                   "zeta.scv"}
            << QStringList {"Help.scv", "zeta.scv", QStringLiteral("\u00e4rger.scv"),
                   QStringLiteral("\u00dcber.scv")};
        // Decoding would turn 0xFF into U+FFFD, whose encoding names the other file.
        QTest::newRow("undecodable name left out") << QByteArrayList {"\xff.scv",
            "\xef\xbf\xbd.scv"} << QStringList {"Help.scv", QStringLiteral("\ufffd.scv")};
    }
    void listing()
    {
        QFETCH(QByteArrayList, entries);
        QFETCH(QStringList, listed);
        auto w = start();
        // QTemporaryDir cannot remove a name that does not decode.
        const auto removeRaw = qScopeGuard([&] {
            for (const QByteArray &entry : entries)
                ::unlink(entry.constData());
        });
        makeEntries(entries);
        GetHelpFiles dialog(*w);
        QCOMPARE(lines(dialog.FilFiles), listed);
        QVERIFY(!dialog.fileChosen());
        QCOMPARE(dialog.TextFileName->text(), GetHelpFiles::noFileChosen());
        QVERIFY(dialog.TextFileName->isHidden());
        QCOMPARE(dialog.focusWidget(), dialog.FilFiles);
        QVERIFY(m_boxes.shown.isEmpty());
    }

    void open_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("byKeyboard");
        QTest::addColumn<QStringList>("topics");
        QTest::addColumn<QString>("title");

        QTest::newRow("document with topics, clicked")
            << "Manual.scv" << testsupport::topicsDocument(3) << false
            << QStringList {"T1", "T2", "T3"} << "Scrivane  -  Manual";
        QTest::newRow("empty document, clicked")
            << "Empty.scv" << QByteArray() << false << QStringList() << "Scrivane  -  Empty";
        QTest::newRow("dotted name, chosen by keyboard")
            << "Report.old.scv" << testsupport::topicsDocument(1) << true << QStringList {"T1"}
            << "Scrivane  -  Report";
    }
    void open()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(bool, byKeyboard);
        QFETCH(QStringList, topics);
        QFETCH(QString, title);
        auto w = start();
        writeFile(name, content);

        const OpenRun run = runOpen(*w, [&](GetHelpFiles &dialog) {
            if (byKeyboard)
                chooseByKeyboard(dialog, name);
            else
                clickRow(dialog, name);
            QTest::mouseClick(dialog.Open, Qt::LeftButton);
        });

        QVERIFY(run.shown);
        QVERIFY(run.modal);
        QVERIFY(!run.leftOpen);
        QCOMPARE(run.linesWhileOpen, 0);
        QCOMPARE(run.displayWhileOpen, QString());
        QCOMPARE(w->CurrentHelpFileName, name);
        QCOMPARE(lines(w->List1), topics);
        QCOMPARE(w->Label2->text(), title);
        QCOMPARE(w->GetStartedText->isHidden(), !topics.isEmpty());
        QVERIFY(m_boxes.shown.isEmpty());
    }

    void leaveWithoutOpening_data()
    {
        QTest::addColumn<bool>("closeBox");
        QTest::newRow("Exit button") << false;
        QTest::newRow("close box") << true;
    }
    void leaveWithoutOpening()
    {
        QFETCH(bool, closeBox);
        auto w = start();
        writeFile(QStringLiteral("Other.scv"), testsupport::topicsDocument(1));
        const QString topic1 = w->RichTextBox1->Text();
        QVERIFY(!topic1.isEmpty());

        const OpenRun run = runOpen(*w, [&](GetHelpFiles &dialog) {
            clickRow(dialog, QStringLiteral("Other.scv"));
            if (closeBox)
                dialog.close();
            else
                QTest::mouseClick(dialog.ExitCmd, Qt::LeftButton);
        });

        QVERIFY(run.shown);
        QVERIFY(!run.leftOpen);
        QCOMPARE(w->CurrentHelpFileName, QStringLiteral("Help.scv"));
        // The list emptied for the chooser shows the current document's topics again, and
        // the display its first topic, as loading the document does.
        QCOMPARE(lines(w->List1), (QStringList {"T1", "T2"}));
        QCOMPARE(w->List1->currentRow(), -1);
        QCOMPARE(w->RichTextBox1->Text(), topic1);
        QCOMPARE(w->Label2->text(), QStringLiteral("Scrivane  -  Help"));
        QVERIFY(w->GetStartedText->isHidden());
        QVERIFY(m_boxes.shown.isEmpty());
    }

    void keysPressNothing_data()
    {
        QTest::addColumn<QString>("focus");
        QTest::addColumn<int>("key");
        for (const char *focus : {"FilFiles", "Open", "ExitCmd", "DeleteCmd"}) {
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
        writeFile(QStringLiteral("Other.scv"), testsupport::topicsDocument(1));
        GetHelpFiles dialog(*w);
        dialog.show();
        clickRow(dialog, QStringLiteral("Other.scv"));
        auto *target = dialog.findChild<QWidget *>(focus);
        QVERIFY(target);
        target->setFocus();
        QTest::keyClick(target, Qt::Key(key));

        QVERIFY(dialog.isVisible());
        QCOMPARE(w->CurrentHelpFileName, QStringLiteral("Help.scv"));
        QVERIFY(QFileInfo::exists(QStringLiteral("Other.scv")));
        QVERIFY(m_boxes.shown.isEmpty());
    }

    void nothingChosen_data()
    {
        QTest::addColumn<QString>("button");
        QTest::newRow("Open") << "Open";
        QTest::newRow("Delete") << "DeleteCmd";
    }
    void nothingChosen()
    {
        QFETCH(QString, button);
        auto w = start();
        GetHelpFiles dialog(*w);
        // Showing it gives the list the focus, which must not choose its first line.
        dialog.show();
        m_boxes.answers = {MessageBoxes::Yes};
        QTest::mouseClick(dialog.findChild<QPushButton *>(button), Qt::LeftButton);

        QCOMPARE(m_boxes.shown.size(), 1);
        QCOMPARE(m_boxes.shown[0].text,
            QStringLiteral("No help file is chosen. Click a file in the list first."));
        QCOMPARE(m_boxes.shown[0].style, 48);
        QVERIFY(dialog.isVisible());
        QCOMPARE(lines(dialog.FilFiles), QStringList {"Help.scv"});
        QCOMPARE(w->CurrentHelpFileName, QStringLiteral("Help.scv"));
        QCOMPARE(dialog.TextFileName->text(), GetHelpFiles::noFileChosen());
    }

    void deleteAsked_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("listed");
        QTest::newRow("answered Yes")
            << int(MessageBoxes::Yes) << QStringList {"a.scv", "c.scv", "Help.scv"};
        QTest::newRow("answered No")
            << int(MessageBoxes::No) << QStringList {"a.scv", "b.scv", "c.scv", "Help.scv"};
    }
    void deleteAsked()
    {
        QFETCH(int, answer);
        QFETCH(QStringList, listed);
        auto w = start();
        makeEntries({"a.scv", "b.scv"});
        GetHelpFiles dialog(*w);
        dialog.show();
        clickRow(dialog, QStringLiteral("b.scv"));
        // Made after the dialog listed the folder: the list is read again after a deletion.
        makeEntries({"c.scv"});
        m_boxes.answers = {answer};
        QTest::mouseClick(dialog.DeleteCmd, Qt::LeftButton);

        QCOMPARE(m_boxes.shown.size(), 1);
        QCOMPARE(m_boxes.shown[0].text, QStringLiteral("Delete b.scv?"));
        QCOMPARE(m_boxes.shown[0].style, 276);
        QCOMPARE(m_boxes.shown[0].title, QString());
        QCOMPARE(QFileInfo::exists(QStringLiteral("b.scv")), answer != MessageBoxes::Yes);
        QCOMPARE(lines(dialog.FilFiles), listed);
        QCOMPARE(dialog.TextFileName->text(), QStringLiteral("b.scv"));
        QVERIFY(dialog.fileChosen());
        QVERIFY(dialog.isVisible());
    }

    void deleteFails_data()
    {
        QTest::addColumn<QString>("obstacle");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QStringList>("listed");
        QTest::newRow("already gone")
            << "gone"
            << "it is no longer there" << QStringList {"a.scv", "Help.scv"};
        QTest::newRow("folder busy with another program's change")
            << "busy"
            << "another program is still changing a document in this folder; try again"
            << QStringList {"a.scv", "b.scv", "Help.scv"};
        QTest::newRow("folder without write permission")
            << "locked"
            << "you do not have permission to change this folder"
            << QStringList {"a.scv", "b.scv", "Help.scv"};
    }
    void deleteFails()
    {
        QFETCH(QString, obstacle);
        QFETCH(QString, reason);
        QFETCH(QStringList, listed);
        if (obstacle == QLatin1String("locked") && ::geteuid() == 0)
            QSKIP("Permissions do not bind the superuser.");
        auto w = start();
        makeEntries({"a.scv", "b.scv"});
        GetHelpFiles dialog(*w);
        dialog.show();
        clickRow(dialog, QStringLiteral("b.scv"));

        storage::detail::FolderLock otherProgram;
        const auto timeout = storage::detail::lockTimeout();
        if (obstacle == QLatin1String("gone"))
            QVERIFY(QFile::remove(QStringLiteral("b.scv")));
        if (obstacle == QLatin1String("busy")) {
            QVERIFY(otherProgram.acquire(timeout).ok());
            storage::detail::setLockTimeout(std::chrono::milliseconds(30));
        }
        if (obstacle == QLatin1String("locked"))
            QVERIFY(QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::ExeOwner));
        m_boxes.answers = {MessageBoxes::Yes};
        QTest::mouseClick(dialog.DeleteCmd, Qt::LeftButton);
        storage::detail::setLockTimeout(timeout);

        QCOMPARE(m_boxes.shown.size(), 2);
        QCOMPARE(m_boxes.shown[1].text,
            QStringLiteral("\"b.scv\" could not be deleted: %1.").arg(reason));
        QCOMPARE(m_boxes.shown[1].style, 16);
        QCOMPARE(lines(dialog.FilFiles), listed);
        QCOMPARE(dialog.TextFileName->text(), QStringLiteral("b.scv"));
        QVERIFY(dialog.isVisible());
    }

    void deleteInOpen_data()
    {
        QTest::addColumn<bool>("editing");
        QTest::addColumn<QString>("deleted");
        QTest::addColumn<QString>("opened"); // empty: leave with Exit
        QTest::addColumn<QString>("current");
        QTest::addColumn<QStringList>("topics");
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("editAfter");
        QTest::addColumn<QString>("editEndedWhy"); // the start of the reason; empty: no message

        const QString help = QStringLiteral("Help.scv");
        const QString other = QStringLiteral("Other.scv");
        const QString helpTitle = QStringLiteral("Scrivane  -  Help");
        const QString deletedWhy = QStringLiteral("The document of the topic being edited");
        QTest::newRow("current deleted, then Exit")
            << false << help << "" << help << QStringList() << helpTitle << false << "";
        QTest::newRow("current deleted, then opened anyway")
            << false << help << help << help << QStringList() << helpTitle << false << "";
        QTest::newRow("editing, current deleted, then Exit")
            << true << help << "" << help << QStringList() << helpTitle << false << deletedWhy;
        QTest::newRow("editing, current deleted, then opened anyway")
            << true << help << help << help << QStringList() << helpTitle << false << deletedWhy;
        QTest::newRow("editing, current deleted, another opened")
            << true << help << other << other << QStringList {"T1"} << "Scrivane  -  Other" << false
            << "Another document was opened";
        QTest::newRow("editing, another document deleted")
            << true << other << "" << help << QStringList {"T1", "T2"} << helpTitle << true << "";
    }
    void deleteInOpen()
    {
        QFETCH(bool, editing);
        QFETCH(QString, deleted);
        QFETCH(QString, opened);
        QFETCH(QString, current);
        QFETCH(QStringList, topics);
        QFETCH(QString, title);
        QFETCH(bool, editAfter);
        QFETCH(QString, editEndedWhy);
        auto w = start();
        writeFile(QStringLiteral("Other.scv"), testsupport::topicsDocument(1));
        if (editing) {
            w->setList1Index(1);
            w->EditCmd_Click();
            QVERIFY(w->EditFlag);
        }
        m_boxes.answers = {MessageBoxes::Yes};

        const OpenRun run = runOpen(*w, [&](GetHelpFiles &dialog) {
            clickRow(dialog, deleted);
            QTest::mouseClick(dialog.DeleteCmd, Qt::LeftButton);
            if (opened.isEmpty()) {
                QTest::mouseClick(dialog.ExitCmd, Qt::LeftButton);
                return;
            }
            // The deleted name stays chosen; another is clicked in the list read again.
            if (opened != deleted)
                clickRow(dialog, opened);
            QTest::mouseClick(dialog.Open, Qt::LeftButton);
        });

        QVERIFY(run.shown);
        QVERIFY(!run.leftOpen);
        QVERIFY(!QFileInfo::exists(deleted));
        QCOMPARE(w->CurrentHelpFileName, current);
        QCOMPARE(lines(w->List1), topics);
        QCOMPARE(w->Label2->text(), title);
        QCOMPARE(w->EditFlag, editAfter);
        if (!opened.isEmpty()) {
            QCOMPARE(w->RecordCount, std::uint64_t(topics.size()));
            QCOMPARE(w->GetStartedText->isHidden(), !topics.isEmpty());
        }
        QCOMPARE(m_boxes.shown.size(), editEndedWhy.isEmpty() ? 1 : 2);
        QCOMPARE(m_boxes.shown[0].text, QStringLiteral("Delete %1?").arg(deleted));
        if (!editEndedWhy.isEmpty()) {
            QVERIFY2(
                m_boxes.shown[1].text.startsWith(editEndedWhy), qPrintable(m_boxes.shown[1].text));
            QCOMPARE(m_boxes.shown[1].style, 48);
        }
    }
};

QTEST_MAIN(TestGetHelpFiles)
#include "tst_get_help_files.moc"
