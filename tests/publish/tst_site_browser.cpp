// The published site's search in a real browser: headless Chromium opens search.html?q=WORDS
// from file://, where no page may fetch another file, runs the site's own script on its index
// and prints the page as it then stands; the result list is read from that.

#include "publish_test_support.h"
#include "tests/support/html_support.h"
#include "tests/support/text_support.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QUrlQuery>

using namespace publishtest;
using testsupport::HtmlElement;
using testsupport::htmlElements;

namespace {

struct Hit
{
    QString name;
    QString page;
    QString excerpt;
    QStringList marked;
};

// The page search.html shows for the query, as Chromium leaves it.
QString searchPage(const QString &site, const QString &query, QString &error)
{
    const QString chromium = QStandardPaths::findExecutable("chromium");
    QTemporaryDir profile;
    QUrl url = QUrl::fromLocalFile(site + "/search.html");
    QUrlQuery parameters;
    parameters.addQueryItem("q", query);
    url.setQuery(parameters);
    QProcess browser;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // Nothing of the browser's lands in the user's folders.
    environment.insert("HOME", profile.path());
    environment.insert("XDG_CONFIG_HOME", profile.path());
    environment.insert("XDG_CACHE_HOME", profile.path());
    browser.setProcessEnvironment(environment);
    browser.start(chromium,
        {"--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
            "--disable-background-networking", "--disable-component-update", "--disable-sync",
            "--user-data-dir=" + profile.filePath("profile"), "--dump-dom",
            url.toString(QUrl::FullyEncoded)});
    if (!browser.waitForFinished(90000)) {
        browser.kill();
        browser.waitForFinished();
        error = "chromium did not finish";
        return {};
    }
    if (browser.exitStatus() != QProcess::NormalExit || browser.exitCode() != 0)
        error = "chromium failed: " + QString::fromUtf8(browser.readAllStandardError());
    return QString::fromUtf8(browser.readAllStandardOutput());
}

QList<Hit> hitsIn(const QString &page)
{
    QList<Hit> hits;
    const QList<HtmlElement> elements = htmlElements(page);
    bool inResults = false;
    for (const HtmlElement &element : elements) {
        if (element.tag == "ol")
            inResults = element.attributes.value("id") == "results";
        if (!inResults)
            continue;
        if (element.tag == "li")
            hits.append(Hit());
        else if (element.tag == "a" && !hits.isEmpty()) {
            hits.last().name = element.text;
            hits.last().page = element.attributes.value("href");
        } else if (element.tag == "p" && !hits.isEmpty())
            hits.last().excerpt = element.text;
        else if (element.tag == "mark" && !hits.isEmpty())
            hits.last().marked << element.text;
    }
    return hits;
}

} // namespace

class TestSiteBrowser : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void search_data();
    void search();

private:
    QTemporaryDir m_dir;
};

void TestSiteBrowser::initTestCase()
{
    if (QStandardPaths::findExecutable("chromium").isEmpty())
        QSKIP("Chromium is not installed (Debian's chromium package; ./test.sh installs it)");
    QVERIFY(m_dir.isValid());
    for (const char *name : {"Three levels.scv", "Manual.scv"}) {
        QVERIFY(QFile::copy(samplePath(name), m_dir.filePath(name)));
        const QString site = QString::fromLatin1(name).section(u'.', 0, 0).remove(u' ');
        const Run run = scvtool(m_dir.path(), {"export", name, "--html", site});
        QVERIFY2(run.exitCode == 0, run.err.constData());
    }
}

void TestSiteBrowser::search_data()
{
    QTest::addColumn<QString>("site");
    QTest::addColumn<QString>("query");
    QTest::addColumn<QStringList>("names"); // the topics listed, in contents order
    QTest::addColumn<QString>("status");

    QTest::newRow("start of a word, in capitals")
        << "Threelevels"
        << "INSTAL" << QStringList {"Install, first steps"}
        << "1 topic contains \u201cINSTAL\u201d:";
    QTest::newRow("every word is needed")
        << "Threelevels"
        << "run manual" << QStringList {} << "No topic contains \u201crun manual\u201d.";
    QTest::newRow("two words in one topic") << "Threelevels"
                                            << "then  run" << QStringList {"Install, first steps"}
                                            << "1 topic contains \u201cthen  run\u201d:";
    QTest::newRow("the inside of a word is no match")
        << "Threelevels"
        << "stall" << QStringList {} << "No topic contains \u201cstall\u201d.";
    QTest::newRow("accented letters") << "Threelevels" << QString::fromUtf8("CAFÉ")
                                      << QStringList {QString::fromUtf8("Café options")}
                                      << QString::fromUtf8("1 topic contains \u201cCAFÉ\u201d:");
    QTest::newRow("many topics of the manual") << "Manual"
                                               << "libffi" << QStringList {} << "";
}

void TestSiteBrowser::search()
{
    QFETCH(QString, site);
    QFETCH(QString, query);
    QFETCH(QStringList, names);
    QFETCH(QString, status);
    const QString folder = m_dir.filePath(site);
    // The manual's hits: the topics whose shown text holds a word that starts with the query,
    // from the text each page shows.
    if (site == "Manual") {
        const QRegularExpression word("(?<![\\p{L}\\p{N}])" + QRegularExpression::escape(query),
            QRegularExpression::CaseInsensitiveOption
                | QRegularExpression::UseUnicodePropertiesOption);
        const QString index = QString::fromUtf8(readFile(folder + "/index.html"));
        for (const HtmlElement &link : htmlElements(index, "a")) {
            const QString page = link.attributes.value("href");
            if (!QRegularExpression("^\\d{4}").match(page).hasMatch())
                continue;
            const QList<HtmlElement> text =
                htmlElements(QString::fromUtf8(readFile(folder + '/' + page)), "div", "topic");
            if (!text.isEmpty() && word.match(text.first().text).hasMatch())
                names << link.text;
        }
        QVERIFY2(names.size() > 1 && names.size() < 40, qPrintable(names.join(", ")));
        status = QStringLiteral("%1 topics contain \u201c%2\u201d:").arg(names.size()).arg(query);
    }

    QString error;
    const QString page = searchPage(folder, query, error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    const QList<HtmlElement> statusLine = htmlElements(page, "p");
    QString shownStatus;
    for (const HtmlElement &p : statusLine) {
        if (p.attributes.value("id") == "search-status")
            shownStatus = p.text;
    }
    QCOMPARE(shownStatus, status);
    const QList<Hit> hits = hitsIn(page);
    QStringList shown;
    for (const Hit &hit : hits) {
        shown << hit.name;
        QVERIFY2(QFile::exists(folder + '/' + hit.page), qPrintable(hit.page));
        // The excerpt marks the words found, as the text has them.
        QVERIFY2(!hit.marked.isEmpty(), qPrintable(hit.excerpt));
        for (const QString &marked : hit.marked)
            QVERIFY2(hit.excerpt.contains(marked), qPrintable(hit.excerpt));
    }
    QCOMPARE(shown, names);
}

QTEST_GUILESS_MAIN(TestSiteBrowser)
#include "tst_site_browser.moc"
