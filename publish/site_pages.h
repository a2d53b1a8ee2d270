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

// The pages of a site. Each contents line's link is made once, for the many pages that show it.
class SitePages
{
public:
    SitePages(const SiteInfo &site, const std::vector<ContentsEntry> &contents);

    // A topic's page: the banner with the search box, the topic's name and text, Previous and
    // Next in contents order, and the contents beside it with this topic marked. A long
    // contents shows the topics around this one and leads to the index for the rest, so that
    // pages do not grow with the document.
    QString topicPage(std::size_t index, const QString &topicHtml) const;
    // index.html: the title, the search box and the whole contents as nested lists.
    QString indexPage() const;
    // search.html: the search box and the list that search.js fills from search-index.js.
    QString searchPage() const;

private:
    QString pageStart(const QString &pageTitle) const;
    QString contentsNav(std::size_t current) const;
    QString pagerNav(std::size_t current) const;

    SiteInfo m_site;
    const std::vector<ContentsEntry> &m_contents;
    std::vector<QString> m_names; // each topic's shown name, as HTML text
    std::vector<QString> m_links; // each topic's link, as the contents show it
};

// The most topics shown in a page's contents on either side of its own topic.
inline constexpr std::size_t kContentsReach = 60;

} // namespace publish
