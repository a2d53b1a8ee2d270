#include "reader/click_list.h"

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
            Q_EMIT listClicked();
    });
    forgetCurrentLine();
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
