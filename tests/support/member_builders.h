#pragma once

#include <string>
#include <vector>

#include "support/test_support.h"

namespace sorvane::test {

// A volume member of `fill` vehicles a slot whose first slots hold `first`.
inline synth::ArchiveMember volumeMember(const std::string& det, uint8_t fill,
                                         const std::vector<uint8_t>& first = {}) {
    std::vector<uint8_t> bytes = volumeBytes(fill);
    std::copy(first.begin(), first.end(), bytes.begin());
    return {det + ".v30", bytes};
}

// An occupancy member of raw values (tenths of a percent for "o30") whose first slots hold
// `first`.
inline synth::ArchiveMember occupancyMember(const std::string& det, int16_t fill,
                                            const std::vector<int16_t>& first = {},
                                            const std::string& ext = "o30") {
    std::vector<uint8_t> bytes = occupancyBytes(fill);
    for (size_t i = 0; i < first.size(); ++i) {
        bytes[2 * i] = static_cast<uint8_t>(static_cast<uint16_t>(first[i]) >> 8);
        bytes[2 * i + 1] = static_cast<uint8_t>(first[i] & 0xFF);
    }
    return {det + "." + ext, bytes};
}

}  // namespace sorvane::test
