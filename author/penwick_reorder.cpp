// Insert, Move Up, Move Down and Remove: each rewrites the document through the scratch file.
#include "author/penwick.h"

#include "storage/rewrite.h"
#include "ui/click_list.h"
#include "ui/message_boxes.h"

#include <QListWidget>

#include <cmath>
#include <deque>
#include <limits>
#include <optional>

namespace {

// A level written back by Move Up and Move Down: always a quoted string.
storage::FieldValue quotedLevel(const storage::FieldValue &level)
{
    return storage::FieldValue::string(level.text());
}

// The moving record's level goes through a 16-bit whole number, rounded half to even; one that
// is not a number or does not fit stays as it was instead of failing.
storage::FieldValue wholeLevel(const storage::FieldValue &level)
{
    const std::optional<double> value = level.asNumber();
    if (!value)
        return quotedLevel(level);
    const double rounded = std::nearbyint(*value);
    if (rounded < -32768.0 || rounded > 32767.0)
        return quotedLevel(level);
    return storage::FieldValue::string(std::to_string(static_cast<int>(rounded)));
}

// Exchanges record first with first + 1, writing every level as a quoted string and the moving
// record's (moving) level as a whole number. A rewrite emits at most one record of its own per
// record read, so the output runs one record behind the input after the exchange.
storage::RecordChangeFn exchangeWithNext(std::uint64_t first, bool movingIsFirst)
{
    struct State
    {
        std::deque<storage::TopicRecord> pending;
        std::optional<storage::TopicRecord> held;
    };
    auto state = std::make_shared<State>();
    return [=](std::uint64_t number, const storage::TopicRecord *record) -> storage::RecordChange {
        if (record) {
            storage::TopicRecord out = *record;
            const bool moving = movingIsFirst ? number == first : number == first + 1;
            out.level = moving ? wholeLevel(record->level) : quotedLevel(record->level);
            if (number == first) {
                state->held = std::move(out);
            } else {
                state->pending.push_back(std::move(out));
                if (number == first + 1 && state->held) {
                    state->pending.push_back(std::move(*state->held));
                    state->held.reset();
                }
            }
        } else if (state->held) {
            // No record followed: it stays last.
            state->pending.push_back(std::move(*state->held));
            state->held.reset();
        }
        if (state->pending.empty())
            return record ? storage::RecordChange::drop() : storage::RecordChange::keep();
        storage::TopicRecord next = std::move(state->pending.front());
        state->pending.pop_front();
        if (!record)
            return storage::RecordChange::insertAfter(std::move(next));
        return storage::RecordChange::replace(std::move(next));
    };
}

} // namespace

bool Penwick::rewrite(const storage::RecordChangeFn &change, storage::RewriteResult &result)
{
    if (!documentExists()) {
        // Deleted since it became current (the Open dialog's Delete, or another program):
        // there is nothing to change, and a rewrite would say so in words of its own.
        result = {};
        result.status = storage::Status::error(storage::ErrorCode::NotFound, documentPath());
        m_boxes.show(this,
            QStringLiteral("The document \"%1\" no longer exists, so it cannot be changed. Use "
                           "File > Create to make it anew, or File > Open to choose another "
                           "document.")
                .arg(CurrentHelpFileName),
            MessageBoxes::WarningIcon, {});
        return false;
    }
    result = storage::rewriteDocument(documentPath(), change);
    if (!result.leftoverMovedTo.empty()) {
        m_boxes.show(this,
            QStringLiteral(
                "An interrupted earlier change had left \"Help.tmp\" behind. It was kept "
                "as \"%1\"; open it to recover its topics.")
                .arg(QString::fromStdString(result.leftoverMovedTo)),
            MessageBoxes::WarningIcon, {});
    }
    if (!result.status.ok()) {
        reportFailure(QStringLiteral("The document could not be changed; it is as it was."),
            result.status.message());
        return false;
    }
    // The document is replaced: the window follows the change, whatever the flush said.
    if (!result.warning.ok()) {
        m_boxes.show(this,
            QStringLiteral("The change was made, but the folder could not be flushed to disk, so "
                           "a power failure soon after could still undo it. %1")
                .arg(QString::fromStdString(result.warning.message())),
            MessageBoxes::WarningIcon, {});
    }
    return result.changes > 0;
}

void Penwick::InsertCmd_Click()
{
    const int k = List1->currentRow();
    storage::RewriteResult result;
    // With no line highlighted the placeholder goes to the end.
    const std::uint64_t after =
        k < 0 ? std::numeric_limits<std::uint64_t>::max() : std::uint64_t(k) + 1;
    if (!rewrite(storage::insertAfterRecord(after, storage::placeholderRecord()), result))
        return;
    RecordCount = result.recordsWritten;
    const std::uint64_t placeholder = k < 0 ? RecordCount : after + 1;
    SelectedNumber = placeholder;
    clearList1();
    FillQty();
    setList1Index(int(placeholder - 1));
    EditFlag = true;
    m_editTarget = placeholder;
}

void Penwick::UpCmd_Click()
{
    moveSelected(-1);
}

void Penwick::DownCmd_Click()
{
    moveSelected(+1);
}

void Penwick::moveSelected(int delta)
{
    const std::uint64_t n = SelectedNumber;
    if (n == 0 || n > RecordCount)
        return;
    if ((delta < 0 && n == 1) || (delta > 0 && n == RecordCount))
        return;
    const std::uint64_t first = delta < 0 ? n - 1 : n;
    storage::RewriteResult result;
    if (!rewrite(exchangeWithNext(first, delta > 0), result))
        return;
    RecordCount = result.recordsWritten;
    const std::uint64_t moved = delta < 0 ? n - 1 : n + 1;
    // The topic being edited travels with its record.
    if (m_editTarget == n)
        m_editTarget = moved;
    else if (m_editTarget == moved)
        m_editTarget = n;
    clearList1();
    FillQty();
    setList1Index(int(moved - 1));
}

void Penwick::RemoveCmd_Click()
{
    const std::uint64_t n = SelectedNumber;
    if (n == 0 || n > RecordCount)
        return;
    storage::RewriteResult result;
    if (!rewrite(storage::dropRecord(n), result))
        return;
    RecordCount = result.recordsWritten;
    // Nothing is chosen afterwards: the record that moved into the removed one's place was
    // never chosen, and a second press must not remove it too.
    SelectedNumber = 0;
    clearList1();
    FillQty();
    setList1Index(-1);
    if (EditFlag && m_editTarget == n) {
        endEditMode(QStringLiteral("The topic being edited was removed. Your entries are kept; "
                                   "Save adds them as a new topic."));
    } else if (m_editTarget > n) {
        --m_editTarget;
    }
}
