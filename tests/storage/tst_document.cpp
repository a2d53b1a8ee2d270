#include "test_support.h"

#include "storage/contents_line.h"
#include "storage/document.h"
#include "storage/record_writer.h"
#include "storage/rewrite.h"

#include <QtTest>

#include <sys/stat.h>

using namespace storage;

namespace {

TopicRecord topic(const std::string &name)
{
    return stringRecord("1", name, "{\\rtf1 " + name + "\\par\r\n}\r\n");
}

// The names of a document's records, in file order; "!" and the message on damage.
QStringList names(const std::string &path)
{
    QStringList out;
    DocumentReader reader(path);
    TopicRecord record;
    while (reader.next(record) == ReadStatus::Record)
        out << QString::fromStdString(record.name.text());
    if (!reader.status().ok())
        out << QStringLiteral("!") + QString::fromStdString(reader.status().message());
    return out;
}

void writeDocument(const std::string &path, const QStringList &topicNames)
{
    std::string bytes;
    for (const QString &n : topicNames)
        QVERIFY(formatRecord(topic(n.toStdString()), bytes).ok());
    QVERIFY(testsupport::writeFile(QString::fromStdString(path), QByteArray::fromStdString(bytes)));
}

} // namespace

class TestDocument : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void createEmpty();
    void createRefused();
    void appendThenRewrite();
    void appendRefused();
    void appendAfterWhatIsThere_data();
    void appendAfterWhatIsThere();
    void changes_data();
    void changes();
    void unchangedDocumentIsNotRewritten();
    void keepsPermissions();
    void beyondSixteenBitCounts();
};

void TestDocument::createEmpty()
{
    testsupport::WorkingFolder folder;
    QVERIFY(createEmptyDocument("Help.scv").ok());
    QCOMPARE(testsupport::readFile("Help.scv"), QByteArray());
    const CountResult empty = countRecords("Help.scv");
    QVERIFY(empty.status.ok());
    QCOMPARE(empty.count, 0ull);

    // An existing document is never emptied.
    QVERIFY(testsupport::writeFile("Help.scv", "0,\"\",\"\"\r\n"));
    QVERIFY(createEmptyDocument("Help.scv").ok());
    QCOMPARE(testsupport::readFile("Help.scv"), QByteArray("0,\"\",\"\"\r\n"));
}

void TestDocument::createRefused()
{
    testsupport::WorkingFolder folder;
    const Status noFolder = createEmptyDocument("missing/Guide.scv");
    QCOMPARE(noFolder.code(), ErrorCode::NotFound);
    QVERIFY(noFolder.message().find("missing/Guide.scv") != std::string::npos);
    QVERIFY(QDir().mkdir("adir.scv"));
    QCOMPARE(createEmptyDocument("adir.scv").code(), ErrorCode::Io);
}

void TestDocument::appendThenRewrite()
{
    testsupport::WorkingFolder folder;
    QVERIFY(createEmptyDocument("Help.scv").ok());
    for (const char *n : {"one", "two", "three"})
        QVERIFY(appendRecord("Help.scv", topic(n)).ok());
    std::string expected;
    for (const char *n : {"one", "two", "three"})
        QVERIFY(formatRecord(topic(n), expected).ok());
    QCOMPARE(testsupport::readFile("Help.scv"), QByteArray::fromStdString(expected));

    const RewriteResult r = rewriteDocument("Help.scv", replaceRecord(2, topic("TWO")));
    QVERIFY2(r.status.ok(), r.status.message().c_str());
    QCOMPARE(r.recordsRead, 3ull);
    QCOMPARE(r.recordsWritten, 3ull);
    QCOMPARE(r.changes, 1ull);
    QCOMPARE(countRecords("Help.scv").count, 3ull);
    QCOMPARE(names("Help.scv"), QStringList({"one", "TWO", "three"}));
    QVERIFY(!QFile::exists(kScratchName));
}

void TestDocument::appendRefused()
{
    testsupport::WorkingFolder folder;
    QCOMPARE(appendRecord("gone.scv", topic("x")).code(), ErrorCode::NotFound);
    QVERIFY(!QFile::exists("gone.scv")); // a vanished document is not silently started anew
    QVERIFY(createEmptyDocument("Help.scv").ok());
    QCOMPARE(appendRecord("Help.scv", stringRecord("0", "a \"b\"", "t")).code(),
        ErrorCode::QuoteInValue);
    QCOMPARE(testsupport::readFile("Help.scv"), QByteArray());
}

// What another program left at the end decides whether a record can follow it readably.
void TestDocument::appendAfterWhatIsThere_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after"); // empty: refused, file unchanged
    QTest::addColumn<ErrorCode>("code");
    const QByteArray one = "0,\"one\",\"t\"\r\n";
    const QByteArray added = "\"0\",\"x\",\"t\"\r\n";
    QTest::newRow("whole records") << one << one + added << ErrorCode::None;
    QTest::newRow("last line end missing") << one.chopped(2) << one + added << ErrorCode::None;
    QTest::newRow("only CR at the end")
        << one.chopped(1) << one.chopped(1) + added << ErrorCode::None;
    QTest::newRow("cut inside the name") << one.left(7) << QByteArray() << ErrorCode::CutShort;
    QTest::newRow("cut inside the text")
        << one.chopped(3) << QByteArray() << ErrorCode::UnterminatedQuote;
    QTest::newRow("cut after a field's comma")
        << QByteArray("0,\"one\",") << QByteArray() << ErrorCode::CutShort;
}

void TestDocument::appendAfterWhatIsThere()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    QFETCH(ErrorCode, code);
    testsupport::WorkingFolder folder;
    QVERIFY(testsupport::writeFile("Help.scv", before));
    const Status s = appendRecord("Help.scv", stringRecord("0", "x", "t"));
    if (after.isEmpty()) {
        QCOMPARE(s.code(), code);
        QCOMPARE(testsupport::readFile("Help.scv"), before);
        return;
    }
    QVERIFY2(s.ok(), s.message().c_str());
    QCOMPARE(testsupport::readFile("Help.scv"), after);
    QCOMPARE(countRecords("Help.scv").count, 2ull);
}

void TestDocument::changes_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<int>("changes");

    const QStringList abcd {"A", "B", "C", "D"};
    QTest::newRow("replace first") << "replace 1" << QStringList {"new", "B", "C", "D"} << 1;
    QTest::newRow("replace last") << "replace 4" << QStringList {"A", "B", "C", "new"} << 1;
    QTest::newRow("replace past the end changes nothing") << "replace 5" << abcd << 0;
    QTest::newRow("drop middle") << "drop 2" << QStringList {"A", "C", "D"} << 1;
    QTest::newRow("drop last") << "drop 4" << QStringList {"A", "B", "C"} << 1;
    QTest::newRow("insert after 2") << "insert 2" << QStringList {"A", "B", "new", "C", "D"} << 1;
    QTest::newRow("insert after last")
        << "insert 4" << QStringList {"A", "B", "C", "D", "new"} << 1;
    QTest::newRow("insert after 0 goes first")
        << "insert 0" << QStringList {"new", "A", "B", "C", "D"} << 1;
    QTest::newRow("insert past the end appends")
        << "insert 9" << QStringList {"A", "B", "C", "D", "new"} << 1;
    QTest::newRow("swap first two") << "swap 1" << QStringList {"B", "A", "C", "D"} << 2;
    QTest::newRow("swap last two") << "swap 3" << QStringList {"A", "B", "D", "C"} << 2;
    QTest::newRow("swap of the last loses nothing") << "swap 4" << abcd << 2;
    QTest::newRow("swap past the end") << "swap 7" << abcd << 0;
}

void TestDocument::changes()
{
    QFETCH(QString, change);
    QFETCH(QStringList, expected);
    QFETCH(int, changes);
    testsupport::WorkingFolder folder;
    writeDocument("Doc.scv", {"A", "B", "C", "D"});

    const QStringList words = change.split(QLatin1Char(' '));
    const std::uint64_t n = words.at(1).toULongLong();
    RecordChangeFn fn;
    if (words.at(0) == QLatin1String("replace"))
        fn = replaceRecord(n, topic("new"));
    else if (words.at(0) == QLatin1String("drop"))
        fn = dropRecord(n);
    else if (words.at(0) == QLatin1String("insert"))
        fn = insertAfterRecord(n, topic("new"));
    else
        fn = swapWithNext(n);

    const RewriteResult r = rewriteDocument("Doc.scv", fn);
    QVERIFY2(r.status.ok(), r.status.message().c_str());
    QCOMPARE(int(r.changes), changes);
    QCOMPARE(names("Doc.scv"), expected);
    QCOMPARE(r.recordsWritten, changes ? std::uint64_t(expected.size()) : 0ull);
    QVERIFY(!QFile::exists(kScratchName));
}

void TestDocument::unchangedDocumentIsNotRewritten()
{
    testsupport::WorkingFolder folder;
    writeDocument("Doc.scv", {"A", "B"});
    struct stat before, after;
    QCOMPARE(::stat("Doc.scv", &before), 0);
    const RewriteResult r = rewriteDocument("Doc.scv", replaceRecord(3, topic("x")));
    QVERIFY(r.status.ok());
    QCOMPARE(::stat("Doc.scv", &after), 0);
    QCOMPARE(after.st_ino, before.st_ino);
    QVERIFY(!QFile::exists(kScratchName));
}

void TestDocument::keepsPermissions()
{
    testsupport::WorkingFolder folder;
    writeDocument("Doc.scv", {"A", "B"});
    QCOMPARE(::chmod("Doc.scv", 0640), 0);
    QVERIFY(rewriteDocument("Doc.scv", dropRecord(1)).status.ok());
    struct stat st;
    QCOMPARE(::stat("Doc.scv", &st), 0);
    QCOMPARE(int(st.st_mode & 07777), 0640);
}

void TestDocument::beyondSixteenBitCounts()
{
    // No count wraps at 32,767 or 65,535, and records past them move like any other.
    testsupport::WorkingFolder folder;
    constexpr int total = 70000;
    std::string bytes;
    for (int i = 1; i <= total; ++i)
        QVERIFY(formatRecord(stringRecord(i % 2 ? "0" : "1", std::to_string(i), "t"), bytes).ok());
    QVERIFY(testsupport::writeFile("Big.scv", QByteArray::fromStdString(bytes)));
    QCOMPARE(countRecords("Big.scv").count, std::uint64_t(total));

    const RewriteResult r = rewriteDocument("Big.scv", swapWithNext(65537));
    QVERIFY(r.status.ok());
    QCOMPARE(r.recordsWritten, std::uint64_t(total));
    const QStringList after = names("Big.scv");
    QCOMPARE(after.size(), total);
    QCOMPARE(after.at(65535), QStringLiteral("65536"));
    QCOMPARE(after.at(65536), QStringLiteral("65538"));
    QCOMPARE(after.at(65537), QStringLiteral("65537"));
    QCOMPARE(after.at(65538), QStringLiteral("65539"));
}

QTEST_GUILESS_MAIN(TestDocument)
#include "tst_document.moc"
