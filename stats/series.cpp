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

} // namespace

void AddNextValue(FieldStore& fields)
{
    const std::string typed = fields.read(Field::Text1);
    Accumulated count;
    Accumulated sum;
    Accumulated squares;
    if (IsNumericText(typed)) {
        const double value = ToNumber(typed);
        count = accumulate(fields.read(Field::text2), 1);
        sum = accumulate(fields.read(Field::s), value);
        squares = accumulate(fields.read(Field::ss), square(value));
        // The three accumulators always describe the same values: an entry that would overflow
        // one of them enters none.
        if (!(count.fits && sum.fits && squares.fits))
            count = sum = squares = {};
    }
    writeOrReport(fields, Field::text2, count.text);
    writeOrReport(fields, Field::s, sum.text);
    writeOrReport(fields, Field::ss, squares.text);

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
