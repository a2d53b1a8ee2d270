#pragma once

#include <QString>

#include <cstdint>
#include <vector>

namespace publish {

enum class ExportOutcome {
    Written, // the site or manual is complete in its place
    Damaged, // the document is damaged; nothing was written
    Refused, // the target may not be written (a folder that holds the user's files)
    Failed, // the document could not be read or the output not written
    Cancelled, // the observer asked to stop; nothing was written
};

struct ExportResult
{
    ExportOutcome outcome = ExportOutcome::Failed;
    // Why, when nothing was written: a sentence without its full stop, naming the file.
    QString message;
    // The folder or file written.
    QString written;
    std::uint64_t topics = 0;
    // Site: the picture files written (each picture once, however many topics show it).
    std::uint64_t pictures = 0;
    // Manual: its pages, and the page (from 1) on which each topic starts, in contents order.
    int pages = 0;
    std::vector<int> topicPages;
    // Manual: whether it carries bookmarks (the outline) following the contents.
    bool outline = false;

    bool ok() const { return outcome == ExportOutcome::Written; }
};

// Follows an export: how far it is, and what it met that does not stop it.
class ExportObserver
{
public:
    virtual ~ExportObserver() = default;
    // done of total steps; false asks the export to stop and leave nothing behind.
    virtual bool progress(std::uint64_t done, std::uint64_t total)
    {
        Q_UNUSED(done);
        Q_UNUSED(total);
        return true;
    }
    // A problem the export goes on after, such as a link to a missing topic.
    virtual void warning(const QString &message) { Q_UNUSED(message); }
};

} // namespace publish
