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

Statement::Statement(Database& db, const char* sql) : db_(db) {
    if (sqlite3_prepare_v2(db.handle(), sql, -1, &stmt_, nullptr) != SQLITE_OK) db.fail();
}

Statement::~Statement() {
    sqlite3_finalize(stmt_);
}

Statement& Statement::bind(int index, int64_t value) {
    if (sqlite3_bind_int64(stmt_, index, value) != SQLITE_OK) db_.fail();
    return *this;
}

Statement& Statement::bind(int index, double value) {
    if (sqlite3_bind_double(stmt_, index, value) != SQLITE_OK) db_.fail();
    return *this;
}

Statement& Statement::bind(int index, std::string_view text) {
    if (sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()),
                          SQLITE_TRANSIENT) != SQLITE_OK) {
        db_.fail();
    }
    return *this;
}

Statement& Statement::bindNull(int index) {
    if (sqlite3_bind_null(stmt_, index) != SQLITE_OK) db_.fail();
    return *this;
}

bool Statement::step() {
    int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    db_.fail();
}

void Statement::reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

int Statement::columns() const {
    return sqlite3_column_count(stmt_);
}

bool Statement::isNull(int column) const {
    return sqlite3_column_type(stmt_, column) == SQLITE_NULL;
}

bool Statement::isInteger(int column) const {
    return sqlite3_column_type(stmt_, column) == SQLITE_INTEGER;
}

bool Statement::isNumber(int column) const {
    int type = sqlite3_column_type(stmt_, column);
    return type == SQLITE_INTEGER || type == SQLITE_FLOAT;
}

int64_t Statement::integer(int column) const {
    return sqlite3_column_int64(stmt_, column);
}

double Statement::real(int column) const {
    return sqlite3_column_double(stmt_, column);
}

std::string Statement::text(int column) const {
    const unsigned char* text = sqlite3_column_text(stmt_, column);
    if (text == nullptr) return {};
    return std::string(reinterpret_cast<const char*>(text),
                       static_cast<size_t>(sqlite3_column_bytes(stmt_, column)));
}

Transaction::Transaction(Database& db) : db_(db) {
    db_.exec("BEGIN IMMEDIATE");
}

Transaction::~Transaction() {
    if (open_) sqlite3_exec(db_.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void Transaction::commit() {
    db_.exec("COMMIT");
    open_ = false;
}

ReadSnapshot::ReadSnapshot(Database& db) : db_(db) {
    db_.exec("BEGIN");
}

ReadSnapshot::~ReadSnapshot() {
    sqlite3_exec(db_.handle(), "COMMIT", nullptr, nullptr, nullptr);
}

}  // namespace sorvane::history::sql
