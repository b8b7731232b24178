#include "history/inventory_versions.h"

#include <algorithm>
#include <charconv>

namespace sorvane::history {

InventoryVersions::InventoryVersions(std::vector<InventoryVersion> versions)
    : versions_(std::move(versions)) {
    std::ranges::sort(versions_, {}, &InventoryVersion::validFrom);
}

const InventoryVersion* InventoryVersions::versionOn(std::string_view date) const {
    // The first version valid after the date; the one before it is in force.
    auto after = std::ranges::upper_bound(versions_, date, {}, [](const InventoryVersion& v) {
        return std::string_view(v.validFrom);
    });
    return after == versions_.begin() ? nullptr : &*(after - 1);
}

bool NetworkFilter::matches(const Inventory* inventory, int16_t det) const {
    if (!any()) return true;
    const InventoryRow* row = inventory ? inventory->find(det) : nullptr;
    if (!row) return false;
    return (station.empty() || row->station == station) &&
           (corridor.empty() || row->corridor == corridor) &&
           (!laneType || row->laneType == *laneType);
}

std::string csvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
    std::string out = "\"";
    for (char c : text) {
        out += c;
        if (c == '"') out += '"';
    }
    return out + "\"";
}

std::string networkColumns(const Inventory* inventory, int16_t det) {
    const InventoryRow* row = inventory ? inventory->find(det) : nullptr;
    if (!row) return ",,,";
    return csvField(row->station) + "," + (row->lane ? std::to_string(*row->lane) : "") + "," +
           std::string(laneTypeName(row->laneType)) + "," + csvField(row->corridor);
}

namespace {

// The shortest text that reads back as the same number; empty for none.
std::string numberText(const std::optional<double>& value) {
    if (!value) return {};
    char buffer[32];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, *value);
    return ec == std::errc() ? std::string(buffer, end) : std::string();
}

std::string laneText(const InventoryRow& row) {
    return row.lane ? std::to_string(*row.lane) : "";
}

}  // namespace

std::string inventoryCsv(const Inventory& inventory) {
    std::string out;
    for (const InventoryColumnSpec& column : kInventoryColumns)
        out += (out.empty() ? "" : ",") + std::string(column.name);
    out += "\r\n";
    for (const InventoryRow& r : inventory.rows) {
        out += std::to_string(r.det) + "," + csvField(r.station) + "," + laneText(r) + "," +
               std::string(laneTypeName(r.laneType)) + "," + csvField(r.corridor) + "," +
               numberText(r.milepost) + "," + numberText(r.latitude) + "," +
               numberText(r.longitude) + "," + csvField(r.label) + "," + csvField(r.controller) +
               "," + numberText(r.fieldLength) + "," + (r.abandoned ? "true" : "false") + "\r\n";
    }
    return out;
}

std::string inventoryText(const Inventory& inventory) {
    std::string out = "det, station, lane, lane_type, corridor, controller, abandoned\n";
    for (const InventoryRow& r : inventory.rows) {
        out += std::to_string(r.det) + ", " + r.station + ", " + laneText(r) + ", " +
               std::string(laneTypeName(r.laneType)) + ", " + r.corridor + ", " + r.controller +
               ", " + (r.abandoned ? "abandoned" : "") + "\n";
    }
    return out;
}

}  // namespace sorvane::history
