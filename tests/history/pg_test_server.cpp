#include "pg_test_server.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "history/pg_db.h"

namespace sorvane::test {

namespace {

constexpr uid_t kNobody = 65534;

// The newest server of Debian's postgresql packages.
std::string serverBin() {
    std::string best;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/usr/lib/postgresql", ec)) {
        std::string bin = entry.path().string() + "/bin";
        if (std::filesystem::exists(bin + "/initdb") && std::filesystem::exists(bin + "/pg_ctl") &&
            bin > best)
            best = bin;
    }
    return best;
}

}  // namespace

PgTestServer::PgTestServer(bool durable) : durable_(durable) {
    bin_ = serverBin();
    if (bin_.empty()) {
        unavailable_ =
            "no PostgreSQL server (initdb, pg_ctl) under /usr/lib/postgresql: install it with "
            "`apt-get install postgresql` (scripts/install-deps.sh does) to run the server "
            "ledger tests";
        return;
    }
    char folder[] = "/tmp/sorvane-pg-XXXXXX";
    if (::mkdtemp(folder) == nullptr) {
        unavailable_ = "no temporary folder for the server";
        return;
    }
    folder_ = folder;
    if (::geteuid() == 0 && ::chown(folder, kNobody, kNobody) != 0) {
        unavailable_ = "the server's folder cannot be given to user nobody";
        return;
    }
    if (!run("initdb", {"-D", folder_ + "/data", "-A", "trust", "-U", "postgres", "--no-sync", "-E",
                        "UTF8", "--locale=C"})) {
        unavailable_ = "initdb failed: see " + folder_ + "/server.log";
        return;
    }
    start();
    if (!running_) unavailable_ = "the server did not start: see " + folder_ + "/server.log";
}

PgTestServer::~PgTestServer() {
    stop();
    if (!folder_.empty() && unavailable_.empty()) {
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }
}

void PgTestServer::start() {
    // Durability is not tested here: without fsync the server starts and writes quickly.
    std::string options = "-k " + folder_ + " -c listen_addresses=";
    if (!durable_) options += " -c fsync=off -c full_page_writes=off";
    running_ = run("pg_ctl", {"-D", folder_ + "/data", "-l", folder_ + "/server.log", "-w", "-o",
                              options, "start"});
}

void PgTestServer::stop() {
    if (!running_) return;
    run("pg_ctl", {"-D", folder_ + "/data", "-m", "immediate", "-w", "stop"});
    running_ = false;
}

std::string PgTestServer::uri(const std::string& database, const std::string& user) const {
    return "postgresql://" + user + "@/" + database + "?host=" + folder_;
}

std::string PgTestServer::createDatabase(const std::string& user) {
    std::string name = "ledger" + std::to_string(++databases_);
    exec("postgres", "CREATE DATABASE " + name);
    return uri(name, user);
}

void PgTestServer::exec(const std::string& database, const std::string& sql) const {
    history::sql::PgConnection admin(uri(database), std::chrono::seconds(60));
    admin.exec(sql.c_str());
}

bool PgTestServer::run(const std::string& program, const std::vector<std::string>& args) const {
    pid_t pid = ::fork();
    if (pid == 0) {
        if (::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
            ::_exit(99);
        // The server's output goes to its log; it keeps no descriptor of the tests.
        int log = ::open((folder_ + "/server.log").c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        if (log >= 0) {
            ::dup2(log, 1);
            ::dup2(log, 2);
            ::close(log);
        }
        int null = ::open("/dev/null", O_RDONLY);
        ::dup2(null, 0);
        for (int fd = 3; fd < 1024; ++fd)
            ::close(fd);
        std::string path = bin_ + "/" + program;
        std::vector<char*> argv{path.data()};
        std::vector<std::string> copies = args;
        for (std::string& a : copies)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execv(path.c_str(), argv.data());
        ::_exit(127);
    }
    int status = 0;
    return pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

}  // namespace sorvane::test
