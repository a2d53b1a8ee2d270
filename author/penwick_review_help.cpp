// Review (the reader on the current document), the Help menu (the built-in help and the
// introductory page) and the About box.
#include "author/penwick.h"

#include "author/about_frm.h"
#include "author/launcher.h"
#include "reader/reader_window.h"
#include "storage/hand_over.h"
#include "ui/data_files.h"
#include "ui/message_boxes.h"
#include "ui/reader_channel.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

const QString kReaderProgram = QStringLiteral("leafwick");
const QString kGetStartedPage = QStringLiteral("GetStarted.html");
// How long Review waits for a running reader to take the document.
constexpr int kReaderAnswerMs = 3000;

// The reader installed beside this program, else the one the search path finds.
QString readerProgram()
{
    const QString beside =
        QCoreApplication::applicationDirPath() + QLatin1Char('/') + kReaderProgram;
    if (QFileInfo(beside).isExecutable())
        return beside;
    return QStandardPaths::findExecutable(kReaderProgram);
}

} // namespace

void Penwick::ReviewCmd_Click()
{
    viewMnu_Click();
}

void Penwick::ReviewMnu_Click()
{
    viewMnu_Click();
}

void Penwick::viewMnu_Click()
{
    // A reader that already shows the document reads it afresh and comes to the front, instead
    // of one more reader starting at each Review.
    const QString canonical = QFileInfo(CurrentHelpFileName).canonicalFilePath();
    if (!canonical.isEmpty()) {
        ReaderRequest request;
        request.document = canonical;
        request.reload = true;
        if (readerchannel::deliver(request, canonical, kReaderAnswerMs).delivery
            == readerchannel::Delivery::Taken)
            return;
    }
    // Without the hand-over file the reader would open some other document, so nothing starts
    // when it cannot be written.
    const storage::Status written = storage::writeHandOver(documentPath());
    if (!written.ok()) {
        reportFailure(QStringLiteral("The reader was not started: the file %1 that tells it "
                                     "which document to show could not be written.")
                          .arg(QString::fromLatin1(storage::kHandOverName)),
            written.message());
        return;
    }
    const QString program = readerProgram();
    QString error = QStringLiteral("it is neither beside Penwick nor on the search path");
    if (!program.isEmpty() && m_launcher->startDetached(program, {}, QDir::currentPath(), error))
        return;
    m_boxes.show(this,
        QStringLiteral("The reader %1 could not be started: %2.").arg(kReaderProgram, error),
        MessageBoxes::StopIcon, {});
}

void Penwick::mnuHelp_Click()
{
    if (m_VieHelpFrm) {
        m_VieHelpFrm->raise();
        m_VieHelpFrm->activateWindow();
        return;
    }
    // No owner: it lives beside this window, not above it, and closing it unloads it.
    auto *window = new ReaderWindow(ReaderKind::BuiltInHelp, m_boxes);
    window->setAttribute(Qt::WA_DeleteOnClose);
    m_VieHelpFrm = window;
    window->show();
}

void Penwick::mnuGetStarted_Click()
{
    const QString page = datafiles::locate(kGetStartedPage);
    if (page.isEmpty()) {
        m_boxes.show(this,
            QStringLiteral("The introductory page %1 was found neither in this folder nor in "
                           "%2.")
                .arg(kGetStartedPage, QDir::toNativeSeparators(datafiles::dataFolder())),
            MessageBoxes::StopIcon, {});
        return;
    }
    QString error;
    if (m_launcher->openPage(QUrl::fromLocalFile(QFileInfo(page).absoluteFilePath()), error))
        return;
    m_boxes.show(this,
        QStringLiteral("The introductory page %1 could not be opened: %2.").arg(page, error),
        MessageBoxes::StopIcon, {});
}

void Penwick::AboutMnu_Click()
{
    AboutFrm box(this);
    box.exec();
}
