#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "archive/interval_data.h"
#include "archive/unzip.h"
#include "common/error.h"
#include "common/log.h"
#include "common/output_destination.h"
#include "health/health_parameters.h"
#include "health/health_snapshot.h"
#include "health/lane_parameters.h"

namespace CLI {
class App;
}

namespace sorvane::cli {

// Exit statuses of sorvane-cli.
constexpr int kExitDone = 0;
constexpr int kExitFailed = 1;   // the archive or a file failed
constexpr int kExitRefused = 2;  // arguments, IDs or parameters were refused

// Prints a message line to stderr.
void printError(const std::string& message);

// A failure that ends the command with an exit status and a message.
struct CommandFailure {
    int exitCode;
    std::string message;
};

// The exit status of a core failure: refused input is the user's, anything else a file's.
int exitCodeOf(const SorvaneError& error);

// Runs a command; its failures (CommandFailure, SorvaneError) become a message on stderr and the
// exit status.
template <typename Command>
int guarded(Command command) {
    try {
        return command();
    } catch (const CommandFailure& failure) {
        printError(failure.message);
        return failure.exitCode;
    } catch (const SorvaneError& e) {
        printError(e.description());
        return exitCodeOf(e);
    }
}

// The options that choose the health parameters of a command.
struct ParameterArgs {
    std::optional<std::string> settings;
    std::vector<std::string> sets;
};
void addParameterOptions(CLI::App& cmd, ParameterArgs& args);

// Factory values, then --settings (default: ParamSettings.ini in the program folder, if there),
// then each --set. Throws CommandFailure, with status 2 for a default file that is there but
// cannot be read.
HealthParameterTexts parameterTextsOf(const ParameterArgs& args);

// The settings file's lane-type sections, chosen as parameterTextsOf chooses the file (the
// factory sections when no file is read). Throws CommandFailure.
LaneSections laneSectionsOf(const ParameterArgs& args);

// Refuses (exit 2) a text that is not a ledger date YYYY-MM-DD, naming the option or command.
void checkDateOption(const std::string& option, const std::string& date);

// Refuses, before anything runs, a lane type's text that the test cannot use: CommandFailure
// (status 2) naming the key and the section.
void checkLaneSections(const HealthParameterTexts& texts, const LaneSections& sections);

// The failure of a lane type's text, naming the key and the section.
CommandFailure laneParameterFailure(const LaneParameterError& e, const HealthParameterTexts& texts,
                                    const LaneSections& sections);

// The texts converted for a run. Throws CommandFailure (status 2) naming the settings key of the
// first text that cannot be used.
modBaddet::HealthSnapshot snapshotOf(const HealthParameterTexts& texts);

// An archive opened for one command, with the command's log echoed to stderr, each text on a
// line of its own.
struct OpenArchive {
    Log log;
    std::unique_ptr<Unzip> reader;
};

// Lists the archive at `path`; on failure prints "Error No: <n>, <description>." to stderr and
// returns nullptr.
std::unique_ptr<OpenArchive> openArchive(const std::string& path);

// Writes the command's data to stdout; a write that fails (a full disk, /dev/full) is printed as
// a message on stderr, and false returned.
bool printOutput(std::string_view text);

// A file a command writes, and the option that names it.
struct OutputOption {
    std::string option;  // "-o", "--measures-csv"
    std::string path;
};

// Checks the command's outputs before anything is read or written: a name may not be empty,
// and no output may reach one of the run's inputs (whatever path leads there). Prints why and
// returns false when one is refused.
bool outputsAllowed(const std::vector<OutputOption>& outputs, const std::vector<RunInput>& inputs);

// The labels of the interval table, for the --interval options.
std::vector<std::string> intervalLabels();

// The missing-data option of a --missing value: "neg" is "Set to -1", anything else "Set to 0".
MissingOption missingOption(const std::string& value);

// Each command adds itself to the application; `exitCode` receives the command's status.
void addListCommand(CLI::App& app, int& exitCode);
void addViewCommand(CLI::App& app, int& exitCode);
void addHealthCommand(CLI::App& app, int& exitCode);
void addExportCommand(CLI::App& app, int& exitCode);
void addHistoryCommand(CLI::App& app, int& exitCode);

// The subcommands of "history".
void addHistoryAddCommand(CLI::App& history, int& exitCode);
void addHistoryReportCommand(CLI::App& history, int& exitCode);
void addHistoryDetectorCommand(CLI::App& history, int& exitCode);
void addHistoryDaysCommand(CLI::App& history, int& exitCode);
void addHistoryRemoveCommand(CLI::App& history, int& exitCode);
void addHistoryDayCommand(CLI::App& history, int& exitCode);
void addHistoryCheckCommand(CLI::App& history, int& exitCode);
void addHistoryInventoryCommand(CLI::App& history, int& exitCode);
void addHistoryCopyCommand(CLI::App& history, int& exitCode);

}  // namespace sorvane::cli
