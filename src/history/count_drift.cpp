#include "history/count_drift.h"

#include <algorithm>

#include "history/archive_date.h"
#include "history/lane_share.h"

namespace sorvane::history {

namespace {

constexpr int kSpanSlots = 2040;  // slots 600 to 2639
constexpr int kMinValidSlots = 1224;
constexpr int kReferenceSpanDays = 56;
constexpr int kDaysPerWeek = 7;
constexpr size_t kMinReferenceDays = 3;
constexpr size_t kMinDetectorsForNetwork = 10;

}  // namespace

std::optional<double> daytimeVolume(const LedgerCell& cell) {
    if (!cell.daytimeVolume || !cell.daytimeValid || *cell.daytimeValid <= 0) return std::nullopt;
    return static_cast<double>(*cell.daytimeVolume) * kSpanSlots / *cell.daytimeValid;
}

std::optional<double> baselineVolume(const LedgerCell& cell) {
    using modBaddet::HealthClass;
    if (cell.attribution == Attribution::FeedOutage) return std::nullopt;
    if (cell.healthClass != HealthClass::Hlth && cell.healthClass != HealthClass::Marg)
        return std::nullopt;
    if (!cell.daytimeValid || *cell.daytimeValid < kMinValidSlots) return std::nullopt;
    return daytimeVolume(cell);
}

double median(std::vector<double>& values) {
    size_t middle = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + static_cast<ptrdiff_t>(middle), values.end());
    double upper = values[middle];
    if (values.size() % 2 == 1) return upper;
    double lower =
        *std::max_element(values.begin(), values.begin() + static_cast<ptrdiff_t>(middle));
    return (lower + upper) / 2.0;
}

CountDrift::CountDrift() : past_(65536) {}

std::optional<double> CountDrift::baseline(int16_t det, int day) {
    std::vector<PastVolume>& past = past_[static_cast<size_t>(det + 32768)];
    // Days older than the span can serve no later date either.
    auto stale = std::find_if(past.begin(), past.end(), [&](const PastVolume& p) {
        return p.day >= day - kReferenceSpanDays;
    });
    past.erase(past.begin(), stale);
    reference_.clear();
    for (const PastVolume& p : past) {
        if (p.day < day && (day - p.day) % kDaysPerWeek == 0) reference_.push_back(p.volume);
    }
    if (reference_.size() < kMinReferenceDays) return std::nullopt;
    double b = median(reference_);
    if (!(b > 0.0)) return std::nullopt;
    return b;
}

std::vector<DetectorRatio> CountDrift::addDay(int day, const std::vector<DetectorVolume>& volumes) {
    std::vector<DetectorRatio> raw;
    for (const DetectorVolume& v : volumes) {
        if (std::optional<double> b = baseline(v.det, day)) raw.push_back({v.det, v.volume / *b});
    }
    for (const DetectorVolume& v : volumes)
        past_[static_cast<size_t>(v.det + 32768)].push_back({day, v.volume});

    double network = 1.0;
    if (raw.size() >= kMinDetectorsForNetwork) {
        std::vector<double> ratios;
        ratios.reserve(raw.size());
        for (const DetectorRatio& r : raw)
            ratios.push_back(r.ratio);
        network = median(ratios);
    }
    // A network that counted nothing that day gives nothing to judge a detector against.
    if (!(network > 0.0)) return {};
    for (DetectorRatio& r : raw)
        r.ratio /= network;
    return raw;
}

CellRatios::CellRatios(Sink sink) : sink_(std::move(sink)), share_(std::make_unique<LaneShare>()) {}

CellRatios::~CellRatios() = default;

void CellRatios::add(const LedgerCell& cell) {
    if (!day_.empty() && day_.back().date != cell.date) finish();
    day_.push_back(cell);
}

void CellRatios::finish() {
    if (day_.empty()) return;
    std::vector<DetectorVolume> volumes;
    std::vector<size_t> cellOf;
    for (size_t i = 0; i < day_.size(); ++i) {
        if (std::optional<double> v = baselineVolume(day_[i])) {
            volumes.push_back({day_[i].det, *v});
            cellOf.push_back(i);
        }
    }
    std::vector<std::optional<double>> ratios(day_.size());
    int day = dayNumber(day_.front().date);
    std::vector<DetectorRatio> found = drift_.addDay(day, volumes);
    size_t next = 0;
    for (size_t v = 0; v < volumes.size() && next < found.size(); ++v) {
        if (volumes[v].det == found[next].det) ratios[cellOf[v]] = found[next++].ratio;
    }
    std::vector<std::optional<CellShare>> shares(day_.size());
    const InventoryVersion* version = versions_ ? versions_->versionOn(day_.front().date) : nullptr;
    if (version) {
        auto stations = stations_.find(version);
        if (stations == stations_.end())
            stations = stations_.emplace(version, shareStations(version->inventory)).first;
        for (const LaneShareResult& r : share_->addDay(day, stations->second, volumes)) {
            // Cells come in detector order within a date.
            auto cell =
                std::lower_bound(day_.begin(), day_.end(), r.det,
                                 [](const LedgerCell& c, int16_t det) { return c.det < det; });
            if (cell != day_.end() && cell->det == r.det)
                shares[static_cast<size_t>(cell - day_.begin())] = CellShare{r.delta, r.shareDay};
        }
    } else if (versions_ && !versions_->empty()) {
        share_->addDay(day, {}, volumes);  // later dates' references need this date's volumes
    }
    for (size_t i = 0; i < day_.size(); ++i)
        sink_(day_[i], ratios[i], shares[i]);
    day_.clear();
}

std::string firstDateForRatios(const std::string& from) {
    if (!isLedgerDate(from)) return from;
    return dateOfDay(dayNumber(from) - kReferenceSpanDays);
}

}  // namespace sorvane::history
