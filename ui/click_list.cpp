#include "ui/click_list.h"

#include <QKeyEvent>
#include <QMouseEvent>

ClickList::ClickList(QWidget *parent)
    : QListWidget(parent)
{
    // Every line is one line of text in the list's font: the view then measures one line, not
    // each of thousands of topics whenever it lays itself out.
    setUniformItemSizes(true);
    // Qt reports its own selection changes too, for lines added or cleared from code; only a
    // user's choice counts here, and setListIndex emits for itself.
    connect(this, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!m_fromCode && row >= 0)
            chooseFromUser();
    });
    // A click on the line that is already current changes no row, yet it is a choice: the
    // window may show something else by now (a search hit, an emptied display).
    connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex &index) {
        if (index.isValid() && !m_chosenSincePress)
            chooseFromUser();
    });
    forgetCurrentLine();
}

void ClickList::chooseFromUser()
{
    m_chosenSincePress = true;
    Q_EMIT listClicked();
}

void ClickList::mousePressEvent(QMouseEvent *event)
{
    m_chosenSincePress = false;
    QListWidget::mousePressEvent(event);
}

void ClickList::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    const bool choose = key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter;
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (!choose || !plain || currentRow() < 0) {
        QListWidget::keyPressEvent(event);
        return;
    }
    // The current line becomes the highlighted one, if it was not, and is chosen again.
    selectionModel()->select(currentIndex(), QItemSelectionModel::ClearAndSelect);
    event->accept();
    chooseFromUser();
}

void ClickList::forgetCurrentLine()
{
    // A view that gets the focus with no current line makes its first line current, which
    // would count as a choice nobody made; an explicitly empty current line stops that.
    m_fromCode = true;
    setCurrentIndex(QModelIndex());
    m_fromCode = false;
}

void ClickList::setListIndex(int index)
{
    if (index < 0 || index >= count())
        index = -1;
    m_fromCode = true;
    setCurrentRow(index);
    if (index < 0)
        clearSelection();
    m_fromCode = false;
    if (index >= 0)
        Q_EMIT listClicked();
}

void ClickList::appendLine(const QString &line)
{
    m_fromCode = true;
    addItem(line);
    m_fromCode = false;
}

void ClickList::appendLines(const QStringList &lines)
{
    m_fromCode = true;
    addItems(lines);
    m_fromCode = false;
}

void ClickList::clearLines()
{
    m_fromCode = true;
    clear();
    m_fromCode = false;
    forgetCurrentLine();
}
