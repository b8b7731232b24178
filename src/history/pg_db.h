#pragma once

#include <chrono>
#include <functional>
#include <string>

#include "history/sql_connection.h"

struct pg_conn;

namespace sorvane::history::sql {

// A ledger on a PostgreSQL server, through libpq. The location is a connection URI
// (postgresql://user@host/dbname?...); the password comes from libpq's own sources (~/.pgpass,
// PGPASSWORD, a service file) or the URI, and no message shows it. The tables live in the schema
// `sorvane` unless the URI's options set a search_path. Lock waits end after `lockTimeout`.
class PgConnection final : public Connection {
  public:
    PgConnection(const std::string& uri, std::chrono::milliseconds lockTimeout);
    ~PgConnection() override;
    PgConnection(const PgConnection&) = delete;
    PgConnection& operator=(const PgConnection&) = delete;

    const std::string& name() const override { return shown_; }
    bool isServer() const override { return true; }
    void exec(const char* sql) override;
    std::unique_ptr<StatementCore> prepare(const char* sql) override;
    std::unique_ptr<StatementCore> bulkInsert(const char* table, const char* columns,
                                              int count) override;
    void begin() override;
    void beginRead() override;
    void commit() override;
    void rollback() noexcept override;
    void lockKey(int space, std::string_view key) override;
    int schemaVersion() override;
    bool holdsNoTables() override;
    void createPlaceForTables() override;
    std::vector<std::string> columnsOf(const std::string& table) override;
    std::vector<std::string> primaryKeyOf(const std::string& table) override;
    bool indexLeadsWith(const std::string& table, const std::string& column) override;
    [[noreturn]] void fail() const override;
    // The same with the server's own words for a failed statement.
    [[noreturn]] void fail(const std::string& reason) const;

    pg_conn* handle() const { return conn_; }
    // True inside a read transaction, where long queries are read through a cursor.
    bool reading() const { return reading_; }
    // A query sent ahead whose result the connection must take before it sends anything else:
    // `collect` takes it. settle() runs it, if there is one.
    void setPending(std::function<void()> collect) { pending_ = std::move(collect); }
    void settle();
    // A name for the next cursor of this connection.
    std::string nextCursor() { return "sorvane_rows_" + std::to_string(++cursors_); }

  private:
    std::string shown_;
    pg_conn* conn_ = nullptr;
    bool reading_ = false;
    long cursors_ = 0;
    std::function<void()> pending_;
};

}  // namespace sorvane::history::sql
