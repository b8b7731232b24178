#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "history/sql_connection.h"

struct sqlite3;

namespace sorvane::history::sql {

// A thin owner of an SQLite connection. Failures throw SorvaneError (kErrLedger) with the
// database's file name and SQLite's own words.
class Database final : public Connection {
  public:
    enum class Mode {
        ReadOnly,
        // Read-only, its -wal read through the -shm file that is there, which is only read: a
        // WAL database with committed pages in its -wal, read without writing beside it.
        ReadOnlyShm,
        // Read-only, and taken for a file nobody changes while it is open, its -wal ignored:
        // how a WAL database with an empty -wal, or none, is read without writing beside it.
        Immutable,
        ReadWrite,
        ReadWriteCreate,
    };

    Database(const std::string& path, Mode mode);
    ~Database() override;
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Runs statements that return no rows.
    void exec(const char* sql) override;
    // The same, but false when another connection holds a lock that it needs.
    bool tryExec(const char* sql);
    // Waits up to this long for a lock that another connection holds (0: not at all).
    void setBusyTimeout(int milliseconds);

    sqlite3* handle() const { return db_; }
    const std::string& path() const { return path_; }

    const std::string& name() const override { return path_; }
    bool isServer() const override { return false; }
    std::unique_ptr<StatementCore> prepare(const char* sql) override;
    std::unique_ptr<StatementCore> bulkInsert(const char* table, const char* columns,
                                              int count) override;
    void begin() override;
    void beginRead() override;
    void commit() override;
    void rollback() noexcept override;
    int schemaVersion() override;
    bool holdsNoTables() override;
    std::vector<std::string> columnsOf(const std::string& table) override;
    std::vector<std::string> primaryKeyOf(const std::string& table) override;
    bool indexLeadsWith(const std::string& table, const std::string& column) override;

    // Throws SorvaneError describing the connection's last failure.
    [[noreturn]] void fail() const override;

  private:
    std::string path_;
    sqlite3* db_ = nullptr;
};

}  // namespace sorvane::history::sql
