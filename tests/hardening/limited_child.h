#pragma once

#include <grp.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace sorvane::test {

// Runs `work` in a forked child under a resource limit of `bytes`: RLIMIT_FSIZE for a disk that
// is full, RLIMIT_AS for memory that runs out. SIGXFSZ keeps its default action, which ends a
// program at the file-size limit: the program's own file writing must make a write past it fail
// with a message. Returns the child's exit status (the value `work` returned), or -1 when it
// did not exit normally.
inline int runWithLimit(int resource, size_t bytes, const std::function<int()>& work) {
    pid_t pid = ::fork();
    if (pid == 0) {
        rlimit limit{static_cast<rlim_t>(bytes), static_cast<rlim_t>(bytes)};
        ::setrlimit(resource, &limit);
        ::signal(SIGXFSZ, SIG_DFL);
        // _exit: the child must not run the test program's exit handlers a second time.
        ::_exit(work());
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

// Runs `work` in a child of its own, whose peak memory is the work's: by how many megabytes the
// peak grew (at most 254), or 255 when `work` returned false.
inline int peakGrowthMegabytes(const std::function<bool()>& work) {
    return runWithLimit(RLIMIT_FSIZE, RLIM_INFINITY, [&] {
        rusage before{}, after{};
        ::getrusage(RUSAGE_SELF, &before);
        bool done = work();
        ::getrusage(RUSAGE_SELF, &after);
        long grown = (after.ru_maxrss - before.ru_maxrss) / 1024;
        return done ? static_cast<int>(std::min<long>(grown, 254)) : 255;
    });
}

// Runs `work` in a forked child; as user nobody when the test runs as root, to whom every file
// is readable. Returns as runWithLimit does.
inline int runAsOrdinaryUser(const std::function<int()>& work) {
    constexpr uid_t kNobody = 65534;
    return runWithLimit(RLIMIT_FSIZE, RLIM_INFINITY, [&] {
        if (::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
            return 99;
        }
        return work();
    });
}

// Runs a program (args[0]) in a child that `runChild` forks and readies (runWithLimit,
// runAsOrdinaryUser); its stdout and stderr go through pipes, which a file-size limit does not
// touch. `environment` holds NAME=value pairs added to the program's.
inline CommandResult runCommandIn(const std::function<int(const std::function<int()>&)>& runChild,
                                  const std::vector<std::string>& args,
                                  const std::vector<std::string>& environment = {}) {
    int pipes[2][2];
    if (::pipe(pipes[0]) != 0 || ::pipe(pipes[1]) != 0) return {};
    CommandResult result;
    result.exitCode = runChild([&] {
        for (const std::string& variable : environment)
            ::putenv(const_cast<char*>(variable.c_str()));
        ::dup2(pipes[0][1], 1);
        ::dup2(pipes[1][1], 2);
        std::vector<char*> argv;
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        return 127;
    });
    // The commands tested here print a few lines, well within what a pipe holds.
    for (int i = 0; i < 2; ++i) {
        ::close(pipes[i][1]);
        char buffer[4096];
        ssize_t n;
        while ((n = ::read(pipes[i][0], buffer, sizeof buffer)) > 0)
            (i == 0 ? result.out : result.err).append(buffer, static_cast<size_t>(n));
        ::close(pipes[i][0]);
    }
    return result;
}

// Runs a program under a resource limit of `bytes`, as runWithLimit.
inline CommandResult runCommandWithLimit(int resource, size_t bytes,
                                         const std::vector<std::string>& args) {
    return runCommandIn(
        [&](const std::function<int()>& work) { return runWithLimit(resource, bytes, work); },
        args);
}

}  // namespace sorvane::test
