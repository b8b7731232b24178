#include "common/temporary_files.h"

#include <pthread.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

namespace sorvane {

namespace {

// A fixed table that the signal handler may read: it only loads atomics and calls unlink.
constexpr int kSlots = 16;
constexpr size_t kPathBytes = 4096;

enum SlotState : int { kFree, kFilling, kLive };

struct Slot {
    std::atomic<int> state{kFree};
    char path[kPathBytes];
};

Slot slots[kSlots];

constexpr int kCleanupSignals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void removeTemporariesAndEnd(int sig) {
    for (Slot& slot : slots) {
        if (slot.state.load() == kLive) ::unlink(slot.path);
    }
    // The signal's own action ends the program, so the parent sees how it ended.
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    ::sigaction(sig, &action, nullptr);
    ::raise(sig);
}

void installActions() {
    for (int sig : kCleanupSignals) {
        struct sigaction old {};
        if (::sigaction(sig, nullptr, &old) != 0 || old.sa_handler != SIG_DFL) continue;
        struct sigaction action {};
        action.sa_handler = removeTemporariesAndEnd;
        sigemptyset(&action.sa_mask);
        for (int other : kCleanupSignals)
            sigaddset(&action.sa_mask, other);
        ::sigaction(sig, &action, nullptr);
    }
    struct sigaction old {};
    if (::sigaction(SIGXFSZ, nullptr, &old) == 0 && old.sa_handler == SIG_DFL) {
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        ::sigaction(SIGXFSZ, &ignore, nullptr);
    }
}

int registerPath(const std::string& path) {
    if (path.size() >= kPathBytes) return -1;
    for (int i = 0; i < kSlots; ++i) {
        int expected = kFree;
        if (!slots[i].state.compare_exchange_strong(expected, kFilling)) continue;
        std::memcpy(slots[i].path, path.c_str(), path.size() + 1);
        slots[i].state.store(kLive);
        return i;
    }
    return -1;
}

}  // namespace

// Checked at every writer: an action reset to the default since is set again.
void installTemporaryFileCleanup() {
    installActions();
}

int createTemporaryFile(std::string& pattern, int& slot) {
    sigset_t held;
    sigset_t before;
    sigemptyset(&held);
    for (int sig : kCleanupSignals)
        sigaddset(&held, sig);
    ::pthread_sigmask(SIG_BLOCK, &held, &before);
    int fd = ::mkstemp(pattern.data());
    int err = errno;
    slot = fd < 0 ? -1 : registerPath(pattern);
    ::pthread_sigmask(SIG_SETMASK, &before, nullptr);
    errno = err;
    return fd;
}

void removeTemporaryFile(const std::string& path, int slot) {
    ::unlink(path.c_str());
    releaseTemporaryFile(slot);
}

void releaseTemporaryFile(int slot) {
    if (slot >= 0 && slot < kSlots) slots[slot].state.store(kFree);
}

}  // namespace sorvane
