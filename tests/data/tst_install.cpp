#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QMimeDatabase>
#include <QMimeType>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// cmake --install into a fresh prefix puts every file where the desktop and the programs look.
namespace {

const QString kSourceData = QStringLiteral(SCRIVANE_SOURCE_DIR "/data");

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

struct DesktopEntry
{
    QMap<QString, QString> keys;
    QString error;
};

// The [Desktop Entry] group of a desktop entry file: its first group, keys unique.
DesktopEntry readDesktopEntry(const QString &path)
{
    DesktopEntry entry;
    const QList<QByteArray> lines = readFile(path).split('\n');
    bool inGroup = false;
    for (const QByteArray &raw : lines) {
        const QString line = QString::fromUtf8(raw);
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[')) {
            if (inGroup)
                break;
            if (line != u"[Desktop Entry]") {
                entry.error = QStringLiteral("the first group is %1").arg(line);
                return entry;
            }
            inGroup = true;
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (!inGroup || equals <= 0) {
            entry.error = QStringLiteral("stray line: %1").arg(line);
            return entry;
        }
        const QString key = line.left(equals).trimmed();
        if (entry.keys.contains(key)) {
            entry.error = QStringLiteral("%1 given twice").arg(key);
            return entry;
        }
        entry.keys.insert(key, line.mid(equals + 1).trimmed());
    }
    if (!inGroup)
        entry.error = QStringLiteral("no [Desktop Entry] group");
    return entry;
}

} // namespace

class TestInstall : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_prefix;
    QString m_previousDir;

    QString installed(const QString &relative) const { return m_prefix->filePath(relative); }

private Q_SLOTS:
    void initTestCase()
    {
        m_previousDir = QDir::currentPath();
        m_prefix = std::make_unique<QTemporaryDir>();
        QVERIFY(m_prefix->isValid());
        QVERIFY(QDir::setCurrent(m_prefix->path()));
        QProcess install;
        install.setProcessChannelMode(QProcess::MergedChannels);
        install.start(QStringLiteral(CMAKE_COMMAND_PATH),
            {QStringLiteral("--install"), QStringLiteral(SCRIVANE_BUILD_DIR),
                QStringLiteral("--prefix"), m_prefix->path()});
        QVERIFY(install.waitForFinished(300000));
        QVERIFY2(install.exitStatus() == QProcess::NormalExit && install.exitCode() == 0,
            install.readAll().constData());
    }
    void cleanupTestCase()
    {
        QDir::setCurrent(m_previousDir);
        m_prefix.reset();
    }

    void programs_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("authoring program") << "bin/penwick";
        QTest::newRow("reader") << "bin/leafwick";
        QTest::newRow("command-line companion") << "bin/scvtool";
        QTest::newRow("its renderer") << "bin/scvtool-render";
    }
    void programs()
    {
        QFETCH(QString, path);
        const QFileInfo program(installed(path));
        QVERIFY2(program.isFile(), qPrintable(program.filePath()));
        QVERIFY(program.isExecutable());
    }

    void dataFiles_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("source");
        QTest::newRow("built-in help") << "share/scrivane/Scrivane.scv"
                                       << "Scrivane.scv";
        QTest::newRow("introductory page") << "share/scrivane/GetStarted.html"
                                           << "GetStarted.html";
        QTest::newRow("Penwick's desktop entry") << "share/applications/penwick.desktop"
                                                 << "penwick.desktop";
        QTest::newRow("Leafwick's desktop entry") << "share/applications/leafwick.desktop"
                                                  << "leafwick.desktop";
        QTest::newRow("Penwick's icon") << "share/icons/hicolor/scalable/apps/penwick.svg"
                                        << "icons/penwick.svg";
        QTest::newRow("Leafwick's icon") << "share/icons/hicolor/scalable/apps/leafwick.svg"
                                         << "icons/leafwick.svg";
        QTest::newRow("help documents' file type") << "share/mime/packages/scrivane-help.xml"
                                                   << "scrivane-help.xml";
    }
    void dataFiles()
    {
        QFETCH(QString, path);
        QFETCH(QString, source);
        QVERIFY2(QFileInfo(installed(path)).isFile(), qPrintable(path));
        QCOMPARE(readFile(installed(path)), readFile(kSourceData + u'/' + source));
    }

    // The programs look for their data in ../share/scrivane from their own folder.
    void programsFindTheirData_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("built-in help") << "Scrivane.scv";
        QTest::newRow("introductory page") << "GetStarted.html";
    }
    void programsFindTheirData()
    {
        QFETCH(QString, name);
        const QString beside =
            QDir::cleanPath(QFileInfo(installed(QStringLiteral("bin/penwick"))).absolutePath()
                + QStringLiteral("/../share/scrivane/") + name);
        QVERIFY2(QFileInfo(beside).isFile(), qPrintable(beside));
    }

    void desktopEntries_data()
    {
        QTest::addColumn<QString>("program");
        QTest::newRow("penwick") << "penwick";
        QTest::newRow("leafwick") << "leafwick";
    }
    void desktopEntries()
    {
        QFETCH(QString, program);
        const DesktopEntry entry = readDesktopEntry(
            installed(QStringLiteral("share/applications/%1.desktop").arg(program)));
        QVERIFY2(entry.error.isEmpty(), qPrintable(entry.error));
        QCOMPARE(entry.keys.value(QStringLiteral("Type")), QStringLiteral("Application"));
        QCOMPARE(entry.keys.value(QStringLiteral("Terminal")), QStringLiteral("false"));
        for (const char *key : {"Name", "GenericName", "Comment", "Exec", "Icon", "Categories"})
            QVERIFY2(!entry.keys.value(QLatin1String(key)).isEmpty(), key);
        QVERIFY(entry.keys.value(QStringLiteral("Categories")).endsWith(u';'));

        // Exec names an installed program, by the name the search path finds it under, and
        // hands it the document that was opened.
        const QString exec = entry.keys.value(QStringLiteral("Exec")).section(u' ', 0, 0);
        QCOMPARE(exec, program);
        QCOMPARE(entry.keys.value(QStringLiteral("Exec")), program + QStringLiteral(" %f"));
        QCOMPARE(entry.keys.value(QStringLiteral("MimeType")),
            QStringLiteral("application/x-scrivane-help;"));
        QVERIFY(QFileInfo(installed(QStringLiteral("bin/") + exec)).isExecutable());
        // Icon names an installed theme icon: a bare name, no path, no extension.
        const QString icon = entry.keys.value(QStringLiteral("Icon"));
        QCOMPARE(icon, program);
        QVERIFY(QFileInfo(
            installed(QStringLiteral("share/icons/hicolor/scalable/apps/%1.svg").arg(icon)))
                    .isFile());
    }

    // Once the desktop's file types are brought up to date, a "*.scv" file is a help document
    // whatever it holds, and Leafwick is preferred over Penwick for opening it.
    void helpDocumentsAreKnownToTheDesktop_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("a document")
            << "Manual.scv" << QByteArray("\"0\",\"One\",\"{\\rtf1 x}\"\r\n");
        QTest::newRow("an empty one") << "Empty.scv" << QByteArray();
        QTest::newRow("odd letters in its name") << "Tools, Extras.v2.scv" << QByteArray("x");
    }
    void helpDocumentsAreKnownToTheDesktop()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        const QString mime = installed(QStringLiteral("share/mime"));
        if (QStandardPaths::findExecutable(QStringLiteral("update-mime-database")).isEmpty())
            QSKIP("update-mime-database (shared-mime-info) is not installed");
        QCOMPARE(QProcess::execute(QStringLiteral("update-mime-database"), {mime}), 0);
        // The installation's data folder first, as a desktop with this prefix has it.
        qputenv(
            "XDG_DATA_DIRS", QFile::encodeName(installed(QStringLiteral("share"))) + ":/usr/share");
        QTemporaryDir dir;
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        const QMimeType type = QMimeDatabase().mimeTypeForFile(file.fileName());
        QCOMPARE(type.name(), QStringLiteral("application/x-scrivane-help"));
        QVERIFY(type.inherits(QStringLiteral("text/plain")));
        const auto preference = [&](const char *program) {
            return readDesktopEntry(
                installed(
                    QStringLiteral("share/applications/%1.desktop").arg(QLatin1String(program))))
                .keys.value(QStringLiteral("InitialPreference"))
                .toInt();
        };
        QVERIFY(preference("leafwick") > preference("penwick"));
    }
};

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"
