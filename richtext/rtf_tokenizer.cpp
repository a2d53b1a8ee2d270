#include "richtext/rtf_tokenizer.h"

#include <limits>

namespace richtext {

namespace {

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool endsText(char c)
{
    return c == '\\' || c == '{' || c == '}' || c == '\r' || c == '\n';
}

} // namespace

RtfTokenizer::RtfTokenizer(QByteArrayView input)
    : m_input(input)
{ }

void RtfTokenizer::setDoubleByteCodePage(int codePage)
{
    m_doubleByteCodePage = codePage;
}

bool RtfTokenizer::isLeadByte(unsigned char byte) const
{
    switch (m_doubleByteCodePage) {
    case 932:
        return (byte >= 0x81 && byte <= 0x9f) || (byte >= 0xe0 && byte <= 0xfc);
    case 936:
    case 949:
    case 950:
        return byte >= 0x81 && byte <= 0xfe;
    default:
        return false;
    }
}

RtfToken RtfTokenizer::next()
{
    // Line ends are not content in RTF.
    while (m_pos < m_input.size() && (m_input[m_pos] == '\r' || m_input[m_pos] == '\n'))
        ++m_pos;
    RtfToken token;
    token.offset = m_pos;
    if (m_pos >= m_input.size())
        return token;
    switch (m_input[m_pos]) {
    case '{':
        token.type = RtfTokenType::GroupStart;
        token.text = m_input.sliced(m_pos++, 1);
        return token;
    case '}':
        token.type = RtfTokenType::GroupEnd;
        token.text = m_input.sliced(m_pos++, 1);
        return token;
    case '\\':
        return readControl();
    default:
        return readText();
    }
}

RtfToken RtfTokenizer::readText()
{
    RtfToken token;
    token.type = RtfTokenType::Text;
    token.offset = m_pos;
    const qsizetype start = m_pos;
    const qsizetype size = m_input.size();
    if (m_doubleByteCodePage == 0) {
        while (m_pos < size && !endsText(m_input[m_pos]))
            ++m_pos;
    } else {
        while (m_pos < size && !endsText(m_input[m_pos])) {
            // A trail byte may be 0x5C ("\"), 0x7B or 0x7D; it belongs to its lead byte.
            if (isLeadByte(static_cast<unsigned char>(m_input[m_pos])) && m_pos + 1 < size
                && static_cast<unsigned char>(m_input[m_pos + 1]) >= 0x40)
                ++m_pos;
            ++m_pos;
        }
    }
    token.text = m_input.sliced(start, m_pos - start);
    return token;
}

RtfToken RtfTokenizer::readControl()
{
    RtfToken token;
    token.offset = m_pos;
    const qsizetype size = m_input.size();
    ++m_pos; // the backslash
    if (m_pos >= size) {
        m_truncated = true;
        token.type = RtfTokenType::End;
        return token;
    }
    const char first = m_input[m_pos];
    if (!isLetter(first)) {
        token.type = RtfTokenType::ControlSymbol;
        token.text = m_input.sliced(m_pos++, 1);
        if (first == '\'') {
            int value = 0;
            int digits = 0;
            while (digits < 2 && m_pos < size && hexValue(m_input[m_pos]) >= 0) {
                value = value * 16 + hexValue(m_input[m_pos]);
                ++m_pos;
                ++digits;
            }
            if (digits < 2 && m_pos >= size)
                m_truncated = true;
            token.hasParameter = digits == 2;
            token.parameter = digits == 2 ? value : -1;
        }
        return token;
    }
    const qsizetype nameStart = m_pos;
    while (m_pos < size && isLetter(m_input[m_pos]))
        ++m_pos;
    token.type = RtfTokenType::ControlWord;
    token.text = m_input.sliced(nameStart, m_pos - nameStart);

    bool negative = false;
    if (m_pos + 1 < size && m_input[m_pos] == '-' && isDigit(m_input[m_pos + 1])) {
        negative = true;
        ++m_pos;
    }
    if (m_pos < size && isDigit(m_input[m_pos])) {
        // Clamp rather than overflow; real parameters are far smaller.
        qint64 value = 0;
        while (m_pos < size && isDigit(m_input[m_pos])) {
            if (value <= std::numeric_limits<int>::max())
                value = value * 10 + (m_input[m_pos] - '0');
            ++m_pos;
        }
        value = std::min<qint64>(value, std::numeric_limits<int>::max());
        token.hasParameter = true;
        token.parameter = static_cast<int>(negative ? -value : value);
    }
    // A space delimits the word and belongs to it.
    if (m_pos < size && m_input[m_pos] == ' ')
        ++m_pos;

    if (token.text == "bin") {
        // The next N bytes are data, whatever they look like.
        const qint64 wanted = token.hasParameter ? std::max(token.parameter, 0) : 0;
        const qint64 available = size - m_pos;
        if (wanted > available)
            m_truncated = true;
        const qsizetype taken = static_cast<qsizetype>(std::min(wanted, available));
        token.type = RtfTokenType::Binary;
        token.text = m_input.sliced(m_pos, taken);
        m_pos += taken;
    }
    return token;
}

} // namespace richtext
