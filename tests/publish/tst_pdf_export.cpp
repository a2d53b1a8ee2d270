// The PDF manual of the sample documents and Penwick's own help, read back with poppler's tools:
// each topic's pages hold the text scvtool show --text gives, the contents and the bookmarks
// lead to the pages the topics start on, links between topics lead to their pages, and a damaged
// document leaves the output as it was.
//
// Comparing text: pdftotext rebuilds blanks and line ends from the glyphs' positions, so all
// white space is left out on both sides; the display's font joins "fi", "fl" and "ffi" into one
// glyph, which pdftotext gives as one ligature character, so both sides are compared in
// compatibility form (NFKC), which spells ligatures out; soft hyphens show only where a line
// breaks, so they are left out too. List labels are text in the reader's document and need no
// rule of their own. Every other character must be there, in order.

#include "publish/pdf_export.h"
#include "publish_test_support.h"

#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

using namespace publishtest;

namespace {

QString comparable(const QString &text)
{
    QString out;
    for (QChar c : text.normalized(QString::NormalizationForm_KC)) {
        if (!c.isSpace() && c != QChar(0x00ad))
            out += c;
    }
    return out;
}

class Recorder final : public publish::ExportObserver
{
public:
    bool progress(std::uint64_t done, std::uint64_t total) override
    {
        last = {done, total};
        return true;
    }
    void warning(const QString &message) override { warnings << message; }
    std::pair<std::uint64_t, std::uint64_t> last;
    QStringList warnings;
};

// What pdftohtml -xml reads of a manual: each page's links (text and target), and the
// bookmarks with their depth.
struct PdfStructure
{
    struct Link
    {
        QString text;
        QString target; // "#N" for a page of the manual, else the address
    };
    QList<QList<Link>> pageLinks;
    struct Bookmark
    {
        QString title;
        int page;
        int depth;
    };
    QList<Bookmark> bookmarks;
};

PdfStructure readStructure(const QString &folder, const QString &pdf)
{
    PdfStructure structure;
    const Run run = runIn(folder, "pdftohtml", {"-xml", "-stdout", "-i", "-q", pdf});
    QXmlStreamReader xml(run.out);
    int depth = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"page")
            structure.pageLinks.append(QList<PdfStructure::Link>());
        if (xml.isStartElement() && xml.name() == u"outline")
            ++depth;
        if (xml.isEndElement() && xml.name() == u"outline")
            --depth;
        if (xml.isStartElement() && xml.name() == u"a") {
            QString target = xml.attributes().value("href").toString();
            const qsizetype hash = target.indexOf(u".html#");
            if (hash >= 0)
                target = target.mid(hash + 5);
            structure.pageLinks.last().append(
                {xml.readElementText(QXmlStreamReader::IncludeChildElements), target});
        }
        if (xml.isStartElement() && xml.name() == u"item") {
            const int page = xml.attributes().value("page").toInt();
            structure.bookmarks.append(
                {xml.readElementText(QXmlStreamReader::IncludeChildElements), page, depth});
        }
    }
    return structure;
}

// The text of each page, and the names and depths of the contents' lines.
QStringList pagesText(const QString &folder, const QString &pdf)
{
    const Run run = runIn(folder, "pdftotext", {"-raw", "-enc", "UTF-8", pdf, "-"});
    QStringList pages = QString::fromUtf8(run.out).split(u'\f');
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

struct ContentsLine
{
    QString name;
    int depth;
};

QList<ContentsLine> contentsLines(const QString &folder, const QString &document)
{
    QList<ContentsLine> lines;
    const Run run = scvtool(folder, {"list", document});
    QStringList listed = QString::fromUtf8(run.out).split(u'\n');
    listed.removeLast(); // after the last line end
    for (const QString &line : std::as_const(listed)) {
        const qsizetype blanks = line.size() - QStringView(line).trimmed().size();
        lines.append({line.trimmed(), int(blanks / 3)});
    }
    return lines;
}

QByteArray linkingDocument()
{
    return "\"0\",\"Start\",\"{\\rtf1 See {\\field{\\*\\fldinst HYPERLINK topic:Second%20topic}"
           "{\\fldrslt the second}} and {\\field{\\*\\fldinst HYPERLINK topic:Nowhere}"
           "{\\fldrslt a lost one}} and {\\field{\\*\\fldinst HYPERLINK https://example.org/}"
           "{\\fldrslt the web}}.\\par}\"\r\n"
           "\"1\",\"Second topic\",\"{\\rtf1 Back to {\\field{\\*\\fldinst HYPERLINK "
           "topic:Start}{\\fldrslt the start}} again.\\page Its second page.\\par}\"\r\n";
}

} // namespace

class TestPdfExport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void everyTopic_data();
    void everyTopic();
    void topicLinks();
    void pageSize_data();
    void pageSize();
    void damagedDocument_data();
    void damagedDocument();
    void notOverTheDocument();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString path(const QString &name) const { return m_dir->filePath(name); }
};

void TestPdfExport::initTestCase()
{
    for (const char *tool : {"pdftotext", "pdftohtml", "pdfinfo"}) {
        if (QStandardPaths::findExecutable(tool).isEmpty())
            QFAIL(qPrintable(QStringLiteral("%1 (poppler-utils) is not installed").arg(tool)));
    }
}

void TestPdfExport::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestPdfExport::everyTopic_data()
{
    QTest::addColumn<QString>("document");
    QTest::addColumn<int>("topics");

    QTest::newRow("Manual.scv") << "Manual.scv" << 40;
    QTest::newRow("Three levels.scv") << "Three levels.scv" << 3;
    QTest::newRow("With placeholder.scv") << "With placeholder.scv" << 4;
    QTest::newRow("Empty.scv: the title page alone") << "Empty.scv" << 0;
    QTest::newRow("Penwick's help, Scrivane.scv") << "Scrivane.scv" << 21;
}

void TestPdfExport::everyTopic()
{
    QFETCH(QString, document);
    QFETCH(int, topics);
    QVERIFY(QFile::copy(samplePath(document), path(document)));
    Recorder recorder;
    publish::PdfOptions options;
    options.date = QDate(2024, 5, 6);
    const publish::ExportResult result = publish::exportPdf(
        path(document).toStdString(), document, path("manual.pdf"), options, recorder);
    QVERIFY2(result.ok(), qPrintable(result.message));
    QCOMPARE(int(result.topics), topics);
    QCOMPARE(int(result.topicPages.size()), topics);
    QCOMPARE(recorder.last.first + 1, recorder.last.second);
    QVERIFY(recorder.warnings.isEmpty());

    const QStringList pages = pagesText(m_dir->path(), "manual.pdf");
    QCOMPARE(pages.size(), result.pages);
    QVERIFY(pages.first().contains(document.section(u'.', 0, 0)));
    QVERIFY(pages.first().contains("2024-05-06"));
    // Every page but the title page ends with its number.
    QStringList bodies;
    for (int page = 2; page <= pages.size(); ++page) {
        QStringList lines = pages[page - 1].trimmed().split(u'\n');
        QCOMPARE(lines.takeLast().trimmed(), QString::number(page));
        bodies << lines.join(u'\n');
    }
    const QList<ContentsLine> contents = contentsLines(m_dir->path(), document);
    QCOMPARE(contents.size(), topics);
    for (int i = 0; i < topics; ++i) {
        const int first = result.topicPages[i];
        const int last = i + 1 < topics ? result.topicPages[i + 1] - 1 : result.pages;
        QString text;
        for (int page = first; page <= last; ++page)
            text += bodies[page - 2] + u'\n';
        const QString heading = contents[i].name.isEmpty() ? "(untitled)" : contents[i].name;
        const QString found = comparable(text);
        QVERIFY2(found.startsWith(comparable(heading)), qPrintable(heading));
        QCOMPARE(found.mid(comparable(heading).size()),
            comparable(shownText(m_dir->path(), document, i + 1)));
    }

    // The contents pages: each line leads to its topic's first page, whose number it shows.
    const PdfStructure structure = readStructure(m_dir->path(), "manual.pdf");
    QCOMPARE(structure.pageLinks.size(), result.pages);
    QStringList expected;
    QStringList found;
    for (int i = 0; i < topics; ++i) {
        const QString heading = contents[i].name.isEmpty() ? "(untitled)" : contents[i].name;
        const QString target = '#' + QString::number(result.topicPages[i]);
        expected << heading + " " + target << QString::number(result.topicPages[i]) + " " + target;
    }
    for (int page = 2; topics > 0 && page < result.topicPages[0]; ++page) {
        for (const PdfStructure::Link &link : structure.pageLinks[page - 1])
            found << link.text.simplified().normalized(QString::NormalizationForm_KC) + " "
                    + link.target;
    }
    QCOMPARE(found, expected);
    // The bookmarks follow the contents: names, pages and levels.
    QCOMPARE(structure.bookmarks.size(), topics);
    for (int i = 0; i < topics; ++i) {
        const QString heading = contents[i].name.isEmpty() ? "(untitled)" : contents[i].name;
        QCOMPARE(structure.bookmarks[i].title, heading);
        QCOMPARE(structure.bookmarks[i].page, result.topicPages[i]);
    }
    if (document == "Three levels.scv") {
        QCOMPARE(structure.bookmarks[0].depth, 1);
        QCOMPARE(structure.bookmarks[1].depth, 2);
        QCOMPARE(structure.bookmarks[2].depth, 3);
    }
    QCOMPARE(result.outline, topics > 0);
}

// Links between topics lead to the target's first page; one to a missing topic is told and
// becomes text; web links stay.
void TestPdfExport::topicLinks()
{
    QVERIFY(writeFile(path("Links.scv"), linkingDocument()));
    const Run run = scvtool(m_dir->path(), {"export", "Links.scv", "--pdf", "links.pdf"});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.err,
        QByteArray("scvtool: Links.scv: topic 1 (Start) links to \"Nowhere\", which is no topic of "
                   "the document; its text stays plain\n"));
    QCOMPARE(run.out,
        QByteArray("Links.scv: 2 topics on 5 pages written as a PDF manual to "
                   "links.pdf\n"));
    const PdfStructure structure = readStructure(m_dir->path(), "links.pdf");
    QCOMPARE(structure.pageLinks.size(), 5);
    QStringList start;
    for (const PdfStructure::Link &link : structure.pageLinks[2])
        start << link.text.trimmed() + " " + link.target;
    QCOMPARE(start, QStringList({"the second #4", "the web https://example.org/"}));
    QStringList second;
    for (const PdfStructure::Link &link : structure.pageLinks[3])
        second << link.text.trimmed() + " " + link.target;
    QCOMPARE(second, QStringList({"the start #3"}));
}

void TestPdfExport::pageSize_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("size");
    QTest::newRow("A4 unless asked") << QStringList {} << "595 x 842 pts (A4)";
    QTest::newRow("A4") << QStringList {"--page-size", "a4"} << "595 x 842 pts (A4)";
    QTest::newRow("Letter") << QStringList {"--page-size", "letter"} << "612 x 792 pts (letter)";
}

void TestPdfExport::pageSize()
{
    QFETCH(QStringList, options);
    QFETCH(QString, size);
    QVERIFY(QFile::copy(samplePath("Three levels.scv"), path("Three levels.scv")));
    const Run run = scvtool(
        m_dir->path(), QStringList {"export", "Three levels.scv", "--pdf", "out.pdf"} + options);
    QCOMPARE(run.exitCode, 0);
    const Run info = runIn(m_dir->path(), "pdfinfo", {"out.pdf"});
    QCOMPARE(info.err, QByteArray());
    QVERIFY2(info.out.contains("Page size:       " + size.toUtf8()), info.out.constData());
    QVERIFY(info.out.contains("Pages:           5\n"));
    QVERIFY(info.out.contains("Title:           Three levels\n"));
}

void TestPdfExport::damagedDocument_data()
{
    QTest::addColumn<bool>("earlier");
    QTest::newRow("no file yet: none is made") << false;
    QTest::newRow("an earlier manual stays as it was") << true;
}

// The manual never takes the place of the document it is made from.
void TestPdfExport::notOverTheDocument()
{
    QVERIFY(QFile::copy(samplePath("Three levels.scv"), path("Three levels.scv")));
    QVERIFY(QDir().mkpath(path("sub")));
    const QMap<QString, QByteArray> before = snapshot(m_dir->path());
    for (const QString &out : {QString("Three levels.scv"), QString("sub/../Three levels.scv")}) {
        const Run run = scvtool(m_dir->path(), {"export", "Three levels.scv", "--pdf", out});
        QCOMPARE(run.exitCode, 2);
        QCOMPARE(run.err, "scvtool: " + out.toUtf8() + " is the document itself\n");
    }
    const Run folder = scvtool(m_dir->path(), {"export", "Three levels.scv", "--pdf", "sub"});
    QCOMPARE(folder.exitCode, 2);
    QCOMPARE(folder.err, QByteArray("scvtool: sub is a folder\n"));
    QCOMPARE(snapshot(m_dir->path()), before);
}

void TestPdfExport::damagedDocument()
{
    QFETCH(bool, earlier);
    QVERIFY(QFile::copy(samplePath("Damaged.scv"), path("Damaged.scv")));
    if (earlier)
        QVERIFY(writeFile(path("out.pdf"), "an earlier manual"));
    const QMap<QString, QByteArray> before = snapshot(m_dir->path());
    const Run run = scvtool(m_dir->path(), {"export", "Damaged.scv", "--pdf", "out.pdf"});
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.err,
        QByteArray("scvtool: Damaged.scv: damaged at record 3, byte 246: a quoted value has no "
                   "closing double quote\n"));
    QCOMPARE(snapshot(m_dir->path()), before);
}

QTEST_MAIN(TestPdfExport)
#include "tst_pdf_export.moc"
