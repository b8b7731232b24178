#include <gtest/gtest.h>

#include "support/test_support.h"

namespace sorvane {
namespace {

test::CommandResult cli(std::vector<std::string> args) {
    args.insert(args.begin(), SORVANE_CLI);
    return test::runCommand(args);
}

class CliView : public ::testing::Test {
  protected:
    void SetUp() override {
        std::vector<uint8_t> volumes = test::volumeBytes(4);
        volumes[130] = 41;  // implausible after the first hour
        path = test::makeArchive(dir, "day.traffic",
                                 {{"8.o30", test::occupancyBytes(55)},
                                  {"7.v30", volumes},
                                  {"7.o30", test::occupancyBytes(55)}});
    }
    test::TempDir dir;
    std::string path;
};

TEST_F(CliView, ListsInReaderOrderAndPrintsTheImputedDayAtTheInterval) {
    test::CommandResult list = cli({"list", path});
    EXPECT_EQ(list.exitCode, 0);
    EXPECT_EQ(list.out, "8\n7\n");

    test::CommandResult slots = cli({"view", path, "7"});
    EXPECT_EQ(slots.exitCode, 0);
    EXPECT_EQ(std::count(slots.out.begin(), slots.out.end(), '\n'), 2880);
    EXPECT_EQ(slots.out.substr(0, 20), "00:00:00: 4,  5.5\n00");
    EXPECT_NE(slots.out.find("\n01:05:00: 0,  0.0\n"), std::string::npos);

    test::CommandResult neg = cli({"view", path, "7", "--interval", "5 min", "--missing", "neg"});
    EXPECT_EQ(neg.exitCode, 0);
    EXPECT_EQ(std::count(neg.out.begin(), neg.out.end(), '\n'), 288);
    EXPECT_NE(neg.out.find("\n01:05:00: -1,  5.5\n"), std::string::npos);

    test::CommandResult total =
        cli({"view", path, "7", "--interval", "5 min", "--total", "0", "1"});
    EXPECT_EQ(total.exitCode, 0);
    EXPECT_EQ(total.out, "80\n");
}

TEST_F(CliView, RefusalsAndFailuresGiveTheirMessageAndStatus) {
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        std::string err;
    };
    const Case cases[] = {
        {{"view", path, "8"},
         1,
         "Det 8 does not exist\r\nDetector could not be extracted. Vol and Occ file pair do not "
         "exist!!!\n"},
        {{"view", path, "7", "--interval", "7 min"}, 2, ""},
        // Position 2880 lies past the day's last 30-second interval.
        {{"view", path, "7", "--total", "0", "2880"},
         2,
         "You must properly select the start and end time.\n"},
        {{"list"}, 2, ""},
        {{}, 2, ""},
    };
    for (const Case& c : cases) {
        test::CommandResult r = cli(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
        EXPECT_EQ(r.err.substr(0, c.err.size()), c.err);
        EXPECT_EQ(r.out, "");
    }
}

}  // namespace
}  // namespace sorvane
