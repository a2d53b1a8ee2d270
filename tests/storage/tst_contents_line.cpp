#include "test_support.h"

#include "storage/contents_line.h"

#include <QtTest>

using namespace storage;

class TestContentsLine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void indent_data();
    void indent();
    void sampleDocument();
};

void TestContentsLine::indent_data()
{
    QTest::addColumn<QString>("level"); // "N:" a bare number, "S:" a quoted string
    QTest::addColumn<int>("blanks");

    QTest::newRow("bare 0 (placeholder)") << "N:0" << 0;
    QTest::newRow("quoted 0") << "S:0" << 0;
    QTest::newRow("quoted 1") << "S:1" << 3;
    QTest::newRow("quoted 2") << "S:2" << 6;
    QTest::newRow("bare 2") << "N:2" << 6;
    QTest::newRow("quoted 7 (saved from the menu)") << "S:7" << 21;
    QTest::newRow("half goes to even: 0.5 gives 1.5, then 2") << "S:0.5" << 2;
    QTest::newRow("half goes to even: 2.5 gives 7.5, then 8") << "N:2.5" << 8;
    QTest::newRow("half goes to even: 1.5 gives 4.5, then 4") << "S:1.5" << 4;
    QTest::newRow("blanks around a quoted number") << "S: 1 " << 3;
    QTest::newRow("not a number") << "S:abc" << 0;
    QTest::newRow("empty") << "S:" << 0;
    QTest::newRow("below 0") << "S:-1" << 0;
    QTest::newRow("huge level is capped") << "S:1e9" << int(kMaxIndent);
}

void TestContentsLine::indent()
{
    QFETCH(QString, level);
    QFETCH(int, blanks);
    const std::string value = level.mid(2).toStdString();
    TopicRecord record {level.startsWith(QLatin1Char('N')) ? FieldValue::number(*parseNumber(value))
                                                           : FieldValue::string(value),
        FieldValue::string("Name, with comma"), FieldValue::string("{\\rtf1 x}")};
    QCOMPARE(int(indentWidth(record.level)), blanks);
    QCOMPARE(contentsLine(record), std::string(std::size_t(blanks), ' ') + "Name, with comma");
}

void TestContentsLine::sampleDocument()
{
    // Three levels.scv: one topic at each level, a name with a comma.
    DocumentReader reader(testsupport::sampleDoc("Three levels.scv").toStdString());
    TopicRecord record;
    std::vector<std::string> lines;
    while (reader.next(record) == ReadStatus::Record)
        lines.push_back(contentsLine(record));
    QVERIFY(reader.status().ok());
    QCOMPARE(lines.size(), std::size_t(3));
    QCOMPARE(lines[0].find_first_not_of(' '), std::size_t(0));
    QCOMPARE(lines[1].find_first_not_of(' '), std::size_t(3));
    QCOMPARE(lines[2].find_first_not_of(' '), std::size_t(6));
}

QTEST_GUILESS_MAIN(TestContentsLine)
#include "tst_contents_line.moc"
