// Bytes as an inventory file, read as CSV and as network XML. A file is refused with a
// SorvaneError or read whole: one row per detector, in detector order, each found by its number.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "common/error.h"
#include "history/inventory.h"

namespace {

void check(const sorvane::history::Inventory& inventory) {
    for (size_t i = 0; i < inventory.rows.size(); ++i) {
        const sorvane::history::InventoryRow& row = inventory.rows[i];
        if (i > 0 && inventory.rows[i - 1].det >= row.det) std::abort();
        if (inventory.find(row.det) != &row || row.station.empty()) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        check(sorvane::history::inventoryFromCsv(text, "fuzz.csv"));
    } catch (const sorvane::SorvaneError&) {
    }
    try {
        check(sorvane::history::inventoryFromXml(text, "fuzz.xml"));
    } catch (const sorvane::SorvaneError&) {
    }
    return 0;
}
