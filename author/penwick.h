#pragma once

#include "reader/reader_window.h"
#include "storage/field_value.h"
#include "storage/rewrite.h"
#include "ui/record_buffer.h"

#include <QByteArray>
#include <QDialog>
#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

class FileChooser;
class Launcher;
class MessageBoxes;
class QAction;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class ClickList;
class QPushButton;

namespace richtext {
class RichTextBox;
}
namespace publish {
struct ExportResult;
}

// The authoring program's main window. Its procedures and state are named after the window's
// controls and events (SaveCmd_Click, FillQty, ...).
class Penwick : public QMainWindow, public RecordBuffer
{
    Q_OBJECT

public:
    // Loads the window (Form_Load): the current document becomes "Help.scv" in the working
    // folder, or document (a name in the working folder) when one is given, as File > Open
    // makes it. Messages go through boxes, which must outlive the window.
    explicit Penwick(MessageBoxes &boxes, QWidget *parent = nullptr, const QString &document = {});
    ~Penwick() override;

    // Where Review and Get Started start programs and open pages; not owned. nullptr restores
    // the system's.
    void setLauncher(Launcher *launcher);
    MessageBoxes &messageBoxes() const { return m_boxes; }

    // Program-wide: the current document, relative to the working folder.
    QString CurrentHelpFileName;

    // Start-up and topic list.
    void Form_Load();
    void Initialize();
    void HowManyLabels();
    void FillQty();
    void UpdateDisplay();
    void MainTopicChkResponse();
    void List1_Click();
    void ExitCmd_Click();

    // Editing and saving.
    void EditCmd_Click();
    void LevelTxt_LostFocus();
    void SaveCmd_Click();
    void SaveMnu_Click();
    void SaveTopic();
    void IllegalChrsRemove();

    // Reader, built-in help and Get Started.
    void viewMnu_Click();
    void ReviewCmd_Click();
    void ReviewMnu_Click();
    void mnuHelp_Click();
    void mnuGetStarted_Click();
    // The built-in help window while it is open; nullptr otherwise.
    ReaderWindow *VieHelpFrm() const { return m_VieHelpFrm; }

    // Export as a web site or a PDF manual, from the document as last saved.
    void ExportSiteMnu_Click();
    void ExportPdfMnu_Click();
    // Where the export commands ask for a folder or a file; not owned. nullptr restores the
    // file dialogs.
    void setFileChooser(FileChooser *chooser) { m_fileChooser = chooser; }

    // New, open and delete documents; About.
    void Createmnu_Click();
    void OpenMnu_Click();
    void AboutMnu_Click();
    // The Create dialog while it is open; nullptr otherwise.
    QDialog *CreateName() const { return m_CreateName; }

    // Makes fileName, just created (or found) by the Create dialog, the current document: the
    // title names it and the list is emptied until the document is next loaded. An edit in
    // progress on the previous document ends.
    void useCreatedDocument(const QString &fileName);

    // Insert, move and remove.
    void InsertCmd_Click();
    void UpCmd_Click();
    void DownCmd_Click();
    void RemoveCmd_Click();

    // A link to another topic was followed in the display: it is shown and its contents line
    // highlighted, as a click on that line does; a topic that does not exist is told.
    void followTopicLink(const QString &name);

    // Sets List1's position as the windows' list boxes do: a line runs List1_Click at once, before
    // this returns; -1 highlights nothing and runs nothing. Out-of-range positions act as -1.
    void setList1Index(int index);
    // How often List1_Click has run, whoever started it.
    std::uint64_t list1ClickRuns() const { return m_list1ClickRuns; }
    // The record a save in edit mode replaces; 0 outside edit mode.
    std::uint64_t editTarget() const { return m_editTarget; }

    // Form-level state; the record buffer (Level, TopicName, TopicText, ScanCounter) is the
    // RecordBuffer's.
    std::uint64_t RecordCount = 0;
    std::uint64_t SelectedNumber = 0;
    bool EditFlag = false;
    QByteArray CleanTopicRTF;
    bool IllegalChrsFound = false;

    // The Topic box or the text box holds something typed or pasted since the last Save or
    // Edit.
    bool hasUnsavedEntries() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void setupLayout();
    void setupEntryPanel(QWidget *client);
    void setupDisplayPanel(QWidget *client);
    void setupActions();
    void setupTabOrder();

    std::string documentPath() const;
    // Whether the current document's file (or anything of that name) is there.
    bool documentExists() const;
    // Label2's caption from CurrentHelpFileName.
    void setTitleLabel();
    // Forgets the previous document's edit and selection when another document became current.
    void leavePreviousDocument();
    void setGetStartedVisibility();
    void clearList1();
    // Counts the document's records and fills List1 afresh, showing topic 1, as loading it does.
    void fillList1();
    // The Create dialog closed: a list it emptied shows the current document again.
    void createNameClosed();
    // Reads record number of the current document into the record buffer.
    bool readIntoRecordBuffer(std::uint64_t number)
    {
        return RecordBuffer::readIntoRecordBuffer(documentPath(), number);
    }
    // The topic's level and name as a record stores them (Windows-1252).
    struct TopicEntries
    {
        std::string level;
        std::string name;
    };
    // The save's checks of the entries, in order, each refusal told; the entries when all pass.
    std::optional<TopicEntries> checkEntries();
    // Stores the topic in the boxes: in place of the edited one, or added at the end. False,
    // the author told, when nothing was stored.
    bool replaceEditedTopic(const TopicEntries &entries);
    bool addTopic(const TopicEntries &entries);
    // Ends edit mode without a save, telling the author why.
    void endEditMode(const QString &why);
    // Rewrites the document; tells the author of a failure or a moved leftover scratch file.
    // True when the document was rewritten with at least one change.
    bool rewrite(const storage::RecordChangeFn &change, storage::RewriteResult &result);
    // Up (delta -1) or Down (delta +1) for record SelectedNumber.
    void moveSelected(int delta);
    void reportFailure(const QString &what, const std::string &reason);
    FileChooser &fileChooser();
    // Whether the current document is on disk to be exported; tells the author when not.
    bool checkExportable();
    // Tells what an export wrote, or why not, and opens page when the author asks.
    void reportExport(const publish::ExportResult &result, const QStringList &warnings,
        const QString &written, const QUrl &page);

    MessageBoxes &m_boxes;
    std::uint64_t m_list1ClickRuns = 0;
    std::uint64_t m_editTarget = 0;
    QString m_loadedFileName;
    Launcher *m_launcher = nullptr;
    std::unique_ptr<Launcher> m_systemLauncher;
    FileChooser *m_fileChooser = nullptr;
    QPointer<ReaderWindow> m_VieHelpFrm;
    QPointer<QDialog> m_CreateName;
    // Whether the author may leave: true at once with nothing unsaved, else the answer to the
    // question.
    bool mayLeave();
    // Set by typing or pasting into NewTopicTxt or Add; cleared when Edit loads a topic and
    // when a save has taken the entries.
    bool m_entriesChanged = false;
    // Exit has asked already; closing the window on the way out asks nothing more.
    bool m_leaving = false;
    // The Create dialog emptied List1 for the document it made current.
    bool m_listAwaitsCreateClosing = false;

public:
    // Controls; each objectName equals the member's name.
    QLabel *Label2 = nullptr;
    QFrame *AddFrame = nullptr;
    QLineEdit *NewTopicTxt = nullptr;
    QLineEdit *LevelTxt = nullptr;
    QLineEdit *LabelsSaved = nullptr;
    richtext::RichTextBox *Add = nullptr;
    QPushButton *SaveCmd = nullptr;
    QPushButton *ReviewCmd = nullptr;
    QPushButton *ExitCmd = nullptr;
    QLineEdit *GetStartedText = nullptr;
    QGroupBox *Frame1 = nullptr;
    ClickList *List1 = nullptr;
    richtext::RichTextBox *RichTextBox1 = nullptr;
    QPushButton *UpCmd = nullptr;
    QPushButton *DownCmd = nullptr;
    QPushButton *InsertCmd = nullptr;
    QPushButton *RemoveCmd = nullptr;
    QPushButton *EditCmd = nullptr;
    QAction *Createmnu = nullptr;
    QAction *OpenMnu = nullptr;
    QAction *SaveMnu = nullptr;
    QAction *ReviewMnu = nullptr;
    // Never enabled: both Review commands call its handler.
    QAction *viewMnu = nullptr;
    QAction *ExitMnu = nullptr;
    QAction *ExportSiteMnu = nullptr;
    QAction *ExportPdfMnu = nullptr;
    QAction *AboutMnu = nullptr;
    QAction *mnuHelp = nullptr;
    QAction *mnuGetStarted = nullptr;
};
