#pragma once

#include <QDialog>

class Penwick;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;

// The Create dialog: the author names a new help document, which becomes the current one. It
// stays open beside the author window (not modal) and is deleted when it closes.
class CreateName : public QDialog
{
    Q_OBJECT

public:
    explicit CreateName(Penwick &owner);

    // Creates "<typed text>.scv" when missing (an existing file is left as it is) and makes it
    // the owner's current document. A name the file system refuses is reported and changes
    // nothing.
    void Save_Click();
    void Exit_Click();

    // Controls; each objectName equals the member's name.
    QLabel *Label1 = nullptr;
    QLineEdit *HelpFileName = nullptr;
    QPushButton *Save = nullptr;
    QPushButton *Exit = nullptr;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void setupLayout();
    void refuse(const QString &fileName, const QString &reason);

    Penwick &m_owner;
};
