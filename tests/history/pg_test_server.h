#pragma once

#include <string>
#include <vector>

namespace sorvane::test {

// A PostgreSQL server of the tests' own (Debian's postgresql package): a cluster made with initdb
// in a temporary folder, listening only on a Unix socket there, trusting local connections. Run
// as user nobody when the tests run as root (the server refuses root). Stopped and removed when
// destroyed. Without fsync unless `durable` (as a benchmark measures a server).
class PgTestServer {
  public:
    explicit PgTestServer(bool durable = false);
    ~PgTestServer();
    PgTestServer(const PgTestServer&) = delete;
    PgTestServer& operator=(const PgTestServer&) = delete;

    // Empty when the server runs; else why not, and how to install it.
    const std::string& unavailable() const { return unavailable_; }
    // A new, empty database and the URI that names it as the user `user`.
    std::string createDatabase(const std::string& user = "postgres");
    // The URI of an existing database.
    std::string uri(const std::string& database, const std::string& user = "postgres") const;
    // Runs SQL as the superuser on a database.
    void exec(const std::string& database, const std::string& sql) const;
    void stop();
    void start();

  private:
    bool run(const std::string& program, const std::vector<std::string>& args) const;

    std::string bin_;
    std::string folder_;
    std::string unavailable_;
    int databases_ = 0;
    bool running_ = false;
    bool durable_ = false;
};

}  // namespace sorvane::test
