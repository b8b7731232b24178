#include "app/job_runner.h"

namespace sorvane::app {

JobRunner::JobRunner(QObject* parent) : QObject(parent) {}

JobRunner::~JobRunner() {
    stopAll();
}

JobRunner::Job& JobRunner::add() {
    jobs_.push_back(Job{nextId_++, std::make_shared<JobFlags>(), {}});
    return jobs_.back();
}

JobRunner::Job* JobRunner::find(JobId id) {
    for (Job& job : jobs_) {
        if (job.id == id) return &job;
    }
    return nullptr;
}

void JobRunner::stop(JobId id) {
    if (Job* job = find(id)) job->flags->stop = true;
}

void JobRunner::waitAll() {
    for (Job& job : jobs_) {
        if (job.thread.joinable()) job.thread.join();
    }
}

void JobRunner::cancel(JobId id) {
    if (Job* job = find(id)) {
        job->flags->dropped = true;
        job->flags->stop = true;
    }
}

void JobRunner::stopAll() {
    for (Job& job : jobs_) {
        job.flags->dropped = true;
        job.flags->stop = true;
    }
    waitAll();
    // Their ends are still queued: dropped, they only find no job left to finish.
    jobs_.clear();
}

void JobRunner::enqueue(std::function<void()> step) {
    {
        std::lock_guard lock(queueMutex_);
        queue_.push_back(std::move(step));
    }
    QMetaObject::invokeMethod(this, &JobRunner::runNext, Qt::QueuedConnection);
}

void JobRunner::runNext() {
    std::function<void()> step;
    {
        std::lock_guard lock(queueMutex_);
        if (queue_.empty()) return;
        step = std::move(queue_.front());
        queue_.pop_front();
    }
    step();
}

void JobRunner::finish(JobId id) {
    for (auto it = jobs_.begin(); it != jobs_.end(); ++it) {
        if (it->id != id) continue;
        if (it->thread.joinable()) it->thread.join();  // its last act was to post this end
        jobs_.erase(it);
        return;
    }
}

}  // namespace sorvane::app
