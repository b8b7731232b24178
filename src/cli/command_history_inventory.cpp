#include <CLI/CLI.hpp>

#include "cli/cli_support.h"
#include "common/error.h"
#include "common/text_file.h"
#include "history/archive_date.h"
#include "history/inventory.h"
#include "history/inventory_versions.h"
#include "history/ledger_file.h"
#include "history/ledger_location.h"
#include "history/ledger_store.h"

namespace sorvane::cli {

namespace {

using namespace history;

struct ImportArgs {
    std::string file;
    std::string db = std::string(kDefaultLedgerFile);
    std::string from = std::string(kEveryDate);
};

struct ShowArgs {
    std::string db = std::string(kDefaultLedgerFile);
    std::optional<std::string> date;
    std::optional<std::string> csv;
};

std::string detectorsText(size_t count) {
    return std::to_string(count) + (count == 1 ? " detector" : " detectors");
}

int runImport(const ImportArgs& args) {
    checkDateOption("--from", args.from);
    std::vector<RunInput> inputs{{"the inventory this run reads", args.file}};
    if (!outputsAllowed({{"--db", args.db}}, inputs)) return kExitRefused;
    // The whole file is read and checked before the ledger is opened: a refused file stores
    // nothing.
    Inventory inventory = readInventoryFile(args.file);
    // A version is its rows: an empty one could not be told from none.
    if (inventory.rows.empty()) {
        throw CommandFailure{kExitRefused, "The inventory file " + args.file +
                                               " holds no detector; nothing was stored"};
    }
    LedgerStore ledger(args.db, LedgerStore::Access::Add);
    bool replaced = ledger.writeInventory(args.from, inventory);
    std::string out = "Inventory valid from " + args.from + ": " +
                      detectorsText(inventory.rows.size()) + " imported from " + args.file;
    if (inventory.skippedDetectors > 0) {
        out += ", " + std::to_string(inventory.skippedDetectors) +
               " skipped (their name holds no detector number)";
    }
    if (replaced) out += "; it replaces the version valid from " + args.from;
    out +=
        "\nDays already in the ledger keep their verdicts: add them again with --replace to "
        "test them under this inventory.\n";
    return printOutput(out) ? kExitDone : kExitFailed;
}

int runShow(const ShowArgs& args) {
    if (args.date) checkDateOption("--date", *args.date);
    if (args.csv) {
        std::vector<RunInput> inputs{{"the ledger this run reads", args.db}};
        if (!outputsAllowed({{"--csv", *args.csv}}, inputs)) return kExitRefused;
        refuseOutputOverLedgerFiles(*args.csv, args.db);
    }
    LedgerStore ledger(args.db, LedgerStore::Access::Read);
    InventoryVersions versions = ledger.inventoryVersions();
    if (versions.empty()) {
        throw CommandFailure{kExitRefused, "The ledger " + shownLocation(args.db) +
                                               " holds no inventory: import one with history "
                                               "inventory import FILE"};
    }
    std::string out = "Inventory versions: " + std::to_string(versions.all().size()) + "\n";
    for (const InventoryVersion& v : versions.all())
        out += "valid from " + v.validFrom + ": " + detectorsText(v.inventory.rows.size()) + "\n";
    const InventoryVersion* shown =
        args.date ? versions.versionOn(*args.date) : &versions.all().back();
    if (!shown) {
        throw CommandFailure{kExitRefused, "No inventory of the ledger is in force on " +
                                               *args.date + ": its first version is valid from " +
                                               versions.all().front().validFrom};
    }
    out += (args.date ? "In force on " + *args.date : std::string("The latest")) +
           ": the version valid from " + shown->validFrom + "\n";
    out += inventoryText(shown->inventory);
    bool printed = printOutput(out);
    if (args.csv) writeWholeFile(*args.csv, inventoryCsv(shown->inventory));
    return printed ? kExitDone : kExitFailed;
}

}  // namespace

void addHistoryInventoryCommand(CLI::App& history, int& exitCode) {
    auto* inventory = history.add_subcommand(
        "inventory", "The detector inventory the ledger holds, in versions valid from a date");
    inventory->require_subcommand(1);

    auto* import = inventory->add_subcommand(
        "import",
        "Store an inventory CSV or network configuration XML as the version valid from a date "
        "(a version of the same date is replaced)");
    auto importArgs = std::make_shared<ImportArgs>();
    import->add_option("FILE", importArgs->file, "the inventory CSV or network XML")->required();
    import->add_option("--db", importArgs->db, "the ledger (created when missing)")
        ->capture_default_str();
    import->add_option("--from", importArgs->from,
                       "YYYY-MM-DD: the first date it is in force (default: every date)");
    import->callback(
        [importArgs, &exitCode] { exitCode = guarded([&] { return runImport(*importArgs);
});
}  // namespace sorvane::cli
);

auto* show = inventory->add_subcommand(
    "show", "The inventory versions, and the detectors of the one in force on a date");
auto showArgs = std::make_shared<ShowArgs>();
show->add_option("--db", showArgs->db, "the ledger")->capture_default_str();
show->add_option("--date", showArgs->date,
                 "YYYY-MM-DD: show the version in force on this date (default: the latest)");
show->add_option("--csv", showArgs->csv, "also write that version as an inventory CSV file");
show->callback([showArgs, &exitCode] { exitCode = guarded([&] { return runShow(*showArgs); }); });
}

}  // namespace sorvane::cli
