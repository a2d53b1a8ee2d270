// What the reader offers beyond its first design, as a help viewer: what a caller asks for (a
// topic, a search), Back and Forward, the searched word highlighted, find in the topic, zoom,
// room to read, following the document on disk, links between topics, and its command line.
#include "reader/find_bar.h"
#include "reader/reader_command_line.h"
#include "reader/reader_window.h"
#include "richtext/rich_text_box.h"
#include "tests/support/window_test_support.h"
#include "tests/support/working_folder.h"
#include "ui/click_list.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTextBlock>
#include <QTextFragment>
#include <QWheelEvent>

#include <memory>
#include <optional>

namespace {

using testsupport::ScriptedBoxes;
using testsupport::writeFile;

QByteArray record(const QByteArray &level, const QByteArray &name, const QByteArray &rtf)
{
    return '"' + level + "\",\"" + name + "\",\"" + rtf + "\"\r\n";
}

// The topics of most tests: their names, and texts that say which topic they are.
QByteArray guide()
{
    return record("0", "Start",
               "{\\rtf1\\ansi Start here. See {\\field{\\*\\fldinst HYPERLINK "
               "\\'22topic:Saving a Topic\\'22}{\\fldrslt saving}}.\\par}")
        + record("1", "Saving a Topic", "{\\rtf1\\ansi Saving: press Save. Save often.\\par}")
        + record("1", "Caf\xe9", "{\\rtf1\\ansi Coffee break.\\par}")
        + record("2", "Printing", "{\\rtf1\\ansi Printing a topic. {\\b Save} paper.\\par}")
        + record("0", "Saving a Topic", "{\\rtf1\\ansi The second of that name.\\par}");
}

QString shownText(const ReaderWindow &w)
{
    return w.RichTextBox1->Text().trimmed();
}

} // namespace

Q_DECLARE_METATYPE(ReaderRequest)

class TestReaderViewer : public QObject
{
    Q_OBJECT

private:
    std::optional<testsupport::WorkingFolder> m_dir;
    ScriptedBoxes m_boxes;

    std::unique_ptr<ReaderWindow> start(const QString &document = QStringLiteral("Guide.scv"))
    {
        writeFile(QStringLiteral("Guide.scv"), guide());
        auto w = std::make_unique<ReaderWindow>(ReaderKind::Leafwick, m_boxes, nullptr, document);
        m_boxes.shown.clear();
        return w;
    }

private Q_SLOTS:
    void init()
    {
        m_dir.emplace();
        m_boxes.shown.clear();
        m_boxes.answers.clear();
        QSettings(QStringLiteral("scrivane"), QStringLiteral("windows")).clear();
    }
    void cleanup() { m_dir.reset(); }

    // What a caller asks for is shown, and what is not there is told in one sentence.
    void requests_data()
    {
        QTest::addColumn<ReaderRequest>("request");
        QTest::addColumn<int>("line"); // highlighted contents line, from 1; 0: none
        QTest::addColumn<QString>("text"); // what the display shows
        QTest::addColumn<QStringList>("hits");
        QTest::addColumn<QString>("missing");
        const auto request = [](std::optional<QString> name, std::optional<std::uint64_t> number,
                                 std::optional<QString> word) {
            ReaderRequest r;
            r.topicName = std::move(name);
            r.topicNumber = number;
            r.searchWord = std::move(word);
            return r;
        };
        const QString start = QStringLiteral("Start here. See saving.");
        QTest::newRow("nothing asked: the first topic")
            << request({}, {}, {}) << 1 << start << QStringList() << QString();
        QTest::newRow("a name: the first topic of that name")
            << request(QStringLiteral("Saving a Topic"), {}, {}) << 2
            << "Saving: press Save. Save often." << QStringList() << QString();
        QTest::newRow("a name with a letter of the code page")
            << request(QStringLiteral("Caf\u00e9"), {}, {}) << 3 << "Coffee break." << QStringList()
            << QString();
        QTest::newRow("a name differing in case is another name")
            << request(QStringLiteral("saving a topic"), {}, {}) << 1 << start << QStringList()
            << "The help document \"Guide.scv\" has no topic named \"saving a topic\".";
        QTest::newRow("a name the code page cannot hold")
            << request(QStringLiteral("\u4e2d"), {}, {}) << 1 << start << QStringList()
            << "The help document \"Guide.scv\" has no topic named \"\u4e2d\".";
        QTest::newRow("a number") << request({}, 5, {}) << 5 << "The second of that name."
                                  << QStringList() << QString();
        QTest::newRow("a number past the end")
            << request({}, 6, {}) << 1 << start << QStringList()
            << "The help document \"Guide.scv\" has no topic number 6; it holds 5 topic(s).";
        QTest::newRow("a search: the Search tab and its hits")
            << request({}, {}, QStringLiteral("Save")) << 1 << start
            << QStringList {"Saving a Topic", "Printing"} << QString();
        QTest::newRow("a topic and a search together")
            << request(QStringLiteral("Printing"), {}, QStringLiteral("Coffee")) << 4
            << "Printing a topic. Save paper." << QStringList {"Caf\u00e9"} << QString();
    }
    void requests()
    {
        QFETCH(ReaderRequest, request);
        QFETCH(int, line);
        QFETCH(QString, text);
        QFETCH(QStringList, hits);
        QFETCH(QString, missing);
        auto w = start();
        QCOMPARE(w->showRequested(request), missing);
        QCOMPARE(w->List1->currentRow() + 1, line);
        QCOMPARE(w->state().contentsLine, std::uint64_t(line));
        QCOMPARE(shownText(*w), text);
        QCOMPARE(testsupport::lines(w->List2), hits);
        QCOMPARE(w->SSTab1->currentIndex(), request.searchWord ? 1 : 0);
        QVERIFY(m_boxes.shown.isEmpty());
    }

    // A document that cannot be read: the window opens, empty, and says so once.
    void requestForAMissingDocument()
    {
        auto w = start(QStringLiteral("Gone.scv"));
        QCOMPARE(m_boxes.shown.size(), 0); // start() cleared what Form_Load said
        auto again = std::make_unique<ReaderWindow>(
            ReaderKind::Leafwick, m_boxes, nullptr, QStringLiteral("sub/Gone.v1.scv"));
        QCOMPARE(m_boxes.shown.size(), 1);
        QVERIFY(again->hasWarned());
        QVERIFY(m_boxes.shown[0].text.startsWith(
            QStringLiteral("The help document \"sub/Gone.v1.scv\" cannot be shown")));
        QCOMPARE(again->windowTitle(), QStringLiteral("Gone"));
        QCOMPARE(again->List1->count(), 0);
        ReaderRequest request;
        request.topicName = QStringLiteral("Start");
        QVERIFY(!again->showRequested(request).isEmpty());
    }

    // Back and Forward go through the topics shown, however they were chosen; the contents
    // line of the topic shown is highlighted.
    void history_data()
    {
        QTest::addColumn<QString>("steps"); // c<n>: contents line n; h<n>: hit n; B, F; l: link
        QTest::addColumn<int>("shown"); // record number shown at the end
        QTest::addColumn<int>("line"); // highlighted contents line, from 1
        QTest::addColumn<bool>("canBack");
        QTest::addColumn<bool>("canForward");
        QTest::newRow("nothing to go back to") << "B" << 1 << 1 << false << false;
        QTest::newRow("back") << "c3 c4 B" << 3 << 3 << true << true;
        QTest::newRow("back twice, forward once") << "c3 c4 B B F" << 3 << 3 << true << true;
        QTest::newRow("forward at the end does nothing") << "c3 F" << 3 << 3 << true << false;
        QTest::newRow("a new choice drops what lay ahead")
            << "c3 c4 B c5" << 5 << 5 << true << false;
        QTest::newRow("a hit counts, and back highlights the line")
            << "c3 h1 B F" << 2 << 2 << true << false;
        QTest::newRow("a topic link counts") << "l B" << 1 << 1 << false << true;
        QTest::newRow("the same topic twice is one step") << "c3 c3 B" << 1 << 1 << false << true;
        QTest::newRow("the mouse's back and forward buttons")
            << "c3 c4 b b f" << 3 << 3 << true << true;
    }
    void history()
    {
        QFETCH(QString, steps);
        QFETCH(int, shown);
        QFETCH(int, line);
        QFETCH(bool, canBack);
        QFETCH(bool, canForward);
        auto w = start();
        showActive(*w);
        w->Text1->setText(QStringLiteral("Save"));
        w->ListTopicsCmd_Click();
        for (const QString &step : steps.split(u' ')) {
            const int n = step.mid(1).toInt();
            switch (step.at(0).unicode()) {
            case 'c':
                w->setList1Index(n - 1);
                break;
            case 'h':
                w->setList2Index(n - 1);
                break;
            case 'l':
                QVERIFY(w->RichTextBox1->followLink(QStringLiteral("topic:Saving a Topic")));
                break;
            case 'B':
                QTest::keyClick(w.get(), Qt::Key_Left, Qt::AltModifier);
                break;
            case 'F':
                QTest::keyClick(w.get(), Qt::Key_Right, Qt::AltModifier);
                break;
            case 'b':
            case 'f':
                QTest::mouseClick(
                    w->RichTextBox1->viewport(), step == u"b" ? Qt::BackButton : Qt::ForwardButton);
                break;
            }
        }
        QCOMPARE(w->shownRecord(), std::uint64_t(shown));
        QCOMPARE(w->List1->currentRow() + 1, line);
        QCOMPARE(w->canGoBack(), canBack);
        QCOMPARE(w->canGoForward(), canForward);
        QMenu *menu = w->displayMenu();
        QCOMPARE(menu->actions().at(0)->text(), QStringLiteral("Back"));
        QCOMPARE(menu->actions().at(0)->isEnabled(), canBack);
        QCOMPARE(menu->actions().at(1)->isEnabled(), canForward);
        QVERIFY(m_boxes.shown.isEmpty());
    }

    // Shown from the hits, the topic has each place of the word in its shown text highlighted;
    // F3 and Shift+F3 go from place to place.
    void hitHighlights_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<int>("hit"); // line of List2, from 0
        QTest::addColumn<QList<int>>("starts"); // places in the shown text
        QTest::newRow("twice in the topic") << "Save" << 0 << QList<int> {14, 20};
        QTest::newRow("in bold text") << "Save" << 1 << QList<int> {18};
        QTest::newRow("only in the markup: nothing") << "par" << 0 << QList<int>();
        // The first hit has the word only in its link's address, and "saving" in its text.
        QTest::newRow("only in a link's address, case counting: nothing")
            << "Saving" << 0 << QList<int>();
        QTest::newRow("at the start") << "Saving" << 1 << QList<int> {0};
    }
    void hitHighlights()
    {
        QFETCH(QString, word);
        QFETCH(int, hit);
        QFETCH(QList<int>, starts);
        auto w = start();
        showActive(*w);
        w->Text1->setText(word);
        w->ListTopicsCmd_Click();
        w->setList2Index(hit);
        QList<QPair<int, int>> expected;
        for (int at : starts)
            expected.append({at, int(word.size())});
        QCOMPARE(w->hitPlaces(), expected);
        for (const auto &[at, length] : expected)
            QCOMPARE(w->RichTextBox1->toPlainText().mid(at, length), word);
        if (expected.isEmpty())
            return;
        // The first place is selected and in view; F3 moves on and wraps around.
        QCOMPARE(w->RichTextBox1->textCursor().selectionStart(), starts.first());
        QTest::keyClick(w.get(), Qt::Key_F3);
        QCOMPARE(w->RichTextBox1->textCursor().selectionStart(), starts.at(1 % starts.size()));
        QTest::keyClick(w.get(), Qt::Key_F3, Qt::ShiftModifier);
        QCOMPARE(w->RichTextBox1->textCursor().selectionStart(), starts.first());
        // Another topic chosen from the contents: no highlight is left.
        w->setList1Index(0);
        QVERIFY(w->hitPlaces().isEmpty());
    }

    // Find in the topic: Ctrl+F opens the bar under the display, typing finds, Enter goes on,
    // Escape closes; "Not found" shows in the bar, never in a box.
    void findInTopic_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("keys"); // R: Return, S: Shift+Return
        QTest::addColumn<bool>("matchCase");
        QTest::addColumn<int>("selected"); // start of the selection; -1: not found
        QTest::newRow("as typed, case aside") << "save"
                                              << "" << false << 14;
        QTest::newRow("Return: the next place") << "save"
                                                << "R" << false << 20;
        QTest::newRow("Return at the last place wraps") << "save"
                                                        << "RR" << false << 14;
        QTest::newRow("Shift+Return: the previous place") << "save"
                                                          << "S" << false << 20;
        QTest::newRow("match case") << "save"
                                    << "" << true << -1;
        QTest::newRow("not there") << "zebra"
                                   << "" << false << -1;
    }
    void findInTopic()
    {
        QFETCH(QString, typed);
        QFETCH(QString, keys);
        QFETCH(bool, matchCase);
        QFETCH(int, selected);
        auto w = start();
        showActive(*w);
        w->setList1Index(1);
        const QRect full = w->RichTextBox1->geometry();
        QVERIFY(!w->findBar()->isVisible());
        QTest::keyClick(w.get(), Qt::Key_F, Qt::ControlModifier);
        QVERIFY(w->findBar()->isVisible());
        // Under the display, which gives up that room while the bar is open.
        QCOMPARE(w->findBar()->geometry().bottom(), full.bottom());
        QCOMPARE(w->RichTextBox1->geometry().bottom() + 1, w->findBar()->geometry().top());
        auto *field = w->findBar()->findChild<QLineEdit *>(QStringLiteral("FindText"));
        QVERIFY(field->hasFocus());
        if (matchCase)
            w->findBar()->findChild<QCheckBox *>()->setChecked(true);
        QTest::keyClicks(field, typed);
        for (const QChar key : keys)
            QTest::keyClick(
                field, Qt::Key_Return, key == u'S' ? Qt::ShiftModifier : Qt::NoModifier);
        const QTextCursor cursor = w->RichTextBox1->textCursor();
        if (selected < 0) {
            QVERIFY(w->findBar()->notFoundShown());
            QCOMPARE(w->findBar()->findChild<QLabel *>(QStringLiteral("FindStatus"))->text(),
                QStringLiteral("Not found"));
        } else {
            QVERIFY(!w->findBar()->notFoundShown());
            QCOMPARE(cursor.selectionStart(), selected);
            QCOMPARE(cursor.selectedText().toLower(), typed);
        }
        QTest::keyClick(field, Qt::Key_Escape);
        QVERIFY(!w->findBar()->isVisible());
        QCOMPARE(w->RichTextBox1->geometry(), full);
        QVERIFY(m_boxes.shown.isEmpty());
    }

    // Zoom scales every size of the topic, stays for the next topics, and prints at 100%.
    void zoom_data()
    {
        QTest::addColumn<QList<int>>("keys"); // Qt::Key with Ctrl
        QTest::addColumn<int>("percent");
        QTest::newRow("in twice") << QList<int> {Qt::Key_Plus, Qt::Key_Plus} << 120;
        QTest::newRow("Ctrl+= is in too") << QList<int> {Qt::Key_Equal} << 110;
        QTest::newRow("out") << QList<int> {Qt::Key_Minus} << 90;
        QTest::newRow("back to the actual size")
            << QList<int> {Qt::Key_Plus, Qt::Key_Plus, Qt::Key_0} << 100;
        QTest::newRow("not below half") << QList<int>(8, Qt::Key_Minus) << 50;
        // Ctrl and the mouse wheel: a notch away from the user zooms in.
        QTest::newRow("wheel, two notches in") << QList<int> {-2} << 120;
        QTest::newRow("wheel, a notch out") << QList<int> {1} << 90;
    }
    void zoom()
    {
        QFETCH(QList<int>, keys);
        QFETCH(int, percent);
        writeFile(QStringLiteral("Sizes.scv"),
            record("0", "A", "{\\rtf1\\ansi Plain {\\fs36 big}.\\par}")
                + record("0", "B", "{\\rtf1\\ansi {\\fs24 Twelve}.\\par}"));
        auto w = std::make_unique<ReaderWindow>(
            ReaderKind::Leafwick, m_boxes, nullptr, QStringLiteral("Sizes.scv"));
        showActive(*w);
        for (int key : keys) {
            if (key > 2) {
                QTest::keyClick(w.get(), Qt::Key(key), Qt::ControlModifier);
                continue;
            }
            // Small numbers stand for wheel notches: negative in, positive out.
            QWidget *view = w->RichTextBox1->viewport();
            const QPoint at = view->rect().center();
            QWheelEvent wheel(at, view->mapToGlobal(at), QPoint(), QPoint(0, -key * 120),
                Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(view, &wheel);
        }
        QCOMPARE(w->zoom(), percent);
        const auto sizeOf = [&](const QString &word) {
            QTextDocument *document = w->RichTextBox1->document();
            const QTextCursor found = document->find(word);
            QTextCursor at(document);
            at.setPosition(found.selectionEnd());
            const qreal stated = at.charFormat().fontPointSize();
            return stated > 0 ? stated : document->defaultFont().pointSizeF();
        };
        QCOMPARE(sizeOf(QStringLiteral("big")), 18.0 * percent / 100);
        QCOMPARE(sizeOf(QStringLiteral("Plain")), 10.0 * percent / 100);
        // The next topic is shown at the same zoom.
        w->setList1Index(1);
        QCOMPARE(sizeOf(QStringLiteral("Twelve")), 12.0 * percent / 100);
    }

    // The window grows beyond its layout's size, and the display and lists take the room; it
    // never becomes smaller, and it opens at the size it last had.
    void roomToRead_data()
    {
        QTest::addColumn<QSize>("extra");
        QTest::addColumn<QSize>("shownExtra");
        QTest::newRow("larger") << QSize(200, 100) << QSize(200, 100);
        QTest::newRow("smaller than the layout") << QSize(-100, -50) << QSize(0, 0);
    }
    void roomToRead()
    {
        QFETCH(QSize, extra);
        QFETCH(QSize, shownExtra);
        auto w = start();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        const QRect display = w->RichTextBox1->geometry();
        const QRect list = w->List1->geometry();
        const QRect button = w->ListTopicsCmd->geometry();
        const QSize before = w->size();
        w->resize(before + extra);
        QTRY_COMPARE(w->centralWidget()->size() - w->centralWidget()->minimumSize(), shownExtra);
        QCOMPARE(w->RichTextBox1->geometry(),
            display.adjusted(0, 0, shownExtra.width(), shownExtra.height()));
        QCOMPARE(w->List1->geometry(), list.adjusted(0, 0, 0, shownExtra.height()));
        QCOMPARE(w->ListTopicsCmd->geometry(), button);
        const QSize kept = w->size();
        w->close();
        auto again = start();
        QCOMPARE(again->size(), kept);
    }

    // The contents list follows the document as another program changes it; the topic shown
    // stays where it still is.
    void followsTheDocument_data()
    {
        QTest::addColumn<QByteArray>("changed");
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("text");
        const QByteArray saving =
            record("1", "Saving a Topic", "{\\rtf1\\ansi Saving: now changed.\\par}");
        QTest::newRow("a topic added before it: it moves down")
            << record("0", "New", "{\\rtf1\\ansi New.\\par}") + guide() << 3
            << "Saving: press Save. Save often.";
        QTest::newRow("its text changed: shown anew")
            << record("0", "Start", "{\\rtf1 x}") + saving << 2 << "Saving: now changed.";
        QTest::newRow("it is gone: the first topic")
            << record("0", "Only", "{\\rtf1\\ansi Only.\\par}") << 1 << "Only.";
    }
    void followsTheDocument()
    {
        QFETCH(QByteArray, changed);
        QFETCH(int, line);
        QFETCH(QString, text);
        auto w = start();
        w->setList1Index(1);
        // As Penwick saves: a new file renamed over the old one.
        writeFile(QStringLiteral("Guide.tmp"), changed);
        QVERIFY(::rename("Guide.tmp", "Guide.scv") == 0);
        QTRY_COMPARE(w->List1->count(), int(recordsIn(changed)));
        QCOMPARE(w->List1->currentRow() + 1, line);
        QCOMPARE(shownText(*w), text);
        QVERIFY(m_boxes.shown.isEmpty());
        // A change in place (an append) is followed too.
        QFile file(QStringLiteral("Guide.scv"));
        QVERIFY(file.open(QIODevice::Append));
        file.write(record("0", "Appended", "{\\rtf1 A}"));
        file.close();
        QTRY_COMPARE(w->List1->item(w->List1->count() - 1)->text(), QStringLiteral("Appended"));
    }

    // A link to a topic shows it and highlights its line; one to a missing topic changes
    // nothing and says so.
    void topicLinks_data()
    {
        QTest::addColumn<QString>("href");
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("message");
        QTest::newRow("plain name with blanks") << "topic:Saving a Topic" << 2 << QString();
        QTest::newRow("percent-encoded") << "topic:Saving%20a%20Topic" << 2 << QString();
        QTest::newRow("the scheme in capitals") << "TOPIC:Printing" << 4 << QString();
        QTest::newRow("a missing topic")
            << "topic:Nowhere" << 1
            << "The help document \"Guide.scv\" has no topic named \"Nowhere\".";
    }
    void topicLinks()
    {
        QFETCH(QString, href);
        QFETCH(int, line);
        QFETCH(QString, message);
        auto w = start();
        const QString before = shownText(*w);
        QSignalSpy followed(w->RichTextBox1, &richtext::RichTextBox::topicLinkActivated);
        QVERIFY(w->RichTextBox1->followLink(href));
        QCOMPARE(followed.size(), 1);
        QCOMPARE(w->List1->currentRow() + 1, line);
        QCOMPARE(m_boxes.texts(), message.isEmpty() ? QStringList() : QStringList {message});
        if (!message.isEmpty())
            QCOMPARE(shownText(*w), before);
    }

    // The link in the first topic, clicked as a reader clicks it.
    void topicLinkClicked()
    {
        auto w = start();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        const QTextCursor link = w->RichTextBox1->document()->find(QStringLiteral("saving"));
        const QRect place = w->RichTextBox1->cursorRect(link);
        QTest::mouseClick(w->RichTextBox1->viewport(), Qt::LeftButton, {},
            place.center() - QPoint(place.width() / 2 + 8, 0));
        QCOMPARE(w->List1->currentRow() + 1, 2);
        QCOMPARE(shownText(*w), QStringLiteral("Saving: press Save. Save often."));
    }

    // Return in the word box presses "List Topics"; typing alone searches nothing.
    void returnInTheWordBox()
    {
        auto w = start();
        w->SSTab1->setCurrentIndex(1);
        QTest::keyClicks(w->Text1, QStringLiteral("Coffee"));
        QCOMPARE(w->List2->count(), 0);
        QTest::keyClick(w->Text1, Qt::Key_Return);
        QCOMPARE(testsupport::lines(w->List2), QStringList {"Caf\u00e9"});
    }

    void commandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<ReaderRequest>("request");
        QTest::addColumn<QString>("text"); // the start of the text printed
        using Outcome = ReaderCommandLine::Outcome;
        const auto request = [](QString document, std::optional<QString> topic,
                                 std::optional<std::uint64_t> number, std::optional<QString> word,
                                 bool newWindow) {
            ReaderRequest r;
            r.document = std::move(document);
            r.topicName = std::move(topic);
            r.topicNumber = number;
            r.searchWord = std::move(word);
            r.newWindow = newWindow;
            return r;
        };
        QTest::newRow("nothing") << QStringList() << int(Outcome::Run)
                                 << request({}, {}, {}, {}, false) << QString();
        QTest::newRow("a document and a topic")
            << QStringList {"Manual.scv", "--topic", "Saving a Topic"} << int(Outcome::Run)
            << request("Manual.scv", "Saving a Topic", {}, {}, false) << QString();
        QTest::newRow("options before the document, = form")
            << QStringList {"--topic-number=12", "--search", "print", "--new-window", "M.scv"}
            << int(Outcome::Run) << request("M.scv", {}, 12, "print", true) << QString();
        QTest::newRow("a topic without a document: the start-up's document")
            << QStringList {"--topic", "X"} << int(Outcome::Run) << request({}, "X", {}, {}, false)
            << QString();
        QTest::newRow("help") << QStringList {"--help"} << int(Outcome::Help) << ReaderRequest()
                              << "Usage: leafwick [options] [DOCUMENT]";
        QTest::newRow("version") << QStringList {"--version"} << int(Outcome::Version)
                                 << ReaderRequest() << "leafwick ";
        QTest::newRow("unknown option") << QStringList {"--topics", "X"} << int(Outcome::UsageError)
                                        << ReaderRequest() << "leafwick: Unknown option 'topics'.";
        QTest::newRow("both topic options")
            << QStringList {"--topic", "X", "--topic-number", "2"} << int(Outcome::UsageError)
            << ReaderRequest() << "leafwick: --topic and --topic-number cannot be given together";
        for (const char *bad : {"0", "-3", "two", "1.5", "", "99999999999999999999999"})
            QTest::addRow("topic number \"%s\"", bad)
                << QStringList {"--topic-number", QString::fromLatin1(bad)}
                << int(Outcome::UsageError) << ReaderRequest()
                << QStringLiteral("leafwick: --topic-number needs a positive whole number, not "
                                  "\"%1\"")
                       .arg(QString::fromLatin1(bad));
        QTest::newRow("a value missing") << QStringList {"--search"} << int(Outcome::UsageError)
                                         << ReaderRequest() << "leafwick: Missing value after";
        QTest::newRow("two documents") << QStringList {"A.scv", "B.scv"} << int(Outcome::UsageError)
                                       << ReaderRequest() << "leafwick: only one help document";
        QTest::newRow("an option twice")
            << QStringList {"--topic", "A", "--topic", "B"} << int(Outcome::UsageError)
            << ReaderRequest() << "leafwick: each option can be given once";
    }
    void commandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, outcome);
        QFETCH(ReaderRequest, request);
        QFETCH(QString, text);
        const ReaderCommandLine parsed =
            parseReaderCommandLine(QStringList {QStringLiteral("leafwick")} + arguments);
        QCOMPARE(int(parsed.outcome), outcome);
        QVERIFY2(parsed.text.startsWith(text), qPrintable(parsed.text));
        if (parsed.outcome == ReaderCommandLine::Outcome::Run)
            QVERIFY(parsed.request == request);
    }

private:
    // Shortcuts reach the active window only.
    static void showActive(QWidget &window)
    {
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
    }

    static qsizetype recordsIn(const QByteArray &document) { return document.count("\"\r\n"); }
};

QTEST_MAIN(TestReaderViewer)
#include "tst_reader_viewer.moc"
