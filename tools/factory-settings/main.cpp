// sorvane-factory-settings: writes ParamSettings.ini with the twelve factory values into each
// FILE that is not there yet, byte for byte what "Restore Factory Default Parameters" writes
// into a program folder without one. The build and the package use it so that a first start
// finds the factory values. An existing file is left alone: it may hold the user's own values.
#include <filesystem>
#include <iostream>

#include "common/error.h"
#include "health/health_parameters.h"
#include "health/settings_file.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "Usage: sorvane-factory-settings FILE...\n";
        return 2;
    }
    for (int i = 1; i < argc; ++i) {
        std::error_code ec;
        if (std::filesystem::symlink_status(argv[i], ec).type() !=
            std::filesystem::file_type::not_found) {
            continue;
        }
        try {
            sorvane::saveHealthParameters(sorvane::modUtility::SettingsFile(argv[i]),
                                          sorvane::factoryParameterTexts());
        } catch (const sorvane::SorvaneError& e) {
            std::cerr << "sorvane-factory-settings: " << e.description() << '\n';
            return 1;
        }
    }
    return 0;
}
