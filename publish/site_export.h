#pragma once

#include "publish/export_result.h"

#include <QString>

#include <string>

namespace publish {

struct SiteOptions
{
    // The language of the help's text, for the pages' lang attribute.
    QString language = QStringLiteral("en");
};

// Writes the help document at documentPath as a static web site into folder: index.html with
// the contents, one page per topic, search.html with its index and script, the stylesheet, the
// pictures under images/, and the marker that lets a later export replace it. One topic is in
// memory at a time. shownPath names the document in messages. Nothing is left in folder unless
// the whole site was written (see SiteFolder).
ExportResult exportSite(const std::string &documentPath, const QString &shownPath,
    const QString &folder, const SiteOptions &options, ExportObserver &observer);

} // namespace publish
