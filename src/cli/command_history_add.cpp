#include <CLI/CLI.hpp>
#include <algorithm>
#include <iostream>
#include <map>

#include "cli/cli_support.h"
#include "common/error.h"
#include "history/add_days.h"
#include "history/archive_date.h"
#include "history/ledger_store.h"

namespace sorvane::cli {

namespace {

using namespace history;

struct AddArgs {
    std::vector<std::string> archives;
    std::string db = std::string(kDefaultLedgerFile);
    ParameterArgs parameters;
    int jobs = 0;
    std::optional<std::string> date;
    double outageShare = kDefaultOutageShare;
    bool replace = false;
};

// Each archive with its date: --date for a single archive, else the file name's YYYYMMDD. Two
// archives of one date are refused, since which would stay in the ledger depends on timing.
std::vector<DayToAdd> daysOf(const AddArgs& args) {
    if (args.date) {
        if (args.archives.size() != 1)
            throw CommandFailure{kExitRefused, "--date goes with one archive only"};
        checkDateOption("--date", *args.date);
        return {{args.archives.front(), *args.date}};
    }
    std::vector<DayToAdd> days;
    std::map<std::string, std::string> archiveOfDate;
    for (const std::string& archive : args.archives) {
        std::optional<std::string> date = archiveDate(archive);
        if (!date) {
            throw CommandFailure{kExitRefused, "The file name of " + archive +
                                                   " does not begin with a date YYYYMMDD; "
                                                   "name its date with --date YYYY-MM-DD"};
        }
        auto [it, isNew] = archiveOfDate.emplace(*date, archive);
        if (!isNew) {
            throw CommandFailure{kExitRefused,
                                 it->second + " and " + archive + " are both dated " + *date};
        }
        days.push_back({archive, *date});
    }
    return days;
}

// A day the ledger held before this run: what was recorded for it.
std::string recordOf(const LedgerDay& held) {
    return held.archive + ", tested " + held.testedAt;
}

std::string countsLine(const DayAddResult& r, const std::map<std::string, LedgerDay>& held) {
    using enum modBaddet::HealthClass;
    const DayCounts& c = r.counts;
    auto was = held.find(r.day.date);
    std::string replaced =
        was == held.end() ? "" : "replaced (was " + recordOf(was->second) + "), ";
    std::string owed;
    if (c.feedOutages > 0) {
        owed = ", " + std::to_string(c.owedToOutages) + " verdict" +
               (c.owedToOutages == 1 ? "" : "s") + " owed to " +
               (c.feedOutages == 1 ? "it" : "them");
    }
    if (c.unitOutages > 0) {
        owed += ", " + std::to_string(c.unitOutages) + " station or controller outage" +
                (c.unitOutages == 1 ? "" : "s") + ", " + std::to_string(c.owedToUnitOutages) +
                " verdict" + (c.owedToUnitOutages == 1 ? "" : "s") + " owed to " +
                (c.unitOutages == 1 ? "it" : "them");
    }
    return r.day.date + ": " + replaced + std::to_string(c.detectors) + " detectors, " +
           std::to_string(c.of(High)) + " highly suspicious, " + std::to_string(c.of(Susp)) +
           " suspicious, " + std::to_string(c.of(Marg)) + " marginal, " +
           std::to_string(c.of(Hlth)) + " healthy, " + std::to_string(c.of(Excluded)) +
           " excluded, " + std::to_string(c.feedOutages) + " feed outage" +
           (c.feedOutages == 1 ? "" : "s") + owed;
}

int runAdd(const AddArgs& args) {
    if (!(args.outageShare > 0.0 && args.outageShare <= 1.0)) {
        throw CommandFailure{kExitRefused, "--outage-share must lie above 0 and at most 1"};
    }
    AddOptions options;
    options.parameters = parameterTextsOf(args.parameters);
    options.snapshot = snapshotOf(options.parameters);  // refuses an unusable text first
    options.laneSections = laneSectionsOf(args.parameters);
    checkLaneSections(options.parameters, options.laneSections);
    options.outageShare = args.outageShare;
    options.jobs = args.jobs;
    std::vector<DayToAdd> days = daysOf(args);
    std::vector<RunInput> inputs;
    for (const DayToAdd& day : days)
        inputs.push_back({"an archive this run reads", day.archive});
    if (args.parameters.settings)
        inputs.push_back({"the settings file this run reads", *args.parameters.settings});
    if (!outputsAllowed({{"--db", args.db}}, inputs)) return kExitRefused;
    LedgerStore ledger(args.db, LedgerStore::Access::Add);
    // A date is added once: replacing it is asked for, and refused before any day is tested.
    std::map<std::string, LedgerDay> held;
    for (const DayToAdd& day : days) {
        std::vector<LedgerDay> found = ledger.days({day.date, day.date});
        if (found.empty()) continue;
        if (!args.replace) {
            throw CommandFailure{kExitRefused, "The ledger holds " + day.date + " already (" +
                                                   recordOf(found.front()) +
                                                   "); add it with --replace to replace it"};
        }
        held.emplace(day.date, found.front());
    }
    ledger.setReplaceHeldDays(args.replace);
    std::vector<DayAddResult> results = addDays(ledger, days, options);
    std::sort(results.begin(), results.end(),
              [](const DayAddResult& a, const DayAddResult& b) { return a.day.date < b.day.date; });
    int exitCode = kExitDone;
    std::string added;
    for (const DayAddResult& r : results) {
        std::cerr << r.logText;
        if (r.outcome == AddOutcome::Added) {
            added += countsLine(r, held) + "\n";
        } else {
            printError(r.day.archive + ": " + r.message);
            exitCode = kExitFailed;
        }
    }
    return printOutput(added) ? exitCode : kExitFailed;
}

}  // namespace

void addHistoryAddCommand(CLI::App& history, int& exitCode) {
    auto* cmd = history.add_subcommand(
        "add",
        "Test the health of every detector of each archive and record the days in the ledger");
    auto args = std::make_shared<AddArgs>();
    cmd->add_option("ARCHIVE", args->archives,
                    "*.traffic archives, each named by its date (20240315.traffic)")
        ->required();
    cmd->add_option("--db", args->db,
                    "the ledger: a file (created when missing) or a postgresql:// URI")
        ->capture_default_str();
    addParameterOptions(*cmd, args->parameters);
    cmd->add_option("--jobs", args->jobs, "days tested at once (default: one per core)")
        ->check(CLI::Range(1, 1024));
    cmd->add_option("--date", args->date, "YYYY-MM-DD: the date of a single archive");
    cmd->add_flag("--replace", args->replace,
                  "replace days the ledger holds (without it, such a date is refused)");
    cmd->add_option("--outage-share", args->outageShare,
                    "share of tested detectors missing a slot that makes it a feed outage")
        ->capture_default_str();
    cmd->callback([args, &exitCode] { exitCode = guarded([&] { return runAdd(*args); }); });
}

}  // namespace sorvane::cli
