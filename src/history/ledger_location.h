#pragma once

#include <string>
#include <string_view>

namespace sorvane::history {

// A ledger is an SQLite file or, when `--db` begins with postgresql:// or postgres://, a
// database on a PostgreSQL server named by its connection URI.
bool isServerLedger(std::string_view location);

// The location as messages, logs and the settings file show it: a server URI without its
// password (in the user part or as a `password` parameter); a file as it is.
std::string shownLocation(std::string_view location);

// The window's caption for a ledger: `host/dbname` for a server (what the URI names, empty
// parts left empty), the file's name for a file.
std::string ledgerCaption(std::string_view location);

}  // namespace sorvane::history
