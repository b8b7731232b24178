#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "history/inventory_versions.h"
#include "history/ledger_store.h"

namespace sorvane::history {

// A day whose count ratio against the detector's usual day lies outside 0.7..1.3 is a drift day.
constexpr double kDriftLow = 0.7;
constexpr double kDriftHigh = 1.3;
// This many drift days among its recent days, the last of them with a ratio a drift day, make a
// detector drifting.
constexpr int kDriftDaysForLabel = 3;

inline bool isDriftRatio(double ratio) {
    return ratio < kDriftLow || ratio > kDriftHigh;
}

// The daytime volume of a detector-day scaled to the whole span (slots 600 to 2639), when it has
// valid daytime slots: what the baseline is compared with.
std::optional<double> daytimeVolume(const LedgerCell& cell);

// The daytime volume of a detector-day scaled to the whole span (slots 600 to 2639), when the
// day can serve as a baseline: counted, Hlth or Marg, and at least 1224 valid daytime slots.
std::optional<double> baselineVolume(const LedgerCell& cell);

struct DetectorVolume {
    int16_t det = 0;
    double volume = 0.0;
};

struct DetectorRatio {
    int16_t det = 0;
    double ratio = 0.0;
};

// Judges each detector's daytime volume against its own usual day: the median of its volumes
// on the same weekday over the 56 days before (at least 3 such days), with the day's median
// ratio over the network (at least 10 detectors) taken out, so that a holiday or a storm that
// moves every detector moves none of the ratios.
class CountDrift {
  public:
    CountDrift();

    // A date's baseline volumes, in date order (`day` as dayNumber counts); returns the ratios
    // of the detectors that have one, in the order of `volumes`.
    std::vector<DetectorRatio> addDay(int day, const std::vector<DetectorVolume>& volumes);

    // The detector's baseline on `day` (a dayNumber after every day added so far): the median
    // of its volumes on the reference days; none with too few of them or a median of 0.
    std::optional<double> baseline(int16_t det, int day);

  private:
    struct PastVolume {
        int day;
        double volume;
    };
    // Per detector number + 32768: its baseline volumes of the last 56 days, oldest first.
    std::vector<std::vector<PastVolume>> past_;
    std::vector<double> reference_;  // reused: the median reorders it
};

// A lane's share of its station against its reference share (lane_share.h).
struct CellShare {
    double delta = 0.0;  // share minus reference share
    bool shareDay = false;
};

class LaneShare;

// Hands the ledger's cells on, each with its ratio when it has one and, under an inventory, its
// lane share check when it has one. Cells come in date order (as LedgerStore::eachCell gives
// them), and a date's cells go on once the next date begins or at finish(). A ratio or a share
// check needs the 56 days before: read them too.
class CellRatios {
  public:
    using Sink = std::function<void(const LedgerCell& cell, std::optional<double> ratio,
                                    std::optional<CellShare> share)>;
    explicit CellRatios(Sink sink);
    ~CellRatios();
    // Checks lane shares by the stations of the version in force on each date; `versions` must
    // outlive the cells.
    void useInventory(const InventoryVersions* versions) { versions_ = versions; }
    void add(const LedgerCell& cell);
    void finish();

  private:
    Sink sink_;
    CountDrift drift_;
    std::unique_ptr<LaneShare> share_;
    const InventoryVersions* versions_ = nullptr;
    std::map<const InventoryVersion*, std::vector<std::vector<int16_t>>> stations_;
    std::vector<LedgerCell> day_;
};

// The first date whose cells the ratios of dates from `from` on need.
std::string firstDateForRatios(const std::string& from);

// The median: the middle value, or the mean of the two middle ones. `values` is reordered.
double median(std::vector<double>& values);

}  // namespace sorvane::history
