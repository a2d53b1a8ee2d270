#include "publish/site_pages.h"

#include "publish/html_text.h"
#include "publish/page_names.h"

namespace publish {

SitePages::SitePages(const SiteInfo &site, const std::vector<ContentsEntry> &contents)
    : m_site(site)
    , m_contents(contents)
{
    m_names.reserve(contents.size());
    m_links.reserve(contents.size());
    for (const ContentsEntry &entry : contents) {
        m_names.push_back(htmlText(shownTopicName(entry.name)));
        m_links.push_back(
            QStringLiteral("<a href=\"%1\">%2</a>").arg(htmlAttribute(entry.page), m_names.back()));
    }
}

QString SitePages::pageStart(const QString &pageTitle) const
{
    return QStringLiteral(
        "<!DOCTYPE html>\n"
        "<html lang=\"%1\">\n"
        "<head>\n"
        "<meta charset=\"utf-8\">\n"
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
        "<title>%2</title>\n"
        "<link rel=\"stylesheet\" href=\"style.css\">\n"
        "</head>\n"
        "<body>\n"
        "<a class=\"skip\" href=\"#content\">Skip to the text</a>\n"
        "<header class=\"banner\">\n"
        "<a class=\"site-title\" href=\"index.html\">%3</a>\n"
        "<form class=\"search-form\" role=\"search\" action=\"search.html\" method=\"get\">\n"
        "<label for=\"q\">Search the help</label>\n"
        "<input id=\"q\" name=\"q\" type=\"search\" placeholder=\"Search\">\n"
        "<button type=\"submit\">Search</button>\n"
        "</form>\n"
        "</header>\n")
        .arg(htmlAttribute(m_site.language), htmlText(pageTitle), htmlText(m_site.title));
}

namespace {

QString pageEnd(const QString &scripts = {})
{
    return scripts + QStringLiteral("</body>\n</html>\n");
}

} // namespace

QString SitePages::contentsNav(std::size_t current) const
{
    std::size_t first = 0;
    std::size_t last = m_contents.size();
    if (m_contents.size() > 2 * kContentsReach + 1) {
        first = current > kContentsReach ? current - kContentsReach : 0;
        last = std::min(m_contents.size(), current + kContentsReach + 1);
    }
    QString out =
        QStringLiteral("<nav class=\"contents\" aria-label=\"Contents\">\n<h2>Contents</h2>\n");
    if (first > 0)
        out += QStringLiteral("<p class=\"more\"><a href=\"index.html\">%1 topics before "
                              "these</a></p>\n")
                   .arg(first);
    const ContentsEntry *base = m_contents.data();
    out += nestedList(m_contents, first, last, [&](const ContentsEntry &entry) {
        const std::size_t index = std::size_t(&entry - base);
        if (index != current)
            return m_links[index];
        return QStringLiteral("<a href=\"%1\" aria-current=\"page\">%2</a>")
            .arg(htmlAttribute(entry.page), m_names[index]);
    });
    if (last < m_contents.size())
        out += QStringLiteral("<p class=\"more\"><a href=\"index.html\">%1 topics after "
                              "these</a></p>\n")
                   .arg(m_contents.size() - last);
    out += QLatin1String("</nav>\n");
    return out;
}

QString SitePages::pagerNav(std::size_t current) const
{
    QString out = QStringLiteral("<nav class=\"pager\" aria-label=\"Previous and next topic\">\n");
    if (current > 0)
        out += QStringLiteral("<a rel=\"prev\" href=\"%1\">\u2190 Previous: %2</a>\n")
                   .arg(htmlAttribute(m_contents[current - 1].page), m_names[current - 1]);
    out += QStringLiteral("<a href=\"index.html\">Contents</a>\n");
    if (current + 1 < m_contents.size())
        out += QStringLiteral("<a rel=\"next\" href=\"%1\">Next: %2 \u2192</a>\n")
                   .arg(htmlAttribute(m_contents[current + 1].page), m_names[current + 1]);
    out += QLatin1String("</nav>\n");
    return out;
}

QString SitePages::topicPage(std::size_t index, const QString &topicHtml) const
{
    const QString name = shownTopicName(m_contents[index].name);
    QString out = pageStart(name + QStringLiteral(" \u2013 ") + m_site.title);
    out.reserve(out.size() + topicHtml.size() + 16 * 1024);
    out += QStringLiteral("<div class=\"layout\">\n<main id=\"content\">\n<article>\n<h1>%1</h1>\n"
                          "<div class=\"topic\">\n")
               .arg(m_names[index]);
    out += topicHtml;
    out += QLatin1String("</div>\n</article>\n");
    out += pagerNav(index);
    out += QLatin1String("</main>\n");
    out += contentsNav(index);
    out += QLatin1String("</div>\n");
    out += pageEnd();
    return out;
}

QString SitePages::indexPage() const
{
    QString out = pageStart(m_site.title);
    out += QStringLiteral("<main id=\"content\">\n<h1>%1</h1>\n").arg(htmlText(m_site.title));
    if (m_contents.empty()) {
        out += QStringLiteral("<p>This help has no topics yet.</p>\n");
    } else {
        out += QStringLiteral("<nav class=\"toc\" aria-label=\"Contents\">\n<h2>Contents</h2>\n");
        const ContentsEntry *base = m_contents.data();
        out += nestedList(m_contents, 0, m_contents.size(),
            [&](const ContentsEntry &entry) { return m_links[std::size_t(&entry - base)]; });
        out += QLatin1String("</nav>\n");
    }
    out += QLatin1String("</main>\n");
    out += pageEnd();
    return out;
}

QString SitePages::searchPage() const
{
    QString out = pageStart(QStringLiteral("Search \u2013 ") + m_site.title);
    out += QStringLiteral(
        "<main id=\"content\">\n<h1>Search</h1>\n"
        "<p id=\"search-status\" role=\"status\">Searching needs JavaScript, which is switched "
        "off; the <a href=\"index.html\">contents</a> lead to every topic.</p>\n"
        "<ol id=\"results\" class=\"results\"></ol>\n"
        "</main>\n");
    out += pageEnd(QStringLiteral("<script src=\"search-index.js\"></script>\n"
                                  "<script src=\"search.js\"></script>\n"));
    return out;
}

} // namespace publish
