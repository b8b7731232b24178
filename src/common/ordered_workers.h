#pragma once

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

namespace sorvane {

// A function that makes item i; a worker's own, holding what the worker reads with.
template <typename Item>
using ItemMaker = std::function<Item(size_t index)>;

// Makes items 0..count-1 on `workers` threads and hands them to the calling thread in order:
// consume(i, item) once items 0..i-1 are consumed.
//
// Each worker first makes its own ItemMaker on its thread (opening a reader of its own, say);
// a worker that gets none ends. The workers take the items in turn and make them at most
// `window` items ahead of the one being consumed, so the items in memory stay few. When no
// worker is left (none could start, or none got its maker), the calling thread makes the rest
// itself with `fallback`.
//
// An exception from making an item reaches the caller at that item's turn, after the items
// before it are consumed, as in a run on one thread; one from consume (a run the user stops)
// stops the workers at their next item. A worker that cannot be started for want of threads
// leaves the work to fewer; any other failure to start one (memory that runs out) stops the
// run and reaches the caller. Either way every worker is joined before runInOrder returns or
// throws: no thread outlives the call.
template <typename Item>
void runInOrder(size_t count, int workers, size_t window,
                const std::function<ItemMaker<Item>()>& makeMaker, const ItemMaker<Item>& fallback,
                const std::function<void(size_t index, Item& item)>& consume);

// The shared state of one runInOrder call.
template <typename Item>
class OrderedWorkers {
  public:
    OrderedWorkers(size_t count, size_t window)
        : count_(count), slots_(std::max<size_t>(window, 2)) {}
    ~OrderedWorkers() { stopAndJoin(); }
    OrderedWorkers(const OrderedWorkers&) = delete;
    OrderedWorkers& operator=(const OrderedWorkers&) = delete;

    void start(int workers, const std::function<ItemMaker<Item>()>& makeMaker) {
        for (int w = 0; w < workers; ++w) {
            std::lock_guard lock(mutex_);
            try {
                threads_.emplace_back([this, &makeMaker] { work(makeMaker); });
                ++live_;
            } catch (const std::system_error&) {
                break;  // fewer threads do the same work
            }
            // Anything else leaves start(): the destructor stops and joins the workers started.
        }
    }

    void consumeAll(const ItemMaker<Item>& fallback,
                    const std::function<void(size_t, Item&)>& consume) {
        for (size_t i = 0; i < count_; ++i) {
            Slot& slot = waitFor(i, fallback);
            if (slot.error) std::rethrow_exception(slot.error);
            consume(i, *slot.item);
            release(i);
        }
    }

    void stopAndJoin() {
        {
            std::lock_guard lock(mutex_);
            stopped_ = true;
        }
        spaceFreed_.notify_all();
        for (std::thread& thread : threads_)
            thread.join();
        threads_.clear();
    }

  private:
    // An item stays in its slot from its making to its consuming: a detector's day is some
    // 15 KB, and the slots are reused rather than allocated for every item. The worker that
    // took an item writes its slot, and the calling thread reads it once it is ready; no one
    // else touches it until it is released.
    struct Slot {
        std::optional<Item> item;
        std::exception_ptr error;
        bool ready = false;
    };

    Slot& slotOf(size_t index) { return slots_[index % slots_.size()]; }
    size_t window() const { return slots_.size(); }

    void work(const std::function<ItemMaker<Item>()>& makeMaker) {
        ItemMaker<Item> make;
        try {
            make = makeMaker();
        } catch (...) {
            // This worker cannot read: the others, or the calling thread, do its share.
        }
        std::unique_lock lock(mutex_);
        while (make) {
            ++waitingWorkers_;
            spaceFreed_.wait(lock, [&] { return !canWait(); });
            --waitingWorkers_;
            if (stopped_ || failed_ || next_ >= count_) break;
            const size_t index = next_++;
            lock.unlock();
            Slot& slot = slotOf(index);
            std::exception_ptr error;
            try {
                slot.item.emplace(make(index));
            } catch (...) {
                error = std::current_exception();
            }
            lock.lock();
            slot.error = error;
            slot.ready = true;
            if (error) {
                failed_ = true;  // the items after this one are never used
                spaceFreed_.notify_all();
            }
            if (consumerWaits_ && slotOf(waitedItem_).ready && slotOf(waitedLast_).ready)
                itemReady_.notify_one();
        }
        --live_;
        if (consumerWaits_) itemReady_.notify_one();
    }

    // A worker waits while there is work to come but no room for it in the window.
    bool canWait() const {
        return !stopped_ && !failed_ && next_ < count_ && next_ >= consumed_ + window();
    }

    // The slot of item `index` once the item is ready in it; when no worker is left to make
    // it, the calling thread makes it there.
    Slot& waitFor(size_t index, const ItemMaker<Item>& fallback) {
        std::unique_lock lock(mutex_);
        Slot& slot = slotOf(index);
        while (!slot.ready) {
            if (live_ == 0 && next_ <= index) {
                next_ = index + 1;  // no worker is left to make it
                lock.unlock();
                slot.item.emplace(fallback(index));
                slot.ready = true;
                return slot;
            }
            // Waking once for a run of items, rather than for each, leaves the cores to the
            // workers.
            consumerWaits_ = true;
            waitedItem_ = index;
            waitedLast_ = std::min(index + window() / 2, count_ - 1);
            itemReady_.wait(lock);
            consumerWaits_ = false;
        }
        return slot;
    }

    // Empties the slot of the consumed item `index` for the item a window further on.
    void release(size_t index) {
        std::lock_guard lock(mutex_);
        Slot& slot = slotOf(index);
        slot.item.reset();
        slot.error = nullptr;
        slot.ready = false;
        consumed_ = index + 1;
        if (waitingWorkers_ > 0 && consumed_ + window() - next_ >= window() / 2)
            spaceFreed_.notify_all();
    }

    const size_t count_;
    std::vector<Slot> slots_;  // item i waits in slot i % window
    std::vector<std::thread> threads_;
    std::mutex mutex_;
    std::condition_variable itemReady_;
    std::condition_variable spaceFreed_;
    size_t next_ = 0;      // the first item no worker has taken
    size_t consumed_ = 0;  // the first item not yet consumed
    int live_ = 0;         // workers that have not ended
    int waitingWorkers_ = 0;
    bool consumerWaits_ = false;
    size_t waitedItem_ = 0;
    size_t waitedLast_ = 0;
    bool stopped_ = false;
    bool failed_ = false;
};

template <typename Item>
void runInOrder(size_t count, int workers, size_t window,
                const std::function<ItemMaker<Item>()>& makeMaker, const ItemMaker<Item>& fallback,
                const std::function<void(size_t index, Item& item)>& consume) {
    OrderedWorkers<Item> run(count, window);
    run.start(workers, makeMaker);
    run.consumeAll(fallback, consume);
    run.stopAndJoin();
}

}  // namespace sorvane
