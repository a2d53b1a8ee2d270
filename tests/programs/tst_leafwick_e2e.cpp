// Under a real X server, through the real leafwick program: its command line, a second call
// that the running window takes, a reader killed without cleaning up, and a reader used with
// the mouse and keys as a user uses it. What a window shows is asked of it through the same
// channel a second call uses, whose answer tells it.
#include "tests/support/window_test_support.h"
#include "tests/support/working_folder.h"
#include "tests/support/x11_support.h"
#include "ui/reader_channel.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include <csignal>
#include <memory>
#include <optional>
#include <sys/types.h>
#include <unistd.h>

namespace {

const QString kLeafwick = QStringLiteral(LEAFWICK_PATH);

QByteArray record(const QByteArray &level, const QByteArray &name, const QByteArray &rtf)
{
    return '"' + level + "\",\"" + name + "\",\"" + rtf + "\"\r\n";
}

// 1 Start: a large link to topic 3 filling its first line, then the word of the day;
// 2 Saving: the word twice; 3 Printing a Topic.
QByteArray guide()
{
    return record("0", "Start",
               "{\\rtf1\\ansi {\\field{\\*\\fldinst HYPERLINK \\'22topic:Printing a Topic\\'22}"
               "{\\fldrslt {\\fs40 Printing a Topic, and more}}}\\par Word of the day: "
               "Quillfeather.\\par}")
        + record("1", "Saving", "{\\rtf1\\ansi Quillfeather saves. A Quillfeather.\\par}")
        + record("1", "Printing a Topic", "{\\rtf1\\ansi Print it.\\par}");
}

// The text each topic shows, as the display holds it (paragraphs one character apart).
const QStringList kShown {
    QStringLiteral("Printing a Topic, and more\nWord of the day: Quillfeather."),
    QStringLiteral("Quillfeather saves. A Quillfeather."), QStringLiteral("Print it.")};

struct Run
{
    int status = -1;
    QString errors;
    bool ended = false;
};

// Runs leafwick to its end, or for up to waitMs.
Run runLeafwick(const QStringList &arguments, int waitMs = 20000)
{
    QProcess process;
    process.start(kLeafwick, arguments);
    Run run;
    run.ended = process.waitForFinished(waitMs);
    if (!run.ended) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.status = process.exitCode();
    run.errors = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

// What the reader of the document shows, asked as a second call would ask; empty until one
// answers.
std::optional<ReaderState> askReader(const QString &document)
{
    const QString canonical = QFileInfo(document).canonicalFilePath();
    ReaderRequest nothing;
    nothing.document = canonical;
    const readerchannel::DeliveryResult answer = readerchannel::deliver(nothing, canonical, 2000);
    if (answer.delivery != readerchannel::Delivery::Taken)
        return std::nullopt;
    return answer.state;
}

// The topic the reader shows; 0 when none answers.
std::uint64_t shownTopic(const QString &document)
{
    const std::optional<ReaderState> state = askReader(document);
    return state ? state->shownTopic : 0;
}

std::optional<ReaderState> waitForReader(const QString &document)
{
    std::optional<ReaderState> state;
    (void)QTest::qWaitFor([&] { return (state = askReader(document)).has_value(); }, 20000);
    return state;
}

int windowsTitled(const QString &title)
{
    return int(
        testsupport::windowTree().count(QStringLiteral(" \"%1\": (\"leafwick\"").arg(title)));
}

QString xdotool(const QStringList &arguments)
{
    QProcess tool;
    tool.start(QStringLiteral("xdotool"), arguments);
    tool.waitForFinished(10000);
    return QString::fromLocal8Bit(tool.readAllStandardOutput()).trimmed();
}

// A reader started in the background for a test, stopped at its end.
class Reader
{
public:
    explicit Reader(const QStringList &arguments) { m_process.start(kLeafwick, arguments); }
    ~Reader()
    {
        m_process.kill();
        m_process.waitForFinished();
    }
    bool running() const { return m_process.state() == QProcess::Running; }
    qint64 pid() const { return m_process.processId(); }
    void kill()
    {
        ::kill(pid_t(m_process.processId()), SIGKILL);
        m_process.waitForFinished();
    }

private:
    QProcess m_process;
};

} // namespace

class TestLeafwickEndToEnd : public QObject
{
    Q_OBJECT

private:
    std::optional<testsupport::WorkingFolder> m_folder;

private Q_SLOTS:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("needs a real X server (run under xvfb-run)");
    }
    void init()
    {
        m_folder.emplace();
        testsupport::writeFile(QStringLiteral("Guide.scv"), guide());
    }
    void cleanup() { m_folder.reset(); }

    // A second call for the same document goes to the window that shows it: that window
    // shows what was asked and the call ends at once, with the status the issue promises.
    void secondCall_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("shown"); // record the first window shows afterwards
        QTest::addColumn<QString>("error"); // the start of what the call prints on stderr
        QTest::newRow("another topic by name")
            << QStringList {"Guide.scv", "--topic", "Printing a Topic"} << 0 << 3 << QString();
        QTest::newRow("by number")
            << QStringList {"--topic-number", "2", "Guide.scv"} << 0 << 2 << QString();
        QTest::newRow("a search") << QStringList {"Guide.scv", "--search", "Quill"} << 0 << 1
                                  << QString();
        QTest::newRow("an unknown topic: refused, told in the window") << QStringList {
            "Guide.scv", "--topic", "Nowhere"} << 1 << 1 << "leafwick: The help document \"";
        QTest::newRow("by another path to the same file")
            << QStringList {"./sub/../Guide.scv", "--topic-number", "3"} << 0 << 3 << QString();
        // Options of the window system are Qt's, not usage errors, on the way to a running
        // window too.
        QTest::newRow("with a window system option")
            << QStringList {"-platform", "xcb", "Guide.scv", "--topic-number", "2"} << 0 << 2
            << QString();
    }
    void secondCall()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(int, shown);
        QFETCH(QString, error);
        QVERIFY(QDir().mkdir(QStringLiteral("sub")));
        Reader first(
            {QStringLiteral("Guide.scv"), QStringLiteral("--topic"), QStringLiteral("Start")});
        const std::optional<ReaderState> before = waitForReader(QStringLiteral("Guide.scv"));
        QVERIFY(before);
        QCOMPARE(before->shownTopic, std::uint64_t(1));

        const Run second = runLeafwick(arguments);
        QVERIFY2(second.ended, "the second call did not end: it opened a window of its own");
        QCOMPARE(second.status, status);
        QVERIFY2(second.errors.contains(error), qPrintable(second.errors));
        QVERIFY(first.running());
        const std::optional<ReaderState> after = askReader(QStringLiteral("Guide.scv"));
        QVERIFY(after);
        QCOMPARE(after->shownTopic, std::uint64_t(shown));
        QCOMPARE(windowsTitled(QStringLiteral("Guide")), 1);
        if (status != 0) // the refusal is told in the window too
            QTRY_VERIFY_WITH_TIMEOUT(windowsTitled(QStringLiteral("Leafwick")) >= 1, 10000);
    }

    // The window's server is reachable by its user only.
    void serverIsTheUsersOnly()
    {
        Reader reader({QStringLiteral("Guide.scv")});
        QVERIFY(waitForReader(QStringLiteral("Guide.scv")));
        QString socket =
            readerchannel::serverName(QFileInfo(QStringLiteral("Guide.scv")).canonicalFilePath());
        if (!socket.startsWith(u'/'))
            socket = QDir::tempPath() + u'/' + socket;
        const QFileInfo info(socket);
        QVERIFY2(info.exists(), qPrintable(socket));
        QCOMPARE(info.ownerId(), ::getuid());
        const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup
            | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
        QCOMPARE(info.permissions() & others, QFile::Permissions());
    }

    // --new-window always opens a window of its own.
    void newWindow()
    {
        Reader first({QStringLiteral("Guide.scv")});
        QVERIFY(waitForReader(QStringLiteral("Guide.scv")));
        Reader second({QStringLiteral("Guide.scv"), QStringLiteral("--new-window")});
        QTRY_COMPARE_WITH_TIMEOUT(windowsTitled(QStringLiteral("Guide")), 2, 20000);
        QVERIFY(first.running());
        QVERIFY(second.running());
    }

    // A window opened beside a running reader of the same document takes that reader's calls
    // once it has ended, however it ended, instead of leaving them to open yet another window.
    void windowBesideTakesOver_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("the first reader ended") << int(SIGTERM);
        QTest::newRow("the first reader killed, its name left behind") << int(SIGKILL);
    }
    void windowBesideTakesOver()
    {
        QFETCH(int, signal);
        std::optional<Reader> first(std::in_place, QStringList {QStringLiteral("Guide.scv")});
        QVERIFY(waitForReader(QStringLiteral("Guide.scv")));
        Reader beside({QStringLiteral("Guide.scv"), QStringLiteral("--new-window"),
            QStringLiteral("--topic-number"), QStringLiteral("2")});
        QTRY_COMPARE_WITH_TIMEOUT(windowsTitled(QStringLiteral("Guide")), 2, 20000);
        QCOMPARE(askReader(QStringLiteral("Guide.scv"))->shownTopic, std::uint64_t(1));

        ::kill(pid_t(first->pid()), signal);
        first.reset();
        QTRY_VERIFY_WITH_TIMEOUT(askReader(QStringLiteral("Guide.scv")).has_value(), 10000);
        QCOMPARE(askReader(QStringLiteral("Guide.scv"))->shownTopic, std::uint64_t(2));
        const Run call = runLeafwick(
            {QStringLiteral("Guide.scv"), QStringLiteral("--topic-number"), QStringLiteral("3")});
        QCOMPARE(call.status, 0);
        QCOMPARE(askReader(QStringLiteral("Guide.scv"))->shownTopic, std::uint64_t(3));
        QVERIFY(beside.running());
        QCOMPARE(windowsTitled(QStringLiteral("Guide")), 1);
    }

    // A reader killed without removing its server name blocks no later start.
    void staleServerName()
    {
        {
            Reader killed({QStringLiteral("Guide.scv")});
            QVERIFY(waitForReader(QStringLiteral("Guide.scv")));
            killed.kill();
        }
        QVERIFY(!askReader(QStringLiteral("Guide.scv")));
        Reader fresh(
            {QStringLiteral("Guide.scv"), QStringLiteral("--topic-number"), QStringLiteral("2")});
        const std::optional<ReaderState> state = waitForReader(QStringLiteral("Guide.scv"));
        QVERIFY2(state, "no reader answers after a stale name");
        QCOMPARE(state->shownTopic, std::uint64_t(2));
        QVERIFY(fresh.running());
    }

    // Usage errors: a message on stderr, status 2, no window.
    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("error");
        QTest::newRow("unknown option")
            << QStringList {"--topik", "X", "Guide.scv"} << "leafwick: Unknown option 'topik'.";
        QTest::newRow("both topic options")
            << QStringList {"Guide.scv", "--topic", "Start", "--topic-number", "1"}
            << "leafwick: --topic and --topic-number cannot be given together";
        QTest::newRow("not a positive number")
            << QStringList {"--topic-number", "0"} << "leafwick: --topic-number needs a positive";
    }
    void usageErrors()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, error);
        const Run run = runLeafwick(arguments);
        QVERIFY(run.ended);
        QCOMPARE(run.status, 2);
        QVERIFY2(run.errors.contains(error), qPrintable(run.errors));
        QCOMPARE(windowsTitled(QStringLiteral("Guide")), 0);
    }

    // As a user reads: a topic link clicked, Back and Forward from the keyboard, and a search
    // hit chosen, whose word is highlighted where it stands in the text shown.
    void asAUserReads()
    {
        Reader reader({QStringLiteral("Guide.scv")});
        QVERIFY(waitForReader(QStringLiteral("Guide.scv")));
        const QString window =
            xdotool({QStringLiteral("search"), QStringLiteral("--name"), QStringLiteral("^Guide$")})
                .section(u'\n', 0, 0);
        QVERIFY2(!window.isEmpty(), "no window titled Guide");
        xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), window});
        // The display starts 240 by 48 pixels into the client area, below the menu bar; the
        // link fills the first line of the topic.
        const QString geometry = xdotool({QStringLiteral("getwindowgeometry"), window});
        const QRegularExpressionMatch size =
            QRegularExpression(QStringLiteral("Geometry: (\\d+)x(\\d+)")).match(geometry);
        QVERIFY2(size.hasMatch(), qPrintable(geometry));
        const int menuBar = size.captured(2).toInt() - 405;
        xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), window,
            QString::number(240 + 40), QString::number(menuBar + 48 + 16), QStringLiteral("click"),
            QStringLiteral("1")});
        QTRY_COMPARE_WITH_TIMEOUT(shownTopic(QStringLiteral("Guide.scv")), std::uint64_t(3), 10000);
        QCOMPARE(askReader(QStringLiteral("Guide.scv")).value_or(ReaderState()).contentsLine,
            std::uint64_t(3));

        xdotool({QStringLiteral("key"), QStringLiteral("--clearmodifiers"),
            QStringLiteral("alt+Left")});
        QTRY_COMPARE_WITH_TIMEOUT(shownTopic(QStringLiteral("Guide.scv")), std::uint64_t(1), 10000);
        xdotool({QStringLiteral("key"), QStringLiteral("--clearmodifiers"),
            QStringLiteral("alt+Right")});
        QTRY_COMPARE_WITH_TIMEOUT(shownTopic(QStringLiteral("Guide.scv")), std::uint64_t(3), 10000);

        // A search from a second call, then its second hit chosen from the keyboard: from the
        // word box, Tab to the button, Tab to the hits, Down twice.
        QCOMPARE(runLeafwick({QStringLiteral("Guide.scv"), QStringLiteral("--search"),
                                 QStringLiteral("Quillfeather")})
                     .status,
            0);
        xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), window});
        xdotool({QStringLiteral("key"), QStringLiteral("--clearmodifiers"), QStringLiteral("Tab"),
            QStringLiteral("Tab"), QStringLiteral("Down"), QStringLiteral("Down")});
        QTRY_COMPARE_WITH_TIMEOUT(shownTopic(QStringLiteral("Guide.scv")), std::uint64_t(2), 10000);
        const QString text = kShown.at(1);
        const QString word = QStringLiteral("Quillfeather");
        QList<QPair<int, int>> places;
        for (qsizetype at = text.indexOf(word); at >= 0; at = text.indexOf(word, at + 1))
            places.append({int(at), int(word.size())});
        QCOMPARE(askReader(QStringLiteral("Guide.scv")).value_or(ReaderState()).highlights, places);
        QVERIFY(reader.running());
    }
};

QTEST_MAIN(TestLeafwickEndToEnd)
#include "tst_leafwick_e2e.moc"
