#include "history/inventory_parameters.h"

namespace sorvane::history {

modBaddet::DetectorParameters parametersByLaneType(const Inventory& inventory,
                                                   const HealthParameterTexts& param,
                                                   const LaneSections& sections) {
    modBaddet::DetectorParameters parameters(modBaddet::takeHealthSnapshot(param));
    std::array<std::vector<int16_t>, kLaneTypeCount> detsByType;
    for (const InventoryRow& row : inventory.rows)
        detsByType[static_cast<size_t>(row.laneType)].push_back(row.det);
    for (size_t t = 0; t < kLaneTypeCount; ++t) {
        if (!sections[t]) continue;  // the lane type tests with [Param]
        const auto type = static_cast<LaneType>(t);
        HealthParameterTexts texts = laneParameterTexts(param, sections[t]);
        modBaddet::HealthSnapshot snapshot = takeLaneSnapshot(type, texts);
        parameters.assign({std::string(laneTypeName(type)), std::move(texts), snapshot},
                          detsByType[t]);
    }
    return parameters;
}

}  // namespace sorvane::history
