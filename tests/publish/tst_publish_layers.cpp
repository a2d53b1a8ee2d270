// Publishing links the RTF codec, storage and Qt Gui, and no widgets, so that scvtool-render
// can publish without a display library and Penwick merely calls it: none of its files includes
// a Widgets or PrintSupport header, one of the widget library's or a window's, and none of the
// libraries it links brings them in. Each check also runs on Penwick's library, which has
// widgets, where it must find what it looks for, so that a check that finds nothing is known to
// work.

#include "tests/support/layering_support.h"

#include <QtTest>

namespace {

using testsupport::listOf;

// Headers of our code that stand on widgets: the rich-text control's, and every header of the
// window folders.
QSet<QString> widgetLibraryHeaders()
{
    QSet<QString> names;
    for (const QString &source : listOf(WIDGET_LIBRARY_SOURCES)) {
        if (source.endsWith(u".h"))
            names.insert(u"richtext/"_qs + QFileInfo(source).fileName());
    }
    return names;
}

const QStringList kWindowFolders {u"ui"_qs, u"author"_qs, u"reader"_qs};

} // namespace

class TestPublishLayers : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void includes_data();
    void includes();
    void links_data();
    void links();
};

void TestPublishLayers::includes_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("widgets");

    const QStringList sources = listOf(PUBLISH_SOURCES);
    QVERIFY(sources.size() >= 20);
    for (const QString &path : sources)
        QTest::addRow("publish: %s", qPrintable(QFileInfo(path).fileName())) << path << false;
    QTest::newRow("Penwick: penwick_layout.cpp")
        << QString::fromUtf8(SCRIVANE_SOURCE_DIR "/author/penwick_layout.cpp") << true;
    QTest::newRow("Penwick: penwick.h")
        << QString::fromUtf8(SCRIVANE_SOURCE_DIR "/author/penwick.h") << true;
}

void TestPublishLayers::includes()
{
    QFETCH(QString, path);
    QFETCH(bool, widgets);
    const QSet<QString> headers = testsupport::widgetHeaders(WIDGET_HEADER_DIRS);
    QVERIFY(headers.contains(u"QTextEdit"_qs));
    QVERIFY(headers.contains(u"QPrinter"_qs));
    const QStringList found =
        testsupport::widgetIncludes(path, headers, widgetLibraryHeaders(), kWindowFolders);
    QVERIFY2(found.isEmpty() != widgets, qPrintable(found.join(u", ")));
}

void TestPublishLayers::links_data()
{
    QTest::addColumn<QStringList>("libraries");
    QTest::addColumn<bool>("widgets");

    QTest::newRow("publish") << listOf(PUBLISH_LINK_CLOSURE) << false;
    QTest::newRow("Penwick's library") << listOf(AUTHOR_LINK_CLOSURE) << true;
}

void TestPublishLayers::links()
{
    QFETCH(QStringList, libraries);
    QFETCH(bool, widgets);
    QVERIFY(libraries.contains(u"Qt6::Gui"_qs));
    if (!widgets) {
        QVERIFY(libraries.contains(u"rtfcodec"_qs));
        QVERIFY(libraries.contains(u"storage"_qs));
    }
    static const QRegularExpression widgetLibrary(
        QStringLiteral("^(Qt6?::(Widgets|PrintSupport)|richtext|ui|author|reader)$"));
    const QStringList found = libraries.filter(widgetLibrary);
    QVERIFY2(found.isEmpty() != widgets, qPrintable(libraries.join(u", ")));
}

QTEST_GUILESS_MAIN(TestPublishLayers)
#include "tst_publish_layers.moc"
