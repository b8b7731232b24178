#include "health/health_report.h"

#include "common/text_file.h"
#include "health/health_outcome_text.h"

namespace sorvane::modBaddet {

namespace {

constexpr std::string_view kCrLf = "\r\n";

void addLine(std::string& out, std::string_view text) {
    out += text;
    out += kCrLf;
}

// The counter and the report section of a class (healthy and excluded detectors have no section).
struct ClassParts {
    int* counter;
    std::string* section;
};

ClassParts partsOf(HealthTally& tally, HealthClass healthClass) {
    switch (healthClass) {
        case HealthClass::High:
            return {&tally.highlySuspicious, &tally.highSection};
        case HealthClass::Susp:
            return {&tally.suspicious, &tally.suspSection};
        case HealthClass::Marg:
            return {&tally.marginal, &tally.margSection};
        case HealthClass::Hlth:
            return {&tally.healthy, nullptr};
        case HealthClass::Excluded:
            break;
    }
    return {&tally.excluded, nullptr};
}

}  // namespace

void countOutcome(HealthTally& tally, const DetectorOutcome& outcome) {
    ++*partsOf(tally, outcome.healthClass()).counter;
}

void AppendToSections(HealthTally& tally, const DetectorOutcome& outcome) {
    if (std::string* section = partsOf(tally, outcome.healthClass()).section)
        *section += DetectorBlock(outcome);
}

std::string AllReportText(int detCount, const HealthTally& tally) {
    std::string out;
    out.reserve(tally.highSection.size() + tally.suspSection.size() + tally.margSection.size() +
                512);
    addLine(out, "Total number of detectors:" + std::to_string(detCount));
    addLine(out, "Total number of healthy detectors:" + std::to_string(tally.healthy));
    addLine(out, "Total number of highly suspicious detectors: " +
                     std::to_string(tally.highlySuspicious));
    addLine(out, "Total number of suspicious detectors: " + std::to_string(tally.suspicious));
    addLine(out, "Total number of marginal detectors: " + std::to_string(tally.marginal));
    addLine(out, "");
    addLine(out, "HIGHLY SUSPICIOUS DETECTORS");
    addLine(out, tally.highSection);
    addLine(out, "SUSPICIOUS DETECTORS");
    addLine(out, tally.suspSection);
    addLine(out, "MARGINAL DETECTORS THAT NEED FURTHER INVESTIGATION");
    addLine(out, tally.margSection);
    return out;
}

std::string SingleReportText(const HealthTally& tally) {
    std::string blocks = tally.highSection + tally.suspSection + tally.margSection;
    std::string out;
    addLine(out, blocks);
    if (blocks.size() < 5) addLine(out, "Good Detector");
    return out;
}

void WriteReport(const std::string& path, std::string_view text) {
    writeWholeFile(path, text);
}

}  // namespace sorvane::modBaddet
