#pragma once

#include <QByteArray>

class QTextDocument;

namespace richtext {

class RtfWriter
{
public:
    // The document as RTF: {\rtf1\ansi\ansicpg1252\deff0 with font and colour tables, then the
    // content; 7-bit only; ends with "}" CR LF.
    static QByteArray write(const QTextDocument &document);
};

} // namespace richtext
