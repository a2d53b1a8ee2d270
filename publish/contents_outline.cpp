#include "publish/contents_outline.h"

#include "storage/contents_line.h"

namespace publish {

int contentsDepth(const storage::FieldValue &level)
{
    return int(storage::indentWidth(level) / 3);
}

std::vector<std::ptrdiff_t> outlineParents(const std::vector<int> &depths)
{
    // The lists that are open, outermost first: the depth their entries share and their last
    // entry, under which a deeper one nests.
    struct OpenList
    {
        int depth;
        std::ptrdiff_t last;
    };
    std::vector<OpenList> open;
    std::vector<std::ptrdiff_t> parents(depths.size(), -1);
    for (std::size_t i = 0; i < depths.size(); ++i) {
        const int depth = depths[i];
        const auto index = std::ptrdiff_t(i);
        while (open.size() > 1 && open[open.size() - 2].depth >= depth)
            open.pop_back();
        if (!open.empty() && open.back().depth >= depth) {
            // A sibling of the open list's entries; an entry less deep than they are, with no
            // list of its depth to return to, joins them and sets the depth of those to come.
            open.back() = {depth, index};
            parents[i] = open.size() > 1 ? open[open.size() - 2].last : -1;
        } else {
            parents[i] = open.empty() ? -1 : open.back().last;
            open.push_back({depth, index});
        }
    }
    return parents;
}

QString nestedList(const std::vector<ContentsEntry> &entries, std::size_t first, std::size_t last,
    const std::function<QString(const ContentsEntry &)> &item, const QString &listClass)
{
    if (first >= last)
        return {};
    std::vector<int> depths;
    depths.reserve(last - first);
    for (std::size_t i = first; i < last; ++i)
        depths.push_back(entries[i].depth);
    const std::vector<std::ptrdiff_t> parents = outlineParents(depths);

    struct OpenItem
    {
        std::ptrdiff_t index;
        bool hasList;
    };
    std::vector<OpenItem> open;
    QString out = listClass.isEmpty() ? QStringLiteral("<ul>\n")
                                      : QStringLiteral("<ul class=\"%1\">\n").arg(listClass);
    auto closeItem = [&] {
        if (open.back().hasList)
            out += QLatin1String("</ul>\n");
        out += QLatin1String("</li>\n");
        open.pop_back();
    };
    for (std::size_t i = 0; i < depths.size(); ++i) {
        const std::ptrdiff_t parent = parents[i];
        while (!open.empty() && open.back().index != parent)
            closeItem();
        if (!open.empty() && !open.back().hasList) {
            out += QLatin1String("\n<ul>\n");
            open.back().hasList = true;
        }
        out += QLatin1String("<li>") + item(entries[first + i]);
        open.push_back({std::ptrdiff_t(i), false});
    }
    while (!open.empty())
        closeItem();
    out += QLatin1String("</ul>\n");
    return out;
}

} // namespace publish
