// "Add Archives...": days tested with the parameters of the "Det Health Param" tab and added to
// the ledger off the window's thread, with a progress bar by day and the picture refreshed as
// days arrive.
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <map>

#include "app/app_state.h"
#include "app/dialogs.h"
#include "app/health_test_texts.h"
#include "app/history/history_window.h"
#include "app/history/ledger_worker.h"
#include "app/qt_text.h"
#include "common/error.h"
#include "health/lane_parameters.h"
#include "health/parameter_sources.h"
#include "health/settings_file.h"
#include "history/archive_date.h"

namespace sorvane::app {

namespace {

// The archives with their dates; the others, with the reason, go to `refused`.
std::vector<history::DayToAdd> datedDays(const QStringList& paths, QStringList& refused) {
    std::vector<history::DayToAdd> days;
    std::map<std::string, QString> archiveOfDate;
    for (const QString& path : paths) {
        std::string archive = toNativePath(QFileInfo(path).absoluteFilePath());
        std::optional<std::string> date = history::archiveDate(archive);
        if (!date) {
            refused.append(path + QStringLiteral(": the file name does not begin with a date "
                                                 "YYYYMMDD"));
            continue;
        }
        // Which of two archives of one date would stay in the ledger would depend on timing.
        auto [it, isNew] = archiveOfDate.emplace(*date, path);
        if (!isNew) {
            refused.append(path + QStringLiteral(": dated ") + toQString(*date) +
                           QStringLiteral(" like ") + it->second);
            continue;
        }
        days.push_back({archive, *date});
    }
    return days;
}

void showRefused(Dialogs& dialogs, const QStringList& refused) {
    dialogs.message(MessageIcon::Exclamation, kAppTitle,
                    QStringLiteral("These archives were not added:\r\n") +
                        refused.join(QStringLiteral("\r\n")));
}

}  // namespace

void HistoryWindow::addArchives() {
    history::AddOptions options;
    // A parameter box that does not hold a number stops here, as it stops the health test.
    try {
        HealthParameterChoice parameters = choices_.healthParameters();
        options.parameters = std::move(parameters.texts);
        options.snapshot = parameters.snapshot;
        // A day with an inventory in force tests each lane type with its section of the settings
        // file, as sorvane-cli history add does.
        options.laneSections = resolveLaneSections(
            {std::nullopt, modUtility::SettingsFilePath(state_.programFolder()), {}});
    } catch (const modBaddet::HealthParameterError& e) {
        dialogs_.message(MessageIcon::Exclamation, kAppTitle,
                         toQString(unusableParameterText(e.description())));
        return;
    } catch (const SorvaneError& e) {
        dialogs_.message(MessageIcon::Exclamation, kAppTitle, toQString(e.description()));
        return;
    }
    FileDialogRequest request = fileRequestFor(QStringLiteral("Select the *.traffic files to add"),
                                               QStringLiteral("traffic"));
    request.mustExist = true;
    request.folder = state_.folders.folderFor(FileKind::Archive);
    std::optional<QStringList> paths = dialogs_.openFiles(request);
    if (!paths || paths->isEmpty()) return;
    state_.folders.remember(FileKind::Archive, paths->constFirst());
    refusedBeforeAdding_.clear();
    std::vector<history::DayToAdd> days = datedDays(*paths, refusedBeforeAdding_);
    if (days.empty()) {
        showRefused(dialogs_, refusedBeforeAdding_);
        return;
    }
    daysProgress_->setRange(0, static_cast<int>(days.size()));
    dayAdded(0, static_cast<int>(days.size()));
    setAdding(true);
    worker_->startAdding(toNativePath(ledger_), std::move(days), options);
}

void HistoryWindow::setAdding(bool adding) {
    daysProgress_->setVisible(adding);
    // The ledger stays the same while days go into it.
    for (QPushButton* button : {addArchivesButton_, openLedgerButton_, newLedgerButton_})
        button->setEnabled(!adding);
}

void HistoryWindow::dayAdded(int done, int total) {
    daysProgress_->setValue(done);
    progressLabel_->setText(QStringLiteral("Adding archives: ") + QString::number(done) +
                            QStringLiteral(" of ") + QString::number(total) +
                            QStringLiteral(" days"));
    if (done > 0) refresh();
}

void HistoryWindow::addingFinished(const AddRun& run) {
    setAdding(false);
    QStringList refused = refusedBeforeAdding_;
    int added = 0;
    for (const history::DayAddResult& r : run.results) {
        if (r.outcome == history::AddOutcome::Added) ++added;
        if (r.outcome == history::AddOutcome::Refused)
            refused.append(fromNativePath(r.day.archive) + QStringLiteral(": ") +
                           toQString(r.message));
        state_.log().appendLog(r.logText);
    }
    progressLabel_->setText(QString::number(added) + QStringLiteral(" days added"));
    refresh();
    // A window closed during the run stopped it: the user knows, and sees nothing more.
    if (!isVisible()) return;
    if (!run.failure.isEmpty()) {
        dialogs_.message(MessageIcon::Exclamation, kAppTitle, run.failure);
    } else if (!refused.isEmpty()) {
        showRefused(dialogs_, refused);
    }
}

}  // namespace sorvane::app
