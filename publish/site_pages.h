#pragma once

#include "publish/contents_outline.h"

#include <QString>

#include <cstddef>
#include <vector>

namespace publish {

// What every page of a site names: the document's title and the language of its text.
struct SiteInfo
{
    QString title;
    QString language = QStringLiteral("en");
};

// A topic's page: the banner with the search box, the topic's name and text, Previous and
// Next in contents order, and the contents beside it with this topic marked. A long contents
// shows the topics around this one and leads to the index for the rest, so that pages do not
// grow with the document.
QString topicPage(const SiteInfo &site, const std::vector<ContentsEntry> &contents,
    std::size_t index, const QString &topicHtml);

// index.html: the title, the search box and the whole contents as nested lists.
QString indexPage(const SiteInfo &site, const std::vector<ContentsEntry> &contents);

// search.html: the search box and the list that search.js fills from search-index.js.
QString searchPage(const SiteInfo &site);

// The most topics shown in a page's contents on either side of its own topic.
inline constexpr std::size_t kContentsReach = 60;

} // namespace publish
