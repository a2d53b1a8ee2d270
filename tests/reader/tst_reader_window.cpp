#include "ui/click_list.h"
#include "ui/message_boxes.h"
#include "reader/printers.h"
#include "reader/reader_window.h"
#include "richtext/rich_text_box.h"
#include "tests/support/working_folder.h"

#include <QAction>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>

#include <memory>
#include <optional>

namespace {

struct Shown
{
    QString text;
    int style;
    QString title;
};

class ScriptedBoxes final : public MessageBoxes
{
public:
    int show(QWidget *, const QString &text, int style, const QString &title) override
    {
        shown.append({text, style, title});
        return Ok;
    }
    QList<Shown> shown;
};

// Hands out a PDF printer writing to a file, or no printer at all, and counts the requests.
class RecordingPrinters final : public Printers
{
public:
    std::unique_ptr<QPrinter> defaultPrinter() override
    {
        ++requests;
        if (pdfPath.isEmpty())
            return nullptr;
        auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(pdfPath);
        return printer;
    }
    QString pdfPath;
    int requests = 0;
};

QByteArray record(const QByteArray &level, const QByteArray &name, const QByteArray &text)
{
    return '"' + level + "\",\"" + name + "\",\"" + text + "\"\r\n";
}

// A topic whose display shows "Topic #n." and nothing else.
QByteArray markedRtf(int n)
{
    return "{\\rtf1\\ansi Topic #" + QByteArray::number(n) + ".\\par\r\n}";
}

// n topics named prefix1..prefixn, topic i showing "Topic #i.".
QByteArray document(int n, const QByteArray &prefix = "T")
{
    QByteArray bytes;
    for (int i = 1; i <= n; ++i)
        bytes += record("0", prefix + QByteArray::number(i), markedRtf(i));
    return bytes;
}

void writeFile(const QString &name, const QByteArray &bytes)
{
    QFile file(name);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(name));
    QCOMPARE(file.write(bytes), bytes.size());
}

QStringList lines(const QListWidget *list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

QString sample(const QString &name)
{
    return QStringLiteral(SCRIVANE_TEST_DATA_DIR "/documents/") + name;
}

// Pages of a PDF file: its page objects are not compressed.
int pdfPages(const QByteArray &pdf)
{
    return int(pdf.count("/Type /Page") - pdf.count("/Type /Pages"));
}

using Files = QList<QPair<QString, QByteArray>>;

} // namespace

class TestReaderWindow : public QObject
{
    Q_OBJECT

private:
    std::optional<testsupport::WorkingFolder> m_dir;
    ScriptedBoxes m_boxes;
    RecordingPrinters m_printers;

    std::unique_ptr<ReaderWindow> start(ReaderKind kind = ReaderKind::Leafwick)
    {
        auto w = std::make_unique<ReaderWindow>(kind, m_boxes);
        w->setPrinters(&m_printers);
        return w;
    }

    QStringList messages() const
    {
        QStringList out;
        for (const Shown &s : m_boxes.shown)
            out << s.text;
        return out;
    }

private Q_SLOTS:
    void init()
    {
        m_dir.emplace();
        m_boxes.shown.clear();
        m_printers = RecordingPrinters();
    }
    void cleanup() { m_dir.reset(); }

    void documentChoice_data()
    {
        QTest::addColumn<Files>("files");
        QTest::addColumn<QByteArray>("handOver"); // "<none>" for no hand-over file
        QTest::addColumn<QStringList>("expectedLines");
        QTest::addColumn<QString>("title");
        // Each message shown, by a part of its text; all have the warning style.
        QTest::addColumn<QStringList>("messageParts");

        const QByteArray none = "<none>";
        const Files three {
            {"A.scv", document(2, "A")}, {"B.scv", document(1, "B")}, {"C.scv", document(3, "C")}};
        QTest::newRow("hand-over chosen over several documents")
            << three << QByteArray("B.scv\r\n") << QStringList {"B1"} << "B" << QStringList();
        QTest::newRow("quoted name with a comma arrives whole")
            << Files {{"Install, first.scv", document(1, "I")}, {"Install", document(2, "X")}}
            << QByteArray("\"Install, first.scv\"\r\n") << QStringList {"I1"} << "Install, first"
            << QStringList();
        QTest::newRow("unquoted name is cut at the comma; no full stop, whole name titles")
            << Files {{"Install, first.scv", document(1, "I")}, {"Install", document(2, "X")}}
            << QByteArray("Install, first.scv\r\n") << QStringList {"X1", "X2"} << "Install"
            << QStringList();
        QTest::newRow("several full stops: title before the first")
            << Files {{"My.help.v2.scv", document(1)}} << none << QStringList {"T1"} << "My"
            << QStringList();
        QTest::newRow("hand-over names a missing file")
            << three << QByteArray("Gone.scv\r\n") << QStringList() << "Gone"
            << QStringList {"\"Gone.scv\" cannot be shown"};
        QTest::newRow("empty hand-over file") << three << QByteArray() << QStringList()
                                              << "Leafwick" << QStringList {"names no document"};
        QTest::newRow("unreadable hand-over: quote never closed")
            << three << QByteArray("\"B.scv") << QStringList() << "Leafwick"
            << QStringList {"could not be read"};
        QTest::newRow("no document at all") << Files() << none << QStringList() << "Leafwick"
                                            << QStringList {"no file whose name ends in \".scv\""};
        QTest::newRow("hand-over name in another case is not the hand-over")
            << Files {{"defaulthelpfile.tmp", "B.scv\r\n"}, {"A.scv", document(2, "A")}} << none
            << QStringList {"A1", "A2"} << "A" << QStringList();
        QTest::newRow("empty document") << Files {{"Empty.scv", {}}} << none << QStringList()
                                        << "Empty" << QStringList {"No Data on File"};
        QTest::newRow("hand-over names a folder")
            << Files {{"Folder.scv/", {}}} << QByteArray("Folder.scv") << QStringList() << "Folder"
            << QStringList {"\"Folder.scv\" cannot be shown"};
        QTest::newRow("a folder ending in .scv is not a document")
            << Files {{"Dir.scv/", {}}, {"Z.scv", document(1, "Z")}} << none << QStringList {"Z1"}
            << "Z" << QStringList();
    }
    void documentChoice()
    {
        QFETCH(Files, files);
        QFETCH(QByteArray, handOver);
        QFETCH(QStringList, expectedLines);
        QFETCH(QString, title);
        QFETCH(QStringList, messageParts);
        for (const auto &[name, bytes] : files) {
            if (name.endsWith(QLatin1Char('/')))
                QVERIFY(QDir().mkdir(name.chopped(1)));
            else
                writeFile(name, bytes);
        }
        if (handOver != "<none>")
            writeFile(QStringLiteral("DefaultHelpFile.tmp"), handOver);

        auto w = start();
        QCOMPARE(lines(w->List1), expectedLines);
        QCOMPARE(w->windowTitle(), title);
        QCOMPARE(w->RecordCount, std::uint64_t(expectedLines.size()));
        QCOMPARE(m_boxes.shown.size(), messageParts.size());
        for (int i = 0; i < messageParts.size(); ++i) {
            QVERIFY2(
                m_boxes.shown[i].text.contains(messageParts[i]), qPrintable(m_boxes.shown[i].text));
            QCOMPARE(m_boxes.shown[i].style, 48);
            QVERIFY(m_boxes.shown[i].title.isEmpty());
        }
        // Consumed, read well or not; any other file is left alone.
        QVERIFY(!QFile::exists(QStringLiteral("DefaultHelpFile.tmp")));
        for (const auto &[name, bytes] : files)
            QVERIFY(QFileInfo::exists(name));
        QCOMPARE(w->SSTab1->currentIndex(), 0);
        if (expectedLines.isEmpty()) {
            QVERIFY(w->RichTextBox1->Text().isEmpty());
            QCOMPARE(w->List1->currentRow(), -1);
        } else {
            QCOMPARE(w->List1->currentRow(), 0);
            QVERIFY(w->RichTextBox1->Text().startsWith(QStringLiteral("Topic #1.")));
        }
    }

    // The hand-over serves one start; the next takes the first document the folder lists.
    void twoStartsAfterOneHandOver()
    {
        for (const char *name : {"Delta.scv", "Alpha.scv", "Mid.scv", "Zulu.scv"})
            writeFile(QLatin1String(name), document(1, QByteArray(name).left(1)));
        writeFile(QStringLiteral("DefaultHelpFile.tmp"), "Mid.scv\r\n");
        QDirIterator listing(QStringLiteral("."), {QStringLiteral("*.scv")}, QDir::Files);
        QVERIFY(listing.hasNext());
        const QString firstListed = QFileInfo(listing.next()).completeBaseName();

        auto first = start();
        QCOMPARE(first->windowTitle(), QStringLiteral("Mid"));
        QCOMPARE(lines(first->List1), QStringList {"M1"});
        first.reset();
        auto second = start();
        QCOMPARE(second->windowTitle(), firstListed);
        QCOMPARE(lines(second->List1), QStringList {firstListed.left(1) + "1"});
        QVERIFY(m_boxes.shown.isEmpty());
    }

    void contents_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QStringList>("expectedLines");
        QTest::addColumn<QString>("firstText");
        QTest::newRow("three levels' indents") << sample(QStringLiteral("Three levels.scv"))
                                               << QStringList {QStringLiteral("Introduction"),
                                                      QStringLiteral("   Install, first steps"),
                                                      QStringLiteral("      Caf\u00e9 options")}
                                               << QStringLiteral("Welcome to the manual.");
        QTest::newRow("placeholder and duplicate names")
            << sample(QStringLiteral("With placeholder.scv")) << QStringList() << QString();
    }
    void contents()
    {
        QFETCH(QString, source);
        QFETCH(QStringList, expectedLines);
        QFETCH(QString, firstText);
        QVERIFY(QFile::copy(source, QStringLiteral("Doc.scv")));
        auto w = start();
        QVERIFY(m_boxes.shown.isEmpty());
        if (!expectedLines.isEmpty())
            QCOMPARE(lines(w->List1), expectedLines);
        QCOMPARE(w->List1->count(), int(w->RecordCount));
        QCOMPARE(w->List1->currentRow(), 0);
        QCOMPARE(w->SelectedNumber, std::uint64_t(1));
        if (!firstText.isEmpty())
            QCOMPARE(w->RichTextBox1->Text().trimmed(), firstText);
        const QFont base = w->RichTextBox1->document()->defaultFont();
        QCOMPARE(base.pointSizeF(), 10.0);
        QVERIFY(!base.bold());
    }

    void chooseLine_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("expectedText");
        const QByteArray twins = record("0", "Same", markedRtf(1))
            + record("1", "Other", markedRtf(2)) + record("0", "Same", markedRtf(3));
        QTest::newRow("last of 30 lines") << document(30) << 29 << "Topic #30.";
        QTest::newRow("middle line") << document(30) << 14 << "Topic #15.";
        QTest::newRow("duplicate name, first") << twins << 0 << "Topic #1.";
        QTest::newRow("duplicate name, second") << twins << 2 << "Topic #3.";
    }
    void chooseLine()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, row);
        QFETCH(QString, expectedText);
        writeFile(QStringLiteral("Doc.scv"), bytes);
        auto w = start();
        // A bold, larger font left over must not carry into the next topic.
        w->RichTextBox1->setBaseFont(20, true);
        w->setList1Index(row);
        QCOMPARE(w->RichTextBox1->Text().trimmed(), expectedText);
        QCOMPARE(w->SelectedNumber, std::uint64_t(row + 1));
        QCOMPARE(w->ScanCounter, std::uint64_t(row + 1));
        QCOMPARE(w->RichTextBox1->document()->defaultFont().pointSizeF(), 10.0);
        QVERIFY(!w->RichTextBox1->document()->defaultFont().bold());
        // The user's choice by keyboard runs the same handler.
        w->List1->setCurrentRow(0);
        QCOMPARE(w->RichTextBox1->Text().trimmed(), QStringLiteral("Topic #1."));
    }

    void damagedDocument()
    {
        QVERIFY(QFile::copy(sample(QStringLiteral("Damaged.scv")), QStringLiteral("Damaged.scv")));
        auto w = start();
        QCOMPARE(lines(w->List1), (QStringList {"Intact", "   Also intact"}));
        QCOMPARE(m_boxes.shown.size(), 1);
        const QString text = m_boxes.shown[0].text;
        QVERIFY2(
            text.contains(QStringLiteral("damaged")) && text.contains(QStringLiteral("record 3")),
            qPrintable(text));
        QCOMPARE(m_boxes.shown[0].style, 48);
        QCOMPARE(w->RichTextBox1->Text().trimmed(), QStringLiteral("This topic is whole."));
        w->setList1Index(1);
        QCOMPARE(w->RichTextBox1->Text().trimmed(), QStringLiteral("So is this one."));
        QCOMPARE(w->windowTitle(), QStringLiteral("Damaged"));
    }

    // Replaced by a shorter file while open: a line past the new end shows nothing new.
    void shortenedWhileOpen_data()
    {
        QTest::addColumn<bool>("fromSearch");
        QTest::addColumn<QString>("expectedText");
        QTest::newRow("contents line keeps the display") << false << "Topic #2.";
        QTest::newRow("search hit leaves the display empty") << true << "";
    }
    void shortenedWhileOpen()
    {
        QFETCH(bool, fromSearch);
        QFETCH(QString, expectedText);
        writeFile(QStringLiteral("Doc.scv"), document(3));
        auto w = start();
        w->Text1->setText(QStringLiteral("#3"));
        w->ListTopicsCmd_Click();
        QCOMPARE(lines(w->List2), QStringList {"T3"});
        w->setList1Index(1);
        writeFile(QStringLiteral("Doc.scv"), document(1));
        if (fromSearch)
            w->setList2Index(0);
        else
            w->setList1Index(2);
        QCOMPARE(w->RichTextBox1->Text().trimmed(), expectedText);
        QVERIFY(m_boxes.shown.isEmpty());
    }

    void search_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QList<int>>("records");
        const QList<int> withText {1, 2, 3, 4, 6};
        const QStringList withTextNames {"Alpha", "Beta", "Gamma", "Alpha", "Deep"};
        QTest::newRow("lower case misses capital")
            << "hello" << QStringList {"Beta"} << QList<int> {2};
        QTest::newRow("capital, duplicates twice, names unindented")
            << "Hello" << QStringList {"Alpha", "Alpha", "Deep"} << QList<int> {1, 4, 6};
        QTest::newRow("word only in markup") << "par" << withTextNames << withText;
        QTest::newRow("escaped letter not found") << "caf\u00e9" << QStringList() << QList<int>();
        QTest::newRow("escape found as stored")
            << "caf\\'e9" << QStringList {"Gamma"} << QList<int> {3};
        QTest::newRow("phrase with a blank")
            << "Hello again" << QStringList {"Alpha"} << QList<int> {4};
        QTest::newRow("empty word: every topic with text") << "" << withTextNames << withText;
        QTest::newRow("nothing found") << "zebra" << QStringList() << QList<int>();
        QTest::newRow("character outside the code page")
            << "\u4e2d" << QStringList() << QList<int>();
    }
    void search()
    {
        QFETCH(QString, word);
        QFETCH(QStringList, names);
        QFETCH(QList<int>, records);
        const QByteArray bytes = record("0", "Alpha", "{\\rtf1 Hello world #1.\\par}")
            + record("0", "Beta", "{\\rtf1 hello hello hello #2.\\par}")
            + record("1", "Gamma", "{\\rtf1 caf\\'e9 #3.\\par}")
            + record("0", "Alpha", "{\\rtf1 Hello again #4.\\par}") + record("0", "Empty", "")
            + record("2", "Deep", "{\\rtf1 deep Hello #6.\\par}");
        writeFile(QStringLiteral("Doc.scv"), bytes);
        auto w = start();
        w->setList1Index(4);
        const QString before = w->RichTextBox1->Text();
        w->Text1->setText(word);
        w->ListTopicsCmd_Click();
        QCOMPARE(lines(w->List2), names);
        QCOMPARE(w->List2->currentRow(), -1);
        // The search itself changes neither the display nor the contents selection.
        QCOMPARE(w->RichTextBox1->Text(), before);
        QCOMPARE(w->List1->currentRow(), 4);
        for (int j = 0; j < records.size(); ++j) {
            w->setList2Index(j);
            QVERIFY2(w->RichTextBox1->Text().contains(QStringLiteral("#%1.").arg(records[j])),
                qPrintable(w->RichTextBox1->Text()));
        }
        QCOMPARE(w->List1->currentRow(), 4);
        QVERIFY(m_boxes.shown.isEmpty());
    }

    // Choosing the highlighted contents line again shows its topic, after a hit was shown.
    void chooseCurrentLineAgain_data()
    {
        QTest::addColumn<int>("how");
        QTest::newRow("mouse click") << 0;
        QTest::newRow("Space") << int(Qt::Key_Space);
        QTest::newRow("Return") << int(Qt::Key_Return);
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter);
    }
    void chooseCurrentLineAgain()
    {
        QFETCH(int, how);
        writeFile(QStringLiteral("Doc.scv"), document(3));
        auto w = start();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        const QRect line2 = w->List1->visualItemRect(w->List1->item(1));
        QTest::mouseClick(w->List1->viewport(), Qt::LeftButton, {}, line2.center());
        QCOMPARE(w->RichTextBox1->Text().trimmed(), QStringLiteral("Topic #2."));
        w->SSTab1->setCurrentIndex(1);
        w->Text1->setText(QStringLiteral("#3"));
        w->ListTopicsCmd_Click();
        w->setList2Index(0);
        QCOMPARE(w->RichTextBox1->Text().trimmed(), QStringLiteral("Topic #3."));
        w->SSTab1->setCurrentIndex(0);
        if (how == 0) {
            QTest::mouseClick(w->List1->viewport(), Qt::LeftButton, {}, line2.center());
        } else {
            w->List1->setFocus();
            QTest::keyClick(w->List1, Qt::Key(how),
                how == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        }
        QCOMPARE(w->RichTextBox1->Text().trimmed(), QStringLiteral("Topic #2."));
        QCOMPARE(w->List1->currentRow(), 1);
        QCOMPARE(w->List1->selectedItems().size(), 1);
        // Moving on with the arrow keys still chooses each line once.
        QTest::keyClick(w->List1, Qt::Key_Down);
        QCOMPARE(w->RichTextBox1->Text().trimmed(), QStringLiteral("Topic #3."));
        QVERIFY(m_boxes.shown.isEmpty());
    }

    void manyHits_data()
    {
        QTest::addColumn<int>("topics");
        QTest::newRow("51 hits") << 51;
        QTest::newRow("300 hits") << 300;
    }
    void manyHits()
    {
        QFETCH(int, topics);
        writeFile(QStringLiteral("Doc.scv"), document(topics));
        auto w = start();
        w->Text1->setText(QStringLiteral("Topic"));
        w->ListTopicsCmd_Click();
        QCOMPARE(w->List2->count(), topics);
        for (int j : {0, 49, 50, topics - 1}) {
            w->setList2Index(j);
            QCOMPARE(w->RichTextBox1->Text().trimmed(), QStringLiteral("Topic #%1.").arg(j + 1));
            QCOMPARE(w->List2->item(j)->text(), QStringLiteral("T%1").arg(j + 1));
        }
        // A new, narrower search: the old lines are gone and the display stays.
        w->Text1->setText(QStringLiteral("#7."));
        w->ListTopicsCmd_Click();
        QCOMPARE(lines(w->List2), QStringList {"T7"});
        QCOMPARE(w->RichTextBox1->Text().trimmed(), QStringLiteral("Topic #%1.").arg(topics));
        w->setList2Index(0);
        QCOMPARE(w->RichTextBox1->Text().trimmed(), QStringLiteral("Topic #7."));
    }

    void damagedSearch()
    {
        QVERIFY(QFile::copy(sample(QStringLiteral("Damaged.scv")), QStringLiteral("Damaged.scv")));
        auto w = start();
        m_boxes.shown.clear();
        w->Text1->setText(QStringLiteral("this"));
        w->ListTopicsCmd_Click();
        QCOMPARE(lines(w->List2), QStringList {"Also intact"});
        QCOMPARE(m_boxes.shown.size(), 1);
        QVERIFY(m_boxes.shown[0].text.contains(QStringLiteral("record 3")));
    }

    void tabFocus()
    {
        writeFile(QStringLiteral("Doc.scv"), document(2));
        auto w = start();
        w->show();
        QApplication::setActiveWindow(w.get());
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        w->List1->setFocus();
        w->Text1->setText(QStringLiteral("T"));
        w->ListTopicsCmd_Click();
        const QStringList found = lines(w->List2);
        w->SSTab1->setCurrentIndex(1);
        QTRY_VERIFY(w->Text1->hasFocus());
        w->SSTab1->setCurrentIndex(0);
        QVERIFY(!w->Text1->hasFocus());
        QCOMPARE(lines(w->List2), found);
        QCOMPARE(w->Text1->text(), QStringLiteral("T"));
    }

    void builtInHelp_data()
    {
        QTest::addColumn<Files>("files");
        QTest::addColumn<QStringList>("expectedLines");
        QTest::addColumn<QStringList>("messageTexts");
        QTest::newRow("Scrivane.scv missing") << Files {{"Other.scv", document(2)}} << QStringList()
                                              << QStringList {"No Data on File"};
        QTest::newRow("name in another case is missing")
            << Files {{"scrivane.scv", document(2)}} << QStringList()
            << QStringList {"No Data on File"};
        QTest::newRow("Scrivane.scv present")
            << Files {{"Aaa.scv", document(1, "A")}, {"Scrivane.scv", document(2, "S")}}
            << QStringList {"S1", "S2"} << QStringList();
        QTest::newRow("Scrivane.scv empty")
            << Files {{"Scrivane.scv", {}}} << QStringList() << QStringList {"No Data on File"};
    }
    void builtInHelp()
    {
        QFETCH(Files, files);
        QFETCH(QStringList, expectedLines);
        QFETCH(QStringList, messageTexts);
        for (const auto &[name, bytes] : files)
            writeFile(name, bytes);
        writeFile(QStringLiteral("DefaultHelpFile.tmp"), "Aaa.scv\r\n");
        auto w = start(ReaderKind::BuiltInHelp);
        QCOMPARE(lines(w->List1), expectedLines);
        QCOMPARE(messages(), messageTexts);
        QCOMPARE(w->windowTitle(), QStringLiteral("Scrivane"));
        QCOMPARE(w->objectName(), QStringLiteral("VieHelpFrm"));
        QVERIFY(w->PrintMnu == nullptr);
        QVERIFY(w->menuBar()->actions().isEmpty());
        // The built-in help never consumes the reader's hand-over.
        QVERIFY(QFile::exists(QStringLiteral("DefaultHelpFile.tmp")));
        if (expectedLines.isEmpty()) {
            QVERIFY(w->RichTextBox1->Text().isEmpty());
            w->Text1->setText(QStringLiteral("Topic"));
            w->ListTopicsCmd_Click();
            QCOMPARE(w->List2->count(), 0);
        } else {
            w->Text1->setText(QStringLiteral("#2."));
            w->ListTopicsCmd_Click();
            QCOMPARE(lines(w->List2), QStringList {"S2"});
        }
    }

    void layout_data()
    {
        QTest::addColumn<ReaderKind>("kind");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QRect>("geometry"); // in pixels, twips / 15
        auto rows = [](ReaderKind kind, const char *tag, QRect client, QRect frame1, QRect frame2,
                        QRect display) {
            const QList<QPair<QString, QRect>> all {{"client", client}, {"Frame1", frame1},
                {"SSTab1", QRect(8, 16, 203, 329)}, {"Frame2", frame2}, {"RichTextBox1", display},
                {"List1", QRect(8, 8, 185, 290)}, {"Label1", QRect(8, 8, 193, 25)},
                {"Text1", QRect(16, 40, 169, 19)}, {"ListTopicsCmd", QRect(24, 64, 65, 25)},
                {"List2", QRect(8, 96, 185, 199)}};
            for (const auto &[name, rect] : all)
                QTest::addRow("%s %s", tag, qPrintable(name)) << kind << name << rect;
        };
        rows(ReaderKind::Leafwick, "Leafwick", QRect(0, 0, 704, 405), QRect(8, 16, 673, 361),
            QRect(224, 16, 441, 329), QRect(232, 32, 425, 297));
        rows(ReaderKind::BuiltInHelp, "VieHelpFrm", QRect(0, 0, 606, 375), QRect(0, 0, 593, 361),
            QRect(224, 16, 361, 329), QRect(232, 24, 345, 305));
    }
    void layout()
    {
        QFETCH(ReaderKind, kind);
        QFETCH(QString, control);
        QFETCH(QRect, geometry);
        writeFile(QStringLiteral("Scrivane.scv"), document(1));
        auto w = start(kind);
        auto *widget = w->findChild<QWidget *>(control);
        QVERIFY2(widget, qPrintable(control));
        // The client area sits below the menu bar, where there is one: its size is what counts.
        if (control == QLatin1String("client"))
            QCOMPARE(widget->size(), geometry.size());
        else
            QCOMPARE(widget->geometry(), geometry);
    }

    void captions_data()
    {
        QTest::addColumn<ReaderKind>("kind");
        QTest::addColumn<QString>("label1");
        QTest::newRow("Leafwick") << ReaderKind::Leafwick
                                  << "      Type in the Word to Search for.       Note:  Word is "
                                     "Case Sensitive.";
        QTest::newRow("VieHelpFrm")
            << ReaderKind::BuiltInHelp
            << "Type in the Word to Search for. Note:  Word is Case Sensitive.";
    }
    void captions()
    {
        QFETCH(ReaderKind, kind);
        QFETCH(QString, label1);
        writeFile(QStringLiteral("Scrivane.scv"), document(1));
        auto w = start(kind);
        QCOMPARE(w->Label1->text(), label1);
        QCOMPARE(w->SSTab1->count(), 2);
        QCOMPARE(w->SSTab1->tabText(0), QStringLiteral("Contents"));
        QCOMPARE(w->SSTab1->tabText(1), QStringLiteral("Search"));
        QCOMPARE(w->ListTopicsCmd->text(), QStringLiteral("List Topics"));
        QCOMPARE(
            w->ListTopicsCmd->toolTip(), QStringLiteral("NOTE: Search string is Case sensitive"));
        QVERIFY(w->Text1->text().isEmpty());
        QCOMPARE(w->List1->accessibleName(), QStringLiteral("Contents"));
        QCOMPARE(w->Text1->accessibleName(), QStringLiteral("Word to Search for"));
        QCOMPARE(w->List2->accessibleName(), QStringLiteral("Topics Found"));
        QCOMPARE(w->RichTextBox1->accessibleName(), QStringLiteral("Topic"));
        QVERIFY(w->RichTextBox1->isReadOnly());
        QCOMPARE(w->List1->font().family(), QStringLiteral("Verdana"));
        QCOMPARE(w->List1->font().pointSizeF(), 8.25);
        if (kind == ReaderKind::Leafwick) {
            QVERIFY(w->PrintMnu);
            QCOMPARE(w->PrintMnu->text().remove(QLatin1Char('&')), QStringLiteral("Print"));
            QVERIFY(w->PrintMnu->menu() == nullptr);
            QCOMPARE(w->menuBar()->actions(), QList<QAction *> {w->PrintMnu});
        }
    }

    void print_data()
    {
        QTest::addColumn<bool>("printer");
        QTest::addColumn<bool>("selectWord");
        QTest::addColumn<int>("pages"); // 0: nothing printed
        QTest::newRow("whole topic over several pages") << true << false << 3;
        QTest::newRow("selection only") << true << true << 1;
        QTest::newRow("no printer") << false << false << 0;
    }
    void print()
    {
        QFETCH(bool, printer);
        QFETCH(bool, selectWord);
        QFETCH(int, pages);
        QByteArray longText = "{\\rtf1\\ansi\\fs24 ";
        for (int i = 0; i < 150; ++i)
            longText += "Paragraph " + QByteArray::number(i) + " of the printed topic.\\par ";
        longText += "}";
        writeFile(QStringLiteral("Doc.scv"), record("0", "Long", longText));
        const QString pdf = m_dir->filePath(QStringLiteral("out.pdf"));
        if (printer)
            m_printers.pdfPath = pdf;
        auto w = start();
        if (selectWord) {
            QTextCursor cursor(w->RichTextBox1->document());
            cursor.movePosition(QTextCursor::NextBlock, QTextCursor::MoveAnchor, 7);
            cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
            QCOMPARE(cursor.selectedText(), QStringLiteral("Paragraph 7 of the printed topic."));
            w->RichTextBox1->setTextCursor(cursor);
        }
        w->PrintMnu->trigger();
        QCOMPARE(m_printers.requests, 1);
        if (!printer) {
            QCOMPARE(m_boxes.shown.size(), 1);
            QVERIFY(m_boxes.shown[0].text.contains(QStringLiteral("no printer")));
            QCOMPARE(m_boxes.shown[0].style, 48);
            QVERIFY(!QFile::exists(pdf));
            return;
        }
        QVERIFY(m_boxes.shown.isEmpty());
        QFile file(pdf);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(bytes.startsWith("%PDF"));
        if (pages == 1)
            QCOMPARE(pdfPages(bytes), 1);
        else
            QVERIFY2(pdfPages(bytes) >= pages, qPrintable(QString::number(pdfPages(bytes))));
        const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
        if (pdftotext.isEmpty())
            return; // page count only
        QProcess convert;
        convert.start(pdftotext, {pdf, QStringLiteral("-")});
        QVERIFY(convert.waitForFinished(30000));
        const QString text = QString::fromUtf8(convert.readAllStandardOutput());
        QVERIFY(text.contains(QStringLiteral("Paragraph 7 of the printed topic.")));
        QCOMPARE(text.contains(QStringLiteral("Paragraph 149")), !selectWord);
    }
};

QTEST_MAIN(TestReaderWindow)
#include "tst_reader_window.moc"
