#include "mkarchive/synthetic_run.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>

#include "common/error.h"
#include "mkarchive/random.h"

namespace sorvane::synth {

namespace {

constexpr int kCourses = 5;

struct Date {
    int year, month, day;
};

bool isLeap(int year) {
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int daysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return kDays[month - 1] + (month == 2 && isLeap(year) ? 1 : 0);
}

Date parseDate(const std::string& text) {
    bool digits = text.size() == 8 && std::all_of(text.begin(), text.end(),
                                                  [](char c) { return c >= '0' && c <= '9'; });
    if (digits) {
        Date d{std::stoi(text.substr(0, 4)), std::stoi(text.substr(4, 2)),
               std::stoi(text.substr(6, 2))};
        if (d.year >= 1 && d.month >= 1 && d.month <= 12 && d.day >= 1 &&
            d.day <= daysInMonth(d.year, d.month)) {
            return d;
        }
    }
    throw SorvaneError(kErrInvalidInput, "The start \"" + text + "\" is no date YYYYMMDD");
}

Date nextDay(Date d) {
    if (++d.day > daysInMonth(d.year, d.month)) {
        d.day = 1;
        if (++d.month > 12) {
            d.month = 1;
            ++d.year;
        }
    }
    return d;
}

std::string dateText(const Date& d) {
    char text[40];
    std::snprintf(text, sizeof text, "%04d%02d%02d", d.year, d.month, d.day);
    return text;
}

// A faulty detector's history: its fault kind and, per day, whether it shows.
struct FaultHistory {
    int detector;  // position in the day
    Fault fault;
    std::vector<bool> shows;
    double countedShare = 1.0;  // while it undercounts
};

bool isWeekend(const Date& d) {
    using namespace std::chrono;
    weekday w{sys_days{year{d.year} / month{static_cast<unsigned>(d.month)} /
                       day{static_cast<unsigned>(d.day)}}};
    return w == Saturday || w == Sunday;
}

// Whether the detector may take the deal's f-th fault: an abandoned one takes none, and only a
// mainline lane undercounts.
bool takes(const std::vector<NetworkDetector>& network, int detector, int f) {
    const NetworkDetector& d = network[static_cast<size_t>(detector)];
    if (d.abandoned) return false;
    return static_cast<FaultCourse>(f % kCourses) != FaultCourse::Undercount ||
           d.kind == LaneKind::Mainline;
}

std::vector<FaultHistory> planFaults(const RunOptions& options,
                                     const std::vector<NetworkDetector>& network, Random& random) {
    int n = options.day.detectors;
    int days = options.days;
    std::vector<int> order(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        order[static_cast<size_t>(i)] = i;
    for (int i = n - 1; i > 0; --i)
        std::swap(order[static_cast<size_t>(i)], order[static_cast<size_t>(random.integer(0, i))]);
    int faulty = static_cast<int>(std::lround(std::clamp(options.day.faultShare, 0.0, 1.0) * n));
    for (int f = 0; f < faulty; ++f) {
        if (takes(network, order[static_cast<size_t>(f)], f)) continue;
        for (int j = faulty; j < n; ++j) {
            if (!takes(network, order[static_cast<size_t>(j)], f)) continue;
            std::swap(order[static_cast<size_t>(f)], order[static_cast<size_t>(j)]);
            break;
        }
    }
    std::vector<FaultHistory> histories;
    for (int f = 0; f < faulty; ++f) {
        FaultHistory h{order[static_cast<size_t>(f)], static_cast<Fault>(1 + f % kFaultKinds),
                       std::vector<bool>(static_cast<size_t>(days), false)};
        auto course = static_cast<FaultCourse>(f % kCourses);
        int turn = days > 1 ? random.integer(1, days - 1) : 0;  // the day it appears or goes
        if (course == FaultCourse::Undercount) {
            h.fault = Fault::Undercount;
            h.countedShare = random.uniform(0.55, 0.65);
        }
        for (int d = 0; d < days; ++d) {
            bool shows = true;
            switch (course) {
                case FaultCourse::Persistent:
                    break;
                case FaultCourse::Appears:
                case FaultCourse::Undercount:
                    shows = d >= turn;
                    break;
                case FaultCourse::Disappears:
                    shows = d < turn;
                    break;
                case FaultCourse::Flaps:
                    shows = random.integer(0, 1) == 1;
                    break;
            }
            h.shows[static_cast<size_t>(d)] = shows;
        }
        histories.push_back(std::move(h));
    }
    return histories;
}

// The run's units: stations and controllers with their detectors, in the network's order.
struct Unit {
    std::string name;
    std::vector<int> detectors;
    std::vector<std::string> stations;
};

std::vector<Unit> unitsOf(const std::vector<NetworkDetector>& network, bool controllers) {
    std::vector<Unit> units;
    for (size_t i = 0; i < network.size(); ++i) {
        const NetworkDetector& d = network[i];
        const std::string& name = controllers ? d.controller : d.station;
        if (units.empty() || units.back().name != name) units.push_back({name, {}, {}});
        units.back().detectors.push_back(static_cast<int>(i));
        if (units.back().stations.empty() || units.back().stations.back() != d.station)
            units.back().stations.push_back(d.station);
    }
    return units;
}

// The courses that strike whole stations and controllers, and the swapped lanes.
class UnitCourses {
  public:
    UnitCourses(const RunOptions& options, const std::vector<NetworkDetector>& network,
                const std::vector<FaultHistory>& histories)
        : options_(options),
          network_(network),
          random_(options.day.seed ^ 0x0C7A6E5ull),
          busy_(network.size(), false) {
        for (const FaultHistory& h : histories)
            busy_[static_cast<size_t>(h.detector)] = true;
        for (size_t i = 0; i < network.size(); ++i)
            busy_[i] = busy_[i] || network[i].abandoned;
    }

    void plan(std::vector<RunDay>& run) {
        std::vector<Unit> stations = unitsOf(network_, false);
        std::vector<Unit> controllers = unitsOf(network_, true);
        // The controller outage first: one that serves two stations when there is one.
        const Unit* controller =
            pick(controllers, [](const Unit& u) { return u.stations.size() > 1; });
        if (!controller) controller = pick(controllers, [](const Unit&) { return true; });
        if (controller) {
            int start = random_.integer(5, 6) * 120;
            silence(run, *controller, start, start + kControllerOutageSlots - 1,
                    Fault::ControllerOutage);
        }
        const Unit* station = pick(stations, [this](const Unit& u) { return mainline(u) >= 2; });
        if (station) {
            int start = random_.integer(13, 20) * 120;
            silence(run, *station, start, start + kStationOutageSlots - 1, Fault::StationOutage);
        }
        const Unit* swapped = pick(stations, [this](const Unit& u) { return mainline(u) >= 2; });
        if (swapped) swap(run, *swapped);
    }

  private:
    int mainline(const Unit& u) const {
        return static_cast<int>(std::count_if(
            u.detectors.begin(), u.detectors.end(),
            [this](int d) { return network_[static_cast<size_t>(d)].kind == LaneKind::Mainline; }));
    }

    // A unit of at least two detectors, none of them busy, that the condition accepts; drawn at
    // random among them, and then busy.
    template <class Accept>
    const Unit* pick(const std::vector<Unit>& units, Accept accept) {
        std::vector<const Unit*> free;
        for (const Unit& u : units) {
            bool idle = std::none_of(u.detectors.begin(), u.detectors.end(),
                                     [this](int d) { return busy_[static_cast<size_t>(d)]; });
            if (idle && u.detectors.size() >= 2 && accept(u)) free.push_back(&u);
        }
        if (free.empty()) return nullptr;
        const Unit* u =
            free[static_cast<size_t>(random_.integer(0, static_cast<int>(free.size()) - 1))];
        for (int d : u->detectors)
            busy_[static_cast<size_t>(d)] = true;
        return u;
    }

    // A day other than the feed outage's (unless the run has only that one).
    int outageDay() {
        const int days = options_.days;
        if (days == 1) return 0;
        int d = random_.integer(0, days - 2);
        return d >= days / 2 ? d + 1 : d;
    }

    void silence(std::vector<RunDay>& run, const Unit& unit, int first, int last, Fault fault) {
        DayOptions& day = run[static_cast<size_t>(outageDay())].options;
        day.silences.push_back({first, last, unit.detectors});
        for (int d : unit.detectors)
            day.faults[static_cast<size_t>(d)] = fault;
    }

    // The station's two mainline lanes whose traffic differs most trade numbers from a day on.
    void swap(std::vector<RunDay>& run, const Unit& station) {
        const uint64_t laneSeed = run.front().options.laneSeed;
        std::pair<int, int> lanes{-1, -1};
        double widest = -1.0;
        for (int a : station.detectors) {
            for (int b : station.detectors) {
                if (a >= b || network_[static_cast<size_t>(a)].kind != LaneKind::Mainline ||
                    network_[static_cast<size_t>(b)].kind != LaneKind::Mainline)
                    continue;
                double gap =
                    std::abs(laneDemandFactor(laneSeed, a) - laneDemandFactor(laneSeed, b));
                if (gap > widest) {
                    widest = gap;
                    lanes = {a, b};
                }
            }
        }
        const int days = options_.days;
        const int from = days > 1 ? random_.integer(1, days - 1) : 0;
        for (int d = from; d < days; ++d) {
            DayOptions& day = run[static_cast<size_t>(d)].options;
            day.swaps.push_back(lanes);
            day.faults[static_cast<size_t>(lanes.first)] = Fault::Swapped;
            day.faults[static_cast<size_t>(lanes.second)] = Fault::Swapped;
        }
    }

    const RunOptions& options_;
    const std::vector<NetworkDetector>& network_;
    Random random_;
    std::vector<bool> busy_;
};

}  // namespace

std::vector<NetworkDetector> runNetwork(const RunOptions& options) {
    return planNetwork(options.day.detectors, options.day.seed);
}

std::vector<RunDay> planRun(const RunOptions& options) {
    if (options.days < 1) throw SorvaneError(kErrInvalidInput, "A run needs at least one day");
    Date date = parseDate(options.start);
    Random random(options.day.seed ^ 0xD1CE5EEDull);
    const std::vector<NetworkDetector> network = runNetwork(options);
    std::vector<FaultHistory> histories = planFaults(options, network, random);
    std::vector<LaneKind> kinds;
    for (const NetworkDetector& d : network)
        kinds.push_back(d.kind);
    std::vector<RunDay> run;
    for (int d = 0; d < options.days; ++d, date = nextDay(date)) {
        RunDay day{dateText(date), options.day};
        day.options.seed = options.day.seed * 1000003ull + static_cast<uint64_t>(d);
        day.options.laneSeed = options.day.seed * 7919ull + 1;
        day.options.volumeShare =
            (isWeekend(date) ? kWeekendShare : 1.0) * (d == options.days / 3 ? kHolidayShare : 1.0);
        day.options.faults.assign(static_cast<size_t>(options.day.detectors), Fault::None);
        day.options.countedShare.assign(static_cast<size_t>(options.day.detectors), 1.0);
        day.options.laneKinds = kinds;
        for (size_t i = 0; i < network.size(); ++i) {
            if (network[i].abandoned) day.options.faults[i] = Fault::Abandoned;
        }
        for (const FaultHistory& h : histories) {
            if (!h.shows[static_cast<size_t>(d)]) continue;
            day.options.faults[static_cast<size_t>(h.detector)] = h.fault;
            day.options.countedShare[static_cast<size_t>(h.detector)] = h.countedShare;
        }
        if (d == options.days / 2) day.options.feedOutage = kRunFeedOutage;
        run.push_back(std::move(day));
    }
    UnitCourses(options, network, histories).plan(run);
    return run;
}

}  // namespace sorvane::synth
