#include "richtext/rtf_reader.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextTable>
#include <QtTest>

using richtext::RtfReader;
using richtext::RtfReadReport;

namespace {

// The character format of the fragment that holds the given text.
QTextCharFormat formatOf(const QTextDocument &document, const QString &text)
{
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.text().contains(text))
                return fragment.charFormat();
        }
    }
    return {};
}

// The first block that holds the given text (tables included).
QTextBlock blockWith(const QTextDocument &document, const QString &text)
{
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block.text().contains(text))
            return block;
    }
    return {};
}

QTextTable *firstTable(QTextDocument &document)
{
    for (QTextFrame *frame : document.rootFrame()->childFrames()) {
        if (auto *table = qobject_cast<QTextTable *>(frame))
            return table;
    }
    return nullptr;
}

QList<QTextImageFormat> images(const QTextDocument &document)
{
    QList<QTextImageFormat> found;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (format.isImageFormat())
                found.append(format.toImageFormat());
        }
    }
    return found;
}

QByteArray pngHex(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png.toHex();
}

QByteArray pngBytes(QSize size)
{
    return QByteArray::fromHex(pngHex(size));
}

// A property of a character format: a colour, no value (not stated), or the value itself.
void compareCharProperty(const QTextCharFormat &format, int property, const QVariant &expected)
{
    if (expected.typeId() == QMetaType::QColor) {
        QCOMPARE(format.brushProperty(property).color(), expected.value<QColor>());
    } else if (!expected.isValid()) {
        QVERIFY2(!format.hasProperty(property), qPrintable(format.property(property).toString()));
    } else if (property == QTextFormat::FontWeight) {
        QCOMPARE(format.fontWeight(), expected.toInt());
    } else if (expected.typeId() == QMetaType::Double) {
        QCOMPARE(format.doubleProperty(property), expected.toDouble());
    } else if (property == QTextFormat::FontFamilies) {
        QCOMPARE(format.fontFamilies().toStringList(), expected.toStringList());
    } else {
        QCOMPARE(format.property(property), expected);
    }
}

void compareBlockProperty(const QTextBlockFormat &format, int property, const QVariant &expected)
{
    if (!expected.isValid())
        QVERIFY(!format.hasProperty(property) || format.intProperty(property) == 0);
    else if (expected.typeId() == QMetaType::Double)
        QCOMPARE(format.doubleProperty(property), expected.toDouble());
    else
        QCOMPARE(format.intProperty(property), expected.toInt());
}

QString plainTextOf(const QByteArray &rtf, RtfReadReport *report = nullptr)
{
    QTextDocument document;
    const RtfReadReport result = RtfReader::read(rtf, &document);
    if (report)
        *report = result;
    return document.toPlainText();
}

} // namespace

class TestRtfReader : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void plainText_data();
    void plainText();
    void charFormat_data();
    void charFormat();
    void blockFormat_data();
    void blockFormat();
    void styleCharFormat_data();
    void styleCharFormat();
    void styleBlockFormat_data();
    void styleBlockFormat();
    void styleSheetStaysBounded_data();
    void styleSheetStaysBounded();
    void tabStops_data();
    void tabStops();
    void table_data();
    void table();
    void picture_data();
    void picture();
    void link_data();
    void link();
    void problems_data();
    void problems();
    void deepNesting();
    void damagedInputStaysBounded_data();
    void damagedInputStaysBounded();
    void oversizedTableKeepsItsText();
    void fuzzRegressions_data();
    void fuzzRegressions();
    void insertAtCursor_data();
    void insertAtCursor();
    void readIsOneUndoStep();
};

void TestRtfReader::plainText_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("expected");

    QTest::newRow("paragraphs") << QByteArray("{\\rtf1 one\\par two}")
                                << QStringLiteral("one\ntwo");
    QTest::newRow("line break and tab")
        << QByteArray("{\\rtf1 a\\line b\\tab c}") << QStringLiteral("a\nb\tc");
    QTest::newRow("rtf without version number")
        << QByteArray("{\\rtf text}") << QStringLiteral("text");
    QTest::newRow("leading white space before the header")
        << QByteArray(" \r\n{\\rtf1 x}") << QStringLiteral("x");
    QTest::newRow("escaped braces and backslash")
        << QByteArray("{\\rtf1 \\{a\\}\\\\}") << QStringLiteral("{a}\\");
    QTest::newRow("named characters")
        << QByteArray("{\\rtf1 \\ldblquote q\\rdblquote \\lquote \\rquote \\emdash \\endash "
                      "\\bullet \\~\\_\\-}")
        << QStringLiteral("\u201cq\u201d\u2018\u2019\u2014\u2013\u2022 \u2011\u00ad");
    QTest::newRow("hex in Windows-1252 by default")
        << QByteArray("{\\rtf1\\ansi caf\\'e9 \\'80}") << QStringLiteral("caf\u00e9 \u20ac");
    QTest::newRow("ansicpg1251") << QByteArray("{\\rtf1\\ansi\\ansicpg1251 \\'e0\\'e1}")
                                 << QStringLiteral("\u0430\u0431");
    QTest::newRow("fcharset204 without ansicpg") << QByteArray(
        "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset204 Arial Cyr;}}"
        "\\f0 \\'e0{\\f1 \\'e0}}") << QStringLiteral("\u00e0\u0430");
    QTest::newRow("cpg overrides fcharset")
        << QByteArray("{\\rtf1{\\fonttbl{\\f0\\fcharset0\\cpg1253 Greek;}}\\f0 \\'e1}")
        << QStringLiteral("\u03b1");
    QTest::newRow("Shift_JIS hex pair")
        << QByteArray("{\\rtf1{\\fonttbl{\\f0\\fcharset128 MS Mincho;}}\\f0 \\'93\\'fa\\'96\\'7b}")
        << QStringLiteral("\u65e5\u672c");
    QTest::newRow("Shift_JIS lead hex with ASCII trail")
        << QByteArray("{\\rtf1\\ansicpg932 \\'83A}") << QStringLiteral("\u30a2");
    QTest::newRow("Shift_JIS raw bytes with backslash trail")
        << QByteArray("{\\rtf1{\\fonttbl{\\f0\\fcharset128 Gothic;}}\\f0 \x95\x5c\r\n\\par x}")
        << QStringLiteral("\u8868\nx");
    QTest::newRow("Big5 with uc2 fallback")
        << QByteArray("{\\rtf1\\ansicpg950\\uc2 \\u20013\\'a4\\'a4 x}")
        << QStringLiteral("\u4e2d x");
    QTest::newRow("uc0 skips nothing")
        << QByteArray("{\\rtf1\\uc0\\u233 x}") << QStringLiteral("\u00e9x");
    QTest::newRow("u fallback is skipped")
        << QByteArray("{\\rtf1 \\u233?x\\u8220\\'93y}") << QStringLiteral("\u00e9x\u201cy");
    QTest::newRow("skipped fallback may be an escaped brace")
        << QByteArray("{\\rtf1 \\u381\\'7d\\u269\\'0dz}") << QStringLiteral("\u017d\u010dz");
    QTest::newRow("u negative") << QByteArray("{\\rtf1 \\u-3913 ?}") << QStringLiteral("\uf0b7");
    QTest::newRow("surrogate pair")
        << QByteArray("{\\rtf1 \\u-10179?\\u-8704?}") << QStringLiteral("\U0001f600");
    QTest::newRow("lone surrogate replaced")
        << QByteArray("{\\rtf1 \\u-10179?x}") << QStringLiteral("\ufffdx");
    QTest::newRow("uc scoped to its group")
        << QByteArray("{\\rtf1 {\\uc2\\u233 ab}\\u233 ab}") << QStringLiteral("\u00e9\u00e9b");
    QTest::newRow("hidden text") << QByteArray("{\\rtf1 shown {\\v hidden}\\v also\\v0 again}")
                                 << QStringLiteral("shown again");
    QTest::newRow("nested hidden text")
        << QByteArray("{\\rtf1 a{\\v b{\\xe {\\v c}}d}e}") << QStringLiteral("ae");
    QTest::newRow("footnote left out, its number kept") << QByteArray(
        "{\\rtf1 text{\\super\\chftn}{\\footnote\\pard {\\super\\chftn} note}"
        " more}") << QStringLiteral("text1 more");
    QTest::newRow("header, footer and info left out")
        << QByteArray("{\\rtf1{\\info{\\title T}}{\\header H}{\\footerr F}body}")
        << QStringLiteral("body");
    QTest::newRow("unknown ignorable destination skipped")
        << QByteArray("{\\rtf1 a{\\*\\unknownthing b}c}") << QStringLiteral("ac");
    QTest::newRow("known destination after star is read")
        << QByteArray("{\\rtf1 a{\\*\\bkmkstart x}b}") << QStringLiteral("ab");
    QTest::newRow("unknown word without star is ignored")
        << QByteArray("{\\rtf1 a{\\unknownword b}c}") << QStringLiteral("abc");
    QTest::newRow("field result shown, instruction not")
        << QByteArray("{\\rtf1 {\\field{\\*\\fldinst PAGE}{\\fldrslt 7}}}") << QStringLiteral("7");
    QTest::newRow("list text shown")
        << QByteArray("{\\rtf1 {\\listtext\\pard\\plain \\'b7\\tab}item}")
        << QStringLiteral("\u00b7\titem");
    // AbiWord writes a numbered heading, label and text, inside the label's group.
    QTest::newRow("par inside a list label's group ends its paragraph")
        << QByteArray("{\\rtf1 {\\listtext\\pard\\sb440{\\b\\tab Our Process}{\\par}\n}"
                      "\\pard New versions\\par{\\listtext\\pard{\\tab Next}\\page}\\pard last}")
        << QStringLiteral("\tOur Process\nNew versions\n\tNext\nlast");
    QTest::newRow("pntext shown") << QByteArray("{\\rtf1 {\\pntext 1.\\tab}item}")
                                  << QStringLiteral("1.\titem");
    const QByteArray listTable(
        "{\\*\\listtable{\\list\\listtemplateid1"
        "{\\listlevel\\levelnfc0\\levelstartat3{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}}"
        "{\\listlevel\\levelnfc4\\levelstartat1{\\leveltext\\'02\\'01);}}\\listid7}}"
        "{\\*\\listoverridetable{\\listoverride\\listid7\\ls1}}");
    QTest::newRow("list labels from the list table")
        << QByteArray("{\\rtf1" + listTable + "\\pard\\ls1 a\\par b\\par\\ilvl1 c\\par\\ilvl0 d}")
        << QStringLiteral("3.\ta\n4.\tb\na)\tc\n5.\td");
    QTest::newRow("list override replaces a level, symbol font bullet") << QByteArray(
        "{\\rtf1{\\fonttbl{\\f3\\fcharset2 Symbol;}}" + listTable
        + "{\\*\\listoverridetable{\\listoverride\\listid7{\\lfolevel"
          "\\listoverrideformat{\\listlevel\\levelnfc23{\\leveltext\\'01\\u-3913 ?;}"
          "\\f3}}\\ls2}}\\pard\\ls2 x}") << QStringLiteral("\u2022\tx");
    QTest::newRow("listtext wins over the list table")
        << QByteArray("{\\rtf1" + listTable + "\\pard\\ls1{\\listtext 9.\\tab}x}")
        << QStringLiteral("9.\tx");
    QTest::newRow("list without a definition gets a bullet")
        << QByteArray("{\\rtf1\\pard\\ls5 x}") << QStringLiteral("\u2022\tx");
    QTest::newRow("Word 6 numbering")
        << QByteArray("{\\rtf1{\\fonttbl{\\f1 Symbol;}}\\pard{\\*\\pn\\pnlvlbody\\pndec\\pnstart1"
                      "{\\pntxta .}}a\\par b\\par\\pard{\\*\\pn\\pnlvlblt\\pnf1{\\pntxtb \\'b7}}c}")
        << QStringLiteral("1.\ta\n2.\tb\n\u2022\tc");
    QTest::newRow("pntext wins over pn")
        << QByteArray("{\\rtf1\\pard{\\*\\pn\\pnlvlbody\\pndec}{\\pntext (i)\\tab}a}")
        << QStringLiteral("(i)\ta");
    QTest::newRow("SYMBOL field without result shows its character") << QByteArray(
        "{\\rtf1 {\\field{\\*\\fldinst SYMBOL 183 \\\\f \"Symbol\" \\\\s 10}"
        "{\\fldrslt }}{\\field{\\*\\fldinst SYMBOL 65}}"
        "{\\field{\\*\\fldinst SYMBOL 0x263A \\\\u}}}") << QStringLiteral("\u2022A\u263a");
    QTest::newRow("SYMBOL field with a result shows the result")
        << QByteArray("{\\rtf1 {\\field{\\*\\fldinst SYMBOL 65}{\\fldrslt B}}}")
        << QStringLiteral("B");
    QTest::newRow("old-style text box text shown")
        << QByteArray("{\\rtf1 a{\\*\\do\\dobxpage\\dptxbx{\\dptxbxtext box\\par}}b}")
        << QStringLiteral("abox\nb");
    QTest::newRow("shape text left out")
        << QByteArray("{\\rtf1 a{\\shp{\\*\\shpinst{\\sp{\\sn t}{\\sv 1}}{\\shptxt s\\par}}}b}")
        << QStringLiteral("ab");
    QTest::newRow("bin data skipped")
        << QByteArray("{\\rtf1 a{\\*\\shprslt\\bin6 }{\\par}b}") << QStringLiteral("ab");
    QTest::newRow("nonshppict skipped")
        << QByteArray("{\\rtf1 a{\\nonshppict{\\pict\\wmetafile8 0100}}b}") << QStringLiteral("ab");
    QTest::newRow("upr shows its Unicode twin")
        << QByteArray("{\\rtf1 {\\upr{A}{\\*\\ud{\\u946 ?}}}}") << QStringLiteral("\u03b2");
    QTest::newRow("escaped line ends break the line")
        << QByteArray("{\\rtf1 a\\'0db\\'0ac}") << QStringLiteral("a\nb\nc");
    QTest::newRow("missing closing brace")
        << QByteArray("{\\rtf1 {\\b bold") << QStringLiteral("bold");
    QTest::newRow("text after the end is left out")
        << QByteArray("{\\rtf1 in} out") << QStringLiteral("in");
    QTest::newRow("not rtf: UTF-8")
        << QByteArray("caf\xc3\xa9\r\nline") << QStringLiteral("caf\u00e9\nline");
    QTest::newRow("not rtf: Windows-1252") << QByteArray("caf\xe9") << QStringLiteral("caf\u00e9");
    QTest::newRow("not rtf: braces kept as text")
        << QByteArray("{\\b x}") << QStringLiteral("{\\b x}");
}

void TestRtfReader::plainText()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, expected);
    QCOMPARE(plainTextOf(rtf), expected);
}

void TestRtfReader::charFormat_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("property");
    QTest::addColumn<QVariant>("expected");

    const QByteArray tables("{\\fonttbl{\\f0\\froman Times;}{\\f1\\fmodern Courier New;}}"
                            "{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}");
    QTest::newRow("bold run") << QByteArray("{\\rtf1 a {\\b bold} b}") << "bold"
                              << int(QTextFormat::FontWeight) << QVariant(int(QFont::Bold));
    QTest::newRow("bold off with b0")
        << QByteArray("{\\rtf1\\b a \\b0 plain}") << "plain" << int(QTextFormat::FontWeight)
        << QVariant(int(QFont::Normal));
    QTest::newRow("italic") << QByteArray("{\\rtf1 {\\i it}}") << "it"
                            << int(QTextFormat::FontItalic) << QVariant(true);
    QTest::newRow("underline") << QByteArray("{\\rtf1 {\\ul under}}") << "under"
                               << int(QTextFormat::TextUnderlineStyle)
                               << QVariant(int(QTextCharFormat::SingleUnderline));
    QTest::newRow("wave underline")
        << QByteArray("{\\rtf1 {\\ulwave w}}") << "w" << int(QTextFormat::TextUnderlineStyle)
        << QVariant(int(QTextCharFormat::WaveUnderline));
    // A written argument turns a formatting word off (0) or on; it never picks another style.
    QTest::newRow("wave underline with an argument")
        << QByteArray("{\\rtf1 {\\ulwave1 w}}") << "w" << int(QTextFormat::TextUnderlineStyle)
        << QVariant(int(QTextCharFormat::WaveUnderline));
    QTest::newRow("dotted underline turned off by 0")
        << QByteArray("{\\rtf1 \\uld a\\uld0 b}") << "b" << int(QTextFormat::TextUnderlineStyle)
        << QVariant();
    QTest::newRow("subscript with an argument")
        << QByteArray("{\\rtf1 x{\\sub1 2}}") << "2" << int(QTextFormat::TextVerticalAlignment)
        << QVariant(int(QTextCharFormat::AlignSubScript));
    QTest::newRow("ulnone ends underline") << QByteArray("{\\rtf1 \\ul a\\ulnone b}") << "b"
                                           << int(QTextFormat::TextUnderlineStyle) << QVariant();
    QTest::newRow("strike") << QByteArray("{\\rtf1 {\\strike s}}") << "s"
                            << int(QTextFormat::FontStrikeOut) << QVariant(true);
    QTest::newRow("superscript") << QByteArray("{\\rtf1 x{\\super 2}}") << "2"
                                 << int(QTextFormat::TextVerticalAlignment)
                                 << QVariant(int(QTextCharFormat::AlignSuperScript));
    QTest::newRow("subscript ended by nosupersub")
        << QByteArray("{\\rtf1 \\sub a\\nosupersub b}") << "b"
        << int(QTextFormat::TextVerticalAlignment) << QVariant();
    QTest::newRow("raised by up, in percent of the size")
        << QByteArray("{\\rtf1 x{\\up6 r}}") << "r" << int(QTextFormat::TextBaselineOffset)
        << QVariant(25.0);
    QTest::newRow("lowered by dn") << QByteArray("{\\rtf1 x{\\fs20\\dn5 d}}") << "d"
                                   << int(QTextFormat::TextBaselineOffset) << QVariant(-25.0);
    QTest::newRow("small caps") << QByteArray("{\\rtf1 {\\scaps sc}}") << "sc"
                                << int(QTextFormat::FontCapitalization)
                                << QVariant(int(QFont::SmallCaps));
    QTest::newRow("size from fs") << QByteArray("{\\rtf1 {\\fs36 big}}") << "big"
                                  << int(QTextFormat::FontPointSize) << QVariant(18.0);
    // Without \\fs the display's base font shows through.
    QTest::newRow("no size without fs")
        << QByteArray("{\\rtf1 plain}") << "plain" << int(QTextFormat::FontPointSize) << QVariant();
    QTest::newRow("plain resets size") << QByteArray("{\\rtf1\\fs40 a\\plain b}") << "b"
                                       << int(QTextFormat::FontPointSize) << QVariant();
    QTest::newRow("no weight without b")
        << QByteArray("{\\rtf1 plain}") << "plain" << int(QTextFormat::FontWeight) << QVariant();
    QTest::newRow("font family from the font table")
        << QByteArray("{\\rtf1" + tables + "\\f1 code}") << "code" << int(QTextFormat::FontFamilies)
        << QVariant(QStringList {"Courier New"});
    QTest::newRow("blanks between font entries")
        << QByteArray("{\\rtf1{\\fonttbl{\\f0 Arial;} {\\f1 Courier;} }\\f0 text}") << "text"
        << int(QTextFormat::FontFamilies) << QVariant(QStringList {"Arial"});
    QTest::newRow("font table without groups")
        << QByteArray("{\\rtf1{\\fonttbl\\f0\\fswiss Helvetica;\\f1\\fmodern Courier;}\\f1 text}")
        << "text" << int(QTextFormat::FontFamilies) << QVariant(QStringList {"Courier"});
    QTest::newRow("font name with alternative and hex")
        << QByteArray("{\\rtf1{\\fonttbl{\\f2\\fcharset238 Gar\\'e1{\\*\\falt Other};}}\\f2 text}")
        << "text" << int(QTextFormat::FontFamilies) << QVariant(QStringList {"Gar\u00e1"});
    QTest::newRow("font name written in groups of Unicode characters")
        << QByteArray(
               "{\\rtf1{\\fonttbl{\\f1\\fnil\\fcharset134 {\\uc1 \\u24494 ?}{\\uc1 \\u36719 ?}"
               "{\\*\\falt {\\uc1 \\u24494 ?}};}{\\f2 Arial;}}\\f1 text}")
        << "text" << int(QTextFormat::FontFamilies) << QVariant(QStringList {"\u5fae\u8f6f"});
    QTest::newRow("default font from deff")
        << QByteArray("{\\rtf1\\deff1" + tables + " text}") << "text"
        << int(QTextFormat::FontFamilies) << QVariant(QStringList {"Courier New"});
    QTest::newRow("colour from cf")
        << QByteArray("{\\rtf1" + tables + "{\\cf1 red}}") << "red"
        << int(QTextFormat::ForegroundBrush) << QVariant(QColor(255, 0, 0));
    QTest::newRow("cf0 is automatic") << QByteArray("{\\rtf1" + tables + "{\\cf0 auto}}") << "auto"
                                      << int(QTextFormat::ForegroundBrush) << QVariant();
    QTest::newRow("highlight from the colour table")
        << QByteArray("{\\rtf1" + tables + "{\\highlight2 hi}}") << "hi"
        << int(QTextFormat::BackgroundBrush) << QVariant(QColor(0, 0, 255));
    QTest::newRow("cb background")
        << QByteArray("{\\rtf1" + tables + "{\\cb1 bg}}") << "bg"
        << int(QTextFormat::BackgroundBrush) << QVariant(QColor(255, 0, 0));
    QTest::newRow("colour index past the table is ignored")
        << QByteArray("{\\rtf1" + tables + "{\\cf99 x}}") << "x"
        << int(QTextFormat::ForegroundBrush) << QVariant();
    QTest::newRow("formatting ends with its group")
        << QByteArray("{\\rtf1 {\\b\\i a} after}") << "after" << int(QTextFormat::FontWeight)
        << QVariant(int(QFont::Normal));
}

void TestRtfReader::charFormat()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, text);
    QFETCH(int, property);
    QFETCH(QVariant, expected);
    QTextDocument document;
    RtfReader::read(rtf, &document);
    QVERIFY2(document.toPlainText().contains(text), qPrintable(document.toPlainText()));
    compareCharProperty(formatOf(document, text), property, expected);
}

void TestRtfReader::blockFormat_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("property");
    QTest::addColumn<QVariant>("expected");

    QTest::newRow("centred") << QByteArray("{\\rtf1 \\qc mid\\par}") << "mid"
                             << int(QTextFormat::BlockAlignment) << QVariant(int(Qt::AlignHCenter));
    QTest::newRow("right") << QByteArray("{\\rtf1 \\qr r\\par}") << "r"
                           << int(QTextFormat::BlockAlignment) << QVariant(int(Qt::AlignRight));
    QTest::newRow("justified") << QByteArray("{\\rtf1 \\qj j\\par}") << "j"
                               << int(QTextFormat::BlockAlignment)
                               << QVariant(int(Qt::AlignJustify));
    QTest::newRow("an argument does not change the alignment")
        << QByteArray("{\\rtf1 \\qr1 r\\par}") << "r" << int(QTextFormat::BlockAlignment)
        << QVariant(int(Qt::AlignRight));
    QTest::newRow("pard resets alignment")
        << QByteArray("{\\rtf1 \\qc a\\par\\pard b\\par}") << "b"
        << int(QTextFormat::BlockAlignment) << QVariant(int(Qt::AlignLeft));
    QTest::newRow("left indent 720 twips is 48 px")
        << QByteArray("{\\rtf1 \\li720 in\\par}") << "in" << int(QTextFormat::BlockLeftMargin)
        << QVariant(48.0);
    QTest::newRow("hanging first line") << QByteArray("{\\rtf1 \\fi-360\\li720 h\\par}") << "h"
                                        << int(QTextFormat::TextIndent) << QVariant(-24.0);
    QTest::newRow("right indent") << QByteArray("{\\rtf1 \\ri300 r\\par}") << "r"
                                  << int(QTextFormat::BlockRightMargin) << QVariant(20.0);
    QTest::newRow("space before and after") << QByteArray("{\\rtf1 \\sb240\\sa120 s\\par}") << "s"
                                            << int(QTextFormat::BlockTopMargin) << QVariant(16.0);
    QTest::newRow("double line spacing") << QByteArray("{\\rtf1 \\sl480\\slmult1 d\\par}") << "d"
                                         << int(QTextFormat::LineHeight) << QVariant(200.0);
    QTest::newRow("format of the last paragraph without par")
        << QByteArray("{\\rtf1 \\qc last}") << "last" << int(QTextFormat::BlockAlignment)
        << QVariant(int(Qt::AlignHCenter));
    QTest::newRow("page break before the next paragraph")
        << QByteArray("{\\rtf1 one\\page two}") << "two" << int(QTextFormat::PageBreakPolicy)
        << QVariant(int(QTextFormat::PageBreak_AlwaysBefore));
    QTest::newRow("paragraph before a table keeps its format")
        << QByteArray(
               "{\\rtf1 \\qc before\\par\\pard\\trowd\\cellx1000\\intbl a\\cell\\row\\pard e}")
        << "before" << int(QTextFormat::BlockAlignment) << QVariant(int(Qt::AlignHCenter));
    QTest::newRow("page break from pagebb")
        << QByteArray("{\\rtf1 one\\par\\pagebb two}") << "two" << int(QTextFormat::PageBreakPolicy)
        << QVariant(int(QTextFormat::PageBreak_AlwaysBefore));
    QTest::newRow("right-to-left paragraph")
        << QByteArray("{\\rtf1 \\rtlpar\\qr x\\par}") << "x" << int(QTextFormat::LayoutDirection)
        << QVariant(int(Qt::RightToLeft));
    QTest::newRow("outline level 0 is a top heading")
        << QByteArray("{\\rtf1 \\outlinelevel0\\b Title\\par}") << "Title"
        << int(QTextFormat::HeadingLevel) << QVariant(1);
    QTest::newRow("outline level 2 is a third-level heading")
        << QByteArray("{\\rtf1 \\outlinelevel2 Sub\\par}") << "Sub"
        << int(QTextFormat::HeadingLevel) << QVariant(3);
    QTest::newRow("outline levels past 5 stay at the last heading level")
        << QByteArray("{\\rtf1 \\outlinelevel8 Deep\\par}") << "Deep"
        << int(QTextFormat::HeadingLevel) << QVariant(6);
    QTest::newRow("outline level 9 is body text")
        << QByteArray("{\\rtf1 \\outlinelevel9 Body\\par}") << "Body"
        << int(QTextFormat::HeadingLevel) << QVariant();
    QTest::newRow("pard ends the heading")
        << QByteArray("{\\rtf1 \\outlinelevel0 Title\\par\\pard text\\par}") << "text"
        << int(QTextFormat::HeadingLevel) << QVariant();
    QTest::newRow("no page break on the paragraph before")
        << QByteArray("{\\rtf1 one\\page two}") << "one" << int(QTextFormat::PageBreakPolicy)
        << QVariant();
}

void TestRtfReader::blockFormat()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, text);
    QFETCH(int, property);
    QFETCH(QVariant, expected);
    QTextDocument document;
    RtfReader::read(rtf, &document);
    const QTextBlock block = blockWith(document, text);
    QVERIFY2(block.isValid(), qPrintable(document.toPlainText()));
    compareBlockProperty(block.blockFormat(), property, expected);
}

namespace {

// A style sheet of the kind word processors write: Normal, a heading based on it, a sub-heading
// based on the heading, and two character styles, one based on the other.
const QByteArray kStyledHeader("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}{\\f1 Georgia;}"
                               "{\\f2\\fcharset204 Arial Cyr;}}"
                               "{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"
                               "{\\stylesheet{\\s0\\qj\\f1\\fs24 Normal;}"
                               "{\\s1\\sbasedon0\\snext0\\qc\\sb240\\b\\fs32 heading 1;}"
                               "{\\s2\\sbasedon1\\li720\\i\\cf2 heading 2;}"
                               "{\\*\\cs10\\additive\\ul\\cf1 Link;}"
                               "{\\*\\cs11\\sbasedon10\\fs40\\f0 Big link;}}");

} // namespace

void TestRtfReader::styleCharFormat_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("property");
    QTest::addColumn<QVariant>("expected");

    const int size = QTextFormat::FontPointSize;
    const int weight = QTextFormat::FontWeight;
    const int families = QTextFormat::FontFamilies;
    const QByteArray &h = kStyledHeader;
    QTest::newRow("size from the paragraph style")
        << QByteArray(h + "\\pard\\plain\\s1 head}") << "head" << size << QVariant(16.0);
    QTest::newRow("Normal for text that names no style")
        << QByteArray(h + "\\pard\\plain body}") << "body" << size << QVariant(12.0);
    QTest::newRow("Normal written without a number")
        << QByteArray("{\\rtf1{\\stylesheet{\\fs30 Normal;}}\\pard x}") << "x" << size
        << QVariant(15.0);
    QTest::newRow("size from the base of the base")
        << QByteArray(h + "\\pard\\s2 sub}") << "sub" << size << QVariant(16.0);
    QTest::newRow("bold from the base")
        << QByteArray(h + "\\pard\\s2 sub}") << "sub" << weight << QVariant(int(QFont::Bold));
    QTest::newRow("italic of the style itself") << QByteArray(h + "\\pard\\s2 sub}") << "sub"
                                                << int(QTextFormat::FontItalic) << QVariant(true);
    QTest::newRow("colour of the style")
        << QByteArray(h + "\\pard\\s2 sub}") << "sub" << int(QTextFormat::ForegroundBrush)
        << QVariant(QColor(0, 0, 255));
    QTest::newRow("family from Normal") << QByteArray(h + "\\pard body}") << "body" << families
                                        << QVariant(QStringList {"Georgia"});
    QTest::newRow("stated size wins")
        << QByteArray(h + "\\pard\\s1\\fs20 small}") << "small" << size << QVariant(10.0);
    QTest::newRow("b0 wins over the style's bold")
        << QByteArray(h + "\\pard\\s1\\b0 light}") << "light" << weight
        << QVariant(int(QFont::Normal));
    QTest::newRow("i0 wins over the style's italic")
        << QByteArray(h + "\\pard\\s2\\i0 upright}") << "upright" << int(QTextFormat::FontItalic)
        << QVariant(false);
    QTest::newRow("cf0 wins over the style's colour")
        << QByteArray(h + "\\pard\\s2\\cf0 auto}") << "auto" << int(QTextFormat::ForegroundBrush)
        << QVariant();
    QTest::newRow("stated font wins over the style's") << QByteArray(
        h + "\\pard\\f0 sans}") << "sans" << families << QVariant(QStringList {"Arial"});
    QTest::newRow("character style over the paragraph style")
        << QByteArray(h + "\\pard\\s1 a{\\cs11 big}b}") << "big" << size << QVariant(20.0);
    QTest::newRow("character style's base")
        << QByteArray(h + "\\pard\\s1 a{\\cs11 big}b}") << "big"
        << int(QTextFormat::TextUnderlineStyle) << QVariant(int(QTextCharFormat::SingleUnderline));
    QTest::newRow("ulnone wins over the character style")
        << QByteArray(h + "\\pard{\\cs10\\ulnone plain}}") << "plain"
        << int(QTextFormat::TextUnderlineStyle) << QVariant();
    QTest::newRow("character style ends with its group")
        << QByteArray(h + "\\pard\\s1 a{\\cs11 big}after}") << "after" << size << QVariant(16.0);
    QTest::newRow("plain drops the character style, keeps the paragraph's")
        << QByteArray(h + "\\pard\\s1{\\cs11\\fs50\\plain x}}") << "x" << size << QVariant(16.0);
    QTest::newRow("pard goes back to Normal")
        << QByteArray(h + "\\pard\\s1 a\\par\\pard b}") << "b" << size << QVariant(12.0);
    QTest::newRow("paragraph style ends with its group")
        << QByteArray(h + "\\pard{\\s1 a}b}") << "b" << size << QVariant(12.0);
    QTest::newRow("text decoded in the code page of the style's font")
        << QByteArray("{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f2\\fcharset204 Arial Cyr;}}"
                      "{\\stylesheet{\\s3\\f2 Cyrillic;}}\\pard\\s3 \\'e0}")
        << "\u0430" << families << QVariant(QStringList {"Arial Cyr"});
    // Without a size from a style or the text, the display's base size shows.
    QTest::newRow("no size anywhere")
        << QByteArray("{\\rtf1{\\stylesheet{\\s0\\b Normal;}}x}") << "x" << size << QVariant();
    QTest::newRow("style the sheet does not define")
        << QByteArray(h + "\\pard\\s99 x}") << "x" << size << QVariant();
    QTest::newRow("a table style is no paragraph style")
        << QByteArray("{\\rtf1{\\stylesheet{\\*\\ts5\\fs40 Grid;}}\\pard\\s5 x}") << "x" << size
        << QVariant();
    QTest::newRow("nested groups in a definition") << QByteArray(
        "{\\rtf1{\\stylesheet{\\s1\\fs40{\\*\\keycode \\shift\\ctrl n}\\b H{\\uc1\\u59 ?}}}"
        "\\pard\\s1 x}") << "x" << weight << QVariant(int(QFont::Bold));
    QTest::newRow("style based on itself")
        << QByteArray("{\\rtf1{\\stylesheet{\\s1\\sbasedon1\\fs30 S;}}\\pard\\s1 x}") << "x" << size
        << QVariant(15.0);
    QTest::newRow("cyclic chain still gives both styles") << QByteArray(
        "{\\rtf1{\\stylesheet{\\s1\\sbasedon2\\fs30 A;}{\\s2\\sbasedon1\\b\\fs50 B;}}"
        "\\pard\\s1 x}") << "x" << weight << QVariant(int(QFont::Bold));
    QTest::newRow("huge style numbers")
        << QByteArray("{\\rtf1{\\stylesheet{\\s-2147483648\\fs30 Base;}"
                      "{\\s2147483647\\sbasedon-2147483648\\b Top;}}\\pard\\s2147483647 x}")
        << "x" << size << QVariant(15.0);
}

void TestRtfReader::styleCharFormat()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, text);
    QFETCH(int, property);
    QFETCH(QVariant, expected);
    QTextDocument document;
    RtfReader::read(rtf, &document);
    QVERIFY2(document.toPlainText().contains(text), qPrintable(document.toPlainText()));
    compareCharProperty(formatOf(document, text), property, expected);
}

void TestRtfReader::styleBlockFormat_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("property");
    QTest::addColumn<QVariant>("expected");

    const int alignment = QTextFormat::BlockAlignment;
    const QByteArray &h = kStyledHeader;
    QTest::newRow("alignment from the style") << QByteArray(h + "\\pard\\s1 head\\par}") << "head"
                                              << alignment << QVariant(int(Qt::AlignHCenter));
    QTest::newRow("Normal's alignment") << QByteArray(h + "\\pard body\\par}") << "body"
                                        << alignment << QVariant(int(Qt::AlignJustify));
    QTest::newRow("stated alignment wins") << QByteArray(h + "\\pard\\s1\\ql left\\par}") << "left"
                                           << alignment << QVariant(int(Qt::AlignLeft));
    QTest::newRow("space before from the base")
        << QByteArray(h + "\\pard\\s2 sub\\par}") << "sub" << int(QTextFormat::BlockTopMargin)
        << QVariant(16.0);
    QTest::newRow("indent of the style itself")
        << QByteArray(h + "\\pard\\s2 sub\\par}") << "sub" << int(QTextFormat::BlockLeftMargin)
        << QVariant(48.0);
    QTest::newRow("stated indent wins") << QByteArray(h + "\\pard\\s2\\li0 sub\\par}") << "sub"
                                        << int(QTextFormat::BlockLeftMargin) << QVariant();
    QTest::newRow("pard goes back to Normal's alignment")
        << QByteArray(h + "\\pard\\s1 a\\par\\pard b\\par}") << "b" << alignment
        << QVariant(int(Qt::AlignJustify));
    QTest::newRow("outline level from the style")
        << QByteArray(kStyledHeader.chopped(1) + "{\\s3\\outlinelevel1 heading 3;}}"
               + "\\pard\\s3 outlined\\par}")
        << "outlined" << int(QTextFormat::HeadingLevel) << QVariant(2);
    QTest::newRow("line spacing from the style")
        << QByteArray("{\\rtf1{\\stylesheet{\\s0\\sl480\\slmult1 Normal;}}\\pard d\\par}") << "d"
        << int(QTextFormat::LineHeight) << QVariant(200.0);
    QTest::newRow("last paragraph without par") << QByteArray(h + "\\pard\\s1 last}") << "last"
                                                << alignment << QVariant(int(Qt::AlignHCenter));
}

void TestRtfReader::styleBlockFormat()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, text);
    QFETCH(int, property);
    QFETCH(QVariant, expected);
    QTextDocument document;
    RtfReader::read(rtf, &document);
    const QTextBlock block = blockWith(document, text);
    QVERIFY2(block.isValid(), qPrintable(document.toPlainText()));
    compareBlockProperty(block.blockFormat(), property, expected);
}

void TestRtfReader::styleSheetStaysBounded_data()
{
    QTest::addColumn<QByteArray>("rtf");

    QByteArray deep("{\\rtf1{\\stylesheet{\\s0\\fs30 Normal;}");
    for (int i = 1; i < 8000; ++i)
        deep += "{\\s" + QByteArray::number(i) + "\\sbasedon" + QByteArray::number(i - 1) + " S;}";
    deep += "}";
    for (int i = 7999; i > 0; i -= 3)
        deep += "\\pard\\s" + QByteArray::number(i) + " x\\par ";
    QTest::newRow("chain of 8000 styles") << QByteArray(deep + "}");
    QByteArray many("{\\rtf1{\\stylesheet");
    for (int i = 0; i < 100000; ++i)
        many += "{\\s" + QByteArray::number(i) + "\\sbasedon" + QByteArray::number(i + 1) + " M;}";
    QTest::newRow("100000 styles") << QByteArray(many + "}\\pard\\s99999 x\\s1 x}");

    QByteArray ring("{\\rtf1{\\stylesheet");
    for (int i = 0; i < 5000; ++i)
        ring += "{\\s" + QByteArray::number(i) + "\\sbasedon" + QByteArray::number((i + 1) % 5000)
            + " R;}";
    ring += "}";
    for (int i = 0; i < 5000; i += 7)
        ring += "\\pard\\s" + QByteArray::number(i) + " x\\par ";
    QTest::newRow("ring of 5000 styles") << QByteArray(ring + "}");

    QRandomGenerator random(20240612);
    QByteArray tangled("{\\rtf1{\\stylesheet");
    for (int i = 0; i < 20000; ++i)
        tangled += "{\\s" + QByteArray::number(random.bounded(3000)) + "\\sbasedon"
            + QByteArray::number(random.bounded(3000)) + "\\fs" + QByteArray::number(i % 90)
            + " T;}{\\*\\cs" + QByteArray::number(random.bounded(3000)) + "\\sbasedon"
            + QByteArray::number(random.bounded(3000)) + " C;}";
    tangled += "}";
    for (int i = 0; i < 20000; ++i)
        tangled += "\\s" + QByteArray::number(random.bounded(3000)) + "{\\cs"
            + QByteArray::number(random.bounded(3000)) + " x}";
    QTest::newRow("random bases, definitions repeated") << QByteArray(tangled + "}");

    QTest::newRow("huge and negative numbers") << QByteArray(
        "{\\rtf1{\\stylesheet{\\s2147483647\\sbasedon2147483647 A;}{\\*\\cs-2147483648"
        "\\sbasedon-1 B;}{\\s-1\\sbasedon2147483647 C;}}\\pard\\s2147483647{\\cs-2147483648 x}"
        "\\s-1 y\\s99999999999 z}");
    QTest::newRow("style sheet inside the body, redefining as it goes") << QByteArray("{\\rtf1 "
        + QByteArray("{\\stylesheet{\\s0\\sbasedon0\\fs20 N;}}\\pard x").repeated(20000) + "}");
}

void TestRtfReader::styleSheetStaysBounded()
{
    QFETCH(QByteArray, rtf);
    QElapsedTimer timer;
    timer.start();
    QTextDocument document;
    RtfReader::read(rtf, &document);
    QVERIFY2(timer.elapsed() < 20000, qPrintable(QString::number(timer.elapsed())));
    QVERIFY(document.toPlainText().contains(u'x'));
    QVERIFY(document.characterCount() <= rtf.size() + 1);
}

void TestRtfReader::tabStops_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QList<qreal>>("positions"); // pixels from the start of the first line
    QTest::addColumn<QList<int>>("types");

    QTest::newRow("none") << QByteArray("{\\rtf1 a\\tab b}") << QList<qreal>() << QList<int>();
    QTest::newRow("hanging indent has a stop at the left indent")
        << QByteArray("{\\rtf1\\li720\\fi-360 \\bullet\\tab item}") << QList<qreal> {24}
        << QList<int> {QTextOption::LeftTab};
    QTest::newRow("explicit stops, kinds")
        << QByteArray("{\\rtf1\\tx1500\\tqr\\tx3000\\tqc\\tx4500 a}")
        << QList<qreal> {100, 200, 300}
        << QList<int> {QTextOption::LeftTab, QTextOption::RightTab, QTextOption::CenterTab};
    QTest::newRow("stops measured from the indented line start")
        << QByteArray("{\\rtf1\\li1500\\tx300\\tx3000 a}") << QList<qreal> {100}
        << QList<int> {QTextOption::LeftTab};
    QTest::newRow("implicit stop before a later explicit one")
        << QByteArray("{\\rtf1\\li720\\fi-360\\tx3000 a}") << QList<qreal> {24, 176}
        << QList<int> {QTextOption::LeftTab, QTextOption::LeftTab};
    QTest::newRow("pard clears stops")
        << QByteArray("{\\rtf1\\tx1500\\pard a}") << QList<qreal>() << QList<int>();
}

void TestRtfReader::tabStops()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QList<qreal>, positions);
    QFETCH(QList<int>, types);
    QTextDocument document;
    RtfReader::read(rtf, &document);
    const QList<QTextOption::Tab> tabs = document.begin().blockFormat().tabPositions();
    QList<qreal> actualPositions;
    QList<int> actualTypes;
    for (const QTextOption::Tab &tab : tabs) {
        actualPositions.append(tab.position);
        actualTypes.append(tab.type);
    }
    QCOMPARE(actualPositions, positions);
    QCOMPARE(actualTypes, types);
}

void TestRtfReader::table_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("columns");
    QTest::addColumn<QStringList>("cells"); // row by row
    QTest::addColumn<QString>("after"); // text of the first block after the table

    QTest::newRow("two by two") << QByteArray(
        "{\\rtf1 before\\par\\trowd\\cellx1000\\cellx2000"
        "\\pard\\intbl a\\cell b\\cell\\row"
        "\\trowd\\cellx1000\\cellx2000\\pard\\intbl c\\cell d\\cell\\row"
        "\\pard after\\par}") << 2
                                << 2 << QStringList {"a", "b", "c", "d"} << "after";
    QTest::newRow("cell formatting and paragraphs")
        << QByteArray("{\\rtf1\\trowd\\cellx1000\\pard\\intbl {\\b x}\\par y\\cell\\row\\pard z}")
        << 1 << 1 << QStringList {"x\ny"} << "z";
    QTest::newRow("second row with more cells widens the table")
        << QByteArray("{\\rtf1\\trowd\\cellx1000\\pard\\intbl a\\cell\\row"
                      "\\trowd\\cellx1000\\cellx2000\\cellx3000\\intbl b\\cell c\\cell d\\cell"
                      "\\row\\pard e}")
        << 2 << 3 << QStringList {"a", "", "", "b", "c", "d"} << "e";
    QTest::newRow("more cells than cellx")
        << QByteArray("{\\rtf1\\trowd\\cellx1000\\pard\\intbl a\\cell b\\cell\\row\\pard e}") << 1
        << 2 << QStringList {"a", "b"} << "e";
    QTest::newRow("row with fewer cells")
        << QByteArray("{\\rtf1\\trowd\\cellx1000\\cellx2000\\pard\\intbl a\\cell b\\cell\\row"
                      "\\trowd\\cellx2000\\pard\\intbl c\\cell\\row\\pard e}")
        << 2 << 2 << QStringList {"a", "b", "c", ""} << "e";
    QTest::newRow("row ended by a closing brace")
        << QByteArray("{\\rtf1{\\trowd\\cellx1000\\pard\\intbl a\\cell\\row}after}") << 1 << 1
        << QStringList {"a"} << "after";
    QTest::newRow("table not closed at the end")
        << QByteArray("{\\rtf1\\trowd\\cellx1000\\cellx2000\\pard\\intbl a\\cell b") << 1 << 2
        << QStringList {"a", "b"} << "";
    QTest::newRow("page break in a cell")
        << QByteArray("{\\rtf1\\trowd\\cellx1000\\pard\\intbl a\\page b\\cell\\row\\pard e}") << 1
        << 1 << QStringList {"a\nb"} << "e";
    QTest::newRow("nested table flattened into its cell")
        << QByteArray("{\\rtf1\\trowd\\cellx3000\\pard\\intbl outer\\par"
                      "\\pard\\intbl\\itap2 n1\\nestcell n2\\nestcell{\\*\\nesttableprops"
                      "\\trowd\\cellx1000\\cellx2000\\nestrow}{\\nonesttables\\par}"
                      "\\pard\\intbl\\itap1 \\cell\\row\\pard e}")
        << 1 << 1 << QStringList {"outer\nn1\nn2\n"} << "e";
}

void TestRtfReader::table()
{
    QFETCH(QByteArray, rtf);
    QFETCH(int, rows);
    QFETCH(int, columns);
    QFETCH(QStringList, cells);
    QFETCH(QString, after);
    QTextDocument document;
    RtfReader::read(rtf, &document);
    QTextTable *table = firstTable(document);
    QVERIFY2(table, qPrintable(document.toPlainText()));
    QCOMPARE(table->rows(), rows);
    QCOMPARE(table->columns(), columns);
    QStringList actual;
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            const QTextTableCell cell = table->cellAt(row, column);
            QTextCursor cursor = cell.firstCursorPosition();
            cursor.setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
            actual.append(cursor.selection().toPlainText());
        }
    }
    QCOMPARE(actual, cells);
    QTextCursor end = table->lastCursorPosition();
    end.movePosition(QTextCursor::NextBlock);
    QCOMPARE(end.block().text(), after);
}

void TestRtfReader::picture_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QSizeF>("size"); // as shown, pixels
    QTest::addColumn<QSize>("imageSize"); // the resource's own pixels
    // The PNG or JPEG bytes the image format keeps for publishing; none for a box.
    QTest::addColumn<QByteArray>("stored");

    QTest::newRow("png sized by goal")
        << QByteArray("{\\rtf1 a{\\pict\\pngblip\\picw8\\pich4\\picwgoal1500\\pichgoal750 "
               + pngHex({8, 4}) + "}b}")
        << QSizeF(100, 50) << QSize(8, 4) << pngBytes({8, 4});
    QTest::newRow("png scaled") << QByteArray(
        "{\\rtf1{\\pict\\pngblip\\picwgoal1500\\pichgoal750\\picscalex50"
        "\\picscaley200 "
        + pngHex({8, 4}) + "}}") << QSizeF(50, 100)
                                << QSize(8, 4) << pngBytes({8, 4});
    QTest::newRow("png without goal keeps its own size")
        << QByteArray("{\\rtf1{\\pict\\pngblip " + pngHex({30, 20}) + "}}") << QSizeF(30, 20)
        << QSize(30, 20) << pngBytes({30, 20});
    QTest::newRow("png declared jpeg")
        << QByteArray("{\\rtf1{\\pict\\jpegblip\\picwgoal300\\pichgoal300 " + pngHex({5, 5}) + "}}")
        << QSizeF(20, 20) << QSize(5, 5) << pngBytes({5, 5});
    QTest::newRow("png as bin data") << QByteArray("{\\rtf1{\\pict\\pngblip\\bin"
        + QByteArray::number(pngBytes({6, 3}).size()) + " " + pngBytes({6, 3}) + "}}")
                                     << QSizeF(6, 3) << QSize(6, 3) << pngBytes({6, 3});
    QTest::newRow("shppict used") << QByteArray("{\\rtf1{\\*\\shppict{\\pict\\pngblip "
        + pngHex({4, 4}) + "}}{\\nonshppict{\\pict\\wmetafile8 0100}}}")
                                  << QSizeF(4, 4) << QSize(4, 4) << pngBytes({4, 4});
    QTest::newRow("metafile becomes a box of its size")
        << QByteArray("{\\rtf1{\\pict\\wmetafile8\\picwgoal3000\\pichgoal1500 01000900}}")
        << QSizeF(200, 100) << QSize(200, 100) << QByteArray();
    QTest::newRow("large png kept scaled down")
        << QByteArray("{\\rtf1{\\pict\\pngblip " + pngHex({3000, 1500}) + "}}")
        << QSizeF(3000, 1500) << QSize(2048, 1024) << pngBytes({3000, 1500});
    QTest::newRow("metafile without goal: picw in hundredths of a millimetre")
        << QByteArray("{\\rtf1{\\pict\\emfblip\\picw2540\\pich1270 0100}}") << QSizeF(96, 48)
        << QSize(96, 48) << QByteArray();
    // Word writes \\wmetafile8: the 8 is the metafile's mapping mode.
    QTest::newRow("wmetafile8 without goal: picw in hundredths of a millimetre")
        << QByteArray("{\\rtf1{\\pict\\wmetafile8\\picw2540\\pich1270 0100}}") << QSizeF(96, 48)
        << QSize(96, 48) << QByteArray();
    QTest::newRow("bitmap without goal: picw in pixels")
        << QByteArray("{\\rtf1{\\pict\\dibitmap0\\picw30\\pich20 0100}}") << QSizeF(30, 20)
        << QSize(30, 20) << QByteArray();
    QTest::newRow("damaged png becomes a box")
        << QByteArray("{\\rtf1{\\pict\\pngblip\\picwgoal150\\pichgoal150 89504e47}}")
        << QSizeF(10, 10) << QSize(10, 10) << QByteArray();
}

void TestRtfReader::picture()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QSizeF, size);
    QFETCH(QSize, imageSize);
    QFETCH(QByteArray, stored);
    QTextDocument document;
    RtfReader::read(rtf, &document);
    const QList<QTextImageFormat> found = images(document);
    QCOMPARE(found.size(), 1);
    QCOMPARE(QSizeF(found.first().width(), found.first().height()), size);
    const QVariant resource =
        document.resource(QTextDocument::ImageResource, QUrl(found.first().name()));
    QCOMPARE(resource.value<QImage>().size(), imageSize);
    QCOMPARE(found.first().property(richtext::kPictureDataProperty).toByteArray(), stored);
}

void TestRtfReader::link_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("href"); // empty: not a link

    QTest::newRow("quoted url") << QByteArray(
        "{\\rtf1 {\\field{\\*\\fldinst{HYPERLINK \"https://example.org/a\"}}"
        "{\\fldrslt{\\ul\\cf1 Example}}} after}")
                                << "Example"
                                << "https://example.org/a";
    QTest::newRow("unquoted url") << QByteArray(
        "{\\rtf1 {\\field{\\*\\fldinst HYPERLINK https://example.org/b }"
        "{\\fldrslt site}}}") << "site"
                                  << "https://example.org/b";
    QTest::newRow("anchor only") << QByteArray(
        "{\\rtf1 {\\field{\\*\\fldinst HYPERLINK \\\\l \"part2\"}{\\fldrslt go}}}")
                                 << "go"
                                 << "#part2";
    QTest::newRow("quotes written as hex") << QByteArray(
        "{\\rtf1 {\\field{\\*\\fldinst HYPERLINK \\'22mailto:a@b.org\\'22}"
        "{\\fldrslt mail}}}") << "mail"
                                           << "mailto:a@b.org";
    QTest::newRow("tooltip switch skipped") << QByteArray(
        "{\\rtf1 {\\field{\\*\\fldinst HYPERLINK \\\\o \"tip\" \"http://x.org\"}"
        "{\\fldrslt x}}}") << "x"
                                            << "http://x.org";
    QTest::newRow("link survives plain in the result") << QByteArray(
        "{\\rtf1 {\\field{\\*\\fldinst HYPERLINK \"http://p.org\"}"
        "{\\fldrslt\\plain\\b p}}}") << "p"
                                                       << "http://p.org";
    QTest::newRow("text after the field is not a link") << QByteArray(
        "{\\rtf1 {\\field{\\*\\fldinst HYPERLINK \"http://q.org\"}{\\fldrslt q}}"
        " tail}") << "tail"
                                                        << "";
    QTest::newRow("other field shows its result")
        << QByteArray("{\\rtf1 {\\field{\\*\\fldinst DATE}{\\fldrslt 2024-01-01}}}") << "2024-01-01"
        << "";
}

void TestRtfReader::link()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, text);
    QFETCH(QString, href);
    QTextDocument document;
    RtfReader::read(rtf, &document);
    QVERIFY2(document.toPlainText().contains(text), qPrintable(document.toPlainText()));
    const QTextCharFormat format = formatOf(document, text);
    QCOMPARE(format.isAnchor(), !href.isEmpty());
    QCOMPARE(format.anchorHref(), href);
}

void TestRtfReader::problems_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<bool>("wasRtf");
    QTest::addColumn<QString>("problem");

    QTest::newRow("sound") << QByteArray("{\\rtf1 fine}\r\n") << true << "";
    QTest::newRow("plain text") << QByteArray("hello") << false << "";
    QTest::newRow("empty") << QByteArray() << false << "";
    QTest::newRow("extra closing brace")
        << QByteArray("{\\rtf1 a}}") << true << "unbalanced braces: an extra '}' at byte 9";
    QTest::newRow("missing closing braces")
        << QByteArray("{\\rtf1 {\\b a") << true << "the input ends with 2 groups still open";
    QTest::newRow("truncated in a control word") << QByteArray(
        "{\\rtf1 a\\") << true << "the input ends in the middle of a control word or data";
    QTest::newRow("bin longer than the input")
        << QByteArray("{\\rtf1 {\\pict\\bin999999999 abc}}") << true
        << "the input ends in the middle of a control word or data";
    QTest::newRow("bad hex escape")
        << QByteArray("{\\rtf1 \\'g0}") << true << "a \\' escape without two hex digits at byte 7";
    QTest::newRow("content after the end")
        << QByteArray("{\\rtf1 a} b") << true << "content after the end of the document at byte 9";
}

void TestRtfReader::problems()
{
    QFETCH(QByteArray, rtf);
    QFETCH(bool, wasRtf);
    QFETCH(QString, problem);
    QTextDocument document;
    const RtfReadReport report = RtfReader::read(rtf, &document);
    QCOMPARE(report.wasRtf, wasRtf);
    QCOMPARE(report.problem, problem);
}

void TestRtfReader::deepNesting()
{
    // Deep groups are skipped whole; the text around them stays.
    const QByteArray rtf =
        "{\\rtf1 before" + QByteArray(100000, '{') + "deep" + QByteArray(100000, '}') + "after}";
    QElapsedTimer timer;
    timer.start();
    RtfReadReport report;
    const QString text = plainTextOf(rtf, &report);
    QVERIFY(timer.elapsed() < 5000);
    QCOMPARE(text, QStringLiteral("beforeafter"));
    QCOMPARE(report.problem, QStringLiteral("groups nested deeper than 1000 levels at byte 1012"));

    const QByteArray unclosed = "{\\rtf1 x" + QByteArray(100000, '{');
    QCOMPARE(plainTextOf(unclosed, &report), QStringLiteral("x"));
    QVERIFY(!report.problem.isEmpty());
}

void TestRtfReader::damagedInputStaysBounded_data()
{
    QTest::addColumn<QByteArray>("rtf");

    QRandomGenerator random(20240611);
    QByteArray garbage("{\\rtf1 ");
    for (int i = 0; i < 200000; ++i)
        garbage.append(static_cast<char>(random.bounded(256)));
    QTest::newRow("random bytes after the header") << garbage;

    // Random RTF-like tokens: braces, words with huge parameters, escapes, pictures.
    const char *pieces[] = {"{", "}", "\\par ", "\\cell ", "\\row ", "\\trowd\\cellx99999 ",
        "\\intbl ", "\\pard ", "{\\pict\\pngblip ", "\\bin5 ", "\\'", "\\u-1 ", "\\uc9 ",
        "{\\*\\x ", "{\\field{\\*\\fldinst HYPERLINK ", "{\\fldrslt ", "\\fs-5 ", "\\f99 ", "text ",
        "\\page ", "\\nestcell ", "\\itap3 ", "{\\listtext ", "\\'e9", "\\sl-99999 ", "\\cf9999 "};
    QByteArray tokens("{\\rtf1 ");
    for (int i = 0; i < 100000; ++i)
        tokens.append(pieces[random.bounded(int(std::size(pieces)))]);
    QTest::newRow("random tokens") << tokens;

    QTest::newRow("huge cellx count") << QByteArray(
        "{\\rtf1\\trowd" + QByteArray("\\cellx1").repeated(50000) + "\\intbl a\\cell\\row}");
    QByteArray wideRows("{\\rtf1\\trowd" + QByteArray("\\cellx1").repeated(63) + "\\intbl"
        + QByteArray("a\\cell ").repeated(63) + "\\row ");
    wideRows += QByteArray("\\intbl x\\row ").repeated(20000) + "}";
    QTest::newRow("many short rows of a wide table") << wideRows;
    QTest::newRow("huge picture goal")
        << QByteArray("{\\rtf1{\\pict\\wmetafile8\\picwgoal2000000000\\pichgoal2000000000 00}}");
}

void TestRtfReader::damagedInputStaysBounded()
{
    QFETCH(QByteArray, rtf);
    QElapsedTimer timer;
    timer.start();
    QTextDocument document;
    RtfReader::read(rtf, &document);
    QVERIFY2(timer.elapsed() < 20000, qPrintable(QString::number(timer.elapsed())));
    // The document holds no more characters than the input has bytes.
    QVERIFY(document.characterCount() <= rtf.size() + 1);
}

void TestRtfReader::oversizedTableKeepsItsText()
{
    // 63 columns, then 20000 rows of one cell each: far more cells than the input has bytes.
    QByteArray rtf("{\\rtf1\\trowd" + QByteArray("\\cellx1").repeated(63) + "\\intbl"
        + QByteArray("a\\cell ").repeated(63) + "\\row ");
    rtf += QByteArray("\\intbl x\\row ").repeated(20000) + "}";
    QTextDocument document;
    const RtfReadReport report = RtfReader::read(rtf, &document);
    QVERIFY2(report.problem.startsWith(QStringLiteral("tables larger than the input can hold")),
        qPrintable(report.problem));
    QCOMPARE(document.toPlainText().count(u'x'), 20000);
    QVERIFY(document.characterCount() < rtf.size());
}

void TestRtfReader::fuzzRegressions_data()
{
    QTest::addColumn<QString>("path");
    const QDir dir(QStringLiteral(SCRIVANE_SOURCE_DIR "/tests/richtext/data/fuzz-regressions"));
    const QStringList names = dir.entryList(QDir::Files, QDir::Name);
    if (names.isEmpty())
        QSKIP("no fuzz regression inputs");
    for (const QString &name : names)
        QTest::newRow(qPrintable(name)) << dir.filePath(name);
}

void TestRtfReader::fuzzRegressions()
{
    // Inputs a fuzzer once broke something with: read, laid out, inserted, all without harm.
    QFETCH(QString, path);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray rtf = file.readAll();
    QElapsedTimer timer;
    timer.start();
    QTextDocument document;
    RtfReader::read(rtf, &document);
    document.setTextWidth(400);
    QVERIFY(document.size().height() >= 0);
    QVERIFY(document.characterCount() <= rtf.size() + 1);
    QTextDocument target;
    QTextCursor cursor(&target);
    cursor.insertText(QStringLiteral("before after"));
    cursor.setPosition(7);
    RtfReader::insert(rtf, cursor);
    QVERIFY(target.toPlainText().startsWith(QStringLiteral("before ")));
    QVERIFY(target.toPlainText().endsWith(QStringLiteral("after")));
    QVERIFY(timer.elapsed() < 10000);
}

void TestRtfReader::insertAtCursor_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("bold");
    // Of the block holding "Hello": a paragraph end in the RTF brings the RTF's format.
    QTest::addColumn<int>("firstAlignment");

    // The document's paragraph is centred.
    const int centred = int(Qt::AlignHCenter);
    QTest::newRow("inline run keeps the paragraph's format")
        << QByteArray("{\\rtf1 {\\b big} }") << "Hello big world"
        << "big" << centred;
    QTest::newRow("two paragraphs")
        << QByteArray("{\\rtf1 \\ql {\\b one}\\par two}") << "Hello one\ntwoworld"
        << "one" << int(Qt::AlignLeft);
    QTest::newRow("table") << QByteArray(
        "{\\rtf1 \\par\\trowd\\cellx900\\intbl {\\b c}\\cell\\row}")
                           << "Hello \n\nc\nworld"
                           << "c" << int(Qt::AlignLeft);
    QTest::newRow("plain text") << QByteArray("plain ") << "Hello plain world"
                                << "" << centred;
}

void TestRtfReader::insertAtCursor()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, expected);
    QFETCH(QString, bold);
    QFETCH(int, firstAlignment);
    QTextDocument document;
    QTextCursor cursor(&document);
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    cursor.setBlockFormat(centred);
    cursor.insertText(QStringLiteral("Hello world"));
    cursor.setPosition(6);
    RtfReader::insert(rtf, cursor);
    QCOMPARE(document.toPlainText(), expected);
    if (!bold.isEmpty()) {
        QCOMPARE(formatOf(document, bold).fontWeight(), int(QFont::Bold));
        QCOMPARE(formatOf(document, QStringLiteral("Hello")).fontWeight(), int(QFont::Normal));
    }
    QCOMPARE(int(blockWith(document, QStringLiteral("Hello")).blockFormat().alignment()),
        firstAlignment);
    // The paragraph that ends with the original text keeps the original format.
    QCOMPARE(
        blockWith(document, QStringLiteral("world")).blockFormat().alignment(), Qt::AlignHCenter);
    // The cursor ends after the inserted text, and one undo takes it all back.
    QCOMPARE(document.toPlainText().mid(cursor.position()), QStringLiteral("world"));
    document.undo();
    QCOMPARE(document.toPlainText(), QStringLiteral("Hello world"));
}

void TestRtfReader::readIsOneUndoStep()
{
    QTextDocument document;
    document.setPlainText(QStringLiteral("old"));
    RtfReader::read("{\\rtf1 a\\par b\\par{\\pict\\pngblip " + pngHex({2, 2}) + "}}", &document);
    QCOMPARE(document.toPlainText(), QStringLiteral("a\nb\n\ufffc"));
    document.undo();
    QCOMPARE(document.toPlainText(), QStringLiteral("old"));
}

QTEST_MAIN(TestRtfReader)
#include "tst_rtf_reader.moc"
