#include <unistd.h>

#include <CLI/CLI.hpp>

#include "cli/cli_support.h"
#include "common/error.h"
#include "common/numeric.h"
#include "common/program_folder.h"
#include "common/text_file.h"
#include "health/health_parameters.h"
#include "health/health_report.h"
#include "health/health_run.h"
#include "health/measures_csv.h"
#include "health/settings_file.h"

namespace sorvane::cli {

namespace {

using namespace modBaddet;

struct HealthArgs {
    std::string archive;
    std::optional<std::string> det;
    std::optional<std::string> settings;
    std::vector<std::string> sets;
    std::optional<std::string> output;
    std::optional<std::string> measuresCsv;
};

// A failure that ends the command with an exit status and a message.
struct CommandFailure {
    int exitCode;
    std::string message;
};

// The "Param" values of a settings file; empty or missing keys keep what `texts` holds. False
// when the file has no "Param" section. Throws SorvaneError when it cannot be read.
bool applySettingsFile(const std::string& path, HealthParameterTexts& texts) {
    std::optional<HealthParameterTexts> fromFile =
        readHealthParameters(modUtility::SettingsFile(path));
    if (!fromFile) return false;
    for (size_t i = 0; i < kHealthParamCount; ++i) {
        if (!(*fromFile)[i].empty()) texts[i] = (*fromFile)[i];
    }
    return true;
}

// Factory values, then the settings file, then each --set.
HealthParameterTexts parameterTexts(const HealthArgs& args) {
    HealthParameterTexts texts = factoryParameterTexts();
    if (args.settings) {
        // A file named on purpose must be there and must hold the parameters.
        try {
            if (!applySettingsFile(*args.settings, texts)) {
                printError("The settings file " + *args.settings + " has no \"" +
                           std::string(kParamSection) + "\" section; the factory values are used.");
            }
        } catch (const SorvaneError& e) {
            throw CommandFailure{kExitFailed, e.description()};
        }
    } else {
        std::string own = modUtility::SettingsFilePath(findProgramFolder().path);
        try {
            if (::access(own.c_str(), F_OK) == 0) applySettingsFile(own, texts);
        } catch (const SorvaneError&) {
            // Unreadable, it counts as missing: the factory values stay.
        }
    }
    for (const std::string& set : args.sets) {
        size_t eq = set.find('=');
        if (eq == std::string::npos) {
            throw CommandFailure{kExitRefused, "--set needs KEY=VALUE, not \"" + set + "\""};
        }
        std::optional<HealthParam> p = findHealthParameter(trimBlanks(set.substr(0, eq)));
        if (!p) {
            std::string keys;
            for (const HealthParameter& hp : kHealthParameters)
                keys += (keys.empty() ? "" : ", ") + std::string(hp.key);
            throw CommandFailure{kExitRefused, "Unknown parameter key \"" + set.substr(0, eq) +
                                                   "\"; the keys are " + keys};
        }
        texts[*p] = set.substr(eq + 1);
    }
    return texts;
}

HealthSnapshot snapshotOf(const HealthParameterTexts& texts) {
    try {
        return takeHealthSnapshot(texts);
    } catch (const HealthParameterError& e) {
        throw CommandFailure{kExitRefused,
                             "Parameter " + std::string(kHealthParameters[e.parameter()].key) +
                                 " = \"" + texts[e.parameter()] + "\": " + e.reason() + "."};
    }
}

int16_t detectorOf(const HealthArgs& args) {
    if (!args.det) return kAllDetectors;
    std::optional<int16_t> det = toInt16(*args.det);
    if (!det) throw CommandFailure{kExitRefused, "Detector no. is not valid"};
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
    if (args.settings) inputs.push_back({"the settings file this run reads", *args.settings});
    return cli::outputsAllowed(outputs, inputs);
}

int runHealth(const HealthArgs& args) {
    try {
        HealthSnapshot snapshot = snapshotOf(parameterTexts(args));
        int16_t det = detectorOf(args);
        if (!outputsAllowed(args, det)) return kExitRefused;
        auto open = openArchive(args.archive);
        if (!open) return kExitFailed;
        HealthRunResult result = RunHealthTest(*open->reader, open->log, snapshot, det);
        // The files are written even when stdout fails: each failure has its message.
        bool done = printOutput(listsText(result));
        done = writeOutput(args.output.value_or(result.reportFileName), result.reportText) && done;
        if (args.measuresCsv)
            done = writeOutput(*args.measuresCsv, measuresCsvText(result.outcomes)) && done;
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
    cmd->add_option("--settings", args->settings,
                    "settings file whose \"Param\" section overrides the factory values "
                    "(default, if there: ParamSettings.ini beside sorvane-cli, or for an installed "
                    "program in $XDG_DATA_HOME/sorvane, that is ~/.local/share/sorvane)");
    cmd->add_option("--set", args->sets, "KEY=VALUE: a parameter by its settings key")
        ->allow_extra_args(false);
    cmd->add_option("-o", args->output,
                    "report file (default Diagnostic_Report.txt, or report_single.txt with --det)");
    cmd->add_option("--measures-csv", args->measuresCsv,
                    "also write every visited detector's measures to this CSV file");
    cmd->callback([args, &exitCode] { exitCode = runHealth(*args); });
}

}  // namespace sorvane::cli
