#pragma once

#include <QByteArray>
#include <QString>

namespace author {

// The cleaning a topic's RTF gets before it is saved, as a pure function: every double quote
// becomes an apostrophe; one last character outside codes 33 to 122 is removed; each
// \ldblquote and \rdblquote control word, with the blank that ends it, becomes an apostrophe.
// Works at any position and length.
QByteArray illegalCharsRemoved(QByteArray rtf);

// A topic name as it can be stored: double quotes become apostrophes.
QString storableTopicName(QString name);

// The last guard before a topic text is written: a double-quote byte, which the record format
// cannot carry, is written as the RTF escape \'22, which shows the same character.
QByteArray withoutQuoteBytes(QByteArray rtf);

} // namespace author
