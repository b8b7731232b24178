#include "hardening/limited_child.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace sorvane::test {

namespace {

int waitFor(pid_t pid) {
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

void limitFileSize(size_t maxFileBytes) {
    rlimit limit{static_cast<rlim_t>(maxFileBytes), static_cast<rlim_t>(maxFileBytes)};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    ::signal(SIGXFSZ, SIG_IGN);
}

std::string drain(int fd) {
    std::string text;
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
        text.append(buffer, static_cast<size_t>(n));
    ::close(fd);
    return text;
}

}  // namespace

int runWithFileSizeLimit(size_t maxFileBytes, const std::function<int()>& work) {
    pid_t pid = ::fork();
    if (pid == 0) {
        limitFileSize(maxFileBytes);
        // _exit: the child must not run the test program's exit handlers a second time.
        ::_exit(work());
    }
    return pid < 0 ? -1 : waitFor(pid);
}

CommandResult runCommandWithFileSizeLimit(size_t maxFileBytes,
                                          const std::vector<std::string>& args) {
    int out[2], err[2];
    CommandResult result;
    if (::pipe(out) != 0) return result;
    if (::pipe(err) != 0) {
        ::close(out[0]);
        ::close(out[1]);
        return result;
    }
    pid_t pid = ::fork();
    if (pid == 0) {
        limitFileSize(maxFileBytes);
        ::dup2(out[1], 1);
        ::dup2(err[1], 2);
        for (int fd : {out[0], out[1], err[0], err[1]})
            ::close(fd);
        std::vector<char*> argv;
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(out[1]);
    ::close(err[1]);
    // The commands tested here print a few lines, well within what a pipe holds.
    result.exitCode = pid < 0 ? -1 : waitFor(pid);
    result.out = drain(out[0]);
    result.err = drain(err[0]);
    return result;
}

}  // namespace sorvane::test
