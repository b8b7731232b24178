#include <CLI/CLI.hpp>
#include <iostream>

#include "cli/cli_support.h"
#include "history/ledger_copy.h"
#include "history/ledger_location.h"
#include "history/ledger_store.h"

namespace sorvane::cli {

namespace {

using namespace history;

struct CopyArgs {
    std::string from;
    std::string to;
    bool replace = false;
};

std::string listed(const std::vector<std::string>& dates) {
    std::string text;
    for (const std::string& date : dates)
        text += (text.empty() ? "" : ", ") + date;
    return text;
}

int runCopy(const CopyArgs& args) {
    if (args.from.empty() || args.to.empty())
        throw CommandFailure{kExitRefused, "--from and --to each name a ledger"};
    if (isServerLedger(args.from) && shownLocation(args.from) == shownLocation(args.to))
        throw CommandFailure{kExitRefused, "--from and --to name the same ledger"};
    if (!outputsAllowed({{"--to", args.to}}, {{"the ledger this run reads", args.from}}))
        return kExitRefused;
    LedgerStore from(args.from, LedgerStore::Access::Read);
    LedgerStore to(args.to, LedgerStore::Access::Add);
    CopyPlan plan = planCopy(from, to);
    if (!args.replace && !(plan.heldDates.empty() && plan.heldVersions.empty())) {
        std::string held;
        if (!plan.heldDates.empty()) held = "the days " + listed(plan.heldDates);
        if (!plan.heldVersions.empty()) {
            held += (held.empty() ? "" : " and ") + std::string("the inventory versions of ") +
                    listed(plan.heldVersions);
        }
        throw CommandFailure{kExitRefused, "The ledger " + shownLocation(args.to) + " holds " +
                                               held +
                                               " already; copy with --replace to replace them"};
    }
    CopyResult copied = copyLedger(from, to, plan, args.replace);
    std::string line =
        "Copied " + std::to_string(copied.days) + " day" + (copied.days == 1 ? "" : "s") +
        (plan.dates.empty() ? std::string()
                            : " (" + plan.dates.front() + " to " + plan.dates.back() + ")") +
        " and " + std::to_string(copied.inventoryVersions) + " inventory version" +
        (copied.inventoryVersions == 1 ? "" : "s") + " from " + shownLocation(args.from) + " to " +
        shownLocation(args.to) + "\n";
    return printOutput(line) ? kExitDone : kExitFailed;
}

}  // namespace

void addHistoryCopyCommand(CLI::App& history, int& exitCode) {
    auto* cmd = history.add_subcommand(
        "copy",
        "Copy every day, its detectors and outages, and the inventory versions from one ledger "
        "(a file or a postgresql:// server) to another");
    auto args = std::make_shared<CopyArgs>();
    cmd->add_option("--from", args->from, "the ledger copied")->required();
    cmd->add_option("--to", args->to, "the ledger that receives the days (created when missing)")
        ->required();
    cmd->add_flag("--replace", args->replace,
                  "replace days and inventory versions the target holds (without it, the copy "
                  "is refused)");
    cmd->callback([args, &exitCode] { exitCode = guarded([&] { return runCopy(*args); }); });
}

}  // namespace sorvane::cli
