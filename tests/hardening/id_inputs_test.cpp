// Detector ID lists and typed detector numbers as users type them: what the parser makes of
// each, and the exit status and stderr line of sorvane-cli where it takes the text.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <filesystem>

#include "archive/unzip.h"
#include "common/error.h"
#include "common/log.h"
#include "export/csv_export.h"
#include "export/id_list.h"
#include "hardening/limited_child.h"
#include "support/test_support.h"

namespace sorvane {
namespace {

class IdInputs : public ::testing::Test {
  protected:
    void SetUp() override {
        archive = test::makeArchive(dir, "day.traffic",
                                    {{"100.v30", test::volumeBytes(5)},
                                     {"100.o30", test::occupancyBytes(120)},
                                     {"200.v30", test::volumeBytes(10)},
                                     {"200.o30", test::occupancyBytes(300)}});
    }

    static std::string firstLine(const std::string& text) {
        return text.substr(0, text.find('\n'));
    }

    test::TempDir dir;
    std::string archive;
};

struct ListCase {
    const char* text;
    std::vector<std::string> ids;  // empty: refused with `message`
    std::string message;           // the parser's message, the first line the user sees
    int cliExit;                   // sorvane-cli export --ids-file
    std::string cliSays;           // a line of its stderr
};

const std::string kOutOfRange = " lies outside -2147483648..2147483647";

TEST_F(IdInputs, ListsAreReadOrRefusedAtTheirFirstBadEntry) {
    const ListCase cases[] = {
        {"", {}, "No data available.", 2, "No data available."},
        {"99999999999", {"99999999999"}, "", 2, "The detector ID 99999999999" + kOutOfRange},
        {"100,1e309", {"100", "1e309"}, "", 2, "The detector ID 1e309" + kOutOfRange},
        {"-0", {"-0"}, "", 0, "Detector file 0 does not exits!!!"},
        {"+5, 100", {"+5", "100"}, "", 0, "Detector file 5 does not exits!!!"},
        {"100,0x10",
         {},
         "Input Error at  2-th item : The entry \"0x10\" is not a number.",
         2,
         "Input Error at  2-th item : The entry \"0x10\" is not a number."},
        {"   ",
         {},
         "Input Error at  1-th item : The entry \"   \" is not a number.",
         2,
         "Input Error at  1-th item : The entry \"   \" is not a number."},
        // A thousands separator splits the number into two IDs.
        {"1,000", {"1", "000"}, "", 0, "Detector file 1 does not exits!!!"},
    };
    for (const ListCase& c : cases) {
        C_csvRead parser;
        std::vector<std::string> ids = parser.GetArr(c.text);
        EXPECT_EQ(ids, c.ids) << c.text;
        EXPECT_EQ(parser.inputError(), ids.empty()) << c.text;
        if (ids.empty()) {
            EXPECT_EQ(parser.ErrorMsg(), c.message) << c.text;
        }

        test::writeFile(dir.file("ids.txt"), c.text);
        test::CommandResult r = test::runCommand({SORVANE_CLI_PATH, "export", archive, "--ids-file",
                                                  dir.file("ids.txt"), "-o", dir.file("out.csv")});
        EXPECT_EQ(r.exitCode, c.cliExit) << c.text << ": " << r.err;
        EXPECT_NE(r.err.find(c.cliSays), std::string::npos) << c.text << ": " << r.err;
        if (ids.empty()) {
            EXPECT_NE(r.err.find(kMsgReenterIds), std::string::npos) << c.text;
        }
        if (c.cliExit == 0) {
            std::string csv = test::readFile(dir.file("out.csv"));
            EXPECT_EQ(csv.rfind("Time(hh:m:ss)," + c.ids.front() + ".occ, ", 0), 0u) << c.text;
        }
    }
}

struct NumberCase {
    const char* text;
    int viewExit;
    std::string viewError;  // sorvane-cli view: its stderr line
    int healthExit;         // sorvane-cli health --det
    std::string report;     // report_single.txt, or the stderr line when refused
};

TEST_F(IdInputs, TypedDetectorNumbers) {
    const std::string invalid = "You must enter a valid detector ID number.";
    const std::string notValid = "Detector no. is not valid";
    const NumberCase cases[] = {
        {"", 2, invalid, 2, notValid},
        {"   ", 2, invalid, 2, notValid},
        {"0x10", 2, invalid, 2, notValid},
        {"99999999999", 2, invalid, 2, notValid},
        {"1e309", 2, invalid, 2, notValid},
        {"32768", 2, invalid, 2, notValid},
        {"-32769", 2, invalid, 2, notValid},
        {"32767", 1, "Detector ID=32767 does not exist in the data.", 0,
         "32767: Highly Suspicious (No Occupancy Data)\r\n\r\n"},
        {"-32768", 1, "Detector ID=-32768 does not exist in the data.", 0,
         "-32768: Highly Suspicious (No Occupancy Data)\r\n\r\n"},
        {"-0", 1, "Detector ID=0 does not exist in the data.", 0,
         "0: Highly Suspicious (No Occupancy Data)\r\n\r\n"},
        {"+5", 1, "Detector ID=5 does not exist in the data.", 0,
         "5: Highly Suspicious (No Occupancy Data)\r\n\r\n"},
        {" 100.4 ", 0, "", 0, ""},
    };
    for (const NumberCase& c : cases) {
        test::CommandResult view =
            test::runCommand({SORVANE_CLI_PATH, "view", archive, c.text, "--interval", "1 hour"});
        EXPECT_EQ(view.exitCode, c.viewExit) << c.text;
        EXPECT_EQ(view.err, c.viewError.empty() ? "" : c.viewError + "\n") << c.text;
        if (c.viewExit == 0) {
            EXPECT_EQ(firstLine(view.out).rfind("00:00:00", 0), 0u) << c.text;
        }

        std::string report = dir.file("single.txt");
        test::CommandResult health =
            test::runCommand({SORVANE_CLI_PATH, "health", archive, "--det", c.text, "-o", report});
        EXPECT_EQ(health.exitCode, c.healthExit) << c.text;
        if (c.healthExit != 0) {
            EXPECT_EQ(health.err, c.report + "\n") << c.text;
        } else if (!c.report.empty()) {
            EXPECT_EQ(test::readFile(report), c.report) << c.text;
        }
        std::remove(report.c_str());
    }
}

// A list file of 1 MB: read whole, its entries numbered right to the end.
TEST_F(IdInputs, OneMegabyteList) {
    std::string list;
    while (list.size() < (1u << 20))
        list += "100,";
    list += "200";
    C_csvRead parser;
    std::vector<std::string> ids = parser.GetArr(list);
    ASSERT_EQ(ids.size(), 262145u);
    EXPECT_EQ(ids.back(), "200");

    test::writeFile(dir.file("ids.txt"), list + ",x");
    test::CommandResult r = test::runCommand({SORVANE_CLI_PATH, "export", archive, "--ids-file",
                                              dir.file("ids.txt"), "-o", dir.file("out.csv")});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, "Input Error at  262146-th item : The entry \"x\" is not a number.\n" +
                         std::string(kMsgReenterIds) + "\n");
}

// List files that are no list: each refused with the file's name and the reason, exit 1.
TEST_F(IdInputs, ListFilesThatCannotBeRead) {
    std::string fifo = dir.file("fifo.txt");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::string huge = dir.file("huge.txt");
    test::writeFile(huge, "100");
    std::filesystem::resize_file(huge, (std::uintmax_t{64} << 20) + 1);
    const struct {
        std::string path, reason;
    } cases[] = {
        {dir.file("none.txt"), "No such file or directory"},
        {dir.path(), "Is a directory"},
        {"/dev/zero", "it is not a regular file"},  // would never end
        {fifo, "it is not a regular file"},         // would wait for a writer
        {huge, "it is larger than 64 MB"},
    };
    for (const auto& c : cases) {
        const std::string message = "The file " + c.path + " cannot be read: " + c.reason;
        try {
            ReadTextFile(c.path);
            ADD_FAILURE() << c.path << ": read";
        } catch (const SorvaneError& e) {
            EXPECT_EQ(e.description(), message);
        }
        test::CommandResult r = test::runCommand(
            {SORVANE_CLI_PATH, "export", archive, "--ids-file", c.path, "-o", dir.file("o.csv")});
        EXPECT_EQ(r.exitCode, 1) << c.path;
        EXPECT_EQ(r.err, message + "\n");
    }
}

// A 1 MB list of many IDs costs memory for the archive's detectors, not for each ID: 16384
// IDs would otherwise hold 16384 days of slots (236 MB).
TEST_F(IdInputs, LongListExportsInBoundedMemory) {
    std::vector<std::string> ids;
    for (int i = 0; i < 16384; ++i)
        ids.push_back(i % 2 == 0 ? "100" : "200");
    std::string out = dir.file("long.csv");
    // In a child of its own, whose peak memory is the export's.
    int grownMegabytes = test::runWithFileSizeLimit(RLIM_INFINITY, [&] {
        rusage before{}, after{};
        ::getrusage(RUSAGE_SELF, &before);
        Log log;
        Unzip reader(log);
        reader.ZipFileName(archive);
        reader.zipList();
        ExportSettings settings;
        settings.intervalPosition = 9;  // "1 hour"
        settings.destination = out;
        ExportCsv(ids, reader, settings, log);
        ::getrusage(RUSAGE_SELF, &after);
        return static_cast<int>(std::min<long>((after.ru_maxrss - before.ru_maxrss) / 1024, 255));
    });
    EXPECT_LT(grownMegabytes, 64);
    std::string csv = test::readFile(out);
    std::string firstData = csv.substr(csv.find("\r\n") + 2);
    firstData = firstData.substr(0, firstData.find("\r\n"));
    std::string expected = "00:00:00";
    for (int i = 0; i < 16384; ++i)
        expected += i % 2 == 0 ? ", 12.0, 600" : ", 30.0, 1200";
    EXPECT_EQ(firstData, expected);
}

}  // namespace
}  // namespace sorvane
