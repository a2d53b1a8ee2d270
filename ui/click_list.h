#pragma once

#include <QListWidget>
#include <QStringList>

// A list box with the windows' list semantics: setting its position from code runs its click
// handler at once, before the setter returns, as a user's choice does; -1 highlights nothing
// and runs nothing. Lines added or removed from code run nothing. A user's click, Space or Enter
// on a line chooses it even when it is already the current line; moving through the lines with
// the keys chooses each line once.
class ClickList : public QListWidget
{
    Q_OBJECT

public:
    explicit ClickList(QWidget *parent = nullptr);

    // Highlights a line and emits listClicked before returning; an index that names no line
    // highlights nothing and emits nothing.
    void setListIndex(int index);
    void appendLine(const QString &line);
    void appendLines(const QStringList &lines);
    void clearLines();

Q_SIGNALS:
    // A line was chosen, by the user (mouse or keyboard) or by setListIndex; exactly once.
    void listClicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void forgetCurrentLine();
    void chooseFromUser();

    bool m_fromCode = false;
    // Set when the user's choice has been reported since the last mouse press, so that the
    // release of that press does not report it a second time.
    bool m_chosenSincePress = false;
};
