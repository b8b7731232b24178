#include "app/archive_loading.h"

#include <QApplication>

#include "app/accessible_tabs.h"
#include "app/error_messages.h"
#include "app/export_tab.h"
#include "app/file_tab.h"
#include "app/frm_splash.h"
#include "app/frm_traffic_extrac.h"
#include "app/plot_tab.h"
#include "app/qt_text.h"
#include "common/error.h"
#include "common/text_file.h"

namespace sorvane::app {

namespace {

// Failures that are not the core's own (memory, say) still reach the user with a number.
constexpr int kErrUnexpected = 1099;

}  // namespace

FileDialogRequest archiveDialogRequest() {
    FileDialogRequest request =
        fileRequestFor(QStringLiteral("Select a *.traffic file"), QStringLiteral("traffic"));
    request.mustExist = true;
    return request;
}

QString loadErrorMessage(int number, const QString& description) {
    return QStringLiteral("Error No: ") + QString::number(number) + QStringLiteral(", ") +
           description + QStringLiteral(".\r\nPlease select a *.traffic file.");
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
    fileTab->enableLoading(false);
    try {
        QString path = choosePath();
        fileTab->showArchivePath(path);
        loadArchive(path);
    } catch (const SorvaneError& e) {
        reportLoadFailure(e.number(), toQString(e.description()));
    } catch (const std::bad_alloc&) {
        reportLoadFailure(kErrUnexpected, notEnoughMemoryFor("the archive"));
    } catch (const std::exception& e) {
        reportLoadFailure(kErrUnexpected, QString::fromLocal8Bit(e.what()));
    }
    fileTab->enableLoading(true);
}

void frmTrafficExtrac::loadArchive(const QString& path) {
    splash_->show();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);  // paint the splash
    if (path.isEmpty()) {
        splash_->close();
        showLoadedArchivePath();
        dialogs_.message(MessageIcon::Critical, kAppTitle,
                         QStringLiteral("*.traffic zip file not provided. "));
        return;
    }
    Unzip& reader = state_.reader();
    reader.ZipFileName(toNativePath(path));
    reader.zipList();

    // Suggested only once the archive is listed, so that a failed load leaves no name behind.
    exportTab->suggestDestination(path);
    for (int tab = kTabPlot; tab < kTabCount; ++tab)
        setTabUsable(SSTab1, tab, true);
    plotTab->showArchive(reader, fromNativePath(fileNamePart(toNativePath(path))));
    state_.log().appendLog(toNativePath(path) + " Was successfully loaded.");
    state_.folders.remember(FileKind::Archive, path);
    splash_->close();
}

// A failed load leaves the archive that was loaded before loaded, and the box shows its path
// again (empty when there was none).
void frmTrafficExtrac::reportLoadFailure(int number, const QString& description) {
    splash_->close();
    showLoadedArchivePath();
    dialogs_.message(MessageIcon::Exclamation, kAppTitle, loadErrorMessage(number, description));
}

void frmTrafficExtrac::showLoadedArchivePath() {
    if (state_.hasReader()) fileTab->showArchivePath(fromNativePath(state_.reader().fileName()));
}

}  // namespace sorvane::app
