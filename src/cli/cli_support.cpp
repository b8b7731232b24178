#include "cli/cli_support.h"

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>

#include "common/error.h"
#include "common/failure.h"
#include "common/intervals.h"
#include "common/program_folder.h"
#include "health/parameter_sources.h"
#include "health/settings_file.h"
#include "history/archive_date.h"

namespace sorvane::cli {

void printError(const std::string& message) {
    std::cerr << message << '\n';
}

bool printOutput(std::string_view text) {
    std::cout.flush();  // whatever went through the stream comes first
    while (!text.empty()) {
        ssize_t n = ::write(STDOUT_FILENO, text.data(), text.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            printError("The output cannot be written: " + std::string(std::strerror(errno)));
            return false;
        }
        text.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

namespace {

// Whether two names reach one file: the same file when both exist, else the same place.
bool sameFile(const std::string& a, const std::string& b) {
    std::error_code error;
    if (std::filesystem::equivalent(a, b, error)) return true;
    auto placeOf = [&error](const std::string& name) {
        return std::filesystem::weakly_canonical(std::filesystem::absolute(name, error), error);
    };
    std::filesystem::path placeA = placeOf(a);
    if (error) return false;
    std::filesystem::path placeB = placeOf(b);
    return !error && placeA == placeB;
}

}  // namespace

bool outputsAllowed(const std::vector<OutputOption>& outputs, const std::vector<RunInput>& inputs) {
    for (size_t i = 0; i < outputs.size(); ++i) {
        const OutputOption& output = outputs[i];
        if (output.path.empty()) {
            printError("The file name given to " + output.option + " is empty.");
            return false;
        }
        // One output would silently replace the other.
        for (size_t j = 0; j < i; ++j) {
            if (sameFile(outputs[j].path, output.path)) {
                printError("The files given to " + outputs[j].option + " and " + output.option +
                           " are the same file: each output needs a file of its own.");
                return false;
            }
        }
        try {
            refuseOutputOverInputs(output.path, inputs);
        } catch (const SorvaneError& e) {
            printError(e.description());
            return false;
        }
    }
    return true;
}

std::vector<std::string> intervalLabels() {
    std::vector<std::string> labels;
    for (const IntervalSpec& row : kIntervals)
        labels.emplace_back(row.label);
    return labels;
}

MissingOption missingOption(const std::string& value) {
    return value == "neg" ? MissingOption::SetToNegative : MissingOption::SetToZero;
}

int exitCodeOf(const SorvaneError& error) {
    return error.number() == kErrInvalidInput ? kExitRefused : kExitFailed;
}

void addParameterOptions(CLI::App& cmd, ParameterArgs& args) {
    cmd.add_option("--settings", args.settings,
                   "settings file whose \"Param\" section overrides the factory values "
                   "(default, if there: ParamSettings.ini beside sorvane-cli, or for an installed "
                   "program in $XDG_DATA_HOME/sorvane, that is ~/.local/share/sorvane; one "
                   "that is there but cannot be read stops the run)");
    cmd.add_option("--set", args.sets, "KEY=VALUE: a parameter by its settings key")
        ->allow_extra_args(false);
}

HealthParameterTexts parameterTextsOf(const ParameterArgs& args) {
    ParameterSources sources{args.settings, modUtility::SettingsFilePath(findProgramFolder().path),
                             args.sets};
    try {
        ResolvedParameters resolved = resolveParameterTexts(sources);
        if (resolved.namedFileHasNoSection) {
            printError("The settings file " + *args.settings + " has no \"" +
                       std::string(kParamSection) + "\" section; the factory values are used.");
        }
        return resolved.texts;
    } catch (const SorvaneError& e) {
        throw CommandFailure{exitCodeOf(e), e.description()};
    }
}

void checkDateOption(const std::string& option, const std::string& date) {
    if (!history::isLedgerDate(date)) {
        throw CommandFailure{kExitRefused,
                             option + " needs a date YYYY-MM-DD, not \"" + date + "\""};
    }
}

LaneSections laneSectionsOf(const ParameterArgs& args) {
    try {
        return resolveLaneSections(
            {args.settings, modUtility::SettingsFilePath(findProgramFolder().path), {}});
    } catch (const SorvaneError& e) {
        throw CommandFailure{exitCodeOf(e), e.description()};
    }
}

CommandFailure laneParameterFailure(const LaneParameterError& e, const HealthParameterTexts& texts,
                                    const LaneSections& sections) {
    const size_t type = static_cast<size_t>(e.laneType());
    return CommandFailure{
        kExitRefused, "Parameter " + std::string(kHealthParameters[e.parameter()].key) + " in [" +
                          laneSectionName(e.laneType()) + "] = \"" +
                          laneParameterTexts(texts, sections[type])[e.parameter()] +
                          "\": " + e.reason() + "."};
}

void checkLaneSections(const HealthParameterTexts& texts, const LaneSections& sections) {
    for (size_t t = 0; t < kLaneTypeCount; ++t) {
        if (!sections[t]) continue;
        try {
            takeLaneSnapshot(static_cast<LaneType>(t), laneParameterTexts(texts, sections[t]));
        } catch (const LaneParameterError& e) {
            throw laneParameterFailure(e, texts, sections);
        }
    }
}

modBaddet::HealthSnapshot snapshotOf(const HealthParameterTexts& texts) {
    try {
        return modBaddet::takeHealthSnapshot(texts);
    } catch (const modBaddet::HealthParameterError& e) {
        throw CommandFailure{kExitRefused,
                             "Parameter " + std::string(kHealthParameters[e.parameter()].key) +
                                 " = \"" + texts[e.parameter()] + "\": " + e.reason() + "."};
    }
}

std::unique_ptr<OpenArchive> openArchive(const std::string& path) {
    auto open = std::make_unique<OpenArchive>();
    // The log texts carry their own line ends, or none; on stderr each is a line of its own.
    open->log.setListener([](std::string_view text) {
        if (text.empty()) return;
        std::cerr << text;
        if (text.back() != '\n') std::cerr << '\n';
        std::cerr << std::flush;
    });
    open->reader = std::make_unique<Unzip>(open->log);
    try {
        open->reader->ZipFileName(path);
        open->reader->zipList();
    } catch (const SorvaneError& e) {
        printError(errorNoText(e.number(), e.description()) + ".");
        return nullptr;
    }
    return open;
}

}  // namespace sorvane::cli
