// File > Export as Web Site and Export as PDF: the current document, as last saved, published
// with the publishing library, behind a progress dialog that can cancel, then a message that
// says what was written and offers to open it.
#include "author/penwick.h"

#include "author/file_chooser.h"
#include "author/launcher.h"
#include "publish/page_names.h"
#include "publish/pdf_export.h"
#include "publish/site_export.h"
#include "ui/message_boxes.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QProgressDialog>
#include <QUrl>

#include <algorithm>
#include <climits>

namespace {

// How long an export runs before its progress shows: a short one never flashes a dialog.
constexpr int kProgressDelayMs = 400;

// The progress dialog, and the warnings an export gives on its way.
class ExportProgress final : public publish::ExportObserver
{
public:
    ExportProgress(QWidget *parent, const QString &label)
        : m_dialog(label, QStringLiteral("Cancel"), 0, 1, parent)
    {
        m_dialog.setObjectName(QStringLiteral("ExportProgress"));
        m_dialog.setWindowTitle(QStringLiteral("Export"));
        m_dialog.setWindowModality(Qt::WindowModal);
        m_dialog.setMinimumDuration(kProgressDelayMs);
        m_dialog.setAutoReset(false);
        m_dialog.setAutoClose(false);
    }

    bool progress(std::uint64_t done, std::uint64_t total) override
    {
        // The dialog counts in int; a step is a topic, far fewer than that.
        m_dialog.setMaximum(int(std::min<std::uint64_t>(total, INT_MAX)));
        m_dialog.setValue(int(std::min<std::uint64_t>(done, INT_MAX)));
        QCoreApplication::processEvents();
        return !m_dialog.wasCanceled();
    }

    void warning(const QString &message) override { warnings << message; }

    QStringList warnings;

private:
    QProgressDialog m_dialog;
};

// What the message after an export adds about links to missing topics.
QString warningsNote(const QStringList &warnings, const QString &document)
{
    if (warnings.isEmpty())
        return {};
    return QStringLiteral("\n\n%1 to a topic that the document does not have became plain text; "
                          "scvtool links %2 lists them.")
        .arg(warnings.size() == 1 ? QStringLiteral("One link leads")
                                  : QStringLiteral("%1 links lead").arg(warnings.size()),
            document);
}

} // namespace

FileChooser &Penwick::fileChooser()
{
    static DialogFileChooser dialogs;
    return m_fileChooser ? *m_fileChooser : dialogs;
}

bool Penwick::checkExportable()
{
    // The saved document is published, as Review shows it: entries not saved are not in it.
    if (QFileInfo(CurrentHelpFileName).isFile())
        return true;
    m_boxes.show(this,
        QStringLiteral("The document %1 is not there to export. Save a topic first, or open "
                       "another document.")
            .arg(CurrentHelpFileName),
        MessageBoxes::WarningIcon, {});
    return false;
}

void Penwick::reportExport(const publish::ExportResult &result, const QStringList &warnings,
    const QString &written, const QUrl &page)
{
    switch (result.outcome) {
    case publish::ExportOutcome::Cancelled:
        return; // the author knows; nothing was written
    case publish::ExportOutcome::Damaged:
    case publish::ExportOutcome::Failed:
        m_boxes.show(this, QStringLiteral("Nothing was exported: %1.").arg(result.message),
            MessageBoxes::StopIcon, {});
        return;
    case publish::ExportOutcome::Refused:
        m_boxes.show(this, QStringLiteral("Nothing was exported: %1.").arg(result.message),
            MessageBoxes::WarningIcon, {});
        return;
    case publish::ExportOutcome::Written:
        break;
    }
    const QString note = warningsNote(warnings, QFileInfo(CurrentHelpFileName).fileName());
    const int answer = m_boxes.show(this, QStringLiteral("%1%2\n\nOpen it now?").arg(written, note),
        MessageBoxes::YesNo + MessageBoxes::InformationIcon, {});
    if (answer != MessageBoxes::Yes)
        return;
    QString error;
    if (!m_launcher->openPage(page, error))
        m_boxes.show(this,
            QStringLiteral("%1 could not be opened: %2.")
                .arg(QDir::toNativeSeparators(page.toLocalFile()), error),
            MessageBoxes::StopIcon, {});
}

void Penwick::ExportSiteMnu_Click()
{
    if (!checkExportable())
        return;
    const QString title = publish::documentTitle(CurrentHelpFileName);
    const QString folder = fileChooser().chooseFolder(this,
        QStringLiteral("Export %1 as a web site into the folder").arg(title), QDir::currentPath());
    if (folder.isEmpty())
        return;
    ExportProgress progress(this, QStringLiteral("Writing the web site of %1...").arg(title));
    const publish::ExportResult result = publish::exportSite(documentPath(),
        QFileInfo(CurrentHelpFileName).fileName(), folder, publish::SiteOptions(), progress);
    const QString pictures = result.pictures == 0
        ? QString()
        : QStringLiteral(" and %1 %2")
              .arg(result.pictures)
              .arg(result.pictures == 1 ? QStringLiteral("picture") : QStringLiteral("pictures"));
    reportExport(result, progress.warnings,
        QStringLiteral("The web site of %1 (%2 %3%4) was written to %5.")
            .arg(title)
            .arg(result.topics)
            .arg(result.topics == 1 ? QStringLiteral("topic") : QStringLiteral("topics"), pictures,
                QDir::toNativeSeparators(folder)),
        QUrl::fromLocalFile(QDir(folder).absoluteFilePath(QStringLiteral("index.html"))));
}

void Penwick::ExportPdfMnu_Click()
{
    if (!checkExportable())
        return;
    const QString title = publish::documentTitle(CurrentHelpFileName);
    QString file = fileChooser().chooseFileToWrite(this,
        QStringLiteral("Export %1 as a PDF manual").arg(title),
        QDir::current().absoluteFilePath(title + QLatin1String(".pdf")),
        QStringLiteral("PDF manuals (*.pdf)"));
    if (file.isEmpty())
        return;
    if (QFileInfo(file).suffix().isEmpty())
        file += QLatin1String(".pdf");
    publish::PdfOptions options;
    // Letter where the system measures in inches, A4 elsewhere.
    if (QLocale::system().measurementSystem() == QLocale::ImperialUSSystem)
        options.pageSize = QPageSize::Letter;
    ExportProgress progress(this, QStringLiteral("Writing the PDF manual of %1...").arg(title));
    const publish::ExportResult result = publish::exportPdf(
        documentPath(), QFileInfo(CurrentHelpFileName).fileName(), file, options, progress);
    reportExport(result, progress.warnings,
        QStringLiteral("The PDF manual of %1 (%2 %3 on %4 %5) was written to %6.")
            .arg(title)
            .arg(result.topics)
            .arg(result.topics == 1 ? QStringLiteral("topic") : QStringLiteral("topics"))
            .arg(result.pages)
            .arg(result.pages == 1 ? QStringLiteral("page") : QStringLiteral("pages"),
                QDir::toNativeSeparators(file)),
        QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath()));
}
