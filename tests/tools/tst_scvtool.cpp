// Runs the built scvtool on the sample documents and on documents written here byte by byte.
// Expected output comes from the documents' bytes, split by hand below, or from what is known
// of the samples; only show's bytes are also checked against the storage library's reading.

#include "storage/record_reader.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <functional>
#include <memory>
#include <unistd.h>

namespace {

const QString kSamples = QStringLiteral(SCRIVANE_TEST_DATA_DIR "/documents/");

QByteArray readSample(const QString &name)
{
    QFile file(kSamples + name);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read the sample document %s", qPrintable(file.fileName()));
    return file.readAll();
}

struct PlainRecord
{
    QByteArray level;
    QByteArray name;
    QByteArray text;
};

struct SplitDocument
{
    QList<PlainRecord> records; // the whole records
    qsizetype breakOffset = -1; // where a record breaks off, when one does
};

// Splits a document by hand, the way the sample documents are written: a field is a value
// between double quotes, or a bare level number up to its comma; fields end in a comma, records
// in CR LF.
SplitDocument splitDocument(const QByteArray &bytes)
{
    SplitDocument document;
    qsizetype pos = 0;
    while (pos < bytes.size()) {
        PlainRecord record;
        QByteArray *fields[3] = {&record.level, &record.name, &record.text};
        for (int i = 0; i < 3; ++i) {
            qsizetype end = -1;
            if (pos < bytes.size() && bytes.at(pos) == '"') {
                end = bytes.indexOf('"', pos + 1);
                if (end >= 0)
                    *fields[i] = bytes.mid(pos + 1, end - pos - 1);
                ++end;
            } else if (pos < bytes.size()) {
                end = bytes.indexOf(',', pos);
                if (end >= 0)
                    *fields[i] = bytes.mid(pos, end - pos);
            }
            const QByteArray separator = i < 2 ? "," : "\r\n";
            if (end <= 0 || bytes.mid(end, separator.size()) != separator) {
                document.breakOffset = pos;
                return document;
            }
            pos = end + separator.size();
        }
        document.records.append(record);
    }
    return document;
}

QString decodeName(const QByteArray &name)
{
    QStringDecoder decoder("windows-1252");
    if (!decoder.isValid())
        qFatal("this Qt cannot decode Windows-1252");
    return decoder(name);
}

// The contents lines of the whole records: 3 blanks per level, then the name, in UTF-8.
QByteArray expectedList(const QByteArray &document)
{
    QByteArray out;
    for (const PlainRecord &record : splitDocument(document).records)
        out += QByteArray(3 * record.level.toInt(), ' ') + decodeName(record.name).toUtf8() + '\n';
    return out;
}

// "N<TAB>name" for each whole record whose text holds the word's Windows-1252 bytes.
QByteArray expectedHits(const QByteArray &document, const QString &word)
{
    QStringEncoder encoder("windows-1252");
    const QByteArray bytes = encoder(word);
    QByteArray out;
    const QList<PlainRecord> records = splitDocument(document).records;
    for (qsizetype i = 0; i < records.size(); ++i) {
        if (records[i].text.contains(bytes))
            out += QByteArray::number(i + 1) + '\t' + decodeName(records[i].name).toUtf8() + '\n';
    }
    return out;
}

// Where Damaged.scv breaks off: its third record's text has no closing double quote.
QByteArray damagedSampleLine()
{
    const SplitDocument split = splitDocument(readSample(QStringLiteral("Damaged.scv")));
    return "Damaged.scv: damaged at record " + QByteArray::number(split.records.size() + 1)
        + ", byte " + QByteArray::number(split.breakOffset)
        + ": a quoted value has no closing double quote\n";
}

struct Run
{
    QProcess::ExitStatus exitStatus = QProcess::CrashExit;
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

const QStringList kSampleNames = {
    QStringLiteral("Manual.scv"),
    QStringLiteral("Three levels.scv"),
    QStringLiteral("With placeholder.scv"),
    QStringLiteral("Empty.scv"),
    QStringLiteral("Damaged.scv"),
};

} // namespace

// The whole outcome of one run, exit status first: a crash makes every other comparison moot.
#define COMPARE_RUN(outcome, expectedExit, expectedOut, expectedErr)                               \
    do {                                                                                           \
        const Run run_ = (outcome);                                                                \
        QCOMPARE(run_.exitStatus, QProcess::NormalExit);                                           \
        QCOMPARE(run_.err, QByteArray(expectedErr));                                               \
        QCOMPARE(run_.out, QByteArray(expectedOut));                                               \
        QCOMPARE(run_.exitCode, (expectedExit));                                                   \
    } while (false)

class TestScvtool : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();

    void count_data();
    void count();
    void list_data();
    void list();
    void showEveryRecord_data();
    void showEveryRecord();
    void showBytes_data();
    void showBytes();
    void showText_data();
    void showText();
    void showHtml_data();
    void showHtml();
    void showLargeText();
    void showWithoutRenderer();
    void search_data();
    void search();
    void check_data();
    void check();
    void links_data();
    void links();
    void failures_data();
    void failures();
    void help_data();
    void help();
    void closedOutput_data();
    void closedOutput();
    void fullOutput_data();
    void fullOutput();

private:
    void put(const QString &name, const QByteArray &bytes);
    Run run(const QStringList &arguments, const std::function<void(QProcess &)> &setUp = {});
    Run runProgram(const QString &program, const QStringList &arguments,
        const std::function<void(QProcess &)> &setUp = {});

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestScvtool::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestScvtool::put(const QString &name, const QByteArray &bytes)
{
    QFile file(m_dir->filePath(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

Run TestScvtool::run(const QStringList &arguments, const std::function<void(QProcess &)> &setUp)
{
    return runProgram(QStringLiteral(SCVTOOL_PATH), arguments, setUp);
}

Run TestScvtool::runProgram(const QString &program, const QStringList &arguments,
    const std::function<void(QProcess &)> &setUp)
{
    QProcess process;
    process.setWorkingDirectory(m_dir->path());
    if (setUp)
        setUp(process);
    process.start(program, arguments);
    Run result;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.exitStatus = process.exitStatus();
    result.exitCode = process.exitCode();
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

void TestScvtool::count_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QByteArray>("err");

    QTest::newRow("manual of 40 topics")
        << "Manual.scv" << readSample("Manual.scv") << 0 << QByteArray("40\n") << QByteArray();
    QTest::newRow("three levels") << "Three levels.scv" << readSample("Three levels.scv") << 0
                                  << QByteArray("3\n") << QByteArray();
    QTest::newRow("placeholder counts as a record")
        << "With placeholder.scv" << readSample("With placeholder.scv") << 0 << QByteArray("4\n")
        << QByteArray();
    QTest::newRow("zero-byte document")
        << "Empty.scv" << readSample("Empty.scv") << 0 << QByteArray("0\n") << QByteArray();
    QTest::newRow("damaged: whole records, then the damage")
        << "Damaged.scv" << readSample("Damaged.scv") << 1 << QByteArray("2\n")
        << "scvtool: " + damagedSampleLine();
    QTest::newRow("cut short between fields")
        << "short.scv" << QByteArray("\"0\",\"A\",\"a\"\r\n\"0\",\"B\"") << 1 << QByteArray("1\n")
        << QByteArray("scvtool: short.scv: damaged at record 2, byte 20: the file ends inside a "
                      "record\n");
}

void TestScvtool::count()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, out);
    QFETCH(QByteArray, err);
    put(name, bytes);
    COMPARE_RUN(run({"count", name}), exitCode, out, err);
}

void TestScvtool::list_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QByteArray>("err");

    for (const QString &name : kSampleNames) {
        const QByteArray bytes = readSample(name);
        const bool damaged = name == "Damaged.scv";
        QTest::addRow("%s", qPrintable(name))
            << name << bytes << (damaged ? 1 : 0) << expectedList(bytes)
            << (damaged ? "scvtool: " + damagedSampleLine() : QByteArray());
    }
    QTest::newRow("three levels, written out")
        << "Three levels.scv" << readSample("Three levels.scv") << 0
        << QByteArray("Introduction\n   Install, first steps\n      Caf\xc3\xa9 options\n")
        << QByteArray();
    QTest::newRow("placeholder is an empty line")
        << "With placeholder.scv" << readSample("With placeholder.scv") << 0
        << QByteArray("Alpha\n\n   Beta\n   Beta\n") << QByteArray();
    QTest::newRow("Windows-1252 quotes become UTF-8")
        << "quotes.scv" << QByteArray("\"1\",\"\x93Smart\x94 \x80 5\",\"\"\r\n") << 0
        << QByteArray("   \xe2\x80\x9cSmart\xe2\x80\x9d \xe2\x82\xac 5\n") << QByteArray();
}

void TestScvtool::list()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, out);
    QFETCH(QByteArray, err);
    put(name, bytes);
    COMPARE_RUN(run({"list", name}), exitCode, out, err);
}

void TestScvtool::showEveryRecord_data()
{
    QTest::addColumn<QString>("name");
    for (const QString &name : kSampleNames)
        QTest::addRow("%s", qPrintable(name)) << name;
}

void TestScvtool::showEveryRecord()
{
    QFETCH(QString, name);
    const QByteArray bytes = readSample(name);
    put(name, bytes);
    const SplitDocument split = splitDocument(bytes);

    storage::DocumentReader reader(m_dir->filePath(name).toStdString());
    storage::TopicRecord record;
    for (qsizetype i = 0; i < split.records.size(); ++i) {
        QCOMPARE(reader.next(record), storage::ReadStatus::Record);
        const QByteArray stored = QByteArray::fromStdString(record.text.text());
        QCOMPARE(stored, split.records[i].text);
        COMPARE_RUN(run({"show", name, QString::number(i + 1)}), 0, stored, "");
    }
    // The number after the last whole record: missing, or where the damage lies.
    const QString after = QString::number(split.records.size() + 1);
    if (split.breakOffset >= 0) {
        COMPARE_RUN(run({"show", name, after}), 1, "", "scvtool: " + damagedSampleLine());
    } else {
        COMPARE_RUN(run({"show", name, after}), 1, "",
            "scvtool: " + name.toUtf8() + " has " + QByteArray::number(split.records.size())
                + (split.records.size() == 1 ? " record" : " records") + "; there is no record "
                + after.toUtf8() + "\n");
    }
}

void TestScvtool::showBytes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("number");
    QTest::addColumn<QByteArray>("text");

    const QByteArray document = QByteArray("\"0\",\"One\",\"a,b\r\nc\rd\ne\"\r\n")
        + QByteArray("0,\"\",\"\"\r\n")
        + QByteArray("\"1\",\"Three\",\"\x00\x01\x80\xff trailing blank \"\r\n", 36)
        + QByteArray("\"2\",\"Four\",\"last, without a line end\"");
    QTest::newRow("commas, CR and LF inside") << document << "1" << QByteArray("a,b\r\nc\rd\ne");
    QTest::newRow("placeholder's empty text") << document << "2" << QByteArray();
    QTest::newRow("NUL, high bytes and blanks")
        << document << "3" << QByteArray("\x00\x01\x80\xff trailing blank ", 20);
    QTest::newRow("last record without CR LF")
        << document << "4" << QByteArray("last, without a line end");
    QTest::newRow("leading zeros")
        << document << "0003" << QByteArray("\x00\x01\x80\xff trailing blank ", 20);
}

void TestScvtool::showBytes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, number);
    QFETCH(QByteArray, text);
    put("bytes.scv", bytes);
    COMPARE_RUN(run({"show", "bytes.scv", number}), 0, text, "");
}

void TestScvtool::showText_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("number");
    QTest::addColumn<QByteArray>("text");

    const QByteArray placeholder = readSample("With placeholder.scv");
    QTest::newRow("first topic") << "With placeholder.scv" << placeholder << "1"
                                 << QByteArray("First topic.\n");
    QTest::newRow("placeholder's empty text gives nothing")
        << "With placeholder.scv" << placeholder << "2" << QByteArray();
    QTest::newRow("same name, other text")
        << "With placeholder.scv" << placeholder << "4" << QByteArray("Same name, other text.\n");
    const QByteArray levels = readSample("Three levels.scv");
    QTest::newRow("bold and italic leave plain words")
        << "Three levels.scv" << levels << "1" << QByteArray("Welcome to the manual.\n");
    QTest::newRow("two paragraphs, two lines")
        << "Three levels.scv" << levels << "2"
        << QByteArray("Run the installer.\nThen start it.\n");
    QTest::newRow("escaped letter in UTF-8")
        << "Three levels.scv" << levels << "03" << QByteArray("Options for caf\xc3\xa9 users.\n");

    const QByteArray made =
        QByteArray("\"0\",\"Breaks\",\"{\\rtf1\\ansi Line one\\line line two\\par}\"\r\n")
        + "\"0\",\"Symbols\",\"{\\rtf1\\ansi\\ansicpg1252 \\u8364? 5 \\'80 \\ldblquote "
          "q\\rdblquote\\par}\"\r\n"
        + "\"0\",\"Line ends\",\"{\\rtf1\\ansi split\r\nacross\\par}\"\r\n"
        + "\"0\",\"Not RTF\",\"just words\"\r\n"
        + "\"0\",\"No final par\",\"{\\rtf1\\ansi end of text}\"\r\n";
    QTest::newRow("line break in a paragraph is LF")
        << "made.scv" << made << "1" << QByteArray("Line one\nline two\n");
    QTest::newRow("Unicode, Windows-1252 and quote words")
        << "made.scv" << made << "2"
        << QByteArray("\xe2\x82\xac 5 \xe2\x82\xac \xe2\x80\x9cq\xe2\x80\x9d\n");
    QTest::newRow("CR LF inside RTF is no text")
        << "made.scv" << made << "3" << QByteArray("splitacross\n");
    QTest::newRow("text that is not RTF is shown as it is")
        << "made.scv" << made << "4" << QByteArray("just words\n");
    QTest::newRow("ends with one LF without a final paragraph mark")
        << "made.scv" << made << "5" << QByteArray("end of text\n");
}

// show --text: the characters the display shows, UTF-8, one line per paragraph.
void TestScvtool::showText()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, number);
    QFETCH(QByteArray, text);
    put(name, bytes);
    COMPARE_RUN(run({"show", name, number, "--text"}), 0, text, "");
}

void TestScvtool::showHtml_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("number");
    QTest::addColumn<QByteArrayList>("parts");

    QTest::newRow("bold and italic as styled spans")
        << "Three levels.scv"
        << "1"
        << QByteArrayList {"<!DOCTYPE HTML", "<body", "font-weight:700;\">Welcome</span>",
               "font-style:italic;\">manual</span>"};
    QTest::newRow("two paragraphs")
        << "Three levels.scv"
        << "2" << QByteArrayList {">Run the installer.</p>", ">Then start it.</p>"};
    QTest::newRow("letter in UTF-8") << "Three levels.scv"
                                     << "3" << QByteArrayList {"caf\xc3\xa9 users."};
    QTest::newRow("base font of the display")
        << "With placeholder.scv"
        << "1" << QByteArrayList {"font-size:10pt", "First topic."};
}

void TestScvtool::showHtml()
{
    QFETCH(QString, name);
    QFETCH(QString, number);
    QFETCH(QByteArrayList, parts);
    put(name, readSample(name));
    const Run html = run({"show", name, number, "--html"});
    QCOMPARE(html.exitStatus, QProcess::NormalExit);
    QCOMPARE(html.err, QByteArray());
    QCOMPARE(html.exitCode, 0);
    QVERIFY2(html.out.endsWith("</html>\n"), html.out.right(40).constData());
    for (const QByteArray &part : parts)
        QVERIFY2(html.out.contains(part), part.constData());
}

// Every topic of the manual comes out as text: no RTF shows through, valid UTF-8, LF only.
// Topics that are a picture alone give an empty line, and their HTML holds the picture.
void TestScvtool::showLargeText()
{
    const QByteArray manual = readSample("Manual.scv");
    put("Manual.scv", manual);
    const QList<PlainRecord> records = splitDocument(manual).records;
    QCOMPARE(records.size(), 40);
    for (int number = 1; number <= records.size(); ++number) {
        const Run text = run({"show", "Manual.scv", QString::number(number), "--text"});
        const QByteArray row = "record " + QByteArray::number(number);
        QVERIFY2(text.exitStatus == QProcess::NormalExit && text.exitCode == 0, row);
        QVERIFY2(text.err.isEmpty(), row + ": " + text.err);
        QVERIFY2(text.out.endsWith('\n'), row);
        QVERIFY2(!text.out.contains('\r'), row);
        for (const char *rtf : {"\\rtf", "\\fonttbl", "\\par", "{\\*", "\\pict"})
            QVERIFY2(!text.out.contains(rtf), row + ": " + rtf);
        QStringDecoder utf8(QStringDecoder::Utf8);
        const QString decoded = utf8(text.out);
        QVERIFY2(!utf8.hasError(), row);
        QVERIFY2(!decoded.contains(QChar::ObjectReplacementCharacter), row);
        if (records[number - 1].text.contains("\\pict")) {
            const Run html = run({"show", "Manual.scv", QString::number(number), "--html"});
            QVERIFY2(html.exitCode == 0 && html.out.contains("<img "), row);
        } else {
            QVERIFY2(decoded.trimmed().size() > 1, row);
        }
    }
}

// scvtool alone, without scvtool-render beside it: a clear failure, never empty output and 0.
void TestScvtool::showWithoutRenderer()
{
    const QString folder = m_dir->filePath("alone");
    QVERIFY(QDir().mkpath(folder));
    const QString copy = folder + "/scvtool";
    QVERIFY(QFile::copy(QStringLiteral(SCVTOOL_PATH), copy));
    QVERIFY(QFile::setPermissions(copy, QFile::ReadOwner | QFile::ExeOwner));
    put("Three levels.scv", readSample("Three levels.scv"));
    COMPARE_RUN(runProgram(copy, {"show", "Three levels.scv", "1", "--text"}), 1, "",
        "scvtool: cannot run " + folder.toUtf8()
            + "/scvtool-render, which shows --text: No such file or directory\n");
    // Without the option it works alone, as before.
    COMPARE_RUN(runProgram(copy, {"show", "Three levels.scv", "1"}), 0,
        splitDocument(readSample("Three levels.scv")).records[0].text, "");
}

void TestScvtool::search_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("word");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QByteArray>("err");

    const QByteArray manual = readSample("Manual.scv");
    const struct
    {
        const char *row;
        QString word;
    } manualWords[] = {
        {"manual: field instruction", "HYPERLINK"},
        {"manual: a picture's control word", "\\pngblip"},
        {"manual: an escaped letter", "\\'fc"},
        {"manual: CR LF in the text", "}\r\n"},
        {"manual: upper case", "URL"},
    };
    for (const auto &[row, word] : manualWords) {
        const QByteArray hits = expectedHits(manual, word);
        // A word found nowhere, or everywhere, would show nothing of the order or the choice.
        QVERIFY2(!hits.isEmpty() && hits.count('\n') < 40, row);
        QTest::newRow(row) << "Manual.scv" << manual << word << 0 << hits << QByteArray();
    }
    QTest::newRow("manual: case-sensitive")
        << "Manual.scv" << manual << "url" << 0 << QByteArray() << QByteArray();

    const QByteArray placeholder = readSample("With placeholder.scv");
    QTest::newRow("hits in file order, placeholder skipped")
        << "With placeholder.scv" << placeholder << "Verdana" << 0
        << QByteArray("1\tAlpha\n3\tBeta\n4\tBeta\n") << QByteArray();
    QTest::newRow("case-sensitive")
        << "With placeholder.scv" << placeholder << "verdana" << 0 << QByteArray() << QByteArray();
    QTest::newRow("empty word finds every topic with a text, not the placeholder")
        << "With placeholder.scv" << placeholder << "" << 0
        << QByteArray("1\tAlpha\n3\tBeta\n4\tBeta\n") << QByteArray();
    QTest::newRow("names are not searched")
        << "With placeholder.scv" << placeholder << "Beta" << 0 << QByteArray() << QByteArray();
    QTest::newRow("bytes between records are not searched")
        << "With placeholder.scv" << placeholder << "\r\n0," << 0 << QByteArray() << QByteArray();
    QTest::newRow("escaped letter as stored")
        << "Three levels.scv" << readSample("Three levels.scv") << "caf\\'e9" << 0
        << QByteArray("3\tCaf\xc3\xa9 options\n") << QByteArray();
    QTest::newRow("empty document")
        << "Empty.scv" << readSample("Empty.scv") << "rtf" << 0 << QByteArray() << QByteArray();
    QTest::newRow("damaged: hits before the damage, then the damage")
        << "Damaged.scv" << readSample("Damaged.scv") << "is" << 1
        << QByteArray("1\tIntact\n2\tAlso intact\n") << "scvtool: " + damagedSampleLine();

    const QByteArray codePage("\"0\",\"Caf\xe9\",\"Le caf\xe9 co\xfbte 2 \x80.\"\r\n"
                              "\"1\",\"Na\xefve\",\"plain text\"\r\n");
    QTest::newRow("word in Windows-1252") << "cp.scv" << codePage << QString::fromUtf8("café") << 0
                                          << QByteArray("1\tCaf\xc3\xa9\n") << QByteArray();
    QTest::newRow("euro sign is byte 80") << "cp.scv" << codePage << QString::fromUtf8("2 €") << 0
                                          << QByteArray("1\tCaf\xc3\xa9\n") << QByteArray();
    QTest::newRow("unaccented is another word")
        << "cp.scv" << codePage << "cafe" << 0 << QByteArray() << QByteArray();
    QTest::newRow("word at the very end of a text")
        << "cp.scv" << codePage << "text" << 0 << QByteArray("2\tNa\xc3\xafve\n") << QByteArray();
    QTest::newRow("word longer than every text")
        << "cp.scv" << codePage << QString(200, 'x') << 0 << QByteArray() << QByteArray();
}

void TestScvtool::search()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, word);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, out);
    QFETCH(QByteArray, err);
    put(name, bytes);
    COMPARE_RUN(run({"search", name, word}), exitCode, out, err);
}

void TestScvtool::check_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("out");

    QTest::newRow("manual") << "Manual.scv" << readSample("Manual.scv") << 0
                            << QByteArray("Manual.scv: 40 records, well formed\n");
    QTest::newRow("three levels") << "Three levels.scv" << readSample("Three levels.scv") << 0
                                  << QByteArray("Three levels.scv: 3 records, well formed\n");
    QTest::newRow("with placeholder")
        << "With placeholder.scv" << readSample("With placeholder.scv") << 0
        << QByteArray("With placeholder.scv: 4 records, well formed\n");
    QTest::newRow("empty") << "Empty.scv" << readSample("Empty.scv") << 0
                           << QByteArray("Empty.scv: 0 records, well formed\n");
    QTest::newRow("one record") << "one.scv" << QByteArray("0,\"\",\"\"\r\n") << 0
                                << QByteArray("one.scv: 1 record, well formed\n");
    QTest::newRow("damaged sample")
        << "Damaged.scv" << readSample("Damaged.scv") << 1 << damagedSampleLine();
    QTest::newRow("cut short in the first record")
        << "short.scv" << QByteArray("\"0\",\"A\"") << 1
        << QByteArray("short.scv: damaged at record 1, byte 7: the file ends inside a record\n");
}

void TestScvtool::check()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, out);
    put(name, bytes);
    COMPARE_RUN(run({"check", name}), exitCode, out, "");
}

namespace {

// A record whose text holds links, each an address and a shown text.
QByteArray linkRecord(const QByteArray &name, const QList<QPair<QByteArray, QByteArray>> &links)
{
    QByteArray rtf = "{\\rtf1\\ansi ";
    for (const auto &[address, text] : links)
        rtf +=
            "{\\field{\\*\\fldinst HYPERLINK \\'22" + address + "\\'22}{\\fldrslt " + text + "}} ";
    return "\"0\",\"" + name + "\",\"" + rtf + "\\par}\"\r\n";
}

} // namespace

void TestScvtool::links_data()
{
    QTest::addColumn<QByteArray>("document");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("out");

    const QByteArray targets = linkRecord("Saving a Topic", {}) + linkRecord("Caf\xe9", {});
    QTest::newRow("none") << targets << 0 << QByteArray();
    QTest::newRow("plain, percent-encoded and in another code page: all there")
        << linkRecord("Start",
               {{"topic:Saving a Topic", "one"}, {"topic:Saving%20a%20Topic", "two"},
                   {"topic:Caf%C3%A9", "three"}})
            + targets
        << 0
        << QByteArray("1\tStart\tSaving a Topic\tok\n1\tStart\tSaving a Topic\tok\n"
                      "1\tStart\tCaf\xc3\xa9\tok\n");
    QTest::newRow("a missing one: status 1, every link listed")
        << targets + linkRecord("Last", {{"topic:saving a topic", "case"}, {"topic:Caf\xe9", "ok"}})
        << 1 << QByteArray("3\tLast\tsaving a topic\tmissing\n3\tLast\tCaf\xc3\xa9\tok\n");
    QTest::newRow("web, mail and other links are no topic links") << targets
            + linkRecord("Web",
                {{"https://example.org/", "web"}, {"mailto:a@b.org", "mail"},
                    {"file:///etc/passwd", "file"}}) << 0 << QByteArray();
    QTest::newRow("a link in two formats is one link") << targets
            + "\"0\",\"Bold\",\"{\\rtf1 {\\field{\\*\\fldinst HYPERLINK topic:Caf%C3%A9}"
              "{\\fldrslt a{\\b b}}}\\par}\"\r\n" << 0 << QByteArray("3\tBold\tCaf\xc3\xa9\tok\n");
}

void TestScvtool::links()
{
    QFETCH(QByteArray, document);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, out);
    put(QStringLiteral("Links.scv"), document);
    COMPARE_RUN(run({"links", "Links.scv"}), exitCode, out, "");
}

void TestScvtool::failures_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("err");

    const QByteArray missing("scvtool: cannot open missing.scv: No such file or directory\n");
    for (const char *command : {"count", "list", "check", "links"})
        QTest::addRow("%s: missing file", command)
            << QStringList {command, "missing.scv"} << 1 << missing;
    QTest::newRow("show: missing file") << QStringList {"show", "missing.scv", "1"} << 1 << missing;
    QTest::newRow("search: missing file")
        << QStringList {"search", "missing.scv", "word"} << 1 << missing;
    QTest::newRow("a folder as the document") << QStringList {
        "count", "folder"} << 1 << QByteArray("scvtool: cannot read folder: Is a directory\n");

    QTest::newRow("show past the last record") << QStringList {"show", "Manual.scv",
        "41"} << 1 << QByteArray("scvtool: Manual.scv has 40 records; there is no record 41\n");
    QTest::newRow("show in an empty document") << QStringList {"show", "Empty.scv",
        "1"} << 1 << QByteArray("scvtool: Empty.scv has 0 records; there is no record 1\n");
    QTest::newRow("show a number beyond 64 bits")
        << QStringList {"show", "Three levels.scv", "99999999999999999999999"} << 1
        << QByteArray("scvtool: Three levels.scv has 3 records; there is no record "
                      "99999999999999999999999\n");
    QTest::newRow("show past the damage")
        << QStringList {"show", "Damaged.scv", "7"} << 1 << "scvtool: " + damagedSampleLine();
    QTest::newRow("show --text: missing file")
        << QStringList {"show", "missing.scv", "1", "--text"} << 1 << missing;
    QTest::newRow("show --html past the last record")
        << QStringList {"show", "Three levels.scv", "4", "--html"} << 1
        << QByteArray("scvtool: Three levels.scv has 3 records; there is no record 4\n");
    QTest::newRow("show --text past the damage") << QStringList {"show", "Damaged.scv", "3",
        "--text"} << 1 << "scvtool: " + damagedSampleLine();

    for (const char *number : {"0", "-1", "abc", "", "1.5", "+1", " 1", "1 ", "0x10", "00"}) {
        QTest::addRow("show N = \"%s\"", number)
            << QStringList {"show", "Manual.scv", number} << 2
            << "scvtool: the record number must be a positive whole number, not \""
                + QByteArray(number) + "\"\n";
    }
    QTest::newRow("bad N reported before the file is opened")
        << QStringList {"show", "missing.scv", "0"} << 2
        << QByteArray("scvtool: the record number must be a positive whole number, not \"0\"\n");

    QTest::newRow("no command") << QStringList {} << 2
                                << QByteArray("scvtool: no command given (see scvtool --help)\n");
    QTest::newRow("unknown command") << QStringList {"cat",
        "Manual.scv"} << 2 << QByteArray("scvtool: unknown command \"cat\" (see scvtool --help)\n");
    QTest::newRow("command names are case-sensitive")
        << QStringList {"COUNT", "Manual.scv"} << 2
        << QByteArray("scvtool: unknown command \"COUNT\" (see scvtool --help)\n");
    const QByteArray wrongCount("scvtool: wrong number of arguments; usage: scvtool ");
    QTest::newRow("count without FILE")
        << QStringList {"count"} << 2 << wrongCount + "count FILE\n";
    QTest::newRow("list with two files")
        << QStringList {"list", "Manual.scv", "Empty.scv"} << 2 << wrongCount + "list FILE\n";
    QTest::newRow("show without N") << QStringList {"show", "Manual.scv"} << 2
                                    << wrongCount + "show FILE N [--text | --html]\n";
    QTest::newRow("show with two numbers") << QStringList {"show", "Manual.scv", "1",
        "2"} << 2 << QByteArray("scvtool: unknown option \"2\" for show (use --text or --html)\n");
    QTest::newRow("show with both options") << QStringList {"show", "Manual.scv", "1", "--text",
        "--html"} << 2 << wrongCount + "show FILE N [--text | --html]\n";
    QTest::newRow("show --xml") << QStringList {"show", "Manual.scv", "1", "--xml"} << 2
                                << QByteArray("scvtool: unknown option \"--xml\" for show (use "
                                              "--text or --html)\n");
    QTest::newRow("show --text before N")
        << QStringList {"show", "Manual.scv", "--text", "1"} << 2
        << QByteArray("scvtool: the record number must be a positive whole number, not "
                      "\"--text\"\n");
    QTest::newRow("show --text in N's place")
        << QStringList {"show", "Manual.scv", "--text"} << 2
        << QByteArray("scvtool: the record number must be a positive whole number, not "
                      "\"--text\"\n");
    QTest::newRow("show --html with N = 0")
        << QStringList {"show", "missing.scv", "0", "--html"} << 2
        << QByteArray("scvtool: the record number must be a positive whole number, not \"0\"\n");
    QTest::newRow("search without WORD")
        << QStringList {"search", "Manual.scv"} << 2 << wrongCount + "search FILE WORD\n";
    QTest::newRow("check with an extra word")
        << QStringList {"check", "Manual.scv", "now"} << 2 << wrongCount + "check FILE\n";

    QTest::newRow("search for what Windows-1252 cannot hold")
        << QStringList {"search", "Manual.scv", QString::fromUtf8("Ω")} << 2
        << QByteArray("scvtool: cannot search for the word: the character U+03A9 cannot be "
                      "written in the Windows-1252 code page\n");
}

void TestScvtool::failures()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, err);
    for (const char *name : {"Manual.scv", "Three levels.scv", "Empty.scv", "Damaged.scv"})
        put(name, readSample(name));
    QVERIFY(QDir(m_dir->path()).mkdir("folder"));
    COMPARE_RUN(run(arguments), exitCode, "", err);
}

void TestScvtool::help_data()
{
    QTest::addColumn<QString>("option");
    QTest::newRow("long") << "--help";
    QTest::newRow("short") << "-h";
}

void TestScvtool::help()
{
    QFETCH(QString, option);
    const Run help = run({option});
    QCOMPARE(help.exitStatus, QProcess::NormalExit);
    QCOMPARE(help.exitCode, 0);
    QCOMPARE(help.err, QByteArray());
    QVERIFY(help.out.startsWith("usage: scvtool "));
    for (const char *synopsis : {"\n  count FILE ", "\n  list FILE ", "\n  show FILE N ",
             "\n  show FILE N --text ", "\n  show FILE N --html ", "\n  search FILE WORD ",
             "\n  check FILE ", "\n  export FILE --html DIR ", "\n  export FILE --pdf OUT.pdf "})
        QVERIFY2(help.out.contains(synopsis), synopsis);
}

void TestScvtool::closedOutput_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");

    // Record 4 is about 100 KB, more than a pipe holds.
    QTest::newRow("show a large text") << QStringList {"show", "Manual.scv", "4"} << 0;
    QTest::newRow("list") << QStringList {"list", "Manual.scv"} << 0;
    QTest::newRow("search") << QStringList {"search", "Manual.scv", "rtf"} << 0;
    QTest::newRow("check keeps the damage's exit status")
        << QStringList {"check", "Damaged.scv"} << 1;
    QTest::newRow("show --text") << QStringList {"show", "Manual.scv", "4", "--text"} << 0;
    QTest::newRow("show --html") << QStringList {"show", "Manual.scv", "4", "--html"} << 0;
}

// A reader that went away (scvtool list | head -1): stdout is a pipe whose reading end is
// closed, and SIGPIPE is back to its default, as a shell leaves it. The tool must end normally
// and say nothing.
void TestScvtool::closedOutput()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    put("Manual.scv", readSample("Manual.scv"));
    put("Damaged.scv", readSample("Damaged.scv"));
    const Run closed = run(arguments, [](QProcess &process) {
        process.setChildProcessModifier([] {
            int ends[2];
            if (::pipe(ends) == 0) {
                ::close(ends[0]);
                ::dup2(ends[1], STDOUT_FILENO);
                ::close(ends[1]);
            }
            struct sigaction action = {};
            action.sa_handler = SIG_DFL;
            ::sigaction(SIGPIPE, &action, nullptr);
        });
    });
    COMPARE_RUN(closed, exitCode, "", "");
}

void TestScvtool::fullOutput_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("list") << QStringList {"list", "Manual.scv"};
    QTest::newRow("show a large text") << QStringList {"show", "Manual.scv", "4"};
    QTest::newRow("count") << QStringList {"count", "Manual.scv"};
    QTest::newRow("show --text") << QStringList {"show", "Manual.scv", "4", "--text"};
    QTest::newRow("show --html") << QStringList {"show", "Manual.scv", "4", "--html"};
}

// Output that cannot be written is a failure, never a success.
void TestScvtool::fullOutput()
{
    QFETCH(QStringList, arguments);
    put("Manual.scv", readSample("Manual.scv"));
    const Run full = run(arguments,
        [](QProcess &process) { process.setStandardOutputFile(QStringLiteral("/dev/full")); });
    COMPARE_RUN(full, 1, "", "scvtool: cannot write the output: No space left on device\n");
}

QTEST_GUILESS_MAIN(TestScvtool)
#include "tst_scvtool.moc"
