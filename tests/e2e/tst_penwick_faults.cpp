// A real Penwick process meeting a full disk, a read-only folder, a document changed behind its
// back, and a second Penwick in the same folder: it reports or copes, and no document is ever
// left mixed or short of a topic.

#include "e2e_support.h"

#include "storage/document.h"
#include "storage/record_reader.h"

#include <QTest>

#include <algorithm>
#include <array>
#include <map>

using namespace faultsupport;
using e2e::Topic;

namespace {

const std::string kDocument = "Help.scv";
const std::string kScratch = storage::kScratchName;
const QString kNotSaved = QStringLiteral("The topic could not be saved; the document is as it was");
const QString kNotChanged = QStringLiteral("The document could not be changed; it is as it was.");
const QString kNoLongerExists =
    QStringLiteral("The document \"Help.scv\" no longer exists, so it cannot be changed.");
const QString kMadeAnew = QStringLiteral("The document \"Help.scv\" no longer existed, so it "
                                         "was made anew to hold this topic.");
const QString kNotFlushed =
    QStringLiteral("The change was made, but the folder could not be flushed to disk");

// Records: 1 Start, 2 Edit me, 3 Bulk (200 KB, so a rewrite takes several writes), 4 End.
std::string smallDocument()
{
    return e2e::documentBytes({
        {"0", "Start", e2e::smallRtf("Start")},
        {"1", "Edit me", e2e::smallRtf("Before the edit")},
        {"1", "Bulk", "{\\rtf1\\ansi " + longText(200 * 1024, 5) + "}"},
        {"0", "End", e2e::smallRtf("End")},
    });
}

struct Read
{
    std::vector<Topic> topics;
    bool whole = false;
};

// The records of a file by the reading rules, and whether it read to the end without damage.
Read readTopics(const std::string &path)
{
    Read out;
    storage::DocumentReader reader(path);
    storage::TopicRecord r;
    storage::ReadStatus status;
    while ((status = reader.next(r)) == storage::ReadStatus::Record)
        out.topics.push_back({r.level.text(), r.name.text(), r.text.text()});
    out.whole = status == storage::ReadStatus::End;
    return out;
}

std::vector<std::string> namesOf(const std::vector<Topic> &topics)
{
    std::vector<std::string> names;
    for (const Topic &t : topics)
        names.push_back(t.name);
    return names;
}

QString joined(const std::vector<std::string> &names)
{
    QStringList list;
    for (const std::string &n : names)
        list << QString::fromStdString(n);
    return list.join(QLatin1String(", "));
}

// What a driver's window shows once its script has run: List1's lines, then the "count" and
// "selected" lines.
QStringList windowState(e2e::Process &driver)
{
    QStringList state;
    for (const QString &line : driver.lines()) {
        if (line.startsWith(QLatin1String("line ")) || line.startsWith(QLatin1String("count "))
            || line.startsWith(QLatin1String("selected ")))
            state << line;
    }
    return state;
}

// The contents lines of a document's records, as List1 shows them.
QStringList contentsLines(const std::vector<Topic> &topics)
{
    QStringList lines;
    for (const Topic &t : topics) {
        const int level = std::stoi(t.level);
        lines << QStringLiteral("line ") + QString(3 * level, QLatin1Char(' '))
                + QString::fromStdString(t.name);
    }
    return lines;
}

// Fails unless exactly one box was shown and it starts with prefix.
#define VERIFY_ONE_BOX(driver, prefix)                                                             \
    do {                                                                                           \
        const QStringList boxes_ = (driver).boxes();                                               \
        QVERIFY2(boxes_.size() == 1 && boxes_.first().startsWith(prefix),                          \
            (driver).transcript().constData());                                                    \
    } while (false)

enum class Outside {
    None,
    RewrittenFewer,
    RewrittenSameCount,
    CutMidRecord,
    CutAtRecord,
    LineEndMissing,
    Deleted
};

} // namespace

Q_DECLARE_METATYPE(Outside)

class TestPenwickFaults : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { ::signal(SIGPIPE, SIG_IGN); }

    void diskFills_data();
    void diskFills();
    void readOnlyFolder_data();
    void readOnlyFolder();
    void folderNotListable_data();
    void folderNotListable();
    void changedBehindTheBack_data();
    void changedBehindTheBack();
    void twoAuthors_data();
    void twoAuthors();
};

void TestPenwickFaults::diskFills_data()
{
    QTest::addColumn<QStringList>("script");
    // The file size limit, as bytes added to (or, negative, taken from) the document's size.
    QTest::addColumn<qint64>("room");
    QTest::addColumn<QString>("message");

    const QString longLine = QStringLiteral("text ") + QString(6000, QLatin1Char('w'));
    // An append that does not fit is cut back: no half record after the last one.
    QTest::newRow("Save adds a topic larger than the room left")
        << QStringList {"name New topic", longLine, "save"} << qint64(100) << kNotSaved;
    // A rewrite that cannot write Help.tmp whole leaves the document and removes Help.tmp.
    QTest::newRow("Save after Edit, room for half the copy") << QStringList {"select 2", "edit",
        "text Edited", "save"} << qint64(-100 * 1024) << kNotChanged;
    QTest::newRow("Save after Edit, the new copy outgrows the room")
        << QStringList {"select 2", "edit", longLine, "save"} << qint64(100) << kNotChanged;
    QTest::newRow("Insert, room for half the copy")
        << QStringList {"select 2", "insert"} << qint64(-100 * 1024) << kNotChanged;
    QTest::newRow("Move, room for half the copy")
        << QStringList {"select 2", "down"} << qint64(-100 * 1024) << kNotChanged;
    QTest::newRow("Remove, room for a few bytes")
        << QStringList {"select 2", "remove"} << qint64(-200 * 1024) << kNotChanged;
}

void TestPenwickFaults::diskFills()
{
    QFETCH(QStringList, script);
    QFETCH(qint64, room);
    QFETCH(QString, message);
    WorkingFolder folder;
    QVERIFY(folder.isValid());
    const std::string old = smallDocument();
    QVERIFY(writeFile(kDocument, old));

    e2e::Process driver;
    e2e::ChildSetup setup;
    setup.fileSizeLimit = rlim_t(qint64(old.size()) + room);
    driver.start(QStringLiteral(PENWICK_DRIVER), script << QStringLiteral("count"), setup);
    QVERIFY2(driver.finish(), driver.transcript().constData());
    VERIFY_ONE_BOX(driver, message);
    QVERIFY2(driver.boxes().first().contains(QLatin1String("File too large")),
        qPrintable(driver.boxes().first()));
    VERIFY_FILE_BYTES(kDocument, old);
    QVERIFY(!pathExists(kScratch));
    QVERIFY(recoveredFiles().empty());
    // The window still counts the document as it is.
    QCOMPARE(
        driver.waitFor(QStringLiteral("count ")).value_or(QString()), QStringLiteral("count 4 4"));
}

void TestPenwickFaults::readOnlyFolder_data()
{
    QTest::addColumn<QStringList>("script");
    QTest::addColumn<QString>("message");
    QTest::newRow("Save adds a topic")
        << QStringList {"name New topic", "text Words", "save"} << kNotSaved;
    QTest::newRow("Save after Edit")
        << QStringList {"select 2", "edit", "text Edited", "save"} << kNotChanged;
    QTest::newRow("Insert") << QStringList {"select 2", "insert"} << kNotChanged;
    QTest::newRow("Move") << QStringList {"select 2", "down"} << kNotChanged;
    QTest::newRow("Remove") << QStringList {"select 2", "remove"} << kNotChanged;
}

void TestPenwickFaults::readOnlyFolder()
{
    QFETCH(QStringList, script);
    QFETCH(QString, message);
    e2e::ChildSetup setup;
    setup.asNobody = ::geteuid() == 0;
    if (setup.asNobody && !e2e::canBecomeNobody())
        QSKIP("running as root and cannot become an unprivileged user");

    WorkingFolder folder;
    QVERIFY(folder.isValid());
    const std::string old = smallDocument();
    QVERIFY(writeFile(kDocument, old));
    QVERIFY(::chmod(kDocument.c_str(), 0644) == 0);
    QVERIFY(::chmod(".", 0555) == 0);
    const std::vector<std::string> entries = folderEntries();

    e2e::Process driver;
    driver.start(QStringLiteral(PENWICK_DRIVER), script << QStringLiteral("count"), setup);
    QVERIFY2(driver.finish(), driver.transcript().constData());
    VERIFY_ONE_BOX(driver, message);
    QVERIFY2(driver.boxes().first().contains(QLatin1String("Permission denied")),
        qPrintable(driver.boxes().first()));
    VERIFY_FILE_BYTES(kDocument, old);
    QVERIFY(folderEntries() == entries);
    QCOMPARE(
        driver.waitFor(QStringLiteral("count ")).value_or(QString()), QStringLiteral("count 4 4"));
}

void TestPenwickFaults::folderNotListable_data()
{
    QTest::addColumn<QStringList>("script");
    // The records afterwards, by name.
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<int>("rewrites");

    QTest::newRow("Remove") << QStringList {"select 2", "remove"}
                            << QStringList {"Start", "Bulk", "End"} << 1;
    QTest::newRow("Remove the last topic")
        << QStringList {"select 4", "remove"} << QStringList {"Start", "Edit me", "Bulk"} << 1;
    QTest::newRow("Insert") << QStringList {"select 2", "insert"}
                            << QStringList {"Start", "Edit me", "", "Bulk", "End"} << 1;
    QTest::newRow("Insert, then Save fills the placeholder")
        << QStringList {"select 2", "insert", "name Filled", "text Words", "save"}
        << QStringList {"Start", "Edit me", "Filled", "Bulk", "End"} << 2;
    QTest::newRow("Move") << QStringList {"select 2", "down"}
                          << QStringList {"Start", "Bulk", "Edit me", "End"} << 1;
    QTest::newRow("Save after Edit")
        << QStringList {"select 2", "edit", "name Edited", "text Edited", "save"}
        << QStringList {"Start", "Edited", "Bulk", "End"} << 1;
}

void TestPenwickFaults::folderNotListable()
{
    QFETCH(QStringList, script);
    QFETCH(QStringList, names);
    QFETCH(int, rewrites);
    // Root lists every folder, so the driver runs as another user.
    if (::geteuid() != 0 || !e2e::canBecomeNobody())
        QSKIP("needs root to run Penwick as an unprivileged user");
    e2e::ChildSetup setup;
    setup.asNobody = true;
    script << QStringLiteral("list") << QStringLiteral("count") << QStringLiteral("selected");

    // The same script in a folder that can be listed, and in one that cannot (0300): there
    // every change is made but the folder cannot be flushed after it.
    struct Run
    {
        QStringList boxes; // "box STYLE TEXT"
        QStringList window;
        Read read;
    };
    std::array<Run, 2> runs;
    for (const bool listable : {true, false}) {
        WorkingFolder folder;
        QVERIFY(folder.isValid());
        QVERIFY(writeFile(kDocument, smallDocument()));
        QVERIFY(::chown(".", kNobody, kNobody) == 0);
        QVERIFY(::chown(kDocument.c_str(), kNobody, kNobody) == 0);
        QVERIFY(::chmod(".", listable ? 0700 : 0300) == 0);
        e2e::Process driver;
        driver.start(QStringLiteral(PENWICK_DRIVER), script, setup);
        QVERIFY2(driver.finish(), driver.transcript().constData());
        Run &run = runs[listable ? 0 : 1];
        for (const QString &line : driver.lines()) {
            if (line.startsWith(QLatin1String("box ")))
                run.boxes << line;
        }
        run.window = windowState(driver);
        run.read = readTopics(kDocument);
        QVERIFY(!pathExists(kScratch));
        QVERIFY(recoveredFiles().empty());
    }
    const Run &listed = runs[0];
    const Run &unlisted = runs[1];

    QVERIFY2(listed.boxes.isEmpty(), qPrintable(listed.boxes.join(QLatin1Char('\n'))));
    // Each change was told as made, with the reason its flush failed; none as failed.
    QVERIFY2(unlisted.boxes.size() == rewrites, qPrintable(unlisted.boxes.join(QLatin1Char('\n'))));
    for (const QString &box : unlisted.boxes) {
        QVERIFY2(box.startsWith(QLatin1String("box 48 ") + kNotFlushed), qPrintable(box));
        QVERIFY2(box.contains(QLatin1String("Permission denied")), qPrintable(box));
    }

    // The file holds the change, whole.
    QVERIFY(unlisted.read.whole);
    QStringList got;
    for (const std::string &name : namesOf(unlisted.read.topics))
        got << QString::fromStdString(name);
    QCOMPARE(got, names);
    QVERIFY(listed.read.whole);
    QVERIFY(namesOf(listed.read.topics) == namesOf(unlisted.read.topics));

    // The window follows the file: its list, RecordCount and selection are those of the same
    // change where the folder could be flushed.
    const QStringList lines = contentsLines(unlisted.read.topics);
    QCOMPARE(unlisted.window.mid(0, lines.size()), lines);
    QCOMPARE(unlisted.window.value(lines.size()),
        QStringLiteral("count %1 %1").arg(unlisted.read.topics.size()));
    QCOMPARE(unlisted.window, listed.window);
}

void TestPenwickFaults::changedBehindTheBack_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<Outside>("outside");
    QTest::addColumn<QString>("command");
    // A box starting so; empty: no box.
    QTest::addColumn<QString>("message");
    // The record Penwick was expected to replace in the outside content (1-based), else 0.
    QTest::addColumn<int>("replaced");
    // What a Save adds to the outside content, when it may.
    QTest::addColumn<QString>("added");

    const QStringList editing {"select 2", "edit", "text Edited"};
    const QStringList adding {"name Added", "text Words"};
    const QString gone = QStringLiteral("The topic being edited is no longer in the document");
    QTest::newRow(
        "another program rewrote it shorter, then Save after Edit: told, nothing replaced")
        << QStringList {"select 4", "edit", "text Edited"} << Outside::RewrittenFewer << "save"
        << gone << 0 << QString();
    QTest::newRow("another program rewrote it, then Save after Edit: record 2 of the new one")
        << editing << Outside::RewrittenSameCount << "save" << QString() << 2 << QString();
    QTest::newRow("cut mid-record, then Save after Edit: refused as damaged")
        << editing << Outside::CutMidRecord << "save" << kNotChanged << 0 << QString();
    QTest::newRow("cut mid-record, then Remove: refused as damaged")
        << QStringList {"select 2"} << Outside::CutMidRecord << "remove" << kNotChanged << 0
        << QString();
    QTest::newRow("cut mid-record, then Move: refused as damaged")
        << QStringList {"select 1"} << Outside::CutMidRecord << "down" << kNotChanged << 0
        << QString();
    // An append glued to half a record would make the new topic unreadable.
    QTest::newRow("cut mid-record, then Save adds a topic: refused, not glued to the damage")
        << adding << Outside::CutMidRecord << "save" << kNotSaved << 0 << QString();
    // A last record without its CR LF still reads whole; the next one must start on its own.
    QTest::newRow("last line end missing, then Save adds a topic after it")
        << adding << Outside::LineEndMissing << "save" << QString() << 0 << "Added";
    QTest::newRow("cut after a record, then Save adds a topic after it")
        << adding << Outside::CutAtRecord << "save" << QString() << 0 << "Added";
    // Adding opens the document for appending, which makes it anew: the topic is kept.
    QTest::newRow("deleted, then Save adds a topic: made anew with it, told")
        << adding << Outside::Deleted << "save" << kMadeAnew << 0 << "Added";
    QTest::newRow("deleted, then Save after Edit: told")
        << editing << Outside::Deleted << "save" << kNoLongerExists << 0 << QString();
    QTest::newRow("deleted, then Insert: told") << QStringList {"select 2"} << Outside::Deleted
                                                << "insert" << kNoLongerExists << 0 << QString();
    QTest::newRow("deleted, then Remove: told") << QStringList {"select 2"} << Outside::Deleted
                                                << "remove" << kNoLongerExists << 0 << QString();
}

void TestPenwickFaults::changedBehindTheBack()
{
    QFETCH(QStringList, before);
    QFETCH(Outside, outside);
    QFETCH(QString, command);
    QFETCH(QString, message);
    QFETCH(int, replaced);
    QFETCH(QString, added);
    WorkingFolder folder;
    QVERIFY(folder.isValid());
    const std::string old = smallDocument();
    QVERIFY(writeFile(kDocument, old));

    e2e::Process driver;
    driver.start(QStringLiteral(PENWICK_DRIVER), {});
    QVERIFY2(driver.waitFor(QStringLiteral("ready")), driver.transcript().constData());
    for (const QString &line : before)
        driver.send(line);
    QVERIFY2(
        driver.waitFor(QStringLiteral("done ") + before.last()), driver.transcript().constData());

    // What another program leaves between two of Penwick's commands.
    std::optional<std::string> changed;
    switch (outside) {
    case Outside::None:
        changed = old;
        break;
    case Outside::RewrittenFewer:
    case Outside::RewrittenSameCount: {
        std::vector<Topic> topics = {
            {"0", "Other 1", e2e::smallRtf("One")}, {"0", "Other 2", e2e::smallRtf("Two")}};
        if (outside == Outside::RewrittenSameCount) {
            topics.push_back({"0", "Other 3", e2e::smallRtf("Three")});
            topics.push_back({"0", "Other 4", e2e::smallRtf("Four")});
        }
        changed = e2e::documentBytes(topics);
        QVERIFY(writeFile("elsewhere.tmp", *changed));
        QVERIFY(::rename("elsewhere.tmp", kDocument.c_str()) == 0);
        break;
    }
    case Outside::CutMidRecord:
        changed = old.substr(0, old.size() - 20);
        QVERIFY(::truncate(kDocument.c_str(), off_t(changed->size())) == 0);
        break;
    case Outside::CutAtRecord: {
        const std::string end = e2e::documentBytes({{"0", "End", e2e::smallRtf("End")}});
        changed = old.substr(0, old.size() - end.size());
        QVERIFY(::truncate(kDocument.c_str(), off_t(changed->size())) == 0);
        break;
    }
    case Outside::LineEndMissing:
        changed = old.substr(0, old.size() - 2);
        QVERIFY(::truncate(kDocument.c_str(), off_t(changed->size())) == 0);
        break;
    case Outside::Deleted:
        QVERIFY(::unlink(kDocument.c_str()) == 0);
        // A topic added then goes into a document of that name made anew.
        if (!added.isEmpty())
            changed = std::string();
        break;
    }

    driver.send(command);
    driver.send(QStringLiteral("count"));
    QVERIFY2(driver.waitFor(QStringLiteral("count ")), driver.transcript().constData());
    QVERIFY2(driver.finish(), driver.transcript().constData());
    if (message.isEmpty())
        QVERIFY2(driver.boxes().isEmpty(), driver.transcript().constData());
    else
        VERIFY_ONE_BOX(driver, message);
    QVERIFY(!pathExists(kScratch));

    if (!changed) {
        QVERIFY2(!pathExists(kDocument), "a deleted document came back");
        return;
    }
    if (replaced == 0 && added.isEmpty()) {
        VERIFY_FILE_BYTES(kDocument, *changed);
        return;
    }
    // Whole, and the other program's topics with Penwick's one change, nothing mixed.
    QVERIFY(writeFile("expected.scv", *changed));
    const Read theirs = readTopics("expected.scv");
    // What the other program left reads whole, so any damage is Penwick's.
    QVERIFY(theirs.whole);
    const Read now = readTopics(kDocument);
    QVERIFY(now.whole);
    std::vector<Topic> expected = theirs.topics;
    if (!added.isEmpty())
        expected.push_back({"0", added.toStdString(), {}});
    QCOMPARE(now.topics.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const bool penwicks =
            int(i) + 1 == replaced || (!added.isEmpty() && i + 1 == expected.size());
        if (penwicks) {
            QCOMPARE(QString::fromStdString(now.topics[i].name),
                added.isEmpty() ? QStringLiteral("Edit me") : added);
            continue;
        }
        QCOMPARE(
            QString::fromStdString(now.topics[i].name), QString::fromStdString(expected[i].name));
        QVERIFY(now.topics[i].text == expected[i].text);
    }
    if (!added.isEmpty())
        QVERIFY(readFile(kDocument)->compare(0, changed->size(), *changed) == 0);
}

void TestPenwickFaults::twoAuthors_data()
{
    QTest::addColumn<bool>("sameDocument");
    // The folder lock keeps their rewrites and appends apart: no shared Help.tmp, no append
    // lost under a rename.
    QTest::newRow("one document, both adding and moving topics") << true;
    // Documents apart, the lock still serialises the one Help.tmp they share.
    QTest::newRow("two documents of one folder") << false;
}

void TestPenwickFaults::twoAuthors()
{
    QFETCH(bool, sameDocument);
    WorkingFolder folder;
    QVERIFY(folder.isValid());
    // A 2 MB topic makes each rewrite last long enough to overlap with the other's commands;
    // its bulk sits in an ignored group, as the moves bring it on screen.
    const std::vector<Topic> initial = {{"0", "Start", e2e::smallRtf("Start")},
        {"1", "Bulk", "{\\rtf1\\ansi Bulk{\\*\\ignored " + longText(2 * 1024 * 1024, 7) + "}}"},
        {"0", "End", e2e::smallRtf("End")}};
    const std::string other = sameDocument ? kDocument : "Other.scv";
    QVERIFY(writeFile(kDocument, e2e::documentBytes(initial)));
    if (!sameDocument)
        QVERIFY(writeFile(other, e2e::documentBytes(initial)));

    constexpr int kRounds = 12;
    std::array<e2e::Process, 2> drivers;
    std::array<std::vector<std::string>, 2> written;
    for (int a = 0; a < 2; ++a) {
        const QString author = a == 0 ? QStringLiteral("A") : QStringLiteral("B");
        QStringList script;
        if (a == 1 && !sameDocument)
            script << QStringLiteral("open ") + QString::fromStdString(other);
        for (int i = 1; i <= kRounds; ++i) {
            const QString name = QStringLiteral("%1 %2").arg(author).arg(i);
            script << QStringLiteral("name ") + name << QStringLiteral("text Written by ") + name
                   << QStringLiteral("save") << QStringLiteral("select 1")
                   << QStringLiteral("down");
            written[std::size_t(a)].push_back(name.toStdString());
        }
        drivers[std::size_t(a)].start(QStringLiteral(PENWICK_DRIVER), script);
    }
    for (e2e::Process &d : drivers) {
        QVERIFY2(d.finish(), d.transcript().constData());
        QVERIFY2(d.boxes().isEmpty(), d.transcript().constData());
    }

    QVERIFY(!pathExists(kScratch));
    QVERIFY(recoveredFiles().empty());
    // They took turns on the folder itself: no lock file is left behind.
    QVERIFY(!pathExists(storage::kLockName));
    std::map<std::string, std::vector<std::string>> expected;
    for (const std::string &doc : {kDocument, other}) {
        if (expected.count(doc) == 0)
            expected[doc] = namesOf(initial);
    }
    for (int a = 0; a < 2; ++a) {
        const std::string &doc = a == 0 ? kDocument : other;
        for (const std::string &n : written[std::size_t(a)])
            expected[doc].push_back(n);
    }
    for (auto &[doc, names] : expected) {
        const Read read = readTopics(doc);
        QVERIFY2(read.whole, doc.c_str());
        std::vector<std::string> got = namesOf(read.topics);
        std::sort(got.begin(), got.end());
        std::sort(names.begin(), names.end());
        QVERIFY2(got == names,
            qPrintable(QString::fromStdString(doc) + QStringLiteral(": ") + joined(got)
                + QStringLiteral(" | expected ") + joined(names)));
    }
}

QTEST_GUILESS_MAIN(TestPenwickFaults)
#include "tst_penwick_faults.moc"
