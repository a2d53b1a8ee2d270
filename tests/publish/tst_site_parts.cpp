// The parts a published site is made of: page names, the nesting of the contents, and a topic's
// text as HTML, from RTF read by our reader.

#include "publish/contents_outline.h"
#include "publish/html_text.h"
#include "publish/page_names.h"
#include "publish/topic_html.h"
#include "richtext/rtf_reader.h"

#include <QBuffer>
#include <QImage>
#include <QTest>
#include <QTextDocument>
#include <QTextImageFormat>

namespace {

// Answers as a site would: one topic is there, the rest are missing; pictures get numbered
// files.
class Resources final : public publish::TopicResources
{
public:
    QString pageOfTopic(const QString &name) override
    {
        if (name == QLatin1String("Saving a Topic"))
            return QStringLiteral("0007-saving-a-topic.html");
        missing.append(name);
        return {};
    }
    QString pictureFile(const QTextImageFormat &format, const QTextDocument &) override
    {
        stored.append(format.property(richtext::kPictureDataProperty).toByteArray());
        return QStringLiteral("images/%1.png").arg(stored.size());
    }
    QStringList missing;
    QList<QByteArray> stored;
};

QString htmlOf(const QByteArray &rtf, Resources &resources)
{
    QTextDocument document;
    richtext::RtfReader::read(rtf, &document);
    return publish::topicHtml(document, resources, QStringLiteral("Picture in \u201cX\u201d,"));
}

QByteArray pngBytes(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

} // namespace

class TestSiteParts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pageNames_data();
    void pageNames();
    void outlineParents_data();
    void outlineParents();
    void nestedList();
    void topicHtml_data();
    void topicHtml();
    void links_data();
    void links();
    void pictureKeepsItsBytes();
    void htmlText_data();
    void htmlText();
    void fontFamilies_data();
    void fontFamilies();
};

void TestSiteParts::pageNames_data()
{
    QTest::addColumn<qulonglong>("number");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("page");

    QTest::newRow("words") << 7ull << "Saving a Topic"
                           << "0007-saving-a-topic.html";
    QTest::newRow("accents dropped")
        << 3ull << QString::fromUtf8("Café options") << "0003-cafe-options.html";
    QTest::newRow("capital with umlaut")
        << 1ull << QString::fromUtf8("Über the toolbar") << "0001-uber-the-toolbar.html";
    QTest::newRow("letters spelled out")
        << 12ull << QString::fromUtf8("Straße, Œuvre, Ærø") << "0012-strasse-oeuvre-aero.html";
    QTest::newRow("curly quotes and apostrophes")
        << 18ull << QString::fromUtf8("“Smart” quotes, Señor’s guide")
        << "0018-smart-quotes-senor-s-guide.html";
    QTest::newRow("placeholder's empty name") << 2ull << ""
                                              << "0002.html";
    QTest::newRow("no Latin letters") << 9ull << QString::fromUtf8("帮助 → ★") << "0009.html";
    QTest::newRow("path signs are no path") << 4ull << "../../etc/passwd <x>?*|\\:"
                                            << "0004-etc-passwd-x.html";
    QTest::newRow("ligature and fraction")
        << 5ull << QString::fromUtf8("ﬁle ½") << "0005-file-1-2.html";
    QTest::newRow("more than four digits") << 12345ull << "Last"
                                           << "12345-last.html";
    QTest::newRow("long name cut at a word")
        << 10ull << "Configuring the printer queue of the reader when several printers are here"
        << "0010-configuring-the-printer-queue-of-the-reader-when-several.html";
}

void TestSiteParts::pageNames()
{
    QFETCH(qulonglong, number);
    QFETCH(QString, name);
    QFETCH(QString, page);
    QCOMPARE(publish::topicPageName(number, name), page);
}

void TestSiteParts::outlineParents_data()
{
    QTest::addColumn<std::vector<int>>("depths");
    QTest::addColumn<std::vector<std::ptrdiff_t>>("parents");

    using Parents = std::vector<std::ptrdiff_t>;
    QTest::newRow("each level under the one before")
        << std::vector<int> {0, 1, 2, 0} << Parents {-1, 0, 1, -1};
    QTest::newRow("all at the top") << std::vector<int> {0, 0, 0} << Parents {-1, -1, -1};
    QTest::newRow("starts at level 1: those stay at the top")
        << std::vector<int> {1, 1, 0, 1} << Parents {-1, -1, -1, 2};
    QTest::newRow("starts at level 2, then 1, then 0")
        << std::vector<int> {2, 1, 0} << Parents {-1, -1, -1};
    QTest::newRow("a step over a level nests once")
        << std::vector<int> {0, 2, 1} << Parents {-1, 0, 0};
    QTest::newRow("back up two levels")
        << std::vector<int> {0, 1, 2, 1, 0, 2} << Parents {-1, 0, 1, 0, -1, 4};
    QTest::newRow("a stray deep level")
        << std::vector<int> {0, 100, 100, 3} << Parents {-1, 0, 0, 0};
    QTest::newRow("none") << std::vector<int> {} << Parents {};
}

void TestSiteParts::outlineParents()
{
    QFETCH(std::vector<int>, depths);
    QFETCH(std::vector<std::ptrdiff_t>, parents);
    QCOMPARE(publish::outlineParents(depths), parents);
}

// A list that starts at level 1 keeps its first entries at the top and nests the rest: every
// list is closed where it opened.
void TestSiteParts::nestedList()
{
    std::vector<publish::ContentsEntry> entries;
    for (const auto &[depth, name] : {std::pair {1, "A"}, {0, "B"}, {1, "C"}, {2, "D"}, {0, "E"}})
        entries.push_back({0, depth, QString::fromLatin1(name), {}});
    const QString html = publish::nestedList(
        entries, 0, entries.size(), [](const publish::ContentsEntry &e) { return e.name; }, "toc");
    QCOMPARE(html,
        QStringLiteral("<ul class=\"toc\">\n<li>A</li>\n<li>B\n<ul>\n<li>C\n<ul>\n<li>D</li>\n"
                       "</ul>\n</li>\n</ul>\n</li>\n<li>E</li>\n</ul>\n"));
}

void TestSiteParts::topicHtml_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QStringList>("parts"); // each found in the HTML
    QTest::addColumn<QStringList>("absent"); // none of these is

    QTest::newRow("bold and italic")
        << QByteArray("{\\rtf1 \\b Bold\\b0  and \\i it\\i0 .\\par}")
        << QStringList {"<p><b>Bold</b> and <i>it</i>.</p>"} << QStringList {};
    QTest::newRow("outline levels are headings below the page's h1")
        << QByteArray("{\\rtf1 {\\outlinelevel0\\b\\fs36 Title\\par}\\pard Body\\par"
                      "\\outlinelevel1 Sub\\par}")
        << QStringList {"<h2>Title</h2>", "<p>Body</p>", "<h3>Sub</h3>"}
        << QStringList {"<b>", "font-size"};
    QTest::newRow("a heading never skips a level")
        << QByteArray("{\\rtf1 \\outlinelevel3 Deep\\par\\pard\\outlinelevel5 Deeper\\par}")
        << QStringList {"<h2>Deep</h2>", "<h3>Deeper</h3>"} << QStringList {"<h4>", "<h6>"};
    QTest::newRow("colours, foreground and background")
        << QByteArray("{\\rtf1{\\colortbl;\\red255\\green0\\blue0;\\red255\\green255\\blue0;}"
                      "\\cf1 Red\\cf0  \\highlight2 marked\\par}")
        << QStringList {"<span class=\"fg\" style=\"--fg:#ff0000\">Red</span>",
               "<span class=\"bg\" style=\"--bg:#ffff00\">marked</span>"}
        << QStringList {};
    QTest::newRow("fonts reduced to web families")
        << QByteArray("{\\rtf1{\\fonttbl{\\f0 Courier New;}{\\f1 Times New Roman;}{\\f2 Arial;}}"
                      "\\f0 code\\f1  serif\\f2  sans\\par}")
        << QStringList {"<span class=\"mono\">code</span>", "<span class=\"serif\"> serif</span>",
               " sans</p>"}
        << QStringList {"Courier", "Times", "Arial"};
    QTest::newRow("sizes relative to the display's 10 points")
        << QByteArray("{\\rtf1 \\fs40 Big\\fs20  normal\\par}")
        << QStringList {"<span style=\"font-size:2em\">Big</span>", " normal</p>"}
        << QStringList {"font-size:1em"};
    QTest::newRow("alignment") << QByteArray("{\\rtf1 \\qc Centre\\par\\pard\\qr Right\\par}")
                               << QStringList {"<p style=\"text-align:center\">Centre</p>",
                                      "<p style=\"text-align:right\">Right</p>"}
                               << QStringList {};
    QTest::newRow("indents in em of the display's text")
        << QByteArray("{\\rtf1 \\li720\\fi-360 In\\par}")
        << QStringList {"<p style=\"margin-left:3.6em;text-indent:-1.8em\">In</p>"}
        << QStringList {};
    QTest::newRow("underline, strike-through, raised and lowered")
        << QByteArray("{\\rtf1 \\ul u\\ulnone  \\strike s\\strike0  x\\super 2\\nosupersub  "
                      "H\\sub 2\\nosupersub O\\par}")
        << QStringList {"<u>u</u>", "<s>s</s>", "x<sup>2</sup>", "H<sub>2</sub>O"}
        << QStringList {};
    QTest::newRow("bulleted paragraphs are a list that keeps its labels")
        << QByteArray("{\\rtf1 \\li360\\fi-360 \\u8226?\\tab One\\par \\u8226?\\tab Two\\par"
                      "\\pard After\\par}")
        << QStringList {"<ul class=\"labelled\">\n<li><span class=\"label\">\u2022\t</span>One\n"
                        "</li>\n<li><span class=\"label\">\u2022\t</span>Two\n</li>\n</ul>\n"
                        "<p>After</p>"}
        << QStringList {"<ol"};
    QTest::newRow("numbered list with a deeper list inside its item")
        << QByteArray("{\\rtf1 \\li360 1.\\tab A\\par\\li720 a)\\tab B\\par\\li360 2.\\tab C\\par}")
        << QStringList {"<ol class=\"labelled\">\n<li><span class=\"label\">1.\t</span>A\n"
                        "<ol class=\"labelled\">\n<li><span class=\"label\">a)\t</span>B\n</li>\n"
                        "</ol>\n</li>\n<li><span class=\"label\">2.\t</span>C\n</li>\n</ol>\n"}
        << QStringList {"<ul"};
    QTest::newRow("RTF list with its own labels")
        << QByteArray("{\\rtf1{\\*\\listtable{\\list\\listid1{\\listlevel\\levelnfc0"
                      "\\leveltext{\\'02\\'00.;}\\levelnumbers{\\'01;}\\levelstartat1}}}"
                      "{\\*\\listoverridetable{\\listoverride\\listid1\\ls1}}"
                      "\\pard\\ls1\\li720\\fi-360 first\\par second\\par}")
        << QStringList {"<li><span class=\"label\">1.\t</span>first",
               "<li><span class=\"label\">2.\t</span>second"}
        << QStringList {};
    QTest::newRow("a tabbed line is no list")
        << QByteArray("{\\rtf1 A\\tab column\\par 12\\tab twelve\\par}")
        << QStringList {"<p>A\tcolumn</p>", "<p>12\ttwelve</p>"} << QStringList {"<li"};
    QTest::newRow("table") << QByteArray("{\\rtf1\\trowd\\cellx1000\\cellx2000\\intbl A\\cell "
                                         "B\\cell\\row\\pard after\\par}")
                           << QStringList {"<table>\n<tr><td>\n<p>A</p>\n</td>\n<td>\n<p>B</p>\n"
                                           "</td>\n</tr>\n</table>\n<p>after</p>"}
                           << QStringList {};
    QTest::newRow("line break in a paragraph stays a break")
        << QByteArray("{\\rtf1 one\\line two\\par}") << QStringList {"<p>one\ntwo</p>"}
        << QStringList {"<br>"};
    QTest::newRow("an empty paragraph is an empty line")
        << QByteArray("{\\rtf1 a\\par\\par b\\par}")
        << QStringList {"<p>a</p>\n<p><br></p>\n<p>b</p>\n"} << QStringList {};
    QTest::newRow("the reader's last empty paragraph is left out") << QByteArray(
        "{\\rtf1 only\\par}") << QStringList {"<p>only</p>\n"} << QStringList {"<br>"};
    QTest::newRow("markup in the text is text")
        << QByteArray("{\\rtf1 <script>alert(1)</script> & \\'93q\\'94\\par}")
        << QStringList {"&lt;script&gt;alert(1)&lt;/script&gt; &amp; \u201cq\u201d"}
        << QStringList {"<script"};
    QTest::newRow("not RTF: shown as text")
        << QByteArray("plain <b>words</b>") << QStringList {"<p>plain &lt;b&gt;words&lt;/b&gt;</p>"}
        << QStringList {"<b>"};
}

void TestSiteParts::topicHtml()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QStringList, parts);
    QFETCH(QStringList, absent);
    Resources resources;
    const QString html = htmlOf(rtf, resources);
    for (const QString &part : parts)
        QVERIFY2(html.contains(part), qPrintable(part + QStringLiteral("\n--- in ---\n") + html));
    for (const QString &part : absent)
        QVERIFY2(!html.contains(part), qPrintable(part + QStringLiteral("\n--- in ---\n") + html));
}

void TestSiteParts::links_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("html"); // the paragraph the link ends in
    QTest::addColumn<QStringList>("missing"); // topics the resources were asked for in vain

    const QString plain = QStringLiteral("<p>see it</p>");
    QTest::newRow("topic link, percent-encoded")
        << "topic:Saving%20a%20Topic"
        << "<p>see <a href=\"0007-saving-a-topic.html\">it</a></p>" << QStringList {};
    QTest::newRow("topic link, written plainly")
        << "\"topic:Saving a Topic\""
        << "<p>see <a href=\"0007-saving-a-topic.html\">it</a></p>" << QStringList {};
    QTest::newRow("link to a missing topic is plain text")
        << "topic:Nowhere" << plain << QStringList {"Nowhere"};
    QTest::newRow("web link stays")
        << "https://example.org/a?b=1&c=2"
        << "<p>see <a href=\"https://example.org/a?b=1&amp;c=2\">it</a></p>" << QStringList {};
    QTest::newRow("mail link stays")
        << "mailto:help@example.org"
        << "<p>see <a href=\"mailto:help@example.org\">it</a></p>" << QStringList {};
    QTest::newRow("local file dropped") << "file:///etc/passwd" << plain << QStringList {};
    QTest::newRow("script dropped") << "javascript:alert(1)" << plain << QStringList {};
    QTest::newRow("program dropped") << "C:\\\\Windows\\\\notepad.exe" << plain << QStringList {};
    QTest::newRow("web address without a host dropped") << "http:///x" << plain << QStringList {};
    QTest::newRow("quote in an address cannot leave the attribute")
        << "\"https://example.org/\\\"onmouseover=x\""
        << "<p>see <a href=\"https://example.org/onmouseover=x\">it</a></p>" << QStringList {};
}

void TestSiteParts::links()
{
    QFETCH(QString, address);
    QFETCH(QString, html);
    QFETCH(QStringList, missing);
    const QByteArray rtf = "{\\rtf1 see {\\field{\\*\\fldinst HYPERLINK " + address.toUtf8()
        + "}{\\fldrslt it}}\\par}";
    Resources resources;
    QCOMPARE(htmlOf(rtf, resources), html + QLatin1Char('\n'));
    QCOMPARE(resources.missing, missing);
}

// A PNG is published with its own bytes, not decoded and written again.
void TestSiteParts::pictureKeepsItsBytes()
{
    const QByteArray png = pngBytes({8, 4});
    const QByteArray rtf = "{\\rtf1 a{\\pict\\pngblip\\picwgoal1500\\pichgoal750 " + png.toHex()
        + "}b{\\pict\\pngblip " + png.toHex() + "}\\par}";
    Resources resources;
    const QString html = htmlOf(rtf, resources);
    QCOMPARE(resources.stored, QList<QByteArray>({png, png}));
    QVERIFY2(html.contains(QStringLiteral("<p>a<img src=\"images/1.png\" width=\"100\" "
                                          "height=\"50\" alt=\"Picture in \u201cX\u201d, 1\">b"
                                          "<img src=\"images/2.png\" width=\"8\" height=\"4\" "
                                          "alt=\"Picture in \u201cX\u201d, 2\"></p>")),
        qPrintable(html));
}

void TestSiteParts::htmlText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("escaped");
    QTest::addColumn<QString>("attribute");
    QTest::addColumn<QString>("json");

    QTest::newRow("markup") << "<a href=\"x\">&</a>"
                            << "&lt;a href=\"x\"&gt;&amp;&lt;/a&gt;"
                            << "&lt;a href=&quot;x&quot;&gt;&amp;&lt;/a&gt;"
                            << "\"\\u003ca href=\\\"x\\\">&\\u003c/a>\"";
    QTest::newRow("controls HTML forbids are left out")
        << QString::fromUtf8("a\x01\x7f\xc2\x81z\tb\n") << "az\tb\n"
        << "az\tb\n"
        << "\"a\\u0001\x7f\xc2\x81z\\tb\\n\"";
    QTest::newRow("letters beyond the basic plane stay whole")
        << QString::fromUtf8("\xf0\x9f\x98\x80 caf\xc3\xa9")
        << QString::fromUtf8("\xf0\x9f\x98\x80 caf\xc3\xa9")
        << QString::fromUtf8("\xf0\x9f\x98\x80 caf\xc3\xa9")
        << QString::fromUtf8("\"\xf0\x9f\x98\x80 caf\xc3\xa9\"");
    QTest::newRow("lone surrogate left out") << QString(QChar(0xd800)) + "x"
                                             << "x"
                                             << "x" << QString("\"") + QChar(0xd800) + "x\"";
    QTest::newRow("line separators would end a script's string")
        << QString(QChar(0x2028)) + QChar(0x2029) << QString(QChar(0x2028)) + QChar(0x2029)
        << QString(QChar(0x2028)) + QChar(0x2029) << "\"\\u2028\\u2029\"";
}

void TestSiteParts::htmlText()
{
    QFETCH(QString, text);
    QFETCH(QString, escaped);
    QFETCH(QString, attribute);
    QFETCH(QString, json);
    QCOMPARE(publish::htmlText(text), escaped);
    QCOMPARE(publish::htmlAttribute(text), attribute);
    QCOMPARE(publish::jsonString(text), json);
}

void TestSiteParts::fontFamilies_data()
{
    QTest::addColumn<QString>("family");
    QTest::addColumn<QString>("web");
    const QList<std::pair<const char *, const char *>> rows = {{"Courier New", "monospace"},
        {"Consolas", "monospace"}, {"DejaVu Sans Mono", "monospace"}, {"Times New Roman", "serif"},
        {"Georgia", "serif"}, {"Cambria", "serif"}, {"Liberation Serif", "serif"},
        {"Arial", "sans-serif"}, {"Verdana", "sans-serif"}, {"Microsoft Sans Serif", "sans-serif"},
        {"Unknown Face", "sans-serif"}};
    for (const auto &[family, web] : rows)
        QTest::newRow(family) << QString::fromLatin1(family) << QString::fromLatin1(web);
}

void TestSiteParts::fontFamilies()
{
    QFETCH(QString, family);
    QFETCH(QString, web);
    QCOMPARE(publish::webFontFamily(family), web);
}

QTEST_MAIN(TestSiteParts)
#include "tst_site_parts.moc"
