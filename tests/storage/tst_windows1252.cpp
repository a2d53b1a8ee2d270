#include "storage/windows1252.h"

#include <QtTest>

using namespace storage;

class TestWindows1252 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void decode_data();
    void decode();
    void refused_data();
    void refused();
    void everyByteRoundTrips();
};

void TestWindows1252::decode_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");

    QTest::newRow("ASCII") << QByteArray("Install, Load") << QStringLiteral("Install, Load");
    QTest::newRow("Latin-1 range")
        << QByteArray("\xC9t\xE9 \xFC\xDF") << QStringLiteral("\u00C9t\u00E9 \u00FC\u00DF");
    QTest::newRow("euro sign") << QByteArray("\x80") << QStringLiteral("\u20AC");
    QTest::newRow("curly quotes and dashes") << QByteArray("\x93"
                                                           "a\x94 \x96 \x97")
                                             << QStringLiteral("\u201Ca\u201D \u2013 \u2014");
    QTest::newRow("ellipsis, trade mark, Y diaeresis")
        << QByteArray("\x85\x99\x9F") << QStringLiteral("\u2026\u2122\u0178");
    QTest::newRow("undefined bytes keep their number")
        << QByteArray("\x81\x8D\x8F\x90\x9D") << QStringLiteral("\u0081\u008D\u008F\u0090\u009D");
    QTest::newRow("empty") << QByteArray() << QString();
}

void TestWindows1252::decode()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    const std::string utf8 = decodeWindows1252(bytes.toStdString());
    QCOMPARE(QString::fromStdString(utf8), text);
    const EncodeResult back = encodeWindows1252(text.toStdString());
    QVERIFY(back.status.ok());
    QCOMPARE(QByteArray::fromStdString(back.bytes), bytes);
}

void TestWindows1252::refused_data()
{
    QTest::addColumn<QByteArray>("utf8");
    QTest::addColumn<int>("failedAt");
    QTest::addColumn<QString>("mentions");

    QTest::newRow("CJK character") << QStringLiteral("ab\u4E2D").toUtf8() << 2 << "U+4E2D";
    QTest::newRow("emoji") << QStringLiteral("x\U0001F600").toUtf8() << 1 << "U+1F600";
    QTest::newRow("Greek letter") << QStringLiteral("\u00E9\u03B1").toUtf8() << 2 << "U+03B1";
    QTest::newRow("C1 control without a code-page byte")
        << QStringLiteral("\u0085").toUtf8() << 0 << "U+0085";
    QTest::newRow("invalid UTF-8 lead byte") << QByteArray("ok\xFF") << 2 << "UTF-8";
    QTest::newRow("truncated sequence") << QByteArray("\xC3") << 0 << "UTF-8";
    QTest::newRow("overlong encoding") << QByteArray("\xC0\xAF") << 0 << "UTF-8";
    QTest::newRow("encoded surrogate") << QByteArray("\xED\xA0\x80") << 0 << "UTF-8";
}

void TestWindows1252::refused()
{
    QFETCH(QByteArray, utf8);
    QFETCH(int, failedAt);
    QFETCH(QString, mentions);
    const EncodeResult result = encodeWindows1252(utf8.toStdString());
    QCOMPARE(result.status.code(), ErrorCode::Unrepresentable);
    QCOMPARE(int(result.failedAt), failedAt);
    QVERIFY2(QString::fromStdString(result.status.message()).contains(mentions),
        result.status.message().c_str());
    QVERIFY(result.bytes.empty()); // nothing half-converted is handed back
}

void TestWindows1252::everyByteRoundTrips()
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += char(b);
    const std::string utf8 = decodeWindows1252(all);
    QCOMPARE(QString::fromStdString(utf8).size(), 256);
    const EncodeResult back = encodeWindows1252(utf8);
    QVERIFY(back.status.ok());
    QVERIFY(back.bytes == all);
}

QTEST_GUILESS_MAIN(TestWindows1252)
#include "tst_windows1252.moc"
