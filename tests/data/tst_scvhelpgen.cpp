#include "richtext/rtf_reader.h"
#include "storage/record_reader.h"
#include "storage/windows1252.h"
#include "tests/support/working_folder.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextTable>

#include <memory>
#include <optional>

// scvhelpgen: Markdown topics in, a help document out, or a precise refusal and no output.
namespace {

struct Run
{
    int exitCode = -1;
    QString errors;
};

Run generate(const QStringList &arguments,
    const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
{
    QProcess generator;
    generator.setProcessEnvironment(environment);
    generator.start(QStringLiteral(SCVHELPGEN_PATH), arguments);
    if (!generator.waitForFinished(60000))
        return {-1, QStringLiteral("did not finish")};
    // Only the generator's own lines: Qt may add warnings about the environment.
    QStringList own;
    for (const QString &line : QString::fromUtf8(generator.readAllStandardError()).split(u'\n')) {
        if (line.startsWith(QStringLiteral("scvhelpgen: ")))
            own.append(line);
    }
    return {generator.exitStatus() == QProcess::NormalExit ? generator.exitCode() : -1,
        own.join(u'\n')};
}

void writeFile(const QString &name, const QByteArray &bytes)
{
    QFile file(name);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray readFile(const QString &name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QList<storage::TopicRecord> records(const QString &name)
{
    QList<storage::TopicRecord> out;
    storage::DocumentReader reader(name.toStdString());
    storage::TopicRecord record;
    while (reader.next(record) == storage::ReadStatus::Record)
        out.append(record);
    return out;
}

} // namespace

class TestScvHelpGen : public QObject
{
    Q_OBJECT

private:
    std::optional<testsupport::WorkingFolder> m_dir;

private Q_SLOTS:
    void init() { m_dir.emplace(); }
    void cleanup() { m_dir.reset(); }

    void writesWhatPenwickReads()
    {
        writeFile(QStringLiteral("index.txt"),
            "# comment\n\n0 one.md   First Topic\n  2   two.md Caf\xc3\xa9 Menu  \n");
        writeFile(QStringLiteral("one.md"),
            "# First Topic\n\nHe said \"Save\" and **saved**.\n\n- a\n- b\n\n"
            "| Command | Does |\n|---|---|\n| Save | Adds the topic at the end of the document "
            "|\n\n"
            "The end.\n");
        writeFile(QStringLiteral("two.md"), "# Caf\xc3\xa9 Menu\n\n## Part\n\nText.\n");
        const Run run = generate({QStringLiteral("index.txt"), QStringLiteral("out.scv")});
        QCOMPARE(run.errors, QString());
        QCOMPARE(run.exitCode, 0);

        const QList<storage::TopicRecord> written = records(QStringLiteral("out.scv"));
        QCOMPARE(written.size(), 2);
        QCOMPARE(written[0].level, storage::FieldValue::string("0"));
        QCOMPARE(written[0].name, storage::FieldValue::string("First Topic"));
        QCOMPARE(written[1].level, storage::FieldValue::string("2"));
        // Names are stored in Windows-1252.
        QCOMPARE(written[1].name, storage::FieldValue::string("Caf\xe9 Menu"));

        // The double quote travels as an RTF escape, which reads back as the same character.
        const QByteArray rtf = QByteArray::fromStdString(written[0].text.text());
        QVERIFY(rtf.contains("\\'22Save\\'22"));
        QTextDocument document;
        QVERIFY(richtext::RtfReader::read(rtf, &document).problem.isEmpty());
        QVERIFY(document.toPlainText().contains(QStringLiteral("He said \"Save\" and saved.")));

        // The heading in bold at its own size, the body at 10 points in Verdana.
        const QTextCharFormat heading = document.firstBlock().begin().fragment().charFormat();
        QVERIFY(heading.fontWeight() >= QFont::Bold);
        QCOMPARE(heading.fontPointSize(), 14.0);
        const QTextBlock body = document.firstBlock().next();
        QCOMPARE(body.text(), QStringLiteral("He said \"Save\" and saved."));
        const QTextCharFormat plain = body.begin().fragment().charFormat();
        QVERIFY(plain.fontWeight() < QFont::Bold);
        QCOMPARE(plain.fontPointSize(), 10.0);
        QCOMPARE(plain.fontFamilies().toStringList().value(0), QStringLiteral("Verdana"));

        // List items keep their labels, indented.
        QStringList items;
        for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
            if (block.text().startsWith(u'\u2022')) {
                items << block.text();
                QVERIFY(block.blockFormat().leftMargin() > 0);
            }
        }
        QCOMPARE(items, (QStringList {QStringLiteral("\u2022\ta"), QStringLiteral("\u2022\tb")}));

        // A table, laid out to fit the narrowest display, its columns shared by their text.
        QTextTable *table = nullptr;
        for (QTextFrame *frame : document.rootFrame()->childFrames())
            table = table ? table : qobject_cast<QTextTable *>(frame);
        QVERIFY(table);
        QCOMPARE(table->rows(), 2);
        QCOMPARE(table->cellAt(1, 0).firstCursorPosition().block().text(), QStringLiteral("Save"));
        const QList<QTextLength> widths = table->format().columnWidthConstraints();
        QCOMPARE(widths.size(), 2);
        QVERIFY(widths[0].rawValue() > 0);
        QVERIFY(widths[1].rawValue() > widths[0].rawValue());
        QVERIFY(widths[0].rawValue() + widths[1].rawValue() <= 311);

        // A second-level heading: bold, smaller than the first.
        QTextDocument second;
        QVERIFY(
            richtext::RtfReader::read(QByteArray::fromStdString(written[1].text.text()), &second)
                .problem.isEmpty());
        const QTextCharFormat part = second.firstBlock().next().begin().fragment().charFormat();
        QCOMPARE(second.firstBlock().next().text(), QStringLiteral("Part"));
        QVERIFY(part.fontWeight() >= QFont::Bold);
        QCOMPARE(part.fontPointSize(), 12.0);
    }

    void sameSourcesSameBytes()
    {
        writeFile(QStringLiteral("index.txt"), "0 one.md One\n1 two.md Two\n");
        writeFile(
            QStringLiteral("one.md"), "# One\n\nSome *text* with `code`.\n\n## More\n\nText.\n");
        writeFile(QStringLiteral("two.md"), "# Two\n\n1. first\n2. second\n");
        QCOMPARE(generate({QStringLiteral("index.txt"), QStringLiteral("a.scv")}).exitCode, 0);
        QCOMPARE(generate({QStringLiteral("index.txt"), QStringLiteral("b.scv")}).exitCode, 0);
        QCOMPARE(readFile(QStringLiteral("a.scv")), readFile(QStringLiteral("b.scv")));

        // Nor do the fonts the machine has: here it has none at all.
        writeFile(QStringLiteral("no-fonts.conf"),
            "<?xml version=\"1.0\"?>\n<fontconfig><cachedir>" + QDir::currentPath().toUtf8()
                + "/font-cache</cachedir></fontconfig>\n");
        QProcessEnvironment noFonts = QProcessEnvironment::systemEnvironment();
        noFonts.insert(
            QStringLiteral("FONTCONFIG_FILE"), QDir::current().filePath("no-fonts.conf"));
        QCOMPARE(
            generate({QStringLiteral("index.txt"), QStringLiteral("c.scv")}, noFonts).exitCode, 0);
        QCOMPARE(readFile(QStringLiteral("c.scv")), readFile(QStringLiteral("a.scv")));
        // Code is named in a font of its own, never the machine's fixed font.
        QVERIFY(readFile(QStringLiteral("a.scv")).contains("Courier New;"));
    }

    void refuses_data()
    {
        QTest::addColumn<QByteArray>("index");
        QTest::addColumn<QByteArray>("topic"); // written as a.md
        QTest::addColumn<QString>("error");

        const QByteArray good = "# A\n\nText.\n";
        QTest::newRow("level above 2")
            << QByteArray("3 a.md A\n") << good << "index.txt: line 1: the level must be 0, 1 or 2";
        QTest::newRow("level not a number")
            << QByteArray("x a.md A\n") << good << "index.txt: line 1: the level must be 0, 1 or 2";
        QTest::newRow("double quote in a name")
            << QByteArray("0 a.md Say \"A\"\n") << good
            << "index.txt: line 1: a topic name cannot hold a double quote";
        QTest::newRow("name outside Windows-1252")
            << QByteArray("0 a.md \xce\xa9mega\n") << good
            << "index.txt: line 1: the topic name holds a character that Windows-1252 cannot hold";
        QTest::newRow("no name") << QByteArray("0 a.md\n") << good
                                 << "index.txt: line 1: the topic has no name";
        QTest::newRow("name used twice") << QByteArray("0 a.md A\n\n1 a.md A\n") << good
                                         << "index.txt: line 3: the topic name \"A\" is used twice";
        QTest::newRow("file outside the folder")
            << QByteArray("0 ../a.md A\n") << good
            << "index.txt: line 1: the file must be a plain name in the index's folder";
        QTest::newRow("only one field")
            << QByteArray("# c\n0\n") << good << "index.txt: line 2: expected LEVEL FILE NAME";
        QTest::newRow("no topics")
            << QByteArray("# nothing\n\n") << good << "index.txt: the index names no topic";
        QTest::newRow("index not UTF-8")
            << QByteArray("0 a.md \xff\n") << good << "index.txt: the index is not UTF-8";
        QTest::newRow("topic not UTF-8") << QByteArray("0 a.md A\n") << QByteArray("# A\n\xff\n")
                                         << "index.txt:1: a.md: not UTF-8";
        QTest::newRow("topic without a heading")
            << QByteArray("0 a.md A\n") << QByteArray("Text.\n")
            << "index.txt:1: a.md: the text must open with a level-1 heading (\"# ...\")";
        QTest::newRow("topic opening with a smaller heading")
            << QByteArray("0 a.md A\n") << QByteArray("## A\n")
            << "index.txt:1: a.md: the text must open with a level-1 heading (\"# ...\")";
        QTest::newRow("heading differs from the name")
            << QByteArray("0 a.md A\n") << QByteArray("# B\n\nText.\n")
            << "index.txt:1: a.md: the opening heading \"B\" differs from the topic name";
        QTest::newRow("topic larger than Penwick saves")
            << QByteArray("0 a.md A\n") << "# A\n\n" + QByteArray(730000, 'x') + '\n'
            << "index.txt:1: a.md: 730";
    }
    void refuses()
    {
        QFETCH(QByteArray, index);
        QFETCH(QByteArray, topic);
        QFETCH(QString, error);
        writeFile(QStringLiteral("index.txt"), index);
        writeFile(QStringLiteral("a.md"), topic);
        // A failed run leaves what was there.
        writeFile(QStringLiteral("out.scv"), "previous");
        const Run run = generate({QStringLiteral("index.txt"), QStringLiteral("out.scv")});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(
            run.errors.startsWith(QStringLiteral("scvhelpgen: ") + error), qPrintable(run.errors));
        QCOMPARE(readFile(QStringLiteral("out.scv")), QByteArray("previous"));
        QCOMPARE(QDir().entryList(QDir::Files | QDir::Hidden).size(), 3);
    }

    void missingTopicFile()
    {
        writeFile(QStringLiteral("index.txt"), "0 gone.md A\n");
        const Run run = generate({QStringLiteral("index.txt"), QStringLiteral("out.scv")});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.errors.startsWith(QStringLiteral("scvhelpgen: index.txt:1: gone.md: ")),
            qPrintable(run.errors));
        QVERIFY(!QFile::exists(QStringLiteral("out.scv")));
    }

    void usage_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("none") << QStringList();
        QTest::newRow("index only") << QStringList {"index.txt"};
        QTest::newRow("one too many") << QStringList {"index.txt", "out.scv", "more"};
    }
    void usage()
    {
        QFETCH(QStringList, arguments);
        const Run run = generate(arguments);
        QCOMPARE(run.exitCode, 2);
        QCOMPARE(run.errors, QStringLiteral("scvhelpgen: usage: scvhelpgen INDEX OUTPUT"));
    }
};

QTEST_MAIN(TestScvHelpGen)
#include "tst_scvhelpgen.moc"
