// The history window's day panel: a click on a date opens its verdict beside the picture, read
// through the window's runner; a click on one of its faults marks the detector's row and opens
// its day chart. (The window itself is in history_window.cpp.)
#include <QSplitter>
#include <algorithm>
#include <memory>

#include "app/history/day_panel.h"
#include "app/history/history_window.h"
#include "app/history/repair_list_panel.h"
#include "app/qt_text.h"
#include "app/widget_factory.h"

namespace sorvane::app {

void HistoryWindow::layOutDayPanel(QSplitter* splitter) {
    dayPanel_ = new DayPanel(this);
    splitter->addWidget(dayPanel_);
    splitter->setStretchFactor(splitter->indexOf(dayPanel_), 1);
    dayPanel_->hide();
    // After the repair list in the tab order: the faults, the verdict's text, Close.
    QList<QWidget*> order{repairList_};
    for (const char* name : {"dayFaultsList", "dayVerdictText", "closeDayPanelButton"})
        order.append(dayPanel_->findChild<QWidget*>(QLatin1String(name)));
    setReadingOrder(order);
    connect(historyGrid_, &HistoryGridView::dateClicked, this, &HistoryWindow::openDayPanel);
    connect(dayPanel_, &DayPanel::detectorChosen, this, &HistoryWindow::dayFaultChosen);
    // What is read for a closed panel is not shown.
    connect(dayPanel_, &DayPanel::closed, this, [this] { ++dayReads_; });
}

void HistoryWindow::openDayPanel(int column) {
    const history::Calendar& calendar = historyGrid_->calendar();
    if (column < 0 || static_cast<size_t>(column) >= calendar.dates.size()) return;
    const std::string date = calendar.dates[static_cast<size_t>(column)];
    const int read = ++dayReads_;
    if (dayPanel_->isHidden()) {
        // The panel opens with some three tenths of the width; the repair list keeps what it
        // needs.
        auto* splitter = static_cast<QSplitter*>(dayPanel_->parentWidget());
        QList<int> sizes = splitter->sizes();
        int total = sizes[0] + sizes[1];
        dayPanel_->show();
        splitter->setSizes({total * 45 / 100, total * 25 / 100, total * 30 / 100});
    }
    if (historyGrid_->gridColumnOf(column) < 0) {
        dayPanel_->showNothing(date, QStringLiteral("Not in the ledger."));
        return;
    }
    dayPanel_->showReading(date);
    using Verdict = std::shared_ptr<const std::optional<history::DayVerdict>>;
    jobs_.start(
        "the day's verdict",
        [ledger = toNativePath(ledger_), date](const JobControl&) -> Verdict {
            history::LedgerStore store(ledger, history::LedgerStore::Access::Read);
            return std::make_shared<const std::optional<history::DayVerdict>>(
                history::readDayVerdict(store, date));
        },
        [this, read, date](const Verdict& verdict) {
            if (read != dayReads_) return;  // another date was asked for since
            if (*verdict) {
                dayPanel_->showVerdict(**verdict);
            } else {
                dayPanel_->showNothing(date, QStringLiteral("Not in the ledger."));
            }
        },
        [this, read, date](const Failure& failure) {
            if (read == dayReads_) dayPanel_->showNothing(date, toQString(failure.description));
        });
}

// A new read of the ledger (days added, another window) reads the open panel's date again.
void HistoryWindow::refreshDayPanel() {
    if (dayPanel_->isHidden()) return;
    const std::vector<std::string>& dates = historyGrid_->calendar().dates;
    auto at = std::lower_bound(dates.begin(), dates.end(), dayPanel_->date());
    if (at != dates.end() && *at == dayPanel_->date())
        openDayPanel(static_cast<int>(at - dates.begin()));
}

void HistoryWindow::dayFaultChosen(int16_t det) {
    historyGrid_->showDetector(det);
    openDayChartOn(det, dayPanel_->date());
}

}  // namespace sorvane::app
