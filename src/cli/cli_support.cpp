#include "cli/cli_support.h"

#include <iostream>

#include "common/error.h"
#include "common/intervals.h"

namespace sorvane::cli {

void printError(const std::string& message) {
    std::cerr << message << '\n';
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
    open->log.setListener([](std::string_view text) { std::cerr << text << std::flush; });
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
