#include <CLI/CLI.hpp>

#include "archive/day_loader.h"
#include "archive/interval_data.h"
#include "cli/cli_support.h"
#include "common/numeric.h"
#include "common/program_texts.h"
#include "plot/detector_view.h"
#include "plot/plot_input.h"

namespace sorvane::cli {

namespace {

struct ViewArgs {
    std::string archive;
    std::string det;
    std::string interval = "30 sec";
    std::string missing = "zero";
    std::vector<int> total;  // START END interval positions, when asked for the volume total
};

// The selection the window would hold after loading the detector, with the span START..END. A
// position outside the computed intervals counts as no entry selected.
PlotSelection totalSelection(const Unzip& reader, int16_t det, const ViewArgs& args,
                             const IntervalData& data) {
    auto selected = [&data](int position) {
        return position >= 0 && static_cast<size_t>(position) < data.values.size() ? position : -1;
    };
    PlotSelection selection;
    selection.detectorEntries = reader.detCount();
    selection.detectorIndex = *reader.detPosition(det);
    selection.detectorText = std::to_string(det);
    selection.startIndex = selected(args.total[0]);
    selection.endIndex = selected(args.total[1]);
    return selection;
}

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
    IntervalData data = aggregateDay(imputedDay, intervalAt(*intervalPosition(args.interval)),
                                     missingOption(args.missing));
    if (!args.total.empty()) {
        PlotSelection selection = totalSelection(*open->reader, *det, args, data);
        if (std::optional<std::string_view> message = CheckPlotInput(selection)) {
            printError(std::string(*message));
            return kExitRefused;
        }
        return printOutput(std::to_string(volumeTotal(data, selection)) + "\n") ? kExitDone
                                                                                : kExitFailed;
    }
    std::string out;
    for (const std::string& line : intervalLines(data)) {
        out += line;
        out += '\n';
    }
    return printOutput(out) ? kExitDone : kExitFailed;
}

}  // namespace

void addViewCommand(CLI::App& app, int& exitCode) {
    auto* cmd = app.add_subcommand("view", "Print one detector's day, one line per interval");
    auto args = std::make_shared<ViewArgs>();
    cmd->add_option("ARCHIVE", args->archive, "a *.traffic archive")->required();
    cmd->add_option("DET", args->det, "detector number")->required();
    cmd->add_option("--interval", args->interval, "interval label, \"30 sec\" to \"1 hour\"")
        ->check(CLI::IsMember(intervalLabels()));
    cmd->add_option("--missing", args->missing,
                    "missing slots: zero (\"Set to 0\") or neg (\"Set to -1\")")
        ->check(CLI::IsMember({"zero", "neg"}));
    cmd->add_option("--total", args->total,
                    "print only the volume total from interval START to END (positions from 0)")
        ->expected(2)
        ->type_name("START END");
    cmd->callback([args, &exitCode] { exitCode = runView(*args); });
}

}  // namespace sorvane::cli
