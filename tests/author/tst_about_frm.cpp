#include "author/about_frm.h"
#include "tests/support/working_folder.h"
#include "ui/program_icon.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QCoreApplication>
#include <QDir>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <optional>

namespace {

const QString kDescription =
    QStringLiteral("'Scrivane' is a Next Generation program for producing 'Windows Help' files.");

QWidget *control(AboutFrm &about, const QString &name)
{
    return about.findChild<QWidget *>(name);
}

QString accessibleName(QWidget *widget)
{
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(widget);
    return accessible ? accessible->text(QAccessible::Name) : QStringLiteral("<none>");
}

} // namespace

class TestAboutFrm : public QObject
{
    Q_OBJECT

private:
    std::optional<testsupport::WorkingFolder> m_dir;

private Q_SLOTS:
    void init()
    {
        m_dir.emplace();
        QCoreApplication::setApplicationName(QStringLiteral("Help"));
    }
    void cleanup() { m_dir.reset(); }

    void versionLine_data()
    {
        QTest::addColumn<int>("major");
        QTest::addColumn<int>("minor");
        QTest::addColumn<int>("revision");
        QTest::addColumn<QString>("line");
        QTest::newRow("this release, revision 0 kept") << 2 << 8 << 0 << "Version 2.80";
        QTest::newRow("two-digit minor, revision run on") << 3 << 12 << 4 << "Version 3.124";
        QTest::newRow("two-digit major") << 12 << 3 << 1 << "Version 12.31";
        QTest::newRow("all zeros") << 0 << 0 << 0 << "Version 0.00";
        QTest::newRow("zero minor, no leading zero added") << 1 << 0 << 5 << "Version 1.05";
        QTest::newRow("two-digit revision") << 4 << 1 << 10 << "Version 4.110";
    }
    void versionLine()
    {
        QFETCH(int, major);
        QFETCH(int, minor);
        QFETCH(int, revision);
        QFETCH(QString, line);
        QCOMPARE(AboutFrm::versionLine({major, minor, revision}), line);
        AboutFrm about(nullptr, {major, minor, revision});
        QCOMPARE(about.lblVersion->text(), line);
    }

    // The default version is the one CMake's project() states, through the generated header.
    void defaultVersionIsTheProjects()
    {
        const QStringList parts = QStringLiteral(PROJECT_VERSION_TEXT).split(u'.');
        QCOMPARE(parts.size(), 3);
        AboutFrm about;
        QCOMPARE(about.lblVersion->text(),
            QStringLiteral("Version ") + parts[0] + u'.' + parts[1] + parts[2]);
    }

    void caption_data()
    {
        QTest::addColumn<QString>("applicationName");
        QTest::addColumn<QString>("caption");
        QTest::newRow("Penwick's title") << "Help"
                                         << "About Help";
        QTest::newRow("another title") << "Leafwick"
                                       << "About Leafwick";
    }
    void caption()
    {
        QFETCH(QString, applicationName);
        QFETCH(QString, caption);
        QCoreApplication::setApplicationName(applicationName);
        AboutFrm about;
        QCOMPARE(about.windowTitle(), caption);
    }

    void modalFixedAndCentred()
    {
        AboutFrm about;
        QVERIFY(about.isModal());
        QCOMPARE(about.minimumSize(), about.maximumSize());
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        const QPoint screenCentre = about.screen()->availableGeometry().center();
        const QPoint centre = about.frameGeometry().center();
        QVERIFY2((centre - screenCentre).manhattanLength() <= 4,
            qPrintable(QStringLiteral("centre %1,%2 on a screen centred at %3,%4")
                           .arg(centre.x())
                           .arg(centre.y())
                           .arg(screenCentre.x())
                           .arg(screenCentre.y())));
    }

    void texts_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::newRow("title") << "lblTitle"
                               << "Scrivane";
        QTest::newRow("version") << "lblVersion"
                                 << "Version 2.80";
        QTest::newRow("contact: the project") << "lblContact1"
                                              << "The Scrivane project";
        QTest::newRow("contact: the tracker")
            << "lblContact2"
            << "Questions and reports: the project's issue tracker";
        QTest::newRow("description") << "Text1" << kDescription;
    }
    void texts()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        AboutFrm about(nullptr, {2, 8, 0});
        QWidget *widget = control(about, name);
        QVERIFY(widget);
        if (auto *edit = qobject_cast<QPlainTextEdit *>(widget))
            QCOMPARE(edit->toPlainText(), text);
        else
            QCOMPARE(qobject_cast<QLabel *>(widget)->text(), text);
    }

    // From the top: icon and title on one line, then version, contacts, frame, closing lines.
    void topToBottom()
    {
        AboutFrm about;
        QCOMPARE(about.Picture1->pos(), QPoint(16, 16));
        QVERIFY(about.lblTitle->x() > about.Picture1->geometry().right());
        QVERIFY(about.lblTitle->y() < about.Picture1->geometry().bottom());
        QVERIFY(about.lblTitle->geometry().bottom() > about.Picture1->y());
        const QWidget *order[] = {about.lblTitle, about.lblVersion, about.lblContact1,
            about.lblContact2, about.Frame1, about.lblClosing1, about.lblClosing2};
        for (std::size_t i = 1; i < std::size(order); ++i)
            QVERIFY2(order[i]->y() > order[i - 1]->geometry().bottom(),
                qPrintable(order[i]->objectName()));
        QCOMPARE(about.Text1->parentWidget(), about.Frame1);
        QVERIFY(about.Frame1->frameShape() != QFrame::NoFrame);
        // Closing lines span the frame's width.
        QCOMPARE(about.lblClosing1->width(), about.Frame1->width());
        QCOMPARE(about.lblClosing2->width(), about.Frame1->width());
    }

    void fonts_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<qreal>("points");
        QTest::newRow("title") << "lblTitle" << 18.0;
        QTest::newRow("version") << "lblVersion" << 8.25;
        QTest::newRow("contact 1") << "lblContact1" << 8.25;
        QTest::newRow("contact 2") << "lblContact2" << 8.25;
        QTest::newRow("description") << "Text1" << 11.25;
        QTest::newRow("closing 1") << "lblClosing1" << 8.25;
        QTest::newRow("closing 2") << "lblClosing2" << 8.25;
    }
    void fonts()
    {
        QFETCH(QString, name);
        QFETCH(qreal, points);
        AboutFrm about;
        const QWidget *widget = control(about, name);
        QVERIFY(widget);
        QCOMPARE(widget->font().family(), QStringLiteral("Verdana"));
        QCOMPARE(widget->font().pointSizeF(), points);
    }

    void accessibleNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("accessible");
        QTest::newRow("icon") << "Picture1"
                              << "Penwick icon";
        QTest::newRow("title") << "lblTitle"
                               << "Scrivane";
        QTest::newRow("version") << "lblVersion"
                                 << "Version 2.80";
        QTest::newRow("contact 1") << "lblContact1"
                                   << "The Scrivane project";
        QTest::newRow("contact 2") << "lblContact2"
                                   << "Questions and reports: the project's issue tracker";
        QTest::newRow("description") << "Text1"
                                     << "About Scrivane";
        QTest::newRow("closing 1") << "lblClosing1"
                                   << "Penwick writes help documents and Leafwick reads them. "
                                      "Both work on the files of the folder they were started in.";
        QTest::newRow("closing 2")
            << "lblClosing2"
            << "See README.md for building, installing and the command-line companion scvtool.";
    }
    void accessibleNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, accessible);
        AboutFrm about(nullptr, {2, 8, 0});
        about.show();
        QCOMPARE(accessibleName(control(about, name)), accessible);
    }

    void descriptionReadOnlyButReachable()
    {
        AboutFrm about;
        QVERIFY(about.Text1->isReadOnly());
        QVERIFY(about.Text1->focusPolicy() & Qt::TabFocus);
        QVERIFY(about.Text1->textInteractionFlags() & Qt::TextSelectableByKeyboard);
        QCOMPARE(about.Text1->accessibleDescription(), kDescription);
        QTest::keyClicks(about.Text1, QStringLiteral("typed"));
        QCOMPARE(about.Text1->toPlainText(), kDescription);
    }

    // Every label holds its whole text in the font it is drawn in, and lies inside the window.
    void nothingCutOff_data()
    {
        QTest::addColumn<QString>("name");
        for (const char *name :
            {"lblTitle", "lblVersion", "lblContact1", "lblContact2", "lblClosing1", "lblClosing2"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void nothingCutOff()
    {
        QFETCH(QString, name);
        // The widest version line the numbers allow in practice.
        AboutFrm about(nullptr, {99, 99, 99});
        auto *label = about.findChild<QLabel *>(name);
        QVERIFY(label);
        const QFontMetrics metrics(label->font());
        const QRect room = label->contentsRect();
        if (label->wordWrap()) {
            const QRect needed = metrics.boundingRect(room, Qt::TextWordWrap, label->text());
            QVERIFY2(needed.height() <= room.height(),
                qPrintable(QStringLiteral("%1 of %2 pixels high")
                               .arg(needed.height())
                               .arg(room.height())));
        } else {
            const int width = metrics.horizontalAdvance(label->text());
            QVERIFY2(width <= room.width(),
                qPrintable(QStringLiteral("%1 of %2 pixels wide").arg(width).arg(room.width())));
            QVERIFY(metrics.height() <= room.height());
        }
        QVERIFY(about.rect().contains(label->geometry()));
    }

    void descriptionFitsItsBox()
    {
        AboutFrm about;
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        QCOMPARE(about.Text1->verticalScrollBar()->maximum(), 0);
        QCOMPARE(about.Text1->horizontalScrollBar()->maximum(), 0);
        QVERIFY(about.Frame1->rect().contains(about.Text1->geometry()));
        QVERIFY(about.rect().contains(about.Frame1->geometry()));
    }

    void showsProgramIcon()
    {
        AboutFrm about;
        const QPixmap shown = about.Picture1->pixmap();
        QVERIFY(!shown.isNull());
        QCOMPARE(shown.deviceIndependentSize().toSize(), QSize(32, 32));
        QCOMPARE(shown.toImage(), programPixmap(QStringLiteral("penwick"), 32).toImage());
        QVERIFY(about.rect().contains(about.Picture1->geometry()));
    }

    void noButtonsEscapeCloses()
    {
        AboutFrm about;
        QVERIFY(about.findChildren<QAbstractButton *>().isEmpty());
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        // Pressed where the focus is: in the description.
        QVERIFY(about.Text1->hasFocus());
        QTest::keyClick(about.Text1, Qt::Key_Escape);
        QVERIFY(!about.isVisible());
        QCOMPARE(about.result(), int(QDialog::Rejected));
    }
};

QTEST_MAIN(TestAboutFrm)
#include "tst_about_frm.moc"
