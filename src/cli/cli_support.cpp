#include "cli/cli_support.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>

#include "common/error.h"
#include "common/intervals.h"

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

bool outputsAllowed(const std::vector<OutputOption>& outputs, const std::vector<RunInput>& inputs) {
    for (const OutputOption& output : outputs) {
        if (output.path.empty()) {
            printError("The file name given to " + output.option + " is empty.");
            return false;
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
        printError("Error No: " + std::to_string(e.number()) + ", " + e.description() + ".");
        return nullptr;
    }
    return open;
}

}  // namespace sorvane::cli
