#pragma once

#include <QString>

#include <cstddef>
#include <vector>

namespace publish {

// Qt's PDF writer (Qt 6.4) makes links to web addresses only, and no bookmarks. Links inside the
// manual are drawn as links to a placeholder address that names the page they lead to; the
// finished file is then mended in place: each placeholder's action becomes a jump to that page,
// written in the same number of bytes so that no offset moves, and an incremental update (new
// objects, a new catalogue and cross-reference section appended, as PDF allows) adds the
// bookmarks.

// The address a link to page (from 1) is drawn with.
QString pageLinkAddress(int page);

// One bookmark: its title, the page (from 1) it opens, and the bookmark it is under (an index
// into the list, before it; -1 at the top).
struct Bookmark
{
    QString title;
    int page = 1;
    std::ptrdiff_t parent = -1;
};

// Mends the PDF file at path as above. False, with why in error, when the file is not as Qt
// writes it or cannot be rewritten.
bool addPdfNavigation(const QString &path, const std::vector<Bookmark> &bookmarks, QString &error);

} // namespace publish
