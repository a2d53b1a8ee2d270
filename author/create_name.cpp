#include "author/create_name.h"

#include "author/penwick.h"
#include "storage/document.h"
#include "ui/error_words.h"
#include "ui/message_boxes.h"
#include "ui/window_units.h"

#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <cerrno>
#include <cstring>
#include <limits>

namespace {

using windowunits::twips;
const auto button = windowunits::commandButton;
using windowunits::verdana;

} // namespace

CreateName::CreateName(Penwick &owner)
    // No parent: the dialog is a window of its own beside the author window, and the program
    // runs on while it is open, even after the author window was closed.
    : QDialog(nullptr)
    , m_owner(owner)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setupLayout();
}

void CreateName::setupLayout()
{
    setObjectName(QStringLiteral("CreateName"));
    setWindowTitle(QStringLiteral("Create 'Help' file"));
    setFont(verdana(8.25));
    // Client area 3570 by 2625 twips.
    setFixedSize(twips(0, 0, 3570, 2625).size());

    Label1 = new QLabel(
        QStringLiteral("Name of the Program for which 'Help' file is to be created."), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(twips(360, 360, 2775, 495));
    Label1->setWordWrap(true);

    HelpFileName = new QLineEdit(this);
    HelpFileName->setObjectName(QStringLiteral("HelpFileName"));
    HelpFileName->setGeometry(twips(360, 1200, 2895, 405));
    HelpFileName->setAccessibleName(QStringLiteral("Program Name"));
    // A file name has no length limit of its own; the file system judges it.
    HelpFileName->setMaxLength(std::numeric_limits<int>::max());

    Save = button(this, "Save", QStringLiteral("Save"), twips(2280, 1800, 975, 255));
    Exit = button(this, "Exit", QStringLiteral("Exit"), twips(2280, 2160, 975, 255));
    connect(Save, &QPushButton::clicked, this, &CreateName::Save_Click);
    connect(Exit, &QPushButton::clicked, this, &CreateName::Exit_Click);

    HelpFileName->setFocus();
}

void CreateName::Save_Click()
{
    const QString fileName = HelpFileName->text() + QStringLiteral(".scv");
    // The file system would end the name at a NUL and create a file the author did not name.
    if (fileName.contains(QChar(0))) {
        refuse(fileName, QStringLiteral("a file name cannot hold the NUL character"));
        return;
    }
    const QByteArray encoded = QFile::encodeName(fileName);
    if (QFile::decodeName(encoded) != fileName) {
        refuse(fileName, QStringLiteral("it holds a character that a file name cannot hold"));
        return;
    }
    // Opening a pipe or device to create it could block or touch something that is no
    // document; only a missing name or an ordinary file goes on.
    const QFileInfo existing(fileName);
    if (existing.exists() && !existing.isFile()) {
        refuse(fileName,
            existing.isDir() ? plainReason(EISDIR, FileAction::Creating)
                             : QStringLiteral("something that is not a file has that name"));
        return;
    }
    const storage::Status status = storage::createEmptyDocument(encoded.toStdString());
    if (!status.ok()) {
        refuse(fileName,
            status.sysError() != 0 ? plainReason(status.sysError(), FileAction::Creating)
                                   : QString::fromStdString(status.message()));
        return;
    }
    m_owner.useCreatedDocument(fileName);
}

void CreateName::Exit_Click()
{
    close();
}

void CreateName::refuse(const QString &fileName, const QString &reason)
{
    QString shownName = fileName;
    shownName.replace(QChar(0), QChar(0x2400)); // the symbol for NUL
    m_owner.messageBoxes().show(this,
        QStringLiteral("The help file \"%1\" could not be created: %2.").arg(shownName, reason),
        MessageBoxes::WarningIcon, {});
}

void CreateName::keyPressEvent(QKeyEvent *event)
{
    // Escape would close the dialog and Enter press a default button; here they do nothing.
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}
