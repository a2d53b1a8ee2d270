// The rich-text control as the windows use it: RTF in and out, plain text, the base font,
// pasting and copying through the clipboard, following links, printing to PDF.

#include "richtext/link_opener.h"
#include "richtext/rich_text_box.h"
#include "richtext/rtf_reader.h"
#include "richtext/rtf_writer.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>
#include <QMimeData>
#include <QPageLayout>
#include <QPrinter>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>

#include <functional>

using BoxChange = std::function<void(richtext::RichTextBox &)>;
Q_DECLARE_METATYPE(BoxChange)

using richtext::RichTextBox;

namespace {

using MimeEntries = QList<QPair<QString, QByteArray>>;

QByteArray rtfDocument(const QByteArray &body)
{
    return "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Verdana;}}\\f0\\fs20 " + body
        + "\\par\r\n}\r\n";
}

// Whether the reader ends a document's last \par with an empty paragraph is its own choice;
// the text that is shown is the same.
QString shownText(const QString &text)
{
    QString shown = text;
    while (shown.endsWith(QLatin1Char('\n')))
        shown.chop(1);
    return shown;
}

// The bold stretches of text, neighbouring fragments joined, one entry per stretch.
QStringList boldRuns(const QTextDocument &document)
{
    QStringList runs;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        bool previousBold = false;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QFont font = fragment.charFormat().font().resolve(document.defaultFont());
            const bool bold = font.weight() >= QFont::DemiBold;
            if (bold && previousBold)
                runs.last() += fragment.text();
            else if (bold)
                runs.append(fragment.text());
            previousBold = bold;
        }
    }
    return runs;
}

// The font a word is shown in: its own format on top of the document's default font.
QFont fontOf(const QTextDocument &document, const QString &word)
{
    const QTextCursor found = document.find(word);
    if (found.isNull())
        return {};
    QTextCursor inside(const_cast<QTextDocument *>(&document));
    inside.setPosition(found.selectionStart() + 1);
    return inside.charFormat().font().resolve(document.defaultFont());
}

int pdfPageCount(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?![a-zA-Z])"));
    int count = 0;
    for (auto it = page.globalMatch(QString::fromLatin1(file.readAll())); it.hasNext(); it.next())
        ++count;
    return count;
}

// A 1 by 1 pixel PNG, as RTF writes pictures: hexadecimal digits.
const QByteArray kPngHex = "89504e470d0a1a0a0000000d4948445200000001000000010806000000"
                           "1f15c4890000000d49444154789c6360f8cf000000030101000b2e"
                           "c1a30000000049454e44ae426082";

class RecordingOpener final : public richtext::LinkOpener
{
public:
    bool openLink(const QUrl &url) override
    {
        opened.append(url);
        return true;
    }
    QList<QUrl> opened;
};

// Text with one link in the middle: "Go to " LINK " now".
void putLink(RichTextBox &box, const QString &href)
{
    box.setText(QString());
    QTextCursor cursor(box.document());
    cursor.insertText(QStringLiteral("Go to "));
    QTextCharFormat link;
    link.setAnchor(true);
    link.setAnchorHref(href);
    link.setForeground(Qt::blue);
    cursor.insertText(QStringLiteral("the link"), link);
    cursor.insertText(QStringLiteral(" now"), QTextCharFormat());
}

void select(RichTextBox &box, int from, int to)
{
    QTextCursor cursor = box.textCursor();
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    box.setTextCursor(cursor);
}

QByteArray readSample(const QString &name)
{
    QFile file(QStringLiteral(SCRIVANE_TEST_DATA_DIR "/rtf/") + name + QStringLiteral(".rtf"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The size, in half-points, that most characters of a document are shown at; 0 for a size of
// the document's default font.
int mostHalfPoints(const QTextDocument &document)
{
    QHash<int, qsizetype> characters;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            const int halfPoints = format.hasProperty(QTextFormat::FontPointSize)
                ? qRound(format.fontPointSize() * 2)
                : 0;
            characters[halfPoints] += it.fragment().length();
        }
    }
    int most = 0;
    for (auto it = characters.cbegin(); it != characters.cend(); ++it) {
        if (it.value() > characters.value(most))
            most = it.key();
    }
    return most;
}

void putOnClipboard(const MimeEntries &entries)
{
    auto *data = new QMimeData;
    for (const auto &[type, bytes] : entries)
        data->setData(type, bytes);
    QGuiApplication::clipboard()->setMimeData(data);
}

} // namespace

class TestRichTextBox : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void roundTrip_data();
    void roundTrip();
    void emptying_data();
    void emptying();
    void replacing_data();
    void replacing();
    void rtfFollowsChanges_data();
    void rtfFollowsChanges();
    void textEmptiness_data();
    void textEmptiness();
    void baseFont_data();
    void baseFont();
    void paste_data();
    void paste();
    void pasteLarge();
    void pastedSizesSaved_data();
    void pastedSizesSaved();
    void copyOut_data();
    void copyOut();
    void links_data();
    void links();
    void dragAcrossLinkDoesNotFollow();
    void print_data();
    void print();
    void printFailure();
};

void TestRichTextBox::roundTrip_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("bold");

    QTest::newRow("stored topic") << rtfDocument("First topic.") << "First topic." << QStringList();
    QTest::newRow("bold and italic words")
        << rtfDocument("\\b Welcome\\b0  to the \\i manual\\i0 .") << "Welcome to the manual."
        << QStringList {"Welcome"};
    QTest::newRow("bold group inside a sentence")
        << rtfDocument("Press {\\b Save} and {\\b Exit} now.") << "Press Save and Exit now."
        << QStringList {"Save", "Exit"};
    QTest::newRow("two paragraphs") << rtfDocument("Run the installer.\\par Then start it.")
                                    << "Run the installer.\nThen start it." << QStringList();
    QTest::newRow("escaped Windows-1252 letter")
        << rtfDocument("Options for caf\\'e9 users.")
        << QString::fromUtf8("Options for café users.") << QStringList();
    QTest::newRow("Unicode with a fallback byte")
        << rtfDocument("Costs 5 \\u8364\\'80.") << QString::fromUtf8("Costs 5 €.") << QStringList();
    QTest::newRow("curly quotes") << rtfDocument("\\ldblquote Hi\\rdblquote  there")
                                  << QString::fromUtf8("“Hi” there") << QStringList();
    QTest::newRow("escaped double quote")
        << rtfDocument("Say \\'22yes\\'22.") << "Say \"yes\"." << QStringList();
    QTest::newRow("braces and backslash")
        << rtfDocument("a \\{b\\} c\\\\d") << "a {b} c\\d" << QStringList();
    QTest::newRow("bold across a paragraph break")
        << rtfDocument("\\b one\\par two\\b0  three") << "one\ntwo three"
        << QStringList {"one", "two"};
}

// A stored topic shows its text and bold runs; the RTF the box gives back shows them again, and
// reading that RTF back gives the same RTF, so a topic does not change each time it is saved.
void TestRichTextBox::roundTrip()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, text);
    QFETCH(QStringList, bold);

    RichTextBox first;
    const richtext::RtfReadReport report = first.setTextRTF(rtf);
    QVERIFY(report.wasRtf);
    QCOMPARE(report.problem, QString());
    QCOMPARE(shownText(first.Text()), text);
    QCOMPARE(boldRuns(*first.document()), bold);

    const QByteArray written = first.TextRTF();
    QVERIFY2(written.startsWith("{\\rtf1"), written.constData());
    // A double quote is written as itself, for the save to turn into an apostrophe; none
    // appears in the RTF of a text that has none.
    QCOMPARE(written.contains('"'), text.contains(QLatin1Char('"')));

    RichTextBox second;
    second.setTextRTF(written);
    QCOMPARE(shownText(second.Text()), text);
    QCOMPARE(boldRuns(*second.document()), bold);
    QCOMPARE(second.TextRTF(), written);
}

void TestRichTextBox::emptying_data()
{
    QTest::addColumn<bool>("throughRtf");
    QTest::newRow("setTextRTF with the empty string") << true;
    QTest::newRow("setText with the empty string") << false;
}

void TestRichTextBox::emptying()
{
    QFETCH(bool, throughRtf);
    RichTextBox box;
    box.setTextRTF(rtfDocument("{\\b Some} text.\\par More."));
    QVERIFY(!box.Text().isEmpty());
    if (throughRtf)
        box.setTextRTF("");
    else
        box.setText(QString());
    QCOMPARE(box.Text(), QString());
    QCOMPARE(box.toPlainText(), QString());
    QCOMPARE(box.document()->blockCount(), 1);
    // Loading is not an edit: undo must not bring the old topic back.
    QVERIFY(!box.document()->isUndoAvailable());

    // The emptied box writes an RTF document that reads back as empty.
    RichTextBox again;
    again.setTextRTF(box.TextRTF());
    QCOMPARE(again.Text(), QString());
}

void TestRichTextBox::replacing_data()
{
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<bool>("selectToEnd");
    QTest::newRow("display, scrolled to the end") << true << false;
    QTest::newRow("display, the end selected") << true << true;
    QTest::newRow("editable box, scrolled to the end") << false << false;
    QTest::newRow("editable box, the end selected") << false << true;
}

// A topic replacing a long one that was scrolled or selected to its end shows from its start,
// with the cursor there, nothing selected and nothing to undo; typing then goes in at the start
// and moves the cursor on.
void TestRichTextBox::replacing()
{
    QFETCH(bool, readOnly);
    QFETCH(bool, selectToEnd);
    QByteArray body;
    for (int line = 1; line <= 400; ++line)
        body += "Line " + QByteArray::number(line) + " of a long {\\b topic}.\\par ";
    RichTextBox box;
    box.setReadOnly(readOnly);
    box.resize(300, 200);
    box.show();
    box.setTextRTF(rtfDocument("Old " + body));
    QApplication::processEvents();
    const int end = box.document()->characterCount() - 1;
    if (selectToEnd)
        select(box, end - 10, end);
    else
        box.moveCursor(QTextCursor::End);
    box.ensureCursorVisible();
    QVERIFY(box.verticalScrollBar()->value() > 0);

    box.setTextRTF(rtfDocument("New " + body));
    QApplication::processEvents();
    QVERIFY(box.Text().startsWith(QStringLiteral("New Line 1 of a long topic.")));
    QVERIFY(box.Text().contains(QStringLiteral("Line 400 of a long topic.")));
    QCOMPARE(box.textCursor().position(), 0);
    QVERIFY(!box.textCursor().hasSelection());
    QCOMPARE(box.verticalScrollBar()->value(), 0);
    QVERIFY(!box.document()->isUndoAvailable());
    // Laid out to its end once asked, at the box's width.
    QVERIFY(box.document()->size().height() > box.viewport()->height());

    if (!readOnly) {
        box.setFocus();
        QTest::keyClicks(&box, QStringLiteral("AB"));
        QVERIFY(box.Text().startsWith(QStringLiteral("ABNew Line 1")));
        QCOMPARE(box.textCursor().position(), 2);
    }
}

void TestRichTextBox::textEmptiness_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("text");

    QTest::newRow("RTF without any text") << "rtf" << QByteArray("{\\rtf1\\ansi }") << "";
    QTest::newRow("RTF of empty paragraphs")
        << "rtf" << QByteArray("{\\rtf1\\ansi \\par\\par\\par}") << "";
    QTest::newRow("RTF line breaks only")
        << "rtf" << QByteArray("{\\rtf1\\ansi \\line\\line}") << "";
    QTest::newRow("one blank is a character") << "rtf" << rtfDocument("\\'20") << " ";
    QTest::newRow("one letter") << "rtf" << rtfDocument("x") << "x";
    QTest::newRow("a letter after empty paragraphs")
        << "rtf" << QByteArray("{\\rtf1\\ansi \\par\\par x}") << "\n\nx";
    QTest::newRow("hidden text is not shown") << "rtf" << rtfDocument("{\\v secret}") << "";
    QTest::newRow("RTF picture alone")
        << "rtf"
        << "{\\rtf1\\ansi {\\pict\\pngblip\\picw1\\pich1 " + kPngHex + "}}"
        << "";
    QTest::newRow("RTF picture beside a word")
        << "rtf"
        << "{\\rtf1\\ansi See {\\pict\\pngblip\\picw1\\pich1 " + kPngHex + "}}"
        << "See ";
    QTest::newRow("picture alone") << "html" << QByteArray("<p><img src=\"x.png\"></p>") << "";
    QTest::newRow("two pictures in two paragraphs")
        << "html" << QByteArray("<p><img src=\"x.png\"></p><p><img src=\"y.png\"></p>") << "";
    QTest::newRow("picture and a word")
        << "html" << QByteArray("<p><img src=\"x.png\">Figure</p>") << "Figure";
    QTest::newRow("table of empty cells")
        << "html" << QByteArray("<table><tr><td></td><td></td></tr></table>") << "";
    QTest::newRow("table with one word")
        << "html" << QByteArray("<table><tr><td></td><td>cell</td></tr></table>")
        << "\n\ncell"; // the empty paragraph before every table, then the empty cell
}

// Text is empty exactly when the box shows no characters: the authoring program refuses to
// save a topic whose Text is empty.
void TestRichTextBox::textEmptiness()
{
    QFETCH(QString, kind);
    QFETCH(QByteArray, content);
    QFETCH(QString, text);
    RichTextBox box;
    if (kind == "rtf")
        box.setTextRTF(content);
    else
        box.setHtml(QString::fromUtf8(content));
    QCOMPARE(box.Text().isEmpty(), text.isEmpty());
    if (!text.isEmpty())
        QCOMPARE(shownText(box.Text()), text);
}

void TestRichTextBox::baseFont_data()
{
    QTest::addColumn<qreal>("baseSize");
    QTest::addColumn<bool>("baseBold");
    QTest::addColumn<QString>("word");
    QTest::addColumn<qreal>("size");
    QTest::addColumn<bool>("bold");

    const struct
    {
        const char *row;
        qreal baseSize;
        bool baseBold;
        const char *word;
        qreal size;
        bool bold;
    } rows[] = {
        {"reader's 10 pt: run without a size", 10, false, "plain", 10, false},
        {"reader's 10 pt: \\fs32 is 16 pt", 10, false, "big", 16, false},
        {"reader's 10 pt: \\b is bold at the base size", 10, false, "strong", 10, true},
        {"14 pt bold base: run without a size", 14, true, "plain", 14, true},
        {"14 pt bold base: \\fs32 is still 16 pt", 14, true, "big", 16, true},
        {"14 pt bold base: \\b0 turns bold off", 14, true, "thin", 14, false},
    };
    for (const auto &row : rows)
        QTest::newRow(row.row) << row.baseSize << row.baseBold << row.word << row.size << row.bold;
}

// The reader sets 10 points, not bold, before a topic is shown; the topic formats on top.
void TestRichTextBox::baseFont()
{
    QFETCH(qreal, baseSize);
    QFETCH(bool, baseBold);
    QFETCH(QString, word);
    QFETCH(qreal, size);
    QFETCH(bool, bold);

    RichTextBox box;
    box.setBaseFont(baseSize, baseBold);
    box.setTextRTF("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Verdana;}} plain {\\fs32 big} "
                   "{\\b strong} {\\b0 thin}\\par}");
    const QFont font = fontOf(*box.document(), word);
    QCOMPARE(font.pointSizeF(), size);
    QCOMPARE(font.weight() >= QFont::DemiBold, bold);
}

void TestRichTextBox::paste_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<MimeEntries>("clipboard");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QStringList>("bold");

    const QByteArray rtf("{\\rtf1\\ansi {\\b Bold} text}");
    const QByteArray html("<b>Html</b> text");
    const QByteArray plain("Plain <b>text</b>");
    QTest::newRow("text/rtf keeps bold")
        << "" << 0 << 0 << MimeEntries {{"text/rtf", rtf}} << "Bold text" << QStringList {"Bold"};
    QTest::newRow("application/rtf") << "" << 0 << 0 << MimeEntries {{"application/rtf", rtf}}
                                     << "Bold text" << QStringList {"Bold"};
    QTest::newRow("text/richtext") << "" << 0 << 0 << MimeEntries {{"text/richtext", rtf}}
                                   << "Bold text" << QStringList {"Bold"};
    QTest::newRow("only HTML") << "" << 0 << 0 << MimeEntries {{"text/html", html}} << "Html text"
                               << QStringList {"Html"};
    QTest::newRow("only plain text, markup stays text")
        << "" << 0 << 0 << MimeEntries {{"text/plain", plain}} << "Plain <b>text</b>"
        << QStringList();
    QTest::newRow("RTF wins over HTML and plain text")
        << "" << 0 << 0
        << MimeEntries {{"text/plain", plain}, {"text/html", html}, {"text/rtf", rtf}}
        << "Bold text" << QStringList {"Bold"};
    QTest::newRow("HTML wins over plain text")
        << "" << 0 << 0 << MimeEntries {{"text/plain", plain}, {"text/html", html}} << "Html text"
        << QStringList {"Html"};
    QTest::newRow("entry named RTF that is not RTF: plain text instead")
        << "" << 0 << 0 << MimeEntries {{"text/rtf", "just words"}, {"text/plain", plain}}
        << "Plain <b>text</b>" << QStringList();
    QTest::newRow("empty RTF entry: HTML instead")
        << "" << 0 << 0 << MimeEntries {{"text/rtf", ""}, {"text/html", html}} << "Html text"
        << QStringList {"Html"};
    QTest::newRow("into the middle of a text")
        << "Hello world" << 6 << 6 << MimeEntries {{"text/rtf", "{\\rtf1\\ansi {\\b big }}"}}
        << "Hello big world" << QStringList {"big "};
    QTest::newRow("replaces the selection")
        << "Hello world" << 6 << 11 << MimeEntries {{"text/rtf", "{\\rtf1\\ansi {\\b there}}"}}
        << "Hello there" << QStringList {"there"};
    QTest::newRow("plain text replaces the selection")
        << "Hello world" << 0 << 5 << MimeEntries {{"text/plain", "Goodbye"}} << "Goodbye world"
        << QStringList();
}

// Ctrl+V in the paste box, from the clipboard; one undo takes the paste back.
void TestRichTextBox::paste()
{
    QFETCH(QString, before);
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(MimeEntries, clipboard);
    QFETCH(QString, after);
    QFETCH(QStringList, bold);

    RichTextBox box;
    box.setText(before);
    select(box, from, to);
    putOnClipboard(clipboard);
    QTest::keyClick(&box, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(shownText(box.Text()), after);
    QCOMPARE(boldRuns(*box.document()), bold);

    box.undo();
    QCOMPARE(box.Text(), before);

    // A display takes no paste at all.
    RichTextBox display;
    display.setText(before);
    display.setReadOnly(true);
    QTest::keyClick(&display, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(display.Text(), before);
}

// A paste of a megabyte of RTF must not freeze the window.
void TestRichTextBox::pasteLarge()
{
    QByteArray rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Verdana;}}\\f0\\fs20 ";
    int paragraphs = 0;
    while (rtf.size() < 1024 * 1024) {
        rtf += "Paragraph " + QByteArray::number(++paragraphs)
            + " with {\\b bold} and {\\i italic} words, caf\\'e9 and \\u8364\\'80.\\par\r\n";
    }
    rtf += "The end.}";
    putOnClipboard({{"text/rtf", rtf}});

    RichTextBox box;
    QElapsedTimer timer;
    timer.start();
    QTest::keyClick(&box, Qt::Key_V, Qt::ControlModifier);
    const qint64 elapsed = timer.elapsed();
    qInfo("pasting %lld bytes of RTF took %lld ms", qint64(rtf.size()), elapsed);
    QVERIFY2(elapsed < 20000, qPrintable(QString::number(elapsed)));
    QCOMPARE(box.document()->blockCount(), paragraphs + 1);
    QVERIFY(box.Text().endsWith(QLatin1String("The end.")));
}

void TestRichTextBox::pastedSizesSaved_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<int>("halfPoints"); // at which most of the text is saved
    QTest::addColumn<bool>("baseSize"); // whether some text is saved at the base size

    // Writer states the body text's size only in its paragraph style.
    QTest::newRow("Writer's Text Body style, based on Normal")
        << QByteArray("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Liberation Serif;}}"
                      "{\\stylesheet{\\s0\\snext0\\f0\\fs24 Normal;}"
                      "{\\s20\\sbasedon0\\snext20\\sl276\\slmult1\\sb0\\sa140 Text Body;}}"
                      "\\pard\\plain \\s20\\sb0\\sa140{\\rtlch \\ltrch\\loch Body text.}\\par}")
        << 24 << false;
    QTest::newRow("Writer, from docx: links and lists")
        << readSample(QStringLiteral("generated/g01-pandoc-readme")) << 24 << false;
    QTest::newRow("Writer, from odt: code blocks at 10 pt")
        << readSample(QStringLiteral("generated/g03-libffi-readme")) << 20 << false;
    QTest::newRow("Writer, German")
        << readSample(QStringLiteral("generated/g06-dpkg-query-man-de")) << 24 << false;
    // Text with no size from a style or of its own keeps the paste box's base size.
    QTest::newRow("no style sheet, no size")
        << QByteArray("{\\rtf1\\ansi Unsized text.\\par}") << 17 << true;
    QTest::newRow("style sheet without a size")
        << QByteArray("{\\rtf1\\ansi{\\stylesheet{\\s0\\b Normal;}}\\pard Unsized.\\par}") << 17
        << true;
}

// A topic pasted into Penwick's paste box, 8.25 pt, is saved as the box's RTF: the sizes the
// word processor gave it stay, and only text without one takes the box's base size.
void TestRichTextBox::pastedSizesSaved()
{
    QFETCH(QByteArray, rtf);
    QFETCH(int, halfPoints);
    QFETCH(bool, baseSize);
    QVERIFY(!rtf.isEmpty());

    RichTextBox box;
    box.setBaseFont(8.25, false);
    putOnClipboard({{QStringLiteral("text/rtf"), rtf}});
    QTest::keyClick(&box, Qt::Key_V, Qt::ControlModifier);
    const QByteArray saved = box.TextRTF();

    static const QRegularExpression base(QStringLiteral("\\\\fs17(?![0-9])"));
    QCOMPARE(base.match(QString::fromLatin1(saved)).hasMatch(), baseSize);
    QTextDocument reread;
    richtext::RtfReader::read(saved, &reread);
    QCOMPARE(mostHalfPoints(reread), halfPoints);
}

void TestRichTextBox::copyOut_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("bold");

    // The content is "Plain Bold end\nNext line."
    QTest::newRow("a bold word") << 6 << 10 << "Bold" << QStringList {"Bold"};
    QTest::newRow("plain then bold") << 0 << 8 << "Plain Bo" << QStringList {"Bo"};
    QTest::newRow("across the paragraph break") << 11 << 19 << "end\nNext" << QStringList();
    QTest::newRow("everything") << 0 << 25 << "Plain Bold end\nNext line." << QStringList {"Bold"};
}

// Copying offers the selection as RTF besides Qt's own formats; pasting that RTF into another
// box gives the same text and formatting.
void TestRichTextBox::copyOut()
{
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QString, text);
    QFETCH(QStringList, bold);

    RichTextBox box;
    box.setTextRTF(rtfDocument("Plain {\\b Bold} end\\par Next line."));
    QCOMPARE(shownText(box.Text()), QStringLiteral("Plain Bold end\nNext line."));
    select(box, from, to);
    QGuiApplication::clipboard()->clear();
    box.copy();

    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    QVERIFY(data);
    QVERIFY(data->hasFormat("text/rtf"));
    QVERIFY(data->hasHtml());
    QCOMPARE(data->text().replace(QChar::ParagraphSeparator, QLatin1Char('\n')), text);

    QTextDocument copied;
    const richtext::RtfReadReport report =
        richtext::RtfReader::read(data->data("text/rtf"), &copied);
    QVERIFY(report.wasRtf);
    QCOMPARE(shownText(copied.toPlainText()), text);
    QCOMPARE(boldRuns(copied), bold);

    RichTextBox target;
    QTest::keyClick(&target, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(shownText(target.Text()), text);
    QCOMPARE(boldRuns(*target.document()), bold);
}

void TestRichTextBox::links_data()
{
    QTest::addColumn<QString>("href");
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("opened");
    QTest::addColumn<bool>("refused");

    const struct
    {
        const char *name;
        const char *href;
        bool opened;
        bool refused;
    } links[] = {
        {"https", "https://example.org/guide?page=2", true, false},
        {"mailto", "mailto:help@example.org", true, false},
        {"local file", "file:///usr/bin/xterm", false, true},
        {"javascript", "javascript:alert(1)", false, true},
        {"program name", "setup.sh", false, true},
        {"anchor in the topic", "#install", false, false},
    };
    for (const char *how : {"click", "keyboard"}) {
        for (const auto &link : links) {
            QTest::addRow("%s: %s", how, link.name)
                << link.href << how << link.opened << link.refused;
        }
    }
    QTest::newRow("editable box: click on https") << "https://example.org/"
                                                  << "editable click" << false << false;
    QTest::newRow("editable box: keyboard on https") << "https://example.org/"
                                                     << "editable keyboard" << false << false;
}

// Only web and mail links reach the opener, only from a read-only display, by a click or by
// Tab then Enter.
void TestRichTextBox::links()
{
    QFETCH(QString, href);
    QFETCH(QString, how);
    QFETCH(bool, opened);
    QFETCH(bool, refused);

    RecordingOpener opener;
    RichTextBox box;
    box.setLinkOpener(&opener);
    box.resize(400, 200);
    putLink(box, href);
    box.setReadOnly(!how.startsWith("editable"));
    QSignalSpy refusals(&box, &RichTextBox::linkRefused);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));

    if (how.endsWith("click")) {
        QTextCursor inside(box.document());
        inside.setPosition(6 + 3); // within "the link"
        const QPoint point = box.cursorRect(inside).center();
        QCOMPARE(box.anchorAt(point), href);
        QTest::mouseClick(box.viewport(), Qt::LeftButton, {}, point);
    } else {
        box.setFocus();
        box.moveCursor(QTextCursor::Start);
        QTest::keyClick(&box, Qt::Key_Tab);
        if (box.isReadOnly())
            QCOMPARE(box.focusedLink(), href);
        QTest::keyClick(&box, Qt::Key_Return);
    }

    QCOMPARE(opener.opened, opened ? QList<QUrl> {QUrl(href)} : QList<QUrl>());
    QCOMPARE(refusals.size(), refused ? 1 : 0);
    // The editable box types Tab and Enter instead.
    if (!box.isReadOnly() && how.endsWith("keyboard"))
        QCOMPARE(box.toPlainText(), QStringLiteral("\t\nGo to the link now"));
}

// A press on a link that drags out a selection is a selection, not a click.
void TestRichTextBox::dragAcrossLinkDoesNotFollow()
{
    RecordingOpener opener;
    RichTextBox box;
    box.setLinkOpener(&opener);
    box.resize(400, 200);
    putLink(box, "https://example.org/");
    box.setReadOnly(true);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));

    QTextCursor cursor(box.document());
    cursor.setPosition(8);
    const QPoint start = box.cursorRect(cursor).center();
    cursor.setPosition(18);
    const QPoint end = box.cursorRect(cursor).center();
    QTest::mousePress(box.viewport(), Qt::LeftButton, {}, start);
    QMouseEvent move(QEvent::MouseMove, end, box.viewport()->mapToGlobal(end), Qt::NoButton,
        Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(box.viewport(), &move);
    QTest::mouseRelease(box.viewport(), Qt::LeftButton, {}, end);
    QVERIFY(box.textCursor().hasSelection());
    QCOMPARE(opener.opened, QList<QUrl>());

    // Tab walks the links and leaves the box after the last one.
    box.setTextCursor(QTextCursor(box.document()));
    box.setFocus();
    QTest::keyClick(&box, Qt::Key_Tab);
    QCOMPARE(box.focusedLink(), QStringLiteral("https://example.org/"));
    QTest::keyClick(&box, Qt::Key_Tab);
    QCOMPARE(box.focusedLink(), QString());
}

void TestRichTextBox::print_data()
{
    QTest::addColumn<bool>("selectFirst");
    QTest::addColumn<qreal>("marginMm");
    QTest::addColumn<int>("minPages");
    QTest::addColumn<int>("maxPages");

    // 300 paragraphs at 10 pt take several A4 pages; the first paragraph fits on one.
    QTest::newRow("whole content, 10 mm margins") << false << 10.0 << 3 << 20;
    QTest::newRow("selection of one paragraph") << true << 10.0 << 1 << 1;
}

void TestRichTextBox::print()
{
    QFETCH(bool, selectFirst);
    QFETCH(qreal, marginMm);
    QFETCH(int, minPages);
    QFETCH(int, maxPages);

    QByteArray body;
    for (int i = 1; i <= 300; ++i)
        body += "Paragraph " + QByteArray::number(i) + " of a long topic.\\par ";
    RichTextBox box;
    box.setBaseFont(10, false);
    box.setTextRTF(rtfDocument(body));
    if (selectFirst)
        select(box, 0, 10);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    auto printTo = [&box](const QString &path, qreal margin) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageMargins(QMarginsF(margin, margin, margin, margin), QPageLayout::Millimeter);
        return box.SelPrint(&printer);
    };
    const QString path = dir.filePath("topic.pdf");
    QVERIFY(printTo(path, marginMm));
    QVERIFY(QFileInfo(path).size() > 0);
    const int pages = pdfPageCount(path);
    QVERIFY2(pages >= minPages && pages <= maxPages, qPrintable(QString::number(pages)));

    // Wider margins leave less room on each page: the printer's margins are used.
    const QString wide = dir.filePath("wide.pdf");
    QVERIFY(printTo(wide, 60));
    qInfo("%d pages with 10 mm margins, %d with 60 mm", pages, pdfPageCount(wide));
    if (selectFirst)
        QCOMPARE(pdfPageCount(wide), 1);
    else
        QVERIFY2(pdfPageCount(wide) > pages, qPrintable(QString::number(pdfPageCount(wide))));
}

// A printer that cannot start is a failure, not a print.
void TestRichTextBox::printFailure()
{
    RichTextBox box;
    box.setTextRTF(rtfDocument("Text."));
    QTemporaryDir dir;
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath("no such folder/topic.pdf"));
    QVERIFY(!box.SelPrint(&printer));
    QVERIFY(!box.SelPrint(nullptr));
}

// TextRTF keeps what it last wrote only while the content stays as it was: every kind of change
// must show in the next TextRTF.
void TestRichTextBox::rtfFollowsChanges_data()
{
    using Change = BoxChange;
    QTest::addColumn<Change>("change");
    QTest::newRow("typing") << Change([](RichTextBox &box) {
        box.setFocus();
        QTest::keyClicks(&box, "more");
    });
    QTest::newRow("plain text set") << Change([](RichTextBox &box) { box.setText("Other"); });
    QTest::newRow("RTF set") << Change(
        [](RichTextBox &box) { box.setTextRTF("{\\rtf1\\ansi Other.\\par}"); });
    QTest::newRow("emptied") << Change([](RichTextBox &box) { box.setTextRTF({}); });
    QTest::newRow("bold on a selection") << Change([](RichTextBox &box) {
        QTextCursor cursor(box.document());
        cursor.select(QTextCursor::WordUnderCursor);
        QTextCharFormat bold;
        bold.setFontWeight(QFont::Bold);
        cursor.mergeCharFormat(bold);
    });
    QTest::newRow("base font") << Change([](RichTextBox &box) { box.setBaseFont(14, true); });
    QTest::newRow("undo") << Change([](RichTextBox &box) {
        box.setFocus();
        QTest::keyClicks(&box, "x");
        (void)box.TextRTF();
        box.undo();
    });
}

void TestRichTextBox::rtfFollowsChanges()
{
    QFETCH(BoxChange, change);
    RichTextBox box;
    box.setTextRTF("{\\rtf1\\ansi First words.\\par}");
    box.show();
    const QByteArray before = box.TextRTF();
    QCOMPARE(box.TextRTF(), before);
    change(box);
    const QByteArray after = box.TextRTF();
    QCOMPARE(after, richtext::RtfWriter::write(*box.document()));
    QVERIFY(after != before || QTest::currentDataTag() == QByteArray("undo"));
}

QTEST_MAIN(TestRichTextBox)
#include "tst_rich_text_box.moc"
