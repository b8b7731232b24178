#pragma once

#include <string>
#include <string_view>

#include "health/health_classify.h"

namespace sorvane::modBaddet {

constexpr std::string_view kAllReportFileName = "Diagnostic_Report.txt";
constexpr std::string_view kSingleReportFileName = "report_single.txt";

// The report of a test of all detectors: the summary counts (detCount is the archive's number
// of detectors, excluded ones included) and the three sections, CR LF line ends.
std::string AllReportText(int detCount, const HealthTally& tally);

// The report of a single-detector test: its block, or an empty line and "Good Detector".
std::string SingleReportText(const HealthTally& tally);

// Writes a report, replacing the file whole. Throws SorvaneError naming the path and the reason;
// an existing file then keeps its old content.
void WriteReport(const std::string& path, std::string_view text);

}  // namespace sorvane::modBaddet
