// A random sequence of entries, computations and resets over the in-memory fields: no crash, the
// accumulators always hold numbers, and the list only ever grows by the typed text and ",".

#include "stats/fields.h"
#include "stats/numeric_text.h"
#include "stats/series.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using namespace velbrin::stats;

[[noreturn]] void fail(const char* what, const std::string& text)
{
    std::fprintf(stderr, "%s: [%s]\n", what, text.c_str());
    std::abort();
}

void checkAccumulators(const FieldStore& fields)
{
    for (Field field : { Field::text2, Field::s, Field::ss }) {
        if (!IsNumericText(fields.read(field)))
            fail("accumulator is not numeric", fields.read(field));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    MemoryFieldStore fields;
    std::size_t at = 0;
    while (at < size) {
        const std::uint8_t op = data[at++];
        switch (op % 4) {
        case 0:
        case 1: { // enter the next 0..15 bytes (or the rest) as typed text
            const std::size_t length = std::min<std::size_t>(op >> 4, size - at);
            const std::string typed(reinterpret_cast<const char*>(data + at), length);
            at += length;
            const std::string before = fields.read(Field::v);
            fields.write(Field::Text1, typed);
            AddNextValue(fields);
            if (fields.read(Field::v) != before + typed + ",")
                fail("list did not grow by the typed text", fields.read(Field::v));
            if (!fields.read(Field::Text1).empty())
                fail("input not emptied", fields.read(Field::Text1));
            break;
        }
        case 2: {
            const std::string list = fields.read(Field::v);
            ComputeResults(fields);
            if (fields.read(Field::v) != list)
                fail("computing changed the list", fields.read(Field::v));
            break;
        }
        case 3:
            ResetSeries(fields);
            if (!fields.read(Field::v).empty())
                fail("reset left a list", fields.read(Field::v));
            break;
        }
        checkAccumulators(fields);
    }
    return 0;
}
