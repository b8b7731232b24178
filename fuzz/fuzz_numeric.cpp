// Bytes as typed numeric text: every conversion must answer without wrapping or crashing, and
// agree with the numeric test.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "common/format.h"
#include "common/numeric.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    bool numeric = sorvane::isNumeric(text);
    auto value = sorvane::parseNumber(text);
    if (numeric != value.has_value()) std::abort();
    auto i16 = sorvane::toInt16(text);
    auto i32 = sorvane::toInt32(text);
    if (i16 && !numeric) std::abort();
    if (i16 && (!i32 || *i32 != *i16)) std::abort();
    static_cast<void>(sorvane::toFloat(text));
    if (auto d = sorvane::toDouble(text)) {
        for (auto pattern :
             {sorvane::NumberPattern::Whole, sorvane::NumberPattern::OneDecimal,
              sorvane::NumberPattern::FourDecimals, sorvane::NumberPattern::UpToTwo}) {
            std::string shown = sorvane::formatNumber(*d, pattern);
            // The shown text reads back as a number within half a unit of the last place.
            auto back = sorvane::parseNumber(shown);
            if (!back) std::abort();
            if (std::fabs(*d) < 1e15 && std::fabs(*back - *d) > 0.5000001) std::abort();
        }
    }
    return 0;
}
