#include <CLI/CLI.hpp>
#include <iostream>

#include "cli/cli_support.h"
#include "common/error.h"

int main(int argc, char** argv) {
    CLI::App app{"sorvane-cli: Sorvane's work on *.traffic archives from the command line"};
    app.require_subcommand(1);
    int exitCode = sorvane::cli::kExitDone;
    sorvane::cli::addListCommand(app, exitCode);
    sorvane::cli::addViewCommand(app, exitCode);
    sorvane::cli::addHealthCommand(app, exitCode);
    sorvane::cli::addExportCommand(app, exitCode);
    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return sorvane::cli::kExitRefused;
    } catch (const sorvane::SorvaneError& e) {
        sorvane::cli::printError("Error No: " + std::to_string(e.number()) + ", " +
                                 e.description() + ".");
        return sorvane::cli::kExitFailed;
    }
    return exitCode;
}
