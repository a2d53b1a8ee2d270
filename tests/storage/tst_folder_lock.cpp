// Programs changing documents in one folder take turns: a live holder of the lock makes the
// others wait or give up, a dead one blocks no one, and racing writers lose no record.

#include "fault_support.h"

#include "storage/document.h"
#include "storage/folder_lock.h"
#include "storage/record_reader.h"
#include "storage/rewrite.h"

#include <QTest>

#include <fcntl.h>
#include <map>
#include <memory>
#include <sys/file.h>

using namespace storage;
using namespace faultsupport;
using storage::detail::RewriteStep;

Q_DECLARE_METATYPE(storage::detail::RewriteStep)

namespace {

const std::string kDocument = "Help.scv";
const std::string kScratch = kScratchName;
constexpr auto kChildTimeout = 30s;
constexpr auto kShortWait = 150ms;

const std::string kFirst = quotedRecord("1", "First", "one");
const std::string kSecond = quotedRecord("1", "Second", longText(200 * 1024, 1));

// A child that rewrites the document and, at the given step, tells the parent through locked
// and stays there until release brings a byte.
ChildProcess pausedRewrite(
    Pipe &locked, Pipe &release, RewriteStep pauseAt, RecordChangeFn change, bool asNobody = false)
{
    return ChildProcess([&, asNobody] {
        locked.closeRead();
        release.closeWrite();
        if (asNobody && !becomeNobody())
            return std::string("cannot act as another user");
        ::umask(022);
        bool paused = false;
        detail::setRewriteStepHook([&](RewriteStep s) {
            if (s != pauseAt || paused)
                return;
            paused = true;
            locked.send();
            if (!release.receive(kChildTimeout))
                ::_exit(3);
        });
        return encodeStatus(rewriteDocument(kDocument, change).status);
    });
}

// The records appended by writer p, in the order it appends them.
TopicRecord appendedRecord(int p, int k)
{
    const std::size_t size = k % 10 == 3 ? 70 * 1024 : static_cast<std::size_t>(k * 5);
    return stringRecord(std::to_string(p),
        "writer " + std::to_string(p) + " record " + std::to_string(k),
        "record " + std::to_string(k) + ", of writer " + std::to_string(p) + "\r\n"
            + longText(size, static_cast<unsigned>(p * 100 + k)));
}

// A program of an earlier version: it serialises its changes with an flock on the lock file
// alone, which it creates. It tells the parent through locked once it holds the lock, and
// lets go when release brings a byte.
ChildProcess earlierVersionHolding(Pipe &locked, Pipe &release, bool asNobody)
{
    return ChildProcess([&, asNobody] {
        locked.closeRead();
        release.closeWrite();
        if (asNobody && !becomeNobody())
            return std::string("cannot act as another user");
        const int fd = ::open(kLockName, O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd < 0 || ::flock(fd, LOCK_EX) != 0)
            return std::string("cannot take the lock file: ") + std::strerror(errno);
        locked.send();
        if (!release.receive(kChildTimeout))
            ::_exit(3);
        ::close(fd);
        return encodeStatus(Status());
    });
}

// Runs body in a child, as the unprivileged user when asNobody.
ChildOutcome runAs(bool asNobody, const std::function<std::string()> &body)
{
    ChildProcess child([&] {
        if (asNobody && !becomeNobody())
            return std::string("cannot act as another user");
        return body();
    });
    return child.wait(kChildTimeout);
}

// Gives the working folder and its entries to the unprivileged user; false when that fails.
bool handFolderToNobody()
{
    std::vector<std::string> names = folderEntries();
    names.push_back(".");
    for (const std::string &name : names) {
        if (::lchown(name.c_str(), kNobody, kNobody) != 0)
            return false;
    }
    return true;
}

void verifyReport(const ChildOutcome &outcome, std::size_t statuses)
{
    QVERIFY2(outcome.exitedCleanly(), outcome.describe().constData());
    QVERIFY2(decodeStatuses(outcome.report).size() == statuses, outcome.report.c_str());
}

} // namespace

class TestFolderLock : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void heldLockMakesOthersWait_data();
    void heldLockMakesOthersWait();
    void waiterGoesOnOnceReleased();
    void unreadableLockFileRefuses();
    void deadHolderBlocksNoOne_data();
    void deadHolderBlocksNoOne();
    void noLockFileLeft_data();
    void noLockFileLeft();
    void mixedLockers_data();
    void mixedLockers();
    void concurrentWriters_data();
    void concurrentWriters();

private:
    std::unique_ptr<WorkingFolder> m_folder;
    std::chrono::milliseconds m_lockTimeout {};
};

void TestFolderLock::initTestCase()
{
    ::signal(SIGPIPE, SIG_IGN);
    m_lockTimeout = detail::lockTimeout();
}

void TestFolderLock::init()
{
    m_folder = std::make_unique<WorkingFolder>();
    QVERIFY(m_folder->isValid());
    QVERIFY(writeFile(kDocument, kFirst + kSecond));
}

void TestFolderLock::cleanup()
{
    detail::setRewriteStepHook({});
    detail::setLockTimeout(m_lockTimeout);
    m_folder.reset();
}

void TestFolderLock::heldLockMakesOthersWait_data()
{
    QTest::addColumn<RewriteStep>("pauseAt");
    QTest::addColumn<bool>("otherUser");

    const std::pair<RewriteStep, const char *> steps[] = {
        {RewriteStep::Locked, "just locked"},
        {RewriteStep::ScratchCreated, "with Help.tmp created"},
        {RewriteStep::RecordWritten, "halfway through the copy"},
    };
    for (const bool otherUser : {false, true}) {
        for (const auto &[step, name] : steps) {
            QTest::addRow("holder %s%s", name, otherUser ? ", waiter is another user" : "")
                << step << otherUser;
        }
    }
}

void TestFolderLock::heldLockMakesOthersWait()
{
    QFETCH(RewriteStep, pauseAt);
    QFETCH(bool, otherUser);

    if (otherUser) {
        // The folder and document belong to the waiter; the holder (root) makes the lock file.
        if (::geteuid() != 0)
            QSKIP("only root can act as two users");
        if (::chown(".", kNobody, kNobody) != 0
            || ::chown(kDocument.c_str(), kNobody, kNobody) != 0)
            QSKIP("cannot hand the folder to another user");
        QCOMPARE(::chmod(".", 0755), 0);
    }
    // Large, so Help.tmp already holds it when the holder pauses after writing it.
    const std::string holderText = longText(100 * 1024, 5);
    const std::string byHolder = quotedRecord("1", "First", holderText);
    const std::string byWaiter = quotedRecord("1", "Third", "by the waiter");
    const std::string appended = quotedRecord("1", "Fourth", "appended");

    Pipe locked;
    Pipe release;
    ChildProcess holder = pausedRewrite(
        locked, release, pauseAt, replaceRecord(1, stringRecord("1", "First", holderText)));
    QVERIFY(holder.started());
    locked.closeWrite();
    release.closeRead();
    QVERIFY2(locked.receive(kChildTimeout), "the holder did not take the lock");
    const std::optional<std::string> scratchHeld = readFile(kScratch);

    const auto contend = [&](std::chrono::milliseconds timeout) {
        return ChildProcess([&, timeout] {
            if (otherUser && !becomeNobody())
                return std::string("cannot act as another user");
            detail::setLockTimeout(timeout);
            const RewriteResult r = rewriteDocument(kDocument,
                insertAfterRecord(UINT64_MAX, stringRecord("1", "Third", "by the waiter")));
            return encodeStatus(r.status)
                + encodeStatus(appendRecord(kDocument, stringRecord("1", "Fourth", "appended")));
        });
    };

    const auto started = Clock::now();
    ChildProcess waiter = contend(kShortWait);
    QVERIFY(waiter.started());
    const ChildOutcome busy = waiter.wait(kChildTimeout);
    verifyReport(busy, 2);
    for (const ReportedStatus &s : decodeStatuses(busy.report))
        QVERIFY2(s.code == ErrorCode::Busy, describeStatus(s).constData());
    QVERIFY(Clock::now() - started >= 2 * kShortWait);
    // The waiter touched nothing: the document and the holder's scratch file are as they were.
    VERIFY_FILE_BYTES(kDocument, kFirst + kSecond);
    QVERIFY(readFile(kScratch) == scratchHeld);
    QVERIFY(recoveredFiles().empty());

    QVERIFY(release.send());
    const ChildOutcome held = holder.wait(kChildTimeout);
    verifyReport(held, 1);
    QVERIFY2(decodeStatuses(held.report)[0].ok(), held.report.c_str());
    VERIFY_FILE_BYTES(kDocument, byHolder + kSecond);

    ChildProcess later = contend(kShortWait);
    QVERIFY(later.started());
    const ChildOutcome done = later.wait(kChildTimeout);
    verifyReport(done, 2);
    for (const ReportedStatus &s : decodeStatuses(done.report))
        QVERIFY2(s.ok(), describeStatus(s).constData());
    VERIFY_FILE_BYTES(kDocument, byHolder + kSecond + byWaiter + appended);
    QVERIFY(!pathExists(kScratch));
    QVERIFY(recoveredFiles().empty());
    // The folder itself was the lock: no file is left behind.
    QVERIFY(!pathExists(kLockName));
}

void TestFolderLock::waiterGoesOnOnceReleased()
{
    Pipe locked;
    Pipe release;
    ChildProcess holder = pausedRewrite(locked, release, RewriteStep::ScratchCreated,
        replaceRecord(1, stringRecord("1", "First", "by the holder")));
    QVERIFY(holder.started());
    locked.closeWrite();
    release.closeRead();
    QVERIFY2(locked.receive(kChildTimeout), "the holder did not take the lock");

    Pipe waiting;
    ChildProcess waiter([&] {
        waiting.closeRead();
        waiting.send();
        detail::setLockTimeout(kChildTimeout);
        const RewriteResult r = rewriteDocument(kDocument, swapWithNext(1));
        return encodeStatus(r.status) + std::string(r.leftoverMovedTo.empty() ? "" : "moved\n");
    });
    QVERIFY(waiter.started());
    waiting.closeWrite();
    QVERIFY(waiting.receive(kChildTimeout));
    // Give the waiter time to reach the lock, so it is really waiting when the holder goes on.
    std::this_thread::sleep_for(kShortWait);
    QVERIFY(release.send());

    const ChildOutcome held = holder.wait(kChildTimeout);
    verifyReport(held, 1);
    QVERIFY2(decodeStatuses(held.report)[0].ok(), held.report.c_str());
    // Had the waiter not waited, it would have taken the holder's Help.tmp for a leftover.
    const ChildOutcome waited = waiter.wait(kChildTimeout);
    QVERIFY2(waited.exitedCleanly(), waited.describe().constData());
    const std::vector<ReportedStatus> statuses = decodeStatuses(waited.report);
    QVERIFY2(statuses.size() == 1 && statuses[0].ok(), waited.report.c_str());
    QVERIFY2(waited.report.find("moved") == std::string::npos, waited.report.c_str());
    VERIFY_FILE_BYTES(kDocument, kSecond + quotedRecord("1", "First", "by the holder"));
    QVERIFY(!pathExists(kScratch));
    QVERIFY(recoveredFiles().empty());
}

void TestFolderLock::unreadableLockFileRefuses()
{
    // In a folder that takes new files, a lock file this user cannot open must stop the change:
    // going on without the lock could share Help.tmp with a live rewrite.
    if (::geteuid() != 0)
        QSKIP("only root can act as two users");
    QVERIFY(writeFile(kLockName, ""));
    QCOMPARE(::chmod(kLockName, 0600), 0);
    if (::chown(".", kNobody, kNobody) != 0 || ::chown(kDocument.c_str(), kNobody, kNobody) != 0)
        QSKIP("cannot hand the folder to another user");
    QCOMPARE(::chmod(".", 0755), 0);

    ChildProcess other([] {
        if (!becomeNobody())
            return std::string("cannot act as another user");
        return encodeStatus(rewriteDocument(kDocument, dropRecord(1)).status)
            + encodeStatus(appendRecord(kDocument, stringRecord("1", "Fourth", "appended")));
    });
    QVERIFY(other.started());
    const ChildOutcome outcome = other.wait(kChildTimeout);
    verifyReport(outcome, 2);
    for (const ReportedStatus &s : decodeStatuses(outcome.report)) {
        QVERIFY2(s.code == ErrorCode::Io, describeStatus(s).constData());
        QVERIFY2(describeStatus(s).contains(kLockName), describeStatus(s).constData());
    }
    VERIFY_FILE_BYTES(kDocument, kFirst + kSecond);
    QVERIFY(!pathExists(kScratch));
}

void TestFolderLock::deadHolderBlocksNoOne_data()
{
    QTest::addColumn<RewriteStep>("step");
    QTest::addColumn<bool>("replaced");
    // A folder that can be written but not listed: the lock file serves instead of the folder.
    QTest::addColumn<bool>("unlisted");

    for (const bool unlisted : {false, true}) {
        const char *where = unlisted ? ", in a folder that cannot be listed" : "";
        QTest::addRow("killed just after locking%s", where)
            << RewriteStep::Locked << false << unlisted;
        QTest::addRow("killed with Help.tmp created%s", where)
            << RewriteStep::ScratchCreated << false << unlisted;
        QTest::addRow("killed halfway through the copy%s", where)
            << RewriteStep::RecordWritten << false << unlisted;
        QTest::addRow("killed before flushing the folder%s", where)
            << RewriteStep::Replaced << true << unlisted;
    }
}

void TestFolderLock::deadHolderBlocksNoOne()
{
    QFETCH(RewriteStep, step);
    QFETCH(bool, replaced);
    QFETCH(bool, unlisted);

    if (unlisted) {
        // Root lists every folder, so the programs run as another user.
        if (::geteuid() != 0)
            QSKIP("only root can act as two users");
        if (!handFolderToNobody())
            QSKIP("cannot hand the folder to another user");
        QCOMPARE(::chmod(".", 0300), 0);
    }

    const ChildOutcome outcome = runAs(unlisted, [&] {
        detail::setRewriteStepHook([&](RewriteStep s) {
            if (s == step)
                ::raise(SIGKILL);
        });
        const RewriteResult r =
            rewriteDocument(kDocument, replaceRecord(1, stringRecord("1", "First", "dead")));
        return encodeStatus(r.status);
    });
    QVERIFY2(outcome.killedBy(SIGKILL), outcome.describe().constData());
    // Only where the folder cannot be locked is the lock file made, and then it must stay.
    QCOMPARE(pathExists(kLockName), unlisted);

    const std::string before = (replaced ? quotedRecord("1", "First", "dead") : kFirst) + kSecond;
    VERIFY_FILE_BYTES(kDocument, before);
    const ChildOutcome after = runAs(unlisted, [&] {
        detail::setLockTimeout(kShortWait);
        const RewriteResult r = rewriteDocument(kDocument,
            insertAfterRecord(UINT64_MAX, stringRecord("2", "After", "the dead holder")));
        return encodeStatus(r.status)
            + encodeStatus(appendRecord(kDocument, stringRecord("2", "Appended", "too")));
    });
    verifyReport(after, 2);
    for (const ReportedStatus &s : decodeStatuses(after.report))
        QVERIFY2(s.ok(), describeStatus(s).constData());
    VERIFY_FILE_BYTES(kDocument,
        before + quotedRecord("2", "After", "the dead holder")
            + quotedRecord("2", "Appended", "too"));
    QVERIFY(!pathExists(kScratch));
    QCOMPARE(pathExists(kLockName), unlisted);
}

void TestFolderLock::noLockFileLeft_data()
{
    QTest::addColumn<QByteArray>("operation");
    QTest::addColumn<bool>("othersFolder");
    QTest::addColumn<QStringList>("entries");

    const QStringList document {QString::fromStdString(kDocument)};
    const std::pair<const char *, QStringList> operations[] = {
        {"save a new topic", document},
        {"insert", document},
        {"remove", document},
        {"move", document},
        {"save after edit", document},
        {"change nothing", document},
        {"fail on a damaged document", document},
        {"delete the document", {}},
    };
    for (const bool others : {false, true}) {
        for (const auto &[operation, entries] : operations) {
            QTest::addRow("%s%s", operation, others ? ", in a folder another user owns" : "")
                << QByteArray(operation) << others << entries;
        }
    }
}

void TestFolderLock::noLockFileLeft()
{
    QFETCH(QByteArray, operation);
    QFETCH(bool, othersFolder);
    QFETCH(QStringList, entries);

    if (operation == "fail on a damaged document")
        QVERIFY(writeFile(kDocument, kFirst + "\"2\",\"Cut"));
    if (othersFolder) {
        // Root's folder, open to everyone; the document may be written by all.
        if (::geteuid() != 0)
            QSKIP("only root can act as two users");
        QCOMPARE(::chmod(".", 0777), 0);
        QCOMPARE(::chmod(kDocument.c_str(), 0666), 0);
    }

    const ChildOutcome outcome = runAs(othersFolder, [&] {
        const TopicRecord topic = stringRecord("1", "New", "text");
        Status s;
        if (operation == "save a new topic")
            s = appendRecord(kDocument, topic);
        else if (operation == "insert")
            s = rewriteDocument(kDocument, insertAfterRecord(1, placeholderRecord())).status;
        else if (operation == "remove")
            s = rewriteDocument(kDocument, dropRecord(1)).status;
        else if (operation == "move")
            s = rewriteDocument(kDocument, swapWithNext(1)).status;
        else if (operation == "save after edit")
            s = rewriteDocument(kDocument, replaceRecord(2, topic)).status;
        else if (operation == "change nothing")
            s = rewriteDocument(kDocument, dropRecord(7)).status;
        else if (operation == "fail on a damaged document")
            s = rewriteDocument(kDocument, dropRecord(1)).status;
        else
            s = removeDocument(kDocument);
        return encodeStatus(s);
    });
    verifyReport(outcome, 1);
    const ReportedStatus status = decodeStatuses(outcome.report)[0];
    QVERIFY2(status.ok() == (operation != "fail on a damaged document"),
        describeStatus(status).constData());

    QStringList now;
    for (const std::string &name : folderEntries())
        now << QString::fromStdString(name);
    QCOMPARE(now, entries);
}

void TestFolderLock::mixedLockers_data()
{
    QTest::addColumn<bool>("earlierVersion"); // the holder: a program that locks only the file
    QTest::addColumn<bool>("holderIsNobody");
    QTest::addColumn<bool>("waiterIsNobody");
    QTest::addColumn<bool>("unlisted"); // the folder can be written but not listed (0300)
    QTest::addColumn<bool>("lockFileThere"); // left by an earlier change

    QTest::newRow("an earlier version holds the lock file")
        << true << false << false << false << false;
    QTest::newRow("an earlier version of another user holds the lock file")
        << true << true << false << false << false;
    QTest::newRow("an earlier version holds the lock file, the waiter is another user")
        << true << false << true << false << false;
    QTest::newRow("neither can list the folder: both use the lock file")
        << false << true << true << true << false;
    QTest::newRow("the holder cannot list the folder, the waiter can")
        << false << true << false << true << false;
    QTest::newRow("the holder lists the folder, the waiter cannot; a lock file is there")
        << false << false << true << true << true;
}

void TestFolderLock::mixedLockers()
{
    QFETCH(bool, earlierVersion);
    QFETCH(bool, holderIsNobody);
    QFETCH(bool, waiterIsNobody);
    QFETCH(bool, unlisted);
    QFETCH(bool, lockFileThere);

    if (holderIsNobody || waiterIsNobody) {
        if (::geteuid() != 0)
            QSKIP("only root can act as two users");
        if (lockFileThere)
            QVERIFY(writeFile(kLockName, ""));
        if (!handFolderToNobody())
            QSKIP("cannot hand the folder to another user");
        // Root lists every folder; the other user lists this one only when allowed to.
        QCOMPARE(::chmod(".", unlisted ? 0300 : 0755), 0);
    }

    Pipe locked;
    Pipe release;
    const std::string byHolder = quotedRecord("1", "First", "by the holder");
    ChildProcess holder = earlierVersion
        ? earlierVersionHolding(locked, release, holderIsNobody)
        : pausedRewrite(locked, release, RewriteStep::ScratchCreated,
            replaceRecord(1, stringRecord("1", "First", "by the holder")), holderIsNobody);
    QVERIFY(holder.started());
    locked.closeWrite();
    release.closeRead();
    QVERIFY2(locked.receive(kChildTimeout), "the holder did not take the lock");

    const auto contend = [&] {
        return runAs(waiterIsNobody, [&] {
            detail::setLockTimeout(kShortWait);
            const RewriteResult r = rewriteDocument(kDocument,
                insertAfterRecord(UINT64_MAX, stringRecord("1", "Third", "by the waiter")));
            return encodeStatus(r.status)
                + encodeStatus(appendRecord(kDocument, stringRecord("1", "Fourth", "appended")));
        });
    };
    const ChildOutcome busy = contend();
    verifyReport(busy, 2);
    for (const ReportedStatus &s : decodeStatuses(busy.report))
        QVERIFY2(s.code == ErrorCode::Busy, describeStatus(s).constData());
    VERIFY_FILE_BYTES(kDocument, kFirst + kSecond);

    QVERIFY(release.send());
    const ChildOutcome held = holder.wait(kChildTimeout);
    verifyReport(held, 1);
    QVERIFY2(decodeStatuses(held.report)[0].ok(), held.report.c_str());

    const ChildOutcome done = contend();
    verifyReport(done, 2);
    for (const ReportedStatus &s : decodeStatuses(done.report))
        QVERIFY2(s.ok(), describeStatus(s).constData());
    VERIFY_FILE_BYTES(kDocument,
        (earlierVersion ? kFirst : byHolder) + kSecond + quotedRecord("1", "Third", "by the waiter")
            + quotedRecord("1", "Fourth", "appended"));
    QVERIFY(!pathExists(kScratch));
    QVERIFY(recoveredFiles().empty());
}

void TestFolderLock::concurrentWriters_data()
{
    QTest::addColumn<int>("appenders");
    QTest::addColumn<int>("appendsEach");
    QTest::addColumn<int>("rewriters");
    QTest::addColumn<int>("rewritesEach");

    QTest::newRow("4 appenders") << 4 << 40 << 0 << 0;
    QTest::newRow("3 appenders and 1 rewriter") << 3 << 30 << 1 << 10;
    QTest::newRow("3 appenders and 2 rewriters") << 3 << 30 << 2 << 8;
}

void TestFolderLock::concurrentWriters()
{
    QFETCH(int, appenders);
    QFETCH(int, appendsEach);
    QFETCH(int, rewriters);
    QFETCH(int, rewritesEach);

    const std::string seed = quotedRecord("0", "Seed", "seed text");
    QVERIFY(writeFile(kDocument, seed));

    // All children start together when the parent closes its end of go.
    Pipe go;
    std::vector<ChildProcess> children;
    children.reserve(static_cast<std::size_t>(appenders + rewriters));
    for (int p = 1; p <= appenders; ++p) {
        children.emplace_back([&, p] {
            go.closeWrite();
            if (!go.waitClosed(kChildTimeout))
                return std::string("no start signal");
            for (int k = 1; k <= appendsEach; ++k) {
                const Status s = appendRecord(kDocument, appendedRecord(p, k));
                if (!s.ok())
                    return "writer " + std::to_string(p) + ": " + encodeStatus(s);
            }
            return std::string();
        });
    }
    for (int w = 1; w <= rewriters; ++w) {
        children.emplace_back([&, w] {
            go.closeWrite();
            if (!go.waitClosed(kChildTimeout))
                return std::string("no start signal");
            for (int j = 1; j <= rewritesEach; ++j) {
                const RewriteResult r = rewriteDocument(kDocument,
                    replaceRecord(1,
                        stringRecord("0", "Seed",
                            "rewritten by " + std::to_string(w) + " pass " + std::to_string(j))));
                if (!r.status.ok() || r.changes != 1)
                    return "rewriter " + std::to_string(w) + ": " + encodeStatus(r.status);
            }
            return std::string();
        });
    }
    for (const ChildProcess &child : children)
        QVERIFY(child.started());
    go.closeWrite();
    for (ChildProcess &child : children) {
        const ChildOutcome outcome = child.wait(kChildTimeout);
        QVERIFY2(outcome.exitedCleanly() && outcome.report.empty(), outcome.describe().constData());
    }

    const std::uint64_t total = 1 + static_cast<std::uint64_t>(appenders * appendsEach);
    const CountResult count = countRecords(kDocument);
    QVERIFY2(count.status.ok(), count.status.message().c_str());
    QCOMPARE(count.count, total);

    // Every record whole and in place: each writer's records once each, in its order.
    DocumentReader reader(kDocument);
    TopicRecord record;
    QVERIFY(reader.next(record) == ReadStatus::Record);
    QCOMPARE(QString::fromStdString(record.name.text()), QString("Seed"));
    std::map<int, int> lastOf;
    while (reader.next(record) == ReadStatus::Record) {
        const std::optional<double> level = record.level.asNumber();
        QVERIFY2(level, record.level.text().c_str());
        const int p = static_cast<int>(*level);
        const int k = lastOf[p] + 1;
        QVERIFY2(record == appendedRecord(p, k), record.name.text().c_str());
        lastOf[p] = k;
    }
    QVERIFY2(reader.status().ok(), reader.status().message().c_str());
    QCOMPARE(reader.recordsRead(), total);
    for (int p = 1; p <= appenders; ++p)
        QCOMPARE(lastOf[p], appendsEach);
    QVERIFY(!pathExists(kScratch));
    QVERIFY(recoveredFiles().empty());
}

QTEST_GUILESS_MAIN(TestFolderLock)
#include "tst_folder_lock.moc"
