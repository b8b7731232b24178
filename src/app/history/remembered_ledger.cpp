#include "app/history/remembered_ledger.h"

#include "app/app_state.h"
#include "app/qt_text.h"
#include "health/settings_file.h"
#include "history/ledger_location.h"
#include "history/ledger_store.h"

namespace sorvane::app {

namespace {

constexpr std::string_view kSection = "History";
constexpr std::string_view kKey = "Database";

std::string remembered(const AppState& state) {
    modUtility::SettingsFile settings(modUtility::SettingsFilePath(state.programFolder()));
    return settings.ReadSetting(kKey, kSection);
}

}  // namespace

bool hasRememberedLedger(const AppState& state) {
    return !remembered(state).empty();
}

QString rememberedLedger(const AppState& state) {
    std::string path = remembered(state);
    if (path.empty()) path = state.programFile(history::kDefaultLedgerFile);
    return history::isServerLedger(path) ? toQString(path) : fromNativePath(path);
}

void rememberLedger(const AppState& state, const QString& path) {
    modUtility::SettingsFile settings(modUtility::SettingsFilePath(state.programFolder()));
    // A server's URI is kept without its password: libpq finds it again in its own sources.
    std::string location = path.toStdString();
    settings.WriteSetting(
        kKey,
        history::isServerLedger(location) ? history::shownLocation(location) : toNativePath(path),
        kSection);
}

}  // namespace sorvane::app
