// What the history window tells of a cell and a date: the tooltips, and a click to the day's
// chart. They look a record up through a connection of the window's own.
#include <QFileInfo>
#include <algorithm>

#include "app/app_state.h"
#include "app/charts/chart_window.h"
#include "app/dialogs.h"
#include "app/history/cell_details.h"
#include "app/history/day_chart.h"
#include "app/history/day_panel.h"
#include "app/history/history_window.h"
#include "app/history/ledger_worker.h"
#include "app/qt_text.h"
#include "common/error.h"
#include "history/ledger_location.h"

namespace sorvane::app {

history::LedgerStore* HistoryWindow::lookups() {
    // A server is connected to from the window's thread only once a read has reached it: one
    // that cannot be reached would hold the window up until the connection times out.
    bool reachable = shown_ != nullptr || !history::isServerLedger(location());
    if (!lookups_ && ledgerExists() && reachable) {
        try {
            lookups_ = std::make_unique<history::LedgerStore>(location(),
                                                              history::LedgerStore::Access::Read);
        } catch (const SorvaneError&) {
            return nullptr;  // the read of the window says why
        }
    }
    return lookups_.get();
}

QString HistoryWindow::cellToolTip(const HistoryGridView::Cell& cell) {
    const history::LedgerGrid* grid = historyGrid_->grid();
    history::LedgerStore* ledger = lookups();
    if (grid == nullptr || ledger == nullptr) return {};
    const std::string& date = historyGrid_->calendar().dates[static_cast<size_t>(cell.column)];
    if (historyGrid_->gridColumnOf(cell.column) < 0) {
        return QStringLiteral("Date: ") + toQString(date) + QStringLiteral("\nDetector: ") +
               QString::number(cell.det) + QStringLiteral("\nnot in the ledger");
    }
    // Where the detector sits, after its record, by the inventory in force that day.
    QString network =
        shown_ ? networkDetails(shown_->inventories.inForce(date), cell.det) : QString();
    if (!network.isEmpty()) network.prepend(QLatin1Char('\n'));
    try {
        if (std::optional<history::DetectorDayRecord> record = ledger->detectorDay(date, cell.det))
            return cellDetails(*record) + network;
    } catch (const SorvaneError& e) {
        return toQString(e.description());
    }
    return QStringLiteral("Date: ") + toQString(date) + QStringLiteral("\nDetector: ") +
           QString::number(cell.det) + QStringLiteral("\nNo record that day") + network;
}

QString HistoryWindow::dateToolTip(int column) const {
    if (!shown_) return {};
    const std::string& date = historyGrid_->calendar().dates[static_cast<size_t>(column)];
    if (historyGrid_->gridColumnOf(column) < 0)
        return toQString(date) + QStringLiteral("\nnot in the ledger");
    return dateDetails(date, shown_->window.report.outages);
}

void HistoryWindow::openDayChart(int16_t det, int column) {
    const history::LedgerGrid* grid = historyGrid_->grid();
    const int gridColumn = historyGrid_->gridColumnOf(column);
    if (grid == nullptr || gridColumn < 0) return;
    auto row = std::lower_bound(grid->detectors.begin(), grid->detectors.end(), det);
    size_t rowIndex = static_cast<size_t>(row - grid->detectors.begin());
    if (grid->at(rowIndex, static_cast<size_t>(gridColumn)) == history::CellVerdict::NoRecord)
        return;
    openDayChartOn(det, grid->dates[static_cast<size_t>(gridColumn)]);
}

void HistoryWindow::openDayChartOn(int16_t det, const std::string& date) {
    history::LedgerStore* ledger = lookups();
    if (ledger == nullptr) return;
    std::optional<std::string> archive;
    try {
        archive = ledger->archiveOf(date);
    } catch (const SorvaneError& e) {
        dialogs_.message(MessageIcon::Exclamation, kAppTitle, toQString(e.description()));
        return;
    }
    // The chart belongs to the main window, like every other chart.
    if (archive)
        showDayChart(jobs_, *archive, date, det, state_.log(),
                     {dialogs_, state_.folders, parentWidget()});
}

}  // namespace sorvane::app
