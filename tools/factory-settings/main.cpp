// sorvane-factory-settings: writes ParamSettings.ini with the factory values into each FILE that
// is not there yet: the twelve [Param] keys byte for byte as "Restore Factory Default Parameters"
// writes them into a program folder without one, then the factory lane-type sections. The build
// and the package use it so that a first start finds the factory values. An existing file is
// left alone: it may hold the user's own values.
#include <filesystem>
#include <iostream>

#include "common/error.h"
#include "health/health_parameters.h"
#include "health/lane_parameters.h"
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
            const sorvane::modUtility::SettingsFile file(argv[i]);
            sorvane::saveHealthParameters(file, sorvane::factoryParameterTexts());
            sorvane::saveFactoryLaneSections(file);
        } catch (const sorvane::SorvaneError& e) {
            std::cerr << "sorvane-factory-settings: " << e.description() << '\n';
            return 1;
        }
    }
    return 0;
}
