#include "richtext/rtf_reader.h"
#include "richtext/rtf_writer.h"

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QTextTable>
#include <QtTest>

#include <functional>

using richtext::RtfReader;
using richtext::RtfWriter;

namespace {

// Every document starts with the same default font, so f0 and \fs are known.
void prepare(QTextDocument &document)
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(12);
    document.setDefaultFont(font);
}

using Builder = std::function<void(QTextDocument &)>;

QByteArray writeBuilt(const Builder &build)
{
    QTextDocument document;
    prepare(document);
    build(document);
    return RtfWriter::write(document);
}

// What comes after "\viewkind4\uc1" and before the closing "}" CR LF.
QByteArray bodyOf(const QByteArray &rtf)
{
    const QByteArray start = "\\viewkind4\\uc1";
    const qsizetype at = rtf.indexOf(start);
    if (at < 0 || !rtf.endsWith("}\r\n"))
        return "<not an RTF the writer makes>";
    return rtf.mid(at + start.size(), rtf.size() - at - start.size() - 3);
}

Builder plainText(const QString &text)
{
    return [text](QTextDocument &document) { QTextCursor(&document).insertText(text); };
}

// "a " plain, then "b" in the format, then " c" plain.
Builder formatted(const QTextCharFormat &format)
{
    return [format](QTextDocument &document) {
        QTextCursor cursor(&document);
        cursor.insertText(QStringLiteral("a "));
        cursor.insertText(QStringLiteral("b"), format);
        cursor.insertText(QStringLiteral(" c"), QTextCharFormat());
    };
}

QByteArray pngOf(const QImage &image)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

QImage testImage()
{
    QImage image(3, 2, QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setPixel(0, 0, qRgb(255, 0, 0));
    image.setPixel(2, 1, qRgb(0, 0, 255));
    return image;
}

// The hex of the first \pict group, decoded.
QByteArray pictureBytes(const QByteArray &rtf)
{
    const qsizetype start = rtf.indexOf("{\\pict");
    if (start < 0)
        return {};
    const qsizetype dataStart = rtf.indexOf("\r\n", start) + 2;
    const qsizetype end = rtf.indexOf('}', dataStart);
    QByteArray hex = rtf.mid(dataStart, end - dataStart);
    hex.replace("\r\n", "");
    return QByteArray::fromHex(hex);
}

// One line per character: the formatting the reader and the writer both carry.
QStringList formatting(const QTextDocument &document)
{
    QStringList lines;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QTextBlockFormat b = block.blockFormat();
        // An alignment never set is left.
        const int alignment = int(b.alignment() & Qt::AlignHorizontal_Mask & ~Qt::AlignAbsolute);
        lines << QStringLiteral("block align=%1 left=%2 right=%3 first=%4 top=%5 bottom=%6 page=%7")
                     .arg(alignment ? alignment : int(Qt::AlignLeft))
                     .arg(b.leftMargin())
                     .arg(b.rightMargin())
                     .arg(b.textIndent())
                     .arg(b.topMargin())
                     .arg(b.bottomMargin())
                     .arg(int(b.pageBreakPolicy()));
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat f = it.fragment().charFormat();
            const QFont font = f.font().resolve(document.defaultFont());
            const QString line =
                QStringLiteral("b=%1 i=%2 u=%3 s=%4 v=%5 pt=%6 family=%7 fg=%8 "
                               "bg=%9 href=%10")
                    .arg(font.bold())
                    .arg(font.italic())
                    .arg(font.underline())
                    .arg(font.strikeOut())
                    .arg(int(f.verticalAlignment()))
                    .arg(font.pointSizeF())
                    .arg(font.families().value(0, font.family()))
                    .arg(f.foreground().style() == Qt::NoBrush ? QStringLiteral("auto")
                                                               : f.foreground().color().name())
                    .arg(f.background().style() == Qt::NoBrush ? QStringLiteral("none")
                                                               : f.background().color().name())
                    .arg(f.isAnchor() ? f.anchorHref() : QString());
            for (QChar c : it.fragment().text())
                lines << QString(c) + u' ' + line;
        }
    }
    return lines;
}

QStringList sampleFiles()
{
    QStringList files;
    for (const char *folder : {"generated", "peer", "abiword"}) {
        const QDir dir(QStringLiteral(SCRIVANE_TEST_DATA_DIR "/rtf/") + QLatin1String(folder));
        for (const QString &name :
            dir.entryList({QStringLiteral("*.rtf")}, QDir::Files, QDir::Name))
            files << dir.filePath(name);
    }
    return files;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

} // namespace

class TestRtfWriter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void whole_data();
    void whole();
    void escaping_data();
    void escaping();
    void characterFormat_data();
    void characterFormat();
    void paragraphFormat_data();
    void paragraphFormat();
    void lists_data();
    void lists();
    void links_data();
    void links();
    void tables_data();
    void tables();
    void pictures_data();
    void pictures();
    void readBack_data();
    void readBack();
    void sampleStability_data();
    void sampleStability();
};

void TestRtfWriter::whole_data()
{
    QTest::addColumn<Builder>("build");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray header = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil\\fcharset0 "
                              "Arial;}}\r\n{\\colortbl ;}\r\n\\viewkind4\\uc1";
    QTest::newRow("empty document")
        << Builder([](QTextDocument &) {}) << header + "\\pard\\f0\\fs24}\r\n";
    QTest::newRow("one paragraph")
        << plainText(QStringLiteral("Hello")) << header + "\\pard\\f0\\fs24 Hello}\r\n";
    QTest::newRow("two paragraphs, CR LF after the \\par") << plainText(
        QStringLiteral("One\nTwo")) << header + "\\pard\\f0\\fs24 One\\par\r\nTwo}\r\n";
    QTest::newRow("empty last paragraph is kept")
        << plainText(QStringLiteral("One\n")) << header + "\\pard\\f0\\fs24 One\\par\r\n}\r\n";
    QTest::newRow("second font and a colour enter the tables")
        << Builder([](QTextDocument &document) {
               QTextCursor cursor(&document);
               QTextCharFormat format;
               format.setFontFamilies({QStringLiteral("Courier New")});
               format.setForeground(QColor(0, 128, 255));
               cursor.insertText(QStringLiteral("x"), format);
           })
        << QByteArray(
               "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil\\fcharset0 Arial;}"
               "{\\f1\\fnil\\fcharset0 Courier New;}}\r\n{\\colortbl ;\\red0\\green128\\blue255;}"
               "\r\n\\viewkind4\\uc1\\pard\\f1\\fs24\\cf1 x}\r\n");
    QTest::newRow("font name: semicolon dropped, quote as hex")
        << Builder([](QTextDocument &document) {
               QFont font(QStringLiteral("My;\"Font\""));
               font.setPointSize(12);
               document.setDefaultFont(font);
           })
        << QByteArray(
               "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil\\fcharset0 "
               "My\\'22Font\\'22;}}\r\n{\\colortbl ;}\r\n\\viewkind4\\uc1\\pard\\f0\\fs24}\r\n");
}

void TestRtfWriter::whole()
{
    QFETCH(Builder, build);
    QFETCH(QByteArray, expected);
    QCOMPARE(writeBuilt(build), expected);
}

void TestRtfWriter::escaping_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("printable ASCII")
        << QStringLiteral("Hi, you! (1+2=3) ~ ^ ' ; @") << QByteArray("Hi, you! (1+2=3) ~ ^ ' ; @");
    QTest::newRow("backslash and braces")
        << QStringLiteral("a\\b{c}") << QByteArray("a\\\\b\\{c\\}");
    QTest::newRow("double quote stays itself")
        << QStringLiteral("say \"hi\"") << QByteArray("say \"hi\"");
    QTest::newRow("curly double quotes, always a blank")
        << QStringLiteral("\u201cHi\u201d.") << QByteArray("\\ldblquote Hi\\rdblquote .");
    QTest::newRow("curly single quotes")
        << QStringLiteral("\u2018x\u2019s") << QByteArray("\\lquote x\\rquote s");
    QTest::newRow("word before punctuation needs no blank")
        << QStringLiteral("it\u2019.") << QByteArray("it\\rquote.");
    QTest::newRow("dashes and bullet") << QStringLiteral("a\u2013b\u2014c\u2022d")
                                       << QByteArray("a\\endash b\\emdash c\\bullet d");
    QTest::newRow("blank after a word is doubled")
        << QStringLiteral("\u2014 x") << QByteArray("\\emdash  x");
    QTest::newRow("digit and hyphen after a word")
        << QStringLiteral("\t1\t-2") << QByteArray("\\tab 1\\tab -2");
    QTest::newRow("tab, no-break space, line break")
        << QStringLiteral("a\tb\u00a0c\u2028d") << QByteArray("a\\tab b\\~c\\line d");
    QTest::newRow("Windows-1252 upper half")
        << QStringLiteral("\u00e9t\u00e9 \u00ff\u00a9") << QByteArray("\\'e9t\\'e9 \\'ff\\'a9");
    QTest::newRow("Windows-1252 80-9F")
        << QStringLiteral("\u20ac\u2122\u0153\u0178") << QByteArray("\\'80\\'99\\'9c\\'9f");
    QTest::newRow("outside the code page")
        << QStringLiteral("\u03a9\u0100\u4e2d") << QByteArray("\\u937?\\u256?\\u20013?");
    QTest::newRow("C1 control is not the code page's byte")
        << QStringLiteral("\u0081") << QByteArray("\\u129?");
    QTest::newRow("C1 controls where the code page leaves its bytes undefined")
        << QStringLiteral("\u008d\u008f\u0090\u009d") << QByteArray("\\u141?\\u143?\\u144?\\u157?");
    QTest::newRow("signed 16-bit boundary")
        << QStringLiteral("\u7fff\u8000\uffef") << QByteArray("\\u32767?\\u-32768?\\u-17?");
    QTest::newRow("beyond the BMP: surrogate pair")
        << QStringLiteral("x\U0001F600y") << QByteArray("x\\u-10179?\\u-8704?y");
    QTest::newRow("C0 controls dropped") << QStringLiteral("a\u0001b\u001fc") << QByteArray("abc");
}

void TestRtfWriter::escaping()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, expected);
    const QByteArray body = bodyOf(writeBuilt(plainText(text)));
    QCOMPARE(
        body, "\\pard\\f0\\fs24" + QByteArray(expected.startsWith('\\') ? "" : " ") + expected);
}

void TestRtfWriter::characterFormat_data()
{
    QTest::addColumn<QTextCharFormat>("format");
    QTest::addColumn<QByteArray>("expected");

    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    QTest::newRow("bold") << bold << QByteArray(" a \\b b\\b0  c");
    QTextCharFormat italic;
    italic.setFontItalic(true);
    QTest::newRow("italic") << italic << QByteArray(" a \\i b\\i0  c");
    QTextCharFormat underline;
    underline.setFontUnderline(true);
    QTest::newRow("underline") << underline << QByteArray(" a \\ul b\\ulnone  c");
    QTextCharFormat strike;
    strike.setFontStrikeOut(true);
    QTest::newRow("strike") << strike << QByteArray(" a \\strike b\\strike0  c");
    QTextCharFormat super;
    super.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    QTest::newRow("superscript") << super << QByteArray(" a \\super b\\nosupersub  c");
    QTextCharFormat sub;
    sub.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    QTest::newRow("subscript") << sub << QByteArray(" a \\sub b\\nosupersub  c");
    QTextCharFormat size;
    size.setFontPointSize(10.5);
    QTest::newRow("size in half-points") << size << QByteArray(" a \\fs21 b\\fs24  c");
    QTextCharFormat pixels;
    pixels.setProperty(QTextFormat::FontPixelSize, 20);
    QTest::newRow("pixel size as points") << pixels << QByteArray(" a \\fs30 b\\fs24  c");
    QTextCharFormat heading;
    heading.setProperty(QTextFormat::FontSizeAdjustment, 3);
    QTest::newRow("HTML heading size") << heading << QByteArray(" a \\fs48 b\\fs24  c");
    QTextCharFormat family;
    family.setFontFamilies({QStringLiteral("Courier New")});
    QTest::newRow("font") << family << QByteArray(" a \\f1 b\\f0  c");
    QTextCharFormat colour;
    colour.setForeground(QColor(Qt::red));
    QTest::newRow("colour") << colour << QByteArray(" a \\cf1 b\\cf0  c");
    QTextCharFormat background;
    background.setBackground(QColor(Qt::yellow));
    QTest::newRow("background") << background << QByteArray(" a \\highlight1 b\\highlight0  c");
    QTextCharFormat transparent;
    transparent.setBackground(QColor(Qt::transparent));
    QTest::newRow("transparent background is none, not black")
        << transparent << QByteArray(" a b c");
    QTextCharFormat several;
    several.setFontWeight(QFont::Bold);
    several.setFontItalic(true);
    several.setFontPointSize(8);
    QTest::newRow("several at once") << several << QByteArray(" a \\fs16\\b\\i b\\fs24\\b0\\i0  c");
}

void TestRtfWriter::characterFormat()
{
    QFETCH(QTextCharFormat, format);
    QFETCH(QByteArray, expected);
    QCOMPARE(bodyOf(writeBuilt(formatted(format))), "\\pard\\f0\\fs24" + expected);
}

void TestRtfWriter::paragraphFormat_data()
{
    QTest::addColumn<QTextBlockFormat>("format");
    QTest::addColumn<QByteArray>("expected");

    QTextBlockFormat centre;
    centre.setAlignment(Qt::AlignHCenter);
    QTest::newRow("centred") << centre << QByteArray("\\pard\\qc\\f0\\fs24 x");
    QTextBlockFormat right;
    right.setAlignment(Qt::AlignRight);
    QTest::newRow("right") << right << QByteArray("\\pard\\qr\\f0\\fs24 x");
    QTextBlockFormat justify;
    justify.setAlignment(Qt::AlignJustify);
    QTest::newRow("justified") << justify << QByteArray("\\pard\\qj\\f0\\fs24 x");
    QTextBlockFormat indents;
    indents.setLeftMargin(20);
    indents.setRightMargin(10);
    indents.setTextIndent(-8);
    QTest::newRow("indents in twips")
        << indents << QByteArray("\\pard\\li300\\ri150\\fi-120\\f0\\fs24 x");
    QTextBlockFormat indentLevel;
    indentLevel.setIndent(2);
    QTest::newRow("indent level counts indent widths")
        << indentLevel << QByteArray("\\pard\\li1200\\f0\\fs24 x");
    QTextBlockFormat spacing;
    spacing.setTopMargin(4);
    spacing.setBottomMargin(12.5);
    QTest::newRow("spacing, rounded") << spacing << QByteArray("\\pard\\sb60\\sa188\\f0\\fs24 x");
    QTextBlockFormat pageBreak;
    pageBreak.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    QTest::newRow("page break before") << pageBreak << QByteArray("\\pard\\page\\f0\\fs24 x");
}

void TestRtfWriter::paragraphFormat()
{
    QFETCH(QTextBlockFormat, format);
    QFETCH(QByteArray, expected);
    // The same format twice: the second paragraph reuses it without \pard.
    const QByteArray body = bodyOf(writeBuilt([format](QTextDocument &document) {
        QTextCursor cursor(&document);
        cursor.setBlockFormat(format);
        cursor.insertText(QStringLiteral("x"));
        cursor.insertBlock(format);
        cursor.insertText(QStringLiteral("y"));
        cursor.insertBlock(QTextBlockFormat());
        cursor.insertText(QStringLiteral("z"));
    }));
    // A page break is no paragraph property: the plain third paragraph needs no \pard then.
    const bool pageBreak = format.pageBreakPolicy() != QTextFormat::PageBreak_Auto;
    QCOMPARE(body,
        expected + "\\par\r\n" + (pageBreak ? "\\page y" : "y") + "\\par\r\n"
            + (pageBreak ? "z" : "\\pard z"));
}

void TestRtfWriter::lists_data()
{
    QTest::addColumn<int>("style");
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<QByteArray>("firstItem");
    QTest::addColumn<QByteArray>("secondItem");
    QTest::addColumn<QByteArray>("level");

    QTest::newRow("bullets") << int(QTextListFormat::ListDisc) << QString()
                             << QByteArray("\\pard\\li600\\fi-360\\ls1\\ilvl0\\f0\\fs24{\\listtext "
                                           "\\bullet\\tab}one\\par\r\n")
                             << QByteArray("{\\listtext \\bullet\\tab}two\\par\r\n")
                             << QByteArray(
                                    "{\\listlevel\\levelnfc23\\leveljc0\\levelfollow0"
                                    "\\levelstartat1{\\leveltext\\'01\\'95;}{\\levelnumbers;}"
                                    "\\fi-360\\li600}");
    QTest::newRow("circles") << int(QTextListFormat::ListCircle) << QString()
                             << QByteArray("{\\listtext \\u9702?\\tab}one")
                             << QByteArray("{\\listtext \\u9702?\\tab}two")
                             << QByteArray("{\\leveltext\\'01\\u9702?;}");
    QTest::newRow("decimal, default suffix")
        << int(QTextListFormat::ListDecimal) << QString() << QByteArray("{\\listtext 1.\\tab}one")
        << QByteArray("{\\listtext 2.\\tab}two")
        << QByteArray("\\levelnfc0\\leveljc0\\levelfollow0\\levelstartat1"
                      "{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}");
    QTest::newRow("roman with a bracket")
        << int(QTextListFormat::ListLowerRoman) << QStringLiteral(")")
        << QByteArray("{\\listtext i)\\tab}one") << QByteArray("{\\listtext ii)\\tab}two")
        << QByteArray("\\levelnfc2\\leveljc0");
}

void TestRtfWriter::lists()
{
    QFETCH(int, style);
    QFETCH(QString, suffix);
    QFETCH(QByteArray, firstItem);
    QFETCH(QByteArray, secondItem);
    QFETCH(QByteArray, level);
    const QByteArray rtf = writeBuilt([&](QTextDocument &document) {
        QTextCursor cursor(&document);
        QTextListFormat format;
        format.setStyle(QTextListFormat::Style(style));
        if (!suffix.isEmpty())
            format.setNumberSuffix(suffix);
        cursor.createList(format);
        cursor.insertText(QStringLiteral("one"));
        cursor.insertBlock();
        cursor.insertText(QStringLiteral("two"));
        cursor.insertBlock(QTextBlockFormat());
        cursor.insertText(QStringLiteral("after"));
    });
    QVERIFY2(rtf.contains(firstItem), rtf.constData());
    QVERIFY2(rtf.contains(secondItem), rtf.constData());
    QVERIFY2(rtf.contains(level), rtf.constData());
    QVERIFY(
        rtf.contains("{\\*\\listoverridetable{\\listoverride\\listid1\\listoverridecount0\\ls1}}"));
    // The paragraph after the list leaves it.
    QVERIFY2(rtf.contains("\\pard after}"), rtf.constData());
}

void TestRtfWriter::links_data()
{
    QTest::addColumn<QString>("href");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("web address")
        << QStringLiteral("https://example.org/a?b=1&c=2")
        << QByteArray("{\\field{\\*\\fldinst HYPERLINK \\'22https://example.org/a?b=1&c=2\\'22}"
                      "{\\fldrslt{\\ul\\cf1 link}}}");
    QTest::newRow("quote in the address becomes %22")
        << QStringLiteral("https://example.org/\"x\"")
        << QByteArray("HYPERLINK \\'22https://example.org/%22x%22\\'22}");
    QTest::newRow("backslash and non-ASCII in the address") << QStringLiteral(
        "file:C:\\a\u00e9\u03a9") << QByteArray("HYPERLINK \\'22file:C:\\\\a\\'e9\\u937?\\'22}");
}

void TestRtfWriter::links()
{
    QFETCH(QString, href);
    QFETCH(QByteArray, expected);
    const QByteArray rtf = writeBuilt([href](QTextDocument &document) {
        QTextCursor cursor(&document);
        cursor.insertText(QStringLiteral("see "));
        QTextCharFormat link;
        link.setAnchor(true);
        link.setAnchorHref(href);
        link.setFontUnderline(true);
        link.setForeground(QColor(Qt::blue));
        cursor.insertText(QStringLiteral("link"), link);
        cursor.insertText(QStringLiteral(" after"), QTextCharFormat());
    });
    QVERIFY2(rtf.contains(expected), rtf.constData());
    // The save turns double quotes into apostrophes; a link's own must not be bytes.
    QVERIFY(!rtf.contains('"'));
    // The field's group ends the link's formatting: nothing is switched off after it.
    QVERIFY2(rtf.contains("}}} after}"), rtf.constData());
}

void TestRtfWriter::tables_data()
{
    QTest::addColumn<Builder>("build");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("2 by 2, page width shared")
        << Builder([](QTextDocument &document) {
               QTextCursor cursor(&document);
               QTextTable *table = cursor.insertTable(2, 2);
               table->cellAt(0, 0).firstCursorPosition().insertText(QStringLiteral("a"));
               table->cellAt(0, 1).firstCursorPosition().insertText(QStringLiteral("b"));
               table->cellAt(1, 0).firstCursorPosition().insertText(QStringLiteral("c"));
           })
        << QByteArray(
               "\\pard\\f0\\fs24\\par\r\n"
               "\\trowd\\cellx4680\\cellx9360\r\n\\pard\\intbl a\\cell\r\nb\\cell\r\n\\row\r\n"
               "\\trowd\\cellx4680\\cellx9360\r\nc\\cell\r\n\\cell\r\n\\row\r\n\\pard");
    QTest::newRow("fixed and percentage widths") << Builder([](QTextDocument &document) {
        QTextTableFormat format;
        format.setColumnWidthConstraints({QTextLength(QTextLength::FixedLength, 100),
            QTextLength(QTextLength::PercentageLength, 25),
            QTextLength(QTextLength::VariableLength, 0)});
        QTextCursor(&document).insertTable(1, 3, format);
    }) << QByteArray("\\trowd\\cellx1500\\cellx3840\\cellx9360\r\n");
    QTest::newRow("document width shared") << Builder([](QTextDocument &document) {
        document.setTextWidth(300);
        QTextCursor(&document).insertTable(1, 3);
    }) << QByteArray("\\trowd\\cellx1500\\cellx3000\\cellx4500\r\n");
    QTest::newRow("column span is one wider cell")
        << Builder([](QTextDocument &document) {
               QTextTable *table = QTextCursor(&document).insertTable(2, 3);
               table->mergeCells(0, 0, 1, 2);
               table->cellAt(0, 0).firstCursorPosition().insertText(QStringLiteral("wide"));
           })
        << QByteArray("\\trowd\\cellx6240\\cellx9360\r\n\\pard\\intbl wide\\cell\r\n\\cell\r\n\\row"
                      "\r\n\\trowd\\cellx3120\\cellx6240\\cellx9360\r\n");
    QTest::newRow("row span merges vertically")
        << Builder([](QTextDocument &document) {
               QTextTable *table = QTextCursor(&document).insertTable(2, 2);
               table->mergeCells(0, 0, 2, 1);
               table->cellAt(0, 0).firstCursorPosition().insertText(QStringLiteral("tall"));
           })
        << QByteArray("\\trowd\\clvmgf\\cellx4680\\cellx9360\r\n\\pard\\intbl tall\\cell\r\n\\cell"
                      "\r\n\\row\r\n\\trowd\\clvmrg\\cellx4680\\cellx9360\r\n\\cell\r\n\\cell\r\n"
                      "\\row\r\n");
    QTest::newRow("two paragraphs in a cell") << Builder([](QTextDocument &document) {
        QTextTable *table = QTextCursor(&document).insertTable(1, 1);
        table->cellAt(0, 0).firstCursorPosition().insertText(QStringLiteral("p1\np2"));
    }) << QByteArray("\\pard\\intbl p1\\par\r\np2\\cell\r\n\\row\r\n");
    QTest::newRow("table in a table: its text stays in the outer cell")
        << Builder([](QTextDocument &document) {
               QTextTable *outer = QTextCursor(&document).insertTable(1, 1);
               QTextCursor cursor = outer->cellAt(0, 0).firstCursorPosition();
               QTextTable *inner = cursor.insertTable(1, 2);
               inner->cellAt(0, 0).firstCursorPosition().insertText(QStringLiteral("x"));
               inner->cellAt(0, 1).firstCursorPosition().insertText(QStringLiteral("y"));
           })
        << QByteArray("\\trowd\\cellx9360\r\n\\pard\\intbl\\par\r\nx\\par\r\ny\\par\r\n\\cell\r\n"
                      "\\row\r\n");
}

void TestRtfWriter::tables()
{
    QFETCH(Builder, build);
    QFETCH(QByteArray, expected);
    const QByteArray rtf = writeBuilt(build);
    QVERIFY2(rtf.contains(expected), rtf.constData());
}

void TestRtfWriter::pictures_data()
{
    QTest::addColumn<QVariant>("resource");
    QTest::addColumn<QSizeF>("shownSize");
    QTest::addColumn<QByteArray>("expectedWords");

    const QImage image = testImage();
    QTest::newRow("QImage resource, own size")
        << QVariant(image) << QSizeF()
        << QByteArray("{\\pict\\pngblip\\picw3\\pich2\\picwgoal45\\pichgoal30\r\n");
    QTest::newRow("shown size from the format")
        << QVariant(image) << QSizeF(30, 20)
        << QByteArray("{\\pict\\pngblip\\picw3\\pich2\\picwgoal450\\pichgoal300\r\n");
    QTest::newRow("width only: height in proportion")
        << QVariant(image) << QSizeF(6, 0)
        << QByteArray("{\\pict\\pngblip\\picw3\\pich2\\picwgoal90\\pichgoal60\r\n");
    QTest::newRow("PNG bytes resource")
        << QVariant(pngOf(image)) << QSizeF() << QByteArray("{\\pict\\pngblip\\picw3\\pich2");
    QTest::newRow("damaged bytes: nothing written")
        << QVariant(QByteArray("\x89PNG\r\n\x1a\nrubbish")) << QSizeF() << QByteArray();
    QTest::newRow("missing image: nothing written") << QVariant() << QSizeF() << QByteArray();
}

void TestRtfWriter::pictures()
{
    QFETCH(QVariant, resource);
    QFETCH(QSizeF, shownSize);
    QFETCH(QByteArray, expectedWords);
    const QByteArray rtf = writeBuilt([&](QTextDocument &document) {
        const QUrl name(QStringLiteral("topic-image:1"));
        if (resource.isValid())
            document.addResource(QTextDocument::ImageResource, name, resource);
        QTextImageFormat format;
        format.setName(name.toString());
        if (shownSize.width() > 0)
            format.setWidth(shownSize.width());
        if (shownSize.height() > 0)
            format.setHeight(shownSize.height());
        QTextCursor cursor(&document);
        cursor.insertText(QStringLiteral("a"));
        cursor.insertImage(format);
        cursor.insertText(QStringLiteral("b"));
    });
    if (expectedWords.isEmpty()) {
        QCOMPARE(bodyOf(rtf), QByteArray("\\pard\\f0\\fs24 ab"));
        return;
    }
    QVERIFY2(rtf.contains(expectedWords), rtf.constData());
    const QByteArray png = pictureBytes(rtf);
    if (resource.typeId() == QMetaType::QByteArray)
        QCOMPARE(png, resource.toByteArray());
    QCOMPARE(QImage::fromData(png, "PNG").convertToFormat(QImage::Format_RGB32), testImage());
    // Lower-case hex, lines of 128 characters.
    const qsizetype start = rtf.indexOf("\r\n", rtf.indexOf("{\\pict")) + 2;
    const QList<QByteArray> lines = rtf.mid(start, rtf.indexOf('}', start) - start).split('\n');
    QVERIFY(lines.size() >= 2);
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        const QByteArray line = lines[i].chopped(1);
        QVERIFY(line.size() == 128 || i + 2 == lines.size());
        QVERIFY(QRegularExpression(QStringLiteral("^[0-9a-f]+$"))
                    .match(QString::fromLatin1(line))
                    .hasMatch());
    }
    QVERIFY(rtf.endsWith("\r\n}b}\r\n"));
}

void TestRtfWriter::readBack_data()
{
    QTest::addColumn<Builder>("build");

    QTest::newRow("special characters") << plainText(
        QStringLiteral("a\\b{c}\"d\" \u201ce\u201d \u2018f\u2019 \u2013\u2014\u2022 \u00a0 \t "
                       "\u00e9\u20ac\u03a9\U0001F600 x\u2028y"));
    QTest::newRow("paragraphs and empty ones") << plainText(QStringLiteral("\none\n\ntwo\n"));
    QTest::newRow("character formatting") << Builder([](QTextDocument &document) {
        QTextCursor cursor(&document);
        QTextCharFormat format;
        format.setFontWeight(QFont::Bold);
        cursor.insertText(QStringLiteral("bold "), format);
        format.setFontItalic(true);
        format.setFontPointSize(15);
        cursor.insertText(QStringLiteral("bold italic "), format);
        format = QTextCharFormat();
        format.setFontUnderline(true);
        format.setFontStrikeOut(true);
        format.setForeground(QColor(200, 10, 20));
        format.setBackground(QColor(Qt::yellow));
        cursor.insertText(QStringLiteral("marked "), format);
        format = QTextCharFormat();
        format.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
        format.setFontFamilies({QStringLiteral("Courier New")});
        cursor.insertText(QStringLiteral("up"), format);
    });
    QTest::newRow("paragraph formatting") << Builder([](QTextDocument &document) {
        QTextCursor cursor(&document);
        QTextBlockFormat format;
        format.setAlignment(Qt::AlignHCenter);
        format.setLeftMargin(20);
        format.setRightMargin(4);
        format.setTextIndent(-10);
        format.setTopMargin(6);
        format.setBottomMargin(8);
        cursor.setBlockFormat(format);
        cursor.insertText(QStringLiteral("centred"));
        format = QTextBlockFormat();
        format.setAlignment(Qt::AlignJustify);
        cursor.insertBlock(format);
        cursor.insertText(QStringLiteral("justified"));
        format.setAlignment(Qt::AlignRight);
        cursor.insertBlock(format);
        cursor.insertText(QStringLiteral("right"));
        format = QTextBlockFormat();
        format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        cursor.insertBlock(format);
        cursor.insertText(QStringLiteral("new page"));
    });
    QTest::newRow("picture") << Builder([](QTextDocument &document) {
        document.addResource(
            QTextDocument::ImageResource, QUrl(QStringLiteral("img:1")), testImage());
        QTextImageFormat format;
        format.setName(QStringLiteral("img:1"));
        format.setWidth(30);
        format.setHeight(20);
        QTextCursor cursor(&document);
        cursor.insertText(QStringLiteral("before "));
        cursor.insertImage(format);
        cursor.insertText(QStringLiteral(" after"));
    });
    QTest::newRow("table") << Builder([](QTextDocument &document) {
        QTextCursor cursor(&document);
        cursor.insertText(QStringLiteral("above"));
        QTextTable *table = cursor.insertTable(2, 2);
        table->cellAt(0, 0).firstCursorPosition().insertText(QStringLiteral("a"));
        table->cellAt(0, 1).firstCursorPosition().insertText(QStringLiteral("b"));
        table->cellAt(1, 1).firstCursorPosition().insertText(QStringLiteral("d"));
        QTextCursor end(&document);
        end.movePosition(QTextCursor::End);
        end.insertText(QStringLiteral("below"));
    });
    QTest::newRow("table last, its last cell aligned") << Builder([](QTextDocument &document) {
        QTextTable *table = QTextCursor(&document).insertTable(1, 2);
        QTextCursor cell = table->cellAt(0, 1).firstCursorPosition();
        QTextBlockFormat right;
        right.setAlignment(Qt::AlignRight);
        cell.setBlockFormat(right);
        cell.insertText(QStringLiteral("right"));
    });
    QTest::newRow("every character of the Windows-1252 upper half")
        << Builder([](QTextDocument &document) {
               QByteArray upperHalf;
               for (int byte = 0x80; byte <= 0xff; ++byte)
                   upperHalf.append(static_cast<char>(byte));
               QTextCursor(&document).insertText(QStringDecoder("windows-1252").decode(upperHalf));
           });
    QTest::newRow("link between text") << Builder([](QTextDocument &document) {
        QTextCursor cursor(&document);
        cursor.insertText(QStringLiteral("see "));
        QTextCharFormat link;
        link.setAnchor(true);
        link.setAnchorHref(QStringLiteral("https://example.org/x?y=1"));
        link.setFontUnderline(true);
        cursor.insertText(QStringLiteral("here"), link);
        cursor.insertText(QStringLiteral(" now"), QTextCharFormat());
    });
}

void TestRtfWriter::readBack()
{
    QFETCH(Builder, build);
    QTextDocument original;
    prepare(original);
    build(original);
    const QByteArray rtf = RtfWriter::write(original);
    QTextDocument copy;
    prepare(copy);
    const richtext::RtfReadReport report = RtfReader::read(rtf, &copy);
    QVERIFY(report.wasRtf);
    QCOMPARE(report.problem, QString());
    QCOMPARE(copy.toPlainText(), original.toPlainText());
    QCOMPARE(copy.blockCount(), original.blockCount());
    QCOMPARE(formatting(copy), formatting(original));
    // What was read back writes the same bytes again.
    QCOMPARE(RtfWriter::write(copy), rtf);
}

void TestRtfWriter::sampleStability_data()
{
    QTest::addColumn<QString>("path");
    const QStringList files = sampleFiles();
    QVERIFY(files.size() >= 40);
    for (const QString &path : files)
        QTest::newRow(qPrintable(QFileInfo(path).fileName())) << path;
}

void TestRtfWriter::sampleStability()
{
    QFETCH(QString, path);
    const QByteArray input = readFile(path);
    QVERIFY(!input.isEmpty());
    QTextDocument first;
    (void)RtfReader::read(input, &first);
    const QByteArray once = RtfWriter::write(first);
    QTextDocument second;
    (void)RtfReader::read(once, &second);
    const QByteArray twice = RtfWriter::write(second);

    QVERIFY(once.endsWith("}\r\n"));
    // The save turns every double quote into an apostrophe: none may come from the writer.
    if (!first.toPlainText().contains(u'"'))
        QVERIFY(!once.contains('"'));

    QString difference;
    if (once != twice) {
        // RTF_WRITER_DUMP=1 keeps both in the temporary folder for diffing.
        if (qEnvironmentVariableIsSet("RTF_WRITER_DUMP")) {
            QFile a(QDir::temp().filePath(QFileInfo(path).baseName() + ".once.rtf"));
            QFile b(QDir::temp().filePath(QFileInfo(path).baseName() + ".twice.rtf"));
            if (a.open(QIODevice::WriteOnly) && b.open(QIODevice::WriteOnly)) {
                a.write(once);
                b.write(twice);
            }
        }
        qsizetype at = 0;
        while (at < once.size() && at < twice.size() && once[at] == twice[at])
            ++at;
        const qsizetype from = std::max<qsizetype>(0, at - 40);
        difference = QStringLiteral("first difference at byte %1: \"%2\" vs \"%3\"")
                         .arg(at)
                         .arg(QString::fromLatin1(once.mid(from, 80)),
                             QString::fromLatin1(twice.mid(from, 80)));
    }
    QVERIFY2(once == twice, qPrintable(difference));
    QCOMPARE(second.toPlainText(), first.toPlainText());
}

QTEST_MAIN(TestRtfWriter)
#include "tst_rtf_writer.moc"
