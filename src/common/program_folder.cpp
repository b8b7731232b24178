#include "common/program_folder.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
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

// Writes `content` into a new file at `target`; false when anything is there already. The check
// and the creation are one step (O_EXCL), so no file is ever replaced: not one that appeared
// meanwhile, not one that is there but cannot be read, not a link, even to nothing.
bool createNewFile(const std::string& target, std::string_view content) {
    int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno == EEXIST) return false;
    auto fail = [&target](int err) {
        return SorvaneError(kErrFileWrite,
                            "The file " + target + " cannot be written: " + std::strerror(err));
    };
    if (fd < 0) throw fail(errno);
    for (size_t done = 0; done < content.size();) {
        ssize_t n = ::write(fd, content.data() + done, content.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            int err = errno;
            ::close(fd);
            ::unlink(target.c_str());  // the file made here, never another
            throw fail(err);
        }
        done += static_cast<size_t>(n);
    }
    if (::close(fd) != 0) {
        int err = errno;
        ::unlink(target.c_str());
        throw fail(err);
    }
    return true;
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
        createNewFile(target, readWholeFile(source));
    }
}

}  // namespace sorvane
