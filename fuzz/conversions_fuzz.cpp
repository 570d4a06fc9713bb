// Any text through the five conversions: no crash, and what GeneralText writes reads back.

#include "stats/numeric_text.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace {

[[noreturn]] void fail(const char* what, std::string_view text)
{
    std::fprintf(stderr, "%s: [%.*s]\n", what, static_cast<int>(text.size()), text.data());
    std::abort();
}

void checkWrittenText(double value)
{
    using namespace velbrin::stats;
    const std::string general = GeneralText(value);
    const std::string signedText = SignedText(value);
    if (!std::isfinite(value))
        return;
    char oracle[64];
    std::snprintf(oracle, sizeof oracle, "%.15G", value);
    if (general != oracle && value != 0) // printf keeps the sign of -0; the program writes "0"
        fail("GeneralText differs from %.15G", general);
    if (std::fabs(value) >= 1.79769313486231e308)
        return; // rounds past the largest double: the engine rejects such sums
    if (!IsNumericText(general) || !IsNumericText(signedText))
        fail("written text is not numeric", general);
    std::snprintf(oracle, sizeof oracle, "%.14e", value);
    if (ToNumber(general) != std::strtod(oracle, nullptr))
        fail("written text reads back as another value", general);
    if (LeadingNumber(signedText) != ToNumber(general))
        fail("SignedText reads back as another value", signedText);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace velbrin::stats;
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    const double leading = LeadingNumber(text);
    if (std::isnan(leading))
        fail("LeadingNumber gave NaN", text);

    if (IsNumericText(text)) {
        const double value = ToNumber(text);
        if (!std::isfinite(value))
            fail("numeric text is not finite", text);
        checkWrittenText(value);
    } else {
        try {
            ToNumber(text);
            fail("ToNumber accepted a text IsNumericText rejects", text);
        } catch (const NotNumericError&) { }
    }

    if (size >= sizeof(double)) {
        double value;
        std::memcpy(&value, data, sizeof value);
        checkWrittenText(value);
    }
    return 0;
}
