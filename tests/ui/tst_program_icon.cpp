#include "ui/program_icon.h"
#include "tests/support/working_folder.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <optional>

// The programs' icons as the windows show them, drawn from the built-in copies of data/icons.
namespace {

// Pixels that are drawn on at all.
int paintedPixels(const QImage &image)
{
    int painted = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            painted += qAlpha(image.pixel(x, y)) > 0 ? 1 : 0;
    }
    return painted;
}

} // namespace

class TestProgramIcon : public QObject
{
    Q_OBJECT

private:
    std::optional<testsupport::WorkingFolder> m_dir;

private Q_SLOTS:
    void init() { m_dir.emplace(); }
    void cleanup() { m_dir.reset(); }

    void builtInCopyIsTheShippedFile_data()
    {
        QTest::addColumn<QString>("program");
        QTest::newRow("penwick") << "penwick";
        QTest::newRow("leafwick") << "leafwick";
    }
    void builtInCopyIsTheShippedFile()
    {
        QFETCH(QString, program);
        QFile builtIn(QStringLiteral(":/scrivane/icons/%1.svg").arg(program));
        QFile shipped(QStringLiteral(SCRIVANE_SOURCE_DIR "/data/icons/%1.svg").arg(program));
        QVERIFY(builtIn.open(QIODevice::ReadOnly));
        QVERIFY(shipped.open(QIODevice::ReadOnly));
        QCOMPARE(builtIn.readAll(), shipped.readAll());
    }

    void draws_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<int>("size");
        for (const char *program : {"penwick", "leafwick"}) {
            for (const int size : {16, 32, 48, 256})
                QTest::addRow("%s %d", program, size) << QString::fromLatin1(program) << size;
        }
    }
    void draws()
    {
        QFETCH(QString, program);
        QFETCH(int, size);
        const QPixmap pixmap = programPixmap(program, size);
        QVERIFY(!pixmap.isNull());
        QCOMPARE(pixmap.deviceIndependentSize().toSize(), QSize(size, size));
        const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
        // A shape on a clear background: drawn in good part, the corner left clear.
        const int painted = paintedPixels(image);
        QVERIFY2(
            painted > image.width() * image.height() / 4, qPrintable(QString::number(painted)));
        QCOMPARE(qAlpha(image.pixel(0, 0)), 0);

        const QIcon icon = programIcon(program);
        QVERIFY(!icon.isNull());
        QVERIFY(icon.availableSizes().contains(QSize(size, size)));
    }

    void iconsTellProgramsApart()
    {
        const QImage penwick = programPixmap(QStringLiteral("penwick"), 48).toImage();
        const QImage leafwick = programPixmap(QStringLiteral("leafwick"), 48).toImage();
        QVERIFY(!penwick.isNull() && !leafwick.isNull());
        QVERIFY(penwick != leafwick);
    }

    void unknownProgramGivesNothing_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<int>("size");
        QTest::newRow("empty") << "" << 32;
        QTest::newRow("other tool") << "scvtool" << 32;
        QTest::newRow("case differs") << "Penwick" << 32;
        QTest::newRow("path in the resources") << "../icons/penwick" << 32;
        QTest::newRow("no size") << "penwick" << 0;
    }
    void unknownProgramGivesNothing()
    {
        QFETCH(QString, program);
        QFETCH(int, size);
        QVERIFY(programPixmap(program, size).isNull());
        if (size > 0)
            QVERIFY(programIcon(program).isNull());
    }
};

QTEST_MAIN(TestProgramIcon)
#include "tst_program_icon.moc"
