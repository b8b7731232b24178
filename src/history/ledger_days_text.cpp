#include "history/ledger_days_text.h"

#include "history/archive_date.h"
#include "history/parameter_sets.h"

namespace sorvane::history {

namespace {

template <typename Map>
typename Map::mapped_type valueOr(const Map& map, const std::string& key) {
    auto it = map.find(key);
    return it == map.end() ? typename Map::mapped_type{} : it->second;
}

std::string missingLine(int first, int last) {
    int count = last - first + 1;
    if (count == 1) return "missing: " + dateOfDay(first) + " (1 day)\n";
    return "missing: " + dateOfDay(first) + ".." + dateOfDay(last) + " (" + std::to_string(count) +
           " days)\n";
}

}  // namespace

std::string ledgerDaysText(const std::vector<LedgerDay>& days,
                           const std::map<std::string, DayTally>& tallies,
                           const std::map<std::string, int>& outagesPerDate,
                           const std::map<std::string, int>& unitOutagesPerDate,
                           const std::string& common) {
    using modBaddet::HealthClass;
    std::string out;
    for (const LedgerDay& day : days) {
        DayTally t = valueOr(tallies, day.date);
        out += day.date + ", " + std::to_string(day.detectors);
        for (HealthClass c : {HealthClass::High, HealthClass::Susp, HealthClass::Marg,
                              HealthClass::Hlth, HealthClass::Excluded}) {
            out += ", " + std::to_string(t.of(c));
        }
        out += ", " + std::to_string(t.unreadable) + ", " +
               std::to_string(valueOr(outagesPerDate, day.date)) + ", " +
               std::to_string(valueOr(unitOutagesPerDate, day.date)) + ", " + day.testedAt + ", " +
               day.archive;
        std::string differ = differingParameters(common, day.parameters);
        if (!differ.empty()) out += ", parameters differ: " + differ;
        out += "\n";
    }
    for (size_t i = 1; i < days.size(); ++i) {
        int before = dayNumber(days[i - 1].date), here = dayNumber(days[i].date);
        if (here - before > 1) out += missingLine(before + 1, here - 1);
    }
    return out;
}

}  // namespace sorvane::history
