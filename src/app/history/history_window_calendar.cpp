// The history window's dates: the From/To presets, the ledger's dates marked in their calendars,
// and the rows grouped by the network. (The window itself is in history_window.cpp.)
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTextCharFormat>
#include <array>

#include "app/history/history_window.h"
#include "app/history/ledger_worker.h"
#include "app/history/verdict_colors.h"
#include "app/widget_factory.h"

namespace sorvane::app {

namespace {

// The presets in their order in the selector: the days up to the ledger's last, 0 for all.
constexpr std::array<int, 4> kPresetDays{0, 7, 30, 365};

}  // namespace

void HistoryWindow::layOutDatePresets(QHBoxLayout* commands) {
    datePreset_ = makeControl<QComboBox>(this, "datePreset");
    datePreset_->addItems({QStringLiteral("All"), QStringLiteral("Last 7 days"),
                           QStringLiteral("Last 30 days"), QStringLiteral("Last 365 days")});
    datePreset_->setPlaceholderText(QStringLiteral("Chosen dates"));
    datePreset_->setEnabled(false);
    commands->addWidget(makeLabel(this, "datePresetLabel", QStringLiteral("Dates:"), datePreset_));
    commands->addWidget(datePreset_);
    QWidget::setTabOrder(toDate_, datePreset_);
    connect(datePreset_, &QComboBox::activated, this, &HistoryWindow::presetChosen);
}

// A preset sets From and To at once, with one read of the ledger.
void HistoryWindow::presetChosen(int preset) {
    if (!fromDate_->isEnabled() || preset < 0 || preset >= static_cast<int>(kPresetDays.size()))
        return;
    const int days = kPresetDays[static_cast<size_t>(preset)];
    const QDate last = toDate_->maximumDate();
    const QDate first = days == 0 ? fromDate_->minimumDate()
                                  : std::max(fromDate_->minimumDate(), last.addDays(1 - days));
    {
        QSignalBlocker fromBlocker(fromDate_);
        QSignalBlocker toBlocker(toDate_);
        toDate_->setDate(last);
        fromDate_->setDate(first);
    }
    wholeLedger_ = first == fromDate_->minimumDate();
    showPreset();
    refresh();
}

// The selector names the preset that From and To are, or shows "Chosen dates".
void HistoryWindow::showPreset() {
    datePreset_->setEnabled(fromDate_->isEnabled());
    int shown = -1;
    if (fromDate_->isEnabled() && toDate_->date() == toDate_->maximumDate()) {
        for (size_t i = 0; i < kPresetDays.size() && shown < 0; ++i) {
            QDate first = kPresetDays[i] == 0
                              ? fromDate_->minimumDate()
                              : std::max(fromDate_->minimumDate(),
                                         toDate_->date().addDays(1 - kPresetDays[i]));
            if (fromDate_->date() == first) shown = static_cast<int>(i);
        }
    }
    QSignalBlocker blocker(datePreset_);
    datePreset_->setCurrentIndex(shown);
}

// The dates the ledger holds are bold on a green ground in the calendars of From and To.
void HistoryWindow::markLedgerDates(const std::vector<std::string>& ledgerDates) {
    QTextCharFormat held;
    held.setFontWeight(QFont::Bold);
    held.setBackground(QColor(verdictColor(history::CellVerdict::Hlth)));
    for (QDateEdit* edit : {fromDate_, toDate_}) {
        QCalendarWidget* calendar = edit->calendarWidget();
        calendar->setDateTextFormat(QDate(), QTextCharFormat());  // clears every mark
        for (const std::string& date : ledgerDates)
            calendar->setDateTextFormat(
                QDate::fromString(QString::fromStdString(date), Qt::ISODate), held);
    }
}

void HistoryWindow::layOutNetworkRows(QHBoxLayout* rows) {
    networkOrderOption_ =
        makeOption(this, "networkOrderOption", QStringLiteral("Corridor and station"));
    abandonedCheck_ = makeCheck(this, "abandonedCheck", QStringLiteral("Abandoned detectors"));
    networkOrderOption_->setToolTip(QStringLiteral(
        "Detectors grouped by corridor, then station in milepost order (needs an inventory)"));
    for (QWidget* w :
         {static_cast<QWidget*>(networkOrderOption_), static_cast<QWidget*>(abandonedCheck_)}) {
        w->setEnabled(false);
        rows->addWidget(w);
    }
    QWidget::setTabOrder(numberOrderOption_, networkOrderOption_);
    QWidget::setTabOrder(networkOrderOption_, abandonedCheck_);
    connect(networkOrderOption_, &QRadioButton::toggled, this, &HistoryWindow::showRows);
    connect(abandonedCheck_, &QCheckBox::toggled, this, &HistoryWindow::showRows);
}

// The network's choices need an inventory in force on the window's last date.
void HistoryWindow::showNetworkChoices() {
    const bool network = shown_ && shown_->window.report.inventory() != nullptr;
    QSignalBlocker blocker(repairOrderOption_);  // the caller shows the rows
    if (!network && networkOrderOption_->isChecked()) repairOrderOption_->setChecked(true);
    networkOrderOption_->setEnabled(network);
    abandonedCheck_->setEnabled(network);
}

}  // namespace sorvane::app
