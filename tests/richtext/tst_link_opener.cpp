#include "richtext/link_opener.h"

#include <QtTest>

class TestLinkOpener : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void openable_data();
    void openable();
};

void TestLinkOpener::openable_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<bool>("openable");

    QTest::newRow("https") << "https://example.org/guide" << true;
    QTest::newRow("http, upper-case scheme") << "HTTP://example.org" << true;
    QTest::newRow("mailto") << "mailto:help@example.org" << true;
    QTest::newRow("local file") << "file:///usr/bin/xterm" << false;
    QTest::newRow("bare path") << "/usr/bin/xterm" << false;
    QTest::newRow("relative name") << "setup.sh" << false;
    QTest::newRow("javascript") << "javascript:alert(1)" << false;
    QTest::newRow("other scheme") << "ftp://example.org/x" << false;
    QTest::newRow("http without host") << "http:///etc/passwd" << false;
    QTest::newRow("empty mailto") << "mailto:" << false;
    QTest::newRow("empty") << "" << false;
}

void TestLinkOpener::openable()
{
    QFETCH(QString, url);
    QFETCH(bool, openable);
    QCOMPARE(richtext::isOpenableLink(QUrl(url)), openable);
    // Refused links never reach the desktop.
    if (!openable)
        QVERIFY(!richtext::DesktopLinkOpener().openLink(QUrl(url)));
}

QTEST_GUILESS_MAIN(TestLinkOpener)
#include "tst_link_opener.moc"
