#include "test_support.h"

#include "storage/record_writer.h"

#include <QtTest>

#include <cmath>
#include <fcntl.h>
#include <limits>
#include <unistd.h>

using namespace storage;

class TestRecordWriter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void format_data();
    void format();
    void refused_data();
    void refused();
    void numbers_data();
    void numbers();
    void sampleDocumentsWriteBackUnchanged_data();
    void sampleDocumentsWriteBackUnchanged();
    void largeValuesThroughFile();
};

void TestRecordWriter::format_data()
{
    QTest::addColumn<QByteArray>("level");
    QTest::addColumn<bool>("levelIsNumber");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("placeholder") << QByteArray("0") << true << QByteArray() << QByteArray()
                                 << QByteArray("0,\"\",\"\"\r\n");
    QTest::newRow("saved topic, all quoted")
        << QByteArray("2") << false << QByteArray("Install") << QByteArray("{\\rtf1 a\r\nb}\r\n")
        << QByteArray("\"2\",\"Install\",\"{\\rtf1 a\r\nb}\r\n\"\r\n");
    QTest::newRow("comma and line end kept raw")
        << QByteArray("1") << false << QByteArray("Save, Load") << QByteArray("x\ry\nz")
        << QByteArray("\"1\",\"Save, Load\",\"x\ry\nz\"\r\n");
    QTest::newRow("Windows-1252 bytes unchanged") << QByteArray("0") << false
                                                  << QByteArray("\xDC"
                                                                "ber")
                                                  << QByteArray("t")
                                                  << QByteArray("\"0\",\"\xDC"
                                                                "ber\",\"t\"\r\n");
}

void TestRecordWriter::format()
{
    QFETCH(QByteArray, level);
    QFETCH(bool, levelIsNumber);
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, expected);

    TopicRecord record {levelIsNumber ? FieldValue::number(level.toDouble())
                                      : FieldValue::string(level.toStdString()),
        FieldValue::string(name.toStdString()), FieldValue::string(text.toStdString())};
    std::string out = "prefix";
    QVERIFY(formatRecord(record, out).ok());
    QCOMPARE(QByteArray::fromStdString(out), "prefix" + expected);

    // What is written reads back as the same record.
    testsupport::TrickleSource source(out.substr(6), 5);
    const auto back = testsupport::readAll(source);
    QVERIFY(back.status.ok());
    QCOMPARE(back.records.size(), std::size_t(1));
    QVERIFY(back.records.at(0) == record);
}

void TestRecordWriter::refused_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("mentions");

    QTest::newRow("quote in level") << 0 << int(ErrorCode::QuoteInValue) << "level";
    QTest::newRow("quote in name") << 1 << int(ErrorCode::QuoteInValue) << "topic name";
    QTest::newRow("quote in text") << 2 << int(ErrorCode::QuoteInValue) << "topic text";
    QTest::newRow("infinite level") << 3 << int(ErrorCode::InvalidNumber) << "level";
}

void TestRecordWriter::refused()
{
    QFETCH(int, field);
    QFETCH(int, code);
    QFETCH(QString, mentions);

    TopicRecord record = stringRecord("1", "name", "{\\rtf1 text}");
    if (field == 0)
        record.level.setString("1\"");
    else if (field == 1)
        record.name.setString("say \"hi\"");
    else if (field == 2)
        record.text.setString(std::string(200000, 'a') + '"');
    else
        record.level.setNumber(std::numeric_limits<double>::infinity());

    std::string out = "kept";
    const Status s = formatRecord(record, out);
    QCOMPARE(int(s.code()), code);
    QVERIFY(s.message().find(mentions.toStdString()) != std::string::npos);
    QCOMPARE(out, std::string("kept"));

    // Through a file: not one byte of the refused record is written.
    testsupport::WorkingFolder folder;
    const int fd = ::open("out.scv", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    QVERIFY(fd >= 0);
    RecordWriter writer(fd, "out.scv");
    QVERIFY(writer.write(stringRecord("0", "ok", "t")).ok());
    QCOMPARE(int(writer.write(record).code()), code);
    QVERIFY(writer.flush().ok());
    ::close(fd);
    QCOMPARE(testsupport::readFile("out.scv"), QByteArray("\"0\",\"ok\",\"t\"\r\n"));
    QCOMPARE(writer.recordsWritten(), 1ull);
}

void TestRecordWriter::numbers_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");

    QTest::newRow("zero") << 0.0 << "0";
    QTest::newRow("negative zero") << -0.0 << "0";
    QTest::newRow("two") << 2.0 << "2";
    QTest::newRow("half") << 2.5 << "2.5";
    QTest::newRow("tenth") << 0.1 << "0.1";
    QTest::newRow("negative") << -3.0 << "-3";
    QTest::newRow("large, no exponent") << 1e20 << "100000000000000000000";
    QTest::newRow("small, no exponent") << 1.5e-7 << "0.00000015";
}

void TestRecordWriter::numbers()
{
    QFETCH(double, value);
    QFETCH(QString, expected);
    const auto text = formatNumber(value);
    QVERIFY(text.has_value());
    QCOMPARE(QString::fromStdString(*text), expected);
    QCOMPARE(parseNumber(*text).value_or(std::nan("")), value);
}

void TestRecordWriter::sampleDocumentsWriteBackUnchanged_data()
{
    QTest::addColumn<QString>("file");
    for (const char *name : {"Manual.scv", "Three levels.scv", "With placeholder.scv", "Empty.scv"})
        QTest::newRow(name) << testsupport::sampleDoc(name);
}

void TestRecordWriter::sampleDocumentsWriteBackUnchanged()
{
    // Records kept as read are written in the same form: a rewrite that changes nothing
    // changes no byte.
    QFETCH(QString, file);
    const QByteArray original = testsupport::readFile(file);
    testsupport::TrickleSource source(testsupport::bytes(original), 65536);
    const auto read = testsupport::readAll(source);
    QVERIFY(read.status.ok());
    std::string out;
    for (const TopicRecord &r : read.records)
        QVERIFY(formatRecord(r, out).ok());
    QCOMPARE(QByteArray::fromStdString(out), original);
}

void TestRecordWriter::largeValuesThroughFile()
{
    // Values above the writer's direct-write size and the buffer size, mixed with small ones.
    testsupport::WorkingFolder folder;
    std::vector<TopicRecord> records;
    for (int i = 0; i < 12; ++i) {
        const std::size_t size = (i % 3 == 0) ? 3 * 1024 * 1024 + i : (i % 3 == 1) ? 70000 : 10;
        records.push_back(stringRecord(
            std::to_string(i % 3), "topic " + std::to_string(i), std::string(size, char('a' + i))));
    }
    const int fd = ::open("big.scv", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    QVERIFY(fd >= 0);
    RecordWriter writer(fd, "big.scv");
    std::string expected;
    for (const TopicRecord &r : records) {
        QVERIFY(writer.write(r).ok());
        QVERIFY(formatRecord(r, expected).ok());
    }
    QVERIFY(writer.flush().ok());
    ::close(fd);
    QCOMPARE(testsupport::readFile("big.scv"), QByteArray::fromStdString(expected));
}

QTEST_GUILESS_MAIN(TestRecordWriter)
#include "tst_record_writer.moc"
