// Edit, the level box and Save: loading a topic into the boxes and storing it again.
#include "author/penwick.h"

#include "author/sanitiser.h"
#include "richtext/rich_text_box.h"
#include "storage/document.h"
#include "storage/record_reader.h"
#include "storage/windows1252.h"
#include "ui/click_list.h"
#include "ui/document_text.h"
#include "ui/message_boxes.h"

#include <QLineEdit>
#include <QListWidget>

#include <optional>

namespace {

// The size limit counts the bytes of the topic's RTF.
constexpr qsizetype kMaxTopicRtf = 725000;

const QString kNoText = QStringLiteral("No new info to Save. Operation aborted.");
const QString kNoName = QStringLiteral("Topic box is Blank. Operation aborted.");
const QString kTooLarge = QStringLiteral("Text file too large. Data won't be saved");

QString sanitiserGaveUp()
{
    return QStringLiteral("A problem has been detected. ")
        + QStringLiteral("The 'Text' file you are saving contains an illegal character. Scrivane "
                         "requires that ALL data be written in MS WordPad. ")
        + QStringLiteral("Copying into WordPad from another word processor can cause this "
                         "problem.  ")
        + QStringLiteral("Data has NOT been Saved.");
}

} // namespace

void Penwick::EditCmd_Click()
{
    RichTextBox1->setTextRTF({});
    ScanCounter = 1;
    SelectedNumber = std::uint64_t(List1->currentRow() + 1);
    if (SelectedNumber == 0)
        return;
    if (!readIntoRecordBuffer(SelectedNumber))
        return;
    Add->setTextRTF(QByteArray::fromStdString(TopicText.text()));
    LevelTxt->setText(shownText(Level.text()));
    NewTopicTxt->setText(shownText(TopicName.text()));
    EditFlag = true;
    m_editTarget = SelectedNumber;
    // The boxes hold the topic as it is stored: nothing in them is unsaved yet.
    m_entriesChanged = false;
}

void Penwick::LevelTxt_LostFocus()
{
    const QString text = LevelTxt->text().trimmed();
    if (text.isEmpty())
        return; // the save stores a blank level as 0
    const auto value = storage::parseNumber(text.toStdString());
    // Only 0, 1 and 2 mean something: above 2 is capped, and what is not a number or lies below
    // 0 would give a level no contents line can show.
    if (!value || *value < 0)
        LevelTxt->setText(QStringLiteral("0"));
    else if (*value > 2)
        LevelTxt->setText(QStringLiteral("2"));
}

void Penwick::SaveCmd_Click()
{
    SaveTopic();
}

void Penwick::SaveMnu_Click()
{
    SaveTopic();
}

void Penwick::IllegalChrsRemove()
{
    const QByteArray rtf = Add->TextRTF();
    // A box that shows text but gives no RTF has failed; saving would lose the topic.
    if (rtf.isEmpty() && !Add->Text().isEmpty()) {
        CleanTopicRTF.clear();
        m_boxes.show(
            this, sanitiserGaveUp(), MessageBoxes::StopIcon + MessageBoxes::SecondDefault, {});
        IllegalChrsFound = true;
        return;
    }
    CleanTopicRTF = author::illegalCharsRemoved(rtf);
    RichTextBox1->setTextRTF(CleanTopicRTF);
}

void Penwick::SaveTopic()
{
    const std::optional<TopicEntries> entries = checkEntries();
    if (!entries)
        return;
    IllegalChrsRemove();
    if (IllegalChrsFound) {
        IllegalChrsFound = false;
        return;
    }
    if (LevelTxt->text().isEmpty())
        LevelTxt->setText(QStringLiteral("0"));
    ScanCounter = 0;
    if (!(EditFlag ? replaceEditedTopic(*entries) : addTopic(*entries)))
        return;
    setGetStartedVisibility();

    Add->setText({});
    NewTopicTxt->setText({});
    m_entriesChanged = false;
    EditFlag = false;
    m_editTarget = 0;
    UpdateDisplay();
}

std::optional<Penwick::TopicEntries> Penwick::checkEntries()
{
    if (Add->Text().isEmpty()) {
        m_boxes.show(this, kNoText, MessageBoxes::OkCancel + MessageBoxes::SecondDefault, {});
        return std::nullopt;
    }
    if (NewTopicTxt->text().isEmpty()) {
        m_boxes.show(this, kNoName, MessageBoxes::OkCancel + MessageBoxes::SecondDefault, {});
        return std::nullopt;
    }
    if (Add->TextRTF().size() > kMaxTopicRtf) {
        m_boxes.show(this, kTooLarge, MessageBoxes::StopIcon + MessageBoxes::SecondDefault, {});
        return std::nullopt;
    }
    // Names are stored in Windows-1252; one that cannot be stored whole is refused rather than
    // altered behind the author's back.
    const storage::EncodeResult name =
        storage::encodeWindows1252(author::storableTopicName(NewTopicTxt->text()).toStdString());
    if (!name.status.ok()) {
        m_boxes.show(this,
            QStringLiteral("The topic name holds a character that a help document cannot store. "
                           "Data has NOT been Saved."),
            MessageBoxes::WarningIcon, {});
        return std::nullopt;
    }
    const storage::EncodeResult level = storage::encodeWindows1252(
        (LevelTxt->text().isEmpty() ? QStringLiteral("0") : LevelTxt->text()).toStdString());
    if (!level.status.ok()) {
        m_boxes.show(this,
            QStringLiteral("The indent level holds a character that a help document cannot "
                           "store. Data has NOT been Saved."),
            MessageBoxes::WarningIcon, {});
        return std::nullopt;
    }
    return TopicEntries {level.bytes, name.bytes};
}

bool Penwick::replaceEditedTopic(const TopicEntries &entries)
{
    const QByteArray text = author::withoutQuoteBytes(CleanTopicRTF);
    storage::RewriteResult result;
    const bool replaced =
        rewrite(storage::replaceRecord(m_editTarget,
                    storage::stringRecord(entries.level, entries.name, text.toStdString())),
            result);
    if (!result.status.ok())
        return false;
    if (!replaced) {
        endEditMode(QStringLiteral("The topic being edited is no longer in the document, so "
                                   "nothing was replaced. Your entries are kept; Save adds "
                                   "them as a new topic."));
        return false;
    }
    RecordCount = result.recordsWritten;
    clearList1();
    FillQty();
    return true;
}

bool Penwick::addTopic(const TopicEntries &entries)
{
    const QByteArray text = author::withoutQuoteBytes(RichTextBox1->TextRTF());
    // Adding opens the document for appending, which makes it again when it was deleted since
    // it became current: the topic is kept, in a document of that name.
    const bool madeAnew = !documentExists();
    storage::Status status =
        madeAnew ? storage::createEmptyDocument(documentPath()) : storage::Status();
    if (status.ok())
        status = storage::appendRecord(
            documentPath(), storage::stringRecord(entries.level, entries.name, text.toStdString()));
    if (!status.ok()) {
        reportFailure(QStringLiteral("The topic could not be saved; the document is as it was "
                                     "and your entries are kept."),
            status.message());
        return false;
    }
    if (!madeAnew) {
        ++RecordCount;
        return true;
    }
    RecordCount = storage::countRecords(documentPath()).count;
    m_boxes.show(this,
        QStringLiteral("The document \"%1\" no longer existed, so it was made anew to hold this "
                       "topic.")
            .arg(CurrentHelpFileName),
        MessageBoxes::InformationIcon, {});
    return true;
}
