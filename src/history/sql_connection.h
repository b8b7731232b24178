#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sorvane::history::sql {

// What a statement does on one kind of database: bind by position (from 1), step, read columns
// (from 0). Statement below is what the ledger uses.
class StatementCore {
  public:
    virtual ~StatementCore() = default;
    virtual void bind(int index, int64_t value) = 0;
    virtual void bind(int index, double value) = 0;
    virtual void bind(int index, std::string_view text) = 0;
    virtual void bindNull(int index) = 0;
    virtual bool step() = 0;
    virtual void reset() = 0;
    // Sends what a bulk insert still holds.
    virtual void finish() {}
    virtual int columns() const = 0;
    virtual bool isNull(int column) const = 0;
    virtual bool isInteger(int column) const = 0;
    virtual bool isNumber(int column) const = 0;
    virtual int64_t integer(int column) const = 0;
    virtual double real(int column) const = 0;
    virtual std::string text(int column) const = 0;
};

// A connection to a ledger's database: an SQLite file or a PostgreSQL server. The ledger's SQL is
// the same on both but where their dialects differ; those differences live behind this.
// Failures throw SorvaneError (kErrLedger) naming the ledger as messages show it.
class Connection {
  public:
    virtual ~Connection() = default;

    // The ledger as messages show it (a server without its password).
    virtual const std::string& name() const = 0;
    virtual bool isServer() const = 0;

    // Runs statements that return no rows.
    virtual void exec(const char* sql) = 0;
    // A statement whose parameters are written ?1, ?2, ...; one that may return many rows (a
    // window of days) is read a batch at a time where the database would otherwise hand them
    // over at once.
    virtual std::unique_ptr<StatementCore> prepare(const char* sql, bool manyRows) = 0;
    // Rows for a table, bound and stepped one by one and sent by finish: on a server in one
    // round trip.
    virtual std::unique_ptr<StatementCore> bulkInsert(const char* table, const char* columns,
                                                      int count) = 0;

    // A write transaction; a read transaction that sees one state of the ledger.
    virtual void begin() = 0;
    virtual void beginRead() = 0;
    virtual void commit() = 0;
    virtual void rollback() noexcept = 0;
    // Within a write transaction: waits until no other writer holds the same key in the same
    // space, and holds it until the transaction ends. (An SQLite writer holds the whole file.)
    virtual void lockKey(int /*space*/, std::string_view /*key*/) {}

    // The schema version the ledger records (0 when none).
    virtual int schemaVersion() = 0;
    // True when the database (on a server: the ledger's schema) holds no tables at all.
    virtual bool holdsNoTables() = 0;
    // Makes the place the tables go, if there is none (a server's schema).
    virtual void createPlaceForTables() {}
    // A table's columns (none when there is no such table), its primary key in order, and
    // whether an index begins with `column`.
    virtual std::vector<std::string> columnsOf(const std::string& table) = 0;
    virtual std::vector<std::string> primaryKeyOf(const std::string& table) = 0;
    virtual bool indexLeadsWith(const std::string& table, const std::string& column) = 0;

    // Throws SorvaneError describing the connection's last failure.
    [[noreturn]] virtual void fail() const = 0;
};

// A prepared statement of either kind of connection.
class Statement {
  public:
    enum class Rows { Few, Many };
    Statement(Connection& db, const char* sql, Rows rows = Rows::Few)
        : core_(db.prepare(sql, rows == Rows::Many)) {}
    explicit Statement(std::unique_ptr<StatementCore> core) : core_(std::move(core)) {}
    // Rows for a table (see Connection::bulkInsert): bind, step each; then finish.
    static Statement bulkInsert(Connection& db, const char* table, const char* columns, int count) {
        return Statement(db.bulkInsert(table, columns, count));
    }

    Statement& bind(int index, int64_t value) {
        core_->bind(index, value);
        return *this;
    }
    Statement& bind(int index, double value) {
        core_->bind(index, value);
        return *this;
    }
    Statement& bind(int index, std::string_view text) {
        core_->bind(index, text);
        return *this;
    }
    Statement& bindNull(int index) {
        core_->bindNull(index);
        return *this;
    }
    template <typename T>
    Statement& bind(int index, const std::optional<T>& value) {
        return value ? bind(index, *value) : bindNull(index);
    }

    // True while a row is ready; false when done.
    bool step() { return core_->step(); }
    // Ready for new values (the bindings are cleared).
    void reset() { core_->reset(); }
    void finish() { core_->finish(); }

    int columns() const { return core_->columns(); }
    bool isNull(int column) const { return core_->isNull(column); }
    bool isInteger(int column) const { return core_->isInteger(column); }
    bool isNumber(int column) const { return core_->isNumber(column); }  // an integer or a real
    int64_t integer(int column) const { return core_->integer(column); }
    double real(int column) const { return core_->real(column); }
    std::string text(int column) const { return core_->text(column); }
    // The first column of every row left, as text (a list of names).
    std::vector<std::string> firstColumn() {
        std::vector<std::string> values;
        while (step())
            values.push_back(text(0));
        return values;
    }

  private:
    std::unique_ptr<StatementCore> core_;
};

// A write transaction (on SQLite BEGIN IMMEDIATE: the write lock is taken at once, so the
// transaction never fails halfway for want of it). Rolled back unless committed.
class Transaction {
  public:
    explicit Transaction(Connection& db) : db_(db) { db_.begin(); }
    ~Transaction() {
        if (open_) db_.rollback();
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit() {
        db_.commit();
        open_ = false;
    }

  private:
    Connection& db_;
    bool open_ = true;
};

// A read transaction: the queries inside see one state of the database, whatever other
// connections commit meanwhile. Ended when destroyed.
class ReadSnapshot {
  public:
    explicit ReadSnapshot(Connection& db) : db_(db) { db_.beginRead(); }
    ~ReadSnapshot() { db_.rollback(); }
    ReadSnapshot(const ReadSnapshot&) = delete;
    ReadSnapshot& operator=(const ReadSnapshot&) = delete;

  private:
    Connection& db_;
};

}  // namespace sorvane::history::sql
