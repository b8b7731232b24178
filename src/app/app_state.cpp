#include "app/app_state.h"

#include "common/output_destination.h"

namespace sorvane::app {

AppState::AppState(std::string programFolder) : programFolder_(std::move(programFolder)) {}

std::string AppState::programFile(std::string_view name) const {
    if (programFolder_.empty()) return std::string(name);
    return programFolder_ + "/" + std::string(name);
}

void AppState::refuseOverwritingArchive(const std::string& output) const {
    if (reader_) refuseOutputOverInputs(output, {{"the loaded archive", reader_->fileName()}});
}

Unzip& AppState::reader() {
    return *sharedReader();
}

std::shared_ptr<Unzip> AppState::sharedReader() {
    if (!reader_) reader_ = std::make_shared<Unzip>(log_);
    return reader_;
}

}  // namespace sorvane::app
