// sorvane-cli export as a user runs it: exit status and messages. The file is the export's
// own, checked in its tests and byte for byte against the window's.
#include <gtest/gtest.h>

#include "support/member_builders.h"

namespace sorvane {
namespace {

TEST(CliExport, StatusAndMessages) {
    test::TempDir dir;
    std::string archive = test::makeArchive(
        dir, "day.traffic", {test::volumeMember("100", 5), test::occupancyMember("100", 50)});
    test::writeFile(dir.file("ids.txt"), "100,\r\n100");
    const std::string csv = dir.file("out.csv");
    struct Case {
        std::vector<std::string> args;  // after "export ARCHIVE"
        int status;
        std::string out;  // texts stdout and stderr must hold
        std::string err;
    };
    const Case cases[] = {
        {{"--ids", "100,,3", "-o", csv},
         2,
         "",
         "Input Error at  2-th item : The entry \"\" is not a number.\n"
         "Re-enter the detector IDs or reload them from a file."},
        {{"--ids", "3000000000", "-o", csv}, 2, "", "3000000000"},
        {{"--ids", "100", "-o", dir.file("no/out.csv")}, 1, "", "no/out.csv"},
        {{"--ids-file", dir.file("ids.txt"), "--interval", "5 min", "--missing", "neg",
          "--vol-only", "-o", csv},
         0,
         "The extracted csv file was saved in " + csv + "\n",
         "Time Interval:  300 Seconds\r\n"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args{SORVANE_CLI, "export", archive};
        args.insert(args.end(), c.args.begin(), c.args.end());
        test::CommandResult r = test::runCommand(args);
        EXPECT_EQ(r.exitCode, c.status) << c.args[1];
        EXPECT_NE(r.out.find(c.out), std::string::npos) << c.args[1] << ": " << r.out;
        EXPECT_NE(r.err.find(c.err), std::string::npos) << c.args[1] << ": " << r.err;
    }
    EXPECT_EQ(test::readFile(csv).substr(0, 54),
              "Time(hh:m:ss),100.vol, 100.vol, \r\n00:00:00, 50,  50 \r\n");
}

}  // namespace
}  // namespace sorvane
