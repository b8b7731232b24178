#pragma once

#include <QWidget>
#include <memory>

#include "app/history/history_grid_view.h"
#include "app/job_runner.h"
#include "app/tab_choices.h"
#include "health/health_parameters.h"
#include "history/add_days.h"
#include "history/ledger_store.h"

class QDateEdit;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace sorvane::app {

class AppState;
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
    void exportCsv();
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
    // The window's own connection for a cell's record and a day's archive; nullptr while the
    // ledger is not there or cannot be opened.
    history::LedgerStore* lookups();

    AppState& state_;
    Dialogs& dialogs_;
    const TabChoices& choices_;
    // The window's long work: the ledger's adding and reading, the day charts' archive reads.
    JobRunner jobs_;
    LedgerWorker* worker_;
    QString ledger_;
    std::shared_ptr<const LedgerRead> shown_;
    std::unique_ptr<history::LedgerStore> lookups_;
    bool wholeLedger_ = true;  // From and To follow the ledger's first and last dates
    QStringList refusedBeforeAdding_;
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
    QRadioButton* repairOrderOption_;
    QRadioButton* numberOrderOption_;
    QLabel* progressLabel_;
    QProgressBar* daysProgress_;
    QLabel* summaryLabel_;
    HistoryGridView* historyGrid_;
    RepairListPanel* repairList_;
};

}  // namespace sorvane::app
