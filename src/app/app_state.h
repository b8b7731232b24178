#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "app/recent_folders.h"
#include "archive/unzip.h"
#include "common/log.h"

namespace sorvane::app {

// The program-wide state that the tabs share, owned by the main window for the life of the
// program: the log, the one archive reader (the loaded archive's path is its file name) and the
// file dialogs' folders. What one tab shows and others read is asked of TabChoices.
class AppState {
  public:
    explicit AppState(std::string programFolder);

    // The program folder: settings, reports and the log live there.
    const std::string& programFolder() const { return programFolder_; }
    std::string programFile(std::string_view name) const;

    // Throws SorvaneError when `output`, a file the program writes, is the loaded archive, by
    // whatever path.
    void refuseOverwritingArchive(const std::string& output) const;

    Log& log() { return log_; }
    const Log& log() const { return log_; }

    // The archive reader, created on first use. A job holds it shared, so that it finishes
    // on the archive it started with whatever is loaded meanwhile.
    Unzip& reader();
    std::shared_ptr<Unzip> sharedReader();
    bool hasReader() const { return reader_ != nullptr; }
    // A newly listed archive becomes the loaded one.
    void replaceReader(std::shared_ptr<Unzip> reader) { reader_ = std::move(reader); }

    RecentFolders folders;  // where each kind of file dialog opens

  private:
    std::string programFolder_;
    Log log_;
    std::shared_ptr<Unzip> reader_;
};

}  // namespace sorvane::app
