// Start-up and the contents list: loading a document, filling the list, choosing a topic, Exit.
#include "author/penwick.h"

#include "author/launcher.h"
#include "richtext/rich_text_box.h"
#include "storage/document.h"
#include "storage/record_lookup.h"
#include "ui/click_list.h"
#include "ui/document_text.h"
#include "ui/message_boxes.h"
#include "ui/topic_lookup.h"
#include "ui/window_memory.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

namespace {

const QString kDefaultDocument = QStringLiteral("Help.scv");
const QString kLegacyDocument = QStringLiteral("Help.ini");

} // namespace

Penwick::Penwick(MessageBoxes &boxes, QWidget *parent, const QString &document)
    : QMainWindow(parent)
    , m_boxes(boxes)
    , m_systemLauncher(std::make_unique<SystemLauncher>())
{
    m_launcher = m_systemLauncher.get();
    setupLayout();
    // A document given at start is current from the first load, so "Help.scv" is neither
    // made nor loaded; the hint follows its topics, as after File > Open.
    CurrentHelpFileName = document;
    Form_Load();
    if (!document.isEmpty())
        setGetStartedVisibility();
}

Penwick::~Penwick()
{
    // The help window and the Create dialog have no owner, so they are not deleted with this one.
    delete m_VieHelpFrm.data();
    delete m_CreateName.data();
}

void Penwick::setLauncher(Launcher *launcher)
{
    m_launcher = launcher ? launcher : m_systemLauncher.get();
}

std::string Penwick::documentPath() const
{
    return CurrentHelpFileName.toStdString();
}

bool Penwick::documentExists() const
{
    return QFileInfo::exists(CurrentHelpFileName);
}

void Penwick::Form_Load()
{
    Initialize();
    MainTopicChkResponse();
}

void Penwick::Initialize()
{
    if (!QFile::exists(kDefaultDocument) && QFile::exists(kLegacyDocument))
        QFile::rename(kLegacyDocument, kDefaultDocument);

    if (CurrentHelpFileName.isEmpty()) {
        RecordCount = 0;
        CurrentHelpFileName = kDefaultDocument;
        // An existing file keeps its content; a failure shows as an empty list.
        (void)storage::createEmptyDocument(documentPath());
        RecordCount = storage::countRecords(documentPath()).count;
        setGetStartedVisibility();
    }

    leavePreviousDocument();
    fillList1();
    setTitleLabel();
}

void Penwick::fillList1()
{
    HowManyLabels();
    clearList1();
    FillQty();
}

void Penwick::leavePreviousDocument()
{
    if (m_loadedFileName == CurrentHelpFileName)
        return;
    // A pending edit and a chosen topic belong to the document they were made on: Save, Up,
    // Down and Remove must not act on a record of another document that nobody chose.
    if (!m_loadedFileName.isEmpty())
        SelectedNumber = 0;
    if (EditFlag && !m_loadedFileName.isEmpty())
        endEditMode(QStringLiteral("Another document was opened, so the topic being edited "
                                   "will not be replaced. Your entries are kept; Save adds "
                                   "them as a new topic."));
    m_loadedFileName = CurrentHelpFileName;
}

void Penwick::setTitleLabel()
{
    const qsizetype period = CurrentHelpFileName.indexOf(QLatin1Char('.'));
    Label2->setText(QStringLiteral("Scrivane  -  ")
        + (period < 0 ? CurrentHelpFileName : CurrentHelpFileName.left(period)));
}

void Penwick::useCreatedDocument(const QString &fileName)
{
    CurrentHelpFileName = fileName;
    leavePreviousDocument();
    setTitleLabel();
    clearList1();
    m_listAwaitsCreateClosing = true;
    // The count follows the document at once, so that the count shown and the saves that
    // follow never describe the previous one.
    HowManyLabels();
    LabelsSaved->setText(QString::number(RecordCount));
}

void Penwick::HowManyLabels()
{
    RecordCount = storage::countRecords(documentPath()).count;
}

void Penwick::FillQty()
{
    Level = storage::FieldValue::number(0);
    if (RecordCount == 0) {
        LevelTxt->setText(QStringLiteral("0"));
        LabelsSaved->setText(QString::number(RecordCount));
        return;
    }
    // At most one line per record read; a damaged record ends the fill.
    storage::Contents contents = storage::readContents(documentPath());
    if (!contents.lines.empty())
        takeRecord(std::move(contents.last));
    // One insertion: the list then lays out once, not once per line.
    List1->appendLines(shownLines(contents.lines));
    storage::RecordLookup first = storage::lookUpRecord(documentPath(), 1);
    if (first.read == storage::ReadStatus::Record) {
        takeRecord(std::move(first.record));
        RichTextBox1->setTextRTF(QByteArray::fromStdString(TopicText.text()));
    }
    LabelsSaved->setText(QString::number(RecordCount));
}

void Penwick::UpdateDisplay()
{
    clearList1();
    const storage::Contents contents = storage::readContents(documentPath());
    const std::uint64_t lines = contents.lines.size();
    List1->appendLines(shownLines(contents.lines));
    LabelsSaved->setText(QString::number(RecordCount));
    const bool selectable = SelectedNumber >= 1 && SelectedNumber <= lines;
    setList1Index(selectable ? int(SelectedNumber - 1) : -1);
    if (!selectable && lines > 0) {
        // With no selection the display shows the last record, the one just added.
        readIntoRecordBuffer(lines);
        RichTextBox1->setTextRTF(QByteArray::fromStdString(TopicText.text()));
    }
}

void Penwick::MainTopicChkResponse()
{
    RichTextBox1->setVisible(true);
}

void Penwick::List1_Click()
{
    ++m_list1ClickRuns;
    RichTextBox1->setTextRTF({});
    ScanCounter = 1;
    SelectedNumber = std::uint64_t(List1->currentRow() + 1);
    if (!readIntoRecordBuffer(SelectedNumber))
        return;
    RichTextBox1->setTextRTF(QByteArray::fromStdString(TopicText.text()));
    LevelTxt->setText(shownText(Level.text()));
}

void Penwick::followTopicLink(const QString &name)
{
    QString why;
    const std::uint64_t number = topicNamed(documentPath(), name, CurrentHelpFileName, why);
    if (number == 0 || number > std::uint64_t(List1->count())) {
        m_boxes.show(this, why, MessageBoxes::WarningIcon, {});
        return;
    }
    setList1Index(int(number - 1));
    List1->scrollToItem(List1->currentItem());
}

void Penwick::setList1Index(int index)
{
    List1->setListIndex(index);
}

void Penwick::ExitCmd_Click()
{
    if (!mayLeave())
        return;
    m_leaving = true;
    close();
    QApplication::quit();
}

bool Penwick::hasUnsavedEntries() const
{
    return m_entriesChanged && (!NewTopicTxt->text().isEmpty() || !Add->document()->isEmpty());
}

bool Penwick::mayLeave()
{
    if (!hasUnsavedEntries())
        return true;
    return m_boxes.show(this,
               QStringLiteral("The topic in the boxes is not saved. Leave without saving it?"),
               MessageBoxes::YesNo + MessageBoxes::WarningIcon + MessageBoxes::SecondDefault, {})
        == MessageBoxes::Yes;
}

void Penwick::closeEvent(QCloseEvent *event)
{
    if (!m_leaving && !mayLeave()) {
        event->ignore();
        return;
    }
    rememberWindowSize(this, objectName());
    QMainWindow::closeEvent(event);
}

void Penwick::setGetStartedVisibility()
{
    GetStartedText->setVisible(RecordCount == 0);
}

void Penwick::clearList1()
{
    List1->clearLines();
}

void Penwick::endEditMode(const QString &why)
{
    EditFlag = false;
    m_editTarget = 0;
    m_boxes.show(this, why, MessageBoxes::WarningIcon, {});
}

void Penwick::reportFailure(const QString &what, const std::string &reason)
{
    m_boxes.show(this, what + QStringLiteral(" ") + QString::fromStdString(reason),
        MessageBoxes::StopIcon, {});
}
