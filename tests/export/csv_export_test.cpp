#include "export/csv_export.h"

#include <gtest/gtest.h>

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

class ExportCsvTest : public ::testing::Test {
  protected:
    std::string run(const Members& members, const std::vector<std::string>& ids,
                    ExportSettings settings) {
        Unzip reader(log);
        reader.ZipFileName(test::makeArchive(dir, "day.traffic", members));
        reader.zipList();
        settings.destination = out;
        exportDetectors("day.traffic", ids, reader, settings, log);
        return test::readFile(out);
    }

    static std::vector<std::string> lines(const std::string& text) {
        std::vector<std::string> result;
        for (size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos;
             start = end + 2) {
            result.push_back(text.substr(start, end - start));
        }
        return result;
    }

    test::TempDir dir;
    Log log;
    std::string out = dir.file("out.csv");
};

TEST_F(ExportCsvTest, WritesTheHandCheckedFileAndLog) {
    // 100: slot 0 has 40 vehicles and slot 1 an occupancy of 100.1 %, so hour 0 is -1 both
    // ways; 007 is a "c30" detector at 50 %; 42 is not in the archive.
    Members members = {volumeMember("100", 3, {40}), occupancyMember("100", 125, {125, 1001}),
                       volumeMember("7", 0), occupancyMember("7", 900, {}, "c30")};
    ExportSettings settings;
    settings.intervalPosition = 9;
    settings.missing = MissingOption::SetToNegative;
    std::string expected =
        "Time(hh:m:ss),100.occ, 100.vol, 007.occ, 007.vol, 42.occ, 42.vol, \r\n"
        "00:00:00, -1.0, -1, 50.0, 0, 0.0, 0\r\n";
    for (int hour = 1; hour < 24; ++hour)
        expected += formatTimeOfDay(hour * 3600) + ", 12.5, 360, 50.0, 0, 0.0, 0\r\n";
    EXPECT_EQ(run(members, {"100", "007", "42"}, settings), expected);
    EXPECT_EQ(log.logText(),
              "Traffic file: day.traffic"
              "Detector file 42 does not exits!!!"
              "Number of 30sec slots that had invalid or missing data: "
              "100 :  1 out of 2880007 :  0 out of 288042 :  0 out of 2880"
              "Time Interval:  3600 Seconds\r\n"
              "The requested detector data was successfully extracted and converted to csv.\r\n"
              "The csv file can be found in " +
                  out);
}

struct IntervalCase {
    const char* name;
    int position;
    MissingOption missing;
    std::vector<uint8_t> volumes;      // first slots; the rest hold 1 vehicle
    std::vector<int16_t> occupancies;  // first slots, tenths of a percent; the rest 5.0 %
    const char* firstLine;
};

TEST_F(ExportCsvTest, AggregatesWithItsOwnValidityRule) {
    constexpr auto zero = MissingOption::SetToZero;
    constexpr auto neg = MissingOption::SetToNegative;
    const std::vector<int16_t> tenPercent(10, 100);
    const IntervalCase cases[] = {
        {"invalid as nothing", 0, zero, {40}, {1001}, "00:00:00, 0.0, 0"},
        {"invalid as -1", 0, neg, {40}, {1001}, "00:00:00, -1.0, -1"},
        {"39 and 100 % are valid", 0, neg, {39}, {1000}, "00:00:00, 100.0, 39"},
        {"255 and below 0 are invalid", 0, neg, {255}, {-1}, "00:00:00, -1.0, -1"},
        {"one volume of 40 in 5 min",
         5,
         neg,
         {40, 2, 2, 2, 2, 2, 2, 2, 2, 2},
         tenPercent,
         "00:00:00, 10.0, -1"},
        {"one occupancy above 100 in 5 min",
         5,
         neg,
         {2, 2, 2, 2, 2, 2, 2, 2, 2, 2},
         {1001, 100, 100, 100, 100, 100, 100, 100, 100, 100},
         "00:00:00, -1.0, 20"},
        {"mean over the valid ones",
         5,
         zero,
         {3, 3, 40, 3, 3, 3, 3, 3, 3, 3},
         {100, 200, 1001, 1001, 1001, 1001, -5, -5, 2000, 2000},
         "00:00:00, 15.0, 27"},
        {"two decimals at most", 1, zero, {1, 1}, {345, 346}, "00:00:00, 34.55, 2"},
        {"one decimal at least", 1, zero, {0, 0}, {455, 455}, "00:00:00, 45.5, 0"},
    };
    for (const IntervalCase& c : cases) {
        ExportSettings settings;
        settings.intervalPosition = c.position;
        settings.missing = c.missing;
        Members members = {volumeMember("100", 1, c.volumes),
                           occupancyMember("100", 50, c.occupancies)};
        EXPECT_EQ(lines(run(members, {"100"}, settings)).at(1), c.firstLine) << c.name;
    }
}

struct ModeCase {
    const char* name;
    Members members;
    std::vector<std::string> ids;
    bool volumeOnly;
    const char* header;  // "" when not checked
    const char* firstLine;
    const char* logged;  // a text the log must hold; "" when not checked
};

TEST_F(ExportCsvTest, ColumnGroupsAndMissingDetectors) {
    const Members two = {volumeMember("100", 5), occupancyMember("100", 50), volumeMember("102", 7),
                         occupancyMember("102", 50)};
    const ModeCase cases[] = {
        {"volume only: sign blank and trailing blank",
         two,
         {"100", "102"},
         true,
         "Time(hh:m:ss),100.vol, 102.vol, ",
         "00:00:00, 5,  7 ",
         ""},
        {"volume only: one ID", two, {"100"}, true, "", "00:00:00,  5 ", ""},
        {"both: halves to even, labels as typed",
         two,
         {"100.5", "101.5"},
         false,
         "Time(hh:m:ss),100.5.occ, 100.5.vol, 101.5.occ, 101.5.vol, ",
         "00:00:00, 5.0, 5, 5.0, 7",
         ""},
        {"repeated ID", two, {"100", "100"}, false, "", "00:00:00, 5.0, 5, 5.0, 5", ""},
        {"both: lacking occupancy gives zeros",
         {volumeMember("100", 5)},
         {"100"},
         false,
         "",
         "00:00:00, 0.0, 0",
         "Det 100 does not exist\r\nDetector file 100 does not exits!!!"},
        {"volume only: lacking occupancy keeps volumes",
         {volumeMember("100", 5)},
         {"100"},
         true,
         "",
         "00:00:00,  5 ",
         "Detector file 100 does not exits!!!"},
        {"volume only: lacking volumes gives zeros, not the previous detector's",
         {volumeMember("100", 5), occupancyMember("100", 50), occupancyMember("200", 50)},
         {"100", "200"},
         true,
         "",
         "00:00:00, 5,  0 ",
         "Detector file 200 does not exits!!!"},
        {"volume only: not in the archive",
         two,
         {"100", "300"},
         true,
         "",
         "00:00:00, 5,  0 ",
         "Detector file 300 does not exits!!!"},
    };
    for (const ModeCase& c : cases) {
        ExportSettings settings;
        settings.volumeOnly = c.volumeOnly;
        std::vector<std::string> text = lines(run(c.members, c.ids, settings));
        if (*c.header != '\0') {
            EXPECT_EQ(text.at(0), c.header) << c.name;
        }
        EXPECT_EQ(text.at(1), c.firstLine) << c.name;
        EXPECT_NE(log.logText().find(c.logged), std::string::npos) << c.name;
    }

    ExportSettings negative;
    negative.volumeOnly = true;
    negative.missing = MissingOption::SetToNegative;
    const Members invalidLast = {volumeMember("100", 5), occupancyMember("100", 50),
                                 volumeMember("102", 7, {40}), occupancyMember("102", 50)};
    EXPECT_EQ(lines(run(invalidLast, {"100", "102"}, negative)).at(1), "00:00:00, 5, -1 ");
}

TEST_F(ExportCsvTest, OneLinePerIntervalOfTheDay) {
    const Members members = {volumeMember("100", 1), occupancyMember("100", 50)};
    for (int position = -1; position <= 10; ++position) {
        const IntervalSpec& spec = intervalAt(position);
        ExportSettings settings;
        settings.intervalPosition = position;
        std::vector<std::string> text = lines(run(members, {"100"}, settings));
        ASSERT_EQ(text.size(), static_cast<size_t>(spec.intervalsPerDay) + 1) << position;
        EXPECT_EQ(text.back(),
                  formatTimeOfDay((spec.intervalsPerDay - 1) * spec.secondsPerInterval) +
                      ", 5.0, " + std::to_string(spec.slotsPerInterval))
            << position;
    }
}

TEST_F(ExportCsvTest, RefusalLeavesNoFileBehind) {
    test::writeFile(out, "keep");
    const Members members = {volumeMember("100", 1), occupancyMember("100", 50)};
    try {
        run(members, {"100", "3000000000"}, {});
        ADD_FAILURE() << "an ID beyond 32 bits was exported";
    } catch (const SorvaneError& e) {
        EXPECT_EQ(e.number(), kErrInvalidInput);
        EXPECT_NE(e.description().find("3000000000"), std::string::npos);
    }
    EXPECT_EQ(test::readFile(out), "keep");

    out = dir.file("missing/out.csv");
    EXPECT_THROW(run(members, {"100"}, {}), SorvaneError);
    // Only the archive and the untouched old file: no temporary is left.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
}

}  // namespace
}  // namespace sorvane
