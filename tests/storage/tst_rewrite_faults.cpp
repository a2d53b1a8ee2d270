// A rewrite killed at any point, or failing for lack of room, rights or a sound document,
// leaves the document whole and loses no leftover.

#include "fault_support.h"

#include "storage/document.h"
#include "storage/posix_file.h"
#include "storage/record_reader.h"
#include "storage/rewrite.h"

#include <QTest>

#include <fcntl.h>
#include <memory>
#include <sys/resource.h>

using namespace storage;
using namespace faultsupport;
using storage::detail::RewriteStep;

Q_DECLARE_METATYPE(storage::detail::RewriteStep)
Q_DECLARE_METATYPE(storage::ErrorCode)

namespace {

const std::string kDocument = "Help.scv";
const std::string kScratch = kScratchName;
constexpr auto kChildTimeout = 30s;

enum class Limit { BelowOld, JustPastOld, Halfway, OneShortOfNew };

// The changes a window makes, by record number of a three-record document.
enum class Change { Remove2, InsertAfter1, Move1Down, Replace2, RemoveMissing };

RecordChangeFn changeFor(Change c)
{
    switch (c) {
    case Change::Remove2:
        return dropRecord(2);
    case Change::InsertAfter1:
        return insertAfterRecord(1, placeholderRecord());
    case Change::Move1Down:
        return swapWithNext(1);
    case Change::Replace2:
        return replaceRecord(2, stringRecord("2", "Replaced", "new text"));
    case Change::RemoveMissing:
        return dropRecord(9);
    }
    return {};
}

// A document whose large values reach the file in several writes, before and after a change
// that replaces, drops and inserts.
struct CrashCase
{
    std::string oldBytes;
    std::string newBytes;
    RecordChangeFn change;
};

CrashCase crashCase()
{
    const std::string first = quotedRecord("1", "Welcome", "Opening page, with a comma");
    const std::string largeTwo = quotedRecord("2", "Large two", longText(300 * 1024, 2));
    const std::string tail = quotedRecord("1", "Tail", "end");
    const std::string placeholder = "0,\"\",\"\"\r\n";
    const std::string replacement = longText(400 * 1024, 3);
    CrashCase c;
    c.oldBytes = first + quotedRecord("1", "Large one", longText(300 * 1024, 1))
        + quotedRecord("2", "Small", "a\r\nb") + largeTwo + tail + placeholder;
    c.newBytes = first + quotedRecord("1", "Large one", replacement) + largeTwo + tail + placeholder
        + quotedRecord("1", "Added", "at the end");
    c.change = [replacement](std::uint64_t n, const TopicRecord *record) {
        if (!record)
            return RecordChange::insertAfter(stringRecord("1", "Added", "at the end"));
        if (n == 2)
            return RecordChange::replace(stringRecord("1", "Large one", replacement));
        if (n == 3)
            return RecordChange::drop();
        return RecordChange::keep();
    };
    return c;
}

// Which of "Help.tmp" and the recovered files holds exactly these bytes; empty when none does.
std::string holderOf(const std::string &bytes)
{
    std::vector<std::string> candidates = recoveredFiles();
    candidates.insert(candidates.begin(), kScratch);
    for (const std::string &name : candidates) {
        if (readFile(name) == bytes)
            return name;
    }
    return {};
}

QStringList toStringList(const std::vector<std::string> &names)
{
    QStringList list;
    for (const std::string &name : names)
        list << QString::fromStdString(name);
    list.sort();
    return list;
}

void verifyError(const ReportedStatus &s, ErrorCode code, int sysError)
{
    QVERIFY2(s.code == code, describeStatus(s).constData());
    QCOMPARE(s.sysError, sysError);
    QVERIFY2(s.message.find(std::strerror(sysError)) != std::string::npos,
        describeStatus(s).constData());
}

ReportedStatus reported(const Status &s)
{
    return {s.code(), s.sysError(), s.message()};
}

} // namespace

Q_DECLARE_METATYPE(Change)

class TestRewriteFaults : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void killedMidRewrite_data();
    void killedMidRewrite();
    void fileSizeLimit_data();
    void fileSizeLimit();
    void readOnlyFolder_data();
    void readOnlyFolder();
    void folderNotListable_data();
    void folderNotListable();
    void missingDocument_data();
    void missingDocument();
    void damagedDocument_data();
    void damagedDocument();
    void scratchFileAsDocument_data();
    void scratchFileAsDocument();
    void leftoverMovedAside_data();
    void leftoverMovedAside();
    void leftoverInTheWay_data();
    void leftoverInTheWay();

private:
    std::unique_ptr<WorkingFolder> m_folder;
};

void TestRewriteFaults::initTestCase()
{
    // A child that dies before reading must not take the test down with it.
    ::signal(SIGPIPE, SIG_IGN);
}

void TestRewriteFaults::init()
{
    m_folder = std::make_unique<WorkingFolder>();
    QVERIFY(m_folder->isValid());
}

void TestRewriteFaults::cleanup()
{
    detail::setRewriteStepHook({});
    m_folder.reset();
}

void TestRewriteFaults::killedMidRewrite_data()
{
    QTest::addColumn<RewriteStep>("step");
    QTest::addColumn<int>("occurrence");
    QTest::addColumn<bool>("leftover");
    QTest::addColumn<bool>("expectNew");

    struct Point
    {
        RewriteStep step;
        int occurrence;
        const char *name;
    };
    const Point points[] = {
        {RewriteStep::Locked, 1, "once locked"},
        {RewriteStep::LeftoverMoved, 1, "after the leftover check"},
        {RewriteStep::ScratchCreated, 1, "once Help.tmp exists"},
        {RewriteStep::RecordWritten, 1, "after record 1 (still buffered)"},
        {RewriteStep::RecordWritten, 2, "after the first large record"},
        {RewriteStep::RecordWritten, 3, "after a dropped record"},
        {RewriteStep::RecordWritten, 5, "after record 5"},
        {RewriteStep::RecordWritten, 7, "after the insert at the end"},
        {RewriteStep::ScratchFlushed, 1, "once Help.tmp is flushed"},
        {RewriteStep::Replaced, 1, "right after the rename"},
    };
    for (const Point &p : points) {
        for (const bool leftover : {false, true}) {
            QTest::addRow("killed %s%s", p.name, leftover ? ", leftover present" : "")
                << p.step << p.occurrence << leftover << (p.step == RewriteStep::Replaced);
        }
    }
}

void TestRewriteFaults::killedMidRewrite()
{
    QFETCH(RewriteStep, step);
    QFETCH(int, occurrence);
    QFETCH(bool, leftover);
    QFETCH(bool, expectNew);

    const CrashCase c = crashCase();
    QVERIFY(writeFile(kDocument, c.oldBytes));
    const std::string planted = "left by an interrupted rewrite\r\n" + longText(5000, 9);
    if (leftover)
        QVERIFY(writeFile(kScratch, planted));

    const std::string folder = m_folder->nativePath();
    ChildProcess child([&] {
        if (::chdir(folder.c_str()) != 0)
            return std::string("cannot enter the folder");
        int seen = 0;
        detail::setRewriteStepHook([&](RewriteStep s) {
            if (s == step && ++seen == occurrence)
                ::raise(SIGKILL);
        });
        const RewriteResult r = rewriteDocument(kDocument, c.change);
        return "the rewrite ended before the step: " + encodeStatus(r.status);
    });
    QVERIFY(child.started());
    const ChildOutcome outcome = child.wait(kChildTimeout);
    QVERIFY2(outcome.killedBy(SIGKILL), outcome.describe().constData());

    // Whole: the old document up to the rename, the new one from then on.
    const std::optional<std::string> document = readFile(kDocument);
    QVERIFY2(document, "the document is missing");
    QVERIFY2(*document == c.oldBytes || *document == c.newBytes, "the document is neither");
    VERIFY_FILE_BYTES(kDocument, expectNew ? c.newBytes : c.oldBytes);
    if (leftover)
        QVERIFY2(!holderOf(planted).empty(), "the leftover is lost");
    // What the killed rewrite left in Help.tmp is the start of the new document, nothing else.
    const std::optional<std::string> scratch = readFile(kScratch);
    if (scratch && *scratch != planted) {
        QVERIFY2(c.newBytes.compare(0, scratch->size(), *scratch) == 0,
            "Help.tmp holds bytes that are not the new document's");
    }

    // The next rewrite recovers: it moves the killed one's scratch file aside and succeeds.
    const std::string marker = quotedRecord("3", "Check", "after the kill");
    const RewriteResult after = rewriteDocument(
        kDocument, insertAfterRecord(UINT64_MAX, stringRecord("3", "Check", "after the kill")));
    QVERIFY2(after.status.ok(), after.status.message().c_str());
    VERIFY_FILE_BYTES(kDocument, *document + marker);
    QVERIFY(!pathExists(kScratch));
    if (scratch && !scratch->empty()) {
        QVERIFY2(!after.leftoverMovedTo.empty(), "the leftover went unreported");
        VERIFY_FILE_BYTES(after.leftoverMovedTo, *scratch);
    } else {
        QCOMPARE(QString::fromStdString(after.leftoverMovedTo), QString());
    }
    if (leftover) {
        const std::string holder = holderOf(planted);
        QVERIFY2(!holder.empty() && holder != kScratch, "the leftover is lost");
    }
}

void TestRewriteFaults::fileSizeLimit_data()
{
    QTest::addColumn<bool>("largeRecord");
    QTest::addColumn<Limit>("limit");

    const std::pair<Limit, const char *> limits[] = {
        {Limit::BelowOld, "below the old size"},
        {Limit::JustPastOld, "one byte past the old size"},
        {Limit::Halfway, "halfway to the new size"},
        {Limit::OneShortOfNew, "one byte short of the new size"},
    };
    for (const bool large : {true, false}) {
        for (const auto &[limit, name] : limits) {
            QTest::addRow("%s, limit %s", large ? "one large record" : "many small records", name)
                << large << limit;
        }
    }
}

void TestRewriteFaults::fileSizeLimit()
{
    QFETCH(bool, largeRecord);
    QFETCH(Limit, limit);

    constexpr int kRecords = 1500;
    std::string old;
    for (int i = 1; i <= kRecords; ++i) {
        old += quotedRecord(
            "1", "Topic " + std::to_string(i), "Text of topic " + std::to_string(i) + ", short");
    }
    QVERIFY(writeFile(kDocument, old));

    // Large values go straight to the file; small ones fill the writer's buffer (1 MB) first.
    const std::string insertedText = largeRecord ? longText(500 * 1024, 4) : longText(700, 5);
    RecordChangeFn change;
    std::uint64_t newSize = old.size();
    if (largeRecord) {
        change = insertAfterRecord(UINT64_MAX, stringRecord("1", "Large", insertedText));
        newSize += quotedRecord("1", "Large", insertedText).size();
    } else {
        change = [insertedText](std::uint64_t, const TopicRecord *record) {
            return record ? RecordChange::insertAfter(stringRecord("2", "Inserted", insertedText))
                          : RecordChange::keep();
        };
        newSize += kRecords * quotedRecord("2", "Inserted", insertedText).size();
    }
    std::uint64_t limitBytes = 0;
    switch (limit) {
    case Limit::BelowOld:
        limitBytes = old.size() / 2;
        break;
    case Limit::JustPastOld:
        limitBytes = old.size() + 1;
        break;
    case Limit::Halfway:
        limitBytes = (old.size() + newSize) / 2;
        break;
    case Limit::OneShortOfNew:
        limitBytes = newSize - 1;
        break;
    }
    const std::uint64_t room = limitBytes > old.size() ? limitBytes - old.size() : 0;
    const TopicRecord appended =
        stringRecord("1", "Appended", longText(room + (largeRecord ? 70000 : 100), 6));

    ChildProcess child([&] {
        // Without this the kernel ends the process instead of failing the write.
        ::signal(SIGXFSZ, SIG_IGN);
        rlimit lim;
        if (::getrlimit(RLIMIT_FSIZE, &lim) != 0)
            return std::string("getrlimit failed");
        lim.rlim_cur = limitBytes;
        if (::setrlimit(RLIMIT_FSIZE, &lim) != 0)
            return std::string("setrlimit failed");
        const RewriteResult r = rewriteDocument(kDocument, change);
        return encodeStatus(r.status) + encodeStatus(appendRecord(kDocument, appended));
    });
    QVERIFY(child.started());
    const ChildOutcome outcome = child.wait(kChildTimeout);
    QVERIFY2(outcome.exitedCleanly(), outcome.describe().constData());
    const std::vector<ReportedStatus> statuses = decodeStatuses(outcome.report);
    QVERIFY2(statuses.size() == 2, outcome.report.c_str());
    for (const ReportedStatus &s : statuses)
        verifyError(s, ErrorCode::Io, EFBIG);

    VERIFY_FILE_BYTES(kDocument, old);
    QVERIFY(!pathExists(kScratch));
    QVERIFY(recoveredFiles().empty());

    // Without the limit the same rewrite goes through: the limit alone made it fail.
    const RewriteResult unlimited = rewriteDocument(kDocument, change);
    QVERIFY2(unlimited.status.ok(), unlimited.status.message().c_str());
    QCOMPARE(readFile(kDocument).value_or("").size(), newSize);
}

void TestRewriteFaults::readOnlyFolder_data()
{
    QTest::addColumn<bool>("documentWritable");
    QTest::addColumn<bool>("leftover");
    QTest::addColumn<bool>("lockFile");

    QTest::newRow("read-only folder and document") << false << false << false;
    QTest::newRow("read-only folder holding a leftover") << false << true << false;
    QTest::newRow("read-only folder holding the lock file") << false << false << true;
    // Only the folder's entries are protected: an append to a writable document goes through.
    QTest::newRow("read-only folder, writable document") << true << false << false;
}

void TestRewriteFaults::readOnlyFolder()
{
    QFETCH(bool, documentWritable);
    QFETCH(bool, leftover);
    QFETCH(bool, lockFile);

    const std::string old =
        quotedRecord("1", "Only", "topic") + quotedRecord("2", "Second", longText(100000, 7));
    const std::string planted = "left by an interrupted rewrite";
    QVERIFY(writeFile(kDocument, old));
    if (leftover)
        QVERIFY(writeFile(kScratch, planted));
    if (lockFile)
        QVERIFY(writeFile(kLockName, ""));

    // Root passes every permission check, so as root the child works as another user.
    const bool asRoot = ::geteuid() == 0;
    if (asRoot) {
        std::vector<std::string> names = folderEntries();
        names.push_back(".");
        for (const std::string &name : names) {
            if (::lchown(name.c_str(), kNobody, kNobody) != 0)
                QSKIP("cannot hand the folder to another user");
        }
    }
    QCOMPARE(::chmod(kDocument.c_str(), documentWritable ? 0644 : 0444), 0);
    QCOMPARE(::chmod(".", 0555), 0);

    const TopicRecord appended = stringRecord("3", "Appended", "text, appended");
    ChildProcess child([&] {
        if (asRoot && !becomeNobody())
            return std::string("SKIP cannot act as another user");
        const int probe = ::open("probe", O_WRONLY | O_CREAT | O_EXCL, 0644);
        if (probe >= 0) {
            ::close(probe);
            ::unlink("probe");
            return std::string("SKIP the folder stays writable");
        }
        const RewriteResult r = rewriteDocument(
            kDocument, insertAfterRecord(0, stringRecord("0", "First", "inserted before all")));
        return encodeStatus(r.status) + encodeStatus(appendRecord(kDocument, appended));
    });
    QVERIFY(child.started());
    const ChildOutcome outcome = child.wait(kChildTimeout);
    QCOMPARE(::chmod(".", 0700), 0);
    QVERIFY2(outcome.exitedCleanly(), outcome.describe().constData());
    if (outcome.report.rfind("SKIP", 0) == 0)
        QSKIP(outcome.report.c_str());
    const std::vector<ReportedStatus> statuses = decodeStatuses(outcome.report);
    QVERIFY2(statuses.size() == 2, outcome.report.c_str());

    verifyError(statuses[0], ErrorCode::Io, EACCES);
    if (documentWritable) {
        QVERIFY2(statuses[1].ok(), describeStatus(statuses[1]).constData());
        VERIFY_FILE_BYTES(kDocument, old + quotedRecord("3", "Appended", "text, appended"));
    } else {
        verifyError(statuses[1], ErrorCode::Io, EACCES);
        VERIFY_FILE_BYTES(kDocument, old);
    }
    if (leftover)
        VERIFY_FILE_BYTES(kScratch, planted);
    else
        QVERIFY(!pathExists(kScratch));
    QVERIFY(recoveredFiles().empty());
}

void TestRewriteFaults::folderNotListable_data()
{
    QTest::addColumn<QByteArray>("document");
    QTest::addColumn<Change>("change");
    QTest::addColumn<QByteArray>("damage"); // appended to the document's bytes
    QTest::addColumn<bool>("leftover");
    QTest::addColumn<QStringList>("names"); // the records afterwards, by name; "-" a placeholder
    QTest::addColumn<ErrorCode>("code");
    QTest::addColumn<bool>("warned");

    const QByteArray here("Help.scv");
    const QByteArray inSub("sub/Help.scv");
    const QStringList old {"A", "B", "C"};
    // Replaced, but the folder's new entry could not be flushed: done, with a warning.
    QTest::newRow("Remove") << here << Change::Remove2 << QByteArray() << false
                            << QStringList {"A", "C"} << ErrorCode::None << true;
    QTest::newRow("Insert") << here << Change::InsertAfter1 << QByteArray() << false
                            << QStringList {"A", "-", "B", "C"} << ErrorCode::None << true;
    QTest::newRow("Move") << here << Change::Move1Down << QByteArray() << false
                          << QStringList {"B", "A", "C"} << ErrorCode::None << true;
    QTest::newRow("Save after Edit")
        << here << Change::Replace2 << QByteArray() << false << QStringList {"A", "Replaced", "C"}
        << ErrorCode::None << true;
    QTest::newRow("document in another folder that cannot be listed")
        << inSub << Change::Remove2 << QByteArray() << false << QStringList {"A", "C"}
        << ErrorCode::None << true;
    // Nothing replaced: nothing to flush, nothing to warn of.
    QTest::newRow("no record changed") << here << Change::RemoveMissing << QByteArray() << false
                                       << old << ErrorCode::None << false;
    // Failures before the replacement stay errors, the document as it was.
    QTest::newRow("damaged document") << here << Change::Remove2 << QByteArray("\"4\",\"D") << false
                                      << old << ErrorCode::UnterminatedQuote << false;
    QTest::newRow("leftover moved aside, then its flush fails")
        << here << Change::Remove2 << QByteArray() << true << old << ErrorCode::Io << false;
}

void TestRewriteFaults::folderNotListable()
{
    QFETCH(QByteArray, document);
    QFETCH(Change, change);
    QFETCH(QByteArray, damage);
    QFETCH(bool, leftover);
    QFETCH(QStringList, names);
    QFETCH(ErrorCode, code);
    QFETCH(bool, warned);

    // Root passes every permission check, so as root the child works as another user.
    const bool asRoot = ::geteuid() == 0;
    const std::string path = document.toStdString();
    const std::string folder = detail::parentDirectory(path);
    if (folder != ".")
        QCOMPARE(::mkdir(folder.c_str(), 0700), 0);
    const std::string old = quotedRecord("1", "A", "a") + quotedRecord("1", "B", "b, with a comma")
        + quotedRecord("2", "C", longText(100000, 3)) + damage.toStdString();
    QVERIFY(writeFile(path, old));
    const std::string planted = "left by an interrupted rewrite";
    if (leftover)
        QVERIFY(writeFile(kScratch, planted));
    if (asRoot) {
        for (const std::string &name : {std::string("."), folder, path}) {
            if (::chown(name.c_str(), kNobody, kNobody) != 0)
                QSKIP("cannot hand the folder to another user");
        }
        if (leftover && ::chown(kScratchName, kNobody, kNobody) != 0)
            QSKIP("cannot hand the folder to another user");
    }
    // Written and entered, but not listed: a folder cannot be opened, so not flushed either.
    QCOMPARE(::chmod(folder.c_str(), 0300), 0);

    ChildProcess child([&] {
        if (asRoot && !becomeNobody())
            return std::string("SKIP cannot act as another user");
        if (const int probe = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY); probe >= 0) {
            ::close(probe);
            return std::string("SKIP the folder can be opened all the same");
        }
        const RewriteResult r = rewriteDocument(path, changeFor(change));
        return encodeStatus(r.status) + encodeStatus(r.warning);
    });
    QVERIFY(child.started());
    const ChildOutcome outcome = child.wait(kChildTimeout);
    QCOMPARE(::chmod(folder.c_str(), 0700), 0);
    QVERIFY2(outcome.exitedCleanly(), outcome.describe().constData());
    if (outcome.report.rfind("SKIP", 0) == 0)
        QSKIP(outcome.report.c_str());
    const std::vector<ReportedStatus> statuses = decodeStatuses(outcome.report);
    QVERIFY2(statuses.size() == 2, outcome.report.c_str());
    const ReportedStatus &status = statuses[0];
    const ReportedStatus &warning = statuses[1];

    QVERIFY2(status.code == code, describeStatus(status).constData());
    if (warned) {
        verifyError(warning, ErrorCode::Io, EACCES);
        const std::string flush = "cannot flush folder " + folder + " to disk";
        QVERIFY2(
            warning.message.find(flush) != std::string::npos, describeStatus(warning).constData());
    } else {
        QVERIFY2(warning.ok(), describeStatus(warning).constData());
    }
    if (code == ErrorCode::Io)
        verifyError(status, ErrorCode::Io, EACCES);

    // What the status says is what the file holds.
    QStringList now;
    DocumentReader reader(path);
    TopicRecord record;
    while (reader.next(record) == ReadStatus::Record)
        now << (record == placeholderRecord() ? QString("-")
                                              : QString::fromStdString(record.name.text()));
    QCOMPARE(now, names);
    if (!status.ok() || !warned)
        VERIFY_FILE_BYTES(path, old);
    QVERIFY(!pathExists(kScratch));
    if (leftover) {
        QCOMPARE(toStringList(recoveredFiles()), QStringList {"Recovered 1.scv"});
        VERIFY_FILE_BYTES("Recovered 1.scv", planted);
    } else {
        QVERIFY(recoveredFiles().empty());
    }
}

void TestRewriteFaults::missingDocument_data()
{
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<bool>("danglingLink");

    QTest::newRow("bare name") << QByteArray("Missing.scv") << false;
    QTest::newRow("in a missing folder") << QByteArray("No folder/Missing.scv") << false;
    QTest::newRow("link to a missing file") << QByteArray("Link.scv") << true;
}

void TestRewriteFaults::missingDocument()
{
    QFETCH(QByteArray, path);
    QFETCH(bool, danglingLink);

    const std::string document = path.toStdString();
    if (danglingLink)
        QCOMPARE(::symlink("Gone.scv", document.c_str()), 0);
    const std::vector<std::string> before = folderEntries();

    const RewriteResult r =
        rewriteDocument(document, insertAfterRecord(0, stringRecord("1", "New", "topic")));
    verifyError(reported(r.status), ErrorCode::NotFound, ENOENT);
    verifyError(reported(appendRecord(document, stringRecord("1", "New", "topic"))),
        ErrorCode::NotFound, ENOENT);
    const CountResult count = countRecords(document);
    verifyError(reported(count.status), ErrorCode::NotFound, ENOENT);
    QCOMPARE(count.count, 0u);

    // Nothing is created, not even a lock file.
    QCOMPARE(toStringList(folderEntries()), toStringList(before));
}

void TestRewriteFaults::damagedDocument_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<ErrorCode>("code");
    QTest::addColumn<qulonglong>("record");

    const QByteArray whole = QByteArray::fromStdString(
        quotedRecord("1", "First", "text") + quotedRecord("2", "Second", "more, text"));
    QTest::newRow("cut short after the level") << whole + "\"3\"" << ErrorCode::CutShort << 3ull;
    QTest::newRow("cut short after the name")
        << whole + "\"3\",\"Third\"" << ErrorCode::CutShort << 3ull;
    QTest::newRow("cut short after the comma before the text")
        << whole + "\"3\",\"Third\"," << ErrorCode::CutShort << 3ull;
    QTest::newRow("text without its closing quote")
        << whole + "\"3\",\"Third\",\"no end" << ErrorCode::UnterminatedQuote << 3ull;
    QTest::newRow("large text without its closing quote")
        << whole + "\"3\",\"Third\",\"" + QByteArray::fromStdString(longText(600 * 1024, 8))
        << ErrorCode::UnterminatedQuote << 3ull;
    QTest::newRow("first record cut short")
        << QByteArray("\"1\",\"Fir") << ErrorCode::UnterminatedQuote << 1ull;
}

void TestRewriteFaults::damagedDocument()
{
    QFETCH(QByteArray, bytes);
    QFETCH(ErrorCode, code);
    QFETCH(qulonglong, record);

    const std::string old = bytes.toStdString();
    QVERIFY(writeFile(kDocument, old));
    const RewriteResult r =
        rewriteDocument(kDocument, insertAfterRecord(0, stringRecord("0", "New", "first")));
    QVERIFY2(r.status.code() == code, r.status.message().c_str());
    QCOMPARE(r.status.record(), record);
    QCOMPARE(r.recordsWritten, 0u);
    VERIFY_FILE_BYTES(kDocument, old);
    QVERIFY(!pathExists(kScratch));
    QVERIFY(recoveredFiles().empty());
}

void TestRewriteFaults::scratchFileAsDocument_data()
{
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<QByteArray>("link");

    QTest::newRow("Help.tmp by name") << QByteArray("Help.tmp") << QByteArray();
    QTest::newRow("Help.tmp through ./") << QByteArray("./Help.tmp") << QByteArray();
    QTest::newRow("Help.tmp by absolute path") << QByteArray("<folder>/Help.tmp") << QByteArray();
    QTest::newRow("hard link to Help.tmp") << QByteArray("Linked.scv") << QByteArray("hard");
    QTest::newRow("symbolic link to Help.tmp") << QByteArray("Pointer.scv") << QByteArray("soft");
}

void TestRewriteFaults::scratchFileAsDocument()
{
    QFETCH(QByteArray, path);
    QFETCH(QByteArray, link);

    std::string document = path.toStdString();
    if (document.rfind("<folder>", 0) == 0)
        document.replace(0, 8, m_folder->nativePath());
    const std::string content = quotedRecord("1", "A", "a") + quotedRecord("1", "B", "b");
    QVERIFY(writeFile(kScratch, content));
    if (link == "hard")
        QCOMPARE(::link(kScratchName, document.c_str()), 0);
    else if (link == "soft")
        QCOMPARE(::symlink(kScratchName, document.c_str()), 0);
    const std::vector<std::string> before = folderEntries();

    const RewriteResult r =
        rewriteDocument(document, insertAfterRecord(0, stringRecord("0", "New", "first")));
    QVERIFY2(r.status.code() == ErrorCode::Io, r.status.message().c_str());
    QVERIFY2(
        r.status.message().find("scratch file") != std::string::npos, r.status.message().c_str());
    QVERIFY(r.leftoverMovedTo.empty());
    VERIFY_FILE_BYTES(kScratch, content);
    QCOMPARE(toStringList(folderEntries()), toStringList(before));
}

void TestRewriteFaults::leftoverMovedAside_data()
{
    QTest::addColumn<bool>("leftover");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("occupied");
    QTest::addColumn<QString>("movedTo");

    const QByteArray text = "left by an interrupted rewrite\r\n\x80\xff, with bytes of all kinds";
    QTest::newRow("no leftover") << false << QByteArray() << QStringList() << QString();
    QTest::newRow("leftover becomes Recovered 1")
        << true << text << QStringList() << QString("Recovered 1.scv");
    QTest::newRow("Recovered 1 taken")
        << true << text << QStringList {"file:Recovered 1.scv"} << QString("Recovered 2.scv");
    QTest::newRow("Recovered 1 and 2 taken")
        << true << text << QStringList {"file:Recovered 1.scv", "file:Recovered 2.scv"}
        << QString("Recovered 3.scv");
    QTest::newRow("a gap in the numbers is used")
        << true << text << QStringList {"file:Recovered 2.scv"} << QString("Recovered 1.scv");
    QTest::newRow("Recovered 1 is a folder")
        << true << text << QStringList {"folder:Recovered 1.scv"} << QString("Recovered 2.scv");
    QTest::newRow("Recovered 1 is a link to a missing file")
        << true << text << QStringList {"link:Recovered 1.scv"} << QString("Recovered 2.scv");
    QTest::newRow("large leftover")
        << true << QByteArray::fromStdString(longText(2 * 1024 * 1024, 11)) << QStringList()
        << QString("Recovered 1.scv");
    QTest::newRow("zero-byte leftover is removed")
        << true << QByteArray() << QStringList {"file:Recovered 1.scv"} << QString();
}

void TestRewriteFaults::leftoverMovedAside()
{
    QFETCH(bool, leftover);
    QFETCH(QByteArray, content);
    QFETCH(QStringList, occupied);
    QFETCH(QString, movedTo);

    QVERIFY(writeFile(kDocument, quotedRecord("1", "A", "a") + quotedRecord("1", "B", "b")));
    if (leftover)
        QVERIFY(writeFile(kScratch, content.toStdString()));
    for (const QString &entry : occupied) {
        const std::string kind = entry.section(':', 0, 0).toStdString();
        const std::string name = entry.section(':', 1).toStdString();
        if (kind == "file")
            QVERIFY(writeFile(name, "occupant " + name));
        else if (kind == "folder")
            QCOMPARE(::mkdir(name.c_str(), 0755), 0);
        else
            QCOMPARE(::symlink("Nowhere.scv", name.c_str()), 0);
    }

    const RewriteResult r =
        rewriteDocument(kDocument, replaceRecord(1, stringRecord("1", "A", "z")));
    QVERIFY2(r.status.ok(), r.status.message().c_str());
    QCOMPARE(QString::fromStdString(r.leftoverMovedTo), movedTo);
    VERIFY_FILE_BYTES(kDocument, quotedRecord("1", "A", "z") + quotedRecord("1", "B", "b"));
    QVERIFY(!pathExists(kScratch));
    if (!movedTo.isEmpty())
        VERIFY_FILE_BYTES(movedTo.toStdString(), content.toStdString());

    // What held a "Recovered" name before holds it still, unchanged.
    for (const QString &entry : occupied) {
        const std::string kind = entry.section(':', 0, 0).toStdString();
        const std::string name = entry.section(':', 1).toStdString();
        struct stat st;
        QCOMPARE(::lstat(name.c_str(), &st), 0);
        if (kind == "file")
            VERIFY_FILE_BYTES(name, "occupant " + name);
        else if (kind == "folder")
            QVERIFY(S_ISDIR(st.st_mode));
        else
            QVERIFY(S_ISLNK(st.st_mode));
    }
    QVERIFY(!pathExists("Nowhere.scv"));
    QCOMPARE(recoveredFiles().size(), std::size_t(occupied.size() + (movedTo.isEmpty() ? 0 : 1)));
}

void TestRewriteFaults::leftoverInTheWay_data()
{
    QTest::addColumn<QByteArray>("kind");
    QTest::addColumn<QByteArray>("messagePart");

    QTest::newRow("Help.tmp is a folder") << QByteArray("folder") << QByteArray("in the way");
    QTest::newRow("Help.tmp is a link to another document")
        << QByteArray("link to other") << QByteArray("in the way");
    QTest::newRow("Help.tmp is a link to the document")
        << QByteArray("link to document") << QByteArray("scratch file");
}

void TestRewriteFaults::leftoverInTheWay()
{
    QFETCH(QByteArray, kind);
    QFETCH(QByteArray, messagePart);

    const std::string old = quotedRecord("1", "A", "a");
    const std::string other = quotedRecord("1", "Other", "document");
    QVERIFY(writeFile(kDocument, old));
    QVERIFY(writeFile("Other.scv", other));
    if (kind == "folder")
        QCOMPARE(::mkdir(kScratchName, 0755), 0);
    else if (kind == "link to other")
        QCOMPARE(::symlink("Other.scv", kScratchName), 0);
    else
        QCOMPARE(::symlink(kDocument.c_str(), kScratchName), 0);

    const RewriteResult r =
        rewriteDocument(kDocument, insertAfterRecord(0, stringRecord("0", "New", "first")));
    QVERIFY2(r.status.code() == ErrorCode::Io, r.status.message().c_str());
    QVERIFY2(r.status.message().find(messagePart.toStdString()) != std::string::npos,
        r.status.message().c_str());
    VERIFY_FILE_BYTES(kDocument, old);
    VERIFY_FILE_BYTES("Other.scv", other);
    struct stat st;
    QCOMPARE(::lstat(kScratchName, &st), 0);
    QCOMPARE(S_ISDIR(st.st_mode), kind == "folder");
    QVERIFY(recoveredFiles().empty());
}

QTEST_GUILESS_MAIN(TestRewriteFaults)
#include "tst_rewrite_faults.moc"
