#pragma once

#include <QStringView>

#include <string>
#include <string_view>

namespace richtext::detail {

// Where text goes decides how a double quote is written.
enum class TextUse {
    Body, // ordinary text: `"` stays a byte of its own, special characters get their words
    Header, // font names, field instructions, list level text: `"` as \'22, no words
};

// RTF bytes as they are built: control words, groups, escaped text. Knows when a control word
// still needs its delimiting blank, so callers never write one by hand.
class RtfOutput
{
public:
    void reserve(std::size_t bytes) { m_bytes.reserve(bytes); }

    // \name, or \nameN.
    void word(std::string_view name);
    void word(std::string_view name, int value);
    // \c for a control symbol such as \~ or \*.
    void symbol(char c);
    void openGroup();
    void closeGroup();
    // Ends an open control word with its blank even where the next byte would not need it.
    void delimit();
    // \'hh for a byte that is structure rather than text (list level lengths and placeholders).
    void hex(unsigned byte);
    // CR LF, for readable lines; readers ignore it.
    void lineEnd();
    // Bytes that need no escaping and end any control word before them (hex data).
    void raw(std::string_view bytes);
    // The one place where characters become RTF.
    void text(QStringView text, TextUse use);

    std::string_view bytes() const { return m_bytes; }

private:
    void beforeText(char first);
    void unicode(char16_t unit);

    // A std::string: appending single bytes to it is cheaper than to a QByteArray.
    std::string m_bytes;
    // A control word was just written and may still need a blank before text.
    bool m_wordOpen = false;
};

} // namespace richtext::detail
