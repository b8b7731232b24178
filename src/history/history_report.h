#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "history/ledger_store.h"

namespace sorvane::history {

// What a detector's run of days says, the first that holds: bad for a week and more (send a
// crew), switching between good and bad, just gone bad, bad before but good now, never bad.
enum class DetectorLabel { Chronic, Flapping, New, Recovered, Healthy };
constexpr int kDetectorLabelCount = 5;

// "chronic", "flapping", "new", "recovered", "healthy".
std::string_view detectorLabelName(DetectorLabel label);

struct LabelThresholds {
    int chronicDays = 7;   // a streak this long is chronic
    int flapSwitches = 3;  // this many switches is flapping
};

// One detector over its counted days: the days it was tested (not excluded) whose verdict is
// not owed to a feed outage.
struct DetectorSummary {
    int16_t det = 0;
    int days = 0;
    int badDays = 0;   // counted High or Susp days
    int switches = 0;  // changes between good and bad from one counted day to the next
    int streak = 0;    // bad days in a row ending on the last counted day
    int longestBadRun = 0;
    std::string firstBad;  // dates; empty when never bad
    std::string lastBad;
    modBaddet::DecisionStep lastStep = modBaddet::DecisionStep::Healthy;
    DetectorLabel label = DetectorLabel::Healthy;

    double productivity() const { return static_cast<double>(days - badDays) / days; }
};

struct HistoryReport {
    DateWindow window;                        // the dates asked for, or the ledger's first and last
    std::vector<std::string> dates;           // the ledger's days in the window
    std::vector<DetectorSummary> detectors;   // every detector with a counted day, ascending
    std::vector<DetectorSummary> repairList;  // chronic, then flapping, then new
    std::vector<DatedOutage> outages;
};

// Sums up cells given one at a time in date order, as LedgerStore::eachCell gives them.
class SummaryBuilder {
  public:
    SummaryBuilder();
    void add(const LedgerCell& cell);
    // The summaries, ascending by detector, and their repair list: chronic by streak (longest
    // first), then flapping by switches (most first), then new; ties by detector number.
    void finish(const LabelThresholds& thresholds, HistoryReport& report);

  private:
    std::vector<int32_t> indexOf_;  // per detector number + 32768, -1 when not seen
    std::vector<DetectorSummary> found_;
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
HistoryReport readReport(LedgerStore& ledger, const DateWindow& window,
                         const LabelThresholds& thresholds, CellReader* also = nullptr);

}  // namespace sorvane::history
