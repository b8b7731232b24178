#pragma once

#include <QWidget>
#include <memory>

#include "app/history/history_grid_view.h"
#include "app/job_runner.h"
#include "app/tab_choices.h"
#include "health/health_parameters.h"
#include "history/add_days.h"
#include "history/ledger_store.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QHBoxLayout;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSplitter;

namespace sorvane::app {

class AppState;
class DayPanel;
class DetectorDaysWindow;
class Dialogs;
class LedgerDaysDialog;
class LedgerWorker;
class RepairListPanel;
class ServerLedgerDialog;
struct AddRun;
struct LedgerRead;

// "Health History": a ledger of tested days as detectors by day, with the repair list beside
// it, From/To selectors that narrow the window, and archives added while the window stays
// usable. A window of its own, not modal; the main window keeps one and brings it forward.
class HistoryWindow : public QWidget {
    Q_OBJECT
  public:
    // Added archives are tested with the health parameters of `choices` (the "Det Health
    // Param" boxes). Opens the ledger used last.
    HistoryWindow(AppState& state, Dialogs& dialogs, const TabChoices& choices, QWidget* owner);
    ~HistoryWindow() override;

    // The ledger shown: a file's absolute path or a server's connection URI.
    const QString& ledger() const { return ledger_; }
    bool adding() const;
    // What the window shows, nullptr before a read of the ledger.
    const LedgerRead* shown() const { return shown_.get(); }

    void openLedger();
    void newLedger();
    void addArchives();
    // The report of every detector, as `sorvane-cli history report --csv` writes it.
    void exportCsv();
    // The repair list's rows as shown, in their order, in the same format.
    void exportRepairList();
    // The days chart of a detector over the window's dates (history_window_repairs.cpp).
    DetectorDaysWindow* openDetectorDays(int16_t det);
    // "Days...": the list of the ledger's days.
    void openDays();
    // "Server Ledger...": a ledger on a PostgreSQL server.
    void openServerLedger();
    // The program ends: an add stops without asking, and nothing more is shown.
    void stopForShutdown();

  signals:
    // A read of the ledger is shown.
    void refreshed();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void layOut();
    // The From/To presets and the marks of the ledger's dates in their calendars.
    void layOutDatePresets(QHBoxLayout* commands);
    void presetChosen(int preset);
    void showPreset();
    void markLedgerDates(const std::vector<std::string>& ledgerDates);
    // The day panel: a date's verdict, read through the window's runner.
    void layOutDayPanel(QSplitter* splitter);
    void openDayPanel(int column);
    void refreshDayPanel();
    void dayFaultChosen(int16_t det);
    // The rows by corridor and station, and the abandoned detectors.
    void layOutNetworkRows(QHBoxLayout* rows);
    void showNetworkChoices();
    void openLedger(const QString& path);
    void remember(const QString& path);
    // The ledger as the core takes it: a file's native path or the server's URI.
    std::string location() const;
    bool ledgerExists() const;
    void layOutLedgerDays();
    std::vector<history::DayToAdd> datedDays(const QStringList& paths);
    bool settleHeldDates(std::vector<history::DayToAdd>& days, bool& replace);
    bool mayCloseWhileAdding();
    void refresh();
    history::DateWindow chosenWindow() const;
    void showRead(std::shared_ptr<const LedgerRead> read);
    void showDateRange(const std::vector<std::string>& ledgerDates);
    void datesChosen();
    void showRows();
    void setAdding(bool adding);
    void dayAdded(int done, int total);
    void addingFinished(const AddRun& run);
    QString cellToolTip(const HistoryGridView::Cell& cell);
    QString dateToolTip(int column) const;
    void openDayChart(int16_t det, int column);
    void openDayChartOn(int16_t det, const std::string& date);
    // The repair list at work (history_window_repairs.cpp).
    void connectRepairList();
    std::pair<std::string, std::string> shownDates() const;
    void openLastBadDay(int16_t det);
    void openStrip(int16_t det, const QStringList& dates, bool fiveMinutes);
    // The window's own connection for a cell's record and a day's archive; nullptr while the
    // ledger is not there or cannot be opened.
    history::LedgerStore* lookups();

    AppState& state_;
    Dialogs& dialogs_;
    const TabChoices& choices_;
    // The window's long work: the ledger's adding and reading, the day charts' and strips'
    // archive reads.
    JobRunner jobs_;
    LedgerWorker* worker_;
    QString ledger_;
    std::shared_ptr<const LedgerRead> shown_;
    std::unique_ptr<history::LedgerStore> lookups_;
    bool wholeLedger_ = true;  // From and To follow the ledger's first and last dates
    QStringList refusedBeforeAdding_;
    int dayReads_ = 0;  // the day panel shows only the last read asked for
    bool shuttingDown_ = false;
    LedgerDaysDialog* daysDialog_ = nullptr;
    ServerLedgerDialog* serverDialog_ = nullptr;

    QPushButton* openLedgerButton_;
    QPushButton* serverLedgerButton_;
    QPushButton* ledgerDaysButton_;
    QPushButton* newLedgerButton_;
    QPushButton* addArchivesButton_;
    QPushButton* exportCsvButton_;
    QDateEdit* fromDate_;
    QDateEdit* toDate_;
    QComboBox* datePreset_;
    QRadioButton* repairOrderOption_;
    QRadioButton* numberOrderOption_;
    QRadioButton* networkOrderOption_;
    QCheckBox* abandonedCheck_;
    QLabel* progressLabel_;
    QProgressBar* daysProgress_;
    QLabel* summaryLabel_;
    HistoryGridView* historyGrid_;
    RepairListPanel* repairList_;
    DayPanel* dayPanel_;
};

}  // namespace sorvane::app
