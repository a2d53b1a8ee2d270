#pragma once

#include <QString>

#include <cstdint>

namespace publish {

// A document's title: its file name before the first full stop ("Manual" for
// "docs/Manual.scv").
QString documentTitle(const QString &documentPath);

// The name in ASCII for a file name: lower-case letters and digits joined by single hyphens.
// Accented letters lose their accents, a few letters become their usual spelling (ß as ss,
// æ as ae), everything else separates words. At most maxLength characters, cut at a hyphen
// where there is one.
QString asciiSlug(const QString &name, int maxLength);

// The page of topic number (from 1): its number in at least four digits, then the slug of its
// name ("0007-saving-a-topic.html"); the number alone for a name without letters or digits.
// The number keeps the name unique among topics of the same name.
QString topicPageName(std::uint64_t number, const QString &name);

// How a topic is named where a name must show (contents, page titles, PDF headings): its name,
// or "(untitled)" for the empty name of a placeholder.
QString shownTopicName(const QString &name);

} // namespace publish
