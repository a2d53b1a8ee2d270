// scvtool export --html on the sample documents and Penwick's own help: every topic's page shows
// the text that scvtool show --text gives, every link and picture of the site leads to a file of
// the site, the pages pass tidy, and the folder rules keep the user's files and a damaged
// document's target as they were.

#include "publish_test_support.h"
#include "tests/support/html_support.h"
#include "tests/support/text_support.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

using namespace publishtest;
using testsupport::HtmlElement;
using testsupport::htmlElements;
using testsupport::normalisedText;

namespace {

QString pageText(const QString &path)
{
    return QString::fromUtf8(readFile(path));
}

// Where a link of a page leads, when it leads into the site: the file, else empty.
QString siteFile(const QString &address)
{
    const QUrl url(address);
    if (!url.scheme().isEmpty())
        return {};
    return url.path();
}

// The entries that were written beside the target: scratch folders must not outlive an export.
QStringList leftovers(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral(".*.export-*"), QStringLiteral(".*.old-*")},
        QDir::AllEntries | QDir::Hidden);
}

// A document written here: topics whose texts link to each other.
QByteArray linkingDocument()
{
    return "\"0\",\"Start\",\"{\\rtf1 See {\\field{\\*\\fldinst HYPERLINK topic:Second%20topic}"
           "{\\fldrslt the second}} and {\\field{\\*\\fldinst HYPERLINK topic:Nowhere}"
           "{\\fldrslt a lost one}} and {\\field{\\*\\fldinst HYPERLINK https://example.org/}"
           "{\\fldrslt the web}}.\\par}\"\r\n"
           "\"1\",\"Second topic\",\"{\\rtf1 Back to {\\field{\\*\\fldinst HYPERLINK "
           "topic:Start}{\\fldrslt the start}}.\\par}\"\r\n";
}

} // namespace

class TestSiteExport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void everyTopic_data();
    void everyTopic();
    void folderRules_data();
    void folderRules();
    void damagedDocument_data();
    void damagedDocument();
    void topicLinks();
    void usage_data();
    void usage();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString path(const QString &name) const { return m_dir->filePath(name); }
    void copySample(const QString &name) { QVERIFY(QFile::copy(samplePath(name), path(name))); }
};

void TestSiteExport::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestSiteExport::everyTopic_data()
{
    QTest::addColumn<QString>("document");
    QTest::addColumn<int>("topics");
    QTest::addColumn<QString>("title");

    QTest::newRow("Manual.scv") << "Manual.scv" << 40 << "Manual";
    QTest::newRow("Three levels.scv") << "Three levels.scv" << 3 << "Three levels";
    QTest::newRow("With placeholder.scv") << "With placeholder.scv" << 4 << "With placeholder";
    QTest::newRow("Empty.scv") << "Empty.scv" << 0 << "Empty";
    QTest::newRow("Penwick's help, Scrivane.scv") << "Scrivane.scv" << 21 << "Scrivane";
}

void TestSiteExport::everyTopic()
{
    QFETCH(QString, document);
    QFETCH(int, topics);
    QFETCH(QString, title);
    copySample(document);
    const Run run = scvtool(m_dir->path(), {"export", document, "--html", "site"});
    QVERIFY2(!run.crashed && run.exitCode == 0, run.err.constData());
    QCOMPARE(run.err, QByteArray());
    QVERIFY(run.out.startsWith(document.toUtf8() + ": " + QByteArray::number(topics) + " topic"));
    const QString site = path("site");
    QVERIFY(leftovers(m_dir->path()).isEmpty());

    // The contents list every topic once, in order; page k is topic k.
    const QString index = pageText(site + "/index.html");
    QCOMPARE(htmlElements(index, "title").value(0).text, title);
    QStringList pages;
    for (const HtmlElement &link : htmlElements(index, "a")) {
        const QString href = link.attributes.value("href");
        if (QRegularExpression("^\\d{4,}").match(href).hasMatch())
            pages << href;
    }
    QCOMPARE(pages.size(), topics);

    const QString tidy = QStandardPaths::findExecutable("tidy");
    QStringList files = pages;
    files << "index.html"
          << "search.html";
    for (const QString &file : files) {
        const QString html = pageText(site + '/' + file);
        const QList<HtmlElement> elements = htmlElements(html);
        QVERIFY2(!elements.isEmpty(), qPrintable(file));
        // lang set, one h1, headings in order, every picture described.
        QVERIFY2(!htmlElements(html, "html").value(0).attributes.value("lang").isEmpty(),
            qPrintable(file));
        int previous = 0;
        for (const HtmlElement &element : elements) {
            if (QRegularExpression("^h[1-6]$").match(element.tag).hasMatch()) {
                const int level = element.tag.mid(1).toInt();
                QVERIFY2(level <= previous + 1 && (previous > 0 || level == 1),
                    qPrintable(file + ": " + element.tag + " after h" + QString::number(previous)));
                previous = level;
            }
            if (element.tag == "img")
                QVERIFY2(!element.attributes.value("alt").trimmed().isEmpty(), qPrintable(file));
            // Nothing is fetched from outside the site.
            if (element.tag == "script" || element.tag == "link" || element.tag == "img") {
                const QString source =
                    element.attributes.value(element.tag == "link" ? "href" : "src");
                QVERIFY2(
                    !source.isEmpty() && !siteFile(source).isEmpty() && !source.startsWith("//"),
                    qPrintable(file + ": " + source));
            }
            // Every address into the site leads to a file of it.
            for (const char *attribute : {"href", "src", "action"}) {
                const QString target = siteFile(element.attributes.value(attribute));
                if (!target.isEmpty())
                    QVERIFY2(QFile::exists(site + '/' + target),
                        qPrintable(file + " leads to a missing " + target));
            }
        }
        QCOMPARE(htmlElements(html, "h1").size(), 1);
        QCOMPARE(htmlElements(html, "main").size(), 1);
        if (!tidy.isEmpty()) {
            const Run check = runIn(site, tidy, {"-errors", "-q", file});
            QVERIFY2(check.exitCode < 2 && !check.err.contains("Error:"),
                qPrintable(file + ":\n" + QString::fromUtf8(check.err)));
        }
    }

    for (int i = 0; i < topics; ++i) {
        const QString html = pageText(site + '/' + pages[i]);
        const QByteArray row = pages[i].toUtf8();
        const QList<HtmlElement> text = htmlElements(html, "div", "topic");
        QCOMPARE(text.size(), 1);
        QCOMPARE(normalisedText(text.first().text),
            normalisedText(shownText(m_dir->path(), document, i + 1)));
        // Previous and Next in contents order; the contents mark this page.
        const QList<HtmlElement> links = htmlElements(html, "a");
        QString previous;
        QString next;
        QStringList current;
        for (const HtmlElement &link : links) {
            if (link.attributes.value("rel") == "prev")
                previous = link.attributes.value("href");
            if (link.attributes.value("rel") == "next")
                next = link.attributes.value("href");
            if (link.attributes.value("aria-current") == "page")
                current << link.attributes.value("href");
        }
        QVERIFY2(previous == (i > 0 ? pages[i - 1] : QString()), row);
        QVERIFY2(next == (i + 1 < topics ? pages[i + 1] : QString()), row);
        QCOMPARE(current, QStringList {pages[i]});
    }

    // The search index: one entry per topic, in order, with its page and its shown text.
    QByteArray index2 = readFile(site + "/search-index.js");
    QVERIFY(index2.startsWith("var scrivaneSearchIndex = ["));
    index2 = index2.mid(index2.indexOf('['));
    index2.chop(index2.size() - index2.lastIndexOf(']') - 1);
    QJsonParseError error;
    const QJsonArray entries = QJsonDocument::fromJson(index2, &error).array();
    QCOMPARE(error.error, QJsonParseError::NoError);
    QCOMPARE(entries.size(), topics);
    for (int i = 0; i < topics; ++i) {
        QCOMPARE(entries[i].toObject().value("page").toString(), pages[i]);
        QCOMPARE(entries[i].toObject().value("text").toString(),
            normalisedText(shownText(m_dir->path(), document, i + 1)));
    }
}

void TestSiteExport::folderRules_data()
{
    QTest::addColumn<QString>("setUp"); // what is in the way before the export
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("err");

    QTest::newRow("a missing folder is made") << ""
                                              << "site" << 0 << "";
    QTest::newRow("missing folders above it are made") << ""
                                                       << "a/b/site" << 0 << "";
    QTest::newRow("an empty folder is used") << "empty"
                                             << "site" << 0 << "";
    QTest::newRow("an earlier export is replaced") << "export"
                                                   << "site" << 0 << "";
    QTest::newRow("a folder of the user's is refused")
        << "user"
        << "site" << 2
        << "scvtool: site is not empty and holds no earlier export; the site goes into a new or "
           "empty folder\n";
    QTest::newRow("an earlier export with a file of the user's is refused")
        << "export+user"
        << "site" << 2
        << "scvtool: site holds notes.txt, which no export wrote; the site goes into a new or "
           "empty folder, or one that holds only an earlier export\n";
    QTest::newRow("a marker of another kind is no export's")
        << "marker"
        << "site" << 2
        << "scvtool: site is not empty and holds no earlier export; the site goes into a new or "
           "empty folder\n";
    QTest::newRow("a file in the folder's place is refused")
        << "file"
        << "site" << 2 << "scvtool: site exists and is not a folder\n";
}

void TestSiteExport::folderRules()
{
    QFETCH(QString, setUp);
    QFETCH(QString, target);
    QFETCH(int, exitCode);
    QFETCH(QString, err);
    copySample("Three levels.scv");
    copySample("Manual.scv");
    const QString site = path(target);
    if (setUp.startsWith("export"))
        QCOMPARE(scvtool(m_dir->path(), {"export", "Manual.scv", "--html", target}).exitCode, 0);
    if (setUp == "empty")
        QVERIFY(QDir().mkpath(site));
    if (setUp.endsWith("user")) {
        QVERIFY(QDir().mkpath(site));
        QVERIFY(writeFile(site + "/notes.txt", "mine"));
    }
    if (setUp == "marker") {
        QVERIFY(QDir().mkpath(site));
        QVERIFY(writeFile(site + "/.scrivane-export", "Something else\nnotes.txt\n"));
        QVERIFY(writeFile(site + "/notes.txt", "mine"));
    }
    if (setUp == "file")
        QVERIFY(writeFile(site, "mine"));
    const QMap<QString, QByteArray> before = snapshot(m_dir->path());

    const Run run = scvtool(m_dir->path(), {"export", "Three levels.scv", "--html", target});
    QVERIFY(!run.crashed);
    QCOMPARE(QString::fromUtf8(run.err), err);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY(leftovers(QFileInfo(site).absolutePath()).isEmpty());
    if (exitCode != 0) {
        QCOMPARE(snapshot(m_dir->path()), before);
        return;
    }
    // The new site alone: nothing of the earlier export is left.
    QVERIFY(QFile::exists(site + "/0003-cafe-options.html"));
    QVERIFY(!QFile::exists(site + "/0040-introduction.html"));
    QVERIFY(!QDir(site + "/images").exists());
    QVERIFY(readFile(site + "/.scrivane-export").startsWith("Scrivane web site export\n"));
    QCOMPARE(QFileInfo(site).permissions() & QFile::ReadOther, QFile::ReadOther);
}

void TestSiteExport::damagedDocument_data()
{
    QTest::addColumn<bool>("earlierExport");
    QTest::newRow("no folder yet: none is made") << false;
    QTest::newRow("an earlier export stays as it was") << true;
}

// Nothing half-written is left as if complete: the folder is as it was, and the damage named.
void TestSiteExport::damagedDocument()
{
    QFETCH(bool, earlierExport);
    copySample("Damaged.scv");
    copySample("Three levels.scv");
    if (earlierExport)
        QCOMPARE(
            scvtool(m_dir->path(), {"export", "Three levels.scv", "--html", "site"}).exitCode, 0);
    const QMap<QString, QByteArray> before = snapshot(m_dir->path());
    const Run run = scvtool(m_dir->path(), {"export", "Damaged.scv", "--html", "site"});
    QVERIFY(!run.crashed);
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.err,
        QByteArray("scvtool: Damaged.scv: damaged at record 3, byte 246: a quoted value has no "
                   "closing double quote\n"));
    QCOMPARE(run.out, QByteArray());
    QCOMPARE(snapshot(m_dir->path()), before);
}

// Links between topics lead to their pages; one to a missing topic is told and becomes text.
void TestSiteExport::topicLinks()
{
    QVERIFY(writeFile(path("Links.scv"), linkingDocument()));
    const Run run = scvtool(m_dir->path(), {"export", "Links.scv", "--html", "site"});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.err,
        QByteArray("scvtool: Links.scv: topic 1 (Start) links to \"Nowhere\", which is no topic of "
                   "the document; its text stays plain\n"));
    const QString start = pageText(path("site/0001-start.html"));
    const QList<HtmlElement> text = htmlElements(start, "div", "topic");
    QCOMPARE(text.size(), 1);
    QStringList links;
    for (const HtmlElement &link : htmlElements(start, "a")) {
        if (text.first().text.contains(link.text) && !link.text.isEmpty()
            && link.attributes.value("href") != "index.html" && !link.attributes.contains("rel")
            && !link.attributes.contains("aria-current"))
            links << link.text + " -> " + link.attributes.value("href");
    }
    QCOMPARE(links,
        QStringList({"the second -> 0002-second-topic.html", "the web -> https://example.org/"}));
    QVERIFY(text.first().text.contains("a lost one"));
    const QString second = pageText(path("site/0002-second-topic.html"));
    QVERIFY(second.contains("<a href=\"0001-start.html\">the start</a>"));
}

void TestSiteExport::usage_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("err");

    const QByteArray usage = "; usage: scvtool export FILE --html DIR [--lang TAG] | scvtool "
                             "export FILE --pdf OUT.pdf [--page-size a4 | letter]\n";
    QTest::newRow("no output named") << QStringList {"export", "Manual.scv", "--lang",
        "de"} << "scvtool: say what to write with --html DIR or --pdf OUT.pdf" + usage;
    QTest::newRow("both outputs") << QStringList {"export", "Manual.scv", "--html", "s", "--pdf",
        "m.pdf"} << "scvtool: give --html or --pdf, once" + usage;
    QTest::newRow("a page size for a site") << QStringList {"export", "Manual.scv", "--html", "s",
        "--page-size", "a4"} << "scvtool: --page-size is for --pdf" + usage;
    QTest::newRow("an unknown page size") << QStringList {"export", "Manual.scv", "--pdf", "m.pdf",
        "--page-size", "a5"} << "scvtool: the page size is a4 or letter, not \"a5\"" + usage;
    QTest::newRow("a language tag that is none")
        << QStringList {"export", "Manual.scv", "--html", "s", "--lang", "en\"><script>"}
        << "scvtool: \"en\"><script>\" is no language tag (such as en or de-CH)" + usage;
    QTest::newRow("an unknown option") << QStringList {"export", "Manual.scv", "--epub", "x"}
                                       << "scvtool: unknown option \"--epub\" for export" + usage;
    QTest::newRow("an option without its value") << QStringList {"export", "Manual.scv", "--html",
        "s", "--lang"} << "scvtool: --lang needs a value" + usage;
    QTest::newRow("an empty folder name") << QStringList {"export", "Manual.scv", "--html", ""}
                                          << "scvtool: --html needs a folder or file name" + usage;
    QTest::newRow("too few arguments")
        << QStringList {"export", "Manual.scv"}
        << QByteArray("scvtool: wrong number of arguments; usage: scvtool export FILE (--html DIR "
                      "[--lang TAG] | --pdf OUT.pdf [--page-size a4 | letter])\n");
}

void TestSiteExport::usage()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, err);
    copySample("Manual.scv");
    const QMap<QString, QByteArray> before = snapshot(m_dir->path());
    const Run run = scvtool(m_dir->path(), arguments);
    QCOMPARE(run.err, err);
    QCOMPARE(run.exitCode, 2);
    QCOMPARE(snapshot(m_dir->path()), before);
}

QTEST_GUILESS_MAIN(TestSiteExport)
#include "tst_site_export.moc"
