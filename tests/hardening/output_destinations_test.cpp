// Every file the program writes, sent where it cannot go: the user is told which file and why,
// and no half-written file is left under the destination's name; a file that was there keeps
// its content. In a folder nobody may write (/proc) this holds for root as well.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "common/error.h"
#include "hardening/limited_child.h"
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
    return {test::filesIn(dir.path()), fs::is_regular_file(to) ? test::readFile(to) : ""};
}

class OutputDestinations : public ::testing::Test {
  protected:
    void SetUp() override {
        archive = test::makeArchive(
            data, "day.traffic",
            {{"100.v30", test::volumeBytes(5)}, {"100.o30", test::occupancyBytes(120)}});
    }

    test::TempDir data;
    std::string archive;
};

// The settings file, which only the window writes, in a child process whose files are limited
// as the destination says: it exits with 0 when refused with a message about this file and the
// reason. (The command line's files are the next test's.)
TEST_F(OutputDestinations, UnwritableSettingsFileIsReportedAndNothingIsLeftBehind) {
    for (const Destination& d : kDestinations) {
        test::TempDir dir;
        std::string to = prepare(dir, d);
        auto before = stateOf(dir, to);
        int status = test::runWithLimit(RLIMIT_FSIZE, d.fileLimit, [&] {
            try {
                modUtility::SettingsFile(to).WriteSetting("SuspTh", "16", "Param");
                return 1;
            } catch (const SorvaneError& e) {
                // The file is read before it is rewritten: a directory in its place "cannot be
                // read".
                const std::string& m = e.description();
                bool named = m.find("The file " + to + " cannot be ") != std::string::npos &&
                             m.find(d.reason) != std::string::npos;
                if (!named) std::fprintf(stderr, "%s\n", m.c_str());
                return named ? 0 : 2;
            }
        });
        EXPECT_EQ(status, 0) << d.what;
        EXPECT_EQ(stateOf(dir, to), before) << d.what;
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
        {"export", {SORVANE_CLI, "export", archive, "--ids", "100", "-o"}, false},
        {"health report", {SORVANE_CLI, "health", archive, "-o"}, true},
        {"single report", {SORVANE_CLI, "health", archive, "--det", "100", "-o"}, true},
        {"measures table",
         {SORVANE_CLI, "health", archive, "-o", data.file("r.txt"), "--measures-csv"},
         true},
    };
    for (const auto& c : commands) {
        for (const Destination& d : kDestinations) {
            SCOPED_TRACE(std::string(c.what) + ", " + d.what);
            test::TempDir dir;
            std::vector<std::string> args = c.args;
            args.push_back(prepare(dir, d));
            auto before = stateOf(dir, args.back());
            test::CommandResult r = test::runCommandWithLimit(RLIMIT_FSIZE, d.fileLimit, args);
            std::string err = r.err.substr(0, r.err.find_last_not_of('\n') + 1);
            std::string lastLine = err.substr(err.find_last_of('\n') + 1);
            std::string says = "The file " + args.back() + " cannot be written: " + d.reason;
            EXPECT_EQ(r.exitCode, 1);
            EXPECT_EQ(*d.reason != '\0' ? lastLine : lastLine.substr(0, says.size()), says);
            EXPECT_EQ(r.out.find("List of highly suspicious detectors") == 0, c.printsLists);
            EXPECT_EQ(stateOf(dir, args.back()), before);
        }
    }
}

// An output of sorvane-cli that is empty or that reaches an input of the same run, by any path,
// is refused with exit status 2 before anything is read or written.
TEST_F(OutputDestinations, CommandLineRefusesOutputsThatNameAnInput) {
    test::TempDir dir;
    const std::string day = dir.file("day.traffic");
    fs::copy_file(archive, day);
    fs::copy_file(archive, dir.file("Diagnostic_Report.txt"));  // a default report name
    fs::create_symlink("day.traffic", dir.file("link.csv"));
    fs::create_hard_link(day, dir.file("hard.csv"));
    fs::create_directory(dir.file("sub"));
    test::writeFile(dir.file("ids.txt"), "100\r\n");
    test::writeFile(dir.file("settings.ini"), "[Param]\r\nSuspTh=16\r\n");
    const std::string cli = SORVANE_CLI;
    const std::string isArchive = " is the archive this run reads: it cannot be an output.";
    const struct {
        const char* what;
        std::vector<std::string> args;  // run in the test's folder
        std::string says;
    } cases[] = {
        {"report onto the archive", {cli, "health", day, "-o", day}, "The file " + day + isArchive},
        {"measures through a link",
         {cli, "health", day, "-o", "r.txt", "--measures-csv", "link.csv"},
         "The file link.csv" + isArchive},
        {"report onto a hard link",
         {cli, "health", day, "-o", "hard.csv"},
         "The file hard.csv" + isArchive},
        {"report through ..",
         {cli, "health", day, "-o", "sub/../day.traffic"},
         "The file sub/../day.traffic" + isArchive},
        {"default report",
         {cli, "health", "Diagnostic_Report.txt"},
         "The file Diagnostic_Report.txt is the archive this run reads: it cannot be an output."},
        {"report onto the settings",
         {cli, "health", day, "--settings", "settings.ini", "-o", "settings.ini"},
         "The file settings.ini is the settings file this run reads: it cannot be an output."},
        {"export onto the ID list",
         {cli, "export", day, "--ids-file", "ids.txt", "-o", "ids.txt"},
         "The file ids.txt is the ID list file this run reads: it cannot be an output."},
        {"export through a link",
         {cli, "export", day, "--ids", "100", "-o", "link.csv"},
         "The file link.csv" + isArchive},
        {"report and measures in one file",
         {cli, "health", day, "-o", "r.txt", "--measures-csv", "sub/../r.txt"},
         "The files given to -o and --measures-csv are the same file: each output needs a file "
         "of its own."},
        {"empty report name",
         {cli, "health", day, "-o", ""},
         "The file name given to -o is empty."},
        {"empty measures name",
         {cli, "health", day, "--measures-csv", ""},
         "The file name given to --measures-csv is empty."},
        {"empty export name",
         {cli, "export", day, "--ids", "100", "-o", ""},
         "The file name given to -o is empty."},
    };
    for (const auto& c : cases) {
        auto before = stateOf(dir, day);
        std::string settings = test::readFile(dir.file("settings.ini"));
        test::CommandResult r = test::runCommand(c.args, dir.path());
        EXPECT_EQ(r.exitCode, 2) << c.what;
        EXPECT_EQ(r.err, c.says + "\n") << c.what;
        EXPECT_EQ(r.out, "") << c.what;
        EXPECT_EQ(stateOf(dir, day), before) << c.what;
        EXPECT_EQ(test::readFile(dir.file("settings.ini")), settings) << c.what;
        EXPECT_EQ(test::readFile(dir.file("ids.txt")), "100\r\n") << c.what;
    }
}

// Data that cannot reach stdout is a failure: a message on stderr and exit status 1.
TEST_F(OutputDestinations, CommandLineReportsAStdoutItCannotWrite) {
    test::TempDir dir;
    const std::string cli = SORVANE_CLI;
    const std::vector<std::string> commands[] = {
        {cli, "list", archive},
        {cli, "view", archive, "100"},
        {cli, "view", archive, "100", "--total", "0", "5"},
        {cli, "health", archive, "-o", dir.file("report.txt")},
        {cli, "export", archive, "--ids", "100", "-o", dir.file("out.csv")},
        {cli, "--help"},
    };
    for (const auto& args : commands) {
        test::CommandResult r = test::runCommand(args, "", "/dev/full");
        EXPECT_EQ(r.exitCode, 1) << args[1];
        std::string lastLine = r.err.substr(r.err.rfind('\n', r.err.size() - 2) + 1);
        EXPECT_EQ(lastLine.rfind("The output cannot be written", 0), 0u)
            << args[1] << ": " << r.err;
    }
}

// Memory that runs out ends a command with a message and exit status 1, not an abort. The
// limit lets the program start but not read a 60 MB file whole.
TEST_F(OutputDestinations, CommandLineSaysWhenMemoryRunsOut) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer reserves more address space than the limit allows";
#else
    test::TempDir dir;
    std::string big = dir.file("big.txt");
    {
        std::ofstream out(big, std::ios::binary);
        std::string block(1 << 20, ',');
        for (int i = 0; i < 60; ++i)
            out << block;
    }
    const struct {
        std::vector<std::string> args;
        const char* says;
    } cases[] = {
        {{SORVANE_CLI, "export", archive, "--ids-file", big, "-o", dir.file("out.csv")},
         "not enough memory for the export\n"},
        {{SORVANE_CLI, "health", archive, "--settings", big, "-o", dir.file("r.txt")},
         "not enough memory for the health test\n"},
    };
    for (const auto& c : cases) {
        test::CommandResult r = test::runCommandWithLimit(RLIMIT_AS, size_t{80} << 20, c.args);
        EXPECT_EQ(r.exitCode, 1) << c.says << r.err;
        EXPECT_EQ(r.err, c.says);
        EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 1);  // nothing written
    }
#endif
}

}  // namespace
}  // namespace sorvane
