// Every file the program writes, sent where it cannot go: the user is told which file and why,
// and no half-written file is left under the destination's name; a file that was there keeps
// its content. In a folder nobody may write (/proc) this holds for root as well.
#include <gtest/gtest.h>

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

// A destination that cannot be written, and the reason the message gives (empty: the reason
// depends on who runs the test).
struct Destination {
    const char* what;
    std::function<std::string(const test::TempDir&)> make;
    const char* reason;
};

const Destination kDestinations[] = {
    {"folder missing", [](const test::TempDir& d) { return d.file("missing/out.txt"); },
     "No such file or directory"},
    {"destination a directory",
     [](const test::TempDir& d) {
         fs::create_directory(d.file("folder.txt"));
         return d.file("folder.txt");
     },
     "Is a directory"},
    {"folder is a file",
     [](const test::TempDir& d) {
         test::writeFile(d.file("plain"), "mine\r\n");
         return d.file("plain/out.txt");
     },
     "Not a directory"},
    {"read-only folder", [](const test::TempDir&) { return std::string("/proc/sorvane-out.txt"); },
     ""},
    {"read-only destination", [](const test::TempDir&) { return std::string("/proc/version"); },
     ""},
};

// The disk-full case: the destination holds this before the write.
constexpr char kOldContent[] = "old\r\n";
constexpr size_t kFullAfterBytes = 4;  // less than any file the program writes

// What the tests write: each of the program's files through the call that writes it.
struct Writer {
    const char* what;
    std::function<void(const std::string& destination)> write;
};

class OutputDestinations : public ::testing::Test {
  protected:
    void SetUp() override {
        archive = test::makeArchive(
            data, "day.traffic",
            {{"100.v30", test::volumeBytes(5)}, {"100.o30", test::occupancyBytes(120)}});
        reader.ZipFileName(archive);
        reader.zipList();
        auto snapshot = modBaddet::takeHealthSnapshot(factoryParameterTexts());
        allReport = modBaddet::RunHealthTest(reader, log, snapshot, modBaddet::kAllDetectors);
        singleReport = modBaddet::RunHealthTest(reader, log, snapshot, 100);
    }

    std::vector<Writer> writers() {
        return {
            {"export",
             [this](const std::string& to) {
                 ExportSettings settings;
                 settings.destination = to;
                 ExportCsv({"100"}, reader, settings, log);
             }},
            {"Diagnostic_Report.txt",
             [this](const std::string& to) { modBaddet::WriteReport(to, allReport.reportText); }},
            {"report_single.txt",
             [this](const std::string& to) {
                 modBaddet::WriteReport(to, singleReport.reportText);
             }},
            {"ParamSettings.ini",
             [](const std::string& to) {
                 modUtility::SettingsFile(to).WriteSetting("SuspTh", "16", "Param");
             }},
        };
    }

    // The names in the test's folder: nothing but what the test put there.
    static std::vector<std::string> namesIn(const test::TempDir& dir) {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir.path()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    test::TempDir data;
    Log log;
    Unzip reader{log};
    std::string archive;
    modBaddet::HealthRunResult allReport, singleReport;
};

TEST_F(OutputDestinations, UnwritableDestinationIsReportedAndNothingIsLeftBehind) {
    for (const Writer& writer : writers()) {
        for (const Destination& d : kDestinations) {
            test::TempDir dir;
            std::string to = d.make(dir);
            std::vector<std::string> before = namesIn(dir);
            std::string old = fs::is_regular_file(to) ? test::readFile(to) : "";
            try {
                writer.write(to);
                ADD_FAILURE() << writer.what << ", " << d.what << ": written";
            } catch (const SorvaneError& e) {
                // The settings file is read before it is rewritten: a directory in its place
                // "cannot be read".
                EXPECT_NE(e.description().find("The file " + to + " cannot be "), std::string::npos)
                    << writer.what << ", " << d.what << ": " << e.description();
                EXPECT_NE(e.description().find(d.reason), std::string::npos)
                    << writer.what << ", " << d.what << ": " << e.description();
            }
            EXPECT_EQ(namesIn(dir), before) << writer.what << ", " << d.what;
            if (!old.empty()) {
                EXPECT_EQ(test::readFile(to), old) << writer.what << ", " << d.what;
            }
        }
    }
}

TEST_F(OutputDestinations, FullDiskKeepsTheOldFile) {
    for (const Writer& writer : writers()) {
        test::TempDir dir;
        std::string to = dir.file("out.txt");
        test::writeFile(to, kOldContent);
        // Exit status 0: refused with a message about this file; 1: written; 2: other failure.
        int status = test::runWithFileSizeLimit(kFullAfterBytes, [&] {
            try {
                writer.write(to);
                return 1;
            } catch (const SorvaneError& e) {
                bool named = e.description().find(to) != std::string::npos &&
                             e.description().find("File too large") != std::string::npos;
                return named ? 0 : 2;
            } catch (...) {
                return 2;
            }
        });
        EXPECT_EQ(status, 0) << writer.what;
        EXPECT_EQ(test::readFile(to), kOldContent) << writer.what;
        EXPECT_EQ(namesIn(dir), std::vector<std::string>{"out.txt"}) << writer.what;
    }
}

// The command line: exit status 1, the lists still on stdout, and one stderr line naming the
// file and the reason.
TEST_F(OutputDestinations, CommandLineReportsTheFileItCannotWrite) {
    struct Command {
        const char* what;
        std::vector<std::string> args;  // the destination follows
        bool printsLists;
    };
    const Command commands[] = {
        {"export", {SORVANE_CLI_PATH, "export", archive, "--ids", "100", "-o"}, false},
        {"health report", {SORVANE_CLI_PATH, "health", archive, "-o"}, true},
        {"single report", {SORVANE_CLI_PATH, "health", archive, "--det", "100", "-o"}, true},
        {"measures table",
         {SORVANE_CLI_PATH, "health", archive, "-o", data.file("r.txt"), "--measures-csv"},
         true},
    };
    auto lastLine = [](const std::string& text) {
        std::string t = text.substr(0, text.find_last_not_of('\n') + 1);
        return t.substr(t.find_last_of('\n') + 1);
    };
    for (const Command& c : commands) {
        for (const Destination& d : kDestinations) {
            test::TempDir dir;
            std::vector<std::string> args = c.args;
            args.push_back(d.make(dir));
            test::CommandResult r = test::runCommand(args);
            EXPECT_EQ(r.exitCode, 1) << c.what << ", " << d.what;
            EXPECT_EQ(lastLine(r.err).rfind("The file " + args.back() + " cannot be written: ", 0),
                      0u)
                << c.what << ", " << d.what << ": " << r.err;
            EXPECT_EQ(r.out.find("List of highly suspicious detectors") == 0, c.printsLists)
                << c.what << ", " << d.what;
        }
        test::TempDir dir;
        std::vector<std::string> args = c.args;
        args.push_back(dir.file("out.txt"));
        test::writeFile(args.back(), kOldContent);
        test::CommandResult r = test::runCommandWithFileSizeLimit(kFullAfterBytes, args);
        EXPECT_EQ(r.exitCode, 1) << c.what << ", disk full";
        EXPECT_EQ(lastLine(r.err), "The file " + args.back() + " cannot be written: File too large")
            << c.what << ", disk full";
        EXPECT_EQ(test::readFile(args.back()), kOldContent) << c.what << ", disk full";
    }
}

}  // namespace
}  // namespace sorvane
