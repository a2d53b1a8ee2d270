#pragma once

#include <QDialog>
#include <QString>

class ClickList;
class Penwick;
class QKeyEvent;
class QLineEdit;
class QPushButton;

// The Open dialog: lists the help documents ("*.scv") of the working folder, opens one in the
// owner window or deletes one. Shown modally by the owner's Open command.
class GetHelpFiles : public QDialog
{
    Q_OBJECT

public:
    explicit GetHelpFiles(Penwick &owner);

    // What TextFileName holds until a file is chosen; no help document has this name.
    static QString noFileChosen();

    // Fills FilFiles with the working folder's help documents, in natural order: letters
    // compared without regard to case, runs of digits by their value, ties by code point.
    void Form_Load();
    void FilFiles_Click();
    void Open_Click();
    void DeleteCmd_Click();
    void ExitCmd_Click();

    // Whether a file was chosen in the list; TextFileName names it.
    bool fileChosen() const { return m_fileChosen; }

    // Controls; each objectName equals the member's name.
    ClickList *FilFiles = nullptr;
    QPushButton *Open = nullptr;
    QPushButton *ExitCmd = nullptr;
    QPushButton *DeleteCmd = nullptr;
    QLineEdit *TextFileName = nullptr;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void setupLayout();
    // False, after telling the author, when no file is chosen.
    bool checkFileChosen();

    Penwick &m_owner;
    bool m_fileChosen = false;
};
