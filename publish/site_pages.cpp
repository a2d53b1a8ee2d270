#include "publish/site_pages.h"

#include "publish/html_text.h"
#include "publish/page_names.h"

namespace publish {

namespace {

const QString kIndexPage = QStringLiteral("index.html");

QString pageStart(const SiteInfo &site, const QString &pageTitle)
{
    QString out = QStringLiteral(
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
                      .arg(htmlAttribute(site.language), htmlText(pageTitle), htmlText(site.title));
    return out;
}

QString pageEnd(const QString &scripts = {})
{
    return scripts + QStringLiteral("</body>\n</html>\n");
}

QString topicLink(const ContentsEntry &entry)
{
    return QStringLiteral("<a href=\"%1\">%2</a>")
        .arg(htmlAttribute(entry.page), htmlText(shownTopicName(entry.name)));
}

QString contentsNav(const std::vector<ContentsEntry> &contents, std::size_t current)
{
    std::size_t first = 0;
    std::size_t last = contents.size();
    if (contents.size() > 2 * kContentsReach + 1) {
        first = current > kContentsReach ? current - kContentsReach : 0;
        last = std::min(contents.size(), current + kContentsReach + 1);
    }
    QString out =
        QStringLiteral("<nav class=\"contents\" aria-label=\"Contents\">\n<h2>Contents</h2>\n");
    if (first > 0)
        out += QStringLiteral("<p class=\"more\"><a href=\"index.html\">%1 topics before "
                              "these</a></p>\n")
                   .arg(first);
    const ContentsEntry *currentEntry = &contents[current];
    out += nestedList(contents, first, last, [currentEntry](const ContentsEntry &entry) {
        if (&entry != currentEntry)
            return topicLink(entry);
        return QStringLiteral("<a href=\"%1\" aria-current=\"page\">%2</a>")
            .arg(htmlAttribute(entry.page), htmlText(shownTopicName(entry.name)));
    });
    if (last < contents.size())
        out += QStringLiteral("<p class=\"more\"><a href=\"index.html\">%1 topics after "
                              "these</a></p>\n")
                   .arg(contents.size() - last);
    out += QLatin1String("</nav>\n");
    return out;
}

QString pagerNav(const std::vector<ContentsEntry> &contents, std::size_t current)
{
    QString out = QStringLiteral("<nav class=\"pager\" aria-label=\"Previous and next topic\">\n");
    if (current > 0) {
        const ContentsEntry &previous = contents[current - 1];
        out += QStringLiteral("<a rel=\"prev\" href=\"%1\">\u2190 Previous: %2</a>\n")
                   .arg(htmlAttribute(previous.page), htmlText(shownTopicName(previous.name)));
    }
    out += QStringLiteral("<a href=\"index.html\">Contents</a>\n");
    if (current + 1 < contents.size()) {
        const ContentsEntry &next = contents[current + 1];
        out += QStringLiteral("<a rel=\"next\" href=\"%1\">Next: %2 \u2192</a>\n")
                   .arg(htmlAttribute(next.page), htmlText(shownTopicName(next.name)));
    }
    out += QLatin1String("</nav>\n");
    return out;
}

} // namespace

QString topicPage(const SiteInfo &site, const std::vector<ContentsEntry> &contents,
    std::size_t index, const QString &topicHtml)
{
    const QString name = shownTopicName(contents[index].name);
    QString out = pageStart(site, name + QStringLiteral(" \u2013 ") + site.title);
    out += QStringLiteral("<div class=\"layout\">\n<main id=\"content\">\n<article>\n<h1>%1</h1>\n"
                          "<div class=\"topic\">\n")
               .arg(htmlText(name));
    out += topicHtml;
    out += QLatin1String("</div>\n</article>\n");
    out += pagerNav(contents, index);
    out += QLatin1String("</main>\n");
    out += contentsNav(contents, index);
    out += QLatin1String("</div>\n");
    out += pageEnd();
    return out;
}

QString indexPage(const SiteInfo &site, const std::vector<ContentsEntry> &contents)
{
    QString out = pageStart(site, site.title);
    out += QStringLiteral("<main id=\"content\">\n<h1>%1</h1>\n").arg(htmlText(site.title));
    if (contents.empty()) {
        out += QStringLiteral("<p>This help has no topics yet.</p>\n");
    } else {
        out += QStringLiteral("<nav class=\"toc\" aria-label=\"Contents\">\n<h2>Contents</h2>\n");
        out += nestedList(contents, 0, contents.size(), topicLink);
        out += QLatin1String("</nav>\n");
    }
    out += QLatin1String("</main>\n");
    out += pageEnd();
    return out;
}

QString searchPage(const SiteInfo &site)
{
    QString out = pageStart(site, QStringLiteral("Search \u2013 ") + site.title);
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
