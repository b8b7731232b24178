#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace sorvane::history::sql {

// A thin owner of an SQLite connection. Failures throw SorvaneError (kErrLedger) with the
// database's file name and SQLite's own words.
class Database {
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
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Runs statements that return no rows.
    void exec(const char* sql);
    // The same, but false when another connection holds a lock that it needs.
    bool tryExec(const char* sql);
    // Waits up to this long for a lock that another connection holds (0: not at all).
    void setBusyTimeout(int milliseconds);

    sqlite3* handle() const { return db_; }
    const std::string& path() const { return path_; }

    // Throws SorvaneError describing the connection's last failure.
    [[noreturn]] void fail() const;

  private:
    std::string path_;
    sqlite3* db_ = nullptr;
};

// A prepared statement: bind by position (from 1), step, read columns (from 0).
class Statement {
  public:
    Statement(Database& db, const char* sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& bind(int index, int64_t value);
    Statement& bind(int index, double value);
    Statement& bind(int index, std::string_view text);
    Statement& bindNull(int index);
    template <typename T>
    Statement& bind(int index, const std::optional<T>& value) {
        return value ? bind(index, *value) : bindNull(index);
    }

    // True while a row is ready; false when done.
    bool step();
    // Ready for new values (the bindings are cleared).
    void reset();

    int columns() const;
    bool isNull(int column) const;
    bool isInteger(int column) const;
    bool isNumber(int column) const;  // an integer or a real
    int64_t integer(int column) const;
    double real(int column) const;
    std::string text(int column) const;

  private:
    Database& db_;
    sqlite3_stmt* stmt_ = nullptr;
};

// BEGIN IMMEDIATE: the write lock is taken at once (waiting out another writer), so the
// transaction never fails halfway for want of it. Rolled back unless committed.
class Transaction {
  public:
    explicit Transaction(Database& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit();

  private:
    Database& db_;
    bool open_ = true;
};

// BEGIN (deferred) for reading: the queries inside see one state of the database, whatever
// other connections commit meanwhile. Ended when destroyed.
class ReadSnapshot {
  public:
    explicit ReadSnapshot(Database& db);
    ~ReadSnapshot();
    ReadSnapshot(const ReadSnapshot&) = delete;
    ReadSnapshot& operator=(const ReadSnapshot&) = delete;

  private:
    Database& db_;
};

}  // namespace sorvane::history::sql
