#pragma once

#include <QByteArray>
#include <QString>

namespace helpgen {

struct TopicRtf
{
    QByteArray rtf;
    // Why the topic was refused; empty when rtf holds it.
    QString error;
};

// A topic's Markdown (GitHub dialect) as the RTF Penwick stores: Verdana 10 pt, headings bold
// at fixed sizes, every format spelled out so that the bytes do not depend on the machine's
// fonts. The text must open with a level-1 heading that reads exactly as the topic's name.
TopicRtf topicRtf(const QString &markdown, const QString &name);

} // namespace helpgen
