#include <CLI/CLI.hpp>

#include "cli/cli_support.h"
#include "common/numeric.h"
#include "common/program_texts.h"
#include "health/daily_status.h"
#include "health/health_report.h"
#include "health/health_run.h"
#include "health/measures_csv.h"
#include "history/inventory.h"
#include "history/inventory_parameters.h"

namespace sorvane::cli {

namespace {

using namespace modBaddet;

struct HealthArgs {
    std::string archive;
    std::optional<std::string> det;
    ParameterArgs parameters;
    std::optional<std::string> output;
    std::optional<std::string> measuresCsv;
    std::optional<std::string> inventory;
    int jobs = 0;  // one per core
};

int16_t detectorOf(const HealthArgs& args) {
    if (!args.det) return kAllDetectors;
    std::optional<int16_t> det = toInt16(*args.det);
    if (!det) throw CommandFailure{kExitRefused, std::string(kMsgDetectorNoNotValid)};
    return *det;
}

// The two lists as the window shows them, then the counts of the run.
std::string listsText(const HealthRunResult& result) {
    std::string out = "List of highly suspicious detectors\n";
    for (const std::string& line : result.highList)
        out += line + "\n";
    out += "List of suspicious/marginal detectors\n";
    for (const std::string& line : result.suspList)
        out += line + "\n";
    const HealthTally& t = result.tally;
    out += "Total: " + std::to_string(result.outcomes.size()) + " detectors, " +
           std::to_string(t.highlySuspicious) + " highly suspicious, " +
           std::to_string(t.suspicious) + " suspicious, " + std::to_string(t.marginal) +
           " marginal, " + std::to_string(t.healthy) + " healthy, " + std::to_string(t.excluded) +
           " excluded\n";
    return out;
}

// Writes a file; on failure prints the reason and returns false.
bool writeOutput(const std::string& path, std::string_view text) {
    try {
        WriteReport(path, text);
        return true;
    } catch (const SorvaneError& e) {
        printError(e.description());
        return false;
    }
}

// The report (by default in the current folder), and the measures table when asked for: no
// output may replace an input.
bool outputsAllowed(const HealthArgs& args, int16_t det) {
    std::string_view defaultReport =
        det == kAllDetectors ? kAllReportFileName : kSingleReportFileName;
    std::vector<OutputOption> outputs{{"-o", args.output.value_or(std::string(defaultReport))}};
    if (args.measuresCsv) outputs.push_back({"--measures-csv", *args.measuresCsv});
    std::vector<RunInput> inputs{{"the archive this run reads", args.archive}};
    if (args.parameters.settings) {
        inputs.push_back({"the settings file this run reads", *args.parameters.settings});
    }
    if (args.inventory) inputs.push_back({"the inventory this run reads", *args.inventory});
    return cli::outputsAllowed(outputs, inputs);
}

// Each detector's parameters: [Param]'s, or with an inventory those of its lane type.
DetectorParameters parametersOf(const HealthArgs& args, const HealthParameterTexts& texts,
                                const HealthSnapshot& snapshot) {
    if (!args.inventory) return DetectorParameters(snapshot);
    history::Inventory inventory;
    try {
        inventory = history::readInventoryFile(*args.inventory);
    } catch (const SorvaneError& e) {
        throw CommandFailure{exitCodeOf(e), e.description()};
    }
    if (inventory.skippedDetectors > 0) {
        printError("The inventory file " + *args.inventory + ": " +
                   std::to_string(inventory.skippedDetectors) +
                   " detectors whose name holds no detector number were left out.");
    }
    const LaneSections sections = laneSectionsOf(args.parameters);
    try {
        return history::parametersByLaneType(inventory, texts, sections);
    } catch (const LaneParameterError& e) {
        throw laneParameterFailure(e, texts, sections);
    }
}

int runHealth(const HealthArgs& args) {
    try {
        const HealthParameterTexts texts = parameterTextsOf(args.parameters);
        const HealthSnapshot snapshot = snapshotOf(texts);
        int16_t det = detectorOf(args);
        if (!outputsAllowed(args, det)) return kExitRefused;
        const DetectorParameters parameters = parametersOf(args, texts, snapshot);
        auto open = openArchive(args.archive);
        if (!open) return kExitFailed;
        // The measures table carries each measured detector's daily sample status.
        std::vector<std::string> statuses;
        DetectorDayObserver judgeStatus;
        if (args.measuresCsv) {
            judgeStatus = [&statuses](const DetectorOutcome&, const RawDetectorDay* day) {
                statuses.emplace_back(day ? dailyStatusName(dailyStatus(day->vol, day->occ)) : "");
            };
        }
        HealthRunResult result =
            RunHealthTest(*open->reader, open->log, parameters, det, {}, judgeStatus, args.jobs);
        // The files are written even when stdout fails: each failure has its message.
        bool done = printOutput(listsText(result));
        done = writeOutput(args.output.value_or(result.reportFileName), result.reportText) && done;
        if (args.measuresCsv) {
            done =
                writeOutput(*args.measuresCsv, measuresCsvText(result.outcomes, statuses)) && done;
        }
        return done ? kExitDone : kExitFailed;
    } catch (const CommandFailure& failure) {
        printError(failure.message);
        return failure.exitCode;
    }
}

}  // namespace

void addHealthCommand(CLI::App& app, int& exitCode) {
    auto* cmd = app.add_subcommand("health", "Test the health of every detector, or of one");
    auto args = std::make_shared<HealthArgs>();
    cmd->add_option("ARCHIVE", args->archive, "a *.traffic archive")->required();
    cmd->add_option("--det", args->det, "test only this detector (-1: all detectors)");
    addParameterOptions(*cmd, args->parameters);
    cmd->add_option("-o", args->output,
                    "report file (default Diagnostic_Report.txt, or report_single.txt with --det)");
    cmd->add_option(
        "--measures-csv", args->measuresCsv,
        "also write every visited detector's measures and daily status to this CSV file");
    cmd->add_option("--inventory", args->inventory,
                    "test each detector with the parameters of its lane type in this inventory "
                    "(CSV or network configuration XML; settings sections [Param.<lane type>])");
    cmd->add_option("--jobs", args->jobs,
                    "threads that test detectors (default: one per core; 1: no other thread)")
        ->check(CLI::Range(1, 1024));
    cmd->callback([args, &exitCode] { exitCode = runHealth(*args); });
}

}  // namespace sorvane::cli
