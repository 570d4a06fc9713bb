#include "stats/series.h"

#include "stats/numeric_text.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

using namespace velbrin::stats;

namespace {

class Series : public ::testing::Test
{
protected:
    void enter(std::string_view text)
    {
        fields.write(Field::Text1, text);
        AddNextValue(fields);
    }

    void enterAll(std::initializer_list<const char*> texts)
    {
        for (const char* text : texts)
            enter(text);
    }

    std::string at(Field field) const { return fields.read(field); }

    MemoryFieldStore fields;
};

} // namespace

TEST_F(Series, StartsWithTheStartUpTexts)
{
    EXPECT_EQ(at(Field::Text1), "");
    EXPECT_EQ(at(Field::text2), "0");
    EXPECT_EQ(at(Field::Text3), "平均数");
    EXPECT_EQ(at(Field::zt), "状态栏:");
}

TEST_F(Series, EnteringValuesKeepsCountSumsAndList)
{
    enterAll({ "1", "2", "3", "4" });
    EXPECT_EQ(at(Field::text2), "4");
    EXPECT_EQ(at(Field::s), "10");
    EXPECT_EQ(at(Field::ss), "30");
    EXPECT_EQ(at(Field::v), "1,2,3,4,");
    EXPECT_EQ(at(Field::Text1), "");
    EXPECT_EQ(at(Field::zt), "状态栏:"); // success writes no status
}

TEST_F(Series, TypedTextIsListedExactlyAsTyped)
{
    enter(" 5 ");
    EXPECT_EQ(at(Field::s), "5");
    enter("1,000");
    EXPECT_EQ(at(Field::s), "1005");
    enter("－２");
    EXPECT_EQ(at(Field::v), " 5 ,1,000,－２,");
    EXPECT_EQ(at(Field::text2), "3");
    EXPECT_EQ(at(Field::s), "1003");
    EXPECT_EQ(at(Field::ss), "1000029");
}

TEST_F(Series, NegativeValue)
{
    enter("-2");
    EXPECT_EQ(at(Field::text2), "1");
    EXPECT_EQ(at(Field::s), "-2");
    EXPECT_EQ(at(Field::ss), "4");
}

TEST_F(Series, BadInputIsReportedListedAndNotCounted)
{
    enter("3");
    for (const char* bad : { "abc", "12a", "", "1e400" }) {
        SCOPED_TRACE(bad);
        fields.write(Field::zt, "状态栏:");
        const std::string before = at(Field::v);
        enter(bad);
        EXPECT_EQ(at(Field::zt), "状态栏：输入错误");
        EXPECT_EQ(at(Field::text2), "1");
        EXPECT_EQ(at(Field::s), "3");
        EXPECT_EQ(at(Field::ss), "9");
        EXPECT_EQ(at(Field::v), before + bad + ",");
        EXPECT_EQ(at(Field::Text1), "");
    }
    // A later good entry does not clear the message.
    enter("4");
    EXPECT_EQ(at(Field::zt), "状态栏：输入错误");
    EXPECT_EQ(at(Field::text2), "2");
}

TEST_F(Series, SumsTravelAsFifteenDigitTexts)
{
    enterAll({ "0.1", "0.1", "0.1" });
    EXPECT_EQ(at(Field::text2), "3");
    EXPECT_EQ(at(Field::s), "0.3");
    EXPECT_EQ(at(Field::ss), "0.03");

    ComputeResults(fields);
    EXPECT_EQ(at(Field::Text3), "0.1");
    EXPECT_EQ(at(Field::Text4), "-2.31296463463574E-18");
    EXPECT_EQ(at(Field::u), " 0");
    EXPECT_EQ(at(Field::zt), "状态栏:");
}

TEST_F(Series, EntryThatWouldOverflowEntersNothing)
{
    for (const char* huge : { "1e200", "1.7e308", "-1e155" }) { // their squares overflow
        SCOPED_TRACE(huge);
        enter(huge);
        EXPECT_EQ(at(Field::zt), "状态栏：输入错误");
        EXPECT_EQ(at(Field::text2), "0");
        EXPECT_EQ(at(Field::s), "0");
        EXPECT_EQ(at(Field::ss), "0");
    }
    EXPECT_EQ(at(Field::v), "1e200,1.7e308,-1e155,");

    fields.write(Field::zt, "");
    enterAll({ "1e153", "1e153" });
    EXPECT_EQ(at(Field::zt), "");
    EXPECT_EQ(at(Field::text2), "2");
    EXPECT_EQ(at(Field::ss), "2E+306");

    // Only the sum of squares would overflow; the count and the sum stay as well.
    fields.write(Field::ss, "1.797E+308");
    enter("1e153");
    EXPECT_EQ(at(Field::zt), "状态栏：输入错误");
    EXPECT_EQ(at(Field::text2), "2");
    EXPECT_EQ(at(Field::s), "2E+153");
    EXPECT_EQ(at(Field::ss), "1.797E+308");
}

TEST_F(Series, SumThatRoundsPastTheLargestDoubleIsRejected)
{
    // Finite, but its 15-digit text 1.79769313486232E+308 would not read back.
    fields.write(Field::s, "1.7976931348623157e308");
    enter("0");
    EXPECT_EQ(at(Field::zt), "状态栏：输入错误");
    EXPECT_EQ(at(Field::text2), "0");
    EXPECT_EQ(at(Field::s), "1.7976931348623157e308");
    EXPECT_TRUE(IsNumericText(at(Field::s)));
}

TEST_F(Series, OnlyTheAccumulatorWithoutANumberFails)
{
    fields.write(Field::s, "x");
    enter("2");
    EXPECT_EQ(at(Field::zt), "状态栏：输入错误");
    EXPECT_EQ(at(Field::text2), "1");
    EXPECT_EQ(at(Field::s), "x");
    EXPECT_EQ(at(Field::ss), "4");
}

TEST_F(Series, ResultsOfTheExampleSeries)
{
    const struct
    {
        std::initializer_list<const char*> values;
        const char* mean;
        const char* variance;
        const char* deviation;
    } cases[] = {
        { { "1", "2", "3", "4" }, "2.5", "1.25", " 1.11803398874989" },
        { { "2", "4", "4", "4", "5", "5", "7", "9" }, "5", "4", " 2" },
        { { "1", "2" }, "1.5", "0.25", " .5" },
        { { "1", "2", "2" }, "1.66666666666667", "0.222222222222211", " .47140452079102" },
        { { "7" }, "7", "0", " 0" },
        { { "-1", "-3" }, "-2", "1", " 1" },
        { { "0.00001", "0.00003" }, "2E-05", "1E-10", " 1E-05" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mean);
        ResetSeries(fields);
        enterAll(c.values);
        ComputeResults(fields);
        EXPECT_EQ(at(Field::Text3), c.mean);
        EXPECT_EQ(at(Field::Text4), c.variance);
        EXPECT_EQ(at(Field::u), c.deviation);
        EXPECT_EQ(at(Field::zt), "状态栏：");
        // A second run changes nothing.
        ComputeResults(fields);
        EXPECT_EQ(at(Field::Text3), c.mean);
        EXPECT_EQ(at(Field::Text4), c.variance);
        EXPECT_EQ(at(Field::u), c.deviation);
    }
}

TEST_F(Series, ComputingWithoutValuesReportsAndKeepsTheVariance)
{
    ComputeResults(fields);
    EXPECT_EQ(at(Field::Text3), "");
    EXPECT_EQ(at(Field::zt), "状态栏：输入错误");
    EXPECT_EQ(at(Field::Text4), "方差");
    EXPECT_EQ(at(Field::u), " 0");

    // The variance left from an earlier series still gives the deviation.
    enterAll({ "1", "2" });
    ComputeResults(fields);
    ResetSeries(fields);
    fields.write(Field::Text4, "0.25");
    ComputeResults(fields);
    EXPECT_EQ(at(Field::Text3), "");
    EXPECT_EQ(at(Field::Text4), "0.25");
    EXPECT_EQ(at(Field::u), " .5");
}

TEST_F(Series, ComputingDoesNotChangeTheAccumulators)
{
    enterAll({ "1.5", "2.25" });
    ComputeResults(fields);
    EXPECT_EQ(at(Field::text2), "2");
    EXPECT_EQ(at(Field::s), "3.75");
    EXPECT_EQ(at(Field::ss), "7.3125");
    EXPECT_EQ(at(Field::v), "1.5,2.25,");
}

TEST_F(Series, ResetWritesTheNeutralTexts)
{
    enterAll({ "3", "x" });
    ComputeResults(fields);
    fields.write(Field::Text1, "9");
    for (int i = 0; i < 2; ++i) {
        ResetSeries(fields);
        for (Field field : allFields) {
            SCOPED_TRACE(std::string(fieldName(field)));
            if (field == Field::zt)
                EXPECT_EQ(at(field), "状态栏：");
            else
                EXPECT_EQ(at(field), startupText(field));
        }
    }

    ComputeResults(fields);
    EXPECT_EQ(at(Field::Text3), "");
    EXPECT_EQ(at(Field::zt), "状态栏：输入错误");
    EXPECT_EQ(at(Field::Text4), "方差");
    EXPECT_EQ(at(Field::u), " 0");

    ResetSeries(fields);
    enterAll({ "3", "5" });
    ComputeResults(fields);
    EXPECT_EQ(at(Field::Text3), "4");
    EXPECT_EQ(at(Field::Text4), "1");
    EXPECT_EQ(at(Field::u), " 1");
}
