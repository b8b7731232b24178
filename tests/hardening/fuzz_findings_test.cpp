// Inputs the fuzz targets found, replayed as the targets read them (files in tests/data/fuzz).
#include <gtest/gtest.h>

#include "fuzz/health_input.h"
#include "health/health_measures.h"
#include "support/test_support.h"

namespace sorvane {
namespace {

std::vector<uint8_t> finding(const std::string& name) {
    std::string bytes = test::readFile(std::string(SORVANE_FUZZ_FINDINGS) + "/" + name);
    EXPECT_FALSE(bytes.empty()) << name << " is missing";
    return {bytes.begin(), bytes.end()};
}

// A day whose volume and occupancy rise in step: single-precision products carried the
// coefficient to -1.0000014, past what a correlation can be.
TEST(FuzzFindings, CorrelationStaysWithinMinusOneAndOne) {
    std::vector<uint8_t> bytes = finding("health_correlation_past_one.bin");
    fuzz::HealthInput in = fuzz::healthInputOf(bytes);
    double r = modBaddet::ComputeHealthMeasures(in.vol, in.occ, in.snapshot).corrCoef;
    EXPECT_GE(r, -1.0);
    EXPECT_LE(r, 1.0);
    EXPECT_LT(r, -0.999);
}

}  // namespace
}  // namespace sorvane
