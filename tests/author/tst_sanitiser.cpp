#include "author/sanitiser.h"
#include "richtext/rtf_reader.h"

#include <QElapsedTimer>
#include <QTextDocument>
#include <QtTest>

using author::illegalCharsRemoved;
using author::storableTopicName;
using author::withoutQuoteBytes;

namespace {

// A text whose control word's backslash stands at the 1-based position `position`.
QByteArray wordAt(qsizetype position, QByteArrayView word, QByteArrayView after)
{
    return QByteArray(position - 1, 'a').append(word).append(after);
}

} // namespace

class TestSanitiser : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void illegalChars_data();
    void illegalChars();
    void farPositions_data();
    void farPositions();
    void largeTopic();
    void cleanedRtfStillReads_data();
    void cleanedRtfStillReads();
    void topicName_data();
    void topicName();
    void quoteBytes_data();
    void quoteBytes();
};

void TestSanitiser::illegalChars_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("expected");

    auto row = [](const char *name, QByteArray input, QByteArray expected) {
        QTest::newRow(name) << input << expected;
    };
    const QByteArray plain =
        "{\\rtf1\\ansi\\deff0 {\\fonttbl{\\f0 Verdana;}}\\f0 Hello, world.\\par";
    row("nothing to clean is unchanged", plain, plain);
    row("empty stays empty", "", "");

    row("trailing blank (32) removed", "abc ", "abc");
    row("trailing left brace (123) removed", "abc{", "abc");
    row("trailing exclamation mark (33) kept", "abc!", "abc!");
    row("trailing small z (122) kept", "abcz", "abcz");
    row("trailing tilde (126) removed", "abc~", "abc");
    row("trailing NUL removed", QByteArray("abc\0", 4), "abc");
    row("trailing byte 233 removed", "abc\xe9", "abc");
    row("trailing byte 127 removed", "abc\x7f", "abc");
    row("only one trailing character removed", "abc \t", "abc ");
    row("CR LF loses only the LF", "}\r\n", "}\r");
    row("single blank becomes empty", " ", "");

    row("double quotes become apostrophes", "say \"hi\" now", "say 'hi' now");
    row("final double quote becomes an apostrophe and stays", "say \"hi\"", "say 'hi'");
    row("lone double quote", "\"", "'");

    row("curly quote words and their blanks", "\\ldblquote Hello\\rdblquote world", "'Hello'world");
    row("text ending with rdblquote", "He said\\rdblquote", "He said'");
    row("text ending with rdblquote and a blank", "He said\\rdblquote ", "He said'");
    row("text ending with ldblquote", "x\\ldblquote", "x'");
    row("blank-separated pair inside a text", "a\\ldblquote \\rdblquote b", "a''b");
    row("blank-separated pair as the whole text", "\\ldblquote \\rdblquote ", "''");
    row("capitals untouched", "\\LDBLQUOTE Hi\\RDBLQUOTE x", "\\LDBLQUOTE Hi\\RDBLQUOTE x");
    row("mixed case untouched", "\\Ldblquote Hi\\rdblQuote x", "\\Ldblquote Hi\\rdblQuote x");
    row("only the one ending blank goes", "\\ldblquote  x", "' x");
    row("quotes and words together", "\\ldblquote \"x\"\\rdblquote y", "''x''y");
    row("right word before left word", "\\rdblquote a\\ldblquote b", "'a'b");

    row("followed by a backslash keeps the next word", "\\ldblquote\\b Hi\\b0\\rdblquote\\par",
        "'\\b Hi\\b0'\\par");
    row("followed by a closing brace keeps it", "{\\ldblquote}x", "{'}x");
    row("followed by an opening brace keeps it", "\\rdblquote{\\i x}y", "'{\\i x}y");
    row("followed by a line end keeps it", "\\ldblquote\r\nHi", "'\r\nHi");
    row("followed by a capital letter", "\\ldblquoteX", "'X");
    row("escaped backslash is literal text", "\\\\ldblquote x", "\\\\ldblquote x");
    row("escaped backslash then a real word", "\\\\\\ldblquote x", "\\\\'x");
    row("two escaped backslashes are literal", "\\\\\\\\rdblquote x", "\\\\\\\\rdblquote x");
    row("escaped backslash at the very start and later words", "\\\\rdblquote \\rdblquote x",
        "\\\\rdblquote 'x");
    row("longer word is another word", "\\ldblquotex y\\rdblquotes z",
        "\\ldblquotex y\\rdblquotes z");
    row("partial word untouched", "\\ldblquot e", "\\ldblquot e");
    row("replacement makes no new word", "\\rdbl\\ldblquote quote x", "\\rdbl'quote x");
}

void TestSanitiser::illegalChars()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, expected);
    const QByteArray result = illegalCharsRemoved(input);
    QCOMPARE(result, expected);
    QVERIFY(!result.contains('"'));
}

void TestSanitiser::farPositions_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("expected");

    for (const qsizetype position : {32756, 32757, 32767, 32768, 65537, 724000}) {
        const QByteArray name = QByteArrayLiteral("rdblquote at ") + QByteArray::number(position);
        QTest::newRow(name.constData())
            << wordAt(position, "\\rdblquote", " tail") << wordAt(position, "'", "tail");
    }
    const qsizetype last = 725000 - 10 + 1;
    QTest::newRow("ldblquote ending a 725,000-byte text")
        << wordAt(last, "\\ldblquote", "") << wordAt(last, "'", "");
    QTest::newRow("pair far apart")
        << wordAt(40000, "\\ldblquote ", "x") + "\\rdblquote y" << wordAt(40000, "'", "x") + "'y";
}

void TestSanitiser::farPositions()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, expected);
    QCOMPARE(illegalCharsRemoved(input), expected);
}

void TestSanitiser::largeTopic()
{
    // 5,000 pairs, 10,000 control words, 725,000 bytes.
    const QByteArray left = QByteArray(62, 'w');
    const QByteArray right = QByteArray(61, 'v');
    QByteArray input;
    QByteArray expected;
    for (int i = 0; i < 5000; ++i) {
        input += "\\ldblquote " + left + "\\rdblquote " + right;
        expected += '\'' + left + '\'' + right;
    }
    QCOMPARE(input.size(), qsizetype(725000));

    QElapsedTimer timer;
    timer.start();
    const QByteArray result = illegalCharsRemoved(input);
    const qint64 elapsed = timer.elapsed();

    QCOMPARE(result.size(), qsizetype(625000));
    QCOMPARE(result, expected);
    qInfo("725,000 bytes with 10,000 curly quote words cleaned in %lld ms", elapsed);
}

void TestSanitiser::cleanedRtfStillReads_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("plainText");

    const QByteArray head = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Verdana;}}\\f0 ";
    QTest::newRow("word before a brace") << head + "{\\b\\ldblquote}Hi{\\rdblquote}\\par}\r\n"
                                         << QStringLiteral("'Hi'");
    QTest::newRow("word before a word") << head + "\\ldblquote\\b Hi\\b0\\rdblquote\\par}\r\n"
                                        << QStringLiteral("'Hi'");
    QTest::newRow("word with its blank") << head + "\\ldblquote Say \"so\"\\rdblquote  x\\par}\r\n"
                                         << QStringLiteral("'Say 'so'' x");
    QTest::newRow("escaped backslash") << head + "a\\\\ldblquote b\\par}\r\n"
                                       << QStringLiteral("a\\ldblquote b");
}

void TestSanitiser::cleanedRtfStillReads()
{
    QFETCH(QByteArray, input);
    QFETCH(QString, plainText);
    const QByteArray cleaned = illegalCharsRemoved(input);
    QTextDocument document;
    const richtext::RtfReadReport report = richtext::RtfReader::read(cleaned, &document);
    QVERIFY(report.wasRtf);
    QCOMPARE(report.problem, QString());
    QCOMPARE(document.toPlainText().trimmed(), plainText);
}

void TestSanitiser::topicName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain") << QStringLiteral("Getting started")
                           << QStringLiteral("Getting started");
    QTest::newRow("quoted word") << QStringLiteral("The \"Save\" button")
                                 << QStringLiteral("The 'Save' button");
    QTest::newRow("only a quote") << QStringLiteral("\"") << QStringLiteral("'");
    QTest::newRow("curly quotes kept")
        << QStringLiteral("\u201cA\u201d") << QStringLiteral("\u201cA\u201d");
    QTest::newRow("blanks kept") << QStringLiteral("  \"x\"  ") << QStringLiteral("  'x'  ");
    QTest::newRow("empty") << QString() << QString();
}

void TestSanitiser::topicName()
{
    QFETCH(QString, name);
    QFETCH(QString, expected);
    QCOMPARE(storableTopicName(name), expected);
}

void TestSanitiser::quoteBytes_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("no quote") << QByteArray("{\\rtf1 a'b}\r\n") << QByteArray("{\\rtf1 a'b}\r\n");
    QTest::newRow("empty") << QByteArray() << QByteArray();
    QTest::newRow("one quote") << QByteArray("{\\rtf1 say \"x\"}")
                               << QByteArray("{\\rtf1 say \\'22x\\'22}");
    QTest::newRow("quote first and last") << QByteArray("\"a\"") << QByteArray("\\'22a\\'22");
    QTest::newRow("quotes side by side") << QByteArray("\"\"") << QByteArray("\\'22\\'22");
    QTest::newRow("after an escaped backslash") << QByteArray("\\\\\"") << QByteArray("\\\\\\'22");
    QTest::newRow("control symbol") << QByteArray("a\\\"b") << QByteArray("a\\'22b");
    QTest::newRow("hyperlink instruction")
        << QByteArray("{\\*\\fldinst HYPERLINK \"http://x\"}")
        << QByteArray("{\\*\\fldinst HYPERLINK \\'22http://x\\'22}");
}

void TestSanitiser::quoteBytes()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, expected);
    const QByteArray result = withoutQuoteBytes(input);
    QCOMPARE(result, expected);
    QVERIFY(!result.contains('"'));
}

QTEST_MAIN(TestSanitiser)
#include "tst_sanitiser.moc"
