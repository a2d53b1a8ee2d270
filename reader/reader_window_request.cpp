// What callers ask of a reader window (a topic, a search, a reload), and following the document
// when it changes on disk.
#include "reader/reader_window.h"

#include "richtext/rich_text_box.h"
#include "storage/record_lookup.h"
#include "ui/click_list.h"
#include "ui/document_text.h"
#include "ui/topic_lookup.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QLineEdit>
#include <QStringList>
#include <QTabWidget>
#include <QTimer>

#include <sys/stat.h>

namespace {

constexpr int kSearchTab = 1;

} // namespace

QString ReaderWindow::showRequested(const ReaderRequest &request)
{
    if (request.reload)
        reloadDocument();
    QStringList missing;
    if (request.topicName) {
        QString why;
        if (const std::uint64_t number = topicNamed(*request.topicName, why))
            showContentsLine(number);
        else
            missing << why;
    }
    if (request.topicNumber) {
        const std::uint64_t number = *request.topicNumber;
        if (number <= std::uint64_t(List1->count()))
            showContentsLine(number);
        else
            missing << QStringLiteral("The help document \"%1\" has no topic number %2; it holds "
                                      "%3 topic(s).")
                           .arg(ReaderHelpFileName)
                           .arg(number)
                           .arg(List1->count());
    }
    if (request.searchWord) {
        SSTab1->setCurrentIndex(kSearchTab);
        Text1->setText(*request.searchWord);
        ListTopicsCmd_Click();
    }
    return missing.join(QLatin1Char(' '));
}

ReaderState ReaderWindow::state() const
{
    ReaderState now;
    now.shownTopic = m_shownRecord;
    now.contentsLine = std::uint64_t(List1->currentRow() + 1);
    now.highlights = hitPlaces();
    now.zoom = m_zoom;
    return now;
}

void ReaderWindow::showContentsLine(std::uint64_t number)
{
    setList1Index(int(number - 1));
    List1->scrollToItem(List1->currentItem(), QAbstractItemView::PositionAtCenter);
}

std::uint64_t ReaderWindow::topicNamed(const QString &name, QString &why) const
{
    return ::topicNamed(m_documentPath, name, ReaderHelpFileName, why);
}

void ReaderWindow::reloadDocument()
{
    if (m_documentPath.empty())
        return;
    const std::uint64_t shownBefore = m_shownRecord;
    const std::string shownName = m_shownName;
    const bool lineWasChosen = List1->currentRow() >= 0;
    HowManyLabels();
    const storage::Contents contents = storage::readContents(m_documentPath);
    List1->clearLines();
    List1->appendLines(shownLines(contents.lines));
    if (contents.lines.empty()) {
        RichTextBox1->setTextRTF({});
        m_shownRecord = 0;
        return;
    }
    // The topic shown stays: at its place when that still holds it, else wherever its name is
    // now; when it is gone, the first topic is shown.
    std::uint64_t keep = 0;
    if (shownBefore > 0) {
        const storage::RecordLookup there = storage::lookUpRecord(m_documentPath, shownBefore);
        if (there.read == storage::ReadStatus::Record && there.record.name.text() == shownName)
            keep = shownBefore;
        else
            keep = storage::findRecordNamed(m_documentPath, shownName).number;
    }
    if (keep == 0) {
        setList1Index(0);
    } else if (lineWasChosen || shownBefore == 0) {
        setList1Index(int(keep - 1));
    } else {
        // Shown from the hits: shown again, and the contents list still highlights nothing.
        showRecord(keep);
    }
    // The hits of the last search may name other records now.
    if (!HitRecords.empty())
        ListTopicsCmd_Click();
}

void ReaderWindow::watchDocument()
{
    if (m_documentPath.empty())
        return;
    m_stamp = stampNow();
    if (!m_watcher) {
        m_watcher = new QFileSystemWatcher(this);
        // A save comes as several events (a rename, a write, the folder's change); one
        // reload after they have settled is enough.
        m_changeDelay = new QTimer(this);
        m_changeDelay->setSingleShot(true);
        m_changeDelay->setInterval(150);
        connect(m_changeDelay, &QTimer::timeout, this, &ReaderWindow::documentMayHaveChanged);
        const auto changed = [this] { m_changeDelay->start(); };
        connect(m_watcher, &QFileSystemWatcher::fileChanged, this, changed);
        connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, changed);
    }
    const QFileInfo file(ReaderHelpFileName);
    // The folder too: a save replaces the file by another, which the file's own watch loses.
    m_watcher->addPath(file.absolutePath());
    if (file.exists())
        m_watcher->addPath(file.absoluteFilePath());
}

ReaderWindow::FileStamp ReaderWindow::stampNow() const
{
    struct stat st;
    if (::stat(m_documentPath.c_str(), &st) != 0)
        return {};
    return {qint64(st.st_ino), qint64(st.st_size),
        qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

void ReaderWindow::documentMayHaveChanged()
{
    const QString file = QFileInfo(ReaderHelpFileName).absoluteFilePath();
    if (QFileInfo::exists(file) && !m_watcher->files().contains(file))
        m_watcher->addPath(file);
    const FileStamp now = stampNow();
    if (now == m_stamp)
        return;
    m_stamp = now;
    reloadDocument();
}
