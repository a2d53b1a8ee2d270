#include "richtext/topic_link.h"

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

} // namespace richtext
