#include <CLI/CLI.hpp>

#include "cli/cli_support.h"

namespace sorvane::cli {

void addListCommand(CLI::App& app, int& exitCode) {
    auto* cmd = app.add_subcommand("list", "Print the archive's detector numbers, one per line");
    auto archive = std::make_shared<std::string>();
    cmd->add_option("ARCHIVE", *archive, "a *.traffic archive")->required();
    cmd->callback([archive, &exitCode] {
        auto open = openArchive(*archive);
        if (!open) {
            exitCode = kExitFailed;
            return;
        }
        std::string out;
        for (int i = 0; i < open->reader->detCount(); ++i) {
            out += std::to_string(open->reader->detNum(i));
            out += '\n';
        }
        exitCode = printOutput(out) ? kExitDone : kExitFailed;
    });
}

}  // namespace sorvane::cli
