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

const QString kSamples = QStringLiteral(SCRIVANE_SHARED_DIR "/sample-docs/");

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
    void search_data();
    void search();
    void check_data();
    void check();
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
    QProcess process;
    process.setWorkingDirectory(m_dir->path());
    if (setUp)
        setUp(process);
    process.start(QStringLiteral(SCVTOOL_PATH), arguments);
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

void TestScvtool::failures_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("err");

    const QByteArray missing("scvtool: cannot open missing.scv: No such file or directory\n");
    for (const char *command : {"count", "list", "check"})
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
    QTest::newRow("show without N")
        << QStringList {"show", "Manual.scv"} << 2 << wrongCount + "show FILE N\n";
    QTest::newRow("show with two numbers")
        << QStringList {"show", "Manual.scv", "1", "2"} << 2 << wrongCount + "show FILE N\n";
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
             "\n  search FILE WORD ", "\n  check FILE "})
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
