#include "export/csv_export.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "archive/unzip.h"
#include "common/error.h"
#include "common/format.h"
#include "common/log.h"
#include "support/member_builders.h"

namespace sorvane {
namespace {

using test::occupancyMember;
using test::volumeMember;
using Members = std::vector<synth::ArchiveMember>;
constexpr auto kZero = MissingOption::SetToZero;
constexpr auto kNeg = MissingOption::SetToNegative;

class ExportCsvTest : public ::testing::Test {
  protected:
    std::string run(const Members& members, const std::vector<std::string>& ids,
                    ExportSettings settings = {}) {
        log = Log();
        Unzip reader(log);
        reader.ZipFileName(test::makeArchive(dir, "day.traffic", members));
        reader.zipList();
        settings.destination = out;
        exportDetectors("day.traffic", ids, reader, settings, log);
        return test::readFile(out);
    }

    // Line n of a CR LF text.
    static std::string line(const std::string& text, size_t n) {
        size_t start = 0;
        for (; n > 0; --n)
            start = text.find("\r\n", start) + 2;
        return text.substr(start, text.find("\r\n", start) - start);
    }

    test::TempDir dir;
    Log log;
    std::string out = dir.file("out.csv");
};

TEST_F(ExportCsvTest, WritesTheHandCheckedFileAndLog) {
    // 100: 40 vehicles in slot 0 and 100.1 % in slot 1 make hour 0 -1 both ways; 007 is a
    // "c30" detector at 50 %; 42 is not in the archive: all its slots are invalid.
    Members members = {volumeMember("100", 3, {40}), occupancyMember("100", 125, {125, 1001}),
                       volumeMember("7", 0), occupancyMember("7", 900, {}, "c30")};
    std::string expected =
        "Time(hh:m:ss),100.occ, 100.vol, 007.occ, 007.vol, 42.occ, 42.vol, \r\n"
        "00:00:00, -1.0, -1, 50.0, 0, -1.0, -1\r\n";
    for (int hour = 1; hour < 24; ++hour)
        expected += formatTimeOfDay(hour * 3600) + ", 12.5, 360, 50.0, 0, -1.0, -1\r\n";
    EXPECT_EQ(run(members, {"100", "007", "42"}, {9, kNeg, false, ""}), expected);
    EXPECT_EQ(log.logText(),
              "Traffic file: day.trafficDetector file 42 does not exits!!!"
              "Number of 30sec slots that had invalid or missing data: "
              "100 :  1 out of 2880007 :  0 out of 288042 :  2880 out of 2880"
              "Time Interval:  3600 Seconds\r\n"
              "The requested detector data was successfully extracted and converted to csv.\r\n"
              "The csv file can be found in " +
                  out);
}

struct IntervalCase {
    int position;
    MissingOption missing;
    std::vector<uint8_t> volumes;      // first slots; the rest hold 1 vehicle
    std::vector<int16_t> occupancies;  // first slots in tenths of a percent; the rest 5.0 %
    const char* firstLine;
};

TEST_F(ExportCsvTest, AggregatesWithItsOwnValidityRule) {
    const std::vector<uint8_t> twos(10, 2);
    const IntervalCase cases[] = {
        {0, kZero, {40}, {1001}, "00:00:00, 0.0, 0"},
        {0, kNeg, {39}, {1000}, "00:00:00, 100.0, 39"},
        {5, kNeg, {40, 2, 2, 2, 2, 2, 2, 2, 2, 2}, {100}, "00:00:00, 5.5, -1"},
        {5, kNeg, twos, {1001}, "00:00:00, -1.0, 20"},
        {5,
         kZero,
         {3, 40},
         {100, 200, 1001, 1001, 1001, 1001, -5, -5, 2000, 2000},
         "00:00:00, 15.0, 11"},
        {1, kZero, {1, 1}, {345, 346}, "00:00:00, 34.55, 2"},
        {1, kZero, {0, 0}, {455, 455}, "00:00:00, 45.5, 0"},
    };
    for (const IntervalCase& c : cases) {
        Members members = {volumeMember("100", 1, c.volumes),
                           occupancyMember("100", 50, c.occupancies)};
        EXPECT_EQ(line(run(members, {"100"}, {c.position, c.missing, false, ""}), 1), c.firstLine);
    }
}

struct ModeCase {
    Members members;
    std::vector<std::string> ids;
    bool volumeOnly;
    const char* firstLine;
    std::string logged;  // a text the log must hold
    MissingOption missing = kZero;
};

TEST_F(ExportCsvTest, ColumnGroupsAndMissingDetectors) {
    const Members two = {volumeMember("100", 5), occupancyMember("100", 50), volumeMember("102", 7),
                         occupancyMember("102", 50)};
    const Members only100 = {volumeMember("100", 5)};
    const Members no200Volume = {volumeMember("100", 5), occupancyMember("100", 50),
                                 occupancyMember("200", 50)};
    const std::string absent = "Detector file 100 does not exits!!!";
    const ModeCase cases[] = {
        {two, {"100"}, true, "00:00:00,  5 ", ""},
        {two, {"100.5", "101.5"}, false, "00:00:00, 5.0, 5, 5.0, 7", ""},
        {two, {"100", "100"}, false, "00:00:00, 5.0, 5, 5.0, 5", ""},
        {only100, {"100"}, false, "00:00:00, 0.0, 0", "Det 100 does not exist\r\n" + absent},
        // A detector listed again is logged again.
        {only100,
         {"100", "100"},
         false,
         "00:00:00, 0.0, 0, 0.0, 0",
         "Det 100 does not exist\r\n" + absent + "Det 100 does not exist\r\n" + absent},
        {only100, {"100"}, true, "00:00:00,  5 ", absent},
        // Never the previous detector's volumes for one whose volume member is missing.
        {no200Volume,
         {"100", "200"},
         true,
         "00:00:00, 5,  0 ",
         "Detector file 200 does not exits!!!"},
        // What the export cannot read is invalid: -1 with "Set to -1", never a day of zeros.
        {only100, {"100"}, false, "00:00:00, -1.0, -1", "100 :  2880 out of 2880", kNeg},
        {no200Volume, {"100", "200"}, true, "00:00:00, 5, -1 ", "200 :  2880 out of 2880", kNeg},
    };
    for (const ModeCase& c : cases) {
        EXPECT_EQ(line(run(c.members, c.ids, {0, c.missing, c.volumeOnly, ""}), 1), c.firstLine);
        EXPECT_NE(log.logText().find(c.logged), std::string::npos) << c.logged;
    }
    // Detector IDs head their columns as given.
    EXPECT_EQ(line(run(two, {"100.5", "101.5"}), 0),
              "Time(hh:m:ss),100.5.occ, 100.5.vol, 101.5.occ, 101.5.vol, ");
    Members invalidLast = two;
    invalidLast[2] = volumeMember("102", 7, {40});
    EXPECT_EQ(line(run(invalidLast, {"100", "102"}, {0, kNeg, true, ""}), 1), "00:00:00, 5, -1 ");
}

TEST_F(ExportCsvTest, OneLinePerIntervalOfTheDay) {
    const Members members = {volumeMember("100", 1), occupancyMember("100", 50)};
    for (int position = -1; position <= 10; ++position) {
        const IntervalSpec& row = intervalAt(position);  // -1 and 10 give "30 sec"
        std::string text = run(members, {"100"}, {position, kZero, false, ""});
        EXPECT_EQ(std::ranges::count(text, '\n'), row.intervalsPerDay + 1);
        EXPECT_EQ(line(text, static_cast<size_t>(row.intervalsPerDay)),
                  formatTimeOfDay((row.intervalsPerDay - 1) * row.secondsPerInterval) + ", 5.0, " +
                      std::to_string(row.slotsPerInterval));
    }
}

TEST_F(ExportCsvTest, RefusalLeavesNoFileBehind) {
    test::writeFile(out, "keep");
    const Members members = {volumeMember("100", 1), occupancyMember("100", 50)};
    EXPECT_THROW(run(members, {"100", "3000000000"}), SorvaneError);
    EXPECT_EQ(test::readFile(out), "keep");
    out = dir.file("day.traffic");  // the archive itself
    EXPECT_THROW(run(members, {"100"}), SorvaneError);
    EXPECT_EQ(test::readFile(out).substr(0, 2), "PK");
    // The archive and the untouched old file only: no temporary is left.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
}

// sorvane-cli export as a user runs it: the file is the one above; the log texts keep their
// bytes on stderr, each ending a line of its own.
TEST_F(ExportCsvTest, CommandLineSavesTheFileAndSaysWhere) {
    std::string archive =
        test::makeArchive(dir, "day.traffic", {volumeMember("100", 5), occupancyMember("100", 50)});
    test::writeFile(dir.file("ids.txt"), "100,\r\n5");
    test::CommandResult r =
        test::runCommand({SORVANE_CLI, "export", archive, "--ids-file", dir.file("ids.txt"),
                          "--interval", "5 min", "--missing", "neg", "--vol-only", "-o", out});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "The extracted csv file was saved in " + out + "\n");
    EXPECT_EQ(r.err, "Traffic file: " + archive +
                         "\nDetector file 5 does not exits!!!\n"
                         "Number of 30sec slots that had invalid or missing data: \n"
                         "100 :  0 out of 2880\n5 :  2880 out of 2880\n"
                         "Time Interval:  300 Seconds\r\n"
                         "The requested detector data was successfully extracted and converted to "
                         "csv.\r\nThe csv file can be found in " +
                         out + "\n");
    EXPECT_EQ(test::readFile(out).substr(0, 51),
              "Time(hh:m:ss),100.vol, 5.vol, \r\n00:00:00, 50, -1 \r\n");
}

}  // namespace
}  // namespace sorvane
