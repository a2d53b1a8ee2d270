// Paragraph placement: where the next content goes, inside or outside a table.

#include "richtext/rtf_reader_impl.h"

#include <QTextBlock>
#include <QTextTable>

namespace richtext::detail {

namespace {

constexpr double kTwipsPerPixel = 15.0;
// Word's tables have at most 63 columns; more cells in a row continue in the last one.
constexpr int kMaxColumns = 200;

} // namespace

void RtfReaderImpl::prepareContent()
{
    if (!inBodyText())
        return;
    if (!m_state.para.inTable || m_tableRefused) {
        if (m_table)
            closeTable();
        return;
    }
    if (!m_table)
        openTable();
    else
        positionInTable();
}

bool RtfReaderImpl::spendCells(qint64 cells)
{
    if (cells > m_cellBudget)
        return false;
    m_cellBudget -= cells;
    return true;
}

void RtfReaderImpl::refuseTable()
{
    noteProblem(QStringLiteral("tables larger than the input can hold, near byte %1")
                    .arg(m_tokenizer.position()));
    m_tableRefused = true;
    closeTable();
}

void RtfReaderImpl::openTable()
{
    flushText();
    const int columns = std::clamp(static_cast<int>(m_cellRights.size()), 1, kMaxColumns);
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
    for (int right : std::as_const(m_cellRights)) {
        widths.append(QTextLength(
            QTextLength::FixedLength, std::max<qint64>(qint64(right) - left, 0) / kTwipsPerPixel));
        left = right;
    }
    if (widths.size() == columns)
        format.setColumnWidthConstraints(widths);
    // The table goes before the empty block the last \par opened; that block would stay as an
    // empty line above the table, so it is joined to the paragraph before it.
    QTextBlock previous;
    if (!m_blockHasContent && m_cursor.block().length() == 1) {
        const QTextBlock candidate = m_cursor.block().previous();
        if (candidate.isValid() && QTextCursor(candidate).currentFrame() == m_cursor.currentFrame())
            previous = candidate;
    }
    m_table = m_cursor.insertTable(1, columns, format);
    if (previous.isValid()) {
        QTextCursor joiner(previous);
        joiner.movePosition(QTextCursor::EndOfBlock);
        joiner.deleteChar();
    }
    m_tableRow = 0;
    m_tableColumn = 0;
    m_rowEnded = false;
    m_cellEnded = false;
    moveToCell();
}

void RtfReaderImpl::trimTable()
{
    if (!m_table)
        return;
    const int spare = m_table->rows() - m_tableRow - 1;
    if (spare > 0) {
        m_cellBudget += qint64(spare) * m_table->columns();
        m_table->removeRows(m_tableRow + 1, spare);
    }
}

void RtfReaderImpl::closeTable()
{
    flushText();
    trimTable();
    if (m_table) {
        m_cursor = m_table->lastCursorPosition();
        m_cursor.movePosition(QTextCursor::NextBlock);
    }
    m_table = nullptr;
    m_endedParagraph = true;
    m_rowEnded = false;
    m_cellEnded = false;
    m_blockHasContent = false;
    m_sawListText = false;
}

void RtfReaderImpl::positionInTable()
{
    if (m_rowEnded) {
        flushText();
        const int columns = m_table->columns();
        const int wanted = std::clamp(static_cast<int>(m_cellRights.size()), columns, kMaxColumns);
        if (!spendCells(wanted + qint64(wanted - columns) * m_table->rows())) {
            refuseTable();
            return;
        }
        if (wanted > columns)
            m_table->appendColumns(wanted - columns);
        if (m_tableRow + 1 >= m_table->rows()) {
            // Rows come in batches: every change of a QTextTable's shape costs a pass over all
            // its cells. Rows left over are removed when the table closes.
            const int batch = std::clamp(m_tableRow / 2, 1, 256);
            const qint64 spare = std::min<qint64>(batch - 1, m_cellBudget / wanted);
            m_cellBudget -= spare * wanted;
            m_table->appendRows(1 + static_cast<int>(spare));
        }
        ++m_tableRow;
        m_tableColumn = 0;
        m_rowEnded = false;
        m_cellEnded = false;
        moveToCell();
    } else if (m_cellEnded) {
        flushText();
        m_cellEnded = false;
        // A row with more cells than the table has columns widens the table.
        if (m_tableColumn + 1 >= m_table->columns()) {
            if (m_table->columns() >= kMaxColumns || !spendCells(m_table->rows())) {
                m_cursor.insertBlock();
                return;
            }
            m_table->appendColumns(1);
        }
        ++m_tableColumn;
        moveToCell();
    }
}

void RtfReaderImpl::moveToCell()
{
    const QTextTableCell cell = m_table->cellAt(m_tableRow, m_tableColumn);
    if (cell.isValid())
        m_cursor = cell.lastCursorPosition();
    m_blockHasContent = false;
    m_sawListText = false;
}

void RtfReaderImpl::enterCell()
{
    if (!m_table)
        openTable();
    else
        positionInTable();
}

void RtfReaderImpl::nextCell()
{
    decodeBytes();
    if (m_tableRefused) {
        endParagraph();
        return;
    }
    enterCell();
    if (!m_table) {
        endParagraph();
        return;
    }
    flushText();
    applyBlockFormat(m_state.para);
    m_cellEnded = true;
}

void RtfReaderImpl::endRow()
{
    decodeBytes();
    if (!m_table)
        return;
    if (!m_cellEnded && !m_rowEnded) {
        // The last cell was not closed by \cell; its content stays where it is.
        flushText();
        applyBlockFormat(m_state.para);
    }
    m_cellEnded = false;
    m_rowEnded = true;
}

} // namespace richtext::detail
