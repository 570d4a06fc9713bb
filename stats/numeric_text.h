#pragma once

// Conversions between the texts of the fields and double-precision numbers. They are part of the
// arithmetic: every intermediate value of the engine passes through GeneralText, so it is carried
// with at most 15 significant digits. All of them ignore the C locale: "." is always the decimal
// point and "," always a digit-group separator.

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace velbrin::stats {

// True when the text, blanks at both ends removed, is a decimal number: an optional sign, digits
// with at most one "." and at least one digit, then an optional exponent ("E" or "e", an optional
// sign, one or more digits). A "," between two digits of the integer part groups digits. Blanks are
// space, tab and the ideographic space U+3000; the full-width digits and the full-width forms of
// "+", "-", ".", ",", "E" and "e" that Chinese input methods type count as their ASCII forms.
// A number beyond the double range is not numeric; one too small to represent reads as zero.
//
//   ""  "   "  "12abc"  "1..2"  "1.2.3"  "3a"  "abc"  "1,"  ",1"  "1.0,5"  "1e"  "1e400"   -> false
//   "5"  "5."  ".5"  "-0.25"  "  7 "  "+3"  "-.5"  "1e3"  "1,000"  "1e-400"  "１２．５"   -> true
bool IsNumericText(std::string_view text);

// Thrown by ToNumber for a text that IsNumericText rejects: the one "run-time error" a conversion
// can raise. The engine never lets it happen.
class NotNumericError : public std::invalid_argument
{
public:
    using std::invalid_argument::invalid_argument;
};

// The value of a numeric text, correctly rounded to the nearest double; group separators ignored.
//
//   "1,000" -> 1000    " 5 " -> 5    "-.5" -> -0.5    "1e3" -> 1000    "0.1" -> 0.1
//   "1e-400" -> 0      "abc" -> throws NotNumericError
double ToNumber(std::string_view text);

// The number at the start of any text: leading spaces and tabs skipped, then an optional sign,
// digits, an optional "." with digits, and an optional exponent. Reading stops at the first
// character that cannot continue the number ("," among them); 0 when no digit was read. ASCII
// only. A number beyond the double range reads as an infinity of its sign.
//
//   "方差" -> 0    "" -> 0    "2.5" -> 2.5    "1.25E-05" -> 0.0000125    " -3x" -> -3
//   "1,5" -> 1    "4e" -> 4    "-2.31296463463574E-18" -> -2.31296463463574E-18
double LeadingNumber(std::string_view text);

// The shortest text showing the value rounded to 15 significant digits: no trailing zeros, no
// trailing ".", "-" before negative values, "0" before the "." below 1. Magnitudes from 1E+15 up
// and below 0.0001 take the exponent form: the digits with "." after the first, "E", the sign and
// at least two exponent digits. The unset value (nullopt) is the empty text.
//
//   0 -> "0"    -0.0 -> "0"    1 -> "1"    2.5 -> "2.5"    0.1 + 0.2 -> "0.3"    -0.5 -> "-0.5"
//   5.0 / 3 -> "1.66666666666667"    999999999999999 -> "999999999999999"    1e15 -> "1E+15"
//   0.0001 -> "0.0001"    0.0000125 -> "1.25E-05"    1e-10 -> "1E-10"    1e100 -> "1E+100"
//   -2.31296463463574e-18 -> "-2.31296463463574E-18"    nullopt -> ""
// Not finite values are written "inf", "-inf" and "nan"; the engine never writes them.
std::string GeneralText(std::optional<double> value);

// The digits of GeneralText, with a blank in place of a sign for values of zero and above and no
// "0" before the "." below 1.
//
//   0 -> " 0"    2 -> " 2"    0.5 -> " .5"    -0.5 -> "-.5"    0.0000125 -> " 1.25E-05"
//   1.4142135623730951 -> " 1.4142135623731"
std::string SignedText(double value);

} // namespace velbrin::stats
