// Every file the program writes, sent where it cannot go: the user is told which file and why,
// and no half-written file is left under the destination's name; a file that was there keeps
// its content. In a folder nobody may write (/proc) this holds for root as well.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstdio>
#include <filesystem>
#include <functional>

#include "archive/unzip.h"
#include "common/error.h"
#include "common/log.h"
#include "export/csv_export.h"
#include "hardening/limited_child.h"
#include "health/health_report.h"
#include "health/health_run.h"
#include "health/settings_file.h"
#include "support/test_support.h"

namespace sorvane {
namespace {

namespace fs = std::filesystem;

// A destination that cannot be written (inside the test's folder unless absolute), the reason
// the message gives ("": it depends on who runs the test), and how large a file may grow.
struct Destination {
    const char* what;
    const char* path;
    const char* reason;
    size_t fileLimit = RLIM_INFINITY;
};

const Destination kDestinations[] = {
    {"folder missing", "missing/out.txt", "No such file or directory"},
    {"destination a directory", "folder.txt", "Is a directory"},
    {"folder is a file", "plain/out.txt", "Not a directory"},
    {"read-only folder", "/proc/sorvane-out.txt", ""},
    {"read-only destination", "/proc/version", ""},
    // 4 bytes: less than any file the program writes.
    {"disk full", "out.txt", "File too large", 4},
};

// The test's folder: a directory, a plain file and an old out.txt; returns the destination.
std::string prepare(const test::TempDir& dir, const Destination& d) {
    fs::create_directory(dir.file("folder.txt"));
    test::writeFile(dir.file("plain"), "mine\r\n");
    test::writeFile(dir.file("out.txt"), "old\r\n");
    return d.path[0] == '/' ? d.path : dir.file(d.path);
}

// The names in the test's folder, and the destination's content.
std::pair<std::vector<std::string>, std::string> stateOf(const test::TempDir& dir,
                                                         const std::string& to) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.path()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return {names, fs::is_regular_file(to) ? test::readFile(to) : ""};
}

class OutputDestinations : public ::testing::Test {
  protected:
    void SetUp() override {
        archive = test::makeArchive(
            data, "day.traffic",
            {{"100.v30", test::volumeBytes(5)}, {"100.o30", test::occupancyBytes(120)}});
        reader.ZipFileName(archive);
        reader.zipList();
    }

    test::TempDir data;
    Log log;
    Unzip reader{log};
    std::string archive;
};

// Each of the program's files through the call that writes it, in a child process whose files
// are limited as the destination says: it exits with 0 when refused with a message about
// this file and the reason.
TEST_F(OutputDestinations, UnwritableDestinationIsReportedAndNothingIsLeftBehind) {
    auto snapshot = modBaddet::takeHealthSnapshot(factoryParameterTexts());
    std::string report =
        modBaddet::RunHealthTest(reader, log, snapshot, modBaddet::kAllDetectors).reportText;
    const std::pair<const char*, std::function<void(const std::string&)>> writers[] = {
        {"export",
         [this](const std::string& to) {
             ExportSettings settings;
             settings.destination = to;
             ExportCsv({"100"}, reader, settings, log);
         }},
        {"report", [&](const std::string& to) { modBaddet::WriteReport(to, report); }},
        {"settings",
         [](const std::string& to) {
             modUtility::SettingsFile(to).WriteSetting("SuspTh", "16", "Param");
         }},
    };
    for (const auto& writer : writers) {
        for (const Destination& d : kDestinations) {
            test::TempDir dir;
            std::string to = prepare(dir, d);
            auto before = stateOf(dir, to);
            int status = test::runWithFileSizeLimit(d.fileLimit, [&] {
                try {
                    writer.second(to);
                    return 1;
                } catch (const SorvaneError& e) {
                    // The settings file is read before it is rewritten: a directory in its
                    // place "cannot be read".
                    const std::string& m = e.description();
                    bool named = m.find("The file " + to + " cannot be ") != std::string::npos &&
                                 m.find(d.reason) != std::string::npos;
                    if (!named) std::fprintf(stderr, "%s\n", m.c_str());
                    return named ? 0 : 2;
                }
            });
            EXPECT_EQ(status, 0) << writer.first << ", " << d.what;
            EXPECT_EQ(stateOf(dir, to), before) << writer.first << ", " << d.what;
        }
    }
}

// The command line: exit status 1, the lists still on stdout, and a last stderr line naming
// the file and the reason.
TEST_F(OutputDestinations, CommandLineReportsTheFileItCannotWrite) {
    const struct {
        const char* what;
        std::vector<std::string> args;  // the destination follows
        bool printsLists;
    } commands[] = {
        {"export", {SORVANE_CLI_PATH, "export", archive, "--ids", "100", "-o"}, false},
        {"health report", {SORVANE_CLI_PATH, "health", archive, "-o"}, true},
        {"single report", {SORVANE_CLI_PATH, "health", archive, "--det", "100", "-o"}, true},
        {"measures table",
         {SORVANE_CLI_PATH, "health", archive, "-o", data.file("r.txt"), "--measures-csv"},
         true},
    };
    for (const auto& c : commands) {
        for (const Destination& d : kDestinations) {
            test::TempDir dir;
            std::vector<std::string> args = c.args;
            args.push_back(prepare(dir, d));
            auto before = stateOf(dir, args.back());
            test::CommandResult r = test::runCommandWithFileSizeLimit(d.fileLimit, args);
            std::string err = r.err.substr(0, r.err.find_last_not_of('\n') + 1);
            std::string lastLine = err.substr(err.find_last_of('\n') + 1);
            std::string says = "The file " + args.back() + " cannot be written: " + d.reason;
            EXPECT_EQ(r.exitCode, 1) << c.what << ", " << d.what;
            EXPECT_EQ(*d.reason != '\0' ? lastLine : lastLine.substr(0, says.size()), says)
                << c.what << ", " << d.what;
            EXPECT_EQ(r.out.find("List of highly suspicious detectors") == 0, c.printsLists)
                << c.what << ", " << d.what;
            EXPECT_EQ(stateOf(dir, args.back()), before) << c.what << ", " << d.what;
        }
    }
}

}  // namespace
}  // namespace sorvane
