#pragma once

#include <QByteArrayView>

namespace richtext {

enum class RtfTokenType {
    GroupStart, // "{"
    GroupEnd, // "}"
    ControlWord, // "\name" with an optional signed parameter
    ControlSymbol, // "\" and one character; for "\'hh" the parameter is the byte (-1 if bad hex)
    Text, // a run of plain bytes, line ends left out
    Binary, // the data that follows "\binN"
    End, // no more input
};

struct RtfToken
{
    RtfTokenType type = RtfTokenType::End;
    // The control word's name, the symbol character, the text run or the binary data; a view
    // into the input.
    QByteArrayView text;
    int parameter = 0;
    bool hasParameter = false;
    // Byte offset of the token's first byte in the input.
    qsizetype offset = 0;
};

// Cuts RTF bytes into tokens, one at a time, without copying them. It never fails: damage shows
// up as tokens the reader skips and as truncated().
class RtfTokenizer
{
public:
    explicit RtfTokenizer(QByteArrayView input);
    RtfTokenizer(const RtfTokenizer &) = delete;
    RtfTokenizer &operator=(const RtfTokenizer &) = delete;

    RtfToken next();

    // Raw text in a double-byte code page (932, 936, 949, 950) keeps a lead byte's trail byte
    // in the same run even when it is "\", "{" or "}". 0 turns this off.
    void setDoubleByteCodePage(int codePage);

    // True when the input ended inside a token (a "\" at the end, a short "\'h", or fewer bytes
    // than "\binN" announced).
    bool truncated() const { return m_truncated; }
    qsizetype position() const { return m_pos; }

private:
    RtfToken readControl();
    RtfToken readText();
    bool isLeadByte(unsigned char byte) const;

    QByteArrayView m_input;
    qsizetype m_pos = 0;
    int m_doubleByteCodePage = 0;
    bool m_truncated = false;
};

} // namespace richtext
