#include "app/history/ledger_worker.h"

#include <QMetaObject>
#include <new>

#include "common/error.h"
#include "history/ledger_store.h"

namespace sorvane::app {

namespace {

// The reason a piece of work failed, for the window's message.
QString failureOf(const std::exception_ptr& failure, const char* work) {
    try {
        std::rethrow_exception(failure);
    } catch (const SorvaneError& e) {
        return QString::fromStdString(e.description());
    } catch (const std::bad_alloc&) {
        return QStringLiteral("not enough memory for ") + QLatin1String(work);
    } catch (const std::exception& e) {
        return QString::fromLocal8Bit(e.what());
    }
}

}  // namespace

LedgerWorker::LedgerWorker(QObject* parent) : QObject(parent) {}

LedgerWorker::~LedgerWorker() {
    stopAdding();
    stopReading_ = true;
    if (reader_.joinable()) reader_.join();
}

void LedgerWorker::post(std::function<void()> work) {
    QMetaObject::invokeMethod(this, std::move(work), Qt::QueuedConnection);
}

void LedgerWorker::startAdding(const std::string& ledger, std::vector<history::DayToAdd> days,
                               const history::AddOptions& options) {
    if (adder_.joinable()) adder_.join();  // the last run has ended: its result is in
    adding_ = true;
    stopAdding_ = false;
    adder_ = std::thread([this, ledger, days = std::move(days), options] {
        auto run = std::make_shared<AddRun>();
        try {
            history::LedgerStore store(ledger, history::LedgerStore::Access::Add);
            auto progress = [this](const history::DayAddResult&, int done, int total) {
                post([this, done, total] { emit dayAdded(done, total); });
            };
            run->results = history::addDays(store, days, options, progress, &stopAdding_);
        } catch (...) {
            run->failure = failureOf(std::current_exception(), "the history");
        }
        post([this, run] {
            adding_ = false;
            emit addingFinished(run);
        });
    });
}

void LedgerWorker::stopAdding() {
    stopAdding_ = true;
    if (adder_.joinable()) adder_.join();
}

void LedgerWorker::startReading(const std::string& ledger, const history::DateWindow& window) {
    nextRead_ = ReadRequest{ledger, window};
    if (!reading_) launchRead();
}

void LedgerWorker::launchRead() {
    if (reader_.joinable()) reader_.join();
    ReadRequest request = std::move(*nextRead_);
    nextRead_.reset();
    reading_ = true;
    stopReading_ = false;
    reader_ = std::thread([this, request] {
        std::shared_ptr<LedgerRead> read;
        QString failure;
        try {
            history::LedgerStore store(request.ledger, history::LedgerStore::Access::Read);
            read = std::make_shared<LedgerRead>();
            read->window = history::readLedgerWindow(store, request.window, {}, &stopReading_);
            read->ledgerDates = store.dates({});
        } catch (const history::ReadCancelled&) {
            read.reset();
        } catch (...) {
            read.reset();
            failure = failureOf(std::current_exception(), "the history");
        }
        post([this, read, failure] { readFinished(read, failure); });
    });
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
