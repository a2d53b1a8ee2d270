#include "author/get_help_files.h"

#include "author/penwick.h"
#include "storage/document.h"
#include "storage/status.h"
#include "ui/click_list.h"
#include "ui/error_words.h"
#include "ui/folder_listing.h"
#include "ui/message_boxes.h"
#include "ui/window_units.h"

#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <memory>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using windowunits::twips;
const auto button = windowunits::commandButton;
using windowunits::verdana;

constexpr std::string_view kSuffix = ".scv";

struct Listing
{
    QStringList names;
    storage::Status status;
};

// The help documents of the working folder, unsorted. A name that does not survive decoding
// and encoding again is left out: opening or deleting it would reach another file.
Listing listHelpFiles()
{
    Listing listing;
    const folderlisting::NameListing found =
        folderlisting::namesEndingWith(".", std::string(kSuffix));
    if (found.error != 0)
        listing.status = storage::Status::fromErrno(found.error, "cannot list the working folder");
    for (const std::string &bytes : found.names) {
        const QByteArray encoded = QByteArray::fromStdString(bytes);
        const QString name = QFile::decodeName(encoded);
        if (QFile::encodeName(name) == encoded)
            listing.names.append(name);
    }
    return listing;
}

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// Natural order: letters without regard to case, runs of ASCII digits by value; ties by code
// point, so that the order is total and the same on every run. Other scripts' digits count as
// letters: mixing them into the runs would make the order inconsistent.
bool naturalLess(const QString &a, const QString &b)
{
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (isAsciiDigit(a[i]) && isAsciiDigit(b[j])) {
            const qsizetype startA = i;
            const qsizetype startB = j;
            while (i < a.size() && isAsciiDigit(a[i]))
                ++i;
            while (j < b.size() && isAsciiDigit(b[j]))
                ++j;
            // Leading zeros do not change a value.
            QStringView runA = QStringView(a).sliced(startA, i - startA);
            QStringView runB = QStringView(b).sliced(startB, j - startB);
            while (runA.size() > 1 && runA.front() == QLatin1Char('0'))
                runA = runA.sliced(1);
            while (runB.size() > 1 && runB.front() == QLatin1Char('0'))
                runB = runB.sliced(1);
            if (runA.size() != runB.size())
                return runA.size() < runB.size();
            if (const int order = runA.compare(runB); order != 0)
                return order < 0;
            continue;
        }
        const char32_t x = a[i].toCaseFolded().unicode();
        const char32_t y = b[j].toCaseFolded().unicode();
        if (x != y)
            return x < y;
        ++i;
        ++j;
    }
    if (i < a.size() || j < b.size())
        return i >= a.size() && j < b.size();
    return a < b;
}

// Why a deletion failed, in the author's words.
QString deletionReason(const storage::Status &status)
{
    if (status.sysError() == 0)
        return QString::fromStdString(status.message());
    return plainReason(status.sysError(), FileAction::Deleting);
}

} // namespace

GetHelpFiles::GetHelpFiles(Penwick &owner)
    : QDialog(&owner)
    , m_owner(owner)
{
    setupLayout();
    Form_Load();
}

QString GetHelpFiles::noFileChosen()
{
    return QStringLiteral("(no help file chosen)");
}

void GetHelpFiles::setupLayout()
{
    setObjectName(QStringLiteral("GetHelpFiles"));
    setWindowTitle(QStringLiteral("Help Files"));
    setFont(verdana(8.25));
    // Client area 5370 by 1935 twips.
    setFixedSize(twips(0, 0, 5370, 1935).size());

    FilFiles = new ClickList(this);
    FilFiles->setObjectName(QStringLiteral("FilFiles"));
    FilFiles->setGeometry(twips(480, 240, 3135, 1065));
    FilFiles->setSelectionMode(QAbstractItemView::SingleSelection);
    FilFiles->setAccessibleName(QStringLiteral("Help Files"));
    connect(FilFiles, &ClickList::listClicked, this, &GetHelpFiles::FilFiles_Click);

    Open = button(this, "Open", QStringLiteral("Open"), twips(3960, 360, 1095, 375));
    Open->setFont(verdana(9));
    ExitCmd = button(this, "ExitCmd", QStringLiteral("Exit"), twips(3960, 840, 1095, 255));
    DeleteCmd = button(this, "DeleteCmd", QStringLiteral("Delete"), twips(3960, 1200, 1095, 255));
    connect(Open, &QPushButton::clicked, this, &GetHelpFiles::Open_Click);
    connect(ExitCmd, &QPushButton::clicked, this, &GetHelpFiles::ExitCmd_Click);
    connect(DeleteCmd, &QPushButton::clicked, this, &GetHelpFiles::DeleteCmd_Click);

    // Carries the chosen name; never shown.
    TextFileName = new QLineEdit(noFileChosen(), this);
    TextFileName->setObjectName(QStringLiteral("TextFileName"));
    TextFileName->setGeometry(twips(480, 1560, 3015, 375));
    TextFileName->setReadOnly(true);
    TextFileName->setFocusPolicy(Qt::NoFocus);
    TextFileName->setVisible(false);

    FilFiles->setFocus();
}

void GetHelpFiles::Form_Load()
{
    Listing listing = listHelpFiles();
    std::sort(listing.names.begin(), listing.names.end(), naturalLess);
    FilFiles->clearLines();
    FilFiles->appendLines(listing.names);
    if (!listing.status.ok()) {
        m_owner.messageBoxes().show(this,
            QStringLiteral("The help files of this folder could not all be listed: %1.")
                .arg(QString::fromLocal8Bit(std::strerror(listing.status.sysError()))),
            MessageBoxes::StopIcon, {});
    }
}

void GetHelpFiles::FilFiles_Click()
{
    const QListWidgetItem *item = FilFiles->currentItem();
    if (!item)
        return;
    TextFileName->setText(item->text());
    m_fileChosen = true;
}

bool GetHelpFiles::checkFileChosen()
{
    if (m_fileChosen)
        return true;
    m_owner.messageBoxes().show(this,
        QStringLiteral("No help file is chosen. Click a file in the list first."),
        MessageBoxes::WarningIcon, {});
    return false;
}

void GetHelpFiles::Open_Click()
{
    if (!checkFileChosen())
        return;
    m_owner.CurrentHelpFileName = TextFileName->text();
    m_owner.Initialize();
    accept();
}

void GetHelpFiles::DeleteCmd_Click()
{
    if (!checkFileChosen())
        return;
    const QString name = TextFileName->text();
    const int answer =
        m_owner.messageBoxes().show(this, QStringLiteral("Delete ") + name + QStringLiteral("?"),
            MessageBoxes::YesNo + MessageBoxes::StopIcon + MessageBoxes::SecondDefault, {});
    if (answer == MessageBoxes::Yes) {
        if (const storage::Status status =
                storage::removeDocument(QFile::encodeName(name).toStdString());
            !status.ok()) {
            m_owner.messageBoxes().show(this,
                QStringLiteral("\"%1\" could not be deleted: %2.")
                    .arg(name, deletionReason(status)),
                MessageBoxes::StopIcon, {});
        }
    }
    Form_Load();
}

void GetHelpFiles::ExitCmd_Click()
{
    reject();
}

void GetHelpFiles::keyPressEvent(QKeyEvent *event)
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
