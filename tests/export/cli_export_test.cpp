#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>

#include "support/member_builders.h"

namespace sorvane {
namespace {

struct CliCase {
    std::vector<std::string> args;  // after the archive path; "@" stands for a file in the folder
    int status;
    std::string out;  // texts stdout and stderr must hold
    std::string err;
};

std::string shellQuoted(const std::string& arg) {
    return "'" + arg + "'";
}

TEST(CliExport, ExportsAndRefusesLikeTheExportTab) {
    test::TempDir dir;
    std::string archive = test::makeArchive(
        dir, "day.traffic", {test::volumeMember("100", 5), test::occupancyMember("100", 50)});
    test::writeFile(dir.file("ids.txt"), "100,\r\n100");
    test::writeFile(dir.file("empty.txt"), "");
    const std::string csv = dir.file("out.csv");
    const CliCase cases[] = {
        {{"export", "--ids", "100,,3", "-o", csv},
         2,
         "",
         "Input Error at  2-th item : The entry \"\" is not a number.\n"
         "Re-enter the detector IDs or reload them from a file."},
        {{"export", "--ids-file", dir.file("empty.txt"), "-o", csv}, 2, "", "No data available."},
        {{"export", "--ids", "3000000000", "-o", csv}, 2, "", "3000000000"},
        {{"export", "--ids", "100", "-o", dir.file("no/out.csv")}, 1, "", "no/out.csv"},
        {{"export", "--ids-file", dir.file("ids.txt"), "--interval", "5 min", "--missing", "neg",
          "--vol-only", "-o", csv},
         0,
         "The extracted csv file was saved in " + csv + "\n",
         "Time Interval:  300 Seconds\r\n"},
        {{"view", "100", "--interval", "5 min", "--total", "0", "1"}, 0, "100\n", ""},
        {{"view", "100", "--total", "3", "3"},
         2,
         "",
         "You must properly select the start and end time."},
        {{"view", "100", "--total", "0", "2880"}, 2, "", "start and end time"},
    };
    for (const CliCase& c : cases) {
        std::string command = SORVANE_CLI " " + shellQuoted(c.args[0]) + " " + shellQuoted(archive);
        for (size_t i = 1; i < c.args.size(); ++i)
            command += " " + shellQuoted(c.args[i]);
        command += " >" + dir.file("stdout") + " 2>" + dir.file("stderr");
        int status = std::system(command.c_str());
        std::string joined = command.substr(command.find(' '));
        ASSERT_TRUE(WIFEXITED(status)) << joined;
        EXPECT_EQ(WEXITSTATUS(status), c.status) << joined;
        EXPECT_NE(test::readFile(dir.file("stdout")).find(c.out), std::string::npos) << joined;
        EXPECT_NE(test::readFile(dir.file("stderr")).find(c.err), std::string::npos) << joined;
    }
    EXPECT_EQ(test::readFile(csv).substr(0, 54),
              "Time(hh:m:ss),100.vol, 100.vol, \r\n00:00:00, 50,  50 \r\n");
}

}  // namespace
}  // namespace sorvane
