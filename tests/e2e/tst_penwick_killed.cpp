// Penwick killed with SIGKILL while it rewrites a large document: the document is always the
// old or the new one, whole, and the next start recovers what the killed one left behind.

#include "e2e_support.h"

#include "storage/document.h"

#include <QElapsedTimer>
#include <QTest>

#include <array>
#include <map>

using namespace faultsupport;
using e2e::Topic;

namespace {

const std::string kDocument = "Help.scv";
const std::string kScratch = storage::kScratchName;
// Ten topics of 4 MB: a 40 MB document whose rewrite takes a while to copy. Under the address
// sanitizer every byte copied costs several times more, and half the size still gives the kills
// a rewrite long enough to land in.
constexpr int kBigTopics = 10;
#if defined(__SANITIZE_ADDRESS__)
constexpr std::size_t kBigTopicSize = 2 * 1024 * 1024;
#else
constexpr std::size_t kBigTopicSize = 4 * 1024 * 1024;
#endif

enum class Command { SaveAfterEdit, Insert, Move, Remove };

struct Script
{
    const char *title;
    QStringList before; // sent first, not timed
    QString command; // the one that is killed
    std::uint64_t topicsAfter;
};

// Records: 1 Start, 2 Edit me, 3 Big 1, 4 Move me, 5 Big 2, 6 Remove me, 7-14 Big 3-10, 15 End.
// The small ones are the ones selected, so no large topic is ever laid out.
std::vector<Topic> largeDocument()
{
    std::vector<Topic> topics = {
        {"0", "Start", e2e::smallRtf("Start")},
        {"1", "Edit me", e2e::smallRtf("Before the edit")},
        {"1", "Big 1", "{\\rtf1\\ansi " + longText(kBigTopicSize, 1) + "}"},
        {"1", "Move me", e2e::smallRtf("Moving")},
        {"2", "Big 2", "{\\rtf1\\ansi " + longText(kBigTopicSize, 2) + "}"},
        {"1", "Remove me", e2e::smallRtf("Going")},
    };
    for (int i = 3; i <= kBigTopics; ++i)
        topics.push_back({"1", "Big " + std::to_string(i),
            "{\\rtf1\\ansi " + longText(kBigTopicSize, unsigned(i)) + "}"});
    topics.push_back({"0", "End", e2e::smallRtf("End")});
    return topics;
}

constexpr std::uint64_t kTopics = kBigTopics + 5;

Script script(Command c)
{
    switch (c) {
    case Command::SaveAfterEdit:
        return {"Save after Edit", {"select 2", "edit", "text Replaced by the author"}, "save",
            kTopics};
    case Command::Insert:
        return {"Insert", {"select 4"}, "insert", kTopics + 1};
    case Command::Move:
        return {"Move", {"select 4"}, "down", kTopics};
    case Command::Remove:
        return {"Remove", {"select 6"}, "remove", kTopics - 1};
    }
    return {};
}

constexpr std::array kCommands = {
    Command::SaveAfterEdit, Command::Insert, Command::Move, Command::Remove};

} // namespace

Q_DECLARE_METATYPE(Command)

class TestPenwickKilled : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void killedDuringCommand_data();
    void killedDuringCommand();

private:
    // Starts the driver on the working folder and runs script.before; false on failure.
    bool startPrepared(e2e::Process &driver, const Script &s);

    std::string m_old;
    std::string m_endRecord;
    std::map<Command, std::string> m_new;
    std::map<Command, qint64> m_runMs;
};

bool TestPenwickKilled::startPrepared(e2e::Process &driver, const Script &s)
{
    driver.start(QStringLiteral(PENWICK_DRIVER), {});
    if (!driver.waitFor(QStringLiteral("ready")))
        return false;
    for (const QString &line : s.before)
        driver.send(line);
    return s.before.isEmpty()
        || driver.waitFor(QStringLiteral("done ") + s.before.last()).has_value();
}

void TestPenwickKilled::initTestCase()
{
    const std::vector<Topic> topics = largeDocument();
    m_old = e2e::documentBytes(topics);
    m_endRecord = e2e::documentBytes({topics.back()});

    // Each command once, whole: its result is the only new content a kill may leave, and its
    // run time spreads the kills.
    for (const Command c : kCommands) {
        const Script s = script(c);
        WorkingFolder folder;
        QVERIFY(folder.isValid());
        QVERIFY(writeFile(kDocument, m_old));
        e2e::Process driver;
        QVERIFY2(startPrepared(driver, s), driver.transcript().constData());
        QElapsedTimer timer;
        timer.start();
        driver.send(s.command);
        QVERIFY2(
            driver.waitFor(QStringLiteral("done ") + s.command), driver.transcript().constData());
        m_runMs[c] = timer.elapsed();
        QVERIFY2(driver.finish(), driver.transcript().constData());
        QVERIFY2(driver.boxes().isEmpty(), driver.transcript().constData());
        const std::optional<std::string> result = readFile(kDocument);
        QVERIFY(result && *result != m_old);
        const storage::CountResult counted = storage::countRecords(kDocument);
        QVERIFY(counted.status.ok());
        QCOMPARE(counted.count, s.topicsAfter);
        m_new[c] = *result;
        qInfo("%s on a %zu MB document: %lld ms", s.title, m_old.size() >> 20,
            static_cast<long long>(m_runMs[c]));
    }
}

void TestPenwickKilled::killedDuringCommand_data()
{
    QTest::addColumn<Command>("command");
    // Killed at this share of the command's undisturbed run time ...
    QTest::addColumn<double>("share");
    // ... or, when set, parked at this rewrite step (its occurrence-th time) and killed there.
    QTest::addColumn<QString>("step");
    QTest::addColumn<int>("occurrence");

    // Kills at blind times, as a power cut or the OOM killer would strike: in the middle of a
    // write, of the fsync, of the rename, of the reload after it.
    for (const Command c : kCommands) {
        for (const double share : {0.05, 0.25, 0.45, 0.65, 0.85})
            QTest::addRow("%s, killed at %d%% of its run", script(c).title, int(share * 100))
                << c << share << QString() << 0;
    }
    // Kills at the points that leave each kind of leftover, which blind times may miss.
    struct Point
    {
        Command command;
        const char *step;
        int occurrence;
        const char *what;
    };
    const Point points[] = {
        {Command::Insert, "Locked", 1, "holding the folder lock (nothing written)"},
        {Command::Remove, "ScratchCreated", 1, "with an empty Help.tmp"},
        {Command::SaveAfterEdit, "RecordWritten", 4, "with part of the new copy in Help.tmp"},
        {Command::Move, "RecordWritten", 10, "late in the copy"},
        {Command::Insert, "ScratchFlushed", 1, "with the whole new copy flushed, not renamed"},
        {Command::Remove, "Replaced", 1, "right after the rename"},
    };
    for (const Point &p : points)
        QTest::addRow("%s, killed %s", script(p.command).title, p.what)
            << p.command << 0.0 << QString::fromLatin1(p.step) << p.occurrence;
}

void TestPenwickKilled::killedDuringCommand()
{
    QFETCH(Command, command);
    QFETCH(double, share);
    QFETCH(QString, step);
    QFETCH(int, occurrence);
    const Script s = script(command);
    const std::string &newBytes = m_new[command];

    WorkingFolder folder;
    QVERIFY(folder.isValid());
    QVERIFY(writeFile(kDocument, m_old));

    {
        e2e::Process driver;
        QVERIFY2(startPrepared(driver, s), driver.transcript().constData());
        if (!step.isEmpty()) {
            driver.send(QStringLiteral("stop-at %1 %2").arg(step).arg(occurrence));
            QVERIFY(driver.waitFor(QStringLiteral("done stop-at")));
        }
        driver.send(s.command);
        if (step.isEmpty())
            QTest::qSleep(int(share * double(m_runMs[command])));
        else
            QVERIFY2(driver.waitFor(QStringLiteral("at ")), driver.transcript().constData());
        QVERIFY2(driver.running(), driver.transcript().constData());
        driver.kill();
        QCOMPARE(driver.exitStatus(), QProcess::CrashExit);
    }

    // Old or new, byte for byte.
    const std::optional<std::string> after = readFile(kDocument);
    QVERIFY2(after, "the document is gone");
    const bool isNew = *after == newBytes;
    QVERIFY2(isNew || *after == m_old,
        ("neither old nor new: " + bytesMismatch(*after, m_old)).constData());
    // A leftover holds the start of the new content, never anything else.
    const std::optional<std::string> leftover = readFile(kScratch);
    if (leftover)
        QVERIFY2(newBytes.compare(0, leftover->size(), *leftover) == 0,
            ("Help.tmp is not a prefix of the new document: " + bytesMismatch(*leftover, newBytes))
                .constData());
    QVERIFY(recoveredFiles().empty());
    qInfo("document %s, Help.tmp %s", isNew ? "new" : "old",
        leftover ? qPrintable(QString::number(leftover->size()) + QStringLiteral(" bytes"))
                 : "absent");
    if (!step.isEmpty()) {
        // The parked points are exact, so their outcome is too.
        QCOMPARE(isNew, step == QLatin1String("Replaced"));
        QCOMPARE(leftover.has_value(), step != QLatin1String("Locked") && !isNew);
        if (step == QLatin1String("ScratchFlushed"))
            QVERIFY(leftover == newBytes);
    }

    // The next start works on what it finds: it lists the document, and its first rewrite
    // (removing the last topic) keeps a non-empty leftover as "Recovered 1.scv".
    const std::string &state = isNew ? newBytes : m_old;
    const std::uint64_t topics = isNew ? s.topicsAfter : kTopics;
    QVERIFY(state.size() > m_endRecord.size()
        && state.compare(state.size() - m_endRecord.size(), m_endRecord.size(), m_endRecord) == 0);
    e2e::Process next;
    next.start(QStringLiteral(PENWICK_DRIVER),
        {QStringLiteral("count"), QStringLiteral("select %1").arg(topics), QStringLiteral("remove"),
            QStringLiteral("count")});
    QVERIFY2(next.finish(), next.transcript().constData());
    QCOMPARE(next.waitFor(QStringLiteral("count ")).value_or(QString()),
        QStringLiteral("count %1 %1").arg(topics));
    QCOMPARE(next.waitFor(QStringLiteral("count ")).value_or(QString()),
        QStringLiteral("count %1 %1").arg(topics - 1));
    VERIFY_FILE_BYTES(kDocument, state.substr(0, state.size() - m_endRecord.size()));
    QVERIFY(!pathExists(kScratch));
    const bool kept = leftover && !leftover->empty();
    if (kept) {
        VERIFY_FILE_BYTES("Recovered 1.scv", *leftover);
        QCOMPARE(next.boxes().size(), 1);
        QVERIFY2(next.boxes().first().contains(QLatin1String("\"Recovered 1.scv\"")),
            qPrintable(next.boxes().first()));
    } else {
        QVERIFY2(next.boxes().isEmpty(), next.transcript().constData());
    }
    QCOMPARE(recoveredFiles().size(), kept ? std::size_t(1) : std::size_t(0));
}

QTEST_GUILESS_MAIN(TestPenwickKilled)
#include "tst_penwick_killed.moc"
