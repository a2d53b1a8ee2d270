#include "storage/word_finder.h"

#include <QtTest>

using storage::WordFinder;

class TestWordFinder : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void foundIn_data();
    void foundIn();
};

void TestWordFinder::foundIn_data()
{
    QTest::addColumn<QByteArray>("word");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("found");

    QTest::newRow("at the start") << QByteArray("{\\rtf") << QByteArray("{\\rtf1 x}") << true;
    QTest::newRow("at the very end") << QByteArray("x}") << QByteArray("{\\rtf1 x}") << true;
    QTest::newRow("inside a longer word") << QByteArray("stall") << QByteArray("Install") << true;
    QTest::newRow("case counts") << QByteArray("install") << QByteArray("Install") << false;
    QTest::newRow("markup is searched") << QByteArray("par") << QByteArray("a\\par b") << true;
    QTest::newRow("phrase with a blank") << QByteArray("a b") << QByteArray("xa by") << true;
    QTest::newRow("phrase broken by markup") << QByteArray("a b") << QByteArray("a\\i b") << false;
    QTest::newRow("near misses before the match")
        << QByteArray("abcX") << QByteArray("abcabcYabcX") << true;
    QTest::newRow("rare byte repeated, no match")
        << QByteArray("Qz") << QByteArray("QQQQ") << false;
    QTest::newRow("word longer than text") << QByteArray("abcdef") << QByteArray("abc") << false;
    QTest::newRow("escaped letter as stored")
        << QByteArray("caf\\'e9") << QByteArray("Caf\\'e9 and caf\\'e9") << true;
    QTest::newRow("high bytes") << QByteArray("\xE9t\xE9") << QByteArray("l'\xE9t\xE9") << true;
    QTest::newRow("NUL inside") << QByteArray("a\0b", 3) << QByteArray("xa\0b", 4) << true;
    QTest::newRow("empty word, text") << QByteArray() << QByteArray("x") << true;
    QTest::newRow("empty word, empty text") << QByteArray() << QByteArray() << false;
    QTest::newRow("word, empty text") << QByteArray("x") << QByteArray() << false;
}

void TestWordFinder::foundIn()
{
    QFETCH(QByteArray, word);
    QFETCH(QByteArray, text);
    QFETCH(bool, found);
    const WordFinder finder(word.toStdString());
    QCOMPARE(finder.foundIn(std::string_view(text.constData(), std::size_t(text.size()))), found);
}

QTEST_GUILESS_MAIN(TestWordFinder)
#include "tst_word_finder.moc"
