#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "health/lane_types.h"

namespace sorvane::history {

// One detector of a center's network: where it sits and what it watches.
struct InventoryRow {
    int16_t det = 0;
    std::string station;  // the lanes of one place share it
    std::optional<int32_t> lane;
    LaneType laneType = LaneType::Mainline;
    std::string corridor;  // road and direction, e.g. "US 10 E"
    std::optional<double> milepost;
    std::optional<double> latitude;
    std::optional<double> longitude;
    std::string label;
    std::string controller;             // the cabinet or controller the detector is wired to
    std::optional<double> fieldLength;  // feet
    bool abandoned = false;             // out of service on purpose
};

// A center's detector inventory, from an inventory CSV or a network configuration XML.
struct Inventory {
    std::vector<InventoryRow> rows;  // one per detector, in detector order
    int skippedDetectors = 0;        // XML detectors whose name holds no 16-bit number

    // The detector's row; null when the inventory lacks it.
    const InventoryRow* find(int16_t det) const;
};

// Reads an inventory file: network configuration XML when its text begins with '<', else the
// inventory CSV. Throws SorvaneError naming the file, for CSV the line, and what is wrong:
// kErrFileRead when the file cannot be read, kErrInvalidInput when its content is refused.
Inventory readInventoryFile(const std::string& path);

// The same from a file's text; `fileName` is for the messages.
Inventory inventoryFromCsv(std::string_view text, const std::string& fileName);
Inventory inventoryFromXml(std::string_view text, const std::string& fileName);

// The columns of the inventory CSV (the XML fills the same ones).
enum InventoryColumn : size_t {
    kColDetector,
    kColStation,
    kColLane,
    kColLaneType,
    kColCorridor,
    kColMilepost,
    kColLatitude,
    kColLongitude,
    kColLabel,
    kColController,
    kColFieldLength,
    kColAbandoned,
    kInventoryColumnCount
};

struct InventoryColumnSpec {
    std::string_view name;
    bool required;
};

inline constexpr std::array<InventoryColumnSpec, kInventoryColumnCount> kInventoryColumns{{
    {"detector", true},
    {"station", true},
    {"lane", false},
    {"lane_type", true},
    {"corridor", false},
    {"milepost", false},
    {"latitude", false},
    {"longitude", false},
    {"label", false},
    {"controller", false},
    {"field_length", false},
    {"abandoned", false},
}};

// One detector's texts by column, as a file holds them (empty: not given).
using InventoryTexts = std::array<std::string_view, kInventoryColumnCount>;

// Builds an inventory from the rows both readers find: converts and checks each row's texts and
// refuses a detector listed twice. Every refusal is a SorvaneError (kErrInvalidInput) that names
// the file, the place (`where`, e.g. "line 7") and what is wrong.
class InventoryBuilder {
  public:
    explicit InventoryBuilder(std::string fileName) : fileName_(std::move(fileName)) {}

    void add(const InventoryTexts& texts, const std::string& where);
    [[noreturn]] void refuse(const std::string& where, const std::string& what) const;
    Inventory finish(int skippedDetectors = 0);

  private:
    std::string fileName_;
    std::vector<InventoryRow> rows_;
    std::vector<std::string> places_;  // where each row was found
};

}  // namespace sorvane::history
