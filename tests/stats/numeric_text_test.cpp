#include "stats/numeric_text.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>

using namespace velbrin::stats;

namespace {

struct NumericCase
{
    const char* text;
    bool numeric;
    double value; // when numeric
};

// Oracle for GeneralText: the C library's %.15G in the "C" locale writes the same text.
std::string printfG15(double value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15G", value);
    return buffer;
}

double roundedTo15Digits(double value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.14e", value);
    return std::strtod(buffer, nullptr);
}

} // namespace

TEST(IsNumericText, AcceptsAndRejectsTheDecimalForms)
{
    const NumericCase cases[] = {
        { "", false, 0 },
        { "   ", false, 0 },
        { "\t", false, 0 },
        { "5", true, 5 },
        { "5.", true, 5 },
        { ".5", true, 0.5 },
        { "-0.25", true, -0.25 },
        { "  7 ", true, 7 },
        { "\t7\t", true, 7 },
        { "+3", true, 3 },
        { "-.5", true, -0.5 },
        { "1e3", true, 1000 },
        { "1E+3", true, 1000 },
        { "2.5e-3", true, 0.0025 },
        { "1,000", true, 1000 },
        { "1,000,000.5", true, 1000000.5 },
        { "12,34", true, 1234 },
        { "1,000e2", true, 100000 },
        { "12abc", false, 0 },
        { "1..2", false, 0 },
        { "1.2.3", false, 0 },
        { "3a", false, 0 },
        { "abc", false, 0 },
        { ".", false, 0 },
        { "+", false, 0 },
        { "-", false, 0 },
        { "e5", false, 0 },
        { "1e", false, 0 },
        { "1e+", false, 0 },
        { "1e5.5", false, 0 },
        { "1,", false, 0 },
        { ",1", false, 0 },
        { "1,,0", false, 0 },
        { "1.0,5", false, 0 },
        { "1,.5", false, 0 },
        { "- 5", false, 0 },
        { "5 5", false, 0 },
        { "+-5", false, 0 },
        { "0x10", false, 0 },
        { "inf", false, 0 },
        { "nan", false, 0 },
        { "1d3", false, 0 },
        { "(5)", false, 0 },
        { "5\n", false, 0 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("text [") + c.text + "]");
        EXPECT_EQ(IsNumericText(c.text), c.numeric);
        if (c.numeric)
            EXPECT_EQ(ToNumber(c.text), c.value);
        else
            EXPECT_THROW(ToNumber(c.text), NotNumericError);
    }
}

TEST(IsNumericText, EmbeddedNulIsNotTheEndOfTheText)
{
    EXPECT_FALSE(IsNumericText(std::string_view("5\0", 2)));
    EXPECT_FALSE(IsNumericText(std::string_view("\0"
                                                "5",
        2)));
}

TEST(IsNumericText, FullWidthFormsOfInputMethodsCountAsAscii)
{
    const NumericCase cases[] = {
        { "１２．５", true, 12.5 },
        { "－３", true, -3 },
        { "＋３", true, 3 },
        { "１，０００", true, 1000 },
        { "1，000", true, 1000 },
        { "２Ｅ３", true, 2000 },
        { "２ｅ－３", true, 0.002 },
        { "\u3000７\u3000", true, 7 },
        { "\u3000 \t8", true, 8 },
        { "１２ａ", false, 0 },
        { "\u3001", false, 0 }, // ideographic comma is not a group separator
        { "５\u3002", false, 0 }, // ideographic full stop is not a point
        { "\xEF\xBC", false, 0 }, // a cut-off full-width character
        { "5\xEF", false, 0 },
        { "\xFF", false, 0 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("text [") + c.text + "]");
        EXPECT_EQ(IsNumericText(c.text), c.numeric);
        if (c.numeric)
            EXPECT_EQ(ToNumber(c.text), c.value);
    }
}

TEST(IsNumericText, RangeOfDoubles)
{
    EXPECT_FALSE(IsNumericText("1e400"));
    EXPECT_FALSE(IsNumericText("-1e400"));
    EXPECT_FALSE(IsNumericText("1.8e308"));
    EXPECT_FALSE(IsNumericText("1e99999999999999999999999"));
    EXPECT_FALSE(IsNumericText(std::string(400, '9')));
    EXPECT_TRUE(IsNumericText("1.7976931348623157e308"));
    EXPECT_EQ(ToNumber("1.7976931348623157e308"), DBL_MAX);
    EXPECT_TRUE(IsNumericText(std::string(300, '9')));

    // Too small to represent reads as zero: a value the user can enter, not an overflow.
    EXPECT_TRUE(IsNumericText("1e-400"));
    EXPECT_EQ(ToNumber("1e-400"), 0.0);
    EXPECT_TRUE(std::signbit(ToNumber("-1e-400")));
    EXPECT_EQ(ToNumber("0e99999999999999999999"), 0.0);
    EXPECT_EQ(ToNumber("0.0000000000000000000000000000000000000000000001e-300"), 0.0);
    EXPECT_EQ(ToNumber("4.9406564584124654e-324"), std::numeric_limits<double>::denorm_min());
    EXPECT_FALSE(IsNumericText("0.00000000000000000000000000000000001e400")); // 1e365
    EXPECT_EQ(ToNumber("100000000000000000000000000000000000e-400"), 0.0); // 1e-365
}

TEST(ToNumber, RoundsToTheNearestDouble)
{
    EXPECT_EQ(ToNumber("0.1"), 0.1);
    EXPECT_EQ(ToNumber("9007199254740993"), 9007199254740992.0); // tie to even
    EXPECT_EQ(ToNumber("9007199254740993.0000000000000000001"), 9007199254740994.0);
    EXPECT_EQ(ToNumber("2.2250738585072011e-308"), 2.2250738585072011e-308);
    const std::string longDigits = "0." + std::string(2000, '3');
    EXPECT_EQ(ToNumber(longDigits), 1.0 / 3.0);
}

TEST(LeadingNumber, ReadsTheNumberAtTheStart)
{
    const struct
    {
        const char* text;
        double value;
    } cases[] = {
        { "方差", 0 },
        { "", 0 },
        { "   ", 0 },
        { "1.25", 1.25 },
        { "2.5", 2.5 },
        { "1.25E-05", 0.0000125 },
        { "-2.31296463463574E-18", -2.31296463463574E-18 },
        { "  \t-3x", -3 },
        { "1,5", 1 },
        { "4e", 4 },
        { "4e+", 4 },
        { "4E2x", 400 },
        { "7.5.5", 7.5 },
        { ".5", 0.5 },
        { "+.", 0 },
        { "１２", 0 }, // ASCII only: the engine wrote this text itself
        { "0.222222222222211", 0.222222222222211 },
        { "1e-400", 0 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("text [") + c.text + "]");
        EXPECT_EQ(LeadingNumber(c.text), c.value);
    }
    EXPECT_EQ(LeadingNumber("1e400"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(LeadingNumber("-1e400x"), -std::numeric_limits<double>::infinity());
}

TEST(GeneralText, WritesAtMostFifteenSignificantDigits)
{
    const struct
    {
        double value;
        const char* text;
    } cases[] = {
        { 0, "0" },
        { -0.0, "0" },
        { 1, "1" },
        { -2, "-2" },
        { 2.5, "2.5" },
        { 0.1 + 0.2, "0.3" },
        { 0.25, "0.25" },
        { -0.5, "-0.5" },
        { 5.0 / 3.0, "1.66666666666667" },
        { 1.6666666666666667, "1.66666666666667" },
        { 999999999999999, "999999999999999" },
        { 123456789012345, "123456789012345" },
        { 1e14, "100000000000000" },
        { 999999999999999.4, "999999999999999" },
        { 999999999999999.5, "1E+15" },
        { 1e15, "1E+15" },
        { 1234567890123456, "1.23456789012346E+15" },
        { 1e100, "1E+100" },
        { DBL_MAX, "1.79769313486232E+308" },
        { 0.0001, "0.0001" },
        { 0.00012345, "0.00012345" },
        { 0.00009999999999999999, "0.0001" },
        { 0.0000125, "1.25E-05" },
        { 1e-10, "1E-10" },
        { -2.31296463463574E-18, "-2.31296463463574E-18" },
        { 4.9406564584124654e-324, "4.94065645841247E-324" },
        { 0.1 + 0.7, "0.8" },
        { 100, "100" },
        { 1e5, "100000" },
        { 1.5e-5, "1.5E-05" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(GeneralText(c.value), c.text);
    }
    EXPECT_EQ(GeneralText(std::nullopt), "");
}

TEST(SignedText, BlankForSignAndNoZeroBeforeThePoint)
{
    const struct
    {
        double value;
        const char* text;
    } cases[] = {
        { 0, " 0" },
        { -0.0, " 0" },
        { 2, " 2" },
        { 1.4142135623730951, " 1.4142135623731" },
        { 0.5, " .5" },
        { -0.5, "-.5" },
        { 0.47140452079102, " .47140452079102" },
        { 1.118033988749895, " 1.11803398874989" },
        { 0.0000125, " 1.25E-05" },
        { -1e15, "-1E+15" },
        { 0.0001, " .0001" },
        { 12, " 12" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(SignedText(c.value), c.text);
    }
}

TEST(GeneralText, AgreesWithPrintfAndReadsBackOverRandomDoubles)
{
    std::mt19937_64 random(20261208);
    std::uniform_int_distribution<std::uint64_t> bits;
    std::uniform_real_distribution<double> exponent(-30, 30);
    int checked = 0;
    for (int i = 0; i < 200000; ++i) {
        // Alternate raw bit patterns (every exponent) with values of everyday size.
        double value = 0;
        if (i % 2 == 0) {
            const std::uint64_t pattern = bits(random);
            std::memcpy(&value, &pattern, sizeof value);
        } else {
            value = std::pow(10.0, exponent(random)) * (i % 4 == 1 ? 1 : -1);
        }
        if (!std::isfinite(value))
            continue;
        const std::string text = GeneralText(value);
        ASSERT_EQ(text, printfG15(value)) << "bits of " << value;
        if (std::fabs(value) < 1.7976931348623e308) {
            ASSERT_TRUE(IsNumericText(text)) << text;
            ASSERT_EQ(ToNumber(text), roundedTo15Digits(value)) << text;
        }
        std::string signedText = SignedText(value);
        ASSERT_EQ(LeadingNumber(signedText), ToNumber(text)) << signedText;
        ++checked;
    }
    EXPECT_GT(checked, 190000);
}

TEST(GeneralText, SignificantDigitsNeverExceedFifteen)
{
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> uniform(-1e6, 1e6);
    for (int i = 0; i < 20000; ++i) {
        const std::string text = GeneralText(uniform(random));
        const auto mantissa = text.substr(0, text.find('E'));
        int digits = 0;
        bool significant = false;
        for (char c : mantissa) {
            if (c >= '1' && c <= '9')
                significant = true;
            if (significant && c >= '0' && c <= '9')
                ++digits;
        }
        ASSERT_LE(digits, 15) << text;
    }
}
