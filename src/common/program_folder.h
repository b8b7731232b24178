#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace sorvane {

// Where the program keeps its files: the settings file, the reports and Log.txt.
struct ProgramFolder {
    std::string path;
    // The share/sorvane folder of an installed program, which holds the files a first start
    // copies into `path`; empty for a program that keeps its files beside its executable.
    std::string installedData;
};

// The folder of the running executable, links resolved; empty when it cannot be told.
std::string executableFolder();

// The per-user folder: $XDG_DATA_HOME/sorvane, or $HOME/.local/share/sorvane when
// XDG_DATA_HOME is unset, empty or relative (the XDG rules ignore a relative path). Either
// argument may be null, as getenv gives it; without a home the account's home folder is used.
std::string perUserFolder(const char* xdgDataHome, const char* home);

// A program built or copied into a folder of the user's keeps its files beside its executable.
// An installed one (a `bin` folder with `share/sorvane/` beside it) or one in a folder the user
// may not write uses the per-user folder instead, so nothing is written under the system's
// folders, even by root.
ProgramFolder findProgramFolder(const std::string& executableFolder,
                                const std::string& perUserFolder);

// The program folder of the running program, from its executable and the environment.
ProgramFolder findProgramFolder();

// Readies the folder at start: an installed program's per-user folder is created when missing,
// and each of `firstStartFiles` is copied into it from the installed data when it has none; a
// file that is there (even one that cannot be read, or a link to nothing) is never replaced.
// Throws SorvaneError naming the folder or file and the reason.
void prepareProgramFolder(const ProgramFolder& folder,
                          std::initializer_list<std::string_view> firstStartFiles);

}  // namespace sorvane
