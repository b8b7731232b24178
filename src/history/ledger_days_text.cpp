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
    if (count == 1) return "missing: " + dateOfDay(first) + " (1 day)";
    return "missing: " + dateOfDay(first) + ".." + dateOfDay(last) + " (" + std::to_string(count) +
           " days)";
}

}  // namespace

LedgerDaysList readLedgerDays(LedgerStore& ledger, const DateWindow& window,
                              const NetworkFilter& filter) {
    LedgerDaysList list;
    ledger.readConsistently([&] {
        list.common = mostCommonParameters(ledger.days({}));
        list.days = ledger.days(window);
        list.tallies = ledger.dayTallies(window, filter);
        for (const DatedOutage& o : ledger.outages(window))
            ++list.outagesPerDate[o.date];
        for (const DatedUnitOutage& o : ledger.unitOutages(window))
            ++list.unitOutagesPerDate[o.date];
    });
    if (filter.any()) {
        for (LedgerDay& day : list.days)
            day.detectors = list.tallies[day.date].detectors;
    }
    return list;
}

std::vector<std::string> ledgerDayFields(const LedgerDaysList& list, size_t index) {
    using modBaddet::HealthClass;
    const LedgerDay& day = list.days[index];
    DayTally t = valueOr(list.tallies, day.date);
    std::vector<std::string> fields{day.date, std::to_string(day.detectors)};
    for (HealthClass c : {HealthClass::High, HealthClass::Susp, HealthClass::Marg,
                          HealthClass::Hlth, HealthClass::Excluded}) {
        fields.push_back(std::to_string(t.of(c)));
    }
    fields.push_back(std::to_string(t.unreadable));
    fields.push_back(std::to_string(valueOr(list.outagesPerDate, day.date)));
    fields.push_back(std::to_string(valueOr(list.unitOutagesPerDate, day.date)));
    fields.push_back(day.testedAt);
    fields.push_back(day.archive);
    fields.push_back(differingParameters(list.common, day.parameters));
    return fields;
}

std::vector<std::string> missingDateLines(const std::vector<LedgerDay>& days) {
    std::vector<std::string> lines;
    for (size_t i = 1; i < days.size(); ++i) {
        int before = dayNumber(days[i - 1].date), here = dayNumber(days[i].date);
        if (here - before > 1) lines.push_back(missingLine(before + 1, here - 1));
    }
    return lines;
}

std::string ledgerDaysText(const LedgerDaysList& list) {
    std::string out;
    for (size_t i = 0; i < list.days.size(); ++i) {
        std::vector<std::string> fields = ledgerDayFields(list, i);
        std::string differ = std::move(fields.back());
        fields.pop_back();
        std::string line;
        for (const std::string& field : fields)
            line += (line.empty() ? "" : ", ") + field;
        if (!differ.empty()) line += ", parameters differ: " + differ;
        out += line + "\n";
    }
    for (const std::string& line : missingDateLines(list.days))
        out += line + "\n";
    return out;
}

std::string ledgerDaysText(const std::vector<LedgerDay>& days,
                           const std::map<std::string, DayTally>& tallies,
                           const std::map<std::string, int>& outagesPerDate,
                           const std::map<std::string, int>& unitOutagesPerDate,
                           const std::string& common) {
    return ledgerDaysText(
        LedgerDaysList{days, tallies, outagesPerDate, unitOutagesPerDate, common});
}

}  // namespace sorvane::history
