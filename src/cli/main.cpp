#include <CLI/CLI.hpp>
#include <iostream>

#include "cli/cli_support.h"
#include "common/failure.h"
#include "common/temporary_files.h"

namespace {

// What a command was doing, for the message when memory runs out.
std::string workOf(const CLI::App& app) {
    for (const CLI::App* command : app.get_subcommands()) {
        const std::string& name = command->get_name();
        if (name == "list") return "the detector list";
        if (name == "view") return "the detector's day";
        if (name == "health") return "the health test";
        if (name == "export") return "the export";
        if (name == "history") return "the health ledger";
    }
    return "the command line";
}

// Help and version texts go through the stream; a failed write fails the program.
int checkedStdout(int exitCode) {
    std::cout.flush();
    if (std::cout) return exitCode;
    sorvane::cli::printError("The output cannot be written.");
    return sorvane::cli::kExitFailed;
}

}  // namespace

int main(int argc, char** argv) {
    // Also a file-size limit hit by stdout then fails a write instead of ending the program.
    sorvane::installTemporaryFileCleanup();
    CLI::App app{"sorvane-cli: Sorvane's work on *.traffic archives from the command line"};
    app.require_subcommand(1);
    int exitCode = sorvane::cli::kExitDone;
    sorvane::cli::addListCommand(app, exitCode);
    sorvane::cli::addViewCommand(app, exitCode);
    sorvane::cli::addHealthCommand(app, exitCode);
    sorvane::cli::addExportCommand(app, exitCode);
    sorvane::cli::addHistoryCommand(app, exitCode);
    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& e) {
        return checkedStdout(app.exit(e));
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return sorvane::cli::kExitRefused;
    } catch (...) {
        // Caught here, so that unwinding removes every temporary file on the way.
        const sorvane::Failure failure = sorvane::describeCurrentFailure(workOf(app));
        sorvane::cli::printError(
            failure.numbered() ? sorvane::errorNoText(failure.number, failure.description) + "."
                               : failure.description);
        return sorvane::cli::kExitFailed;
    }
    return exitCode;
}
