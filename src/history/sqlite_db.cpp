#include "history/sqlite_db.h"

#include <sqlite3.h>

#include "common/error.h"

namespace sorvane::history::sql {

namespace {

int openFlags(Database::Mode mode) {
    switch (mode) {
        case Database::Mode::ReadOnly:
            return SQLITE_OPEN_READONLY;
        case Database::Mode::ReadOnlyShm:
        case Database::Mode::Immutable:
            return SQLITE_OPEN_READONLY | SQLITE_OPEN_URI;
        case Database::Mode::ReadWrite:
            return SQLITE_OPEN_READWRITE;
        case Database::Mode::ReadWriteCreate:
            return SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
    }
    return SQLITE_OPEN_READONLY;
}

// "file:" and the path with the characters that a URI reads otherwise escaped, and the option.
std::string uriOf(const std::string& path, const char* option) {
    std::string uri = "file:";
    for (char c : path) {
        if (c == '%' || c == '?' || c == '#') {
            static constexpr char kHex[] = "0123456789ABCDEF";
            uri += '%';
            uri += kHex[static_cast<unsigned char>(c) >> 4];
            uri += kHex[c & 0xF];
        } else {
            uri += c;
        }
    }
    return uri + "?" + option;
}

}  // namespace

Database::Database(const std::string& path, Mode mode) : path_(path) {
    std::string name = mode == Mode::Immutable     ? uriOf(path, "immutable=1")
                       : mode == Mode::ReadOnlyShm ? uriOf(path, "readonly_shm=1")
                                                   : path;
    // Each connection is used by one thread at a time; the ledger serializes its writers.
    int rc = sqlite3_open_v2(name.c_str(), &db_, openFlags(mode) | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        std::string reason = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
        sqlite3_close(db_);
        db_ = nullptr;
        throw SorvaneError(kErrLedger, "The ledger " + path + " cannot be opened: " + reason);
    }
    sqlite3_extended_result_codes(db_, 1);
}

Database::~Database() {
    sqlite3_close(db_);
}

void Database::exec(const char* sql) {
    if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK) fail();
}

bool Database::tryExec(const char* sql) {
    if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK) return true;
    if ((sqlite3_errcode(db_) & 0xFF) == SQLITE_BUSY) return false;
    fail();
}

void Database::setBusyTimeout(int milliseconds) {
    sqlite3_busy_timeout(db_, milliseconds);
}

void Database::fail() const {
    int code = sqlite3_errcode(db_) & 0xFF;
    std::string reason = sqlite3_errmsg(db_);
    if (code == SQLITE_NOTADB) {
        throw SorvaneError(kErrLedger, "The file " + path_ + " is not an SQLite database");
    }
    throw SorvaneError(kErrLedger, "The ledger " + path_ + " failed: " + reason);
}

namespace {

class SqliteStatement final : public StatementCore {
  public:
    SqliteStatement(Database& db, const char* sql) : db_(db) {
        if (sqlite3_prepare_v2(db.handle(), sql, -1, &stmt_, nullptr) != SQLITE_OK) db.fail();
    }
    ~SqliteStatement() override { sqlite3_finalize(stmt_); }

    void bind(int index, int64_t value) override {
        if (sqlite3_bind_int64(stmt_, index, value) != SQLITE_OK) db_.fail();
    }
    void bind(int index, double value) override {
        if (sqlite3_bind_double(stmt_, index, value) != SQLITE_OK) db_.fail();
    }
    void bind(int index, std::string_view text) override {
        if (sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()),
                              SQLITE_TRANSIENT) != SQLITE_OK) {
            db_.fail();
        }
    }
    void bindNull(int index) override {
        if (sqlite3_bind_null(stmt_, index) != SQLITE_OK) db_.fail();
    }
    bool step() override {
        int rc = sqlite3_step(stmt_);
        if (rc == SQLITE_ROW) return true;
        if (rc == SQLITE_DONE) return false;
        db_.fail();
    }
    void reset() override {
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
    }
    int columns() const override { return sqlite3_column_count(stmt_); }
    bool isNull(int column) const override {
        return sqlite3_column_type(stmt_, column) == SQLITE_NULL;
    }
    bool isInteger(int column) const override {
        return sqlite3_column_type(stmt_, column) == SQLITE_INTEGER;
    }
    bool isNumber(int column) const override {
        int type = sqlite3_column_type(stmt_, column);
        return type == SQLITE_INTEGER || type == SQLITE_FLOAT;
    }
    int64_t integer(int column) const override { return sqlite3_column_int64(stmt_, column); }
    double real(int column) const override { return sqlite3_column_double(stmt_, column); }
    std::string text(int column) const override {
        const unsigned char* text = sqlite3_column_text(stmt_, column);
        if (text == nullptr) return {};
        return std::string(reinterpret_cast<const char*>(text),
                           static_cast<size_t>(sqlite3_column_bytes(stmt_, column)));
    }

  private:
    Database& db_;
    sqlite3_stmt* stmt_ = nullptr;
};

}  // namespace

std::unique_ptr<StatementCore> Database::prepare(const char* sql, bool /*manyRows*/) {
    return std::make_unique<SqliteStatement>(*this, sql);
}

std::unique_ptr<StatementCore> Database::bulkInsert(const char* table, const char* columns,
                                                    int count) {
    // One prepared insert stepped per row: a local file takes rows as fast as they come.
    std::string sql = std::string("INSERT INTO ") + table + " (" + columns + ") VALUES (";
    for (int i = 1; i <= count; ++i)
        sql += (i > 1 ? ", ?" : "?") + std::to_string(i);
    return prepare((sql + ")").c_str(), false);
}

void Database::begin() {
    exec("BEGIN IMMEDIATE");
}

void Database::beginRead() {
    exec("BEGIN");
}

void Database::commit() {
    exec("COMMIT");
}

void Database::rollback() noexcept {
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

int Database::schemaVersion() {
    Statement version(*this, "PRAGMA user_version");
    return version.step() ? static_cast<int>(version.integer(0)) : 0;
}

bool Database::holdsNoTables() {
    Statement count(*this, "SELECT count(*) FROM sqlite_master");
    count.step();
    return count.integer(0) == 0;
}

std::vector<std::string> Database::columnsOf(const std::string& table) {
    Statement info(*this, "SELECT name FROM pragma_table_info(?1)");
    info.bind(1, std::string_view(table));
    return info.firstColumn();
}

std::vector<std::string> Database::primaryKeyOf(const std::string& table) {
    Statement info(*this, "SELECT name FROM pragma_table_info(?1) WHERE pk > 0 ORDER BY pk");
    info.bind(1, std::string_view(table));
    return info.firstColumn();
}

bool Database::indexLeadsWith(const std::string& table, const std::string& column) {
    Statement index(*this,
                    "SELECT count(*) FROM pragma_index_list(?1) AS l, "
                    "pragma_index_info(l.name) AS i WHERE i.seqno = 0 AND i.name = ?2");
    index.bind(1, std::string_view(table)).bind(2, std::string_view(column));
    return index.step() && index.integer(0) > 0;
}

}  // namespace sorvane::history::sql
