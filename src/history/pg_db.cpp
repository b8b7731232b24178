#include "history/pg_db.h"

#include <libpq-fe.h>

#include <charconv>
#include <optional>
#include <vector>

#include "common/error.h"
#include "history/ledger_location.h"

namespace sorvane::history::sql {

namespace {

// Result types (pg_type OIDs) read as integers and as numbers.
constexpr Oid kInt8 = 20, kInt2 = 21, kInt4 = 23, kFloat4 = 700, kFloat8 = 701, kNumeric = 1700;
// Rows fetched at a time from a read transaction's cursor.
constexpr int kBatch = 20000;
constexpr const char* kFetch = "FETCH 20000 FROM ";
// The advisory locks' first key: "Sor" and the space.
constexpr int32_t kLockClass = 0x536F7200;

// The ledger's SQL writes parameters ?1, ?2, ...; PostgreSQL writes them $1, $2, ...
std::string dollarPlaceholders(const char* sql) {
    std::string out(sql);
    for (size_t i = 0; i + 1 < out.size(); ++i) {
        if (out[i] == '?' && out[i + 1] >= '0' && out[i + 1] <= '9') out[i] = '$';
    }
    return out;
}

// libpq's words on one line, without the full stop that the message puts after them.
std::string oneLine(const std::string& text) {
    std::string line;
    for (char c : text) {
        bool blank = c == '\n' || c == '\t' || c == ' ';
        if (!blank) {
            line += c;
        } else if (!line.empty() && line.back() != ' ') {
            line += ' ';
        }
    }
    while (!line.empty() && (line.back() == ' ' || line.back() == '.'))
        line.pop_back();
    return line;
}

// What the server said of a failed statement: its primary message, or libpq's own words when
// the server said nothing (a lost connection).
std::string reasonOf(const PGresult* r) {
    const char* primary = r ? PQresultErrorField(r, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
    return primary ? primary : r ? PQresultErrorMessage(r) : "";
}

std::string numberText(double value) {
    char buffer[32];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, end);
}

// libpq may quote a URI it cannot parse: its password is taken out of every message.
std::string withoutSecrets(std::string message, const std::string& uri) {
    auto replaceAll = [&](const std::string& what, const std::string& with) {
        if (what.size() < 3) return;
        for (size_t at = message.find(what); at != std::string::npos;
             at = message.find(what, at + with.size()))
            message.replace(at, what.size(), with);
    };
    replaceAll(uri, shownLocation(uri));
    size_t scheme = uri.find("://");
    size_t end = uri.find_first_of("/?", scheme == std::string::npos ? 0 : scheme + 3);
    std::string authority = uri.substr(0, end);
    size_t at = authority.rfind('@');
    size_t colon = authority.find(':', scheme == std::string::npos ? 0 : scheme + 3);
    if (at != std::string::npos && colon < at)
        replaceAll(authority.substr(colon + 1, at - colon - 1), "***");
    size_t param = uri.find("password=");
    if (param != std::string::npos) {
        size_t valueStart = param + 9;
        replaceAll(uri.substr(valueStart, uri.find('&', valueStart) - valueStart), "***");
    }
    return message;
}

// A statement sent with its parameters as text. Inside a read transaction a query of many rows
// is read through a cursor, a batch at a time, so that a report over years holds no more than a
// batch; a query of few rows is one round trip.
class PgStatement final : public StatementCore {
  public:
    PgStatement(PgConnection& db, const char* sql, bool manyRows)
        : db_(db), sql_(dollarPlaceholders(sql)), manyRows_(manyRows) {}
    ~PgStatement() override {
        closeCursor();
        PQclear(result_);
        PQclear(next_);
    }

    void bind(int index, int64_t value) override { set(index, std::to_string(value)); }
    void bind(int index, double value) override { set(index, numberText(value)); }
    void bind(int index, std::string_view text) override { set(index, std::string(text)); }
    void bindNull(int index) override { set(index, std::nullopt); }

    bool step() override {
        if (!started_) {
            started_ = true;
            start();
        }
        if (++row_ < PQntuples(result_)) return true;
        if (cursor_.empty()) return false;
        fetch();
        row_ = 0;
        return row_ < PQntuples(result_);
    }

    void reset() override {
        closeCursor();
        PQclear(result_);
        result_ = nullptr;
        started_ = false;
        row_ = -1;
        for (auto& p : params_)
            p.reset();
    }

    int columns() const override { return PQnfields(result_); }
    bool isNull(int column) const override { return PQgetisnull(result_, row_, column) != 0; }
    bool isInteger(int column) const override {
        Oid type = PQftype(result_, column);
        return !isNull(column) && (type == kInt8 || type == kInt2 || type == kInt4);
    }
    bool isNumber(int column) const override {
        Oid type = PQftype(result_, column);
        return isInteger(column) ||
               (!isNull(column) && (type == kFloat4 || type == kFloat8 || type == kNumeric));
    }
    int64_t integer(int column) const override {
        const char* text = PQgetvalue(result_, row_, column);
        int64_t value = 0;
        std::from_chars(text, text + PQgetlength(result_, row_, column), value);
        return value;
    }
    double real(int column) const override {
        const char* text = PQgetvalue(result_, row_, column);
        double value = 0;
        std::from_chars(text, text + PQgetlength(result_, row_, column), value);
        return value;
    }
    std::string text(int column) const override {
        return std::string(PQgetvalue(result_, row_, column),
                           static_cast<size_t>(PQgetlength(result_, row_, column)));
    }

  private:
    void set(int index, std::optional<std::string> value) {
        if (static_cast<size_t>(index) > params_.size()) params_.resize(static_cast<size_t>(index));
        params_[static_cast<size_t>(index - 1)] = std::move(value);
    }

    PGresult* run(const std::string& sql, bool withParams) {
        db_.settle();
        std::vector<const char*> values;
        if (withParams) {
            for (const auto& p : params_)
                values.push_back(p ? p->c_str() : nullptr);
        }
        PGresult* r = PQexecParams(db_.handle(), sql.c_str(), static_cast<int>(values.size()),
                                   nullptr, values.data(), nullptr, nullptr, 0);
        ExecStatusType status = PQresultStatus(r);
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
            std::string reason = reasonOf(r);
            PQclear(r);
            db_.fail(reason);
        }
        return r;
    }

    void start() {
        row_ = -1;
        if (manyRows_ && db_.reading()) {
            std::string cursor = db_.nextCursor();
            PQclear(run("DECLARE " + cursor + " NO SCROLL CURSOR FOR " + sql_, true));
            cursor_ = cursor;
            result_ = run(kFetch + cursor_, false);
            afterBatch();
            return;
        }
        result_ = run(sql_, true);
    }

    // A full batch: the next is asked for at once, so that the server reads it while this one
    // is taken apart. A short one is the last.
    void afterBatch() {
        if (PQntuples(result_) < kBatch) {
            closeCursor();
            return;
        }
        if (PQsendQuery(db_.handle(), (kFetch + cursor_).c_str()) != 1) db_.fail();
        inFlight_ = true;
        db_.setPending([this] { collect(); });
    }

    // Takes the batch asked for (the connection wants it before anything else).
    void collect() {
        inFlight_ = false;
        std::string reason;
        bool ok = true;
        while (PGresult* r = PQgetResult(db_.handle())) {
            if (PQresultStatus(r) != PGRES_TUPLES_OK) {
                ok = false;
                reason = reasonOf(r);
                PQclear(r);
            } else {
                PQclear(next_);
                next_ = r;
            }
        }
        if (!ok || next_ == nullptr) db_.fail(reason);
    }

    void fetch() {
        PQclear(result_);
        result_ = nullptr;
        if (inFlight_) db_.settle();
        result_ = next_;
        next_ = nullptr;
        afterBatch();
    }

    void closeCursor() noexcept {
        if (cursor_.empty()) return;
        try {
            if (inFlight_) db_.settle();
        } catch (const SorvaneError&) {  // the connection failed: nothing to close
        }
        PQclear(next_);
        next_ = nullptr;
        if (PQstatus(db_.handle()) == CONNECTION_OK)
            PQclear(PQexec(db_.handle(), ("CLOSE " + cursor_).c_str()));
        cursor_.clear();
    }

    PgConnection& db_;
    std::string sql_;
    bool manyRows_ = false;
    std::vector<std::optional<std::string>> params_;
    PGresult* result_ = nullptr;
    PGresult* next_ = nullptr;  // the batch asked for ahead
    bool inFlight_ = false;
    std::string cursor_;
    bool started_ = false;
    int row_ = -1;
};

// COPY ... FROM STDIN: the rows bound and stepped are gathered as text lines and sent at once.
class PgCopy final : public StatementCore {
  public:
    PgCopy(PgConnection& db, const char* table, const char* columns, int count)
        : db_(db),
          sql_(std::string("COPY ") + table + " (" + columns + ") FROM STDIN"),
          row_(static_cast<size_t>(count)) {}

    void bind(int index, int64_t value) override { at(index) = std::to_string(value); }
    void bind(int index, double value) override { at(index) = numberText(value); }
    void bind(int index, std::string_view text) override {
        std::string& field = at(index);
        field.clear();
        for (char c : text) {
            switch (c) {
                case '\\':
                    field += "\\\\";
                    break;
                case '\n':
                    field += "\\n";
                    break;
                case '\r':
                    field += "\\r";
                    break;
                case '\t':
                    field += "\\t";
                    break;
                default:
                    field += c;
            }
        }
    }
    void bindNull(int index) override { at(index) = "\\N"; }

    bool step() override {
        for (size_t i = 0; i < row_.size(); ++i) {
            lines_ += i == 0 ? "" : "\t";
            lines_ += row_[i];
        }
        lines_ += '\n';
        return false;
    }
    void reset() override {
        for (std::string& field : row_)
            field = "\\N";
    }

    void finish() override {
        if (lines_.empty()) return;
        db_.settle();
        PGconn* conn = db_.handle();
        PGresult* r = PQexec(conn, sql_.c_str());
        bool copying = PQresultStatus(r) == PGRES_COPY_IN;
        std::string reason = reasonOf(r);
        PQclear(r);
        if (!copying) db_.fail(reason);
        if (PQputCopyData(conn, lines_.data(), static_cast<int>(lines_.size())) != 1 ||
            PQputCopyEnd(conn, nullptr) != 1)
            db_.fail();
        lines_.clear();
        bool done = true;
        reason.clear();
        while (PGresult* end = PQgetResult(conn)) {
            if (PQresultStatus(end) != PGRES_COMMAND_OK) {
                done = false;
                reason = reasonOf(end);
            }
            PQclear(end);
        }
        if (!done) db_.fail(reason);
    }

    int columns() const override { return 0; }
    bool isNull(int) const override { return true; }
    bool isInteger(int) const override { return false; }
    bool isNumber(int) const override { return false; }
    int64_t integer(int) const override { return 0; }
    double real(int) const override { return 0; }
    std::string text(int) const override { return {}; }

  private:
    std::string& at(int index) { return row_.at(static_cast<size_t>(index - 1)); }

    PgConnection& db_;
    std::string sql_;
    std::vector<std::string> row_;
    std::string lines_;
};

}  // namespace

PgConnection::PgConnection(const std::string& uri, std::chrono::milliseconds lockTimeout)
    : shown_(shownLocation(uri)) {
    // The URI comes last, so that what it names overrides these.
    const char* keys[] = {"connect_timeout", "application_name", "dbname", nullptr};
    const char* values[] = {"10", "sorvane", uri.c_str(), nullptr};
    conn_ = PQconnectdbParams(keys, values, 1);
    if (conn_ == nullptr || PQstatus(conn_) != CONNECTION_OK) {
        std::string reason = conn_ ? PQerrorMessage(conn_) : "out of memory";
        PQfinish(conn_);
        conn_ = nullptr;
        throw SorvaneError(kErrLedger, "The ledger " + shown_ + " cannot be opened: " +
                                           oneLine(withoutSecrets(reason, uri)));
    }
    if (PQserverVersion(conn_) < 110000) {
        PQfinish(conn_);
        conn_ = nullptr;
        throw SorvaneError(kErrLedger, "The ledger " + shown_ +
                                           " is on a PostgreSQL server older than version 11, "
                                           "which Sorvane does not use");
    }
    // Notices (a schema that is there already) are no business of the user's.
    PQsetNoticeProcessor(
        conn_, [](void*, const char*) {}, nullptr);
    // Floats as they were written, texts as UTF-8, lock waits bounded; no compiling of
    // queries, which costs the long reads more than it saves.
    exec(("SET client_encoding = 'UTF8'; SET extra_float_digits = 3; SET jit = off; "
          "SET lock_timeout = " +
          std::to_string(lockTimeout.count()))
             .c_str());
    if (uri.find("search_path") == std::string::npos) exec("SET search_path = sorvane");
}

PgConnection::~PgConnection() {
    PQfinish(conn_);
}

void PgConnection::settle() {
    if (!pending_) return;
    std::function<void()> collect = std::move(pending_);
    pending_ = nullptr;
    collect();
}

void PgConnection::exec(const char* sql) {
    settle();
    PGresult* r = PQexec(conn_, sql);
    ExecStatusType status = PQresultStatus(r);
    std::string reason = reasonOf(r);
    PQclear(r);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) fail(reason);
}

std::unique_ptr<StatementCore> PgConnection::prepare(const char* sql, bool manyRows) {
    return std::make_unique<PgStatement>(*this, sql, manyRows);
}

std::unique_ptr<StatementCore> PgConnection::bulkInsert(const char* table, const char* columns,
                                                        int count) {
    return std::make_unique<PgCopy>(*this, table, columns, count);
}

void PgConnection::begin() {
    exec("BEGIN");
}

void PgConnection::beginRead() {
    exec("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY");
    reading_ = true;
}

void PgConnection::commit() {
    reading_ = false;
    exec("COMMIT");
}

void PgConnection::rollback() noexcept {
    reading_ = false;
    try {
        settle();
    } catch (const SorvaneError&) {  // the connection failed: nothing to roll back
    }
    if (PQstatus(conn_) == CONNECTION_OK) PQclear(PQexec(conn_, "ROLLBACK"));
}

void PgConnection::lockKey(int space, std::string_view key) {
    uint32_t hash = 2166136261u;  // FNV-1a
    for (char c : key)
        hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    Statement lock(*this, "SELECT pg_advisory_xact_lock(?1::int4, ?2::int4)");
    lock.bind(1, int64_t{kLockClass + space}).bind(2, int64_t{static_cast<int32_t>(hash)});
    lock.step();
}

int PgConnection::schemaVersion() {
    Statement table(*this,
                    "SELECT count(*) FROM pg_class WHERE oid = to_regclass('schema_version')");
    table.step();
    if (table.integer(0) == 0) return 0;
    Statement version(*this, "SELECT coalesce(max(version), 0) FROM schema_version");
    version.step();
    return static_cast<int>(version.integer(0));
}

bool PgConnection::holdsNoTables() {
    Statement count(
        *this,
        "SELECT count(*) FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace "
        "WHERE n.nspname = current_schema() AND c.relkind IN ('r', 'p', 'v', 'm', 'f')");
    count.step();
    return count.integer(0) == 0;
}

void PgConnection::createPlaceForTables() {
    Statement current(*this, "SELECT current_schema() IS NULL, current_setting('search_path')");
    current.step();
    if (current.text(0) != "t") return;
    // The first schema of the search path, as PostgreSQL names it there.
    std::string path = current.text(1);
    std::string first = path.substr(0, path.find(','));
    while (!first.empty() && first.front() == ' ')
        first.erase(0, 1);
    while (!first.empty() && first.back() == ' ')
        first.pop_back();
    if (first.size() >= 2 && first.front() == '"') first = first.substr(1, first.size() - 2);
    char* quoted = PQescapeIdentifier(conn_, first.c_str(), first.size());
    if (quoted == nullptr) fail();
    std::string sql = std::string("CREATE SCHEMA IF NOT EXISTS ") + quoted;
    PQfreemem(quoted);
    exec(sql.c_str());
}

std::vector<std::string> PgConnection::columnsOf(const std::string& table) {
    Statement s(
        *this,
        "SELECT attname::text FROM pg_attribute WHERE attrelid = to_regclass(quote_ident(?1)) "
        "AND attnum > 0 AND NOT attisdropped ORDER BY attnum");
    s.bind(1, std::string_view(table));
    return s.firstColumn();
}

std::vector<std::string> PgConnection::primaryKeyOf(const std::string& table) {
    Statement s(*this,
                "SELECT a.attname::text FROM pg_index i JOIN pg_attribute a ON a.attrelid = "
                "i.indrelid AND a.attnum = ANY(i.indkey) WHERE i.indrelid = "
                "to_regclass(quote_ident(?1)) AND i.indisprimary AND "
                "array_position(i.indkey::int2[], a.attnum) < "
                "array_lower(i.indkey::int2[], 1) + i.indnkeyatts "
                "ORDER BY array_position(i.indkey::int2[], a.attnum)");
    s.bind(1, std::string_view(table));
    return s.firstColumn();
}

bool PgConnection::indexLeadsWith(const std::string& table, const std::string& column) {
    Statement s(*this,
                "SELECT count(*) FROM pg_index i JOIN pg_attribute a ON a.attrelid = i.indrelid "
                "AND a.attnum = i.indkey[0] WHERE i.indrelid = to_regclass(quote_ident(?1)) "
                "AND a.attname = ?2");
    s.bind(1, std::string_view(table)).bind(2, std::string_view(column));
    return s.step() && s.integer(0) > 0;
}

void PgConnection::fail() const {
    fail(PQerrorMessage(conn_));
}

void PgConnection::fail(const std::string& reason) const {
    // (No reason given: libpq's own words.)
    std::string words = oneLine(reason.empty() && conn_ ? PQerrorMessage(conn_) : reason);
    if (PQstatus(conn_) != CONNECTION_OK) {
        throw SorvaneError(kErrLedger,
                           "The connection to the ledger " + shown_ + " was lost: " + words);
    }
    throw SorvaneError(kErrLedger, "The ledger " + shown_ + " failed: " + words);
}

}  // namespace sorvane::history::sql
