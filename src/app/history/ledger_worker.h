#pragma once

#include <QObject>
#include <QString>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/job_runner.h"
#include "history/add_days.h"
#include "history/ledger_grid.h"

namespace sorvane::app {

// What a read of the ledger brings back: the window's report and grid, every date of the
// ledger (the range the From/To selectors offer) and its inventory versions.
struct LedgerRead {
    history::LedgerWindow window;
    std::vector<std::string> ledgerDates;
    history::InventoryVersions inventories;
};

// What adding days brought: each day's result, or why none could be added at all.
struct AddRun {
    std::vector<history::DayAddResult> results;
    QString failure;
};

// The ledger's slow work off the window's thread: adding days, and reading a window's report
// and grid. Each is a job of the history window's runner with a connection of its own; the
// results come back as signals on the window's thread. A read asked for while one runs waits
// for it, and only the last one asked for is read.
class LedgerWorker : public QObject {
    Q_OBJECT
  public:
    // Runs its work as jobs of `jobs`, which outlives it and stops them before it goes.
    LedgerWorker(JobRunner& jobs, QObject* parent);

    // Adds the days to the ledger (created when it is not there) as `sorvane-cli history add`
    // does, replacing days the ledger holds only with `replaceHeld`: dayAdded after each day,
    // addingFinished at the end.
    void startAdding(const std::string& ledger, std::vector<history::DayToAdd> days,
                     const history::AddOptions& options, bool replaceHeld);
    bool adding() const { return adding_; }
    // Days not yet begun are left out; returns once the days in progress are in the ledger
    // and no job of the runner's is left running.
    void stopAdding();

    // Reads a window of the ledger: windowRead, or readFailed with the reason. A read asked
    // for while one runs waits for it, and only the last one asked for is read.
    void startReading(const std::string& ledger, const history::DateWindow& window);

  signals:
    void dayAdded(int done, int total);
    void addingFinished(std::shared_ptr<const AddRun> run);
    void windowRead(std::shared_ptr<const LedgerRead> read);
    void readFailed(const QString& message);

  private:
    struct ReadRequest {
        std::string ledger;
        history::DateWindow window;
    };

    void launchRead();
    // A read ended: with what it read, or none (failed with `failure`, or out of date).
    void readFinished(std::shared_ptr<const LedgerRead> read, const QString& failure);

    JobRunner& jobs_;
    JobRunner::JobId addJob_ = 0;
    bool adding_ = false;
    bool reading_ = false;
    std::optional<ReadRequest> nextRead_;
};

}  // namespace sorvane::app
