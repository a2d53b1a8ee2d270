#include "richtext/topic_link.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>
#include <QUrl>

namespace richtext {

std::optional<QString> topicLinkName(const QString &address)
{
    const QString trimmed = address.trimmed();
    if (!trimmed.startsWith(kTopicScheme, Qt::CaseInsensitive))
        return std::nullopt;
    // A name written plainly keeps its characters; a percent-encoded one is decoded. A '%'
    // that starts no escape stays as it is.
    return QUrl::fromPercentEncoding(trimmed.mid(kTopicScheme.size()).toUtf8());
}

QString topicLinkAddress(const QString &name)
{
    return kTopicScheme + QString::fromUtf8(QUrl::toPercentEncoding(name));
}

std::vector<TopicLink> topicLinksIn(const QTextDocument &document)
{
    std::vector<TopicLink> links;
    QString openHref; // the link the last fragment belonged to; empty between links
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat format = fragment.charFormat();
            const QString href = format.isAnchor() ? format.anchorHref() : QString();
            const std::optional<QString> target = topicLinkName(href);
            if (!target) {
                openHref.clear();
                continue;
            }
            if (href == openHref && !links.empty()) {
                links.back().text += fragment.text();
                continue;
            }
            links.push_back({*target, fragment.text()});
            openHref = href;
        }
        // A link ends with its paragraph.
        openHref.clear();
    }
    return links;
}

} // namespace richtext
