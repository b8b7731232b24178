#include "app/history/history_window.h"

#include <QCloseEvent>
#include <QDateEdit>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QProgressBar>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSplitter>
#include <QVBoxLayout>
#include <algorithm>

#include "app/app_state.h"
#include "app/error_messages.h"
#include "app/history/cell_details.h"
#include "app/history/day_panel.h"
#include "app/history/history_legend.h"
#include "app/history/ledger_days_dialog.h"
#include "app/history/ledger_worker.h"
#include "app/history/remembered_ledger.h"
#include "app/history/repair_list_panel.h"
#include "app/history/row_order.h"
#include "app/qt_text.h"
#include "app/widget_factory.h"
#include "common/error.h"
#include "history/ledger_location.h"

namespace sorvane::app {

namespace {

QDate dateOf(const std::string& text) {
    return QDate::fromString(QString::fromStdString(text), Qt::ISODate);
}

std::string textOf(const QDate& date) {
    return date.toString(Qt::ISODate).toStdString();
}

}  // namespace

HistoryWindow::HistoryWindow(AppState& state, Dialogs& dialogs, const TabChoices& choices,
                             QWidget* owner)
    : QWidget(owner, Qt::Window),
      state_(state),
      dialogs_(dialogs),
      choices_(choices),
      worker_(new LedgerWorker(jobs_, this)) {
    setObjectName(QStringLiteral("HistoryWindow"));
    openLedgerButton_ = makeButton(this, "openLedgerButton", QStringLiteral("Open Database..."));
    serverLedgerButton_ =
        makeButton(this, "serverLedgerButton", QStringLiteral("Server Ledger..."));
    newLedgerButton_ = makeButton(this, "newLedgerButton", QStringLiteral("New Database..."));
    addArchivesButton_ = makeButton(this, "addArchivesButton", QStringLiteral("Add Archives..."));
    ledgerDaysButton_ = makeButton(this, "ledgerDaysButton", QStringLiteral("Days..."));
    ledgerDaysButton_->setEnabled(false);
    exportCsvButton_ = makeButton(this, "exportCsvButton", QStringLiteral("Export CSV..."));
    fromDate_ = makeControl<QDateEdit>(this, "fromDate");
    toDate_ = makeControl<QDateEdit>(this, "toDate");
    for (QDateEdit* edit : {fromDate_, toDate_}) {
        edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        edit->setCalendarPopup(true);
        edit->setEnabled(false);
    }
    repairOrderOption_ = makeOption(this, "repairOrderOption", QStringLiteral("Repair list order"));
    numberOrderOption_ =
        makeOption(this, "numberOrderOption", QStringLiteral("Detector number order"));
    repairOrderOption_->setChecked(true);
    progressLabel_ = makeLabel(this, "progressLabel", QString());
    daysProgress_ = makeControl<QProgressBar>(this, "daysProgress");
    daysProgress_->hide();
    summaryLabel_ = makeLabel(this, "summaryLabel", QString());
    historyGrid_ = new HistoryGridView(this);
    repairList_ = new RepairListPanel(this);
    exportCsvButton_->setEnabled(false);
    layOut();

    historyGrid_->cellToolTip = [this](const HistoryGridView::Cell& cell) {
        return cellToolTip(cell);
    };
    historyGrid_->dateToolTip = [this](int column) { return dateToolTip(column); };
    connect(historyGrid_, &HistoryGridView::cellClicked, this, &HistoryWindow::openDayChart);
    connectRepairList();
    const std::pair<QPushButton*, void (HistoryWindow::*)()> handlers[] = {
        {openLedgerButton_, &HistoryWindow::openLedger},
        {newLedgerButton_, &HistoryWindow::newLedger},
        {addArchivesButton_, &HistoryWindow::addArchives},
        {serverLedgerButton_, &HistoryWindow::openServerLedger},
        {ledgerDaysButton_, &HistoryWindow::openDays},
    };
    for (auto [button, handler] : handlers) {
        connect(button, &QPushButton::clicked, this, [this, handler = handler] {
            showingErrors(dialogs_, "the history", [&] { (this->*handler)(); });
        });
    }
    connect(fromDate_, &QDateEdit::dateChanged, this, &HistoryWindow::datesChosen);
    connect(toDate_, &QDateEdit::dateChanged, this, &HistoryWindow::datesChosen);
    connect(repairOrderOption_, &QRadioButton::toggled, this, &HistoryWindow::showRows);
    connect(worker_, &LedgerWorker::windowRead, this, &HistoryWindow::showRead);
    connect(worker_, &LedgerWorker::readFailed, this, [this](const QString& message) {
        dialogs_.message(MessageIcon::Exclamation, kAppTitle, message);
    });
    connect(worker_, &LedgerWorker::dayAdded, this, &HistoryWindow::dayAdded);
    connect(worker_, &LedgerWorker::addingFinished, this,
            [this](const std::shared_ptr<const AddRun>& run) { addingFinished(*run); });

    resize(1100, 720);
    openLedger(rememberedLedger(state_));
    // A ledger the settings name but that is gone is said so; the program's own default ledger
    // is only made when days are first added.
    if (hasRememberedLedger(state_) && !ledgerExists()) {
        dialogs_.message(MessageIcon::Exclamation, kAppTitle,
                         QStringLiteral("The ledger ") + ledger_ +
                             QStringLiteral(" does not exist. Adding archives creates it."));
    }
}

HistoryWindow::~HistoryWindow() = default;

void HistoryWindow::layOut() {
    auto* commands = new QHBoxLayout;
    for (QWidget* w :
         {static_cast<QWidget*>(openLedgerButton_), static_cast<QWidget*>(serverLedgerButton_),
          static_cast<QWidget*>(newLedgerButton_), static_cast<QWidget*>(addArchivesButton_),
          static_cast<QWidget*>(ledgerDaysButton_), static_cast<QWidget*>(exportCsvButton_)})
        commands->addWidget(w);
    commands->addStretch(1);
    commands->addWidget(makeLabel(this, "fromLabel", QStringLiteral("From:"), fromDate_));
    commands->addWidget(fromDate_);
    commands->addWidget(makeLabel(this, "toLabel", QStringLiteral("To:"), toDate_));
    commands->addWidget(toDate_);
    layOutDatePresets(commands);

    auto* rows = new QHBoxLayout;
    rows->addWidget(makeLabel(this, "rowsLabel", QStringLiteral("Rows:")));
    rows->addWidget(repairOrderOption_);
    rows->addWidget(numberOrderOption_);
    layOutNetworkRows(rows);
    rows->addSpacing(24);
    rows->addWidget(progressLabel_);
    rows->addWidget(daysProgress_, 1);
    rows->addStretch(0);

    auto* repair = new QWidget(this);
    auto* repairLayout = new QVBoxLayout(repair);
    repairLayout->setContentsMargins(0, 0, 0, 0);
    repairLayout->addWidget(repairList_);

    auto* splitter = new QSplitter(this);
    splitter->addWidget(historyGrid_);
    splitter->addWidget(repair);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 1);
    layOutDayPanel(splitter);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(commands);
    layout->addLayout(rows);
    layout->addWidget(summaryLabel_);
    layout->addWidget(splitter, 1);
    layout->addWidget(new HistoryLegend(this));
}

bool HistoryWindow::adding() const {
    return worker_->adding();
}

// Shows the ledger at `path` (empty while the file is not there) and reads it.
void HistoryWindow::openLedger(const QString& path) {
    ledger_ =
        history::isServerLedger(path.toStdString()) ? path : QFileInfo(path).absoluteFilePath();
    setWindowTitle(QStringLiteral("Health History - ") +
                   toQString(history::ledgerCaption(location())));
    lookups_.reset();
    shown_.reset();
    wholeLedger_ = true;
    historyGrid_->setGrid(std::make_shared<history::LedgerGrid>(), {}, {});
    dayPanel_->hide();
    ++dayReads_;  // a day of the ledger before is not shown
    repairList_->showReport(nullptr);
    summaryLabel_->clear();
    exportCsvButton_->setEnabled(false);
    ledgerDaysButton_->setEnabled(false);
    for (QDateEdit* edit : {fromDate_, toDate_})
        edit->setEnabled(false);
    if (daysDialog_ != nullptr) daysDialog_->close();
    refresh();
}

void HistoryWindow::refresh() {
    if (ledgerExists()) worker_->startReading(location(), chosenWindow());
}

// Open ends while From and To span the whole ledger, so that days added at either end show.
history::DateWindow HistoryWindow::chosenWindow() const {
    if (wholeLedger_ || !fromDate_->isEnabled()) return {};
    return {textOf(fromDate_->date()), textOf(toDate_->date())};
}

void HistoryWindow::showRead(std::shared_ptr<const LedgerRead> read) {
    shown_ = std::move(read);
    showDateRange(shown_->ledgerDates);
    markLedgerDates(shown_->ledgerDates);
    showPreset();
    showNetworkChoices();
    showRows();
    refreshDayPanel();
    repairList_->showReport(
        std::shared_ptr<const history::HistoryReport>(shown_, &shown_->window.report));
    summaryLabel_->setText(reportSummary(shown_->window.report));
    exportCsvButton_->setEnabled(true);
    ledgerDaysButton_->setEnabled(true);
    if (daysDialog_ != nullptr && daysDialog_->isVisible()) daysDialog_->refresh();
    emit refreshed();
}

// The selectors offer the ledger's dates; while they span all of it they follow it as it grows.
void HistoryWindow::showDateRange(const std::vector<std::string>& ledgerDates) {
    QSignalBlocker fromBlocker(fromDate_);
    QSignalBlocker toBlocker(toDate_);
    bool any = !ledgerDates.empty();
    for (QDateEdit* edit : {fromDate_, toDate_}) {
        edit->setEnabled(any);
        if (any) edit->setDateRange(dateOf(ledgerDates.front()), dateOf(ledgerDates.back()));
    }
    if (any && wholeLedger_) {
        fromDate_->setDate(fromDate_->minimumDate());
        toDate_->setDate(toDate_->maximumDate());
    }
}

// A From after To moves the other end along.
void HistoryWindow::datesChosen() {
    {
        QSignalBlocker fromBlocker(fromDate_);
        QSignalBlocker toBlocker(toDate_);
        if (fromDate_->date() > toDate_->date()) {
            if (sender() == fromDate_) {
                toDate_->setDate(fromDate_->date());
            } else {
                fromDate_->setDate(toDate_->date());
            }
        }
    }
    wholeLedger_ =
        fromDate_->date() == fromDate_->minimumDate() && toDate_->date() == toDate_->maximumDate();
    showPreset();
    refresh();
}

// The picture's columns are the window's calendar, so that the dates the ledger lacks are seen.
void HistoryWindow::showRows() {
    if (!shown_) return;
    const history::LedgerWindow& window = shown_->window;
    history::Calendar calendar = history::calendarOf(window.grid.dates, window.report.window);
    std::vector<bool> outageDates(calendar.dates.size(), false);
    for (const history::DatedOutage& o : window.report.outages) {
        auto at = std::lower_bound(calendar.dates.begin(), calendar.dates.end(), o.date);
        if (at != calendar.dates.end() && *at == o.date)
            outageDates[static_cast<size_t>(at - calendar.dates.begin())] = true;
    }
    RowOrder order = repairOrderOption_->isChecked()    ? RowOrder::RepairList
                     : networkOrderOption_->isChecked() ? RowOrder::Network
                                                        : RowOrder::Number;
    GridRows rows = gridRows(*shown_, order, abandonedCheck_->isChecked());
    historyGrid_->setGrid(std::shared_ptr<const history::LedgerGrid>(shown_, &window.grid),
                          std::move(rows.rows), std::move(outageDates), std::move(calendar),
                          std::move(rows.headings));
}

void HistoryWindow::closeEvent(QCloseEvent* event) {
    if (!shuttingDown_ && !mayCloseWhileAdding()) {
        event->ignore();
        return;
    }
    // The days in progress are finished whole; the others are left out.
    worker_->stopAdding();
    event->accept();
}

void HistoryWindow::stopForShutdown() {
    shuttingDown_ = true;
    worker_->stopAdding();
}

}  // namespace sorvane::app
