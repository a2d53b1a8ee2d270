// Readers started while a real Penwick process rewrites the document over and over: each one
// shows a whole document, the one before a rewrite or the one after, never a damaged one.

#include "e2e_support.h"

#include <QRegularExpression>
#include <QTest>

using namespace faultsupport;
using e2e::Topic;

namespace {

const std::string kDocument = "Help.scv";

// Move Down on topic 1 swaps topics 1 and 2, so the writer's loop flips between two documents.
std::vector<Topic> topics(bool swapped)
{
    std::vector<Topic> t = {{"0", "One", e2e::smallRtf("One")}, {"1", "Two", e2e::smallRtf("Two")}};
    if (swapped)
        std::swap(t[0], t[1]);
    for (int i = 1; i <= 3; ++i)
        t.push_back({"1", "Bulk " + std::to_string(i),
            "{\\rtf1\\ansi " + longText(2 * 1024 * 1024, unsigned(i)) + "}"});
    t.push_back({"0", "End", e2e::smallRtf("End")});
    return t;
}

struct Shown
{
    QString count;
    QStringList lines;
    QStringList boxes;
};

Shown readerShows(e2e::Process &reader)
{
    Shown s;
    for (const QString &line : reader.lines()) {
        if (line.startsWith(QLatin1String("count ")))
            s.count = line;
        else if (line.startsWith(QLatin1String("line ")))
            s.lines << line.mid(5);
    }
    s.boxes = reader.boxes();
    return s;
}

} // namespace

class TestReaderDuringRewrite : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { ::signal(SIGPIPE, SIG_IGN); }
    void readersStartDuringRewrites_data();
    void readersStartDuringRewrites();
};

void TestReaderDuringRewrite::readersStartDuringRewrites_data()
{
    QTest::addColumn<int>("readers");
    QTest::addColumn<int>("leafwicks");
    // The reader window itself, through a driver that prints its list: old or new, whole.
    QTest::newRow("reader window, started again and again") << 16 << 0;
    // The real program: nothing to read its list from, but it must start and keep running.
    QTest::newRow("real leafwick, started a few times") << 0 << 3;
}

void TestReaderDuringRewrite::readersStartDuringRewrites()
{
    QFETCH(int, readers);
    QFETCH(int, leafwicks);
    WorkingFolder folder;
    QVERIFY(folder.isValid());

    // What a reader shows for each of the two documents, read while nothing else runs.
    const std::string stateA = e2e::documentBytes(topics(false));
    const std::string stateB = e2e::documentBytes(topics(true));
    std::array<Shown, 2> expected;
    for (int i = 0; i < 2; ++i) {
        QVERIFY(writeFile(kDocument, i == 0 ? stateA : stateB));
        e2e::Process reader;
        reader.start(QStringLiteral(READER_DRIVER), {});
        QVERIFY2(reader.finish(), reader.transcript().constData());
        expected[std::size_t(i)] = readerShows(reader);
        QCOMPARE(expected[std::size_t(i)].count, QStringLiteral("count 6"));
        QVERIFY(expected[std::size_t(i)].boxes.isEmpty());
    }
    QVERIFY(expected[0].lines != expected[1].lines);

    e2e::Process writer;
    writer.start(QStringLiteral(PENWICK_DRIVER), {});
    QVERIFY2(writer.waitFor(QStringLiteral("ready")), writer.transcript().constData());
    for (int i = 0; i < 400; ++i) {
        writer.send(QStringLiteral("select 1"));
        writer.send(QStringLiteral("down"));
    }
    QVERIFY2(writer.waitFor(QStringLiteral("done down")), writer.transcript().constData());
    auto rewrites = [&writer] {
        return writer.lines().filter(QRegularExpression(QStringLiteral("^done down$"))).size();
    };
    const qsizetype rewritesBefore = rewrites();

    std::array<int, 2> seen {0, 0};
    for (int r = 0; r < readers; ++r) {
        e2e::Process reader;
        reader.start(QStringLiteral(READER_DRIVER), {});
        QVERIFY2(reader.finish(60000), reader.transcript().constData());
        const Shown shown = readerShows(reader);
        QVERIFY2(shown.boxes.isEmpty(), reader.transcript().constData());
        QCOMPARE(shown.count, QStringLiteral("count 6"));
        const int which = shown.lines == expected[0].lines ? 0
            : shown.lines == expected[1].lines             ? 1
                                                           : -1;
        QVERIFY2(which >= 0, qPrintable(shown.lines.join(QLatin1String(" | "))));
        ++seen[std::size_t(which)];
    }
    for (int l = 0; l < leafwicks; ++l) {
        e2e::Process leafwick;
        leafwick.start(QStringLiteral(LEAFWICK_PATH), {});
        QVERIFY(leafwick.waitStarted());
        QTest::qWait(3000);
        QVERIFY2(leafwick.running(), leafwick.transcript().constData());
    }
    QVERIFY2(writer.running(), writer.transcript().constData());
    const qsizetype during = rewrites() - rewritesBefore;
    writer.kill();
    QVERIFY2(writer.boxes().isEmpty(), writer.transcript().constData());
    qInfo("%lld rewrites while the readers ran; readers saw the two documents %d and %d times",
        static_cast<long long>(during), seen[0], seen[1]);
    // The readers really overlapped with rewrites.
    QVERIFY(during >= 2);
    const std::optional<std::string> last = readFile(kDocument);
    QVERIFY(last == stateA || last == stateB);
}

QTEST_GUILESS_MAIN(TestReaderDuringRewrite)
#include "tst_reader_during_rewrite.moc"
