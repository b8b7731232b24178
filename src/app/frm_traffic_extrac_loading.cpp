#include "app/frm_traffic_extrac_loading.h"

#include "app/accessible_tabs.h"
#include "app/export_tab.h"
#include "app/file_tab.h"
#include "app/frm_splash.h"
#include "app/frm_traffic_extrac.h"
#include "app/health_test_tab.h"
#include "app/plot_tab.h"
#include "app/qt_text.h"
#include "common/error.h"
#include "common/text_file.h"

namespace sorvane::app {

FileDialogRequest archiveDialogRequest() {
    FileDialogRequest request =
        fileRequestFor(QStringLiteral("Select a *.traffic file"), QStringLiteral("traffic"));
    request.mustExist = true;
    return request;
}

QString loadErrorMessage(const Failure& failure) {
    return toQString(errorNoText(failure.number, failure.description)) +
           QStringLiteral(".\r\nPlease select a *.traffic file.");
}

void frmTrafficExtrac::cmdBrowse_Click() {
    loadChosenArchive([this] {
        FileDialogRequest request = archiveDialogRequest();
        request.folder = state_.folders.folderFor(FileKind::Archive);
        std::optional<QString> path = dialogs_.openFile(request);
        if (!path) throw SorvaneError(kErrCancel, kCancelDescription);
        return *path;
    });
}

void frmTrafficExtrac::openArchive(const QString& path) {
    loadChosenArchive([&path] { return path; });
}

void frmTrafficExtrac::loadChosenArchive(const std::function<QString()>& choosePath) {
    QString path;
    try {
        path = choosePath();
    } catch (...) {
        reportLoadFailure(describeCurrentFailure("the archive"));
        return;
    }
    fileTab->showArchivePath(path);
    loadArchive(path);
}

// The archive is listed by a job in a reader of its own, under the splash; the loaded one stays
// in use until the new one is listed, and stays loaded when it cannot be.
void frmTrafficExtrac::loadArchive(const QString& path) {
    splash_->show();
    if (path.isEmpty()) {
        splash_->close();
        showLoadedArchivePath();
        dialogs_.message(MessageIcon::Critical, kAppTitle,
                         QStringLiteral("*.traffic zip file not provided. "));
        return;
    }
    state_.sharedReader();  // the box falls back to its path (none yet) if this load fails
    loading_ = true;
    enableLoading();
    jobs_.start(
        "the archive",
        [native = toNativePath(path), &log = state_.log()](const JobControl&) {
            auto reader = std::make_shared<Unzip>(log);
            reader->ZipFileName(native);
            reader->zipList();
            return reader;
        },
        [this, path](std::shared_ptr<Unzip> reader) {
            try {
                showLoadedArchive(path, std::move(reader));
            } catch (...) {
                reportLoadFailure(describeCurrentFailure("the archive"));
            }
        },
        [this](const Failure& failure) { reportLoadFailure(failure); });
}

void frmTrafficExtrac::showLoadedArchive(const QString& path, std::shared_ptr<Unzip> reader) {
    state_.replaceReader(reader);
    loading_ = false;
    enableLoading();
    // Suggested only once the archive is listed, so that a failed load leaves no name behind.
    exportTab->suggestDestination(path);
    for (int tab = kTabPlot; tab < kTabCount; ++tab)
        setTabUsable(SSTab1, tab, true);
    plotTab->showArchive(*reader, fromNativePath(fileNamePart(toNativePath(path))));
    state_.log().appendLog(toNativePath(path) + " Was successfully loaded.");
    state_.folders.remember(FileKind::Archive, path);
    splash_->close();
}

// A failed load leaves the archive that was loaded before loaded, and the box shows its path
// again (empty when there was none).
void frmTrafficExtrac::reportLoadFailure(const Failure& failure) {
    loading_ = false;
    enableLoading();
    splash_->close();
    showLoadedArchivePath();
    dialogs_.message(MessageIcon::Exclamation, kAppTitle, loadErrorMessage(failure));
}

void frmTrafficExtrac::showLoadedArchivePath() {
    if (state_.hasReader()) fileTab->showArchivePath(fromNativePath(state_.reader().fileName()));
}

// "Browse and Load" waits while an archive loads and while a health test runs on the loaded one.
void frmTrafficExtrac::enableLoading() {
    fileTab->enableLoading(!loading_ && !testTab->running());
}

}  // namespace sorvane::app
