// The RTF codec stands on Qt Gui alone, so that programs and libraries without widgets can link
// it: none of its files includes a Widgets or PrintSupport header or one of the widget library's,
// and none of the libraries it links brings them in. Each check also runs on the widget library,
// where it must find what it looks for, so that a check that finds nothing is known to work.

#include "tests/support/layering_support.h"

#include <QtTest>

namespace {

using testsupport::listOf;

// The widget library's own headers, as the codec would include them.
QSet<QString> widgetLibraryHeaders()
{
    QSet<QString> names;
    for (const QString &source : listOf(WIDGET_LIBRARY_SOURCES)) {
        if (source.endsWith(u".h"))
            names.insert(u"richtext/"_qs + QFileInfo(source).fileName());
    }
    return names;
}

} // namespace

class TestRtfCodec : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void includes_data();
    void includes();
    void links_data();
    void links();
};

void TestRtfCodec::includes_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("widgets");

    const QStringList codec = listOf(RTFCODEC_SOURCES);
    QVERIFY(codec.size() >= 20);
    for (const QString &path : codec) {
        QTest::addRow("codec: %s", qPrintable(QFileInfo(path).fileName())) << path << false;
    }
    QTest::newRow("widget library: rich_text_box.h")
        << QString::fromUtf8(SCRIVANE_SOURCE_DIR "/richtext/rich_text_box.h") << true;
    QTest::newRow("widget library: rich_text_box.cpp")
        << QString::fromUtf8(SCRIVANE_SOURCE_DIR "/richtext/rich_text_box.cpp") << true;
}

void TestRtfCodec::includes()
{
    QFETCH(QString, path);
    QFETCH(bool, widgets);
    const QSet<QString> headers = testsupport::widgetHeaders(WIDGET_HEADER_DIRS);
    // QTextEdit and QPrinter are the headers the codec would be most tempted by.
    QVERIFY(headers.contains(u"QTextEdit"_qs));
    QVERIFY(headers.contains(u"QPrinter"_qs));
    const QStringList found = testsupport::widgetIncludes(path, headers, widgetLibraryHeaders());
    QVERIFY2(found.isEmpty() != widgets, qPrintable(found.join(u", ")));
}

void TestRtfCodec::links_data()
{
    QTest::addColumn<QStringList>("libraries");
    QTest::addColumn<bool>("widgets");

    QTest::newRow("codec") << listOf(RTFCODEC_LINK_CLOSURE) << false;
    QTest::newRow("widget library") << listOf(WIDGET_LIBRARY_LINK_CLOSURE) << true;
}

void TestRtfCodec::links()
{
    QFETCH(QStringList, libraries);
    QFETCH(bool, widgets);
    QVERIFY(libraries.contains(u"Qt6::Gui"_qs));
    static const QRegularExpression widgetLibrary(
        QStringLiteral("^(Qt6?::(Widgets|PrintSupport)|richtext)$"));
    const QStringList found = libraries.filter(widgetLibrary);
    QVERIFY2(found.isEmpty() != widgets, qPrintable(libraries.join(u", ")));
}

QTEST_GUILESS_MAIN(TestRtfCodec)
#include "tst_rtfcodec.moc"
