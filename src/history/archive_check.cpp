#include "history/archive_check.h"

#include <sys/stat.h>

#include <map>

#include "archive/archive_fingerprint.h"
#include "common/error.h"

namespace sorvane::history {

std::string_view archiveStateName(ArchiveState state) {
    switch (state) {
        case ArchiveState::Ok:
            return "ok";
        case ArchiveState::Missing:
            return "missing";
        case ArchiveState::Changed:
            return "changed";
        case ArchiveState::Unknown:
            break;
    }
    return "unknown";
}

ArchiveState checkArchive(const LedgerDay& day) {
    // Without a record there is nothing to hold the file against, there or not.
    if (!day.archiveSize || !day.archiveFingerprint) return ArchiveState::Unknown;
    struct stat info {};
    if (::stat(day.archive.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return ArchiveState::Missing;
    if (static_cast<int64_t>(info.st_size) != *day.archiveSize) return ArchiveState::Changed;
    try {
        ArchiveFingerprint now = archiveFingerprint(day.archive);
        bool same = static_cast<int64_t>(now.size) == *day.archiveSize &&
                    now.sha256 == *day.archiveFingerprint;
        return same ? ArchiveState::Ok : ArchiveState::Changed;
    } catch (const SorvaneError&) {
        return ArchiveState::Changed;  // no longer an archive, or no longer readable
    }
}

std::vector<ArchiveCheck> checkArchives(const std::vector<LedgerDay>& days) {
    std::vector<ArchiveCheck> checks;
    checks.reserve(days.size());
    for (const LedgerDay& day : days)
        checks.push_back({day.date, checkArchive(day), day.archive});
    return checks;
}

std::string archiveCheckSummary(const std::vector<ArchiveCheck>& checks) {
    std::map<ArchiveState, int> count;
    for (const ArchiveCheck& c : checks)
        ++count[c.state];
    std::string summary;
    for (ArchiveState state :
         {ArchiveState::Ok, ArchiveState::Missing, ArchiveState::Changed, ArchiveState::Unknown}) {
        summary += (summary.empty() ? "" : ", ") + std::string(archiveStateName(state)) + ": " +
                   std::to_string(count[state]);
    }
    return summary;
}

std::string archiveCheckText(const std::vector<ArchiveCheck>& checks) {
    std::string out;
    for (const ArchiveCheck& c : checks)
        out += c.date + ", " + std::string(archiveStateName(c.state)) + ", " + c.archive + "\n";
    return out + archiveCheckSummary(checks) + "\n";
}

}  // namespace sorvane::history
