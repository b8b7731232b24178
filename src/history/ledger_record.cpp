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
    }
    return "";
}

}  // namespace sorvane::history
