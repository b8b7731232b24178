#include "cli/network_options.h"

#include <CLI/CLI.hpp>

#include "cli/cli_support.h"

namespace sorvane::cli {

void addNetworkOptions(CLI::App& cmd, NetworkArgs& args) {
    cmd.add_option("--corridor", args.corridor,
                   "only the detectors of this corridor in the inventory (e.g. \"US 10 E\")");
    cmd.add_option("--station", args.station,
                   "only the detectors of this station in the inventory");
    cmd.add_option("--lane-type", args.laneType,
                   "only the detectors of this lane type in the inventory (mainline, queue, ...)");
}

history::NetworkFilter networkFilterOf(const NetworkArgs& args) {
    history::NetworkFilter filter{args.station, args.corridor, std::nullopt};
    if (!args.laneType.empty()) {
        filter.laneType = findLaneType(args.laneType);
        if (!filter.laneType) {
            std::string names;
            for (std::string_view name : kLaneTypeNames)
                names += (names.empty() ? "" : ", ") + std::string(name);
            throw CommandFailure{kExitRefused, "--lane-type \"" + args.laneType +
                                                   "\" is no lane type; the lane types are " +
                                                   names};
        }
    }
    return filter;
}

}  // namespace sorvane::cli
