// The history window's repair list at work: the picture follows its selection, Enter opens a
// detector's last bad day, its days open side by side with a strip of chosen days, and the list
// as shown or every detector goes into a CSV file.

#include <QAction>
#include <QMenu>
#include <QPushButton>

#include "app/app_state.h"
#include "app/dialogs.h"
#include "app/error_messages.h"
#include "app/history/day_chart.h"
#include "app/history/day_strip_window.h"
#include "app/history/detector_days_window.h"
#include "app/history/history_window.h"
#include "app/history/ledger_worker.h"
#include "app/history/repair_list_panel.h"
#include "app/qt_text.h"
#include "common/error.h"
#include "common/log.h"
#include "common/output_destination.h"
#include "common/text_file.h"
#include "history/detector_days.h"
#include "history/repair_list.h"

namespace sorvane::app {

void HistoryWindow::connectRepairList() {
    connect(repairList_, &RepairListPanel::detectorChosen, historyGrid_,
            &HistoryGridView::showDetector);
    connect(repairList_, &RepairListPanel::dayChartAsked, this, &HistoryWindow::openLastBadDay);
    connect(repairList_, &RepairListPanel::daysAsked, this, [this](int16_t det) {
        showingErrors(dialogs_, "the detector's days", [&] { openDetectorDays(det); });
    });

    // "Export CSV..." offers the list as shown and every detector.
    auto* menu = new QMenu(exportCsvButton_);
    menu->setObjectName(QStringLiteral("exportCsvMenu"));
    QAction* shown = menu->addAction(QStringLiteral("The Repair List as Shown..."));
    shown->setObjectName(QStringLiteral("exportShownAction"));
    QAction* every = menu->addAction(QStringLiteral("Every Detector..."));
    every->setObjectName(QStringLiteral("exportEveryAction"));
    exportCsvButton_->setMenu(menu);
    connect(shown, &QAction::triggered, this,
            [this] { showingErrors(dialogs_, "the history", [&] { exportRepairList(); }); });
    connect(every, &QAction::triggered, this,
            [this] { showingErrors(dialogs_, "the history", [&] { exportCsv(); }); });
}

// The window's first and last dates, as the report has them.
std::pair<std::string, std::string> HistoryWindow::shownDates() const {
    if (!shown_ || shown_->window.report.dates.empty()) return {};
    const history::HistoryReport& report = shown_->window.report;
    return {report.window.from.empty() ? report.dates.front() : report.window.from,
            report.window.to.empty() ? report.dates.back() : report.window.to};
}

// The rows shown, in their order, as `sorvane-cli history report --csv` writes them.
void HistoryWindow::exportRepairList() {
    if (!shown_) return;
    FileDialogRequest request =
        fileRequestFor(QStringLiteral("Export the repair list"), QStringLiteral("csv"));
    request.confirmOverwrite = true;
    request.folder = state_.folders.folderFor(FileKind::Csv);
    auto [from, to] = shownDates();
    request.initialName =
        QStringLiteral("repair-list-%1-%2.csv").arg(toQString(from), toQString(to));
    std::optional<QString> path = dialogs_.saveFile(request);
    if (!path) return;
    state_.folders.remember(FileKind::Csv, *path);
    std::string destination = toNativePath(*path);
    refuseOutputOverInputs(destination, {{"the ledger", toNativePath(ledger_)}});
    writeWholeFile(destination,
                   history::repairListCsv(shown_->window.report, repairList_->shownDetectors()));
    dialogs_.message(MessageIcon::Information, kAppTitle,
                     QStringLiteral("The repair list was saved in ") + *path);
}

void HistoryWindow::openLastBadDay(int16_t det) {
    if (!shown_) return;
    for (const history::DetectorSummary& s : shown_->window.report.repairList) {
        if (s.det != det) continue;
        if (s.lastBad.empty()) {  // drifting or off its lane share, never bad
            dialogs_.message(MessageIcon::Information, kAppTitle,
                             QStringLiteral("Detector %1 has no bad day in the window.").arg(det));
        } else {
            openDayChartOn(det, s.lastBad);
        }
        return;
    }
}

// One detector's days are one indexed read of the ledger: quick enough for the window's thread.
DetectorDaysWindow* HistoryWindow::openDetectorDays(int16_t det) {
    history::LedgerStore* ledger = lookups();
    auto [from, to] = shownDates();
    if (ledger == nullptr || from.empty()) return nullptr;
    std::vector<history::DetectorDayPoint> days;
    ledger->readConsistently([&] { days = history::readDetectorDays(*ledger, det, from, to); });
    auto* window = new DetectorDaysWindow(det, from, to, std::move(days),
                                          {dialogs_, state_.folders, parentWidget()});
    connect(window, &DetectorDaysWindow::stripAsked, this,
            [this](int16_t d, const QStringList& dates, bool fiveMinutes) {
                showingErrors(dialogs_, "the strip", [&] { openStrip(d, dates, fiveMinutes); });
            });
    window->show();
    return window;
}

// Each day's archive is read by a reader of its own in a job of the window, as a day chart is.
void HistoryWindow::openStrip(int16_t det, const QStringList& dates, bool fiveMinutes) {
    history::LedgerStore* ledger = lookups();
    if (ledger == nullptr || dates.isEmpty()) return;
    std::vector<std::pair<std::string, std::string>> archives;  // date, archive
    QStringList unrecorded;
    for (const QString& date : dates) {
        std::optional<std::string> archive = ledger->archiveOf(date.toStdString());
        if (archive) {
            archives.emplace_back(date.toStdString(), *archive);
        } else {
            unrecorded.append(date);
        }
    }
    ChartContext context{dialogs_, state_.folders, parentWidget()};
    jobs_.start(
        "the strip",
        [archives, det, fiveMinutes, &log = state_.log()](const JobControl& control) {
            std::pair<std::vector<StripDay>, std::vector<std::string>> read;  // and those gone
            read.first = readStripDays(
                archives, det, fiveMinutes, log, [&] { control.throwIfCancelled(); }, read.second);
            return read;
        },
        [det, fiveMinutes, context,
         unrecorded](std::pair<std::vector<StripDay>, std::vector<std::string>> read) {
            QStringList missing = unrecorded + toQStringList(read.second);
            if (!missing.isEmpty()) {
                context.dialogs.message(
                    MessageIcon::Exclamation, kAppTitle,
                    QStringLiteral("The archives of these days are no longer there: ") +
                        missing.join(QStringLiteral(", ")));
            }
            if (read.first.empty()) return;
            (new DayStripWindow(det, std::move(read.first), fiveMinutes, context))->show();
        },
        [context](const Failure& failure) {
            context.dialogs.message(
                MessageIcon::Exclamation, kAppTitle,
                QStringLiteral("The archives of the strip cannot be read.\r\n") +
                    toQString(errorNoText(failure.number, failure.description)) +
                    QStringLiteral("."));
        });
}

}  // namespace sorvane::app
