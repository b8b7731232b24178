// How a file the program writes replaces what was there: a destination written in place is
// touched only by a complete output, a replacement keeps the mode and owner of the file it
// replaces, links planted by another user in a shared folder are not followed, and signals
// leave no temporary file. Cases that need other users run only as root (as in CI).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>

#include "archive/unzip.h"
#include "common/log.h"
#include "common/text_file.h"
#include "export/csv_export.h"
#include "hardening/limited_child.h"
#include "support/member_builders.h"
#include "support/test_support.h"

namespace sorvane {
namespace {

namespace fs = std::filesystem;

constexpr uid_t kNobody = 65534;
constexpr uid_t kThirdUser = 65533;

bool isRoot() {
    return ::geteuid() == 0;
}

// An archive whose detector 101 has a volume member with a damaged deflate stream.
std::string archiveWithDamagedMember(const test::TempDir& dir) {
    std::string path =
        test::makeArchive(dir, "day.traffic",
                          {test::volumeMember("100", 5), test::occupancyMember("100", 120),
                           test::volumeMember("101", 5), test::occupancyMember("101", 120)});
    std::string zip = test::readFile(path);
    size_t name = zip.find("101.v30");  // the local header's copy comes first
    size_t extra = static_cast<uint8_t>(zip[name - 2]) | static_cast<uint8_t>(zip[name - 1]) << 8;
    zip[name + 7 + extra] = '\xFF';  // a block of the reserved type
    test::writeFile(path, zip);
    return path;
}

class FileReplacement : public ::testing::Test {
  protected:
    void SetUp() override {
        ::chmod(dir.path().c_str(), 0755);  // open to the ordinary user of the in-place cases
        test::writeFile(dir.file("target.txt"), "old\r\n");
    }

    test::TempDir dir;
};

// A destination that can only be written in place gets nothing from an export that fails on a
// damaged member, and the whole file from one that succeeds. The content waits in a nameless
// file in $TMPDIR, which keeps nothing.
TEST_F(FileReplacement, InPlaceDestinationIsTouchedOnlyByACompleteOutput) {
    const std::string archive = archiveWithDamagedMember(dir);
    ::chmod(archive.c_str(), 0644);
    Log log;
    Unzip reader(log);
    reader.ZipFileName(archive);
    reader.zipList();
    ExportSettings settings;
    settings.intervalPosition = 9;  // "1 hour": a file that fits in a pipe's buffer
    settings.destination = dir.file("reference.csv");
    ExportCsv({"100"}, reader, settings, log);
    const std::string expected = test::readFile(settings.destination);

    const std::string spool = dir.file("spool");
    fs::create_directory(spool);
    ::chmod(spool.c_str(), 01777);
    const char* oldTmp = std::getenv("TMPDIR");
    const std::string keptTmp = oldTmp != nullptr ? oldTmp : "";
    ::setenv("TMPDIR", spool.c_str(), 1);

    // Exit status 0 when the failed export left the destination as it was and the good one
    // wrote it whole; `content` reads the destination.
    auto exportTwice = [&](const std::string& to, const std::function<std::string()>& content) {
        settings.destination = to;
        std::string before = content();
        std::string message = test::refusal([&] {
            ExportCsv({"100", "101"}, reader, settings, log);
        });
        if (message.find("101.v30") == std::string::npos) return 1;
        if (content() != before) return 2;
        ExportCsv({"100"}, reader, settings, log);
        return content() == expected ? 0 : 3;
    };

    const std::string locked = dir.file("locked");
    fs::create_directory(locked);
    const std::string kept = locked + "/kept.csv";
    test::writeFile(kept, "old\r\n");
    ::chmod(kept.c_str(), 0666);
    ::chmod(locked.c_str(), 0555);  // takes no new files from an ordinary user
    EXPECT_EQ(test::runAsOrdinaryUser(
                  [&] { return exportTwice(kept, [&] { return test::readFile(kept); }); }),
              0)
        << "a file in a folder that takes no new files";
    ::chmod(locked.c_str(), 0755);
    EXPECT_EQ(test::filesIn(locked).size(), 1u);

    const std::string fifo = dir.file("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    int reading = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reading, 0);
    std::string received;
    auto drain = [&] {
        char buffer[4096];
        ssize_t n;
        while ((n = ::read(reading, buffer, sizeof buffer)) > 0)
            received.append(buffer, static_cast<size_t>(n));
        return received;
    };
    EXPECT_EQ(exportTwice(fifo, drain), 0) << "a pipe";
    ::close(reading);

    EXPECT_EQ(test::filesIn(spool).size(), 0u);
    if (oldTmp != nullptr)
        ::setenv("TMPDIR", keptTmp.c_str(), 1);
    else
        ::unsetenv("TMPDIR");
}

// A replaced file keeps its mode and, where the user may set them, its owner and group; one
// that its mode bits do not let the user write is refused, root included. A new file gets
// 0666 without the umask.
TEST_F(FileReplacement, ReplacementKeepsModeAndOwner) {
    const struct {
        const char* what;
        mode_t mode;
        uid_t owner;  // 0: the user
        bool refused;
    } cases[] = {
        {"owner only", 0600, 0, false},
        {"group may read", 0640, 0, false},
        {"others may read", 0604, 0, false},
        {"write only", 0200, 0, false},
        {"read-only", 0444, 0, true},
        {"read-only to its owner", 0044, 0, true},
        {"another user's, writable to all", 0666, kNobody, false},
        {"another user's, read-only to others", 0644, kNobody, true},
    };
    for (const auto& c : cases) {
        if (c.owner != 0 && !isRoot()) continue;  // only root can give a file away
        std::string path = dir.file(std::string(c.what) + ".txt");
        test::writeFile(path, "old\r\n");
        ::chmod(path.c_str(), c.mode);
        uid_t owner = c.owner != 0 ? c.owner : ::geteuid();
        gid_t group = c.owner != 0 ? c.owner : ::getegid();
        if (c.owner != 0) {
            ASSERT_EQ(::chown(path.c_str(), owner, group), 0);
        }

        std::string message = test::refusal([&] { writeWholeFile(path, "new\r\n"); });
        EXPECT_EQ(message,
                  c.refused ? "The file " + path + " cannot be written: Permission denied" : "")
            << c.what;
        struct stat st {};
        ASSERT_EQ(::stat(path.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, c.mode) << c.what;
        EXPECT_EQ(st.st_uid, owner) << c.what;
        EXPECT_EQ(st.st_gid, group) << c.what;
        ::chmod(path.c_str(), 0600);
        EXPECT_EQ(test::readFile(path), c.refused ? "old\r\n" : "new\r\n") << c.what;
    }

    mode_t oldMask = ::umask(027);
    writeWholeFile(dir.file("new.txt"), "new\r\n");
    ::umask(oldMask);
    struct stat st {};
    ASSERT_EQ(::stat(dir.file("new.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

// In a folder that everyone may write and that has the sticky bit, a link is followed only
// when it belongs to the user or to the folder's owner; a link to nothing is refused anywhere.
TEST_F(FileReplacement, LinksInSharedFoldersAreFollowedOnlyWhenTrusted) {
    const std::string target = dir.file("target.txt");
    const struct {
        const char* what;
        mode_t folderMode;
        uid_t linkOwner;  // 0: the user
        bool dangling;
        const char* refusedBecause;  // nullptr: the link is followed
    } cases[] = {
        {"the user's link", 01777, 0, false, nullptr},
        {"the folder owner's link", 01777, kNobody, false, nullptr},
        {"another user's link", 01777, kThirdUser, false, "another user made in a folder"},
        {"another user's link, no sticky bit", 0777, kThirdUser, false, nullptr},
        {"a link to nothing", 01777, 0, true, "it is a link to a file that does not exist"},
    };
    for (const auto& c : cases) {
        if (c.linkOwner != 0 && !isRoot()) continue;  // only root can give a link away
        test::writeFile(target, "old\r\n");
        const std::string shared = dir.file(c.what);
        fs::create_directory(shared);
        ::chmod(shared.c_str(), c.folderMode);
        if (isRoot()) {
            ASSERT_EQ(::chown(shared.c_str(), kNobody, kNobody), 0);
        }
        const std::string pointsTo = c.dangling ? dir.file("missing.txt") : target;
        const std::string link = shared + "/Diagnostic_Report.txt";
        fs::create_symlink(pointsTo, link);
        if (c.linkOwner != 0) {
            ASSERT_EQ(::lchown(link.c_str(), c.linkOwner, c.linkOwner), 0);
        }

        std::string message = test::refusal([&] { writeWholeFile(link, "new\r\n"); });
        if (c.refusedBecause == nullptr) {
            EXPECT_EQ(message, "") << c.what;
        } else {
            EXPECT_EQ(message.rfind("The file " + link + " cannot be written: ", 0), 0u) << c.what;
            EXPECT_NE(message.find(c.refusedBecause), std::string::npos)
                << c.what << ": " << message;
        }
        EXPECT_TRUE(fs::is_symlink(link)) << c.what;
        EXPECT_EQ(test::filesIn(shared).size(), 1u) << c.what;
        EXPECT_EQ(fs::exists(pointsTo), !c.dangling) << c.what;
        if (!c.dangling) {
            EXPECT_EQ(test::readFile(target), c.refusedBecause ? "old\r\n" : "new\r\n") << c.what;
        }
    }
}

// Ctrl-C, SIGTERM and SIGHUP while a file is being written end the program by the signal, with
// the temporary file removed and the destination as it was.
TEST_F(FileReplacement, SignalsLeaveNoTemporaryFile) {
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
        const std::string to = dir.file("target.txt");
        pid_t pid = ::fork();
        if (pid == 0) {
            AtomicFileWriter writer(to);
            writer.write(std::string(1 << 20, 'x'));
            ::raise(sig);
            ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig) << sig;
        EXPECT_EQ(test::filesIn(dir.path()).size(), 1u) << sig;
        EXPECT_EQ(test::readFile(to), "old\r\n") << sig;
    }
}

}  // namespace
}  // namespace sorvane
