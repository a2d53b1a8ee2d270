#pragma once

#include "storage/field_value.h"
#include "storage/status.h"
#include "ui/reader_request.h"
#include "ui/record_buffer.h"

#include <QList>
#include <QMainWindow>
#include <QPair>
#include <QRect>
#include <QString>
#include <QTextCursor>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class MessageBoxes;
class Printers;
class GrowingClient;
class FindBar;
class QAction;
class QMenu;
class QFileSystemWatcher;
class QTimer;
class QFrame;
class QLabel;
class QLineEdit;
class ClickList;
class QPushButton;
class QTabWidget;

namespace richtext {
class RichTextBox;
}

// Which of the two windows a reader window is.
enum class ReaderKind {
    Leafwick, // the reader program: document from the hand-over file or the first "*.scv"
    BuiltInHelp, // the authoring program's help (VieHelpFrm): always "Scrivane.scv"
};

// The reader's window: Leafwick's main window, and Penwick's built-in help. Its procedures and
// state are named after the window's controls and events (List1_Click, FillQty, ...).
class ReaderWindow : public QMainWindow, public RecordBuffer
{
    Q_OBJECT

public:
    // Builds the window and runs its start-up (Form_Load) in the working folder. Messages go
    // through boxes, which must outlive the window. A Leafwick window given a document's path
    // shows that document; without one it takes the hand-over file or the first "*.scv".
    ReaderWindow(ReaderKind kind, MessageBoxes &boxes, QWidget *parent = nullptr,
        const QString &document = {});
    ~ReaderWindow() override;

    // Where Print finds its printer; not owned. nullptr restores the system's printers.
    void setPrinters(Printers *printers);

    ReaderKind kind() const { return m_kind; }

    // Start-up, contents and display.
    void Form_Load();
    void HowManyLabels();
    void FillQty();
    void List1_Click();
    void PrintMnu_Click();

    // Search.
    void ListTopicsCmd_Click();
    void List2_Click();
    void SSTab1_Click();

    // Set a list's position as the windows' list boxes do: a line runs the list's click handler at
    // once, before this returns; -1 (or a position out of range) selects nothing, runs nothing.
    void setList1Index(int index);
    void setList2Index(int index);

    // Shows what a caller asks for (a topic by name or number, a search) without a message of
    // its own; returns what was asked for and not found, in the user's words, or an empty
    // string. A request to reload reads the document afresh first.
    QString showRequested(const ReaderRequest &request);
    // What the window shows, as it tells a caller.
    ReaderState state() const;
    // Reads the document afresh (it changed on disk): the contents list follows it, and the
    // topic shown stays when it is still there, else the first is shown.
    void reloadDocument();

    // Going back and forth through the topics shown, however they were chosen; the contents
    // line of the topic shown is highlighted.
    void goBack();
    void goForward();
    // A link to another topic was followed: it is shown and its contents line highlighted; a
    // topic that does not exist is told and nothing changes.
    void followTopicLink(const QString &name);
    bool canGoBack() const { return m_historyPos > 0; }
    bool canGoForward() const { return m_historyPos + 1 < m_history.size(); }
    // The topic the display shows (its record number; 0 for none).
    std::uint64_t shownRecord() const { return m_shownRecord; }

    // The places of the searched word in the topic shown from the hit list, highlighted; the
    // current one is selected. F3 and Shift+F3 move through them.
    QList<QPair<int, int>> hitPlaces() const;
    void nextHit(bool backward);

    // Zoom of the display, in percent of the topic's own sizes; it stays for the next topics.
    int zoom() const { return m_zoom; }
    void setZoom(int percent);

    FindBar *findBar() const { return m_findBar; }
    // The display's context menu, as it would open now.
    QMenu *displayMenu();

    // Whether a message has been shown since the window was built (start-up's warnings).
    bool hasWarned() const { return m_warned; }
    // Tells the user, in a warning box.
    void warn(const QString &text);

    // The document being read, relative to the working folder; empty when there is none.
    QString ReaderHelpFileName;

    // Form-level state; the record buffer (Level, TopicName, TopicText, ScanCounter) is the
    // RecordBuffer's.
    std::uint64_t RecordCount = 0;
    std::uint64_t SelectedNumber = 0;
    QString SearchWord;
    // The record number of each line of List2, in line order; as many as there are hits.
    std::vector<std::uint64_t> HitRecords;

    // Controls; each objectName equals the member's name.
    QFrame *Frame1 = nullptr;
    QTabWidget *SSTab1 = nullptr;
    ClickList *List1 = nullptr;
    QLabel *Label1 = nullptr;
    QLineEdit *Text1 = nullptr;
    QPushButton *ListTopicsCmd = nullptr;
    ClickList *List2 = nullptr;
    QFrame *Frame2 = nullptr;
    richtext::RichTextBox *RichTextBox1 = nullptr;
    // nullptr in the built-in help, which has no menu bar.
    QAction *PrintMnu = nullptr;

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    static constexpr qreal kTopicPointSize = 10;

    void setupLayout();
    void setupTabs(QWidget *frame);
    void setupActions();
    void setupTabOrder();
    void centre();

    // The document chosen at start-up; false (after telling the user) when there is none.
    bool chooseDocument();
    bool takeHandOver();
    void setDocument(const std::string &path);
    const std::string &documentPath() const { return m_documentPath; }
    // Tells the user that the document could not be read whole, and where it is damaged.
    void reportDamage(const storage::Status &status, std::uint64_t topicsBefore);
    // Reads record number of the document into the record buffer.
    bool readIntoRecordBuffer(std::uint64_t number)
    {
        return RecordBuffer::readIntoRecordBuffer(documentPath(), number);
    }
    // The display's base font for a topic: 10 points, not bold.
    void setTopicFont();

    // Highlights contents line number (from 1), scrolled into view, and shows its topic.
    void showContentsLine(std::uint64_t number);
    // Shows record number in the display without touching the lists; false when it is gone.
    bool showRecord(std::uint64_t number);
    // The display now shows the record in the record buffer, record number.
    void noteShown(std::uint64_t number);
    void setupNavigation();
    // Shows record number, highlighting its contents line, without adding it to the history.
    void revisit(std::uint64_t number);
    void highlightHits();
    void clearHits();
    void placeFindBar();
    // Watches the document's file, so that a change made by another program (a save in
    // Penwick) shows in the contents list.
    void watchDocument();
    void documentMayHaveChanged();
    // The record number of the first topic named exactly name; 0, with what went wrong told
    // in why, when there is none.
    std::uint64_t topicNamed(const QString &name, QString &why) const;
    QString documentTitle() const;

    ReaderKind m_kind;
    // The document a caller named, instead of the start-up's choice.
    QString m_givenDocument;
    // What the display shows: its record number (0: nothing) and name, as stored.
    std::uint64_t m_shownRecord = 0;
    std::string m_shownName;
    QFileSystemWatcher *m_watcher = nullptr;
    QTimer *m_changeDelay = nullptr;
    // The file as last read: a change to it is a new identity, size or time.
    struct FileStamp
    {
        qint64 inode = -1;
        qint64 size = -1;
        qint64 modified = -1;
        bool operator==(const FileStamp &) const = default;
    };
    FileStamp m_stamp;
    FileStamp stampNow() const;
    bool m_warned = false;
    QList<std::uint64_t> m_history;
    qsizetype m_historyPos = -1;
    bool m_revisiting = false;
    qsizetype m_currentHit = -1;
    int m_zoom = 100;
    FindBar *m_findBar = nullptr;
    QRect m_displayRoom; // the display's place with the find bar hidden
    QAction *m_backAction = nullptr;
    QAction *m_forwardAction = nullptr;
    QAction *m_copyAction = nullptr;
    QAction *m_selectAllAction = nullptr;
    QAction *m_findAction = nullptr;
    QMenu *m_displayMenu = nullptr;
    GrowingClient *m_client = nullptr;
    MessageBoxes &m_boxes;
    // ReaderHelpFileName's bytes as the file system takes them.
    std::string m_documentPath;
    Printers *m_printers = nullptr;
    std::unique_ptr<Printers> m_systemPrinters;
    // Why the count at start-up stopped early; ok when it reached the end.
    storage::Status m_countStatus;
};
