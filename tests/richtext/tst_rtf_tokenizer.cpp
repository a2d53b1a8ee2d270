#include "richtext/rtf_tokenizer.h"

#include <QtTest>

using richtext::RtfToken;
using richtext::RtfTokenizer;
using richtext::RtfTokenType;

namespace {

// One line per token: "{", "}", "\name" or "\name-12", "\'e9", "\~", "text:<bytes>",
// "bin:<hex>". Bytes outside printable ASCII are written as <hh>.
QString describe(const RtfToken &token)
{
    auto printable = [](QByteArrayView bytes) {
        QString out;
        for (char c : bytes) {
            const auto byte = static_cast<unsigned char>(c);
            if (byte >= 0x20 && byte < 0x7f)
                out += QLatin1Char(c);
            else
                out += QStringLiteral("<%1>").arg(byte, 2, 16, QLatin1Char('0'));
        }
        return out;
    };
    switch (token.type) {
    case RtfTokenType::GroupStart:
        return QStringLiteral("{");
    case RtfTokenType::GroupEnd:
        return QStringLiteral("}");
    case RtfTokenType::ControlWord:
        return u'\\' + printable(token.text)
            + (token.hasParameter ? QString::number(token.parameter) : QString());
    case RtfTokenType::ControlSymbol:
        if (token.text == "'")
            return token.hasParameter
                ? QStringLiteral("\\'%1").arg(token.parameter, 2, 16, QLatin1Char('0'))
                : QStringLiteral("\\'bad");
        return u'\\' + printable(token.text);
    case RtfTokenType::Text:
        return QStringLiteral("text:") + printable(token.text);
    case RtfTokenType::Binary:
        return QStringLiteral("bin:") + QString::fromLatin1(token.text.toByteArray().toHex());
    case RtfTokenType::End:
        return QStringLiteral("end");
    }
    return {};
}

QStringList tokenize(RtfTokenizer &tokenizer)
{
    QStringList tokens;
    for (int guard = 0; guard < 1000; ++guard) {
        const RtfToken token = tokenizer.next();
        if (token.type == RtfTokenType::End)
            return tokens;
        tokens.append(describe(token));
    }
    tokens.append(QStringLiteral("did not end"));
    return tokens;
}

} // namespace

class TestRtfTokenizer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void tokens_data();
    void tokens();
    void doubleByteTrail_data();
    void doubleByteTrail();
    void offsets();
};

void TestRtfTokenizer::tokens_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<bool>("truncated");

    QTest::newRow("empty") << QByteArray() << QStringList() << false;
    QTest::newRow("group with word and text")
        << QByteArray("{\\rtf1 Hello}") << QStringList {"{", "\\rtf1", "text:Hello", "}"} << false;
    QTest::newRow("negative parameter") << QByteArray("\\fi-360\\li720 x")
                                        << QStringList {"\\fi-360", "\\li720", "text:x"} << false;
    QTest::newRow("only the first delimiting space is consumed")
        << QByteArray("\\b  bold") << QStringList {"\\b", "text: bold"} << false;
    QTest::newRow("word ends at a non-letter")
        << QByteArray("\\fs24x\\par;") << QStringList {"\\fs24", "text:x", "\\par", "text:;"}
        << false;
    QTest::newRow("minus without digits is text")
        << QByteArray("\\li-x") << QStringList {"\\li", "text:-x"} << false;
    QTest::newRow("huge parameter clamps")
        << QByteArray("\\fs99999999999999 ") << QStringList {"\\fs2147483647"} << false;
    QTest::newRow("control symbols")
        << QByteArray("\\{\\}\\\\\\~\\-\\_\\*\\|")
        << QStringList {"\\{", "\\}", "\\\\", "\\~", "\\-", "\\_", "\\*", "\\|"} << false;
    QTest::newRow("hex escapes, either case")
        << QByteArray("\\'e9\\'4Ab") << QStringList {"\\'e9", "\\'4a", "text:b"} << false;
    QTest::newRow("hex escape with bad digits")
        << QByteArray("\\'zz") << QStringList {"\\'bad", "text:zz"} << false;
    QTest::newRow("line ends are not text")
        << QByteArray("a\r\nb\nc") << QStringList {"text:a", "text:b", "text:c"} << false;
    QTest::newRow("backslash before a line end")
        << QByteArray("a\\\r\nb") << QStringList {"text:a", "\\<0d>", "text:b"} << false;
    QTest::newRow("bin data holds braces and backslashes")
        << QByteArray("{\\bin5 }{\\x}y}") << QStringList {"{", "bin:7d7b5c787d", "text:y", "}"}
        << false;
    QTest::newRow("bin without parameter is empty")
        << QByteArray("\\bin x") << QStringList {"bin:", "text:x"} << false;
    QTest::newRow("bin past the end takes what is there")
        << QByteArray("\\bin100 abc") << QStringList {"bin:616263"} << true;
    QTest::newRow("negative bin is empty")
        << QByteArray("\\bin-5 ab") << QStringList {"bin:", "text:ab"} << false;
    QTest::newRow("truncated after backslash")
        << QByteArray("{\\rtf1\\") << QStringList {"{", "\\rtf1"} << true;
    QTest::newRow("truncated hex escape")
        << QByteArray("x\\'4") << QStringList {"text:x", "\\'bad"} << true;
    QTest::newRow("8-bit text and NUL bytes stay text")
        << QByteArray("\xe9\0z", 3) << QStringList {"text:<e9><00>z"} << false;
}

void TestRtfTokenizer::tokens()
{
    QFETCH(QByteArray, input);
    QFETCH(QStringList, expected);
    QFETCH(bool, truncated);
    RtfTokenizer tokenizer(input);
    QCOMPARE(tokenize(tokenizer), expected);
    QCOMPARE(tokenizer.truncated(), truncated);
}

void TestRtfTokenizer::doubleByteTrail_data()
{
    QTest::addColumn<int>("codePage");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QStringList>("expected");

    // 0x95 0x5C is one Shift-JIS character; its trail byte is a backslash.
    QTest::newRow("932 trail byte 0x5C")
        << 932 << QByteArray("\x95\x5c\r\nx") << QStringList {"text:<95>\\", "text:x"};
    QTest::newRow("932 trail byte 0x7B")
        << 932 << QByteArray("\x83\x7b}") << QStringList {"text:<83>{", "}"};
    QTest::newRow("single-byte code page keeps backslash as control")
        << 0 << QByteArray("\x95\\par") << QStringList {"text:<95>", "\\par"};
    QTest::newRow("lead byte before a line end is alone")
        << 936 << QByteArray("\x81\nA") << QStringList {"text:<81>", "text:A"};
}

void TestRtfTokenizer::doubleByteTrail()
{
    QFETCH(int, codePage);
    QFETCH(QByteArray, input);
    QFETCH(QStringList, expected);
    RtfTokenizer tokenizer(input);
    tokenizer.setDoubleByteCodePage(codePage);
    QCOMPARE(tokenize(tokenizer), expected);
}

void TestRtfTokenizer::offsets()
{
    const QByteArray input("{\\b x}");
    RtfTokenizer tokenizer(input);
    QList<qsizetype> offsets;
    for (RtfToken token = tokenizer.next(); token.type != RtfTokenType::End;
         token = tokenizer.next())
        offsets.append(token.offset);
    QCOMPARE(offsets, (QList<qsizetype> {0, 1, 4, 5}));
}

QTEST_GUILESS_MAIN(TestRtfTokenizer)
#include "tst_rtf_tokenizer.moc"
