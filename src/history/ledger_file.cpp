#include "history/ledger_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "common/error.h"
#include "common/output_destination.h"
#include "common/text_file.h"
#include "history/ledger_location.h"

namespace sorvane::history {

namespace {

[[noreturn]] void refuse(int number, const std::string& text) {
    throw SorvaneError(number, text);
}

std::string folderOf(const std::string& path) {
    std::string folder = folderPart(path);
    return folder.empty() ? "." : folder;
}

bool folderWritable(const std::string& path) {
    struct stat folder {};
    return ::stat(folderOf(path).c_str(), &folder) == 0 && writableByUser(folder) &&
           ::access(folderOf(path).c_str(), W_OK | X_OK) == 0;
}

void refuseOtherThanFile(const std::string& db, const struct stat& st) {
    if (!S_ISREG(st.st_mode)) {
        refuse(kErrLedger, "The ledger " + db +
                               " is not a regular file (a folder, a pipe or a device): name the "
                               "ledger's file with --db");
    }
}

// The size of a file beside the ledger, -1 when there is none; 1 for what is not a regular
// file (a link), whose content SQLite would read.
off_t sizeOf(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return -1;
    return S_ISREG(st.st_mode) ? st.st_size : 1;
}

// The database header's file format versions: 2 and 2 for a WAL database.
bool inWalMode(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    unsigned char header[20] = {};
    bool wal = ::pread(fd, header, sizeof header, 0) == static_cast<ssize_t>(sizeof header) &&
               header[18] == 2 && header[19] == 2;
    ::close(fd);
    return wal;
}

// The full path of a file's folder (its links resolved) and the file's own name.
std::string canonicalName(const std::string& path) {
    char buffer[PATH_MAX];
    if (::realpath(folderOf(path).c_str(), buffer) == nullptr) return path;
    std::string name =
        path.substr(path.find_last_of('/') == std::string::npos ? 0 : path.find_last_of('/') + 1);
    return std::string(buffer) + "/" + name;
}

}  // namespace

std::string ledgerFileToWrite(const std::string& db) {
    OutputTarget target = resolveOutputTarget(db);
    if (target.kind == OutputTarget::Kind::InPlace) refuseOtherThanFile(db, target.status);
    if (!folderWritable(target.path)) {
        refuse(kErrLedger, "The ledger " + db + " cannot be written: its folder " +
                               folderOf(target.path) + " takes no new file (" +
                               std::strerror(EACCES) + ")");
    }
    for (const char* ending : kLedgerCompanions) {
        std::string companion = target.path + ending;
        OutputTarget beside = resolveOutputTarget(companion);
        if (beside.kind == OutputTarget::Kind::InPlace)
            refuseOtherThanFile(companion, beside.status);
    }
    return target.path;
}

LedgerToRead ledgerFileToRead(const std::string& db) {
    if (db.empty()) refuse(kErrInvalidInput, "The file name is empty.");
    ResolvedName resolved = followLinks(db, [&](const std::string& reason) {
        return SorvaneError(kErrLedger, "The ledger " + db + " cannot be read: " + reason);
    });
    if (!resolved.exists) refuse(kErrLedger, "The ledger " + db + " does not exist");
    refuseOtherThanFile(db, resolved.status);
    const std::string& path = resolved.path;
    bool owner = resolved.status.st_uid == ::geteuid() && writableByUser(resolved.status) &&
                 folderWritable(path);
    if (owner) {
        for (const char* ending : kLedgerCompanions) {
            struct stat st {};
            if (::lstat((path + ending).c_str(), &st) == 0 &&
                (!S_ISREG(st.st_mode) || st.st_uid != ::geteuid()))
                owner = false;
        }
    }
    if (owner) return {path, sql::Database::Mode::ReadWrite};
    // Committed days in the -wal are read through the -shm file, which SQLite would create
    // where there is none: it is only read, and without one the ledger is refused. An -shm
    // beside an empty -wal is used as well, with its locks: another program has the ledger open.
    off_t wal = sizeOf(path + "-wal");
    off_t shm = sizeOf(path + "-shm");
    if (wal > 0 || (wal == 0 && shm >= 0)) {
        if (shm < 0) {
            refuse(kErrLedger,
                   "The ledger " + db +
                       " keeps days in its -wal file, which cannot be read from here without "
                       "creating a file beside the ledger: let its owner open it once (history "
                       "report) with the ledger and its folder writable, or copy the ledger with "
                       "its -wal file into a folder of your own and name the copy with --db");
        }
        return {path, sql::Database::Mode::ReadOnlyShm};
    }
    // An empty -wal without an -shm, or none: the file holds every committed day. SQLite would
    // create a -wal for a WAL database, so it is read as it stands; any other is read with its
    // locks, which create nothing.
    return {path, inWalMode(path) ? sql::Database::Mode::Immutable : sql::Database::Mode::ReadOnly};
}

void refuseOutputOverLedgerFiles(const std::string& output, const std::string& db) {
    if (isServerLedger(db)) return;  // a server keeps no files beside an output
    std::string ledger;
    try {
        ledger = followLinks(db, [](const std::string& reason) {
                     return SorvaneError(kErrLedger, reason);
                 }).path;
    } catch (const SorvaneError&) {
        return;  // the ledger itself is refused when it is opened
    }
    std::string out = output;
    try {
        out = resolveOutputTarget(output).path;
    } catch (const SorvaneError&) {
        return;  // the output is refused when it is written
    }
    for (const char* ending : kLedgerCompanions) {
        if (canonicalName(out) == canonicalName(ledger + ending)) {
            refuse(kErrInvalidInput, "The file " + output + " is the ledger's " +
                                         std::string(ending) +
                                         " file, which SQLite deletes: it cannot be an output.");
        }
    }
}

}  // namespace sorvane::history
