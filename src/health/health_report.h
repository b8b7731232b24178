#pragma once

#include <string>
#include <string_view>

#include "health/health_classify.h"

namespace sorvane::modBaddet {

constexpr std::string_view kAllReportFileName = "Diagnostic_Report.txt";
constexpr std::string_view kSingleReportFileName = "report_single.txt";

// The counters and report sections of one run.
struct HealthTally {
    int healthy = 0;
    int highlySuspicious = 0;
    int suspicious = 0;
    int marginal = 0;
    int excluded = 0;  // not in the report; the command line's summary shows it
    std::string highSection;
    std::string suspSection;
    std::string margSection;
};

// Counts the outcome in the counter of its class.
void countOutcome(HealthTally& tally, const DetectorOutcome& outcome);

// Appends the outcome's block to the section of its class (healthy and excluded: none).
void AppendToSections(HealthTally& tally, const DetectorOutcome& outcome);

// The report of a test of all detectors: the summary counts (detCount is the archive's number
// of detectors, excluded ones included) and the three sections, CR LF line ends.
std::string AllReportText(int detCount, const HealthTally& tally);

// The report of a single-detector test: its block, or an empty line and "Good Detector".
std::string SingleReportText(const HealthTally& tally);

// Writes a report, replacing the file whole. Throws SorvaneError naming the path and the reason;
// an existing file then keeps its old content.
void WriteReport(const std::string& path, std::string_view text);

}  // namespace sorvane::modBaddet
