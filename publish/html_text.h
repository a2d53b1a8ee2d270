#pragma once

#include <QString>
#include <QStringView>

namespace publish {

// Text for HTML: &, < and > escaped, and the characters HTML forbids (controls other than tab
// and line feed, noncharacters, lone surrogates) left out.
QString htmlText(QStringView text);
// The same for an attribute value in double quotes.
QString htmlAttribute(QStringView text);
// A JSON string literal, quotes included, safe inside a script file as well: besides what JSON
// requires, "<", U+2028 and U+2029 are escaped.
QString jsonString(QStringView text);

// Whether HTML allows the character in text.
bool isHtmlCharacter(char32_t c);

} // namespace publish
