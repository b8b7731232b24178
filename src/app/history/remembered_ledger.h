#pragma once

#include <QString>

namespace sorvane::app {

class AppState;

// The ledger the history window used last, as ParamSettings.ini remembers it (section
// "History", key "Database"); the program folder's sorvane-history.sqlite when none is.
QString rememberedLedger(const AppState& state);
bool hasRememberedLedger(const AppState& state);

// Remembers the ledger for the next time, a server's URI without its password. Throws SorvaneError
// naming the settings file and the reason when it cannot be written.
void rememberLedger(const AppState& state, const QString& path);

}  // namespace sorvane::app
