#include "history/inventory.h"

#include <algorithm>
#include <cmath>

#include "common/error.h"
#include "common/numeric.h"
#include "common/text_file.h"

namespace sorvane::history {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

std::string quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

bool equalNoCase(std::string_view a, std::string_view b) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return std::ranges::equal(a, b, {}, lower, lower);
}

// A whole number within [low, high]; nullopt for anything else ("3.5", "1e9", "x").
std::optional<int32_t> wholeNumber(std::string_view text, int32_t low, int32_t high) {
    std::optional<double> value = parseNumber(text);
    if (!value || *value != std::floor(*value) || *value < low || *value > high) return {};
    return static_cast<int32_t>(*value);
}

}  // namespace

const InventoryRow* Inventory::find(int16_t det) const {
    auto it = std::ranges::lower_bound(rows, det, {}, &InventoryRow::det);
    return it != rows.end() && it->det == det ? &*it : nullptr;
}

Inventory readInventoryFile(const std::string& path) {
    std::string text = readWholeFile(path);
    std::string_view start(text);
    if (start.starts_with(kUtf8Bom)) start.remove_prefix(kUtf8Bom.size());
    size_t first = start.find_first_not_of(" \t\r\n");
    if (first != std::string_view::npos && start[first] == '<') return inventoryFromXml(text, path);
    return inventoryFromCsv(text, path);
}

void InventoryBuilder::refuse(const std::string& where, const std::string& what) const {
    throw SorvaneError(kErrInvalidInput, "The inventory file " + fileName_ + ", " + where + ": " +
                                             what + "; nothing was taken from it.");
}

void InventoryBuilder::add(const InventoryTexts& rawTexts, const std::string& where) {
    InventoryTexts texts;
    for (size_t c = 0; c < kInventoryColumnCount; ++c)
        texts[c] = trimBlanks(rawTexts[c]);
    auto name = [](InventoryColumn column) { return std::string(kInventoryColumns[column].name); };
    for (size_t c = 0; c < kInventoryColumnCount; ++c) {
        if (kInventoryColumns[c].required && texts[c].empty())
            refuse(where, "the " + name(static_cast<InventoryColumn>(c)) + " is empty");
    }
    InventoryRow row;
    std::optional<int32_t> det = wholeNumber(texts[kColDetector], -32768, 32767);
    if (!det) {
        refuse(where, "the detector number " + quoted(texts[kColDetector]) +
                          " is not a whole number from -32768 to 32767");
    }
    row.det = static_cast<int16_t>(*det);
    row.station = texts[kColStation];
    if (!texts[kColLane].empty()) {
        row.lane = wholeNumber(texts[kColLane], 0, 32767);
        if (!row.lane) {
            refuse(where, "the lane " + quoted(texts[kColLane]) +
                              " is not a whole number from 0 to 32767");
        }
    }
    std::optional<LaneType> type = findLaneType(texts[kColLaneType]);
    if (!type) {
        std::string names;
        for (std::string_view n : kLaneTypeNames)
            names += (names.empty() ? "" : ", ") + std::string(n);
        refuse(where, "the lane type " + quoted(texts[kColLaneType]) + " is not one of " + names);
    }
    row.laneType = *type;
    // A number column: empty, or a number within the range that makes sense for it.
    auto number = [&](InventoryColumn column, double low, double high,
                      std::string_view range) -> std::optional<double> {
        if (texts[column].empty()) return std::nullopt;
        std::optional<double> value = parseNumber(texts[column]);
        if (!value || !std::isfinite(*value) || *value < low || *value > high) {
            refuse(where, "the " + name(column) + " " + quoted(texts[column]) + " is not a number" +
                              std::string(range));
        }
        return value;
    };
    const double kAny = HUGE_VAL;
    row.milepost = number(kColMilepost, -kAny, kAny, "");
    row.latitude = number(kColLatitude, -90, 90, " from -90 to 90");
    row.longitude = number(kColLongitude, -180, 180, " from -180 to 180");
    row.fieldLength = number(kColFieldLength, 0, kAny, " of at least 0");
    row.corridor = texts[kColCorridor];
    row.label = texts[kColLabel];
    row.controller = texts[kColController];
    std::string_view abandoned = texts[kColAbandoned];
    if (equalNoCase(abandoned, "true") || equalNoCase(abandoned, "t")) {
        row.abandoned = true;
    } else if (!abandoned.empty() && !equalNoCase(abandoned, "false") &&
               !equalNoCase(abandoned, "f")) {
        refuse(where, "abandoned is " + quoted(abandoned) + ", not true or false");
    }
    rows_.push_back(std::move(row));
    places_.push_back(where);
}

Inventory InventoryBuilder::finish(int skippedDetectors) {
    // Sorted by detector with the file's order kept among equals, a detector listed twice has
    // its second place right after its first.
    std::vector<size_t> order(rows_.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::ranges::stable_sort(order, {}, [this](size_t i) { return rows_[i].det; });
    std::optional<size_t> twice;  // the earliest second listing in the file
    for (size_t k = 1; k < order.size(); ++k) {
        if (rows_[order[k]].det == rows_[order[k - 1]].det && (!twice || order[k] < *twice))
            twice = order[k];
    }
    if (twice) {
        int16_t det = rows_[*twice].det;
        size_t first = *std::ranges::find_if(order, [&](size_t i) { return rows_[i].det == det; });
        refuse(places_[*twice], "detector " + std::to_string(det) + " is listed twice (also at " +
                                    places_[first] + ")");
    }
    Inventory inventory;
    inventory.skippedDetectors = skippedDetectors;
    inventory.rows.reserve(rows_.size());
    for (size_t i : order)
        inventory.rows.push_back(std::move(rows_[i]));
    return inventory;
}

}  // namespace sorvane::history
