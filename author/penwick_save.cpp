#include "author/penwick.h"
#include "reader/click_list.h"

#include "author/sanitiser.h"
#include "reader/message_boxes.h"
#include "richtext/rich_text_box.h"
#include "storage/document.h"
#include "storage/record_reader.h"
#include "storage/windows1252.h"

#include <QLineEdit>
#include <QListWidget>

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

QString shown(const std::string &bytes)
{
    return QString::fromStdString(storage::decodeWindows1252(bytes));
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
    LevelTxt->setText(shown(Level.text()));
    NewTopicTxt->setText(shown(TopicName.text()));
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
        m_boxes.show(this, sanitiserGaveUp(), 272, {});
        IllegalChrsFound = true;
        return;
    }
    CleanTopicRTF = author::illegalCharsRemoved(rtf);
    RichTextBox1->setTextRTF(CleanTopicRTF);
}

void Penwick::SaveTopic()
{
    if (Add->Text().isEmpty()) {
        m_boxes.show(this, kNoText, 257, {});
        return;
    }
    if (NewTopicTxt->text().isEmpty()) {
        m_boxes.show(this, kNoName, 257, {});
        return;
    }
    if (Add->TextRTF().size() > kMaxTopicRtf) {
        m_boxes.show(this, kTooLarge, 272, {});
        return;
    }
    // Names are stored in Windows-1252; one that cannot be stored whole is refused rather than
    // altered behind the author's back.
    const storage::EncodeResult name =
        storage::encodeWindows1252(author::storableTopicName(NewTopicTxt->text()).toStdString());
    if (!name.status.ok()) {
        m_boxes.show(this,
            QStringLiteral("The topic name holds a character that a help document cannot store. "
                           "Data has NOT been Saved."),
            48, {});
        return;
    }
    const storage::EncodeResult level = storage::encodeWindows1252(
        (LevelTxt->text().isEmpty() ? QStringLiteral("0") : LevelTxt->text()).toStdString());
    if (!level.status.ok()) {
        m_boxes.show(this,
            QStringLiteral("The indent level holds a character that a help document cannot "
                           "store. Data has NOT been Saved."),
            48, {});
        return;
    }

    IllegalChrsRemove();
    if (IllegalChrsFound) {
        IllegalChrsFound = false;
        return;
    }
    if (LevelTxt->text().isEmpty())
        LevelTxt->setText(QStringLiteral("0"));
    ScanCounter = 0;

    if (EditFlag) {
        const QByteArray text = author::withoutQuoteBytes(CleanTopicRTF);
        storage::RewriteResult result;
        const bool replaced =
            rewrite(storage::replaceRecord(m_editTarget,
                        storage::stringRecord(level.bytes, name.bytes, text.toStdString())),
                result);
        if (!result.status.ok())
            return;
        if (!replaced) {
            endEditMode(QStringLiteral("The topic being edited is no longer in the document, so "
                                       "nothing was replaced. Your entries are kept; Save adds "
                                       "them as a new topic."));
            return;
        }
        RecordCount = result.recordsWritten;
        clearList1();
        FillQty();
    } else {
        const QByteArray text = author::withoutQuoteBytes(RichTextBox1->TextRTF());
        // Adding opens the document for appending, which makes it again when it was deleted
        // since it became current: the topic is kept, in a document of that name.
        const bool madeAnew = !documentExists();
        storage::Status status =
            madeAnew ? storage::createEmptyDocument(documentPath()) : storage::Status();
        if (status.ok())
            status = storage::appendRecord(
                documentPath(), storage::stringRecord(level.bytes, name.bytes, text.toStdString()));
        if (!status.ok()) {
            reportFailure(QStringLiteral("The topic could not be saved; the document is as it "
                                         "was and your entries are kept."),
                status.message());
            return;
        }
        if (madeAnew) {
            RecordCount = storage::countRecords(documentPath()).count;
            m_boxes.show(this,
                QStringLiteral("The document \"%1\" no longer existed, so it was made anew to "
                               "hold this topic.")
                    .arg(CurrentHelpFileName),
                64, {});
        } else {
            ++RecordCount;
        }
    }
    setGetStartedVisibility();

    Add->setText({});
    NewTopicTxt->setText({});
    m_entriesChanged = false;
    EditFlag = false;
    m_editTarget = 0;
    UpdateDisplay();
}
