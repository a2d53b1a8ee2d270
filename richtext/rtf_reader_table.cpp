// Tables, and where the next content goes: inside or outside a table.

#include "richtext/rtf_reader_impl.h"

#include <QTextBlock>
#include <QTextTable>

namespace richtext::detail {

namespace {

// Word's tables have at most 63 columns; more cells in a row continue in the last one.
constexpr int kMaxColumns = 200;
// A row of thousands of cells is damage; the cap keeps the table's size in proportion.
constexpr qsizetype kMaxCellRights = 1000;

constexpr Word kTableWordList[] = {
    {"cell", &RtfReaderImpl::wordCell, 0, false},
    {"cellx", &RtfReaderImpl::wordCellRight, 0, false},
    {"intbl", &RtfReaderImpl::wordInTable, 1, false},
    {"itap", &RtfReaderImpl::wordNestLevel, 1, false},
    {"nestcell", &RtfReaderImpl::wordNestCell, 0, false},
    {"nestrow", &RtfReaderImpl::wordNestCell, 0, false},
    {"nonesttables", &RtfReaderImpl::wordSkipDestination, 0, true},
    {"row", &RtfReaderImpl::wordRow, 0, false},
    {"trowd", &RtfReaderImpl::wordRowDefaults, 0, false},
};
static_assert(isSorted(kTableWordList));

} // namespace

constexpr WordTable kTableWords = kTableWordList;

// Words

void RtfReaderImpl::wordInTable(int on)
{
    if (inListText())
        return;
    m_state.para.inTable = on != 0;
}

void RtfReaderImpl::wordNestLevel(int level)
{
    // Nested tables are flattened into the outer table's cells.
    if (inListText())
        return;
    m_state.para.inTable = level > 0;
}

void RtfReaderImpl::wordRowDefaults(int)
{
    m_table.cellRights.clear();
}

void RtfReaderImpl::wordCellRight(int twips)
{
    if (m_table.cellRights.size() < kMaxCellRights)
        m_table.cellRights.append(pageLength(twips));
}

void RtfReaderImpl::wordCell(int)
{
    if (!inBodyText())
        return;
    nextCell();
}

void RtfReaderImpl::wordRow(int)
{
    if (!inBodyText())
        return;
    endRow();
}

void RtfReaderImpl::wordNestCell(int)
{
    if (!inBodyText())
        return;
    endParagraph();
}

// Where content goes

void RtfReaderImpl::prepareContent()
{
    if (!inBodyText())
        return;
    if (!m_state.para.inTable || m_table.refused) {
        if (m_table.current)
            closeTable();
        return;
    }
    if (!m_table.current)
        openTable();
    else
        positionInTable();
}

bool RtfReaderImpl::spendCells(qint64 cells)
{
    if (cells > m_table.cellBudget)
        return false;
    m_table.cellBudget -= cells;
    return true;
}

void RtfReaderImpl::refuseTable()
{
    noteProblem(QStringLiteral("tables larger than the input can hold, near byte %1")
                    .arg(m_tokenizer.position()));
    m_table.refused = true;
    closeTable();
}

void RtfReaderImpl::openTable()
{
    flushText();
    const int columns = std::clamp(static_cast<int>(m_table.cellRights.size()), 1, kMaxColumns);
    if (!spendCells(columns)) {
        refuseTable();
        return;
    }
    QTextTableFormat format;
    format.setBorder(1);
    format.setCellPadding(2);
    format.setCellSpacing(0);
    format.setBorderCollapse(true);
    QList<QTextLength> widths;
    int left = 0;
    for (int right : std::as_const(m_table.cellRights)) {
        widths.append(QTextLength(
            QTextLength::FixedLength, std::max<qint64>(qint64(right) - left, 0) / kTwipsPerPixel));
        left = right;
    }
    if (widths.size() == columns)
        format.setColumnWidthConstraints(widths);
    // The table goes before the empty block the last \par opened; that block would stay as an
    // empty line above the table, so it is joined to the paragraph before it.
    QTextBlock previous;
    if (!m_paragraph.hasContent && m_cursor.block().length() == 1) {
        const QTextBlock candidate = m_cursor.block().previous();
        if (candidate.isValid() && QTextCursor(candidate).currentFrame() == m_cursor.currentFrame())
            previous = candidate;
    }
    m_table.current = m_cursor.insertTable(1, columns, format);
    if (previous.isValid()) {
        QTextCursor joiner(previous);
        joiner.movePosition(QTextCursor::EndOfBlock);
        joiner.deleteChar();
    }
    m_table.row = 0;
    m_table.column = 0;
    m_table.rowEnded = false;
    m_table.cellEnded = false;
    moveToCell();
}

void RtfReaderImpl::trimTable()
{
    if (!m_table.current)
        return;
    const int spare = m_table.current->rows() - m_table.row - 1;
    if (spare > 0) {
        m_table.cellBudget += qint64(spare) * m_table.current->columns();
        m_table.current->removeRows(m_table.row + 1, spare);
    }
}

void RtfReaderImpl::closeTable()
{
    flushText();
    trimTable();
    if (m_table.current) {
        m_cursor = m_table.current->lastCursorPosition();
        m_cursor.movePosition(QTextCursor::NextBlock);
    }
    m_table.current = nullptr;
    m_table.rowEnded = false;
    m_table.cellEnded = false;
    m_paragraph.ended = true;
    m_paragraph.hasContent = false;
    m_paragraph.labelled = false;
}

void RtfReaderImpl::positionInTable()
{
    if (m_table.rowEnded) {
        startRow();
        return;
    }
    if (!m_table.cellEnded)
        return;
    flushText();
    m_table.cellEnded = false;
    QTextTable &table = *m_table.current;
    // A row with more cells than the table has columns widens the table.
    if (m_table.column + 1 >= table.columns()) {
        if (table.columns() >= kMaxColumns || !spendCells(table.rows())) {
            m_cursor.insertBlock();
            return;
        }
        table.appendColumns(1);
    }
    ++m_table.column;
    moveToCell();
}

void RtfReaderImpl::startRow()
{
    flushText();
    QTextTable &table = *m_table.current;
    const int columns = table.columns();
    const int wanted =
        std::clamp(static_cast<int>(m_table.cellRights.size()), columns, kMaxColumns);
    if (!spendCells(wanted + qint64(wanted - columns) * table.rows())) {
        refuseTable();
        return;
    }
    if (wanted > columns)
        table.appendColumns(wanted - columns);
    if (m_table.row + 1 >= table.rows()) {
        // Rows come in batches: every change of a QTextTable's shape costs a pass over all its
        // cells. Rows left over are removed when the table closes.
        const int batch = std::clamp(m_table.row / 2, 1, 256);
        const qint64 spare = std::min<qint64>(batch - 1, m_table.cellBudget / wanted);
        m_table.cellBudget -= spare * wanted;
        table.appendRows(1 + static_cast<int>(spare));
    }
    ++m_table.row;
    m_table.column = 0;
    m_table.rowEnded = false;
    m_table.cellEnded = false;
    moveToCell();
}

void RtfReaderImpl::moveToCell()
{
    const QTextTableCell cell = m_table.current->cellAt(m_table.row, m_table.column);
    if (cell.isValid())
        m_cursor = cell.lastCursorPosition();
    m_paragraph.hasContent = false;
    m_paragraph.labelled = false;
}

void RtfReaderImpl::enterCell()
{
    if (!m_table.current)
        openTable();
    else
        positionInTable();
}

void RtfReaderImpl::nextCell()
{
    decodeBytes();
    if (m_table.refused) {
        endParagraph();
        return;
    }
    enterCell();
    if (!m_table.current) {
        endParagraph();
        return;
    }
    flushText();
    applyBlockFormat(m_state.para);
    m_table.cellEnded = true;
}

void RtfReaderImpl::endRow()
{
    decodeBytes();
    if (!m_table.current)
        return;
    if (!m_table.cellEnded && !m_table.rowEnded) {
        // The last cell was not closed by \cell; its content stays where it is.
        flushText();
        applyBlockFormat(m_state.para);
    }
    m_table.cellEnded = false;
    m_table.rowEnded = true;
}

} // namespace richtext::detail
