// Every sample RTF against the plain text LibreOffice extracts from it.

#include "richtext/rtf_reader.h"
#include "tests/support/text_support.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTextDocument>
#include <QtTest>

namespace {

using testsupport::normalisedText;

const QString kSamplesDir = QStringLiteral(SCRIVANE_TEST_DATA_DIR "/rtf");

// Peer files whose text differs from LibreOffice's, and why. Every other file must match.
const QHash<QString, QString> kKnownMismatches = {
    // LibreOffice computes the PAGE field as 0; the stored result "1" is shown here.
    {QStringLiteral("fdo42109"), QStringLiteral("PAGE field recomputed by LibreOffice")},
};

// Time allowed for one file; the largest sample takes well under a second.
constexpr qint64 kMaxMilliseconds = 10000;

QByteArray readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// Where the two texts first differ, with some context, for the failure message.
QString firstDifference(const QString &actual, const QString &expected)
{
    qsizetype i = 0;
    while (i < actual.size() && i < expected.size() && actual.at(i) == expected.at(i))
        ++i;
    const qsizetype from = std::max<qsizetype>(0, i - 40);
    return QStringLiteral("at %1:\n  actual:   %2\n  expected: %3")
        .arg(i)
        .arg(actual.mid(from, 100), expected.mid(from, 100));
}

} // namespace

class TestRtfSamples : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sample_data();
    void sample();
    void cleanupTestCase();

private:
    int m_matching = 0;
    int m_total = 0;
};

void TestRtfSamples::sample_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("mustMatch");
    for (const QString &folder : {QStringLiteral("generated"), QStringLiteral("peer")}) {
        const QDir dir(kSamplesDir + u'/' + folder);
        const QStringList names = dir.entryList({QStringLiteral("*.rtf")}, QDir::Files, QDir::Name);
        QVERIFY2(!names.isEmpty(), qPrintable(dir.path()));
        for (const QString &name : names) {
            const QString base = QFileInfo(name).completeBaseName();
            const bool mustMatch = folder == u"generated" || !kKnownMismatches.contains(base);
            QTest::newRow(qPrintable(folder + u'/' + base)) << dir.filePath(name) << mustMatch;
        }
    }
}

void TestRtfSamples::sample()
{
    QFETCH(QString, path);
    QFETCH(bool, mustMatch);
    const QByteArray rtf = readAll(path);
    QVERIFY(!rtf.isEmpty());
    QString txtPath = path;
    txtPath.replace(QRegularExpression(QStringLiteral("\\.rtf$")), QStringLiteral(".txt"));
    QFile txtFile(txtPath);
    QVERIFY2(txtFile.open(QIODevice::ReadOnly), qPrintable(txtPath));
    const QString expected = normalisedText(QString::fromUtf8(txtFile.readAll()));

    QTextDocument document;
    QElapsedTimer timer;
    timer.start();
    const richtext::RtfReadReport report = richtext::RtfReader::read(rtf, &document);
    const qint64 elapsed = timer.elapsed();
    QVERIFY(report.wasRtf);
    QVERIFY2(elapsed < kMaxMilliseconds, qPrintable(QString::number(elapsed)));

    const QString actual = normalisedText(document.toPlainText());
    ++m_total;
    if (actual == expected)
        ++m_matching;
    if (mustMatch)
        QVERIFY2(actual == expected, qPrintable(firstDifference(actual, expected)));
    else if (actual == expected)
        qWarning("%s now matches: take it off the list of known mismatches", qPrintable(path));
}

void TestRtfSamples::cleanupTestCase()
{
    qInfo("%d of %d samples match LibreOffice's text", m_matching, m_total);
}

QTEST_MAIN(TestRtfSamples)
#include "tst_rtf_samples.moc"
