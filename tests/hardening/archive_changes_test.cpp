// An archive whose file changes while a run reads it (cut, rewritten with another day, another
// archive renamed over it) fails as a whole with one message, and nothing of it is written;
// memory that runs out while history add reads and records days is reported as such.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <sstream>

#include "archive/unzip.h"
#include "common/error.h"
#include "common/log.h"
#include "export/csv_export.h"
#include "health/health_run.h"
#include "health/health_snapshot.h"
#include "limited_child.h"
#include "mkarchive/synthetic_day.h"
#include "support/test_support.h"

namespace sorvane {
namespace {

namespace fs = std::filesystem;

std::vector<synth::ArchiveMember> generatedDay(uint64_t seed, int detectors = 200) {
    return test::generatedDay({.detectors = detectors, .seed = seed});
}

// A listed archive whose file was last written long ago, so that a write during the test
// shows in its modification time however coarse the file system's clock.
struct ListedDay {
    ListedDay() : path(test::makeArchive(dir, "day.traffic", generatedDay(1))) {
        const timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
        ::utimensat(AT_FDCWD, path.c_str(), old, 0);
        reader.ZipFileName(path);
        reader.zipList();
    }
    test::TempDir dir;
    std::string path;
    Log log;
    Unzip reader{log};
};

using Change = std::function<void(const ListedDay&)>;

const struct {
    const char* name;
    Change change;
} kChanges[] = {
    {"cut in place", [](const ListedDay& d) { ::truncate(d.path.c_str(), 4000); }},
    {"rewritten in place with another day of the same size",
     [](const ListedDay& d) {
         std::string other = test::readFile(test::makeArchive(d.dir, "x", generatedDay(2)));
         other.resize(fs::file_size(d.path));
         int fd = ::open(d.path.c_str(), O_WRONLY);  // the same file, not a new one
         ASSERT_EQ(::pwrite(fd, other.data(), other.size(), 0), ssize_t(other.size()));
         ::close(fd);
     }},
    {"another archive renamed over it",
     [](const ListedDay& d) {
         test::makeArchive(d.dir, "other.traffic", generatedDay(1));  // even the same bytes
         ASSERT_EQ(std::rename(d.dir.file("other.traffic").c_str(), d.path.c_str()), 0);
     }},
};

void expectChanged(const std::function<void()>& run, const std::string& path,
                   const std::string& what) {
    try {
        run();
        ADD_FAILURE() << what << ": no error";
    } catch (const SorvaneError& e) {
        EXPECT_EQ(e.number(), kErrArchiveChanged) << what << ": " << e.description();
        EXPECT_EQ(e.description(), "The archive " + path + " changed while it was read") << what;
    }
}

// The change comes from the run's own progress, after the tenth detector, with the run's
// workers reading ahead or not.
TEST(ArchiveChanges, AHealthTestFailsWhenItsArchiveChangesDuringTheRun) {
    for (const auto& c : kChanges) {
        for (int jobs : {1, 2}) {
            ListedDay day;
            int seen = 0;
            auto changeAtTen = [&](int, int, const modBaddet::DetectorOutcome&) {
                if (++seen == 10) c.change(day);
            };
            expectChanged(
                [&] {
                    modBaddet::RunHealthTest(day.reader, day.log,
                                             modBaddet::takeHealthSnapshot(factoryParameterTexts()),
                                             modBaddet::kAllDetectors, changeAtTen, {}, jobs);
                },
                day.path, std::string(c.name) + ", jobs " + std::to_string(jobs));
            // Nothing of the day is taken for a damaged detector.
            EXPECT_EQ(day.log.logText().find("cannot be read"), std::string::npos) << c.name;
        }
    }
}

// The export reads through the same reader: a change after the listing leaves no file.
TEST(ArchiveChanges, AnExportFailsWhenItsArchiveChangedSinceItsListing) {
    for (const auto& c : kChanges) {
        ListedDay day;
        c.change(day);
        ExportSettings settings;
        settings.destination = day.dir.file("out.csv");
        settings.jobs = 2;
        expectChanged(
            [&] {
                ExportCsv({"100", "101", "150"}, day.reader, settings, day.log);
            },
            day.path, c.name);
        EXPECT_FALSE(fs::exists(settings.destination)) << c.name;
    }
}

// history add with many jobs under a small address space: starting the workers or reading an
// archive runs out of memory. Every failure says so (no abort, no archive taken for damaged),
// and the ledger keeps every day that was written.
TEST(ArchiveChanges, HistoryAddSaysWhenMemoryRunsOut) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizers reserve more address space than the limit allows";
#else
    test::TempDir dir;
    const std::string first = test::makeArchive(dir, "20240101.traffic", generatedDay(3, 1500));
    std::vector<std::string> args{SORVANE_CLI,     "history", "add", "--db",
                                  dir.file("l.sqlite"), "--jobs",  "64"};
    for (int d = 1; d <= 24; ++d) {
        const std::string name =
            dir.file("202401" + std::string(d < 10 ? "0" : "") + std::to_string(d) + ".traffic");
        if (d > 1) fs::copy_file(first, name);
        args.push_back(name);
    }
    const test::CommandResult r = test::runCommandWithLimit(RLIMIT_AS, size_t{120} << 20, args);
    ASSERT_EQ(r.exitCode, 1) << r.err;
    std::istringstream lines(r.err);
    for (std::string line; std::getline(lines, line);) {
        const bool says = line.ends_with(": not enough memory for its health test") ||
                          line == "not enough memory for the health ledger";
        EXPECT_TRUE(says) << line;
    }
    const test::CommandResult report =
        test::runCommand({SORVANE_CLI, "history", "report", "--db", dir.file("l.sqlite")});
    // (A ledger that no day reached is refused as one without days.)
    EXPECT_TRUE(report.exitCode == 0 || report.err.ends_with(" holds no days yet\n")) << report.err;
#endif
}

}  // namespace
}  // namespace sorvane
