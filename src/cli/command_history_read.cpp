#include <CLI/CLI.hpp>

#include "cli/cli_support.h"
#include "cli/network_options.h"
#include "common/error.h"
#include "common/numeric.h"
#include "common/program_texts.h"
#include "common/text_file.h"
#include "history/archive_date.h"
#include "history/history_report.h"
#include "history/ledger_file.h"
#include "history/ledger_location.h"
#include "history/ledger_store.h"
#include "history/report_text.h"

namespace sorvane::cli {

namespace {

using namespace history;

struct ReportArgs {
    std::string db = std::string(kDefaultLedgerFile);
    DateWindow window;
    std::optional<std::string> csv;
    LabelThresholds thresholds;
    NetworkArgs network;
};

struct DetectorArgs {
    std::string det;
    std::string db = std::string(kDefaultLedgerFile);
};

int runReport(const ReportArgs& args) {
    if (!args.window.from.empty()) checkDateOption("--from", args.window.from);
    if (!args.window.to.empty()) checkDateOption("--to", args.window.to);
    if (!args.window.from.empty() && !args.window.to.empty() && args.window.from > args.window.to) {
        throw CommandFailure{kExitRefused,
                             "--from " + args.window.from + " lies after --to " + args.window.to};
    }
    if (args.csv) {
        std::vector<OutputOption> outputs{{"--csv", *args.csv}};
        std::vector<RunInput> inputs{{"the ledger this run reads", args.db}};
        if (!outputsAllowed(outputs, inputs)) return kExitRefused;
        refuseOutputOverLedgerFiles(*args.csv, args.db);
    }
    const NetworkFilter filter = networkFilterOf(args.network);
    LedgerStore ledger(args.db, LedgerStore::Access::Read);
    HistoryReport report = readReport(ledger, args.window, args.thresholds, nullptr, filter);
    // A window without a day is no report of zeros.
    if (report.dates.empty() && args.window.from.empty() && args.window.to.empty())
        throw CommandFailure{kExitRefused,
                             "The ledger " + shownLocation(args.db) + " holds no days yet"};
    if (report.dates.empty()) {
        throw CommandFailure{
            kExitRefused, "The ledger holds no date from " +
                              (args.window.from.empty() ? "its first day" : args.window.from) +
                              " to " + (args.window.to.empty() ? "its last day" : args.window.to)};
    }
    // The table is written even when stdout fails: each failure has its message.
    bool printed = printOutput(reportText(report));
    if (args.csv) writeWholeFile(*args.csv, reportCsv(report));
    return printed ? kExitDone : kExitFailed;
}

int runDetector(const DetectorArgs& args) {
    std::optional<int16_t> det = toInt16(args.det);
    if (!det) throw CommandFailure{kExitRefused, std::string(kMsgDetectorNoNotValid)};
    LedgerStore ledger(args.db, LedgerStore::Access::Read);
    std::vector<DetectorDayRecord> records = ledger.detectorDays(*det);
    if (records.empty()) {
        throw CommandFailure{kExitRefused,
                             "The ledger holds no record of detector " + std::to_string(*det)};
    }
    std::map<std::string, double> ratios = readDetectorRatios(ledger, *det, records.front().date);
    return printOutput(detectorDaysText(records, ratios)) ? kExitDone : kExitFailed;
}

}  // namespace

void addHistoryReportCommand(CLI::App& history, int& exitCode) {
    auto* cmd = history.add_subcommand(
        "report",
        "Label every detector over the ledger's days: chronic, flapping, new, drifting, "
        "recovered, healthy");
    auto args = std::make_shared<ReportArgs>();
    cmd->add_option("--db", args->db, "the ledger")->capture_default_str();
    cmd->add_option("--from", args->window.from, "first date YYYY-MM-DD (default: the first day)");
    cmd->add_option("--to", args->window.to, "last date YYYY-MM-DD (default: the last day)");
    cmd->add_option("--csv", args->csv, "also write one row per detector to this CSV file");
    cmd->add_option("--recent-days", args->thresholds.recentDays,
                    "the last counted days of each detector that its label looks at")
        ->capture_default_str()
        ->check(CLI::Range(1, 1000000));
    cmd->add_option("--flap-switches", args->thresholds.flapSwitches,
                    "changes between good and bad among the recent days that make a detector "
                    "flapping")
        ->capture_default_str()
        ->check(CLI::Range(1, 1000000));
    addNetworkOptions(*cmd, args->network);
    cmd->callback([args, &exitCode] { exitCode = guarded([&] { return runReport(*args); }); });
}

void addHistoryDetectorCommand(CLI::App& history, int& exitCode) {
    auto* cmd = history.add_subcommand("detector", "Every recorded day of one detector");
    auto args = std::make_shared<DetectorArgs>();
    cmd->add_option("DET", args->det, "detector number")->required();
    cmd->add_option("--db", args->db, "the ledger")->capture_default_str();
    cmd->callback([args, &exitCode] { exitCode = guarded([&] { return runDetector(*args); }); });
}

}  // namespace sorvane::cli
