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
#include "app/history/history_legend.h"
#include "app/history/ledger_worker.h"
#include "app/history/remembered_ledger.h"
#include "app/history/repair_list_panel.h"
#include "app/qt_text.h"
#include "app/widget_factory.h"
#include "common/error.h"

namespace sorvane::app {

namespace {

QDate dateOf(const std::string& text) {
    return QDate::fromString(QString::fromStdString(text), Qt::ISODate);
}

std::string textOf(const QDate& date) {
    return date.toString(Qt::ISODate).toStdString();
}

// The grid's rows from top to bottom: the repair list's detectors in its order, then the rest
// by number; or all by number.
std::vector<int> rowOrder(const LedgerRead& read, bool repairOrder) {
    const std::vector<int16_t>& detectors = read.window.grid.detectors;
    std::vector<int> order;
    order.reserve(detectors.size());
    std::vector<bool> placed(detectors.size(), false);
    if (repairOrder) {
        for (const history::DetectorSummary& s : read.window.report.repairList) {
            auto at = std::lower_bound(detectors.begin(), detectors.end(), s.det);
            if (at == detectors.end() || *at != s.det) continue;
            auto row = static_cast<size_t>(at - detectors.begin());
            order.push_back(static_cast<int>(row));
            placed[row] = true;
        }
    }
    for (size_t row = 0; row < detectors.size(); ++row) {
        if (!placed[row]) order.push_back(static_cast<int>(row));
    }
    return order;
}

}  // namespace

frmHistory::frmHistory(AppState& state, Dialogs& dialogs, const TabChoices& choices, QWidget* owner)
    : QWidget(owner, Qt::Window),
      state_(state),
      dialogs_(dialogs),
      choices_(choices),
      worker_(new LedgerWorker(jobs_, this)) {
    setObjectName(QStringLiteral("frmHistory"));
    cmdOpenDatabase = makeButton(this, "cmdOpenDatabase", QStringLiteral("Open Database..."));
    cmdNewDatabase = makeButton(this, "cmdNewDatabase", QStringLiteral("New Database..."));
    cmdAddArchives = makeButton(this, "cmdAddArchives", QStringLiteral("Add Archives..."));
    cmdExportCsv = makeButton(this, "cmdExportCsv", QStringLiteral("Export CSV..."));
    dtpFrom = makeControl<QDateEdit>(this, "dtpFrom");
    dtpTo = makeControl<QDateEdit>(this, "dtpTo");
    for (QDateEdit* edit : {dtpFrom, dtpTo}) {
        edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        edit->setCalendarPopup(true);
        edit->setEnabled(false);
    }
    optRepairOrder = makeOption(this, "optRepairOrder", QStringLiteral("Repair list order"));
    optNumberOrder = makeOption(this, "optNumberOrder", QStringLiteral("Detector number order"));
    optRepairOrder->setChecked(true);
    lblProgress = makeLabel(this, "lblProgress", QString());
    prgDays = makeControl<QProgressBar>(this, "prgDays");
    prgDays->hide();
    lblSummary = makeLabel(this, "lblSummary", QString());
    grdHistory = new HistoryGridView(this);
    lstRepair = new RepairListPanel(this);
    cmdExportCsv->setEnabled(false);
    layOut();

    grdHistory->cellToolTip = [this](const HistoryGridView::Cell& cell) {
        return cellToolTip(cell);
    };
    grdHistory->dateToolTip = [this](int column) { return dateToolTip(column); };
    connect(grdHistory, &HistoryGridView::cellClicked, this, &frmHistory::openDayChart);
    connect(lstRepair, &RepairListPanel::detectorChosen, grdHistory,
            &HistoryGridView::showDetector);
    const std::pair<QPushButton*, void (frmHistory::*)()> handlers[] = {
        {cmdOpenDatabase, &frmHistory::cmdOpenDatabase_Click},
        {cmdNewDatabase, &frmHistory::cmdNewDatabase_Click},
        {cmdAddArchives, &frmHistory::cmdAddArchives_Click},
        {cmdExportCsv, &frmHistory::cmdExportCsv_Click},
    };
    for (auto [button, handler] : handlers) {
        connect(button, &QPushButton::clicked, this, [this, handler = handler] {
            showingErrors(dialogs_, "the history", [&] { (this->*handler)(); });
        });
    }
    connect(dtpFrom, &QDateEdit::dateChanged, this, &frmHistory::datesChosen);
    connect(dtpTo, &QDateEdit::dateChanged, this, &frmHistory::datesChosen);
    connect(optRepairOrder, &QRadioButton::toggled, this, &frmHistory::showRows);
    connect(worker_, &LedgerWorker::windowRead, this, &frmHistory::showRead);
    connect(worker_, &LedgerWorker::readFailed, this, [this](const QString& message) {
        dialogs_.message(MessageIcon::Exclamation, kAppTitle, message);
    });
    connect(worker_, &LedgerWorker::dayAdded, this, &frmHistory::dayAdded);
    connect(worker_, &LedgerWorker::addingFinished, this,
            [this](const std::shared_ptr<const AddRun>& run) { addingFinished(*run); });

    resize(1100, 720);
    openLedger(rememberedLedger(state_));
    // A ledger the settings name but that is gone is said so; the program's own default ledger
    // is only made when days are first added.
    if (hasRememberedLedger(state_) && !QFileInfo::exists(ledger_)) {
        dialogs_.message(MessageIcon::Exclamation, kAppTitle,
                         QStringLiteral("The ledger ") + ledger_ +
                             QStringLiteral(" does not exist. Adding archives creates it."));
    }
}

frmHistory::~frmHistory() = default;

void frmHistory::layOut() {
    auto* commands = new QHBoxLayout;
    for (QWidget* w :
         {static_cast<QWidget*>(cmdOpenDatabase), static_cast<QWidget*>(cmdNewDatabase),
          static_cast<QWidget*>(cmdAddArchives), static_cast<QWidget*>(cmdExportCsv)})
        commands->addWidget(w);
    commands->addStretch(1);
    commands->addWidget(makeLabel(this, "lblFrom", QStringLiteral("From:"), dtpFrom));
    commands->addWidget(dtpFrom);
    commands->addWidget(makeLabel(this, "lblTo", QStringLiteral("To:"), dtpTo));
    commands->addWidget(dtpTo);

    auto* rows = new QHBoxLayout;
    rows->addWidget(makeLabel(this, "lblRows", QStringLiteral("Rows:")));
    rows->addWidget(optRepairOrder);
    rows->addWidget(optNumberOrder);
    rows->addSpacing(24);
    rows->addWidget(lblProgress);
    rows->addWidget(prgDays, 1);
    rows->addStretch(0);

    auto* repair = new QWidget(this);
    auto* repairLayout = new QVBoxLayout(repair);
    repairLayout->setContentsMargins(0, 0, 0, 0);
    repairLayout->addWidget(
        makeLabel(repair, "lblRepair", QStringLiteral("Repair list"), lstRepair));
    repairLayout->addWidget(lstRepair);

    auto* splitter = new QSplitter(this);
    splitter->addWidget(grdHistory);
    splitter->addWidget(repair);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(commands);
    layout->addLayout(rows);
    layout->addWidget(lblSummary);
    layout->addWidget(splitter, 1);
    layout->addWidget(new HistoryLegend(this));
}

bool frmHistory::adding() const {
    return worker_->adding();
}

// Shows the ledger at `path` (empty while the file is not there) and reads it.
void frmHistory::openLedger(const QString& path) {
    ledger_ = QFileInfo(path).absoluteFilePath();
    setWindowTitle(QStringLiteral("Health History - ") + QFileInfo(ledger_).fileName());
    lookups_.reset();
    shown_.reset();
    wholeLedger_ = true;
    grdHistory->setGrid(std::make_shared<history::LedgerGrid>(), {}, {});
    lstRepair->clear();
    lblSummary->clear();
    cmdExportCsv->setEnabled(false);
    for (QDateEdit* edit : {dtpFrom, dtpTo})
        edit->setEnabled(false);
    refresh();
}

void frmHistory::refresh() {
    if (QFileInfo::exists(ledger_)) worker_->startReading(toNativePath(ledger_), chosenWindow());
}

// Open ends while From and To span the whole ledger, so that days added at either end show.
history::DateWindow frmHistory::chosenWindow() const {
    if (wholeLedger_ || !dtpFrom->isEnabled()) return {};
    return {textOf(dtpFrom->date()), textOf(dtpTo->date())};
}

void frmHistory::showRead(std::shared_ptr<const LedgerRead> read) {
    shown_ = std::move(read);
    showDateRange(shown_->ledgerDates);
    showRows();
    lstRepair->showReport(shown_->window.report);
    lblSummary->setText(reportSummary(shown_->window.report));
    cmdExportCsv->setEnabled(true);
    emit refreshed();
}

// The selectors offer the ledger's dates; while they span all of it they follow it as it grows.
void frmHistory::showDateRange(const std::vector<std::string>& ledgerDates) {
    QSignalBlocker fromBlocker(dtpFrom);
    QSignalBlocker toBlocker(dtpTo);
    bool any = !ledgerDates.empty();
    for (QDateEdit* edit : {dtpFrom, dtpTo}) {
        edit->setEnabled(any);
        if (any) edit->setDateRange(dateOf(ledgerDates.front()), dateOf(ledgerDates.back()));
    }
    if (any && wholeLedger_) {
        dtpFrom->setDate(dtpFrom->minimumDate());
        dtpTo->setDate(dtpTo->maximumDate());
    }
}

// A From after To moves the other end along.
void frmHistory::datesChosen() {
    {
        QSignalBlocker fromBlocker(dtpFrom);
        QSignalBlocker toBlocker(dtpTo);
        if (dtpFrom->date() > dtpTo->date()) {
            if (sender() == dtpFrom) {
                dtpTo->setDate(dtpFrom->date());
            } else {
                dtpFrom->setDate(dtpTo->date());
            }
        }
    }
    wholeLedger_ =
        dtpFrom->date() == dtpFrom->minimumDate() && dtpTo->date() == dtpTo->maximumDate();
    refresh();
}

void frmHistory::showRows() {
    if (!shown_) return;
    const history::LedgerWindow& window = shown_->window;
    std::vector<bool> outageDates(window.grid.dates.size(), false);
    for (const history::DatedOutage& o : window.report.outages) {
        auto at = std::lower_bound(window.grid.dates.begin(), window.grid.dates.end(), o.date);
        if (at != window.grid.dates.end() && *at == o.date)
            outageDates[static_cast<size_t>(at - window.grid.dates.begin())] = true;
    }
    grdHistory->setGrid(std::shared_ptr<const history::LedgerGrid>(shown_, &window.grid),
                        rowOrder(*shown_, optRepairOrder->isChecked()), std::move(outageDates));
}

void frmHistory::closeEvent(QCloseEvent* event) {
    // The days in progress are finished whole; the others are left out.
    worker_->stopAdding();
    event->accept();
}

}  // namespace sorvane::app
