#pragma once

#include <QString>

#include <optional>
#include <vector>

class QTextDocument;

namespace richtext {

// Links between the topics of one help document: a link whose address is "topic:" and a
// topic's name, plain or percent-encoded, blanks included ("topic:Saving a Topic",
// "topic:Saving%20a%20Topic"). What a word processor writes when the author inserts a
// hyperlink with that address.
inline constexpr QLatin1StringView kTopicScheme {"topic:"};

// The topic name a link address names, or nothing when the address is no topic link.
std::optional<QString> topicLinkName(const QString &address);

// The address of a link to the topic of that name.
QString topicLinkAddress(const QString &name);

// A link to a topic in a document read from RTF: the topic it names and the text it shows.
struct TopicLink
{
    QString target;
    QString text;
};

// The topic links of a document in reading order; a link whose text changes format part way is
// one link.
std::vector<TopicLink> topicLinksIn(const QTextDocument &document);

} // namespace richtext
