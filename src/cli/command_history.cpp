#include <CLI/CLI.hpp>

#include "cli/cli_support.h"

namespace sorvane::cli {

void addHistoryCommand(CLI::App& app, int& exitCode) {
    auto* history = app.add_subcommand(
        "history",
        "The health ledger: every day's health test per detector, and reports across days");
    history->require_subcommand(1);
    addHistoryAddCommand(*history, exitCode);
    addHistoryReportCommand(*history, exitCode);
    addHistoryDetectorCommand(*history, exitCode);
    addHistoryDayCommand(*history, exitCode);
    addHistoryDaysCommand(*history, exitCode);
    addHistoryRemoveCommand(*history, exitCode);
    addHistoryCheckCommand(*history, exitCode);
    addHistoryInventoryCommand(*history, exitCode);
    addHistoryCopyCommand(*history, exitCode);
}

}  // namespace sorvane::cli
