#include "stats/numeric_text.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <limits>
#include <system_error>

namespace velbrin::stats {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::size_t skipBlanks(std::string_view text, std::size_t at)
{
    while (at < text.size() && isBlank(text[at]))
        ++at;
    return at;
}

bool hasNonAscii(std::string_view text)
{
    unsigned char any = 0;
    for (char c : text)
        any |= static_cast<unsigned char>(c);
    return any & 0x80;
}

// Chinese input methods type full-width digits, signs, point, comma and E, and the ideographic
// space U+3000. This writes them as their ASCII forms; every other non-ASCII byte becomes a DEL,
// which no number contains.
std::string asciiForm(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size(); ++at) {
        const auto byte = static_cast<unsigned char>(text[at]);
        if (byte < 0x80) {
            out.push_back(static_cast<char>(byte));
            continue;
        }
        char mapped = '\x7f';
        if (at + 2 < text.size()) {
            const auto second = static_cast<unsigned char>(text[at + 1]);
            const auto third = static_cast<unsigned char>(text[at + 2]);
            if (byte == 0xE3 && second == 0x80 && third == 0x80) {
                mapped = ' '; // U+3000
            } else if (byte == 0xEF && second == 0xBC) { // U+FF00 to U+FF3F
                if (third >= 0x90 && third <= 0x99)
                    mapped = static_cast<char>('0' + (third - 0x90));
                else if (third == 0x8B)
                    mapped = '+';
                else if (third == 0x8C)
                    mapped = ',';
                else if (third == 0x8D)
                    mapped = '-';
                else if (third == 0x8E)
                    mapped = '.';
                else if (third == 0xA5)
                    mapped = 'E';
            } else if (byte == 0xEF && second == 0xBD && third == 0x85) {
                mapped = 'e'; // U+FF45
            }
        }
        out.push_back(mapped);
        if (mapped != '\x7f')
            at += 2;
    }
    return out;
}

enum class Grammar {
    Whole, // the whole text is the number: group separators allowed, an "E" must have digits
    Prefix, // the number at the start of a text: "," and an "E" without digits end it
};

// Where a number stands in a text.
struct NumberSpan
{
    std::size_t begin;
    std::size_t end;
    bool plain; // no "+" before it and no group separators: std::from_chars reads it as it stands
    bool surelyInRange; // too short to reach the double range's limits
};

// Scans the number that starts at text[at]; nullopt when no mantissa digit is there or, for
// Grammar::Whole, an exponent has no digits.
std::optional<NumberSpan> scanNumber(std::string_view text, std::size_t at, Grammar grammar)
{
    const char* const begin = text.data() + at;
    const char* const end = text.data() + text.size();
    const char* p = begin;
    const auto digitAt = [end](const char* q) { return q < end && isDigit(*q); };
    bool plain = true;
    if (p < end && (*p == '+' || *p == '-')) {
        plain = *p == '-';
        ++p;
    }
    const char* const mantissa = p;
    bool point = false;
    std::size_t digits = 0;
    for (; p < end; ++p) {
        if (isDigit(*p))
            ++digits;
        else if (*p == '.' && !point)
            point = true;
        else if (*p == ',' && grammar == Grammar::Whole && !point && p > mantissa && isDigit(p[-1])
            && digitAt(p + 1))
            plain = false; // a digit-group separator
        else
            break;
    }
    if (digits == 0)
        return std::nullopt;

    bool shortExponent = true;
    if (p < end && (*p == 'e' || *p == 'E')) {
        const char* exponent = p + 1;
        if (exponent < end && (*exponent == '+' || *exponent == '-'))
            ++exponent;
        const char* const firstDigit = exponent;
        while (digitAt(exponent))
            ++exponent;
        if (exponent > firstDigit) {
            p = exponent;
            shortExponent = exponent - firstDigit <= 2;
        } else if (grammar == Grammar::Whole) {
            return std::nullopt;
        }
    }
    // With at most 99 as exponent, reaching 1E+308 or 1E-324 takes over 200 mantissa digits.
    const auto length = static_cast<std::size_t>(p - begin);
    return NumberSpan { at, at + length, plain, shortExponent && length <= 200 };
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
    for (; at < number.size() && number[at] != 'e' && number[at] != 'E'; ++at) {
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
    if (at < number.size()) { // at the "e"
        ++at;
        if (at < number.size() && (number[at] == '-' || number[at] == '+')) {
            negativeExponent = number[at] == '-';
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

// The value of an ASCII number "[-]digits[.digits][e[+-]digits]", or nullopt beyond the double
// range. Too small a value reads as zero.
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

std::optional<double> valueOf(std::string_view text, NumberSpan span)
{
    const std::string_view number = text.substr(span.begin, span.end - span.begin);
    if (span.plain)
        return fromAscii(number);
    std::string copy;
    copy.reserve(number.size());
    for (std::size_t at = number.starts_with('+') ? 1 : 0; at < number.size(); ++at) {
        if (number[at] != ',')
            copy.push_back(number[at]);
    }
    return fromAscii(copy);
}

// Where the number stands that makes up the whole text; `converted` keeps the ASCII form of a text
// with full-width characters, which the span then refers to.
std::optional<NumberSpan> locateWhole(std::string_view& text, std::string& converted)
{
    const auto locate = [](std::string_view ascii) -> std::optional<NumberSpan> {
        const auto span = scanNumber(ascii, skipBlanks(ascii, 0), Grammar::Whole);
        if (!span || skipBlanks(ascii, span->end) != ascii.size())
            return std::nullopt;
        return span;
    };
    // No number contains a non-ASCII byte, so a text with full-width characters fails the first
    // try; only then is it converted.
    if (const auto span = locate(text))
        return span;
    if (!hasNonAscii(text))
        return std::nullopt;
    converted = asciiForm(text);
    text = converted;
    return locate(text);
}

// The value rounded to 15 significant digits: d.dddddddddddddd × 10^exponent, trailing zeros of
// the digits dropped.
struct Rounded
{
    std::array<char, 15> digits;
    int count;
    int exponent;
};

Rounded roundTo15(double magnitude)
{
    // "d.ddddddddddddddde+XX": one digit, the point, 14 digits, "e", sign, exponent.
    std::array<char, 32> buffer;
    const auto written = std::to_chars(
        buffer.data(), buffer.data() + buffer.size(), magnitude, std::chars_format::scientific, 14);
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
    std::string converted;
    const auto span = locateWhole(text, converted);
    return span && (span->surelyInRange || valueOf(text, *span));
}

double ToNumber(std::string_view text)
{
    std::string converted;
    if (const auto span = locateWhole(text, converted)) {
        if (const auto value = valueOf(text, *span))
            return *value;
    }
    throw NotNumericError("not a number");
}

double LeadingNumber(std::string_view text)
{
    const auto span = scanNumber(text, skipBlanks(text, 0), Grammar::Prefix);
    if (!span)
        return 0;
    if (const auto value = valueOf(text, *span))
        return *value;
    const double infinity = std::numeric_limits<double>::infinity();
    return text[span->begin] == '-' ? -infinity : infinity;
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
