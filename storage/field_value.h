#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace storage {

// One field of a record, keeping the kind it was read or is to be written as: a quoted string,
// or an unquoted number.
class FieldValue
{
public:
    enum class Kind { String, Number };

    FieldValue() = default;
    static FieldValue string(std::string bytes);
    static FieldValue number(double value);

    Kind kind() const { return m_kind; }
    bool isNumber() const { return m_kind == Kind::Number; }
    // The string's bytes; for a number, the text it was read from or its canonical form.
    const std::string &text() const { return m_text; }
    std::string &text() { return m_text; }
    // The number's value; 0 for a string.
    double numberValue() const { return m_number; }

    void setString(std::string_view bytes);
    // A number; its text becomes the canonical decimal form.
    void setNumber(double value);
    // Makes the text just read a number of the given value, keeping the text as read.
    void markNumber(double value);

    // The value as a number where one is needed: a number as it is, a string such as "1" as
    // the number it spells (blanks around it allowed); nothing for anything else.
    std::optional<double> asNumber() const;

    // Numbers compare by value, strings by bytes.
    friend bool operator==(const FieldValue &a, const FieldValue &b);

private:
    Kind m_kind = Kind::String;
    std::string m_text;
    double m_number = 0;
};

// Reads a whole text as a decimal number ("12", "-0.5", "1e3"); nothing when it is not one or
// is not finite.
std::optional<double> parseNumber(std::string_view text);

// The canonical decimal form of a number: no exponent, no leading blank, a period as decimal
// separator, the fewest digits that read back as the same value ("0", "2", "2.5").
// Nothing for infinities and NaN.
std::optional<std::string> formatNumber(double value);

} // namespace storage
