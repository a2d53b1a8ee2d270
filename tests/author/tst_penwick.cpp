#include "author/penwick.h"
#include "author/sanitiser.h"
#include "richtext/rich_text_box.h"
#include "storage/document.h"
#include "storage/record_reader.h"
#include "tests/support/window_test_support.h"
#include "tests/support/working_folder.h"
#include "ui/click_list.h"
#include "ui/message_boxes.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFocusEvent>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <optional>
#include <unistd.h>

namespace {

using testsupport::readFile;
using testsupport::ScriptedBoxes;
using testsupport::Shown;
using testsupport::writeFile;

QByteArray record(const QByteArray &level, const QByteArray &name, const QByteArray &text)
{
    return '"' + level + "\",\"" + name + "\",\"" + text + "\"\r\n";
}

QByteArray topicRtf(int i)
{
    return "{\\rtf1\\ansi Topic number " + QByteArray::number(i) + ".\r\n}";
}

QWidget *nextTabStop(QWidget *widget)
{
    QWidget *next = widget->nextInFocusChain();
    while (next != widget && !(next->focusPolicy() & Qt::TabFocus))
        next = next->nextInFocusChain();
    return next;
}

// A document of n topics named T1..Tn at level "0", with one text each.
QByteArray document(int n)
{
    QByteArray bytes;
    for (int i = 1; i <= n; ++i)
        bytes += record("0", "T" + QByteArray::number(i), topicRtf(i));
    return bytes;
}

QStringList names(int n)
{
    QStringList out;
    for (int i = 1; i <= n; ++i)
        out << QStringLiteral("T%1").arg(i);
    return out;
}

// The records of a document file, split by the storage reader.
QList<QByteArray> recordsOf(const QString &name)
{
    QList<QByteArray> out;
    storage::DocumentReader reader(name.toStdString());
    storage::TopicRecord r;
    while (reader.next(r) == storage::ReadStatus::Record) {
        out << QByteArray::fromStdString(
            (r.level.isNumber() ? r.level.text() : '"' + r.level.text() + '"') + "," + r.name.text()
            + "," + r.text.text());
    }
    return out;
}

// Sets the paste box to plain text whose RTF is exactly size bytes long.
void fillToRtfSize(richtext::RichTextBox *box, qsizetype size)
{
    box->setText(QStringLiteral("a"));
    qsizetype letters = size - (box->TextRTF().size() - 1);
    for (int tries = 0; tries < 8; ++tries) {
        box->setText(QString(letters, QLatin1Char('a')));
        const qsizetype got = box->TextRTF().size();
        if (got == size)
            return;
        letters += size - got;
    }
    QFAIL("could not reach the RTF size");
}

} // namespace

class TestPenwick : public QObject
{
    Q_OBJECT

private:
    std::optional<testsupport::WorkingFolder> m_dir;
    ScriptedBoxes m_boxes;

    std::unique_ptr<Penwick> start()
    {
        m_boxes.shown.clear();
        return std::make_unique<Penwick>(m_boxes);
    }

private Q_SLOTS:
    void init()
    {
        m_dir.emplace();
        m_boxes.shown.clear();
        m_boxes.answers.clear();
    }
    void cleanup() { m_dir.reset(); }

    void startUp_data()
    {
        QTest::addColumn<QByteArray>("ini"); // "<none>" for no file
        QTest::addColumn<QByteArray>("scv");
        QTest::addColumn<QByteArray>("expectedScv");
        QTest::addColumn<QByteArray>("expectedIni");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<bool>("hint");

        const QByteArray none = "<none>";
        const QByteArray two = document(2);
        const QByteArray one = document(1);
        QTest::newRow("empty folder")
            << none << none << QByteArray() << QByteArray("<missing>") << QStringList() << true;
        QTest::newRow("Help.ini renamed")
            << two << none << two << QByteArray("<missing>") << QStringList {"T1", "T2"} << false;
        QTest::newRow("both present, neither touched")
            << two << one << one << two << QStringList {"T1"} << false;
        QTest::newRow("empty Help.scv kept") << none << QByteArray() << QByteArray()
                                             << QByteArray("<missing>") << QStringList() << true;
    }
    void startUp()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QByteArray, scv);
        QFETCH(QByteArray, expectedScv);
        QFETCH(QByteArray, expectedIni);
        QFETCH(QStringList, lines);
        QFETCH(bool, hint);
        if (ini != "<none>")
            writeFile("Help.ini", ini);
        if (scv != "<none>")
            writeFile("Help.scv", scv);
        auto w = start();
        QCOMPARE(readFile("Help.scv"), expectedScv);
        QCOMPARE(readFile("Help.ini"), expectedIni);
        QCOMPARE(testsupport::lines(w->List1), lines);
        QCOMPARE(w->RecordCount, std::uint64_t(lines.size()));
        QCOMPARE(w->LabelsSaved->text(), QString::number(lines.size()));
        QCOMPARE(w->LevelTxt->text(), QStringLiteral("0"));
        QCOMPARE(w->GetStartedText->isVisibleTo(w.get()), hint);
        QCOMPARE(w->Label2->text(), QStringLiteral("Scrivane  -  Help"));
        QCOMPARE(w->CurrentHelpFileName, QStringLiteral("Help.scv"));
        QCOMPARE(w->List1->currentRow(), -1);
        QCOMPARE(w->list1ClickRuns(), std::uint64_t(0));
        QVERIFY(m_boxes.shown.isEmpty());
    }

    void threeLevels()
    {
        QVERIFY(QFile::copy(QStringLiteral(SCRIVANE_TEST_DATA_DIR "/documents/Three levels.scv"),
            QStringLiteral("Help.scv")));
        auto w = start();
        QCOMPARE(testsupport::lines(w->List1),
            (QStringList {"Introduction", "   Install, first steps",
                QString::fromUtf8("      Café options")}));
        QCOMPARE(w->List1->currentRow(), -1);
        QVERIFY(w->RichTextBox1->Text().contains(QStringLiteral("Welcome")));
        QVERIFY(!w->GetStartedText->isVisibleTo(w.get()));
        QCOMPARE(w->LabelsSaved->text(), QStringLiteral("3"));
    }

    void layout_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("toolTip");
        QTest::addColumn<QString>("accessible");
        QTest::addColumn<QRect>("geometry");
        QTest::newRow("Label2") << "Label2"
                                << "Scrivane  -  Help"
                                << ""
                                << "" << QRect(8, 8, 473, 25);
        QTest::newRow("AddFrame") << "AddFrame"
                                  << ""
                                  << ""
                                  << "" << QRect(8, 32, 473, 433);
        QTest::newRow("NewTopicTxt") << "NewTopicTxt"
                                     << ""
                                     << "Write your Topic Name."
                                     << "Topic" << QRect(16, 48, 193, 27);
        QTest::newRow("LevelTxt") << "LevelTxt"
                                  << "0"
                                  << "Enter a number to represent Indent level"
                                  << "Indent Level" << QRect(288, 64, 17, 19);
        QTest::newRow("LabelsSaved") << "LabelsSaved"
                                     << "0"
                                     << ""
                                     << "Topics Saved" << QRect(96, 80, 33, 11);
        QTest::newRow("Add") << "Add"
                             << ""
                             << "Write your Help contents."
                             << "Text" << QRect(16, 176, 449, 209);
        QTest::newRow("SaveCmd") << "SaveCmd"
                                 << "Save"
                                 << ""
                                 << "" << QRect(320, 392, 57, 25);
        QTest::newRow("ReviewCmd") << "ReviewCmd"
                                   << "Review"
                                   << ""
                                   << "" << QRect(240, 392, 57, 25);
        QTest::newRow("ExitCmd") << "ExitCmd"
                                 << "Exit"
                                 << ""
                                 << "" << QRect(384, 392, 57, 25);
        QTest::newRow("GetStartedText") << "GetStartedText"
                                        << "Click \"Help\", \"Get Started\""
                                        << ""
                                        << "" << QRect(304, 280, 321, 33);
        QTest::newRow("Frame1") << "Frame1"
                                << "Display"
                                << ""
                                << "" << QRect(496, 8, 433, 457);
        QTest::newRow("List1") << "List1"
                               << ""
                               << ""
                               << "Contents" << QRect(104, 16, 321, 134);
        QTest::newRow("RichTextBox1") << "RichTextBox1"
                                      << ""
                                      << ""
                                      << "Display" << QRect(8, 152, 417, 289);
        QTest::newRow("UpCmd") << "UpCmd"
                               << "Move Up"
                               << ""
                               << "" << QRect(8, 24, 81, 17);
        QTest::newRow("DownCmd") << "DownCmd"
                                 << "Move Down"
                                 << ""
                                 << "" << QRect(8, 40, 81, 17);
        QTest::newRow("InsertCmd") << "InsertCmd"
                                   << "Insert"
                                   << ""
                                   << "" << QRect(8, 88, 81, 17);
        QTest::newRow("RemoveCmd") << "RemoveCmd"
                                   << "Remove"
                                   << ""
                                   << "" << QRect(8, 104, 81, 17);
        QTest::newRow("EditCmd") << "EditCmd"
                                 << "Edit"
                                 << ""
                                 << "" << QRect(8, 128, 81, 17);
    }
    void layout()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(QString, toolTip);
        QFETCH(QString, accessible);
        QFETCH(QRect, geometry);
        auto w = start();
        auto *widget = w->findChild<QWidget *>(name);
        QVERIFY(widget);
        QCOMPARE(widget->geometry(), geometry);
        QCOMPARE(widget->toolTip(), toolTip);
        QCOMPARE(widget->accessibleName(), accessible);
        QString shownText;
        if (auto *l = qobject_cast<QLabel *>(widget))
            shownText = l->text();
        else if (auto *e = qobject_cast<QLineEdit *>(widget))
            shownText = e->text();
        else if (auto *b = qobject_cast<QPushButton *>(widget))
            shownText = b->text();
        else if (auto *g = qobject_cast<QGroupBox *>(widget))
            shownText = g->title();
        QCOMPARE(shownText, text);
        const qreal size = name == QLatin1String("Label2") ? 14.25 : 8.25;
        QCOMPARE(widget->font().pointSizeF(), size);
    }

    void windowFrame()
    {
        auto w = start();
        QCOMPARE(w->windowTitle(), QStringLiteral("Enter"));
        QCOMPARE(w->centralWidget()->size(), QSize(938, 484));
        QCOMPARE(w->Label2->palette().color(QPalette::Window), QColor(0x80, 0x80, 0x00));
        QCOMPARE(w->AddFrame->palette().color(QPalette::Window), QColor(0xFF, 0xFF, 0xC0));
        QCOMPARE(w->Frame1->palette().color(QPalette::Window), QColor(0xFF, 0xFF, 0xC0));
        QCOMPARE(w->List1->palette().color(QPalette::Base), QColor(0xE0, 0xE0, 0xE0));
        QCOMPARE(w->GetStartedText->palette().color(QPalette::Base), QColor(Qt::red));
        QVERIFY(w->RichTextBox1->isReadOnly());
        QVERIFY(!w->Add->isReadOnly());
        // Tab order starts with the entry panel.
        QCOMPARE(nextTabStop(w->NewTopicTxt), w->LevelTxt);
        QCOMPARE(nextTabStop(w->LevelTxt), w->Add);
        QCOMPARE(nextTabStop(w->Add), w->SaveCmd);
        QCOMPARE(nextTabStop(w->SaveCmd), w->ReviewCmd);
        QCOMPARE(w->SaveMnu->shortcut(), QKeySequence(QKeySequence::Save));
        const QStringList file {"Create", "Open", "Save", "Review", "", "Exit", "",
            "Export as Web Site...", "Export as PDF..."};
        QStringList got;
        auto *fileMenu = w->findChild<QMenu *>(QStringLiteral("FileMnu"));
        QVERIFY(fileMenu);
        for (QAction *a : fileMenu->actions()) {
            if (a->isVisible())
                got << a->text().remove(QLatin1Char('&'));
        }
        QCOMPARE(got, file);
        QVERIFY(!w->viewMnu->isEnabled());
        QCOMPARE(w->AboutMnu->text().remove(QLatin1Char('&')), QStringLiteral("About"));
        QCOMPARE(w->mnuGetStarted->text().remove(QLatin1Char('&')), QStringLiteral("Get Started"));
    }

    // Setting the list position from code runs List1_Click at once; -1 runs nothing.
    void listFromCode_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("runs");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("level");
        QTest::newRow("first line") << 0 << 1 << 0 << "0";
        QTest::newRow("third line") << 2 << 1 << 2 << "2";
        QTest::newRow("none") << -1 << 0 << -1 << "keep";
        QTest::newRow("past the end acts as none") << 3 << 0 << -1 << "keep";
    }
    void listFromCode()
    {
        QFETCH(int, index);
        QFETCH(int, runs);
        QFETCH(int, row);
        QFETCH(QString, level);
        writeFile("Help.scv",
            record("0", "A", topicRtf(1)) + record("1", "B", topicRtf(2))
                + record("2", "C", topicRtf(3)));
        auto w = start();
        w->LevelTxt->setText(QStringLiteral("keep"));
        w->NewTopicTxt->setText(QStringLiteral("name typed"));
        w->Add->setText(QStringLiteral("text typed"));
        w->setList1Index(index);
        QCOMPARE(w->list1ClickRuns(), std::uint64_t(runs));
        QCOMPARE(w->List1->currentRow(), row);
        QCOMPARE(w->LevelTxt->text(), level);
        if (row >= 0) {
            QCOMPARE(w->SelectedNumber, std::uint64_t(row + 1));
            QCOMPARE(w->RichTextBox1->Text(), QStringLiteral("Topic number %1.").arg(row + 1));
        }
        QCOMPARE(w->NewTopicTxt->text(), QStringLiteral("name typed"));
        QCOMPARE(w->Add->Text(), QStringLiteral("text typed"));
    }

    void listByUser_data()
    {
        QTest::addColumn<bool>("mouse");
        QTest::newRow("mouse click") << true;
        QTest::newRow("arrow key") << false;
    }
    void listByUser()
    {
        QFETCH(bool, mouse);
        writeFile("Help.scv", document(3));
        auto w = start();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        if (mouse) {
            const QRect line = w->List1->visualItemRect(w->List1->item(1));
            QTest::mouseClick(w->List1->viewport(), Qt::LeftButton, {}, line.center());
        } else {
            w->setList1Index(0);
            QCOMPARE(w->list1ClickRuns(), std::uint64_t(1));
            w->List1->setFocus();
            QTest::keyClick(w->List1, Qt::Key_Down);
        }
        QCOMPARE(w->list1ClickRuns(), std::uint64_t(mouse ? 1 : 2));
        QCOMPARE(w->SelectedNumber, std::uint64_t(2));
        QCOMPARE(w->RichTextBox1->Text(), QStringLiteral("Topic number 2."));
    }

    // After Edit has emptied the display, choosing the still highlighted line shows it again,
    // once per choice.
    void chooseHighlightedLineAgain_data()
    {
        QTest::addColumn<int>("how");
        QTest::newRow("mouse click") << 0;
        QTest::newRow("Space") << int(Qt::Key_Space);
        QTest::newRow("Return") << int(Qt::Key_Return);
    }
    void chooseHighlightedLineAgain()
    {
        QFETCH(int, how);
        writeFile("Help.scv", document(3));
        auto w = start();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        const QRect line = w->List1->visualItemRect(w->List1->item(1));
        QTest::mouseClick(w->List1->viewport(), Qt::LeftButton, {}, line.center());
        QCOMPARE(w->list1ClickRuns(), std::uint64_t(1));
        w->EditCmd_Click();
        QCOMPARE(w->RichTextBox1->Text(), QString());
        if (how == 0) {
            QTest::mouseClick(w->List1->viewport(), Qt::LeftButton, {}, line.center());
        } else {
            w->List1->setFocus();
            QTest::keyClick(w->List1, Qt::Key(how));
        }
        QCOMPARE(w->list1ClickRuns(), std::uint64_t(2));
        QCOMPARE(w->SelectedNumber, std::uint64_t(2));
        QCOMPARE(w->RichTextBox1->Text(), QStringLiteral("Topic number 2."));
    }

    // Started on a document (penwick DOCUMENT, or a double-click), Penwick makes it current as
    // File > Open does, and makes no "Help.scv" beside it.
    void startedOnADocument_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("topics");
        QTest::addColumn<bool>("hint");
        QTest::newRow("with topics") << document(2) << names(2) << false;
        QTest::newRow("empty") << QByteArray() << QStringList() << true;
    }
    void startedOnADocument()
    {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, topics);
        QFETCH(bool, hint);
        writeFile("Manual.v2.scv", content);
        Penwick w(m_boxes, nullptr, QStringLiteral("Manual.v2.scv"));
        QCOMPARE(w.CurrentHelpFileName, QStringLiteral("Manual.v2.scv"));
        QCOMPARE(w.Label2->text(), QStringLiteral("Scrivane  -  Manual"));
        QCOMPARE(testsupport::lines(w.List1), topics);
        QCOMPARE(w.RecordCount, std::uint64_t(topics.size()));
        QCOMPARE(w.GetStartedText->isHidden(), !hint);
        QVERIFY(!QFile::exists(QStringLiteral("Help.scv")));
        QVERIFY(m_boxes.shown.isEmpty());
    }

    // Made larger, the window gives the room to the contents list and the display; it is never
    // smaller than its layout.
    void roomToRead()
    {
        writeFile("Help.scv", document(2));
        auto w = start();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        const QRect list = w->List1->geometry();
        const QRect display = w->RichTextBox1->geometry();
        const QRect save = w->SaveCmd->geometry();
        w->resize(w->size() + QSize(300, 150));
        QTRY_COMPARE(w->RichTextBox1->geometry(), display.adjusted(0, 50, 300, 150));
        QCOMPARE(w->List1->geometry(), list.adjusted(0, 0, 300, 50));
        QCOMPARE(w->SaveCmd->geometry(), save);
        w->resize(QSize(100, 100));
        QTRY_COMPARE(w->RichTextBox1->geometry(), display);
    }

    // A link to another topic in the display shows that topic, as a click on its line does.
    void displayTopicLink_data()
    {
        QTest::addColumn<QString>("href");
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("message");
        QTest::newRow("there") << "topic:T3" << 2 << QString();
        QTest::newRow("percent-encoded") << "topic:%54%32" << 1 << QString();
        QTest::newRow("missing") << "topic:T9" << -1
                                 << "The help document \"Help.scv\" has no topic named \"T9\".";
    }
    void displayTopicLink()
    {
        QFETCH(QString, href);
        QFETCH(int, line);
        QFETCH(QString, message);
        writeFile("Help.scv", document(3));
        auto w = start();
        QVERIFY(w->RichTextBox1->followLink(href));
        QCOMPARE(w->List1->currentRow(), line);
        QCOMPARE(m_boxes.texts(), message.isEmpty() ? QStringList() : QStringList {message});
        if (line >= 0)
            QCOMPARE(w->RichTextBox1->Text(), QStringLiteral("Topic number %1.").arg(line + 1));
    }

    void levelBox_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("after");
        QTest::newRow("7 capped") << "7"
                                  << "2";
        QTest::newRow("2.5 capped") << "2.5"
                                    << "2";
        QTest::newRow("2 kept") << "2"
                                << "2";
        QTest::newRow("1.5 kept") << "1.5"
                                  << "1.5";
        QTest::newRow("0 kept") << "0"
                                << "0";
        QTest::newRow("letters to 0") << "abc"
                                      << "0";
        QTest::newRow("negative to 0") << "-1"
                                       << "0";
        QTest::newRow("empty kept") << ""
                                    << "";
    }
    void levelBox()
    {
        QFETCH(QString, typed);
        QFETCH(QString, after);
        auto w = start();
        w->LevelTxt->setText(typed);
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(w->LevelTxt, &out);
        QCOMPARE(w->LevelTxt->text(), after);
    }

    void saveNew_data()
    {
        QTest::addColumn<QString>("level");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("storedLevel");
        QTest::addColumn<QByteArray>("storedName");
        QTest::addColumn<QString>("storedText");
        QTest::newRow("plain") << "1"
                               << "Install"
                               << "Run it." << QByteArray("1") << QByteArray("Install")
                               << "Run it.";
        QTest::newRow("empty level stored as 0")
            << ""
            << "Intro"
            << "Hello" << QByteArray("0") << QByteArray("Intro") << "Hello";
        QTest::newRow("quote in the name")
            << "0"
            << "Say \"hi\""
            << "x" << QByteArray("0") << QByteArray("Say 'hi'") << "x";
        QTest::newRow("quote in the text")
            << "2"
            << "Q"
            << "He said \"no\"." << QByteArray("2") << QByteArray("Q") << "He said 'no'.";
        QTest::newRow("name in Windows-1252")
            << "0" << QString::fromUtf8("Café") << "x" << QByteArray("Caf\xe9")
            << QByteArray("Caf\xe9") << "x";
        QTest::newRow("blank name is a name") << "0"
                                              << "  "
                                              << "x" << QByteArray("0") << QByteArray("  ") << "x";
    }
    void saveNew()
    {
        QFETCH(QString, level);
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(QByteArray, storedLevel);
        QFETCH(QByteArray, storedName);
        QFETCH(QString, storedText);
        if (QTest::currentDataTag() == QByteArray("name in Windows-1252"))
            storedLevel = "0";
        const QByteArray before = document(2);
        writeFile("Help.scv", before);
        auto w = start();
        w->setList1Index(0);
        w->LevelTxt->setText(level);
        w->NewTopicTxt->setText(name);
        w->Add->setText(text);
        // What the display box gives back after being loaded with the cleaned text.
        richtext::RichTextBox probe;
        probe.setTextRTF(author::illegalCharsRemoved(w->Add->TextRTF()));
        const QByteArray rtf = author::withoutQuoteBytes(probe.TextRTF());
        w->SaveCmd_Click();
        QVERIFY2(m_boxes.shown.isEmpty(), qPrintable(m_boxes.shown.value(0).text));
        const QByteArray after = readFile("Help.scv");
        QCOMPARE(after, before + record(storedLevel, storedName, rtf));
        QVERIFY(!rtf.contains('"'));
        QCOMPARE(w->RecordCount, std::uint64_t(3));
        QCOMPARE(w->LabelsSaved->text(), QStringLiteral("3"));
        QCOMPARE(w->Add->Text(), QString());
        QCOMPARE(w->NewTopicTxt->text(), QString());
        QVERIFY(!w->EditFlag);
        // The line chosen before is chosen again.
        QCOMPARE(w->List1->currentRow(), 0);
        QCOMPARE(w->List1->count(), 3);
        richtext::RichTextBox reread;
        reread.setTextRTF(
            recordsOf("Help.scv").last().mid(storedLevel.size() + storedName.size() + 4));
        QCOMPARE(reread.Text(), storedText);
    }

    void saveShowsNewTopicWithoutSelection()
    {
        auto w = start();
        w->NewTopicTxt->setText(QStringLiteral("First"));
        w->Add->setText(QStringLiteral("First words"));
        w->SaveMnu->trigger();
        QCOMPARE(w->List1->count(), 1);
        QCOMPARE(w->List1->currentRow(), -1);
        QCOMPARE(w->RichTextBox1->Text(), QStringLiteral("First words"));
        QVERIFY(!w->GetStartedText->isVisibleTo(w.get()));
        QCOMPARE(storage::countRecords("Help.scv").count, std::uint64_t(1));
    }

    void refusals_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<qsizetype>("rtfSize"); // 0: text as given
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("style");
        QTest::newRow("nothing at all")
            << ""
            << "" << qsizetype(0) << "No new info to Save. Operation aborted." << 257;
        QTest::newRow("text without name")
            << ""
            << "words" << qsizetype(0) << "Topic box is Blank. Operation aborted." << 257;
        QTest::newRow("name without text")
            << "N"
            << "" << qsizetype(0) << "No new info to Save. Operation aborted." << 257;
        QTest::newRow("RTF of 725,001 bytes")
            << "N"
            << "" << qsizetype(725001) << "Text file too large. Data won't be saved" << 272;
        QTest::newRow("RTF of 725,000 bytes saves") << "N"
                                                    << "" << qsizetype(725000) << "" << 0;
    }
    void refusals()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(qsizetype, rtfSize);
        QFETCH(QString, message);
        QFETCH(int, style);
        const QByteArray before = document(1);
        writeFile("Help.scv", before);
        auto w = start();
        w->LevelTxt->setText(QStringLiteral("1"));
        w->NewTopicTxt->setText(name);
        if (rtfSize > 0)
            fillToRtfSize(w->Add, rtfSize);
        else
            w->Add->setText(text);
        const QByteArray rtfBefore = w->Add->TextRTF();
        w->SaveCmd_Click();
        if (message.isEmpty()) {
            QVERIFY(m_boxes.shown.isEmpty());
            QCOMPARE(storage::countRecords("Help.scv").count, std::uint64_t(2));
            QVERIFY(readFile("Help.scv").startsWith(before));
            return;
        }
        QCOMPARE(m_boxes.shown.size(), 1);
        QCOMPARE(m_boxes.shown[0].text, message);
        QCOMPARE(m_boxes.shown[0].style, style);
        QCOMPARE(m_boxes.shown[0].title, QString());
        QCOMPARE(readFile("Help.scv"), before);
        QCOMPARE(w->NewTopicTxt->text(), name);
        QCOMPARE(w->Add->TextRTF(), rtfBefore);
        QCOMPARE(w->RecordCount, std::uint64_t(1));
    }

    void nameOutsideCodePage()
    {
        writeFile("Help.scv", document(1));
        auto w = start();
        w->NewTopicTxt->setText(QString::fromUtf8("Snowman \u2603"));
        w->Add->setText(QStringLiteral("x"));
        w->SaveCmd_Click();
        QCOMPARE(m_boxes.shown.size(), 1);
        QCOMPARE(m_boxes.shown[0].style, 48);
        QCOMPARE(readFile("Help.scv"), document(1));
        QCOMPARE(w->NewTopicTxt->text(), QString::fromUtf8("Snowman \u2603"));
    }

    void editThenSave()
    {
        const QByteArray before = document(5);
        writeFile("Help.scv", before);
        auto w = start();
        w->setList1Index(2);
        w->EditCmd_Click();
        QVERIFY(w->EditFlag);
        QCOMPARE(w->NewTopicTxt->text(), QStringLiteral("T3"));
        QCOMPARE(w->Add->Text(), QStringLiteral("Topic number 3."));
        w->NewTopicTxt->setText(QStringLiteral("Renamed"));
        w->LevelTxt->setText(QStringLiteral("1"));
        const QByteArray clean =
            author::withoutQuoteBytes(author::illegalCharsRemoved(w->Add->TextRTF()));
        w->SaveCmd_Click();
        QVERIFY(m_boxes.shown.isEmpty());
        const QByteArray expected = document(2) + record("1", "Renamed", clean)
            + record("0", "T4", topicRtf(4)) + record("0", "T5", topicRtf(5));
        QCOMPARE(readFile("Help.scv"), expected);
        QCOMPARE(w->RecordCount, std::uint64_t(5));
        QVERIFY(!w->EditFlag);
        QCOMPARE(w->List1->currentRow(), 2);
        QCOMPARE(w->List1->item(2)->text(), QStringLiteral("   Renamed"));
    }

    void editWithNothingChosen()
    {
        writeFile("Help.scv", document(2));
        auto w = start();
        w->EditCmd_Click();
        QVERIFY(!w->EditFlag);
        QCOMPARE(w->Add->Text(), QString());
        QCOMPARE(w->RichTextBox1->Text(), QString());
    }

    void insert_data()
    {
        QTest::addColumn<int>("topics");
        QTest::addColumn<int>("highlighted");
        QTest::addColumn<int>("placeholderAt"); // 1-based record
        QTest::newRow("after topic 2 of 3") << 3 << 1 << 3;
        QTest::newRow("after the last") << 3 << 2 << 4;
        QTest::newRow("nothing highlighted: at the end") << 3 << -1 << 4;
        QTest::newRow("empty document") << 0 << -1 << 1;
    }
    void insert()
    {
        QFETCH(int, topics);
        QFETCH(int, highlighted);
        QFETCH(int, placeholderAt);
        writeFile("Help.scv", document(topics));
        auto w = start();
        w->setList1Index(highlighted);
        w->InsertCmd_Click();
        QByteArray expected;
        for (int i = 1; i <= topics + 1; ++i) {
            if (i == placeholderAt)
                expected += "0,\"\",\"\"\r\n";
            else
                expected += record("0", "T" + QByteArray::number(i < placeholderAt ? i : i - 1),
                    topicRtf(i < placeholderAt ? i : i - 1));
        }
        QCOMPARE(readFile("Help.scv"), expected);
        QVERIFY(!QFile::exists("Help.tmp"));
        QCOMPARE(w->RecordCount, std::uint64_t(topics + 1));
        QCOMPARE(w->List1->count(), topics + 1);
        QCOMPARE(w->List1->currentRow(), placeholderAt - 1);
        QCOMPARE(w->SelectedNumber, std::uint64_t(placeholderAt));
        QCOMPARE(w->LevelTxt->text(), QStringLiteral("0"));
        QVERIFY(w->EditFlag);

        // The next save replaces the placeholder, not the topic before it.
        w->NewTopicTxt->setText(QStringLiteral("New"));
        w->Add->setText(QStringLiteral("Fresh"));
        w->SaveCmd_Click();
        QVERIFY(m_boxes.shown.isEmpty());
        const QList<QByteArray> recs = recordsOf("Help.scv");
        QCOMPARE(recs.size(), topics + 1);
        QVERIFY(recs[placeholderAt - 1].startsWith("\"0\",New,"));
        QCOMPARE(w->RecordCount, std::uint64_t(topics + 1));
    }

    void move_data()
    {
        QTest::addColumn<int>("topics");
        QTest::addColumn<int>("chosen"); // 1-based
        QTest::addColumn<QString>("commands"); // U and D
        QTest::addColumn<QStringList>("order");
        QTest::addColumn<int>("selected");
        QTest::addColumn<bool>("untouched");
        QTest::newRow("up at the first") << 3 << 1 << "U" << names(3) << 1 << true;
        QTest::newRow("down at the last") << 3 << 3 << "D" << names(3) << 3 << true;
        QTest::newRow("up on 2") << 3 << 2 << "U" << QStringList {"T2", "T1", "T3"} << 1 << false;
        QTest::newRow("down on second-to-last")
            << 3 << 2 << "D" << QStringList {"T1", "T3", "T2"} << 3 << false;
        QTest::newRow("down then up restores") << 4 << 2 << "DU" << names(4) << 2 << false;
        QTest::newRow("300: last to the top") << 300 << 300 << "U" << QStringList() << 299 << false;
        QTest::newRow("1000: first down twice") << 1000 << 1 << "DD" << QStringList() << 3 << false;
    }
    void move()
    {
        QFETCH(int, topics);
        QFETCH(int, chosen);
        QFETCH(QString, commands);
        QFETCH(QStringList, order);
        QFETCH(int, selected);
        QFETCH(bool, untouched);
        const QByteArray before = document(topics);
        writeFile("Help.scv", before);
        auto w = start();
        w->setList1Index(chosen - 1);
        const auto runs = w->list1ClickRuns();
        for (const QChar c : commands)
            c == QLatin1Char('U') ? w->UpCmd_Click() : w->DownCmd_Click();
        QVERIFY(m_boxes.shown.isEmpty());
        if (untouched) {
            QCOMPARE(readFile("Help.scv"), before);
            QCOMPARE(w->list1ClickRuns(), runs);
        }
        if (order.isEmpty()) {
            order = names(topics);
            if (commands == QLatin1String("U"))
                order.swapItemsAt(chosen - 1, chosen - 2);
            else
                order.move(0, 2);
        }
        QCOMPARE(testsupport::lines(w->List1), order);
        QCOMPARE(w->SelectedNumber, std::uint64_t(selected));
        QCOMPARE(w->List1->currentRow(), selected - 1);
        QCOMPARE(w->RecordCount, std::uint64_t(topics));
        QCOMPARE(storage::countRecords("Help.scv").count, std::uint64_t(topics));
        QCOMPARE(w->RichTextBox1->Text(),
            QStringLiteral("Topic number %1.").arg(order[selected - 1].mid(1)));
        if (commands == QLatin1String("DU")) // same order, bytes as before: levels were quoted
            QCOMPARE(readFile("Help.scv"), before);
    }

    // Every level is written back quoted; the moving one as a whole number, half to even.
    void moveLevels_data()
    {
        QTest::addColumn<QByteArray>("movingLevel"); // as written in the file
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("quoted 1") << QByteArray("\"1\"") << QByteArray("\"1\"");
        QTest::newRow("bare 0") << QByteArray("0") << QByteArray("\"0\"");
        QTest::newRow("1.5 to even 2") << QByteArray("\"1.5\"") << QByteArray("\"2\"");
        QTest::newRow("2.5 to even 2") << QByteArray("\"2.5\"") << QByteArray("\"2\"");
        QTest::newRow("not a number kept") << QByteArray("\"x\"") << QByteArray("\"x\"");
        QTest::newRow("past 16 bits kept") << QByteArray("\"40000\"") << QByteArray("\"40000\"");
        QTest::newRow("-32768 fits") << QByteArray("\"-32768\"") << QByteArray("\"-32768\"");
    }
    void moveLevels()
    {
        QFETCH(QByteArray, movingLevel);
        QFETCH(QByteArray, written);
        writeFile("Help.scv",
            "0,\"A\",\"a\"\r\n" + movingLevel + ",\"B\",\"b\"\r\n" + "0,\"C\",\"c\"\r\n");
        auto w = start();
        w->setList1Index(1);
        w->UpCmd_Click();
        QCOMPARE(readFile("Help.scv"),
            written + ",\"B\",\"b\"\r\n\"0\",\"A\",\"a\"\r\n\"0\",\"C\",\"c\"\r\n");
    }

    void removeTopic_data()
    {
        QTest::addColumn<int>("chosen"); // 1-based; 0 for none
        QTest::addColumn<QStringList>("left");
        QTest::newRow("the last") << 3 << QStringList {"T1", "T2"};
        QTest::newRow("the first") << 1 << QStringList {"T2", "T3"};
        QTest::newRow("none chosen: nothing") << 0 << names(3);
    }
    void removeTopic()
    {
        QFETCH(int, chosen);
        QFETCH(QStringList, left);
        writeFile("Help.scv", document(3));
        auto w = start();
        w->setList1Index(chosen - 1);
        w->RemoveCmd_Click();
        QCOMPARE(testsupport::lines(w->List1), left);
        QCOMPARE(w->List1->currentRow(), -1);
        // Nothing is chosen afterwards, whatever was removed.
        QCOMPARE(w->SelectedNumber, std::uint64_t(0));
        QCOMPARE(w->RecordCount, std::uint64_t(left.size()));
        QCOMPARE(storage::countRecords("Help.scv").count, std::uint64_t(left.size()));
        QCOMPARE(w->LabelsSaved->text(), QString::number(left.size()));
        if (chosen == 3) {
            // SelectedNumber now names no record: the commands do nothing.
            const QByteArray now = readFile("Help.scv");
            w->RemoveCmd_Click();
            w->UpCmd_Click();
            w->DownCmd_Click();
            QCOMPARE(readFile("Help.scv"), now);
            QCOMPARE(w->RecordCount, std::uint64_t(2));
        }
    }

    // The current document was deleted behind the window: adding a topic makes it anew and
    // says so once; every change to a topic in it is refused with a pointer to Create and Open.
    void missingDocument_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QByteArray>("fileAfter");
        QTest::addColumn<int>("style");
        QTest::addColumn<QString>("message");
        const QString refused = QStringLiteral(
            "The document \"Help.scv\" no longer exists, so it cannot be changed. Use File > "
            "Create to make it anew, or File > Open to choose another document.");
        QTest::newRow("Save adds to a new document")
            << "Save" << record("0", "New", "") << 64
            << "The document \"Help.scv\" no longer existed, so it was made anew to hold this "
               "topic.";
        QTest::newRow("Save after Edit") << "Edit" << QByteArray("<missing>") << 48 << refused;
        QTest::newRow("Insert") << "Insert" << QByteArray("<missing>") << 48 << refused;
        QTest::newRow("Move Up") << "Up" << QByteArray("<missing>") << 48 << refused;
        QTest::newRow("Move Down") << "Down" << QByteArray("<missing>") << 48 << refused;
        QTest::newRow("Remove") << "Remove" << QByteArray("<missing>") << 48 << refused;
    }
    void missingDocument()
    {
        QFETCH(QString, command);
        QFETCH(QByteArray, fileAfter);
        QFETCH(int, style);
        QFETCH(QString, message);
        writeFile("Help.scv", document(3));
        auto w = start();
        w->setList1Index(1);
        if (command == QLatin1String("Edit"))
            w->EditCmd_Click();
        w->NewTopicTxt->setText(QStringLiteral("New"));
        w->Add->setText(QStringLiteral("Typed text"));
        QVERIFY(QFile::remove(QStringLiteral("Help.scv")));
        if (command == QLatin1String("Save") || command == QLatin1String("Edit"))
            w->SaveCmd_Click();
        else if (command == QLatin1String("Insert"))
            w->InsertCmd_Click();
        else if (command == QLatin1String("Up"))
            w->UpCmd_Click();
        else if (command == QLatin1String("Down"))
            w->DownCmd_Click();
        else
            w->RemoveCmd_Click();
        QCOMPARE(m_boxes.shown.size(), 1);
        QCOMPARE(m_boxes.shown[0].text, message);
        QCOMPARE(m_boxes.shown[0].style, style);
        const QByteArray now = readFile("Help.scv");
        if (fileAfter.startsWith('<')) {
            QCOMPARE(now, fileAfter);
            // Refused: the entries stay for the author to save elsewhere.
            QCOMPARE(w->NewTopicTxt->text(), QStringLiteral("New"));
            QCOMPARE(w->Add->Text(), QStringLiteral("Typed text"));
            return;
        }
        QCOMPARE(recordsOf("Help.scv").size(), 1);
        QVERIFY(now.startsWith(fileAfter.left(fileAfter.size() - 3)));
        QCOMPARE(testsupport::lines(w->List1), QStringList {"New"});
        QCOMPARE(w->RecordCount, std::uint64_t(1));
        QCOMPARE(w->LabelsSaved->text(), QStringLiteral("1"));
        // The next save adds to the document made anew, without a word.
        w->NewTopicTxt->setText(QStringLiteral("Next"));
        w->Add->setText(QStringLiteral("More"));
        w->SaveCmd_Click();
        QCOMPARE(m_boxes.shown.size(), 1);
        QCOMPARE(testsupport::lines(w->List1), (QStringList {"New", "Next"}));
    }

    // Remove pressed twice (a double-click) removes one topic: the second press, and Up, Down
    // and Edit after it, find nothing chosen.
    void removeTwice_data()
    {
        QTest::addColumn<int>("chosen");
        QTest::addColumn<QString>("then");
        QTest::addColumn<QStringList>("left");
        QTest::newRow("first, Remove again") << 1 << "Remove" << QStringList {"T2", "T3", "T4"};
        QTest::newRow("second, Remove again") << 2 << "Remove" << QStringList {"T1", "T3", "T4"};
        QTest::newRow("second, Move Up") << 2 << "UpCmd" << QStringList {"T1", "T3", "T4"};
        QTest::newRow("second, Move Down") << 2 << "DownCmd" << QStringList {"T1", "T3", "T4"};
        QTest::newRow("last, Remove again") << 4 << "Remove" << QStringList {"T1", "T2", "T3"};
    }
    void removeTwice()
    {
        QFETCH(int, chosen);
        QFETCH(QString, then);
        QFETCH(QStringList, left);
        writeFile("Help.scv", document(4));
        auto w = start();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        w->setList1Index(chosen - 1);
        QTest::mouseClick(w->RemoveCmd, Qt::LeftButton);
        const QByteArray afterFirst = readFile("Help.scv");
        QTest::mouseClick(
            then == QLatin1String("Remove") ? w->RemoveCmd : w->findChild<QPushButton *>(then),
            Qt::LeftButton);
        QTest::mouseClick(w->EditCmd, Qt::LeftButton);
        QCOMPARE(readFile("Help.scv"), afterFirst);
        QStringList names;
        for (const QByteArray &r : recordsOf("Help.scv"))
            names << QString::fromLatin1(r.mid(4, r.indexOf(',', 4) - 4));
        QCOMPARE(names, left);
        QCOMPARE(testsupport::lines(w->List1), left);
        QCOMPARE(w->List1->currentRow(), -1);
        QCOMPARE(w->SelectedNumber, std::uint64_t(0));
        QVERIFY(!w->EditFlag);
        QCOMPARE(w->NewTopicTxt->text(), QString());
        QCOMPARE(w->RecordCount, std::uint64_t(3));
        QVERIFY(m_boxes.shown.isEmpty());
    }

    void editTargetFollowsMoves_data()
    {
        QTest::addColumn<QString>("commands");
        QTest::addColumn<int>("target");
        QTest::newRow("down") << "D" << 3;
        QTest::newRow("up") << "U" << 1;
        QTest::newRow("the next topic moved up over it") << "cU" << 3;
        QTest::newRow("down and up again") << "DU" << 2;
    }
    void editTargetFollowsMoves()
    {
        QFETCH(QString, commands);
        QFETCH(int, target);
        writeFile("Help.scv", document(4));
        auto w = start();
        w->setList1Index(1);
        w->EditCmd_Click();
        w->NewTopicTxt->setText(QStringLiteral("Edited"));
        for (const QChar c : commands) {
            if (c == QLatin1Char('U'))
                w->UpCmd_Click();
            else if (c == QLatin1Char('D'))
                w->DownCmd_Click();
            else
                w->setList1Index(2); // choosing another line keeps the target
        }
        w->SaveCmd_Click();
        QVERIFY(m_boxes.shown.isEmpty());
        const QList<QByteArray> recs = recordsOf("Help.scv");
        QCOMPARE(recs.size(), 4);
        QVERIFY2(
            recs[target - 1].startsWith("\"0\",Edited,"), recs[target - 1].left(20).constData());
        for (const QByteArray &r : recs)
            QVERIFY(!r.startsWith("\"0\",T2,"));
    }

    void removedTargetEndsEditMode()
    {
        writeFile("Help.scv", document(3));
        auto w = start();
        w->setList1Index(1);
        w->EditCmd_Click();
        w->RemoveCmd_Click();
        QCOMPARE(m_boxes.shown.size(), 1);
        QCOMPARE(m_boxes.shown[0].style, 48);
        QVERIFY(!w->EditFlag);
        QCOMPARE(w->NewTopicTxt->text(), QStringLiteral("T2"));
        w->SaveCmd_Click();
        // Saved as a new topic; T3 is not overwritten.
        QCOMPARE(testsupport::lines(w->List1), (QStringList {"T1", "T3", "T2"}));
    }

    void removeBeforeTargetKeepsIt()
    {
        writeFile("Help.scv", document(3));
        auto w = start();
        w->setList1Index(2);
        w->EditCmd_Click();
        w->NewTopicTxt->setText(QStringLiteral("Edited"));
        w->setList1Index(0);
        w->RemoveCmd_Click();
        w->SaveCmd_Click();
        QVERIFY(m_boxes.shown.isEmpty());
        QCOMPARE(testsupport::lines(w->List1), (QStringList {"T2", "Edited"}));
    }

    void vanishedTargetReplacesNothing()
    {
        writeFile("Help.scv", document(3));
        auto w = start();
        w->setList1Index(2);
        w->EditCmd_Click();
        w->NewTopicTxt->setText(QStringLiteral("Edited"));
        // Another program shortens the document behind the window.
        writeFile("Help.scv", document(2));
        w->SaveCmd_Click();
        QCOMPARE(readFile("Help.scv"), document(2));
        QCOMPARE(m_boxes.shown.size(), 1);
        QCOMPARE(m_boxes.shown[0].style, 48);
        QCOMPARE(w->NewTopicTxt->text(), QStringLiteral("Edited"));
        QCOMPARE(w->Add->Text(), QStringLiteral("Topic number 3."));
        QVERIFY(!w->EditFlag);
    }

    void otherDocumentEndsEditMode()
    {
        writeFile("Help.scv", document(3));
        writeFile("Other.scv", document(1));
        auto w = start();
        w->setList1Index(0);
        w->EditCmd_Click();
        w->CurrentHelpFileName = QStringLiteral("Other.scv");
        w->Initialize();
        QCOMPARE(m_boxes.shown.size(), 1);
        QCOMPARE(m_boxes.shown[0].style, 48);
        QVERIFY(!w->EditFlag);
        QCOMPARE(w->Label2->text(), QStringLiteral("Scrivane  -  Other"));
        QCOMPARE(testsupport::lines(w->List1), QStringList {"T1"});
        w->SaveCmd_Click();
        QCOMPARE(readFile("Help.scv"), document(3));
        QCOMPARE(storage::countRecords("Other.scv").count, std::uint64_t(2));
    }

    // The document cannot be written: the author is told why, and nothing is lost.
    void failingSave_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::newRow("append") << "append";
        QTest::newRow("replace") << "replace";
        QTest::newRow("insert") << "insert";
    }
    void failingSave()
    {
        QFETCH(QString, mode);
        writeFile("Help.scv", document(2));
        auto w = start();
        w->setList1Index(0);
        if (mode == QLatin1String("replace"))
            w->EditCmd_Click();
        w->NewTopicTxt->setText(QStringLiteral("Kept"));
        w->Add->setText(QStringLiteral("Kept text"));
        QVERIFY(QFile::remove("Help.scv"));
        QVERIFY(QDir().mkdir("Help.scv"));
        if (mode == QLatin1String("insert"))
            w->InsertCmd_Click();
        else
            w->SaveCmd_Click();
        QCOMPARE(m_boxes.shown.size(), 1);
        QCOMPARE(m_boxes.shown[0].style, 16);
        QVERIFY(m_boxes.shown[0].text.size() > 40);
        QVERIFY(QFileInfo("Help.scv").isDir());
        QCOMPARE(w->NewTopicTxt->text(), QStringLiteral("Kept"));
        QCOMPARE(w->Add->Text(), QStringLiteral("Kept text"));
        QCOMPARE(w->RecordCount, std::uint64_t(2));
        QCOMPARE(w->List1->count(), 2);
        QCOMPARE(w->EditFlag, mode == QLatin1String("replace"));
    }

    void failingSaveInReadOnlyFolder()
    {
        if (::geteuid() == 0)
            QSKIP("root writes into read-only folders");
        writeFile("Help.scv", document(2));
        auto w = start();
        w->setList1Index(0);
        w->DownCmd_Click();
        QVERIFY(
            QFile::setPermissions(m_dir->path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        const QByteArray now = readFile("Help.scv");
        w->setList1Index(0);
        w->DownCmd_Click();
        QFile::setPermissions(m_dir->path(),
            QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QCOMPARE(m_boxes.shown.size(), 1);
        QCOMPARE(m_boxes.shown[0].style, 16);
        QCOMPARE(readFile("Help.scv"), now);
        QCOMPARE(testsupport::lines(w->List1), (QStringList {"T2", "T1"}));
    }

    void leftoverScratchNamed()
    {
        writeFile("Help.scv", document(2));
        writeFile("Help.tmp", document(1));
        auto w = start();
        w->setList1Index(0);
        w->DownCmd_Click();
        QCOMPARE(m_boxes.shown.size(), 1);
        QCOMPARE(m_boxes.shown[0].style, 48);
        QVERIFY(m_boxes.shown[0].text.contains(QStringLiteral("Recovered")));
        QDir here;
        const QStringList recovered = here.entryList({"Recovered*"});
        QCOMPARE(recovered.size(), 1);
        QVERIFY(m_boxes.shown[0].text.contains(recovered[0]));
        QCOMPARE(readFile(recovered[0]), document(1));
        QCOMPARE(testsupport::lines(w->List1), (QStringList {"T2", "T1"}));
    }

    void exitEndsProgram_data()
    {
        QTest::addColumn<bool>("menu");
        QTest::newRow("button") << false;
        QTest::newRow("File, Exit") << true;
    }
    void exitEndsProgram()
    {
        QFETCH(bool, menu);
        auto w = start();
        w->show();
        QVERIFY(w->isVisible());
        menu ? w->ExitMnu->trigger() : w->ExitCmd->click();
        QVERIFY(!w->isVisible());
    }

    // Leaving with something typed or pasted since the last Save or Edit asks first; the
    // answer No keeps the window and the entries.
    void leavingWithUnsavedEntries_data()
    {
        QTest::addColumn<QString>("before"); // what the author did
        QTest::addColumn<QString>("how"); // "Exit" or "close box"
        QTest::addColumn<int>("answer"); // 0: no question expected
        QTest::addColumn<bool>("leaves");
        const int yes = MessageBoxes::Yes;
        const int no = MessageBoxes::No;
        QTest::newRow("nothing typed, Exit") << ""
                                             << "Exit" << 0 << true;
        QTest::newRow("nothing typed, close box") << ""
                                                  << "close box" << 0 << true;
        QTest::newRow("name typed, Exit, No") << "type name"
                                              << "Exit" << no << false;
        QTest::newRow("name typed, Exit, Yes") << "type name"
                                               << "Exit" << yes << true;
        QTest::newRow("text pasted, close box, No") << "paste"
                                                    << "close box" << no << false;
        QTest::newRow("text pasted, close box, Yes") << "paste"
                                                     << "close box" << yes << true;
        QTest::newRow("typed, then erased") << "type and erase"
                                            << "Exit" << 0 << true;
        QTest::newRow("saved") << "save"
                               << "Exit" << 0 << true;
        QTest::newRow("save refused: no name") << "paste, save"
                                               << "Exit" << no << false;
        QTest::newRow("loaded by Edit") << "edit"
                                        << "close box" << 0 << true;
        QTest::newRow("loaded by Edit, name changed") << "edit, type"
                                                      << "Exit" << no << false;
    }
    void leavingWithUnsavedEntries()
    {
        QFETCH(QString, before);
        QFETCH(QString, how);
        QFETCH(int, answer);
        QFETCH(bool, leaves);
        writeFile("Help.scv", document(2));
        auto w = start();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        if (before.startsWith(QLatin1String("edit"))) {
            w->setList1Index(1);
            QTest::mouseClick(w->EditCmd, Qt::LeftButton);
        }
        if (before.contains(QLatin1String("type")))
            QTest::keyClicks(w->NewTopicTxt, QStringLiteral("X"));
        if (before.contains(QLatin1String("erase")))
            QTest::keyClick(w->NewTopicTxt, Qt::Key_Backspace);
        if (before.contains(QLatin1String("paste")) || before == QLatin1String("save")) {
            QVERIFY(w->Add->setTextRTF("{\\rtf1\\ansi Pasted.\\par}").wasRtf);
        }
        if (before == QLatin1String("save"))
            QTest::keyClicks(w->NewTopicTxt, QStringLiteral("Name"));
        if (before.contains(QLatin1String("save")))
            QTest::mouseClick(w->SaveCmd, Qt::LeftButton);
        const QString name = w->NewTopicTxt->text();
        const QString text = w->Add->Text();
        m_boxes.shown.clear();
        if (answer)
            m_boxes.answers = {answer};

        if (how == QLatin1String("Exit"))
            QTest::mouseClick(w->ExitCmd, Qt::LeftButton);
        else
            w->close();

        QCOMPARE(m_boxes.shown.size(), answer ? 1 : 0);
        if (answer) {
            QCOMPARE(m_boxes.shown[0].text,
                QStringLiteral("The topic in the boxes is not saved. Leave without saving it?"));
            QCOMPARE(m_boxes.shown[0].style, 4 + 48 + 256);
        }
        QCOMPARE(w->isVisible(), !leaves);
        QCOMPARE(w->NewTopicTxt->text(), name);
        QCOMPARE(w->Add->Text(), text);
    }
};

QTEST_MAIN(TestPenwick)
#include "tst_penwick.moc"
