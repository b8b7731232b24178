#include <CLI/CLI.hpp>
#include <iostream>

#include "archive/day_loader.h"
#include "cli/cli_support.h"
#include "common/numeric.h"
#include "export/detector_view.h"
#include "plot/interval_data.h"

namespace sorvane::cli {

namespace {

struct ViewArgs {
    std::string archive;
    std::string det;
    std::string interval = "30 sec";
    std::string missing = "zero";
};

int runView(const ViewArgs& args) {
    std::optional<int16_t> det = toInt16(args.det);
    if (!det) {
        printError(std::string(kMsgInvalidDetectorId));
        return kExitRefused;
    }
    auto open = openArchive(args.archive);
    if (!open) return kExitFailed;
    if (!open->reader->detPosition(*det)) {
        printError(detectorNotInDataMessage(*det));
        return kExitFailed;
    }
    DetectorDay rawDay{};
    DetectorDay imputedDay{};
    if (!loadDetectorDay(*open->reader, *det, rawDay, imputedDay)) {
        printError(std::string(kMsgDetectorNotExtracted));
        return kExitFailed;
    }
    MissingOption missing =
        args.missing == "neg" ? MissingOption::SetToNegative : MissingOption::SetToZero;
    IntervalData data =
        aggregateDay(imputedDay, intervalAt(*intervalPosition(args.interval)), missing);
    std::string out;
    for (const std::string& line : intervalLines(data)) {
        out += line;
        out += '\n';
    }
    std::cout << out << std::flush;
    return kExitDone;
}

}  // namespace

void addViewCommand(CLI::App& app, int& exitCode) {
    auto* cmd = app.add_subcommand("view", "Print one detector's day, one line per interval");
    auto args = std::make_shared<ViewArgs>();
    cmd->add_option("ARCHIVE", args->archive, "a *.traffic archive")->required();
    cmd->add_option("DET", args->det, "detector number")->required();
    std::vector<std::string> labels;
    for (const IntervalSpec& spec : kIntervals)
        labels.emplace_back(spec.label);
    cmd->add_option("--interval", args->interval, "interval label, \"30 sec\" to \"1 hour\"")
        ->check(CLI::IsMember(labels));
    cmd->add_option("--missing", args->missing,
                    "missing slots: zero (\"Set to 0\") or neg (\"Set to -1\")")
        ->check(CLI::IsMember({"zero", "neg"}));
    cmd->callback([args, &exitCode] { exitCode = runView(*args); });
}

}  // namespace sorvane::cli
