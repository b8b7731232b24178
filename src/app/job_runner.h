#pragma once

#include <QMetaObject>
#include <QObject>
#include <atomic>
#include <deque>
#include <exception>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <thread>
#include <type_traits>
#include <utility>

#include "common/failure.h"

namespace sorvane::app {

class JobRunner;

// Thrown inside a job (JobControl::throwIfCancelled) to leave it once it is asked to stop; the
// runner swallows it, and the job reports nothing more.
struct JobCancelled {};

// A job's two flags: asked to stop (the job reads it), and dropped (nothing it reports is
// delivered any more).
struct JobFlags {
    std::atomic<bool> stop{false};
    std::atomic<bool> dropped{false};
};

// What a running job sees of its runner: whether it was cancelled, and a way to hand a value to
// the window's thread while it goes on.
class JobControl {
  public:
    bool cancelled() const { return flags_->stop.load(); }
    // The flag itself, for core code that takes a stop flag (history::addDays).
    const std::atomic<bool>& cancelFlag() const { return flags_->stop; }
    void throwIfCancelled() const {
        if (cancelled()) throw JobCancelled{};
    }

    // Runs `step` on the runner's thread, after every step posted before it, unless the job
    // has been dropped by then. `step` holds values, never references into the job.
    template <class Step>
    void post(Step step) const;

  private:
    friend class JobRunner;
    JobControl(JobRunner* runner, std::shared_ptr<JobFlags> flags)
        : runner_(runner), flags_(std::move(flags)) {}

    JobRunner* runner_;
    std::shared_ptr<JobFlags> flags_;
};

// The one way the window runs long work: each job on a thread of its own, its progress and its
// result handed back to the thread the runner lives on (the window's) as values, through queued
// calls. A job is stopped by its id: it reads the flag (JobControl) and ends early, its result
// still delivered; a cancelled job is stopped and nothing it still reports is delivered.
// Results reach only a runner that still exists: the runner belongs to the window it serves,
// and its destructor cancels every job and waits for its thread, so a closed window never
// hears of a job again and leaves no thread behind.
class JobRunner : public QObject {
    Q_OBJECT
  public:
    using JobId = int;

    explicit JobRunner(QObject* parent = nullptr);
    ~JobRunner() override;

    // Starts `work(const JobControl&) -> R` on a thread of its own. On the runner's thread,
    // `done(R)` gets its result, or `failed(Failure)` the failure it threw, described once for
    // the user (describeFailure, `what` naming the work for the message when memory runs out).
    // A cancelled job calls neither.
    template <class Work, class Done, class Failed>
    JobId start(const char* what, Work work, Done done, Failed failed);

    // The job ends at its next look at the flag, and what it returns is delivered.
    void stop(JobId id);
    // Waits for every job's thread; their ends are delivered later, as always.
    void waitAll();
    // The job ends at its next look at the flag; what it reports from then on is dropped.
    void cancel(JobId id);
    // Cancels every job and waits for their threads: none runs when this returns.
    void stopAll();
    // Jobs that were started and have not yet delivered their end.
    bool busy() const { return !jobs_.empty(); }

  private:
    struct Job {
        JobId id;
        std::shared_ptr<JobFlags> flags;
        std::thread thread;
    };

    friend class JobControl;

    Job& add();
    Job* find(JobId id);
    // Queues `step` for the runner's thread (from any thread): steps run in the order they
    // were queued. The queue is the runner's own, under its own lock, so that what a job
    // hands over is seen whole on the runner's thread.
    void enqueue(std::function<void()> step);
    void runNext();
    // The job's end reached the runner's thread: its thread has nothing left to do.
    void finish(JobId id);
    template <class F>
    void deliver(JobId id, const std::shared_ptr<JobFlags>& flags, F&& step);

    std::list<Job> jobs_;
    JobId nextId_ = 1;
    std::mutex queueMutex_;
    std::deque<std::function<void()>> queue_;
};

template <class Step>
void JobControl::post(Step step) const {
    runner_->enqueue([flags = flags_, step = std::move(step)]() mutable {
        if (!flags->dropped.load()) step();
    });
}

template <class F>
void JobRunner::deliver(JobId id, const std::shared_ptr<JobFlags>& flags, F&& step) {
    enqueue([this, id, flags, step = std::forward<F>(step)]() mutable {
        finish(id);
        if (!flags->dropped.load()) step();
    });
}

template <class Work, class Done, class Failed>
JobRunner::JobId JobRunner::start(const char* what, Work work, Done done, Failed failed) {
    using Result = std::invoke_result_t<Work&, const JobControl&>;
    Job& job = add();
    job.thread = std::thread([this, id = job.id, flags = job.flags, what, work = std::move(work),
                              done = std::move(done), failed = std::move(failed)]() mutable {
        JobControl control(this, flags);
        try {
            if constexpr (std::is_void_v<Result>) {
                work(control);
                deliver(id, flags, [done = std::move(done)]() mutable { done(); });
            } else {
                deliver(id, flags, [done = std::move(done), result = work(control)]() mutable {
                    done(std::move(result));
                });
            }
        } catch (const JobCancelled&) {
            deliver(id, flags, [] {});
        } catch (...) {
            deliver(id, flags,
                    [failed = std::move(failed),
                     failure = describeFailure(std::current_exception(), what)]() mutable {
                        failed(failure);
                    });
        }
    });
    return job.id;
}

}  // namespace sorvane::app
