#include "reader/reader_window.h"

#include "richtext/rich_text_box.h"
#include "storage/record_reader.h"
#include "storage/windows1252.h"
#include "storage/word_finder.h"
#include "ui/click_list.h"
#include "ui/document_text.h"
#include "ui/message_boxes.h"

#include <QLineEdit>
#include <QListWidget>
#include <QTabWidget>

namespace {

constexpr int kSearchTab = 1;

} // namespace

void ReaderWindow::ListTopicsCmd_Click()
{
    List2->clearLines();
    HitRecords.clear();
    SearchWord = Text1->text();
    // Documents hold Windows-1252 bytes; a word with a character outside it is in no topic.
    const storage::EncodeResult word = storage::encodeWindows1252(SearchWord.toStdString());
    if (!word.status.ok() || m_documentPath.empty())
        return;
    const storage::WordFinder finder(word.bytes);

    ScanCounter = 1;
    storage::DocumentReader reader(m_documentPath);
    storage::TopicRecord record;
    storage::ReadStatus read;
    while ((read = reader.next(record)) == storage::ReadStatus::Record) {
        if (finder.foundIn(record.text.text())) {
            List2->appendLine(shownText(record.name.text()));
            HitRecords.push_back(ScanCounter);
        }
        ++ScanCounter;
    }
    List2->setListIndex(-1);
    takeRecord(std::move(record));
    if (read == storage::ReadStatus::Error)
        m_boxes.show(this,
            QStringLiteral("The help document \"%1\" is damaged and cannot be read past %2. "
                           "Only the topics before the damage were searched.")
                .arg(ReaderHelpFileName, QString::fromStdString(reader.status().message())),
            MessageBoxes::WarningIcon, {});
}

void ReaderWindow::List2_Click()
{
    RichTextBox1->setTextRTF({});
    setTopicFont();
    ScanCounter = 1;
    const int row = List2->currentRow();
    SelectedNumber = std::uint64_t(row + 1);
    if (row < 0 || std::size_t(row) >= HitRecords.size())
        return;
    const std::uint64_t wanted = HitRecords[std::size_t(row)];
    // A file shortened since the search: the display stays empty.
    if (!readIntoRecordBuffer(wanted))
        return;
    RichTextBox1->setTextRTF(QByteArray::fromStdString(TopicText.text()));
    noteShown(wanted);
    highlightHits();
}

void ReaderWindow::SSTab1_Click()
{
    if (SSTab1->currentIndex() == kSearchTab)
        Text1->setFocus(Qt::TabFocusReason);
}
