// Detector ID lists and typed detector numbers as users type them: what the parser makes of
// each, and the exit status and stderr line of sorvane-cli where it takes the text.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <filesystem>

#include "archive/unzip.h"
#include "common/log.h"
#include "common/program_texts.h"
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

    // sorvane-cli export --ids-file with this list file, an hour an interval.
    test::CommandResult exportList(const std::string& listFile) {
        return test::runCommand({SORVANE_CLI, "export", archive, "--ids-file", listFile,
                                 "--interval", "1 hour", "-o", dir.file("out.csv")});
    }

    test::TempDir dir;
    std::string archive;
};

// Each list as the parser reads it (and the window's parser object with it), and what
// sorvane-cli export --ids-file makes of it.
TEST_F(IdInputs, ListsAreReadOrRefusedAtTheirFirstBadEntry) {
    std::string limit;  // 32766 entries, numbered right to the end
    for (size_t i = 1; i < kMaxIds; ++i)
        limit += "100,";
    const std::string outOfRange = " lies outside -2147483648..2147483647";
    const std::string bom = "\xEF\xBB\xBF";
    const std::string counted = "200 :  0 out of 2880";
    const std::string no300 = "Detector file 300 does not exits!!!";
    auto notANumber = [](int item, const std::string& entry) {
        return "Input Error at  " + std::to_string(item) + "-th item : The entry \"" + entry +
               "\" is not a number.";
    };
    const struct {
        std::string text;
        std::vector<std::string> ids;  // empty: refused
        int cliExit;                   // sorvane-cli export --ids-file
        std::string says;  // refused: the parser's message, also sorvane-cli's first line;
                           // read: a part of sorvane-cli's stderr
    } cases[] = {
        {"", {}, 2, "No data available."},
        {" 100 , 200,300 ", {"100", "200", "300"}, 0, no300},
        {"1.5,-3,007,+4,1e3", {"1.5", "-3", "007", "+4", "1e3"}, 0, "Detector file 2 does not"},
        {"99999999999", {"99999999999"}, 2, "The detector ID 99999999999" + outOfRange},
        {"100,1e309", {"100", "1e309"}, 2, "The detector ID 1e309" + outOfRange},
        {"-0", {"-0"}, 0, "Detector file 0 does not exits!!!"},
        {"+5, 100", {"+5", "100"}, 0, "Detector file 5 does not exits!!!"},
        {"100,0x10", {}, 2, notANumber(2, "0x10")},
        {"   ", {}, 2, notANumber(1, "   ")},
        {"100,200,", {}, 2, notANumber(3, "")},
        {"1, x ", {}, 2, notANumber(2, " x ")},
        // A thousands separator splits the number into two IDs.
        {"1,000", {"1", "000"}, 0, "Detector file 1 does not exits!!!"},
        {limit + "x", {}, 2, notANumber(32767, "x")},
        {limit + "100,100",
         {},
         2,
         "The list holds 32768 IDs, more than the 32767 that one export can take."},
        // Line ends are blanks, as the user's tools write them: Windows, Linux and old Mac ones,
        // and a byte-order mark goes.
        {"100,200,\r\n300", {"100", "200", "300"}, 0, no300},
        {"100,200\r\n,300", {"100", "200", "300"}, 0, no300},
        {"100,200\r\n", {"100", "200"}, 0, counted},
        {"100,200\n", {"100", "200"}, 0, counted},
        {"100,\n200,\n100\n", {"100", "200", "100"}, 0, counted},
        {"100,\r200\r", {"100", "200"}, 0, counted},
        {"100\r,200", {"100", "200"}, 0, counted},
        {bom + "100,200\r\n", {"100", "200"}, 0, counted},
        {bom, {}, 2, "No data available."},
        {"100\n200", {}, 2, notANumber(1, "100 200")},
        {"100,200\r\n300", {}, 2, notANumber(2, "200 300")},
        {"100,200\n\r300", {}, 2, notANumber(2, "200  300")},
        // What cannot be seen is shown.
        {"100," + bom + "200", {}, 2, notANumber(2, "<U+FEFF>200")},
        {"100,2" + std::string(1, '\0') + "00", {}, 2, notANumber(2, "2\\x0000")},
        {"100\xC2\xA0,\t200", {}, 2, notANumber(1, "100<U+00A0>")},
        {"1\xFF\xFE", {}, 2, notANumber(1, "1\\xFF\\xFE")},
    };
    for (const auto& c : cases) {
        const std::string what = c.text.substr(0, 20);
        ParsedIds parsed = parseIdList(c.text);
        const std::vector<std::string>& ids = parsed.ids;
        EXPECT_EQ(ids, c.ids) << what;
        EXPECT_EQ(parsed.accepted(), !ids.empty()) << what;
        test::writeFile(dir.file("ids.txt"), c.text);
        test::CommandResult r = exportList(dir.file("ids.txt"));
        EXPECT_EQ(r.exitCode, c.cliExit) << what << ": " << r.err;
        if (ids.empty()) {
            EXPECT_EQ(parsed.error.rfind(c.says, 0), 0u) << what << ": " << parsed.error;
            EXPECT_EQ(r.err, c.says + "\n" + std::string(kMsgReenterIds) + "\n") << what;
        } else {
            EXPECT_EQ(parsed.error, "") << what;
            EXPECT_NE(r.err.find(c.says), std::string::npos) << what << ": " << r.err;
        }
        if (c.cliExit == 0) {
            EXPECT_EQ(test::readFile(dir.file("out.csv"))
                          .rfind("Time(hh:m:ss)," + c.ids.front() + ".occ, ", 0),
                      0u)
                << what;
        }
    }
    std::vector<std::string> ids = parseIdList(limit + "200").ids;
    ASSERT_EQ(ids.size(), kMaxIds);
    EXPECT_EQ(ids.back(), "200");
    // The window shows a list read from a file on one line, and a refusal over two.
    EXPECT_EQ(joinIds(parseIdList(" 100 , 200,\r\n300 ").ids), "100,200,300");
    EXPECT_EQ(idListErrorMessage(parseIdList("").error),
              "No data available.\r\nRe-enter the detector IDs or reload them from a file.");
}

TEST_F(IdInputs, TypedDetectorNumbers) {
    // The text and the detector it names ("": refused). The archive holds 100 only.
    const std::pair<const char*, std::string> cases[] = {
        {"", ""},      {"   ", ""},        {"0x10", ""},       {"99999999999", ""},  {"1e309", ""},
        {"32768", ""}, {"-32769", ""},     {"32767", "32767"}, {"-32768", "-32768"}, {"-0", "0"},
        {"+5", "5"},   {" 100.4 ", "100"},
    };
    for (const auto& [text, det] : cases) {
        const bool refused = det.empty(), present = det == "100";
        test::CommandResult view =
            test::runCommand({SORVANE_CLI, "view", archive, text, "--interval", "1 hour"});
        EXPECT_EQ(view.exitCode, refused ? 2 : present ? 0 : 1) << text;
        EXPECT_EQ(view.err, refused   ? "You must enter a valid detector ID number.\n"
                            : present ? ""
                                      : "Detector ID=" + det + " does not exist in the data.\n")
            << text;
        if (present) {
            EXPECT_EQ(view.out.rfind("00:00:00", 0), 0u) << text;
        }

        std::string report = dir.file("single.txt");
        test::CommandResult health =
            test::runCommand({SORVANE_CLI, "health", archive, "--det", text, "-o", report});
        EXPECT_EQ(health.exitCode, refused ? 2 : 0) << text;
        EXPECT_EQ(health.err, refused ? "Detector no. is not valid\n" : "") << text;
        if (!refused && !present) {
            EXPECT_EQ(test::readFile(report),
                      det + ": Highly Suspicious (No Occupancy Data)\r\n\r\n");
        }
        std::remove(report.c_str());
    }
}

// List files that are no list: each refused with the file's name and the reason, exit 1.
TEST_F(IdInputs, ListFilesThatCannotBeRead) {
    std::string fifo = dir.file("fifo.txt");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::string huge = dir.file("huge.txt");
    test::writeFile(huge, "100");
    std::filesystem::resize_file(huge, (std::uintmax_t{64} << 20) + 1);
    const std::pair<std::string, std::string> cases[] = {
        {dir.file("none.txt"), "No such file or directory"},
        {dir.path(), "Is a directory"},
        {"/dev/zero", "it is not a regular file"},  // would never end
        {fifo, "it is not a regular file"},         // would wait for a writer
        {huge, "it is larger than 64 MB"},
    };
    for (const auto& [path, reason] : cases) {
        test::CommandResult r = exportList(path);
        EXPECT_EQ(r.exitCode, 1) << path;
        EXPECT_EQ(r.err, "The file " + path + " cannot be read: " + reason + "\n");
    }
}

// A long list costs memory for the archive's detectors, not for each ID: 16384 IDs would
// otherwise hold 16384 days of slots (236 MB).
TEST_F(IdInputs, LongListExportsInBoundedMemory) {
    std::vector<std::string> ids;
    std::string expected = "00:00:00";
    for (int i = 0; i < 16384; ++i) {
        ids.push_back(i % 2 == 0 ? "100" : "200");
        expected += i % 2 == 0 ? ", 12.0, 600" : ", 30.0, 1200";
    }
    int grownMegabytes = test::peakGrowthMegabytes([&] {
        Log log;
        Unzip reader(log);
        reader.ZipFileName(archive);
        reader.zipList();
        ExportSettings settings;
        settings.intervalPosition = 9;  // "1 hour"
        settings.destination = dir.file("long.csv");
        ExportCsv(ids, reader, settings, log);
        return true;
    });
    EXPECT_LT(grownMegabytes, 64);
    std::string csv = test::readFile(dir.file("long.csv"));
    size_t first = csv.find("\r\n") + 2;
    EXPECT_EQ(csv.substr(first, csv.find("\r\n", first) - first), expected);
}

}  // namespace
}  // namespace sorvane
