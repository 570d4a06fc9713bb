#include "stats/series.h"

#include "stats/numeric_text.h"

#include <cmath>
#include <optional>
#include <string>
#include <utility>

namespace velbrin::stats {

namespace {

// The next text of an accumulator. No text when the accumulator holds no number: then only its
// own step fails. `fits` is false when the new value would not survive the trip through text.
struct Accumulated
{
    std::optional<std::string> text;
    bool fits = true;
};

Accumulated accumulate(std::string_view current, double addend)
{
    if (!IsNumericText(current))
        return {};
    const double total = ToNumber(current) + addend;
    std::string text = GeneralText(total);
    // Rounding to 15 digits can carry a value just below the largest double past it.
    const bool fits = std::isfinite(total) && IsNumericText(text);
    return { std::move(text), fits };
}

void writeOrReport(FieldStore& fields, Field field, const std::optional<std::string>& text)
{
    if (text)
        fields.write(field, *text);
    else
        fields.write(Field::zt, inputErrorText);
}

// The square as one correctly rounded double multiplication.
double square(double value)
{
    return value * value;
}

// The next texts of the three accumulators for the typed text; none of them when it is no number.
// The three always describe the same values: an entry that would overflow one of them enters none.
struct Totals
{
    std::optional<std::string> count;
    std::optional<std::string> sum;
    std::optional<std::string> squares;
};

Totals nextTotals(const FieldStore& fields, std::string_view typed)
{
    if (!IsNumericText(typed))
        return {};
    const double value = ToNumber(typed);
    Accumulated count = accumulate(fields.read(Field::text2), 1);
    Accumulated sum = accumulate(fields.read(Field::s), value);
    Accumulated squares = accumulate(fields.read(Field::ss), square(value));
    if (!(count.fits && sum.fits && squares.fits))
        return {};
    return { std::move(count.text), std::move(sum.text), std::move(squares.text) };
}

} // namespace

void AddNextValue(FieldStore& fields)
{
    const std::string typed = fields.read(Field::Text1);
    const Totals totals = nextTotals(fields, typed);
    writeOrReport(fields, Field::text2, totals.count);
    writeOrReport(fields, Field::s, totals.sum);
    writeOrReport(fields, Field::ss, totals.squares);

    std::string list = fields.read(Field::v);
    list.append(typed).push_back(',');
    fields.write(Field::v, list);
    fields.write(Field::Text1, "");
}

void ComputeResults(FieldStore& fields)
{
    const std::string sumText = fields.read(Field::s);
    const std::string countText = fields.read(Field::text2);
    const double count = IsNumericText(countText) ? ToNumber(countText) : 0;

    std::optional<double> mean;
    if (count == 0 || !IsNumericText(sumText))
        fields.write(Field::zt, inputErrorText);
    else
        mean = ToNumber(sumText) / count;
    fields.write(Field::Text3, GeneralText(mean));

    const std::string meanText = fields.read(Field::Text3);
    const std::string squaresText = fields.read(Field::ss);
    std::optional<double> deviations;
    if (IsNumericText(meanText) && IsNumericText(squaresText))
        deviations = ToNumber(squaresText) - count * square(ToNumber(meanText));
    else
        fields.write(Field::zt, inputErrorText);

    if (count == 0) {
        fields.write(Field::zt, inputErrorText);
    } else {
        const double variance = deviations.value_or(0) / count;
        const std::string varianceText = GeneralText(variance);
        if (std::isfinite(variance) && IsNumericText(varianceText))
            fields.write(Field::Text4, varianceText);
        else
            fields.write(Field::zt, inputErrorText);
    }

    // Rounding can leave the variance of equal values a hair below zero; its root is then 0.
    const double variance = LeadingNumber(fields.read(Field::Text4));
    const double deviation = variance < 0 ? 0 : std::sqrt(variance);
    if (std::isfinite(deviation))
        fields.write(Field::u, SignedText(deviation));
    else
        fields.write(Field::zt, inputErrorText);
}

void ResetSeries(FieldStore& fields)
{
    constexpr std::pair<Field, std::string_view> steps[] = {
        { Field::s, "0" },
        { Field::ss, "0" },
        { Field::Text1, "" },
        { Field::text2, "0" },
        { Field::Text3, "平均数" },
        { Field::Text4, "方差" },
        { Field::u, "标准差" },
        { Field::v, "" },
        { Field::zt, neutralStatusText },
    };
    for (const auto& [field, text] : steps)
        fields.write(field, text);
}

} // namespace velbrin::stats
