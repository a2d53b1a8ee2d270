#include "author/about_frm.h"

#include "scrivane_version.h"
#include "ui/program_icon.h"
#include "ui/window_units.h"

#include <QCoreApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScreen>

namespace {

using windowunits::twips;
using windowunits::verdana;

QLabel *label(QWidget *parent, const char *name, qreal pointSize, const QRect &geometry)
{
    auto *caption = new QLabel(parent);
    caption->setObjectName(QLatin1String(name));
    caption->setFont(verdana(pointSize));
    caption->setGeometry(geometry);
    return caption;
}

const QString kDescription =
    QStringLiteral("'Scrivane' is a Next Generation program for producing 'Windows Help' files.");

} // namespace

AboutFrm::Version AboutFrm::programVersion()
{
    return {SCRIVANE_VERSION_MAJOR, SCRIVANE_VERSION_MINOR, SCRIVANE_VERSION_PATCH};
}

QString AboutFrm::versionLine(Version version)
{
    return QStringLiteral("Version ") + QString::number(version.major) + QLatin1Char('.')
        + QString::number(version.minor) + QString::number(version.revision);
}

AboutFrm::AboutFrm(QWidget *parent, Version version)
    : QDialog(parent)
    , m_version(version)
{
    setupLayout();
    Form_Load();
}

void AboutFrm::setupLayout()
{
    setObjectName(QStringLiteral("AboutFrm"));
    setModal(true);
    setFont(verdana(8.25));
    // Client area 6600 by 4650 twips.
    setFixedSize(twips(0, 0, 6600, 4650).size());

    Picture1 = label(this, "Picture1", 8.25, twips(240, 240, 480, 480));
    Picture1->setAccessibleName(QStringLiteral("Penwick icon"));
    lblTitle = label(this, "lblTitle", 18, twips(960, 165, 5400, 570));
    lblVersion = label(this, "lblVersion", 8.25, twips(960, 780, 5400, 270));
    lblContact1 = label(this, "lblContact1", 8.25, twips(960, 1080, 5400, 270));
    lblContact2 = label(this, "lblContact2", 8.25, twips(960, 1380, 5400, 270));

    Frame1 = new QFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setFrameShape(QFrame::Box);
    Frame1->setGeometry(twips(240, 1830, 6120, 1290));
    Text1 = new QPlainTextEdit(Frame1);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setFont(verdana(11.25));
    Text1->setGeometry(twips(120, 120, 5880, 1050));
    Text1->setReadOnly(true);
    // Read-only, yet reachable from the keyboard, so that a screen reader can read it out.
    Text1->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    Text1->setFocusPolicy(Qt::StrongFocus);
    Text1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Text1->setAccessibleName(QStringLiteral("About Scrivane"));

    lblClosing1 = label(this, "lblClosing1", 8.25, twips(240, 3240, 6120, 570));
    lblClosing1->setWordWrap(true);
    lblClosing2 = label(this, "lblClosing2", 8.25, twips(240, 3900, 6120, 570));
    lblClosing2->setWordWrap(true);

    Text1->setFocus();
    centre();
}

void AboutFrm::centre()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}

void AboutFrm::Form_Load()
{
    setWindowTitle(QStringLiteral("About ") + QCoreApplication::applicationName());
    Picture1->setPixmap(programPixmap(QStringLiteral("penwick"), 32));
    lblTitle->setText(QStringLiteral("Scrivane"));
    lblVersion->setText(versionLine(m_version));
    lblContact1->setText(QStringLiteral("The Scrivane project"));
    lblContact2->setText(QStringLiteral("Questions and reports: the project's issue tracker"));
    Text1->setPlainText(kDescription);
    Text1->setAccessibleDescription(kDescription);
    lblClosing1->setText(QStringLiteral(
        "Penwick writes help documents and Leafwick reads them. Both work on the files of the "
        "folder they were started in."));
    lblClosing2->setText(QStringLiteral(
        "See README.md for building, installing and the command-line companion scvtool."));
}
