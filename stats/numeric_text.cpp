#include "stats/numeric_text.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <limits>
#include <system_error>

namespace velbrin::stats {

namespace {

constexpr char otherChar = '\x7f'; // any character outside the number grammar

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Walks a UTF-8 text one character at a time, presenting each as the ASCII character the number
// grammar knows it by. With full-width forms on, U+3000 reads as a blank and the full-width digits,
// signs, point, comma and E as their ASCII forms; every other non-ASCII byte reads as otherChar.
class Reader {
public:
    Reader(std::string_view text, bool fullWidth)
        : m_text(text)
        , m_fullWidth(fullWidth)
    {
    }

    bool atEnd() const { return m_pos >= m_text.size(); }
    char peek() const { return decode(m_pos).ascii; }
    char peekNext() const { return decode(m_pos + decode(m_pos).length).ascii; }
    void advance() { m_pos += decode(m_pos).length; }
    std::size_t position() const { return m_pos; }
    void rewind(std::size_t position) { m_pos = position; }

    void skipBlanks()
    {
        while (!atEnd() && (peek() == ' ' || peek() == '\t'))
            advance();
    }

private:
    struct Symbol {
        char ascii;
        std::size_t length;
    };

    Symbol decode(std::size_t at) const
    {
        if (at >= m_text.size())
            return { '\0', 0 };
        const auto byte = static_cast<unsigned char>(m_text[at]);
        if (byte == 0)
            return { otherChar, 1 }; // an embedded NUL is a character, not the end
        if (byte < 0x80)
            return { static_cast<char>(byte), 1 };
        if (!m_fullWidth || at + 2 >= m_text.size())
            return { otherChar, 1 };
        const auto second = static_cast<unsigned char>(m_text[at + 1]);
        const auto third = static_cast<unsigned char>(m_text[at + 2]);
        if (byte == 0xE3 && second == 0x80 && third == 0x80)
            return { ' ', 3 }; // U+3000 ideographic space
        if (byte == 0xEF && second == 0xBC) { // U+FF00 to U+FF3F
            if (third >= 0x90 && third <= 0x99)
                return { static_cast<char>('0' + (third - 0x90)), 3 };
            switch (third) {
            case 0x8B: return { '+', 3 };
            case 0x8C: return { ',', 3 };
            case 0x8D: return { '-', 3 };
            case 0x8E: return { '.', 3 };
            case 0xA5: return { 'E', 3 };
            default: break;
            }
        }
        if (byte == 0xEF && second == 0xBD && third == 0x85)
            return { 'e', 3 }; // U+FF45
        return { otherChar, 1 };
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
    bool m_fullWidth;
};

// The plain ASCII form of a number that std::from_chars reads: [-]digits[.digits][e[-]digits].
// Short numbers stay on the stack; a pasted thousand-digit number spills to the heap.
class AsciiNumber {
public:
    void push(char c)
    {
        if (m_spill.empty() && m_size < m_inline.size()) {
            m_inline[m_size++] = c;
            return;
        }
        if (m_spill.empty())
            m_spill.assign(m_inline.data(), m_size);
        m_spill.push_back(c);
        ++m_size;
    }

    std::size_t size() const { return m_size; }

    void truncate(std::size_t size)
    {
        m_size = size;
        if (!m_spill.empty())
            m_spill.resize(size);
    }

    std::string_view view() const
    {
        return m_spill.empty() ? std::string_view(m_inline.data(), m_size) : m_spill;
    }

private:
    std::array<char, 64> m_inline {};
    std::size_t m_size = 0;
    std::string m_spill;
};

enum class Grammar {
    Whole, // the whole text is the number: group separators allowed, an "E" must have digits
    Prefix, // the number at the start of a text: "," and a bare "E" end it
};

// Reads a number at the reader's position into `out`; false when no mantissa digit was read or,
// for Grammar::Whole, an exponent has no digits.
bool readNumber(Reader& in, AsciiNumber& out, Grammar grammar)
{
    if (in.peek() == '+' || in.peek() == '-') {
        if (in.peek() == '-')
            out.push('-');
        in.advance();
    }
    bool digits = false;
    bool point = false;
    char previous = '\0';
    for (;;) {
        const char c = in.peek();
        if (isDigit(c)) {
            out.push(c);
            digits = true;
        } else if (c == '.' && !point) {
            out.push('.');
            point = true;
        } else if (c == ',' && grammar == Grammar::Whole && !point && isDigit(previous)
            && isDigit(in.peekNext())) {
            // a digit-group separator: not part of the value
        } else {
            break;
        }
        previous = c;
        in.advance();
    }
    if (!digits)
        return false;

    if (in.peek() != 'e' && in.peek() != 'E')
        return true;
    const std::size_t mark = in.position();
    const std::size_t mantissaSize = out.size();
    in.advance();
    out.push('e');
    if (in.peek() == '+' || in.peek() == '-') {
        if (in.peek() == '-')
            out.push('-');
        in.advance();
    }
    bool exponentDigits = false;
    while (isDigit(in.peek())) {
        out.push(in.peek());
        in.advance();
        exponentDigits = true;
    }
    if (exponentDigits)
        return true;
    if (grammar == Grammar::Whole)
        return false;
    in.rewind(mark);
    out.truncate(mantissaSize);
    return true;
}

// std::from_chars reports underflow and overflow alike. They lie hundreds of decimal places apart,
// so the decimal exponent of the first significant digit tells which one it was.
bool beyondDoubleRange(std::string_view number)
{
    std::size_t at = number.starts_with('-') ? 1 : 0;
    long long integerDigits = 0;
    long long firstSignificant = -1; // index among all mantissa digits
    long long index = 0;
    bool point = false;
    for (; at < number.size() && number[at] != 'e'; ++at) {
        if (number[at] == '.') {
            point = true;
            continue;
        }
        if (!point)
            ++integerDigits;
        if (firstSignificant < 0 && number[at] != '0')
            firstSignificant = index;
        ++index;
    }
    if (firstSignificant < 0)
        return false; // all zeros: the value is 0, never out of range

    constexpr long long saturation = 1'000'000'000'000LL;
    long long exponent = 0;
    bool negativeExponent = false;
    if (at < number.size()) { // at 'e'
        ++at;
        if (at < number.size() && number[at] == '-') {
            negativeExponent = true;
            ++at;
        }
        for (; at < number.size(); ++at) {
            if (exponent < saturation)
                exponent = exponent * 10 + (number[at] - '0');
        }
    }
    const long long magnitude
        = integerDigits - 1 - firstSignificant + (negativeExponent ? -exponent : exponent);
    return magnitude > 0;
}

// The value of `number`, or nullopt beyond the double range. Too small a value reads as zero.
std::optional<double> fromAscii(std::string_view number)
{
    double value = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error == std::errc {} && end == number.data() + number.size())
        return value;
    if (error == std::errc::result_out_of_range && !beyondDoubleRange(number))
        return number.starts_with('-') ? -0.0 : 0.0;
    return std::nullopt;
}

std::optional<double> parseWhole(std::string_view text)
{
    Reader in(text, true);
    in.skipBlanks();
    AsciiNumber number;
    if (!readNumber(in, number, Grammar::Whole))
        return std::nullopt;
    in.skipBlanks();
    if (!in.atEnd())
        return std::nullopt;
    return fromAscii(number.view());
}

// The value rounded to 15 significant digits: d.dddddddddddddd × 10^exponent, trailing zeros of
// the digits dropped.
struct Rounded {
    std::array<char, 15> digits;
    int count;
    int exponent;
};

Rounded roundTo15(double magnitude)
{
    // "d.ddddddddddddddde+XX": one digit, the point, 14 digits, "e", sign, exponent.
    std::array<char, 32> buffer;
    const auto written = std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude,
        std::chars_format::scientific, 14);
    Rounded r {};
    r.digits[0] = buffer[0];
    for (int i = 1; i < 15; ++i)
        r.digits[i] = buffer[i + 1];
    r.count = 15;
    while (r.count > 1 && r.digits[r.count - 1] == '0')
        --r.count;
    const char* exponentStart = buffer.data() + 17; // sign
    const bool negative = *exponentStart == '-';
    std::from_chars(exponentStart + 1, written.ptr, r.exponent);
    if (negative)
        r.exponent = -r.exponent;
    return r;
}

// Writes the shared body of GeneralText and SignedText after `sign` (which may be empty).
std::string formatNumber(double value, std::string_view sign, bool zeroBeforePoint)
{
    std::string out;
    out.reserve(32);
    out.append(sign);
    if (!std::isfinite(value)) {
        out.append(std::isnan(value) ? "nan" : "inf");
        return out;
    }
    if (value == 0) {
        out.push_back('0');
        return out;
    }
    const Rounded r = roundTo15(std::fabs(value));
    const std::string_view digits(r.digits.data(), static_cast<std::size_t>(r.count));
    if (r.exponent >= 15 || r.exponent < -4) {
        out.push_back(digits[0]);
        if (digits.size() > 1) {
            out.push_back('.');
            out.append(digits.substr(1));
        }
        out.push_back('E');
        out.push_back(r.exponent < 0 ? '-' : '+');
        const int exponent = std::abs(r.exponent);
        if (exponent < 10)
            out.push_back('0');
        std::array<char, 8> exponentDigits;
        const auto end = std::to_chars(
            exponentDigits.data(), exponentDigits.data() + exponentDigits.size(), exponent);
        out.append(exponentDigits.data(), end.ptr);
    } else if (r.exponent >= 0) {
        const auto integerDigits = static_cast<std::size_t>(r.exponent) + 1;
        if (digits.size() <= integerDigits) {
            out.append(digits);
            out.append(integerDigits - digits.size(), '0');
        } else {
            out.append(digits.substr(0, integerDigits));
            out.push_back('.');
            out.append(digits.substr(integerDigits));
        }
    } else {
        if (zeroBeforePoint)
            out.push_back('0');
        out.push_back('.');
        out.append(static_cast<std::size_t>(-r.exponent - 1), '0');
        out.append(digits);
    }
    return out;
}

} // namespace

bool IsNumericText(std::string_view text)
{
    return parseWhole(text).has_value();
}

double ToNumber(std::string_view text)
{
    if (const auto value = parseWhole(text))
        return *value;
    throw NotNumericError("not a number");
}

double LeadingNumber(std::string_view text)
{
    Reader in(text, false);
    in.skipBlanks();
    AsciiNumber number;
    if (!readNumber(in, number, Grammar::Prefix))
        return 0;
    if (const auto value = fromAscii(number.view()))
        return *value;
    const double infinity = std::numeric_limits<double>::infinity();
    return number.view().starts_with('-') ? -infinity : infinity;
}

std::string GeneralText(std::optional<double> value)
{
    if (!value)
        return {};
    const bool negative = std::signbit(*value) && *value != 0;
    return formatNumber(*value, negative ? "-" : "", true);
}

std::string SignedText(double value)
{
    const bool negative = std::signbit(value) && value != 0;
    return formatNumber(value, negative ? "-" : " ", false);
}

} // namespace velbrin::stats
