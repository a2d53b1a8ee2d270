#include "ui/message_boxes.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

Q_DECLARE_METATYPE(QMessageBox::StandardButtons)

namespace {

using Buttons = QMessageBox::StandardButtons;

// What a scripted press saw of the box before pressing.
struct SeenBox
{
    bool found = false;
    QString title;
    QString text;
    Qt::TextFormat textFormat = Qt::AutoText;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    Buttons buttons;
};

// Waits for the modal message box, notes what it shows, then presses `key` on it. After about
// five seconds it closes whatever else is modal, so a wrong kind of window cannot hang the test.
void pressWhenShown(Qt::Key key, SeenBox *seen, int triesLeft = 500)
{
    QTimer::singleShot(10, qApp, [=] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box) {
            if (triesLeft > 0)
                pressWhenShown(key, seen, triesLeft - 1);
            else if (QWidget *other = QApplication::activeModalWidget())
                other->close();
            return;
        }
        seen->found = true;
        seen->title = box->windowTitle();
        seen->text = box->text();
        seen->textFormat = box->textFormat();
        seen->icon = box->icon();
        seen->buttons = box->standardButtons();
        QTest::keyClick(box, key);
    });
}

} // namespace

class TestMessageBoxes : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void style_data();
    void style();
    void shownBox_data();
    void shownBox();

private:
    QString m_savedName;
};

void TestMessageBoxes::initTestCase()
{
    m_savedName = QCoreApplication::applicationName();
}

void TestMessageBoxes::cleanupTestCase()
{
    QCoreApplication::setApplicationName(m_savedName);
}

void TestMessageBoxes::style_data()
{
    QTest::addColumn<int>("style");
    QTest::addColumn<Buttons>("buttons");
    QTest::addColumn<QMessageBox::StandardButton>("defaultButton");
    QTest::addColumn<QMessageBox::StandardButton>("escapeButton");
    QTest::addColumn<QMessageBox::Icon>("icon");

    const Buttons ok = QMessageBox::Ok;
    const Buttons okCancel = QMessageBox::Ok | QMessageBox::Cancel;
    const Buttons yesNo = QMessageBox::Yes | QMessageBox::No;
    auto row = [](const char *name, int style, Buttons buttons, QMessageBox::StandardButton def,
                   QMessageBox::StandardButton esc, QMessageBox::Icon icon) {
        QTest::newRow(name) << style << buttons << def << esc << icon;
    };
    row("0: OK", 0, ok, QMessageBox::Ok, QMessageBox::Ok, QMessageBox::NoIcon);
    row("1: OK and Cancel", 1, okCancel, QMessageBox::Ok, QMessageBox::Cancel, QMessageBox::NoIcon);
    row("4: Yes and No", 4, yesNo, QMessageBox::Yes, QMessageBox::No, QMessageBox::NoIcon);
    row("16: stop", 16, ok, QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Critical);
    row("32: question", 32, ok, QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Question);
    row("48: exclamation", 48, ok, QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Warning);
    row("64: information", 64, ok, QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Information);
    row("257: OK and Cancel, Cancel default", 257, okCancel, QMessageBox::Cancel,
        QMessageBox::Cancel, QMessageBox::NoIcon);
    row("272: stop, single OK stays default", 272, ok, QMessageBox::Ok, QMessageBox::Ok,
        QMessageBox::Critical);
    row("276: Yes and No, stop, No default", 276, yesNo, QMessageBox::No, QMessageBox::No,
        QMessageBox::Critical);
    row("260: Yes and No, No default", 260, yesNo, QMessageBox::No, QMessageBox::No,
        QMessageBox::NoIcon);
    row("36: Yes and No, question", 36, yesNo, QMessageBox::Yes, QMessageBox::No,
        QMessageBox::Question);
    row("49: OK and Cancel, exclamation", 49, okCancel, QMessageBox::Ok, QMessageBox::Cancel,
        QMessageBox::Warning);
    row("305: OK and Cancel, exclamation, Cancel default", 305, okCancel, QMessageBox::Cancel,
        QMessageBox::Cancel, QMessageBox::Warning);
    row("512: third default on one button", 512, ok, QMessageBox::Ok, QMessageBox::Ok,
        QMessageBox::NoIcon);
    row("3: unused set shows OK", 3, ok, QMessageBox::Ok, QMessageBox::Ok, QMessageBox::NoIcon);
}

void TestMessageBoxes::style()
{
    QFETCH(int, style);
    QFETCH(Buttons, buttons);
    QFETCH(QMessageBox::StandardButton, defaultButton);
    QFETCH(QMessageBox::StandardButton, escapeButton);
    QFETCH(QMessageBox::Icon, icon);

    const BoxStyle look = boxStyle(style);
    QCOMPARE(look.buttons, buttons);
    QCOMPARE(look.defaultButton, defaultButton);
    QCOMPARE(look.escapeButton, escapeButton);
    QCOMPARE(look.icon, icon);
}

void TestMessageBoxes::shownBox_data()
{
    QTest::addColumn<int>("style");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("shownTitle");
    QTest::addColumn<QMessageBox::Icon>("icon");

    const QString help = QStringLiteral("Help");
    QTest::newRow("257 Enter gives Cancel")
        << 257 << QString() << int(Qt::Key_Return) << int(MessageBoxes::Cancel) << help
        << QMessageBox::NoIcon;
    QTest::newRow("276 Enter gives No") << 276 << QString() << int(Qt::Key_Return)
                                        << int(MessageBoxes::No) << help << QMessageBox::Critical;
    QTest::newRow("4 Enter gives Yes") << 4 << QString() << int(Qt::Key_Return)
                                       << int(MessageBoxes::Yes) << help << QMessageBox::NoIcon;
    QTest::newRow("1 Enter gives Ok") << 1 << QString() << int(Qt::Key_Return)
                                      << int(MessageBoxes::Ok) << help << QMessageBox::NoIcon;
    QTest::newRow("0 Enter gives Ok") << 0 << QString() << int(Qt::Key_Return)
                                      << int(MessageBoxes::Ok) << help << QMessageBox::NoIcon;
    QTest::newRow("272 Enter gives Ok") << 272 << QString() << int(Qt::Key_Return)
                                        << int(MessageBoxes::Ok) << help << QMessageBox::Critical;
    QTest::newRow("1 Escape gives Cancel")
        << 1 << QString() << int(Qt::Key_Escape) << int(MessageBoxes::Cancel) << help
        << QMessageBox::NoIcon;
    QTest::newRow("4 Escape gives No") << 4 << QString() << int(Qt::Key_Escape)
                                       << int(MessageBoxes::No) << help << QMessageBox::NoIcon;
    QTest::newRow("0 Escape gives Ok") << 0 << QString() << int(Qt::Key_Escape)
                                       << int(MessageBoxes::Ok) << help << QMessageBox::NoIcon;
    QTest::newRow("own title kept")
        << 48 << QStringLiteral("Remove Topic") << int(Qt::Key_Return) << int(MessageBoxes::Ok)
        << QStringLiteral("Remove Topic") << QMessageBox::Warning;
}

void TestMessageBoxes::shownBox()
{
    QFETCH(int, style);
    QFETCH(QString, title);
    QFETCH(int, key);
    QFETCH(int, answer);
    QFETCH(QString, shownTitle);
    QFETCH(QMessageBox::Icon, icon);

    QCoreApplication::setApplicationName(QStringLiteral("Help"));
    // A '<' would switch an automatic text format to rich text and lose the tags.
    const QString text = QStringLiteral("Data has NOT been Saved. <b>1 < 2</b>");
    SeenBox seen;
    pressWhenShown(static_cast<Qt::Key>(key), &seen);
    QtMessageBoxes boxes;
    const int pressed = boxes.show(nullptr, text, style, title);

    QVERIFY(seen.found);
    QCOMPARE(pressed, answer);
    QCOMPARE(seen.title, shownTitle);
    QCOMPARE(seen.text, text);
    QCOMPARE(seen.textFormat, Qt::PlainText);
    QCOMPARE(seen.icon, icon);
    QCOMPARE(seen.buttons, boxStyle(style).buttons);
}

QTEST_MAIN(TestMessageBoxes)
#include "tst_message_boxes.moc"
