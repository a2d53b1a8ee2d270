#include "reader/find_bar.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTextCursor>
#include <QTextEdit>
#include <QToolButton>

FindBar::FindBar(QTextEdit *display, QWidget *parent)
    : QWidget(parent)
    , m_display(display)
{
    setObjectName(QStringLiteral("FindBar"));
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(2, 2, 2, 2);
    row->setSpacing(4);
    auto *label = new QLabel(QStringLiteral("Find:"), this);
    m_field = new QLineEdit(this);
    m_field->setObjectName(QStringLiteral("FindText"));
    m_field->setAccessibleName(QStringLiteral("Find in the topic"));
    m_field->setClearButtonEnabled(true);
    label->setBuddy(m_field);
    m_previous = new QToolButton(this);
    m_previous->setText(QStringLiteral("Previous"));
    m_previous->setToolTip(QStringLiteral("Previous place (Shift+F3)"));
    m_next = new QToolButton(this);
    m_next->setText(QStringLiteral("Next"));
    m_next->setToolTip(QStringLiteral("Next place (F3)"));
    m_matchCase = new QCheckBox(QStringLiteral("Match case"), this);
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("FindStatus"));
    m_close = new QToolButton(this);
    m_close->setText(QStringLiteral("Close"));
    m_close->setToolTip(QStringLiteral("Close (Escape)"));
    row->addWidget(label);
    row->addWidget(m_field, 1);
    row->addWidget(m_previous);
    row->addWidget(m_next);
    row->addWidget(m_matchCase);
    row->addWidget(m_status);
    row->addWidget(m_close);

    connect(m_field, &QLineEdit::textEdited, this, &FindBar::findAsTyped);
    connect(m_matchCase, &QCheckBox::toggled, this, &FindBar::findAsTyped);
    connect(m_next, &QToolButton::clicked, this, [this] { findNext(false); });
    connect(m_previous, &QToolButton::clicked, this, [this] { findNext(true); });
    connect(m_close, &QToolButton::clicked, this, &QWidget::hide);
    m_field->installEventFilter(this);
    hide();
}

void FindBar::open()
{
    const QString selected = m_display->textCursor().selectedText();
    if (!selected.isEmpty() && !selected.contains(QChar::ParagraphSeparator))
        m_field->setText(selected);
    show();
    m_field->setFocus(Qt::ShortcutFocusReason);
    m_field->selectAll();
    Q_EMIT opened();
}

QString FindBar::text() const
{
    return m_field->text();
}

bool FindBar::notFoundShown() const
{
    return !m_status->text().isEmpty();
}

QTextDocument::FindFlags FindBar::flags(bool backward) const
{
    QTextDocument::FindFlags flags;
    if (backward)
        flags |= QTextDocument::FindBackward;
    if (m_matchCase->isChecked())
        flags |= QTextDocument::FindCaseSensitively;
    return flags;
}

bool FindBar::findNext(bool backward)
{
    const QString text = m_field->text();
    if (text.isEmpty()) {
        showFound(true);
        return false;
    }
    if (m_display->find(text, flags(backward))) {
        showFound(true);
        return true;
    }
    // Round the end to the other side, as find in a page does.
    const QTextCursor before = m_display->textCursor();
    QTextCursor from(m_display->document());
    from.movePosition(backward ? QTextCursor::End : QTextCursor::Start);
    m_display->setTextCursor(from);
    const bool found = m_display->find(text, flags(backward));
    if (!found)
        m_display->setTextCursor(before);
    showFound(found);
    return found;
}

void FindBar::findAsTyped()
{
    // From where the last find began, so that each letter typed narrows the same place.
    QTextCursor cursor = m_display->textCursor();
    cursor.setPosition(cursor.selectionStart());
    m_display->setTextCursor(cursor);
    findNext(false);
}

void FindBar::showFound(bool found)
{
    m_status->setText(found ? QString() : QStringLiteral("Not found"));
    QPalette palette = m_field->palette();
    palette.setColor(
        QPalette::Base, found ? QPalette().color(QPalette::Base) : QColor(255, 220, 220));
    m_field->setPalette(palette);
}

bool FindBar::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_field && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool shift = key->modifiers() & Qt::ShiftModifier;
        switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            findNext(shift);
            return true;
        case Qt::Key_Escape:
            hide();
            return true;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void FindBar::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    m_display->setFocus(Qt::OtherFocusReason);
    Q_EMIT closed();
}
