#include "stats/numeric_text.h"
#include "stats/series.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

using namespace velbrin::stats;

namespace {

// Switches LC_NUMERIC to a locale that writes "2,5" for as long as it lives.
class DecimalCommaLocale
{
public:
    DecimalCommaLocale()
    {
        m_previous = std::setlocale(LC_NUMERIC, nullptr);
        for (const char* name : { "de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "ru_RU.UTF-8" }) {
            if (std::setlocale(LC_NUMERIC, name) && *std::localeconv()->decimal_point == ',') {
                m_active = true;
                return;
            }
        }
    }
    ~DecimalCommaLocale() { std::setlocale(LC_NUMERIC, m_previous.c_str()); }

    bool active() const { return m_active; }

private:
    std::string m_previous;
    bool m_active = false;
};

} // namespace

TEST(Locale, DecimalCommaLocaleChangesNothing)
{
    DecimalCommaLocale locale;
    if (!locale.active())
        GTEST_SKIP() << "no locale with a decimal comma is installed";

    EXPECT_EQ(ToNumber("2.5"), 2.5);
    EXPECT_EQ(ToNumber("1,000"), 1000);
    EXPECT_FALSE(IsNumericText("2,5e"));
    EXPECT_EQ(LeadingNumber("2,5"), 2);
    EXPECT_EQ(GeneralText(2.5), "2.5");
    EXPECT_EQ(SignedText(0.5), " .5");

    MemoryFieldStore fields;
    for (const char* value : { "1", "2", "2" }) {
        fields.write(Field::Text1, value);
        AddNextValue(fields);
    }
    ComputeResults(fields);
    EXPECT_EQ(fields.read(Field::Text3), "1.66666666666667");
    EXPECT_EQ(fields.read(Field::Text4), "0.222222222222211");
    EXPECT_EQ(fields.read(Field::u), " .47140452079102");
}
