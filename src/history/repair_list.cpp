#include "history/repair_list.h"

#include <algorithm>

#include "history/report_text.h"

namespace sorvane::history {

std::vector<RepairRow> repairRows(const HistoryReport& report) {
    std::vector<RepairRow> rows;
    rows.reserve(report.repairList.size());
    const Inventory* inventory = report.inventory();
    for (const DetectorSummary& s : report.repairList)
        rows.push_back({&s, inventory ? inventory->find(s.det) : nullptr});
    return rows;
}

bool matches(const RepairRow& row, const RepairFilter& filter) {
    const DetectorSummary& s = *row.summary;
    if (filter.label && s.label != *filter.label) return false;
    if (filter.step && s.lastStep != *filter.step) return false;
    if (filter.laneType && (!row.network || row.network->laneType != *filter.laneType))
        return false;
    if (filter.corridor &&
        (row.network ? row.network->corridor : std::string()) != *filter.corridor)
        return false;
    auto first = filter.search.find_first_not_of(" \t");
    if (first == std::string::npos) return true;
    auto last = filter.search.find_last_not_of(" \t");
    return std::to_string(s.det).find(filter.search.substr(first, last - first + 1)) !=
           std::string::npos;
}

std::vector<std::string> corridorsOf(const std::vector<RepairRow>& rows) {
    std::vector<std::string> corridors;
    for (const RepairRow& r : rows) {
        if (r.network && !r.network->corridor.empty()) corridors.push_back(r.network->corridor);
    }
    std::sort(corridors.begin(), corridors.end());
    corridors.erase(std::unique(corridors.begin(), corridors.end()), corridors.end());
    return corridors;
}

std::string repairListCsv(const HistoryReport& report, const std::vector<int16_t>& detectors) {
    std::vector<const DetectorSummary*> byNumber(65536, nullptr);  // per detector number + 32768
    for (const DetectorSummary& s : report.repairList)
        byNumber[static_cast<size_t>(s.det + 32768)] = &s;
    std::string out = reportCsvHeader();
    for (int16_t det : detectors) {
        if (const DetectorSummary* s = byNumber[static_cast<size_t>(det + 32768)])
            out += reportCsvRow(report, *s);
    }
    return out;
}

}  // namespace sorvane::history
