#pragma once

#include <QListWidget>
#include <QStringList>

// A list box with the windows' list semantics: setting its position from code runs its click
// handler at once, before the setter returns, as a user's choice does; -1 highlights nothing
// and runs nothing. Lines added or removed from code run nothing.
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

private:
    void forgetCurrentLine();

    bool m_fromCode = false;
};
