// The engine's conversions and operations, each measured beside the C library routine it
// replaces, so the ratios at the end compare figures taken in one run on one machine.

#include "stats/fields.h"
#include "stats/numeric_text.h"
#include "stats/series.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace velbrin::stats;

// Values as they occur: typed numbers, running sums and quotients with 15 digits.
std::vector<double> sampleValues()
{
    std::mt19937_64 random(42);
    std::uniform_real_distribution<double> uniform(-1e6, 1e6);
    std::vector<double> values;
    for (int i = 0; i < 1024; ++i) {
        switch (i % 4) {
        case 0:
            values.push_back(static_cast<double>(i));
            break;
        case 1:
            values.push_back(i / 7.0);
            break;
        case 2:
            values.push_back(uniform(random));
            break;
        default:
            values.push_back(uniform(random) * 1e-9);
            break;
        }
    }
    return values;
}

std::vector<std::string> sampleTexts()
{
    std::vector<std::string> texts;
    for (double value : sampleValues())
        texts.push_back(GeneralText(value));
    return texts;
}

void GeneralText_(benchmark::State& state)
{
    const auto values = sampleValues();
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(GeneralText(values[i++ & 1023]));
    }
}
BENCHMARK(GeneralText_)->Name("GeneralText");

void SnprintfG15(benchmark::State& state)
{
    const auto values = sampleValues();
    std::size_t i = 0;
    for (auto _ : state) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%.15G", values[i++ & 1023]);
        benchmark::DoNotOptimize(std::string(buffer));
    }
}
BENCHMARK(SnprintfG15)->Name("baseline/snprintf %.15G");

void IsNumericAndToNumber(benchmark::State& state)
{
    const auto texts = sampleTexts();
    std::size_t i = 0;
    for (auto _ : state) {
        const std::string& text = texts[i++ & 1023];
        double value = 0;
        if (IsNumericText(text))
            value = ToNumber(text);
        benchmark::DoNotOptimize(value);
    }
}
BENCHMARK(IsNumericAndToNumber)->Name("IsNumericText+ToNumber");

void Strtod(benchmark::State& state)
{
    const auto texts = sampleTexts();
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(std::strtod(texts[i++ & 1023].c_str(), nullptr));
    }
}
BENCHMARK(Strtod)->Name("baseline/strtod");

void LeadingNumber_(benchmark::State& state)
{
    const auto texts = sampleTexts();
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(LeadingNumber(texts[i++ & 1023]));
    }
}
BENCHMARK(LeadingNumber_)->Name("LeadingNumber");

// One entry with `state.range(0)` values already in the list.
void AddNextValue_(benchmark::State& state)
{
    MemoryFieldStore fields;
    const auto texts = sampleTexts();
    for (std::int64_t i = 0; i < state.range(0); ++i) {
        fields.write(Field::Text1, texts[i & 1023]);
        AddNextValue(fields);
    }
    const std::string list = fields.read(Field::v);
    const std::string sum = fields.read(Field::s);
    const std::string squares = fields.read(Field::ss);
    const std::string count = fields.read(Field::text2);
    for (auto _ : state) {
        state.PauseTiming();
        fields.write(Field::v, list);
        fields.write(Field::s, sum);
        fields.write(Field::ss, squares);
        fields.write(Field::text2, count);
        fields.write(Field::Text1, "12.75");
        state.ResumeTiming();
        AddNextValue(fields);
    }
}
BENCHMARK(AddNextValue_)->Name("AddNextValue")->Arg(0)->Arg(1000)->Arg(100000);

void ComputeResults_(benchmark::State& state)
{
    MemoryFieldStore fields;
    for (const auto& text : sampleTexts()) {
        fields.write(Field::Text1, text);
        AddNextValue(fields);
    }
    fields.write(Field::v, ""); // not read by the computation
    for (auto _ : state)
        ComputeResults(fields);
}
BENCHMARK(ComputeResults_)->Name("ComputeResults");

void ResetSeries_(benchmark::State& state)
{
    MemoryFieldStore fields;
    for (auto _ : state)
        ResetSeries(fields);
}
BENCHMARK(ResetSeries_)->Name("ResetSeries");

// Prints the usual table, remembering each benchmark's time per iteration for the ratios.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const auto& run : runs) {
            if (run.run_type == Run::RT_Iteration || run.aggregate_name == "median")
                times[run.run_name.function_name] = run.GetAdjustedRealTime();
        }
    }

    std::map<std::string, double> times;
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    const auto ratio = [&](const char* name, const char* baseline, double target) {
        const auto a = reporter.times.find(name);
        const auto b = reporter.times.find(baseline);
        if (a == reporter.times.end() || b == reporter.times.end())
            return;
        const double speedUp = b->second / a->second;
        std::printf("%-24s %5.2fx faster than %-26s (target %.1fx: %s)\n", name, speedUp, baseline,
            target, speedUp >= target ? "met" : "MISSED");
    };
    std::printf("\n");
    ratio("GeneralText", "baseline/snprintf %.15G", 2.0);
    ratio("IsNumericText+ToNumber", "baseline/strtod", 1.0);
    benchmark::Shutdown();
    return 0;
}
