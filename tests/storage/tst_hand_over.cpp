#include "test_support.h"

#include "storage/hand_over.h"

#include <QtTest>

using namespace storage;

class TestHandOver : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void roundTrip_data();
    void roundTrip();
    void readsOneField_data();
    void readsOneField();
    void refused();
    void missingAndDelete();
};

void TestHandOver::roundTrip_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("fileBytes");

    QTest::newRow("plain name, written bare")
        << QByteArray("Help.scv") << QByteArray("Help.scv\r\n");
    QTest::newRow("several full stops")
        << QByteArray("my.help.scv") << QByteArray("my.help.scv\r\n");
    QTest::newRow("comma, quoted so it arrives whole")
        << QByteArray("Save, Load.scv") << QByteArray("\"Save, Load.scv\"\r\n");
    QTest::newRow("leading blank, quoted") << QByteArray(" x.scv") << QByteArray("\" x.scv\"\r\n");
    QTest::newRow("quote inside a bare name")
        << QByteArray("a\"b.scv") << QByteArray("a\"b.scv\r\n");
    QTest::newRow("folder part") << QByteArray("sub/Guide.scv") << QByteArray("sub/Guide.scv\r\n");
    QTest::newRow("empty") << QByteArray() << QByteArray("\r\n");
}

void TestHandOver::roundTrip()
{
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, fileBytes);
    testsupport::WorkingFolder folder;
    QVERIFY(writeHandOver(name.toStdString()).ok());
    QCOMPARE(testsupport::readFile(kHandOverName), fileBytes);
    const HandOverResult read = readHandOver();
    QVERIFY(read.status.ok());
    QCOMPARE(QByteArray::fromStdString(read.documentName), name);
    QVERIFY(QFile::exists(kHandOverName)); // reading leaves it; the reader deletes it after
}

void TestHandOver::readsOneField_data()
{
    QTest::addColumn<QByteArray>("fileBytes");
    QTest::addColumn<QByteArray>("name");

    QTest::newRow("bare name with comma is cut at the comma")
        << QByteArray("Save, Load.scv\r\n") << QByteArray("Save");
    QTest::newRow("leading blanks dropped")
        << QByteArray("   Help.scv\r\n") << QByteArray("Help.scv");
    QTest::newRow("no line end") << QByteArray("Help.scv") << QByteArray("Help.scv");
    QTest::newRow("LF only, second line ignored")
        << QByteArray("A.scv\nB.scv\n") << QByteArray("A.scv");
    QTest::newRow("name that reads as a number keeps its text")
        << QByteArray("1e3\r\n") << QByteArray("1e3");
    QTest::newRow("empty file") << QByteArray() << QByteArray();
    QTest::newRow("what follows the closing quote is dropped")
        << QByteArray("\"Guide.scv\"junk,more\r\n") << QByteArray("Guide.scv");
    QTest::newRow("quoted name with a line break inside")
        << QByteArray("\"two\r\nlines.scv\"\r\n") << QByteArray("two\r\nlines.scv");
}

void TestHandOver::readsOneField()
{
    QFETCH(QByteArray, fileBytes);
    QFETCH(QByteArray, name);
    testsupport::WorkingFolder folder;
    QVERIFY(testsupport::writeFile(kHandOverName, fileBytes));
    const HandOverResult read = readHandOver();
    QVERIFY(read.status.ok());
    QCOMPARE(QByteArray::fromStdString(read.documentName), name);

    // The same bytes a byte at a time: the name crosses every refill of the reader.
    testsupport::TrickleSource trickle(testsupport::bytes(fileBytes), 1);
    const HandOverResult trickled = readHandOver(trickle, kHandOverName);
    QVERIFY(trickled.status.ok());
    QCOMPARE(QByteArray::fromStdString(trickled.documentName), name);
}

void TestHandOver::refused()
{
    // A name that needs quotes and holds a quote cannot be carried: nothing is written.
    testsupport::WorkingFolder folder;
    QVERIFY(testsupport::writeFile(kHandOverName, "Old.scv\r\n"));
    const Status s = writeHandOver("a, \"b\".scv");
    QCOMPARE(s.code(), ErrorCode::QuoteInValue);
    QCOMPARE(testsupport::readFile(kHandOverName), QByteArray("Old.scv\r\n"));

    // An unterminated quote is damage, reported with its place.
    QVERIFY(testsupport::writeFile(kHandOverName, "\"Cut.scv\r\n"));
    const HandOverResult read = readHandOver();
    QCOMPARE(read.status.code(), ErrorCode::UnterminatedQuote);
    QCOMPARE(read.status.offset(), 0ull);
}

void TestHandOver::missingAndDelete()
{
    testsupport::WorkingFolder folder;
    QCOMPARE(readHandOver().status.code(), ErrorCode::NotFound);
    QCOMPARE(deleteHandOver().code(), ErrorCode::NotFound);
    QVERIFY(writeHandOver("Help.scv").ok());
    QVERIFY(deleteHandOver().ok());
    QVERIFY(!QFile::exists(kHandOverName));
    // Lower-case look-alikes are other files: they are neither read nor deleted.
    QVERIFY(testsupport::writeFile("defaulthelpfile.tmp", "X.scv\r\n"));
    QCOMPARE(readHandOver().status.code(), ErrorCode::NotFound);
    QVERIFY(QFile::exists("defaulthelpfile.tmp"));
}

QTEST_GUILESS_MAIN(TestHandOver)
#include "tst_hand_over.moc"
