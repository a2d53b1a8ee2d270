#pragma once

#include "storage/status.h"
#include "storage/topic_record.h"

#include <cstdint>
#include <functional>
#include <string>

namespace storage {

// What a rewrite does with one record of the document.
struct RecordChange
{
    enum class Action {
        Keep, // write it back as it was read
        Replace, // write record instead
        Drop, // leave it out
        InsertBefore, // write record, then the one read
        InsertAfter, // write the one read, then record
    };
    Action action = Action::Keep;
    TopicRecord record;

    static RecordChange keep() { return {}; }
    static RecordChange drop() { return {Action::Drop, {}}; }
    static RecordChange replace(TopicRecord r) { return {Action::Replace, std::move(r)}; }
    static RecordChange insertBefore(TopicRecord r) { return {Action::InsertBefore, std::move(r)}; }
    static RecordChange insertAfter(TopicRecord r) { return {Action::InsertAfter, std::move(r)}; }
};

// Called for record number (1-based) of the document, in file order, and once more after the
// last record with record == nullptr, where an insert appends to the end and anything else
// does nothing.
using RecordChangeFn = std::function<RecordChange(std::uint64_t number, const TopicRecord *record)>;

struct RewriteResult
{
    // Not ok: the rewrite stopped before the document was replaced, which is as it was.
    Status status;
    // With status ok, not ok when the document was replaced but the folder could not be flushed
    // to disk afterwards: the change is made and every program sees it, yet a power cut soon
    // after could still bring the old document back.
    Status warning;
    std::uint64_t recordsRead = 0;
    std::uint64_t recordsWritten = 0; // records in the new document; 0 when left untouched
    // Records that were not simply kept. With none, the document is left untouched.
    std::uint64_t changes = 0;
    // When an earlier rewrite had left "Help.tmp" behind: the new name it was moved to.
    std::string leftoverMovedTo;
};

// Rewrites a document through "Help.tmp" in the working folder: the new content is written
// whole, flushed to disk, and renamed over the document in one step, so the folder always holds
// the old document or the new one. A damaged document, or any failing write, leaves the
// document byte for byte as it was and returns the error. Once the rename is done the change
// stands: a folder that cannot be flushed after it gives a warning, not an error. A "Help.tmp" left
// by an interrupted rewrite is first moved aside to an unused "Recovered N.scv" (a zero-byte one,
// which holds nothing, is removed).
RewriteResult rewriteDocument(const std::string &path, const RecordChangeFn &change);

// Ready-made changes. Record numbers are 1-based.
RecordChangeFn replaceRecord(std::uint64_t number, TopicRecord replacement);
RecordChangeFn dropRecord(std::uint64_t number);
// number 0 inserts before the first record; a number past the last appends.
RecordChangeFn insertAfterRecord(std::uint64_t number, TopicRecord inserted);
// Exchanges record number with the one after it; nothing changes when number is the last.
RecordChangeFn swapWithNext(std::uint64_t number);

namespace detail {

// The points of a rewrite at which a test may stop the process.
enum class RewriteStep {
    Locked,
    LeftoverMoved,
    ScratchCreated,
    RecordWritten,
    ScratchFlushed,
    Replaced,
};
void setRewriteStepHook(std::function<void(RewriteStep)> hook);

} // namespace detail

} // namespace storage
