#pragma once

#include <string>

#include "history/sqlite_db.h"

namespace sorvane::history {

// SQLite's files beside a ledger, named by the ledger's name and these endings.
inline constexpr const char* kLedgerCompanions[] = {"-wal", "-shm", "-journal"};

// The ledger file that `history add` writes, checked before SQLite touches anything: its links
// followed under the outputs' rule (a link another user planted in a shared sticky folder, or a
// link to nothing, refused), a regular file or none yet, writable by the user's mode bits, in a
// folder the user may write, and its -wal, -shm and -journal files the same. Returns the file
// itself (its links followed); throws SorvaneError.
std::string ledgerFileToWrite(const std::string& db);

// How a ledger that is only read is opened.
struct LedgerToRead {
    std::string path;  // the file itself, its links followed
    sql::Database::Mode mode;
};

// The ledger file that `history report`, `history detector` and the window read. A user who
// owns the ledger and may write it and its folder opens it as a writer would, so that closing it
// tidies SQLite's files away. Anyone else creates no file beside it: a ledger whose -wal holds
// committed days is read through the -shm file that is there, and refused with a message saying
// what to do when there is none; one without is read as it stands. Throws SorvaneError.
LedgerToRead ledgerFileToRead(const std::string& db);

// Throws SorvaneError (kErrInvalidInput) when `output` names one of the ledger's -wal, -shm or
// -journal files (which SQLite creates and deletes), whether or not it is there now.
void refuseOutputOverLedgerFiles(const std::string& output, const std::string& db);

}  // namespace sorvane::history
