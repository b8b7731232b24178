#pragma once

#include <string>

#include "history/inventory_versions.h"

namespace CLI {
class App;
}

namespace sorvane::cli {

// --corridor, --station and --lane-type: the detectors a history command narrows to.
struct NetworkArgs {
    std::string corridor;
    std::string station;
    std::string laneType;
};
void addNetworkOptions(CLI::App& cmd, NetworkArgs& args);

// The filter of the options. Throws CommandFailure (status 2) for a lane type that is none.
history::NetworkFilter networkFilterOf(const NetworkArgs& args);

}  // namespace sorvane::cli
