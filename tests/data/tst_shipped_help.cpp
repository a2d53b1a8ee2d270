#include "ui/click_list.h"
#include "ui/data_files.h"
#include "ui/message_boxes.h"
#include "reader/reader_window.h"
#include "richtext/rtf_reader.h"
#include "storage/record_reader.h"
#include "storage/windows1252.h"
#include "tests/support/working_folder.h"

#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QListWidget>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

#include <memory>
#include <optional>

// The help document and introductory page that ship with the programs.
namespace {

const QString kSourceData = QStringLiteral(SCRIVANE_SOURCE_DIR "/data");
const QString kShippedHelp = kSourceData + QStringLiteral("/Scrivane.scv");
const QString kGetStarted = kSourceData + QStringLiteral("/GetStarted.html");
// Penwick refuses to save a topic whose RTF is larger, so it could not edit one either.
constexpr std::size_t kMaxTopicRtf = 725000;

struct Topic
{
    storage::FieldValue level;
    QString name;
    QByteArray text;
};

struct Shipped
{
    QList<Topic> topics;
    storage::ReadStatus end = storage::ReadStatus::End;
    std::string error;
};

Shipped readShipped()
{
    Shipped shipped;
    storage::DocumentReader reader(kShippedHelp.toStdString());
    storage::TopicRecord record;
    while ((shipped.end = reader.next(record)) == storage::ReadStatus::Record) {
        shipped.topics.append(
            {record.level, QString::fromStdString(storage::decodeWindows1252(record.name.text())),
                QByteArray::fromStdString(record.text.text())});
    }
    shipped.error = reader.status().message();
    return shipped;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QString getStartedText()
{
    return QString::fromUtf8(readFile(kGetStarted));
}

class SilentBoxes final : public MessageBoxes
{
public:
    int show(QWidget *, const QString &text, int, const QString &) override
    {
        shown.append(text);
        return Ok;
    }
    QStringList shown;
};

} // namespace

class TestShippedHelp : public QObject
{
    Q_OBJECT

private:
    std::optional<testsupport::WorkingFolder> m_dir;

private Q_SLOTS:
    void init() { m_dir.emplace(); }
    void cleanup()
    {
        datafiles::setDataFolder({});
        m_dir.reset();
    }

    // The committed document is what the sources give today: it never goes stale.
    void regeneratesByteForByte()
    {
        QProcess generator;
        generator.start(QStringLiteral(SCVHELPGEN_PATH),
            {kSourceData + QStringLiteral("/help/contents.txt"), QStringLiteral("fresh.scv")});
        QVERIFY(generator.waitForFinished(120000));
        QVERIFY2(generator.exitStatus() == QProcess::NormalExit && generator.exitCode() == 0,
            generator.readAllStandardError().constData());
        QVERIFY2(readFile(QStringLiteral("fresh.scv")) == readFile(kShippedHelp),
            "data/Scrivane.scv differs from what data/help gives: build the update-help target");
    }

    void readsWhole()
    {
        const Shipped shipped = readShipped();
        QVERIFY2(shipped.end == storage::ReadStatus::End, shipped.error.c_str());
        QVERIFY(shipped.topics.size() >= 12);
        // Only the three delimiters of each field: no value holds a double quote of its own.
        QCOMPARE(readFile(kShippedHelp).count('"'), 6 * shipped.topics.size());
    }

    // Levels as Penwick saves them, every level used, an outline that never skips a level.
    void contentsOutline()
    {
        const Shipped shipped = readShipped();
        QVERIFY(!shipped.topics.isEmpty());
        QSet<QString> levels;
        QSet<QString> names;
        int previous = -1;
        for (const Topic &topic : shipped.topics) {
            QVERIFY2(!topic.level.isNumber(), qPrintable(topic.name));
            const QString level = QString::fromStdString(topic.level.text());
            QVERIFY2(level == u"0" || level == u"1" || level == u"2", qPrintable(topic.name));
            QVERIFY2(level.toInt() <= previous + 1, qPrintable(topic.name));
            previous = level.toInt();
            levels.insert(level);
            QVERIFY2(!names.contains(topic.name), qPrintable(topic.name));
            names.insert(topic.name);
        }
        QCOMPARE(levels, (QSet<QString> {"0", "1", "2"}));
        // Penwick's paste box sends the author to this topic by name.
        QVERIFY(names.contains(QStringLiteral("Adding Graphics")));
    }

    void everyTopicReads_data()
    {
        QTest::addColumn<int>("index");
        const Shipped shipped = readShipped();
        for (qsizetype i = 0; i < shipped.topics.size(); ++i)
            QTest::newRow(qPrintable(shipped.topics[i].name)) << int(i);
    }
    void everyTopicReads()
    {
        QFETCH(int, index);
        const Topic topic = readShipped().topics.at(index);
        QVERIFY(std::size_t(topic.text.size()) <= kMaxTopicRtf);
        QTextDocument document;
        const richtext::RtfReadReport report = richtext::RtfReader::read(topic.text, &document);
        QVERIFY(report.wasRtf);
        QVERIFY2(report.problem.isEmpty(), qPrintable(report.problem));
        QVERIFY(!document.toPlainText().trimmed().isEmpty());

        // The first paragraph is the topic's heading: its name, in bold.
        const QTextBlock first = document.firstBlock();
        QCOMPARE(first.text(), topic.name);
        for (QTextBlock::iterator it = first.begin(); !it.atEnd(); ++it)
            QVERIFY(it.fragment().charFormat().fontWeight() >= QFont::Bold);
        // More than the heading.
        QVERIFY(document.blockCount() > 1);
    }

    // The build tree holds the data where the programs look for it.
    void buildTreeCopies_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("help document") << "Scrivane.scv";
        QTest::newRow("introductory page") << "GetStarted.html";
    }
    void buildTreeCopies()
    {
        QFETCH(QString, name);
        QCOMPARE(readFile(QStringLiteral(SCRIVANE_DATA_DIR "/") + name),
            readFile(kSourceData + u'/' + name));
    }

    void builtInHelpOpensIt()
    {
        datafiles::setDataFolder(QStringLiteral(SCRIVANE_DATA_DIR));
        SilentBoxes boxes;
        ReaderWindow help(ReaderKind::BuiltInHelp, boxes);
        QCOMPARE(boxes.shown, QStringList());
        QCOMPARE(help.RecordCount, std::uint64_t(readShipped().topics.size()));
        QCOMPARE(help.List1->count(), readShipped().topics.size());
        // Its contents list is the narrowest that shows the names: none is cut off there.
        help.show();
        QVERIFY(QTest::qWaitForWindowExposed(&help));
        const QFontMetrics metrics(help.List1->font());
        const int room = help.List1->viewport()->width();
        for (int row = 0; row < help.List1->count(); ++row) {
            const QString line = help.List1->item(row)->text();
            QVERIFY2(metrics.horizontalAdvance(line) < room - 4,
                qPrintable(QStringLiteral("\"%1\" in %2 pixels").arg(line).arg(room)));
        }
    }

    void getStartedPage()
    {
        const QByteArray bytes = readFile(kGetStarted);
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString page = utf8(bytes);
        QVERIFY(!utf8.hasError());
        QVERIFY(page.contains(QStringLiteral("<meta charset=\"utf-8\">")));
        QVERIFY(QRegularExpression(QStringLiteral("<html[^>]*\\slang=\"[a-z]{2}"))
                    .match(page)
                    .hasMatch());
        const QRegularExpressionMatch title =
            QRegularExpression(QStringLiteral("<title>([^<]*\\S[^<]*)</title>")).match(page);
        QVERIFY(title.hasMatch());
        QCOMPARE(page.count(QStringLiteral("<h1")), 1);
        QVERIFY(!page.contains(QStringLiteral("<script"), Qt::CaseInsensitive));
    }

    // Nothing is loaded from elsewhere: the page works offline.
    void getStartedLoadsNothingExternal()
    {
        const QString page = getStartedText();
        const QRegularExpression external(QStringLiteral(
            "(\\ssrc\\s*=|<link\\b[^>]*\\shref\\s*=|url\\(|@import|<iframe|<object|<embed)"));
        QRegularExpressionMatchIterator it = external.globalMatch(page);
        QStringList found;
        while (it.hasNext())
            found << it.next().captured(0);
        QCOMPARE(found, QStringList());
        QVERIFY(!page.contains(QStringLiteral("http://")));
        QVERIFY(!page.contains(QStringLiteral("https://")));
    }

    void getStartedLinks_data()
    {
        QTest::addColumn<QString>("target");
        const QRegularExpression href(QStringLiteral("\\shref=\"([^\"]*)\""));
        QRegularExpressionMatchIterator it = href.globalMatch(getStartedText());
        int links = 0;
        while (it.hasNext()) {
            const QString target = it.next().captured(1);
            QTest::newRow(qPrintable(target)) << target;
            ++links;
        }
        QVERIFY(links > 0);
    }
    void getStartedLinks()
    {
        QFETCH(QString, target);
        if (target.startsWith(u'#')) {
            QVERIFY(getStartedText().contains(QStringLiteral(" id=\"%1\"").arg(target.mid(1))));
            return;
        }
        QVERIFY(!target.contains(u':'));
        QVERIFY(QFile::exists(kSourceData + u'/' + target.section(u'#', 0, 0)));
    }
};

QTEST_MAIN(TestShippedHelp)
#include "tst_shipped_help.moc"
