#include "common/program_folder.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "common/error.h"
#include "common/text_file.h"

namespace sorvane {

namespace {

constexpr std::string_view kFolderName = "sorvane";

bool isFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

std::string accountHome() {
    const struct passwd* account = ::getpwuid(::getuid());
    return account != nullptr && account->pw_dir != nullptr ? account->pw_dir : "";
}

}  // namespace

std::string executableFolder() {
    char buffer[4096];
    ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return {};
    return folderPart(std::string_view(buffer, static_cast<size_t>(n)));
}

std::string perUserFolder(const char* xdgDataHome, const char* home) {
    if (xdgDataHome != nullptr && xdgDataHome[0] == '/') {
        return std::string(xdgDataHome) + "/" + std::string(kFolderName);
    }
    std::string homeFolder = home != nullptr && home[0] != '\0' ? home : accountHome();
    return homeFolder + "/.local/share/" + std::string(kFolderName);
}

ProgramFolder findProgramFolder(const std::string& executableFolder,
                                const std::string& perUserFolder) {
    std::string installedData = executableFolder + "/../share/" + std::string(kFolderName);
    bool installed = !executableFolder.empty() && isFolder(installedData);
    bool writable = !executableFolder.empty() && ::access(executableFolder.c_str(), W_OK) == 0;
    if (!installed && writable) return {executableFolder, {}};
    return {perUserFolder, installed ? installedData : std::string()};
}

ProgramFolder findProgramFolder() {
    return findProgramFolder(executableFolder(),
                             perUserFolder(std::getenv("XDG_DATA_HOME"), std::getenv("HOME")));
}

void prepareProgramFolder(const ProgramFolder& folder,
                          std::initializer_list<std::string_view> firstStartFiles) {
    if (folder.installedData.empty() || folder.path.empty()) return;
    std::error_code ec;
    std::filesystem::create_directories(folder.path, ec);
    if (ec) {
        throw SorvaneError(kErrFileWrite,
                           "The folder " + folder.path + " cannot be created: " + ec.message());
    }
    for (std::string_view name : firstStartFiles) {
        std::string target = folder.path + "/" + std::string(name);
        std::string source = folder.installedData + "/" + std::string(name);
        if (exists(target) || !exists(source)) continue;
        writeWholeFile(target, readWholeFile(source));
    }
}

}  // namespace sorvane
