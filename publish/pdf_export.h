#pragma once

#include "publish/export_result.h"

#include <QDate>
#include <QPageSize>
#include <QString>

#include <string>

namespace publish {

struct PdfOptions
{
    QPageSize::PageSizeId pageSize = QPageSize::A4;
    // The date on the title page; today when null.
    QDate date;
};

// Writes the help document at documentPath as a PDF manual to outPath: a title page (the
// document's title and the date), a table of contents with page numbers whose entries lead to
// their pages, then every topic in contents order from a new page, its name as a heading sized
// by its level, its text as the reader lays it out (pictures and tables included), topic links
// leading to their topics' pages, page numbers in the footer, and bookmarks following the
// contents. Topics are read one at a time, twice: once to count their pages, once to draw them.
// The manual is written beside outPath and moved over it when complete; a failure leaves
// outPath as it was. shownPath names the document in messages.
ExportResult exportPdf(const std::string &documentPath, const QString &shownPath,
    const QString &outPath, const PdfOptions &options, ExportObserver &observer);

} // namespace publish
