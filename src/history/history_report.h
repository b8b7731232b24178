#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "history/count_drift.h"
#include "history/ledger_store.h"

namespace sorvane::history {

// What a detector's recent days say, the first that holds: mostly bad and bad now (send a
// crew), switching between good and bad, just gone bad, counting off against the lanes beside
// it, counting far from its usual day, bad lately but good now, good.
enum class DetectorLabel { Chronic, Flapping, New, LaneShare, Drifting, Recovered, Healthy };
constexpr int kDetectorLabelCount = 7;

// "chronic", "flapping", "new", "lane share", "drifting", "recovered", "healthy".
std::string_view detectorLabelName(DetectorLabel label);

struct LabelThresholds {
    int recentDays = 14;   // the labels look at this many last counted days
    int flapSwitches = 3;  // this many switches among them is flapping
};

// A counted day: the detector was tested (not excluded) and its verdict is not owed to an outage
// of the feed, its controller or its station. A bad day: a counted High or Susp day.
bool isCounted(const LedgerCell& cell);
bool isBad(const LedgerCell& cell);

// One detector over its counted days in the window: the days it was tested (not excluded)
// whose verdict is not owed to an outage. A bad day is a counted High or Susp day.
struct DetectorSummary {
    int16_t det = 0;
    int days = 0;
    int badDays = 0;
    int switches = 0;  // changes between good and bad from one counted day to the next
    int streak = 0;    // bad days in a row ending on the last counted day
    int longestBadRun = 0;
    std::string firstBad;  // dates; empty when never bad
    std::string lastBad;
    modBaddet::DecisionStep lastStep = modBaddet::DecisionStep::Healthy;
    DetectorLabel label = DetectorLabel::Healthy;
    int badRuns = 0;                       // maximal runs of bad days
    int repairedRuns = 0;                  // those followed by a good day
    std::optional<double> meanRepairDays;  // the mean length of the repaired runs
    std::string lastChange;  // the last day whose good/bad differs from the day before it
    int recentSwitches = 0;  // switches among the recent days
    int driftDays = 0;
    std::optional<double> lastRatio;       // of the last day that has a ratio
    int shareDays = 0;                     // days whose lane share is off its reference
    std::optional<double> lastShareDelta;  // share minus reference, its last day with one

    double productivity() const { return static_cast<double>(days - badDays) / days; }
};

struct HistoryReport {
    DateWindow window;                        // the dates asked for, or the ledger's first and last
    std::vector<std::string> dates;           // the ledger's days in the window
    std::vector<DetectorSummary> detectors;   // every detector with a counted day, ascending
    std::vector<DetectorSummary> repairList;  // chronic, flapping, new, drifting
    std::vector<DatedOutage> outages;
    int missingDates = 0;        // between the window's first and last day, not in the ledger
    int otherParameterDays = 0;  // days tested with other parameters than the most common set

    // The network, when the ledger holds an inventory: the version in force on the window's last
    // date (null when none is), whose rows give the report's network columns.
    bool hasInventory = false;
    std::optional<Inventory> network;
    int abandoned = 0;       // the report's detectors that the inventory marks abandoned
    int notInInventory = 0;  // detectors of the window's archives that the inventory lacks
    int neverInArchive = 0;  // inventory detectors that no archive of the window holds

    const Inventory* inventory() const { return network ? &*network : nullptr; }
};

// Sums up cells given one at a time in date order, as LedgerStore::eachCell gives them.
class SummaryBuilder {
  public:
    SummaryBuilder();
    // `ratio` is the cell's count ratio against its own usual day, `share` its lane share check,
    // when it has them.
    void add(const LedgerCell& cell, std::optional<double> ratio = std::nullopt,
             std::optional<CellShare> share = std::nullopt);
    // The summaries, ascending by detector, and their repair list: chronic by streak (longest
    // first), then flapping by recent switches (most first), then new, then lane share by the
    // largest last share delta (absolute), then drifting by the lowest last ratio; ties by
    // detector number.
    void finish(const LabelThresholds& thresholds, HistoryReport& report);

  private:
    struct CountedDay {     // 24 bytes: a year of 5000 detectors keeps 1.8 million of them
        double ratio;       // NaN when none
        double shareDelta;  // NaN when none
        int32_t date;       // into dates_
        bool bad;
        uint8_t step;  // a modBaddet::DecisionStep
        bool shareDay;
    };

    DetectorSummary summaryOf(int16_t det, const std::vector<CountedDay>& days,
                              const LabelThresholds& thresholds) const;

    std::vector<std::string> dates_;
    std::vector<int32_t> indexOf_;  // per detector number + 32768, -1 when not seen
    std::vector<std::vector<CountedDay>> found_;
};

// The summaries of the detectors of `cells` (in date order) and their repair list.
void summarize(const std::vector<LedgerCell>& cells, const LabelThresholds& thresholds,
               HistoryReport& report);

// Sees what a report reads, for a caller that wants more of it than the report keeps: the
// window's dates, then each cell in date order.
class CellReader {
  public:
    virtual ~CellReader() = default;
    virtual void dates(const std::vector<std::string>& dates) = 0;
    virtual void cell(const LedgerCell& cell) = 0;
};

// The report of the ledger's days in the window, read in one snapshot of the ledger (days that
// another connection adds meanwhile are all in or all out); `also` sees the same dates and cells.
// The filter narrows the detectors and the repair list to those it matches under the inventory
// in force on the window's last date; abandoned detectors stay out of the repair list.
HistoryReport readReport(LedgerStore& ledger, const DateWindow& window,
                         const LabelThresholds& thresholds, CellReader* also = nullptr,
                         const NetworkFilter& filter = {});

// The count ratio of each of one detector's dates that has one, from `from` on.
std::map<std::string, double> readDetectorRatios(LedgerStore& ledger, int16_t det,
                                                 const std::string& from);

}  // namespace sorvane::history
