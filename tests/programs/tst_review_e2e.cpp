// Under a real X server: Penwick's Review starts a real reader process, which takes the
// hand-over file and shows the document.
#include "author/launcher.h"
#include "author/penwick.h"
#include "tests/support/window_test_support.h"
#include "tests/support/x11_support.h"
#include "ui/message_boxes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/wait.h>

namespace { } // namespace

class TestReviewEndToEnd : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("needs a real X server (run under xvfb-run)");
    }

    void reviewStartsTheReader_data()
    {
        QTest::addColumn<QString>("document");
        QTest::addColumn<QString>("title");
        QTest::newRow("plain name") << "Manual.scv"
                                    << "Manual";
        QTest::newRow("name with a comma") << "Tools, Extras.scv"
                                           << "Tools, Extras";
    }
    void reviewStartsTheReader()
    {
        QFETCH(QString, document);
        QFETCH(QString, title);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(QDir::setCurrent(dir.path()));
        // Another document that a reader without the hand-over would open instead.
        for (const QString &name : {QStringLiteral("Aaa.scv"), document}) {
            QFile file(name);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("0,\"" + name.toUtf8() + " topic\",\"{\\rtf1\\ansi Shown.\\par\r\n}\"\r\n");
        }
        qputenv("PATH", QByteArray(SCRIVANE_BIN_DIR) + ':' + qgetenv("PATH"));

        testsupport::ScriptedBoxes boxes;
        SystemLauncher launcher;
        Penwick w(boxes);
        w.setLauncher(&launcher);
        w.CurrentHelpFileName = document;
        w.Initialize();
        w.show();
        QTest::mouseClick(w.ReviewCmd, Qt::LeftButton);
        QVERIFY2(boxes.shown.isEmpty(), qPrintable(boxes.texts().join(QLatin1Char('\n'))));
        const qint64 pid = launcher.lastProcessId();
        QVERIFY(pid > 0);
        auto stop = qScopeGuard([pid] { ::kill(pid_t(pid), SIGTERM); });

        // The reader runs in this folder and consumes the hand-over file.
        QCOMPARE(QFileInfo(QStringLiteral("/proc/%1/cwd").arg(pid)).canonicalFilePath(),
            QFileInfo(dir.path()).canonicalFilePath());
        QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(QStringLiteral("DefaultHelpFile.tmp")), 20000);
        // Its window shows the handed-over document, not the first one of the folder.
        // The desktop may add the program's name to the title.
        const QRegularExpression shown(
            QStringLiteral("\"%1( \\S Leafwick)?\"").arg(QRegularExpression::escape(title)));
        QTRY_VERIFY_WITH_TIMEOUT(testsupport::windowTree().contains(shown), 20000);
        QVERIFY(!testsupport::windowTree().contains(QStringLiteral("\"Aaa")));
    }
};

QTEST_MAIN(TestReviewEndToEnd)
#include "tst_review_e2e.moc"
