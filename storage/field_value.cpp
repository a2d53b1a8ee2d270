#include "storage/field_value.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace storage {

FieldValue FieldValue::string(std::string bytes)
{
    FieldValue v;
    v.m_text = std::move(bytes);
    return v;
}

FieldValue FieldValue::number(double value)
{
    FieldValue v;
    v.setNumber(value);
    return v;
}

void FieldValue::setString(std::string_view bytes)
{
    m_kind = Kind::String;
    m_text.assign(bytes);
    m_number = 0;
}

void FieldValue::setNumber(double value)
{
    m_kind = Kind::Number;
    m_number = value;
    m_text = formatNumber(value).value_or(std::string());
}

void FieldValue::markNumber(double value)
{
    m_kind = Kind::Number;
    m_number = value;
}

bool operator==(const FieldValue &a, const FieldValue &b)
{
    if (a.m_kind != b.m_kind)
        return false;
    return a.m_kind == FieldValue::Kind::Number ? a.m_number == b.m_number : a.m_text == b.m_text;
}

std::optional<double> FieldValue::asNumber() const
{
    if (m_kind == Kind::Number)
        return m_number;
    std::string_view t = m_text;
    while (!t.empty() && t.front() == ' ')
        t.remove_prefix(1);
    while (!t.empty() && t.back() == ' ')
        t.remove_suffix(1);
    return parseNumber(t);
}

std::optional<double> parseNumber(std::string_view text)
{
    if (text.empty())
        return std::nullopt;
    // from_chars also takes "inf" and "nan"; a number here starts with a digit or a period.
    const std::size_t first = text.front() == '-' ? 1 : 0;
    if (first >= text.size())
        return std::nullopt;
    const char c = text[first];
    if (!(c >= '0' && c <= '9') && c != '.')
        return std::nullopt;
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<std::string> formatNumber(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    if (value == 0)
        value = 0; // no "-0"
    char buffer[400]; // the longest fixed form of a double is 1 + 309 digits + sign and fraction
    const auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    if (ec != std::errc())
        return std::nullopt;
    return std::string(buffer, end);
}

} // namespace storage
