#include "app/history/ledger_worker.h"

#include "app/qt_text.h"
#include "history/ledger_store.h"

namespace sorvane::app {

LedgerWorker::LedgerWorker(JobRunner& jobs, QObject* parent) : QObject(parent), jobs_(jobs) {}

void LedgerWorker::startAdding(const std::string& ledger, std::vector<history::DayToAdd> days,
                               const history::AddOptions& options, bool replaceHeld) {
    adding_ = true;
    auto ended = [this](std::shared_ptr<AddRun> run) {
        adding_ = false;
        emit addingFinished(std::move(run));
    };
    addJob_ = jobs_.start(
        "the history",
        [this, ledger, days = std::move(days), options, replaceHeld](const JobControl& job) {
            auto run = std::make_shared<AddRun>();
            history::LedgerStore store(ledger, history::LedgerStore::Access::Add);
            // A date another program added meanwhile is refused unless replacing was chosen.
            store.setReplaceHeldDays(replaceHeld);
            auto progress = [this, &job](const history::DayAddResult&, int done, int total) {
                job.post([this, done, total] { emit dayAdded(done, total); });
            };
            // A stop leaves out the days not yet begun: what was added is the run's result.
            run->results = history::addDays(store, days, options, progress, &job.cancelFlag());
            return run;
        },
        ended,
        [ended](const Failure& failure) {
            auto run = std::make_shared<AddRun>();
            run->failure = toQString(failure.description);
            ended(run);
        });
}

void LedgerWorker::stopAdding() {
    if (adding_) jobs_.stop(addJob_);
    jobs_.waitAll();
}

void LedgerWorker::startReading(const std::string& ledger, const history::DateWindow& window) {
    nextRead_ = ReadRequest{ledger, window};
    if (!reading_) launchRead();
}

void LedgerWorker::launchRead() {
    ReadRequest request = std::move(*nextRead_);
    nextRead_.reset();
    reading_ = true;
    jobs_.start(
        "the history",
        [request](const JobControl& job) -> std::shared_ptr<const LedgerRead> {
            history::LedgerStore store(request.ledger, history::LedgerStore::Access::Read);
            auto read = std::make_shared<LedgerRead>();
            try {
                read->window =
                    history::readLedgerWindow(store, request.window, {}, &job.cancelFlag());
            } catch (const history::ReadCancelled&) {
                throw JobCancelled{};
            }
            read->ledgerDates = store.dates({});
            read->inventories = store.inventoryVersions();
            return read;
        },
        [this](std::shared_ptr<const LedgerRead> read) { readFinished(std::move(read), {}); },
        [this](const Failure& failure) { readFinished(nullptr, toQString(failure.description)); });
}

void LedgerWorker::readFinished(std::shared_ptr<const LedgerRead> read, const QString& failure) {
    reading_ = false;
    if (nextRead_) {
        launchRead();  // this one is out of date already
        return;
    }
    if (read) {
        emit windowRead(std::move(read));
    } else if (!failure.isEmpty()) {
        emit readFailed(failure);
    }
}

}  // namespace sorvane::app
