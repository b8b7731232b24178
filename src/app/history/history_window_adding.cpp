// "Add Archives...": days tested with the parameters of the "Det Health Param" tab and added to
// the ledger off the window's thread, with a progress bar by day and the picture refreshed as
// days arrive.
#include <QDate>
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
#include "history/ledger_file.h"
#include "history/ledger_location.h"

namespace sorvane::app {

namespace {

constexpr char kStopped[] = "not begun: adding was stopped";

QString joined(const QStringList& lines) {
    return lines.join(QStringLiteral("\r\n"));
}

// What the ledger records for a date it holds, as `sorvane-cli history add` names it.
QString recordOf(const history::LedgerDay& held) {
    return toQString(held.archive) + QStringLiteral(", tested ") + toQString(held.testedAt);
}

}  // namespace

// The archives with their dates: the file name's, else the date the user gives (as --date
// does); the others, with the reason, go to refusedBeforeAdding_.
std::vector<history::DayToAdd> HistoryWindow::datedDays(const QStringList& paths) {
    std::vector<history::DayToAdd> days;
    std::map<std::string, QString> archiveOfDate;
    QDate suggested =
        shown_ && !shown_->ledgerDates.empty()
            ? QDate::fromString(toQString(shown_->ledgerDates.back()), Qt::ISODate).addDays(1)
            : QDate::currentDate().addDays(-1);
    for (const QString& path : paths) {
        std::string archive = toNativePath(QFileInfo(path).absoluteFilePath());
        std::optional<std::string> date = history::archiveDate(archive);
        if (!date) {
            std::optional<QDate> given = dialogs_.askDate(
                QStringLiteral("Date of the archive"),
                QStringLiteral("The name of ") + path +
                    QStringLiteral(" does not begin with a date YYYYMMDD.\r\nWhich day does it "
                                   "hold?"),
                suggested);
            if (!given) {
                refusedBeforeAdding_.append(path + QStringLiteral(": the file name does not begin "
                                                                  "with a date YYYYMMDD and no "
                                                                  "date was given"));
                continue;
            }
            date = given->toString(Qt::ISODate).toStdString();
            suggested = given->addDays(1);
        }
        // Which of two archives of one date would stay in the ledger would depend on timing.
        auto [it, isNew] = archiveOfDate.emplace(*date, path);
        if (!isNew) {
            refusedBeforeAdding_.append(path + QStringLiteral(": dated ") + toQString(*date) +
                                        QStringLiteral(" like ") + it->second);
            continue;
        }
        days.push_back({archive, *date});
    }
    return days;
}

// A date the ledger holds is replaced only when the user says so, in a message naming what
// is on record; else it is left out. False when the user cancels the whole add.
bool HistoryWindow::settleHeldDates(std::vector<history::DayToAdd>& days, bool& replace) {
    replace = false;
    history::LedgerStore* ledger = lookups();
    if (ledger == nullptr) return true;
    std::map<std::string, history::LedgerDay> held;
    for (history::LedgerDay& day : ledger->days({}))
        held.emplace(day.date, std::move(day));
    QStringList lines;
    for (const history::DayToAdd& day : days) {
        auto it = held.find(day.date);
        if (it != held.end())
            lines.append(toQString(day.date) + QStringLiteral(": ") + recordOf(it->second));
    }
    if (lines.isEmpty()) return true;
    int choice = dialogs_.ask(
        MessageIcon::Exclamation, kAppTitle,
        QStringLiteral("The ledger holds these dates already:\r\n") + joined(lines) +
            QStringLiteral("\r\nReplace them with the archives chosen, or keep the days on "
                           "record and add only the other archives?"),
        {QStringLiteral("Replace"), QStringLiteral("Keep the days on record"),
         QStringLiteral("Cancel")});
    if (choice == 2) return false;
    replace = choice == 0;
    if (replace) return true;
    std::erase_if(days, [&](const history::DayToAdd& day) {
        auto it = held.find(day.date);
        if (it == held.end()) return false;
        refusedBeforeAdding_.append(fromNativePath(day.archive) +
                                    QStringLiteral(": the ledger holds ") + toQString(day.date) +
                                    QStringLiteral(" already (") + recordOf(it->second) +
                                    QStringLiteral(")"));
        return true;
    });
    return true;
}

void HistoryWindow::addArchives() {
    // A ledger that cannot be written is said so before anything is chosen or tested.
    if (!history::isServerLedger(location())) {
        try {
            history::ledgerFileToWrite(location());
        } catch (const SorvaneError& e) {
            dialogs_.message(
                MessageIcon::Exclamation, kAppTitle,
                QStringLiteral("No archive can be added: ") + toQString(e.description()));
            return;
        }
    }
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
    std::vector<history::DayToAdd> days = datedDays(*paths);
    bool replace = false;
    if (!settleHeldDates(days, replace)) return;
    if (days.empty()) {
        if (!refusedBeforeAdding_.isEmpty())
            dialogs_.message(MessageIcon::Exclamation, kAppTitle,
                             QStringLiteral("These archives were not added:\r\n") +
                                 joined(refusedBeforeAdding_));
        return;
    }
    daysProgress_->setRange(0, static_cast<int>(days.size()));
    dayAdded(0, static_cast<int>(days.size()));
    setAdding(true);
    worker_->startAdding(location(), std::move(days), options, replace);
}

void HistoryWindow::setAdding(bool adding) {
    daysProgress_->setVisible(adding);
    // The ledger stays the same while days go into it.
    for (QPushButton* button :
         {addArchivesButton_, openLedgerButton_, newLedgerButton_, serverLedgerButton_})
        button->setEnabled(!adding);
}

void HistoryWindow::dayAdded(int done, int total) {
    daysProgress_->setValue(done);
    progressLabel_->setText(QStringLiteral("Adding archives: ") + QString::number(done) +
                            QStringLiteral(" of ") + QString::number(total) +
                            QStringLiteral(" days"));
    if (done > 0) refresh();
}

// Closing the window while days go in asks first; a stop finishes the days in progress whole
// and leaves out the others, which the summary names.
bool HistoryWindow::mayCloseWhileAdding() {
    if (!adding()) return true;
    int choice = dialogs_.ask(
        MessageIcon::Exclamation, kAppTitle,
        progressLabel_->text() +
            QStringLiteral(".\r\nStop adding? The days in progress are finished whole; the "
                           "archives not yet begun are not added."),
        {QStringLiteral("Stop adding"), QStringLiteral("Keep adding")});
    if (choice != 0) return false;
    worker_->stopAdding();
    return true;
}

void HistoryWindow::addingFinished(const AddRun& run) {
    setAdding(false);
    QStringList notAdded = refusedBeforeAdding_;
    int added = 0;
    bool stopped = false;
    for (const history::DayAddResult& r : run.results) {
        if (r.outcome == history::AddOutcome::Added) {
            ++added;
        } else {
            stopped = stopped || r.outcome == history::AddOutcome::Cancelled;
            notAdded.append(fromNativePath(r.day.archive) + QStringLiteral(": ") +
                            (r.outcome == history::AddOutcome::Cancelled
                                 ? QString::fromLatin1(kStopped)
                                 : toQString(r.message)));
        }
        state_.log().appendLog(r.logText);
    }
    QString summary = QString::number(added) + QStringLiteral(" days added");
    if (stopped)
        summary += QStringLiteral(", ") + QString::number(notAdded.size()) +
                   QStringLiteral(" archives not added (adding was stopped)");
    progressLabel_->setText(summary);
    if (shuttingDown_) return;
    refresh();
    if (!run.failure.isEmpty()) {
        dialogs_.message(MessageIcon::Exclamation, kAppTitle, run.failure);
    } else if (stopped) {
        // Also after the window closed: the user stopped the add and is owed what it left out.
        dialogs_.message(
            MessageIcon::Information, kAppTitle,
            summary + QStringLiteral(".\r\nThese archives were not added:\r\n") + joined(notAdded));
    } else if (!notAdded.isEmpty() && isVisible()) {
        dialogs_.message(MessageIcon::Exclamation, kAppTitle,
                         QStringLiteral("These archives were not added:\r\n") + joined(notAdded));
    }
}

}  // namespace sorvane::app
