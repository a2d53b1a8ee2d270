// Under a real X server: the captions the window manager shows are the windows' own, with no
// program name added, and the desktop still knows each program by its window class.
#include "author/about_frm.h"
#include "author/create_name.h"
#include "author/get_help_files.h"
#include "author/penwick.h"
#include "reader/reader_window.h"
#include "tests/support/window_test_support.h"
#include "tests/support/working_folder.h"
#include "tests/support/x11_support.h"
#include "ui/message_boxes.h"
#include "ui/program_identity.h"

#include <QApplication>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

namespace {

// One property of a window as the X server holds it, through xprop; empty when it is not set.
QString xProperty(WId window, const char *property)
{
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"),
        {QStringLiteral("-id"), QString::number(window), QString::fromLatin1(property)});
    if (!xprop.waitForFinished(10000))
        return {};
    const QString out = QString::fromUtf8(xprop.readAllStandardOutput()).trimmed();
    const qsizetype eq = out.indexOf(QStringLiteral(" = "));
    return eq < 0 ? QString() : out.mid(eq + 3);
}

// The caption the window manager shows: _NET_WM_NAME, without its quotes.
QString shownTitle(QWidget *window)
{
    QString value;
    // The property is written when the window is mapped.
    (void)QTest::qWaitFor(
        [&] {
            value = xProperty(window->winId(), "_NET_WM_NAME");
            return !value.isEmpty();
        },
        10000);
    if (value.size() >= 2 && value.startsWith(u'"') && value.endsWith(u'"'))
        value = value.mid(1, value.size() - 2);
    return value;
}

const QByteArray kDocument = "\"0\",\"One\",\"{\\rtf1 One.}\"\r\n";

using WindowMaker = std::function<std::unique_ptr<QWidget>(MessageBoxes &)>;

} // namespace

Q_DECLARE_METATYPE(Program)
Q_DECLARE_METATYPE(WindowMaker)

class TestWindowTitles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("needs a real X server (run under xvfb-run)");
    }

    void windowsShowTheirOwnCaption_data()
    {
        QTest::addColumn<Program>("program");
        QTest::addColumn<WindowMaker>("make");
        QTest::addColumn<QString>("caption");

        QTest::newRow("Penwick") << Program::Penwick << WindowMaker([](MessageBoxes &boxes) {
            return std::unique_ptr<QWidget>(std::make_unique<Penwick>(boxes));
        }) << "Enter";
        QTest::newRow("About") << Program::Penwick << WindowMaker([](MessageBoxes &) {
            return std::unique_ptr<QWidget>(std::make_unique<AboutFrm>());
        }) << "About Help";
        QTest::newRow("built-in help") << Program::Penwick << WindowMaker([](MessageBoxes &boxes) {
            return std::unique_ptr<QWidget>(
                std::make_unique<ReaderWindow>(ReaderKind::BuiltInHelp, boxes));
        }) << "Scrivane";
        QTest::newRow("Leafwick") << Program::Leafwick << WindowMaker([](MessageBoxes &boxes) {
            return std::unique_ptr<QWidget>(
                std::make_unique<ReaderWindow>(ReaderKind::Leafwick, boxes));
        }) << "Manual";
    }
    void windowsShowTheirOwnCaption()
    {
        QFETCH(Program, program);
        QFETCH(WindowMaker, make);
        QFETCH(QString, caption);
        testsupport::WorkingFolder folder;
        testsupport::writeFile(QStringLiteral("Manual.scv"), kDocument);
        testsupport::writeFile(QStringLiteral("Scrivane.scv"), kDocument);
        identifyProgram(program);
        testsupport::ScriptedBoxes boxes;
        const std::unique_ptr<QWidget> window = make(boxes);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QCOMPARE(shownTitle(window.get()), caption);
    }

    // The dialogs Penwick opens from its menu.
    void dialogsShowTheirOwnCaption_data()
    {
        QTest::addColumn<bool>("create");
        QTest::addColumn<QString>("caption");
        QTest::newRow("Create") << true << "Create 'Help' file";
        QTest::newRow("Help Files") << false << "Help Files";
    }
    void dialogsShowTheirOwnCaption()
    {
        QFETCH(bool, create);
        QFETCH(QString, caption);
        testsupport::WorkingFolder folder;
        identifyProgram(Program::Penwick);
        testsupport::ScriptedBoxes boxes;
        Penwick owner(boxes);
        std::unique_ptr<QDialog> dialog;
        if (create)
            dialog = std::make_unique<CreateName>(owner);
        else
            dialog = std::make_unique<GetHelpFiles>(owner);
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        QCOMPARE(shownTitle(dialog.get()), caption);
    }

    // A message box that passes no title shows the program's application title.
    void messageBoxesShowTheApplicationTitle_data()
    {
        QTest::addColumn<Program>("program");
        QTest::addColumn<QString>("caption");
        QTest::newRow("Penwick") << Program::Penwick << "Help";
        QTest::newRow("Leafwick") << Program::Leafwick << "Leafwick";
    }
    void messageBoxesShowTheApplicationTitle()
    {
        QFETCH(Program, program);
        QFETCH(QString, caption);
        identifyProgram(program);
        QString shown;
        QTimer::singleShot(0, this, [&] {
            QWidget *box = QApplication::activeModalWidget();
            if (!box) {
                // Not up yet: look again once it is.
                QTRY_VERIFY(QApplication::activeModalWidget());
                box = QApplication::activeModalWidget();
            }
            QVERIFY(QTest::qWaitForWindowExposed(box));
            shown = shownTitle(box);
            box->close();
        });
        QtMessageBoxes boxes;
        boxes.show(nullptr, QStringLiteral("No Data on File"), 48);
        QCOMPARE(shown, caption);
    }

    // The programs themselves, as a user starts them: captions as they are, the window class
    // naming the program for the desktop.
    void programsAsStarted_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("caption");
        QTest::newRow("penwick") << PENWICK_PATH << "Enter";
        QTest::newRow("leafwick") << LEAFWICK_PATH << "Manual";
    }
    void programsAsStarted()
    {
        QFETCH(QString, program);
        QFETCH(QString, caption);
        testsupport::WorkingFolder folder;
        testsupport::writeFile(QStringLiteral("Manual.scv"), kDocument);
        QProcess process;
        process.setWorkingDirectory(folder.path());
        process.start(program, {});
        QVERIFY(process.waitForStarted());
        auto stop = qScopeGuard([&] {
            process.kill();
            process.waitForFinished();
        });
        // xwininfo lists each window as: id "caption": ("instance" "class") ...
        const QRegularExpression line(
            QStringLiteral("(0x[0-9a-f]+) \"%1\": \\(\"%2\"")
                .arg(QRegularExpression::escape(caption),
                    QRegularExpression::escape(QFileInfo(program).fileName())));
        QTRY_VERIFY2_WITH_TIMEOUT(
            testsupport::windowTree().contains(line), qPrintable(testsupport::windowTree()), 20000);
    }
};

QTEST_MAIN(TestWindowTitles)
#include "tst_window_titles.moc"
