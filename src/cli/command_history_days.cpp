#include <CLI/CLI.hpp>
#include <algorithm>

#include "cli/cli_support.h"
#include "cli/network_options.h"
#include "common/error.h"
#include "common/text_file.h"
#include "history/archive_check.h"
#include "history/archive_date.h"
#include "history/day_verdict.h"
#include "history/ledger_days_text.h"
#include "history/ledger_store.h"
#include "history/parameter_sets.h"

namespace sorvane::cli {

namespace {

using namespace history;

struct DaysArgs {
    std::string db = std::string(kDefaultLedgerFile);
    DateWindow window;
    NetworkArgs network;
};

struct RemoveArgs {
    std::vector<std::string> dates;
    std::string db = std::string(kDefaultLedgerFile);
};

struct CheckArgs {
    std::string db = std::string(kDefaultLedgerFile);
};

struct DayArgs {
    std::string date;
    std::string db = std::string(kDefaultLedgerFile);
    std::optional<std::string> csv;
};

int runDays(const DaysArgs& args) {
    for (const auto& [option, date] :
         {std::pair("--from", args.window.from), std::pair("--to", args.window.to)}) {
        if (!date.empty()) checkDateOption(option, date);
    }
    const NetworkFilter filter = networkFilterOf(args.network);
    LedgerStore ledger(args.db, LedgerStore::Access::Read);
    return printOutput(ledgerDaysText(readLedgerDays(ledger, args.window, filter))) ? kExitDone
                                                                                    : kExitFailed;
}

int runRemove(const RemoveArgs& args) {
    for (const std::string& date : args.dates)
        checkDateOption("history remove", date);
    LedgerStore ledger(args.db, LedgerStore::Access::Add);
    std::vector<std::string> notHeld = ledger.removeDays(args.dates);
    if (!notHeld.empty()) {
        std::string list;
        for (const std::string& date : notHeld)
            list += (list.empty() ? "" : ", ") + date;
        throw CommandFailure{kExitRefused,
                             "The ledger holds no day " + list + "; nothing was removed"};
    }
    std::string removed;
    for (const std::string& date : args.dates)
        removed += date + ": removed\n";
    return printOutput(removed) ? kExitDone : kExitFailed;
}

int runCheck(const CheckArgs& args) {
    LedgerStore ledger(args.db, LedgerStore::Access::Read);
    std::vector<ArchiveCheck> checks = checkArchives(ledger.days({}));
    bool allOk = std::all_of(checks.begin(), checks.end(),
                             [](const ArchiveCheck& c) { return c.state == ArchiveState::Ok; });
    return printOutput(archiveCheckText(checks)) && allOk ? kExitDone : kExitFailed;
}

int runDay(const DayArgs& args) {
    checkDateOption("history day", args.date);
    if (args.csv) {
        std::vector<OutputOption> outputs{{"--csv", *args.csv}};
        std::vector<RunInput> inputs{{"the ledger this run reads", args.db}};
        if (!outputsAllowed(outputs, inputs)) return kExitRefused;
    }
    LedgerStore ledger(args.db, LedgerStore::Access::Read);
    std::optional<DayVerdict> verdict = readDayVerdict(ledger, args.date);
    if (!verdict) throw CommandFailure{kExitRefused, "The ledger holds no day " + args.date};
    bool printed = printOutput(dayVerdictText(*verdict));
    if (args.csv) writeWholeFile(*args.csv, dayVerdictCsv(*verdict));
    return printed ? kExitDone : kExitFailed;
}

}  // namespace

void addHistoryDaysCommand(CLI::App& history, int& exitCode) {
    auto* cmd = history.add_subcommand(
        "days", "One line per day of the ledger with its counts, then the dates it lacks");
    auto args = std::make_shared<DaysArgs>();
    cmd->add_option("--db", args->db, "the ledger: a file or a postgresql:// URI")
        ->capture_default_str();
    cmd->add_option("--from", args->window.from, "first date YYYY-MM-DD (default: the first day)");
    cmd->add_option("--to", args->window.to, "last date YYYY-MM-DD (default: the last day)");
    addNetworkOptions(*cmd, args->network);
    cmd->callback([args, &exitCode] { exitCode = guarded([&] { return runDays(*args); }); });
}

void addHistoryRemoveCommand(CLI::App& history, int& exitCode) {
    auto* cmd = history.add_subcommand(
        "remove", "Remove days whole from the ledger, all of them or, when one is not there, none");
    auto args = std::make_shared<RemoveArgs>();
    cmd->add_option("DATE", args->dates, "dates YYYY-MM-DD")->required();
    cmd->add_option("--db", args->db, "the ledger: a file or a postgresql:// URI")
        ->capture_default_str();
    cmd->callback([args, &exitCode] { exitCode = guarded([&] { return runRemove(*args); }); });
}

void addHistoryCheckCommand(CLI::App& history, int& exitCode) {
    auto* cmd = history.add_subcommand(
        "check",
        "Whether each day's archive is still at its path, with the size and fingerprint recorded "
        "(ok, missing, changed; unknown for days recorded without them); exit status 1 when one "
        "is not ok");
    auto args = std::make_shared<CheckArgs>();
    cmd->add_option("--db", args->db, "the ledger: a file or a postgresql:// URI")
        ->capture_default_str();
    cmd->callback([args, &exitCode] { exitCode = guarded([&] { return runCheck(*args); }); });
}

void addHistoryDayCommand(CLI::App& history, int& exitCode) {
    auto* cmd = history.add_subcommand(
        "day",
        "One date's verdicts: those owed to feed, controller and station outages and the "
        "detectors' own");
    auto args = std::make_shared<DayArgs>();
    cmd->add_option("DATE", args->date, "the date YYYY-MM-DD")->required();
    cmd->add_option("--db", args->db, "the ledger: a file or a postgresql:// URI")
        ->capture_default_str();
    cmd->add_option("--csv", args->csv,
                    "also write one row per High or Susp detector of the day to this CSV file");
    cmd->callback([args, &exitCode] { exitCode = guarded([&] { return runDay(*args); }); });
}

}  // namespace sorvane::cli
