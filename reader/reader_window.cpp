#include "reader/reader_window.h"

#include "reader/printers.h"
#include "richtext/rich_text_box.h"
#include "storage/document.h"
#include "storage/hand_over.h"
#include "storage/record_lookup.h"
#include "ui/click_list.h"
#include "ui/data_files.h"
#include "ui/document_text.h"
#include "ui/folder_listing.h"
#include "ui/message_boxes.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QPrinter>
#include <QTabWidget>
#include <QTextDocument>

namespace {

const std::string kBuiltInDocument = "Scrivane.scv";
const std::string kDocumentSuffix = ".scv";
const std::string kWorkingFolder = ".";

} // namespace

ReaderWindow::ReaderWindow(
    ReaderKind kind, MessageBoxes &boxes, QWidget *parent, const QString &document)
    : QMainWindow(parent)
    , m_kind(kind)
    , m_givenDocument(kind == ReaderKind::Leafwick ? document : QString())
    , m_boxes(boxes)
    , m_systemPrinters(std::make_unique<SystemPrinters>())
{
    m_printers = m_systemPrinters.get();
    setupLayout();
    Form_Load();
}

ReaderWindow::~ReaderWindow() = default;

void ReaderWindow::setPrinters(Printers *printers)
{
    m_printers = printers ? printers : m_systemPrinters.get();
}

void ReaderWindow::setDocument(const std::string &path)
{
    m_documentPath = path;
    ReaderHelpFileName = QFile::decodeName(QByteArray::fromStdString(path));
}

void ReaderWindow::Form_Load()
{
    SSTab1->setCurrentIndex(0);
    if (!chooseDocument())
        return;

    HowManyLabels();
    const storage::Status &count = m_countStatus;
    const bool unopenable = RecordCount == 0 && !count.ok()
        && (count.code() == storage::ErrorCode::NotFound || count.code() == storage::ErrorCode::Io);
    if (unopenable) {
        warn(QStringLiteral("The help document \"%1\" cannot be shown: %2.")
                 .arg(ReaderHelpFileName, QString::fromStdString(count.message())));
    } else {
        FillQty();
    }

    if (m_kind == ReaderKind::Leafwick)
        setWindowTitle(documentTitle());
    watchDocument();
}

QString ReaderWindow::documentTitle() const
{
    // A path a caller gave is named by its file; the part before the first full stop, and a
    // name without one is the title as it is.
    const QString name =
        m_givenDocument.isEmpty() ? ReaderHelpFileName : QFileInfo(ReaderHelpFileName).fileName();
    const qsizetype stop = name.indexOf(QLatin1Char('.'));
    return stop < 0 ? name : name.left(stop);
}

bool ReaderWindow::chooseDocument()
{
    if (m_kind == ReaderKind::BuiltInHelp) {
        // The author's own copy first, then the one installed with the program.
        const QString found = datafiles::locate(QString::fromStdString(kBuiltInDocument));
        if (found.isEmpty()) {
            warn(QStringLiteral("No Data on File"));
            return false;
        }
        setDocument(QFile::encodeName(found).toStdString());
        return true;
    }

    // A document the caller named is shown as it is; the hand-over file is left for others.
    if (!m_givenDocument.isEmpty()) {
        setDocument(QFile::encodeName(m_givenDocument).toStdString());
        return true;
    }
    if (folderlisting::hasExactName(kWorkingFolder, storage::kHandOverName))
        return takeHandOver();

    const std::string first = folderlisting::firstNameEndingWith(kWorkingFolder, kDocumentSuffix);
    if (first.empty()) {
        setWindowTitle(QStringLiteral("Leafwick"));
        warn(QStringLiteral("There is no help document to show: no document was handed over, "
                            "and this folder holds no file whose name ends in \".scv\"."));
        return false;
    }
    setDocument(first);
    return true;
}

bool ReaderWindow::takeHandOver()
{
    const storage::HandOverResult handOver = storage::readHandOver(storage::kHandOverName);
    // Consumed even when unreadable: a bad hand-over file must not block every later start.
    const storage::Status deleted = storage::deleteHandOver(storage::kHandOverName);
    const QString handOverName = QString::fromLatin1(storage::kHandOverName);
    QString problem;
    if (!handOver.status.ok())
        problem = QStringLiteral("the hand-over file %1 could not be read (%2).")
                      .arg(handOverName, QString::fromStdString(handOver.status.message()));
    else if (handOver.documentName.empty())
        problem = QStringLiteral("the hand-over file %1 names no document.").arg(handOverName);
    if (!problem.isEmpty()) {
        setWindowTitle(QStringLiteral("Leafwick"));
        warn(QStringLiteral("There is no help document to show: ") + problem);
        return false;
    }
    if (!deleted.ok())
        warn(QStringLiteral("The hand-over file %1 could not be deleted (%2); the next start "
                            "of the reader will show this document again.")
                 .arg(handOverName, QString::fromStdString(deleted.message())));
    setDocument(handOver.documentName);
    return true;
}

void ReaderWindow::HowManyLabels()
{
    const storage::CountResult counted = storage::countRecords(documentPath());
    RecordCount = counted.count;
    m_countStatus = counted.status;
}

void ReaderWindow::FillQty()
{
    if (RecordCount == 0) {
        if (m_countStatus.ok())
            warn(QStringLiteral("No Data on File"));
        else
            reportDamage(m_countStatus, 0);
        return;
    }
    const storage::Contents contents = storage::readContents(documentPath());
    // One insertion: the list then lays out once, not once per line.
    List1->appendLines(shownLines(contents.lines));
    setList1Index(0);
    const std::uint64_t listed = contents.lines.size();
    if (!contents.status.ok())
        reportDamage(contents.status, listed);
    else if (!m_countStatus.ok())
        reportDamage(m_countStatus, listed);
}

void ReaderWindow::List1_Click()
{
    ScanCounter = 0;
    setTopicFont();
    SelectedNumber = std::uint64_t(List1->currentRow() + 1);
    if (SelectedNumber == 0)
        return;
    // A file shortened since start-up: the display keeps what it showed.
    if (!readIntoRecordBuffer(SelectedNumber))
        return;
    RichTextBox1->setTextRTF(QByteArray::fromStdString(TopicText.text()));
    noteShown(SelectedNumber);
}

bool ReaderWindow::showRecord(std::uint64_t number)
{
    setTopicFont();
    if (!readIntoRecordBuffer(number))
        return false;
    RichTextBox1->setTextRTF(QByteArray::fromStdString(TopicText.text()));
    noteShown(number);
    return true;
}

void ReaderWindow::PrintMnu_Click()
{
    const std::unique_ptr<QPrinter> printer = m_printers->defaultPrinter();
    if (!printer) {
        warn(QStringLiteral("There is no printer to print on. Set up a printer, then choose "
                            "Print again."));
        return;
    }
    // The print queue and its output name the job after the document.
    printer->setDocName(windowTitle());
    // Paper shows the topic at its own sizes, whatever the zoom on screen.
    const int zoomed = m_zoom;
    setZoom(100);
    const bool printed = RichTextBox1->SelPrint(printer.get());
    setZoom(zoomed);
    if (!printed)
        warn(QStringLiteral("The topic could not be printed on the printer \"%1\".")
                 .arg(printer->printerName()));
}

void ReaderWindow::setList1Index(int index)
{
    List1->setListIndex(index);
}

void ReaderWindow::setList2Index(int index)
{
    List2->setListIndex(index);
}

void ReaderWindow::setTopicFont()
{
    // Setting the font lays the whole content out again; a large topic shown in it already
    // would pay that for nothing.
    const QFont current = RichTextBox1->document()->defaultFont();
    const qreal size = kTopicPointSize * m_zoom / 100.0;
    if (current.pointSizeF() != size || current.bold())
        RichTextBox1->setBaseFont(size, false);
}

void ReaderWindow::reportDamage(const storage::Status &status, std::uint64_t topicsBefore)
{
    warn(QStringLiteral("The help document \"%1\" is damaged and cannot be read past %2. "
                        "Only the %3 topic(s) before the damage are listed.")
             .arg(ReaderHelpFileName, QString::fromStdString(status.message()))
             .arg(topicsBefore));
}

void ReaderWindow::warn(const QString &text)
{
    m_warned = true;
    m_boxes.show(this, text, MessageBoxes::WarningIcon, {});
}
