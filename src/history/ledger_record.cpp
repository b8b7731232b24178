#include "history/ledger_record.h"

namespace sorvane::history {

std::string_view attributionName(Attribution attribution) {
    switch (attribution) {
        case Attribution::None:
            return "";
        case Attribution::Detector:
            return "detector";
        case Attribution::FeedOutage:
            return "feed_outage";
        case Attribution::ControllerOutage:
            return "controller_outage";
        case Attribution::StationOutage:
            return "station_outage";
    }
    return "";
}

std::string_view unitKindName(UnitOutage::Kind kind) {
    return kind == UnitOutage::Kind::Controller ? "controller" : "station";
}

}  // namespace sorvane::history
