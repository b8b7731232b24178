// The ledger behind the history window: opening one (a file or a server's), making a new one,
// remembering it, its list of days, and the report of the window as CSV.
#include <QFileInfo>

#include "app/app_state.h"
#include "app/dialogs.h"
#include "app/error_messages.h"
#include "app/history/history_window.h"
#include "app/history/ledger_days_dialog.h"
#include "app/history/ledger_worker.h"
#include "app/history/remembered_ledger.h"
#include "app/history/server_ledger_dialog.h"
#include "app/qt_text.h"
#include "common/output_destination.h"
#include "common/text_file.h"
#include "history/ledger_location.h"
#include "history/report_text.h"

namespace sorvane::app {

namespace {

// Ledger dialogs open in the folder of the ledger shown, else where archives were last chosen.
FileDialogRequest ledgerRequest(const QString& title, const QString& ledger,
                                const RecentFolders& folders) {
    FileDialogRequest request = fileRequestFor(title, QStringLiteral("sqlite"));
    request.folder = ledger.isEmpty() || history::isServerLedger(ledger.toStdString())
                         ? folders.folderFor(FileKind::Archive)
                         : QFileInfo(ledger).absolutePath();
    return request;
}

}  // namespace

std::string HistoryWindow::location() const {
    return history::isServerLedger(ledger_.toStdString()) ? ledger_.toStdString()
                                                          : toNativePath(ledger_);
}

// A server ledger is there as far as the window can tell; its read says otherwise.
bool HistoryWindow::ledgerExists() const {
    return history::isServerLedger(location()) || QFileInfo::exists(ledger_);
}

void HistoryWindow::openServerLedger() {
    if (serverDialog_ == nullptr) {
        serverDialog_ = new ServerLedgerDialog(jobs_, this);
        connect(serverDialog_, &ServerLedgerDialog::chosen, this, [this](const QString& uri) {
            openLedger(uri);
            remember(ledger_);
        });
    }
    QString last = history::isServerLedger(location()) ? ledger_ : rememberedLedger(state_);
    serverDialog_->offer(history::isServerLedger(last.toStdString()) ? last : QString());
}

void HistoryWindow::openDays() {
    if (!ledgerExists()) return;
    if (daysDialog_ == nullptr) {
        daysDialog_ = new LedgerDaysDialog(jobs_, dialogs_, this);
        connect(daysDialog_, &LedgerDaysDialog::daysRemoved, this, &HistoryWindow::refresh);
    }
    daysDialog_->showLedger(location(), toQString(history::ledgerCaption(location())));
    daysDialog_->show();
    daysDialog_->raise();
    daysDialog_->activateWindow();
}

void HistoryWindow::openLedger() {
    FileDialogRequest request =
        ledgerRequest(QStringLiteral("Open a health history database"), ledger_, state_.folders);
    request.mustExist = true;
    std::optional<QString> path = dialogs_.openFile(request);
    if (!path) return;
    // A file that holds no ledger is refused here, and the window keeps the one it shows.
    history::LedgerStore probe(toNativePath(*path), history::LedgerStore::Access::Read);
    openLedger(*path);
    remember(ledger_);
}

void HistoryWindow::newLedger() {
    std::optional<QString> path = dialogs_.saveFile(
        ledgerRequest(QStringLiteral("New health history database"), ledger_, state_.folders));
    if (!path) return;
    // A new database never replaces a file: a ledger there would be lost with its days.
    if (QFileInfo::exists(*path)) {
        dialogs_.message(MessageIcon::Exclamation, kAppTitle,
                         QStringLiteral("The file ") + *path +
                             QStringLiteral(" already exists. Open it with \"Open Database...\" "
                                            "or choose another name."));
        return;
    }
    { history::LedgerStore created(toNativePath(*path), history::LedgerStore::Access::Add); }
    openLedger(*path);
    remember(ledger_);
}

void HistoryWindow::remember(const QString& path) {
    try {
        rememberLedger(state_, path);
    } catch (const SorvaneError& e) {
        dialogs_.message(
            MessageIcon::Exclamation, kAppTitle,
            QStringLiteral("The database will not be remembered: ") + toQString(e.description()));
    }
}

// Exactly the file `sorvane-cli history report --csv` writes for the window shown.
void HistoryWindow::exportCsv() {
    if (!shown_) return;
    FileDialogRequest request =
        fileRequestFor(QStringLiteral("Export the history report"), QStringLiteral("csv"));
    request.confirmOverwrite = true;
    request.folder = state_.folders.folderFor(FileKind::Csv);
    std::optional<QString> path = dialogs_.saveFile(request);
    if (!path) return;
    state_.folders.remember(FileKind::Csv, *path);
    std::string destination = toNativePath(*path);
    if (!history::isServerLedger(location()))
        refuseOutputOverInputs(destination, {{"the ledger", location()}});
    writeWholeFile(destination, history::reportCsv(shown_->window.report));
    dialogs_.message(MessageIcon::Information, kAppTitle,
                     QStringLiteral("The report was saved in ") + *path);
}

}  // namespace sorvane::app
