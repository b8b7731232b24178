#include <CLI/CLI.hpp>

#include "cli/cli_support.h"
#include "common/error.h"
#include "common/intervals.h"
#include "common/program_texts.h"
#include "export/csv_export.h"
#include "export/id_list.h"

namespace sorvane::cli {

namespace {

struct ExportArgs {
    std::string archive;
    std::string idsText;
    std::string idsFile;
    bool fromFile = false;  // --ids-file given
    std::string interval = "30 sec";
    std::string missing = "zero";
    bool volumeOnly = false;
    std::string output;
    int jobs = 0;  // one per core
};

// The IDs to export, or nullopt after printing why they were refused. A list file is read and
// parsed as the "Browse File" button loads one.
std::optional<std::vector<std::string>> parseIds(const ExportArgs& args, int& exitCode) {
    std::string text;
    if (args.fromFile) {
        try {
            text = ReadTextFile(args.idsFile);
        } catch (const SorvaneError& e) {
            printError(e.description());
            exitCode = kExitFailed;
            return std::nullopt;
        }
    } else if (args.idsText.empty()) {
        printError(std::string(kMsgNoDetectorIds));
        exitCode = kExitRefused;
        return std::nullopt;
    } else {
        text = args.idsText;
    }
    ParsedIds parsed = parseIdList(text);
    if (!parsed.accepted()) {
        printError(parsed.error);
        printError(std::string(kMsgReenterIds));
        exitCode = kExitRefused;
        return std::nullopt;
    }
    return std::move(parsed.ids);
}

int runExport(const ExportArgs& args) {
    std::vector<RunInput> inputs{{"the archive this run reads", args.archive}};
    if (args.fromFile) inputs.push_back({"the ID list file this run reads", args.idsFile});
    if (!outputsAllowed({{"-o", args.output}}, inputs)) return kExitRefused;
    int exitCode = kExitDone;
    std::optional<std::vector<std::string>> ids = parseIds(args, exitCode);
    if (!ids) return exitCode;
    auto open = openArchive(args.archive);
    if (!open) return kExitFailed;

    ExportSettings settings;
    settings.intervalPosition = *intervalPosition(args.interval);
    settings.missing = missingOption(args.missing);
    settings.volumeOnly = args.volumeOnly;
    settings.destination = args.output;
    settings.jobs = args.jobs;
    try {
        exportDetectors(args.archive, *ids, *open->reader, settings, open->log);
    } catch (const SorvaneError& e) {
        printError(e.description());
        return e.number() == kErrInvalidInput ? kExitRefused : kExitFailed;
    }
    return printOutput(std::string(kMsgCsvSavedIn) + args.output + "\n") ? kExitDone : kExitFailed;
}

}  // namespace

void addExportCommand(CLI::App& app, int& exitCode) {
    auto* cmd = app.add_subcommand(
        "export", "Write the volume (and occupancy) of listed detectors to one CSV file");
    auto args = std::make_shared<ExportArgs>();
    cmd->add_option("ARCHIVE", args->archive, "a *.traffic archive")->required();
    auto* ids = cmd->add_option("--ids", args->idsText,
                                "detector IDs separated by commas, e.g. \"100,200,300\"");
    auto* idsFile =
        cmd->add_option("--ids-file", args->idsFile, "a text file of comma-separated IDs");
    ids->excludes(idsFile);
    cmd->add_option("--interval", args->interval, "interval label, \"30 sec\" to \"1 hour\"")
        ->check(CLI::IsMember(intervalLabels()));
    cmd->add_option("--missing", args->missing,
                    "missing slots: zero (\"Set to 0\") or neg (\"Set to -1\")")
        ->check(CLI::IsMember({"zero", "neg"}));
    cmd->add_flag("--vol-only", args->volumeOnly, "volumes only (\"Vol only\")");
    cmd->add_option("-o,--output", args->output, "the CSV file to write")->required();
    cmd->add_option("--jobs", args->jobs,
                    "threads that read detectors and make lines (default: one per core; 1: no "
                    "other thread)")
        ->check(CLI::Range(1, 1024));
    cmd->callback([args, ids, idsFile, &exitCode] {
        if (ids->count() == 0 && idsFile->count() == 0) {
            printError("export: one of --ids and --ids-file is required");
            exitCode = kExitRefused;
            return;
        }
        args->fromFile = idsFile->count() > 0;
        exitCode = runExport(*args);
    });
}

}  // namespace sorvane::cli
