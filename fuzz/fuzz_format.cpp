// Numbers of any bit pattern into the program's number and time texts: every pattern gives a
// plain decimal that reads back within half a unit of its last place, and the export's fast
// writer stays inside its buffer and agrees with the general formatter.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/format.h"
#include "common/numeric.h"

namespace {

constexpr sorvane::NumberPattern kPatterns[] = {
    sorvane::NumberPattern::Whole, sorvane::NumberPattern::OneDecimal,
    sorvane::NumberPattern::ThreeDecimals, sorvane::NumberPattern::FourDecimals,
    sorvane::NumberPattern::UpToTwo};

double halfUnit(sorvane::NumberPattern pattern) {
    switch (pattern) {
        case sorvane::NumberPattern::Whole:
            return 0.5;
        case sorvane::NumberPattern::OneDecimal:
            return 0.05;
        case sorvane::NumberPattern::ThreeDecimals:
            return 0.0005;
        case sorvane::NumberPattern::FourDecimals:
            return 0.00005;
        case sorvane::NumberPattern::UpToTwo:
            return 0.005;
    }
    return 0.5;
}

void checkDouble(double value) {
    for (sorvane::NumberPattern pattern : kPatterns) {
        std::string text = sorvane::formatNumber(value, pattern);
        if (!std::isfinite(value)) continue;
        auto back = sorvane::parseNumber(text);
        if (!back || text.find_first_of("eE+ ") != std::string::npos) std::abort();
        // Reading the text back costs up to a rounding of its own.
        if (std::fabs(*back - value) > halfUnit(pattern) * (1 + 1e-9) + std::fabs(value) * 1e-15) {
            std::abort();
        }
    }
}

void checkFloat(float value) {
    // The writer's buffer exactly as large as promised, on the heap so that ASan sees its end.
    char* buffer = new char[sorvane::kUpToTwoFloatChars];
    char* end = sorvane::writeUpToTwo(buffer, value);
    std::string written(buffer, static_cast<size_t>(end - buffer));
    delete[] buffer;
    if (written != sorvane::formatNumber(value, sorvane::NumberPattern::UpToTwo)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size >= sizeof(double)) {
        double d;
        std::memcpy(&d, data, sizeof d);
        checkDouble(d);
    }
    if (size >= sizeof(float)) {
        float f;
        std::memcpy(&f, data, sizeof f);
        checkFloat(f);
        checkDouble(f);
    }
    if (size >= sizeof(int)) {
        int seconds;
        std::memcpy(&seconds, data, sizeof seconds);
        std::string time = sorvane::formatTimeOfDay(seconds);
        if (time.size() != 8 || time[2] != ':' || time[5] != ':') std::abort();
    }
    return 0;
}
