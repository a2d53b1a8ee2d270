#pragma once

#include <QString>

class QTextDocument;
class QTextImageFormat;

namespace publish {

// What a topic's links and pictures become on its page; the site export answers.
class TopicResources
{
public:
    virtual ~TopicResources() = default;
    // The page of the topic that a link names; empty when the document has no topic of that
    // name, and the link's text is then shown plain.
    virtual QString pageOfTopic(const QString &name) = 0;
    // The address of the file a picture is published as, relative to the page; empty to leave
    // the picture out.
    virtual QString pictureFile(const QTextImageFormat &format, const QTextDocument &document) = 0;
};

// A topic's text, as the reader made it from the RTF, as HTML for the body of its page.
// Paragraphs become p, headings h2 to h6 below the page's own h1 (never skipping a level),
// paragraphs that start with a list label and a tab ul or ol items that keep their label,
// tables table; bold, italic, underline, strike-through, raised and lowered text, colours, sizes,
// font families reduced to serif, sans-serif and monospace, alignment and indents follow.
// Links to topics lead to their pages, web and mail links stay, every other address is dropped.
// Each picture's alt text is pictureAlt followed by its number in the topic.
QString topicHtml(
    const QTextDocument &document, TopicResources &resources, const QString &pictureAlt);

// The address a link may keep on a published page: web (http, https with a host) and mail
// (mailto with an address); empty for every other.
QString publishedWebAddress(const QString &href);

// A font family as the web has it: "serif", "monospace" or "sans-serif" (also for names it does
// not know, as the display's own face is one).
QString webFontFamily(const QString &family);

} // namespace publish
