#include "test_support.h"

#include "storage/document.h"
#include "storage/windows1252.h"

#include <QtTest>

using namespace storage;
using testsupport::TrickleSource;

namespace {

// One line per record: each field as S<text> or N<number>, separated by " | ", with CR and LF
// made visible.
QString dump(const std::vector<TopicRecord> &records)
{
    QString out;
    for (const TopicRecord &r : records) {
        const FieldValue *fields[3] = {&r.level, &r.name, &r.text};
        for (int i = 0; i < 3; ++i) {
            if (i > 0)
                out += QStringLiteral(" | ");
            if (fields[i]->isNumber()) {
                out += QLatin1Char('N') + QString::number(fields[i]->numberValue());
            } else {
                QString text = QString::fromLatin1(
                    fields[i]->text().data(), static_cast<qsizetype>(fields[i]->text().size()));
                text.replace(QLatin1Char('\r'), QStringLiteral("\\r"));
                text.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
                text.replace(QChar(0), QStringLiteral("\\0"));
                out += QLatin1Char('S') + text;
            }
        }
        out += QLatin1Char('\n');
    }
    return out;
}

} // namespace

class TestRecordReader : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readingRules_data();
    void readingRules();
    void damage_data();
    void damage();
    void fieldLimit();
    void sampleDocuments_data();
    void sampleDocuments();
    void hostileInput_data();
    void hostileInput();
    void skipAgreesWithNext();
    void readRecordByNumber_data();
    void readRecordByNumber();
    void missingFile();
};

void TestRecordReader::readingRules_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("expected");

    QTest::newRow("empty file") << QByteArray() << QString();
    QTest::newRow("placeholder") << QByteArray("0,\"\",\"\"\r\n") << QStringLiteral("N0 | S | S\n");
    QTest::newRow("typical record with two-line text")
        << QByteArray("\"2\",\"Install\",\"{\\rtf1 a\r\nb}\r\n\"\r\n")
        << QStringLiteral("S2 | SInstall | S{\\rtf1 a\\r\\nb}\\r\\n\n");
    QTest::newRow("comma inside a quoted name") << QByteArray("\"1\",\"Save, Load\",\"t\"\r\n")
                                                << QStringLiteral("S1 | SSave, Load | St\n");
    QTest::newRow("two records, quoted level and bare level") << QByteArray(
        "\"1\",\"a\",\"x\"\r\n0,\"\",\"\"\r\n") << QStringLiteral("S1 | Sa | Sx\nN0 | S | S\n");
    QTest::newRow("blanks before fields are skipped")
        << QByteArray("  \"1\",   \"a\", \"x\"\r\n") << QStringLiteral("S1 | Sa | Sx\n");
    QTest::newRow("unquoted values lose trailing blanks")
        << QByteArray("1  ,name  ,text  \r\n") << QStringLiteral("N1 | Sname | Stext\n");
    QTest::newRow("unquoted numbers keep their kind")
        << QByteArray("2.5,-1,1e3\r\n") << QStringLiteral("N2.5 | N-1 | N1000\n");
    QTest::newRow("unquoted text that is not a number is a string")
        << QByteArray("abc,0x10,1.2.3\r\n") << QStringLiteral("Sabc | S0x10 | S1.2.3\n");
    QTest::newRow("empty unquoted fields") << QByteArray(",,\r\n") << QStringLiteral("S | S | S\n");
    QTest::newRow("lone LF ends an unquoted value")
        << QByteArray("1\n2\n3\n4,5,6\n") << QStringLiteral("N1 | N2 | N3\nN4 | N5 | N6\n");
    QTest::newRow("lone CR ends an unquoted value")
        << QByteArray("1\r2\r3\r") << QStringLiteral("N1 | N2 | N3\n");
    QTest::newRow("CR and LF inside quotes belong to the value") << QByteArray(
        "\"1\",\"a\",\"x\ry\nz\r\n\"\r\n") << QStringLiteral("S1 | Sa | Sx\\ry\\nz\\r\\n\n");
    QTest::newRow("text after a closing quote is dropped")
        << QByteArray("\"1\"junk,\"a\" b,\"x\"yz\r\n") << QStringLiteral("S1 | Sa | Sx\n");
    QTest::newRow("last record without line end")
        << QByteArray("\"1\",\"a\",\"x\"") << QStringLiteral("S1 | Sa | Sx\n");
    QTest::newRow("last record ending in a lone CR") << QByteArray(
        "\"1\",\"a\",\"x\"\r\"0\",\"b\",\"y\"\r") << QStringLiteral("S1 | Sa | Sx\nS0 | Sb | Sy\n");
    QTest::newRow("fields may each sit on their own line")
        << QByteArray("\"1\"\r\n\"a\"\r\n\"x\"\r\n") << QStringLiteral("S1 | Sa | Sx\n");
    QTest::newRow("NUL and high bytes are ordinary characters") << QByteArray(
        "\"1\",\"\xC9t\xE9\",\"a\0b\"\r\n", 17) << QStringLiteral("S1 | S\u00C9t\u00E9 | Sa\\0b\n");
}

void TestRecordReader::readingRules()
{
    QFETCH(QByteArray, input);
    QFETCH(QString, expected);
    // Whole, and trickled one and three bytes at a time across refills.
    for (std::size_t step : {std::size_t(1 << 20), std::size_t(1), std::size_t(3)}) {
        TrickleSource source(testsupport::bytes(input), step);
        const auto result = testsupport::readAll(source);
        QVERIFY2(result.status.ok(), result.status.message().c_str());
        QCOMPARE(dump(result.records), expected);
    }
}

void TestRecordReader::damage_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("wholeRecords");
    QTest::addColumn<int>("code");
    QTest::addColumn<qulonglong>("record");
    QTest::addColumn<qulonglong>("offset");

    const QByteArray good("\"1\",\"a\",\"x\"\r\n"); // 13 bytes
    QTest::newRow("one field, then the end")
        << QByteArray("\"1\"") << 0 << int(ErrorCode::CutShort) << 1ull << 3ull;
    QTest::newRow("two fields, then the end")
        << (good + "\"1\",\"b\",") << 1 << int(ErrorCode::CutShort) << 2ull << 21ull;
    QTest::newRow("unterminated quoted text") << (good + "\"2\",\"c\",\"{\\rtf1 cut") << 1
                                              << int(ErrorCode::UnterminatedQuote) << 2ull << 21ull;
    QTest::newRow("unterminated quoted name")
        << (good + good + "\"2\",\"c") << 2 << int(ErrorCode::UnterminatedQuote) << 3ull << 30ull;
    QTest::newRow("a blank line after the last record")
        << (good + "\r\n") << 1 << int(ErrorCode::CutShort) << 2ull << 15ull;
    QTest::newRow("only blanks") << QByteArray("   ") << 0 << int(ErrorCode::CutShort) << 1ull
                                 << 3ull;
}

void TestRecordReader::damage()
{
    QFETCH(QByteArray, input);
    QFETCH(int, wholeRecords);
    QFETCH(int, code);
    QFETCH(qulonglong, record);
    QFETCH(qulonglong, offset);

    for (std::size_t step : {std::size_t(1 << 20), std::size_t(1)}) {
        TrickleSource source(testsupport::bytes(input), step);
        const auto result = testsupport::readAll(source);
        QCOMPARE(int(result.records.size()), wholeRecords);
        QCOMPARE(int(result.status.code()), code);
        QCOMPARE(result.status.record(), record);
        QCOMPARE(result.status.offset(), offset);
        const std::string where =
            "record " + std::to_string(record) + ", byte " + std::to_string(offset);
        QVERIFY2(result.status.message().find(where) == 0, result.status.message().c_str());
    }
}

void TestRecordReader::fieldLimit()
{
    // A value over the limit fails fast with its record and offset; the ones before stay.
    const std::string input =
        "\"1\",\"a\",\"x\"\r\n\"1\",\"b\",\"" + std::string(100, 'y') + "\"\r\n";
    TrickleSource source(input, 7);
    const auto result = testsupport::readAll(source, 64);
    QCOMPARE(result.records.size(), std::size_t(1));
    QCOMPARE(result.status.code(), ErrorCode::FieldTooLarge);
    QCOMPARE(result.status.record(), 2ull);
    QCOMPARE(result.status.offset(), 21ull);

    TrickleSource exact("\"1\",\"a\",\"" + std::string(64, 'z') + "\"", 5);
    const auto fits = testsupport::readAll(exact, 64);
    QVERIFY(fits.status.ok());
    QCOMPARE(fits.records.at(0).text.text(), std::string(64, 'z'));
}

void TestRecordReader::sampleDocuments_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("records");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("firstLine");

    QTest::newRow("Three levels") << testsupport::sampleDoc("Three levels.scv") << 3
                                  << int(ErrorCode::None) << QString();
    QTest::newRow("With placeholder") << testsupport::sampleDoc("With placeholder.scv") << 4
                                      << int(ErrorCode::None) << QStringLiteral("Alpha");
    QTest::newRow("Empty") << testsupport::sampleDoc("Empty.scv") << 0 << int(ErrorCode::None)
                           << QString();
    QTest::newRow("Damaged") << testsupport::sampleDoc("Damaged.scv") << 2
                             << int(ErrorCode::UnterminatedQuote) << QStringLiteral("Intact");
    QTest::newRow("Manual") << testsupport::sampleDoc("Manual.scv") << 40 << int(ErrorCode::None)
                            << QStringLiteral("\u00DCber the toolbar");
}

void TestRecordReader::sampleDocuments()
{
    QFETCH(QString, file);
    QFETCH(int, records);
    QFETCH(int, code);
    QFETCH(QString, firstLine);

    const QByteArray raw = testsupport::readFile(file);
    DocumentReader reader(file.toStdString());
    TopicRecord record;
    std::vector<TopicRecord> all;
    while (reader.next(record) == ReadStatus::Record)
        all.push_back(record);
    QCOMPARE(int(all.size()), records);
    QCOMPARE(int(reader.status().code()), code);
    QCOMPARE(countRecords(file.toStdString()).count, std::uint64_t(records));
    if (!firstLine.isEmpty())
        QCOMPARE(QString::fromStdString(decodeWindows1252(all.at(0).name.text())), firstLine);

    // Every stored text is RTF whose bytes stand in the file exactly, between quotes.
    for (const TopicRecord &r : all) {
        QVERIFY(!r.name.isNumber() || r.name.text().empty());
        if (r.text.text().empty())
            continue;
        const QByteArray quoted = '"' + QByteArray::fromStdString(r.text.text()) + '"';
        QVERIFY(raw.contains(quoted));
        QVERIFY(r.text.text().rfind("{\\rtf", 0) == 0);
    }
}

void TestRecordReader::hostileInput_data()
{
    QTest::addColumn<QByteArray>("input");

    QByteArray garbage;
    quint32 x = 12345;
    for (int i = 0; i < 200000; ++i) {
        x = x * 1103515245u + 12345u;
        garbage += char(x >> 24);
    }
    QTest::newRow("pseudo-random bytes") << garbage;
    QTest::newRow("only quotes") << QByteArray(10001, '"');
    QTest::newRow("only commas") << QByteArray(30000, ',');
    QTest::newRow("only line ends") << QByteArray(30000, '\n');
    QTest::newRow("NUL bytes") << QByteArray(30000, '\0');
}

void TestRecordReader::hostileInput()
{
    QFETCH(QByteArray, input);
    // Ends, with records or a located error, and every record read lies within the input.
    TrickleSource source(testsupport::bytes(input), 4093);
    const auto result = testsupport::readAll(source);
    std::size_t bytesInRecords = 0;
    for (const TopicRecord &r : result.records)
        bytesInRecords += r.level.text().size() + r.name.text().size() + r.text.text().size();
    QVERIFY(bytesInRecords <= std::size_t(input.size()));
    if (!result.status.ok()) {
        QCOMPARE(result.status.record(), result.records.size() + 1);
        QVERIFY(result.status.offset() <= std::uint64_t(input.size()));
    }
}

void TestRecordReader::skipAgreesWithNext()
{
    // Counting passes over values, and the contents list over texts, without keeping them;
    // they must split records exactly as a full read does.
    const QByteArray doc =
        testsupport::readFile(testsupport::sampleDoc("Manual.scv")) + "\"1\",\"tail\",\"cut";
    TrickleSource a(testsupport::bytes(doc), 1000), b(testsupport::bytes(doc), 1000),
        c(testsupport::bytes(doc), 1000);
    RecordReader reading(a), skipping(b), headings(c);
    TopicRecord record, heading;
    heading.text.setString("stale");
    for (;;) {
        const ReadStatus r1 = reading.next(record);
        QCOMPARE(int(skipping.skip()), int(r1));
        QCOMPARE(int(headings.next(heading, RecordParts::Heading)), int(r1));
        QCOMPARE(skipping.offset(), reading.offset());
        QCOMPARE(headings.offset(), reading.offset());
        if (r1 != ReadStatus::Record)
            break;
        QVERIFY(heading.level == record.level);
        QVERIFY(heading.name == record.name);
        QVERIFY(heading.text.text().empty());
    }
    QCOMPARE(reading.recordsRead(), 40ull);
    QCOMPARE(skipping.status().message(), reading.status().message());
    QCOMPARE(headings.status().message(), reading.status().message());
    QCOMPARE(reading.next(record), ReadStatus::Error); // a failure is final
}

void TestRecordReader::readRecordByNumber_data()
{
    QTest::addColumn<qulonglong>("number");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("name");

    QTest::newRow("first") << 1ull << int(ReadStatus::Record) << "Alpha";
    QTest::newRow("placeholder") << 2ull << int(ReadStatus::Record) << "";
    QTest::newRow("last") << 4ull << int(ReadStatus::Record) << "Beta";
    QTest::newRow("past the end") << 5ull << int(ReadStatus::End) << "";
    QTest::newRow("zero") << 0ull << int(ReadStatus::End) << "";
}

void TestRecordReader::readRecordByNumber()
{
    QFETCH(qulonglong, number);
    QFETCH(int, status);
    QFETCH(QString, name);
    DocumentReader reader(testsupport::sampleDoc("With placeholder.scv").toStdString());
    TopicRecord record;
    QCOMPARE(int(reader.readRecord(number, record)), status);
    if (status == int(ReadStatus::Record)) {
        QCOMPARE(QString::fromStdString(record.name.text()), name);
        QCOMPARE(reader.recordsRead(), std::uint64_t(number));
        // A record already passed is not there any more for a reader that only goes forward.
        QCOMPARE(int(reader.readRecord(number, record)), int(ReadStatus::End));
    }
    // Damage before the wanted record is reported, not taken for the end.
    DocumentReader damaged(testsupport::sampleDoc("Damaged.scv").toStdString());
    QCOMPARE(int(damaged.readRecord(3, record)), int(ReadStatus::Error));
    QCOMPARE(damaged.status().record(), 3ull);
}

void TestRecordReader::missingFile()
{
    testsupport::WorkingFolder folder;
    DocumentReader reader("nothing here.scv");
    TopicRecord record;
    QCOMPARE(reader.next(record), ReadStatus::Error);
    QCOMPARE(reader.status().code(), ErrorCode::NotFound);
    QVERIFY(reader.status().message().find("nothing here.scv") != std::string::npos);
    const CountResult count = countRecords("nothing here.scv");
    QCOMPARE(count.count, 0ull);
    QCOMPARE(count.status.code(), ErrorCode::NotFound);
}

QTEST_GUILESS_MAIN(TestRecordReader)
#include "tst_record_reader.moc"
