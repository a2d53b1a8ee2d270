#pragma once

#include <QTextDocument>
#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QTextEdit;
class QToolButton;

// Find in the shown topic: a bar under the display, hidden until asked for. Typing finds as
// one types; Enter and F3 find the next place, Shift+Enter and Shift+F3 the previous one;
// Escape closes it. Case does not count unless asked. "Not found" shows in the bar itself.
class FindBar : public QWidget
{
    Q_OBJECT

public:
    explicit FindBar(QTextEdit *display, QWidget *parent = nullptr);

    // Shows the bar with the display's selected words in it, and puts the cursor there.
    void open();
    // Finds the next (or previous) place from the display's cursor, wrapping at the end; false,
    // with "Not found" shown, when there is none.
    bool findNext(bool backward = false);
    QString text() const;
    bool notFoundShown() const;

Q_SIGNALS:
    void opened();
    void closed();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void findAsTyped();
    QTextDocument::FindFlags flags(bool backward) const;
    void showFound(bool found);

    QTextEdit *m_display;
    QLineEdit *m_field = nullptr;
    QToolButton *m_previous = nullptr;
    QToolButton *m_next = nullptr;
    QCheckBox *m_matchCase = nullptr;
    QLabel *m_status = nullptr;
    QToolButton *m_close = nullptr;
};
