// sorvane-cli health, run as a user runs it: arguments in, stdout, stderr, files and exit status
// out.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>

#include "archive/unzip.h"
#include "common/log.h"
#include "health/health_run.h"
#include "health/measures_csv.h"
#include "health_days.h"
#include "support/test_support.h"

namespace sorvane {
namespace {

using test::membersOf;
using test::RawDay;

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

class HealthCommand : public ::testing::Test {
  protected:
    void SetUp() override {
        std::vector<synth::ArchiveMember> members;
        RawDay marginal(0, 10.0f);  // DevIndex 12
        for (int bin = 1; bin < 288; bin += 2)
            marginal.volumes(bin * 10, bin * 10 + 3, 3).volumes(bin * 10 + 4, bin * 10 + 9, 2);
        const std::pair<int, RawDay> days[] = {
            {101, RawDay(5, 10.0f)}, {102, RawDay(255, 0.0f)}, {103, RawDay(14, 10.0f)},
            {105, marginal},         {4600, RawDay(5, 10.0f)},
        };
        for (const auto& [det, day] : days) {
            for (auto& m : membersOf(det, day))
                members.push_back(std::move(m));
        }
        // 103: 30 volume spikes of height 14; caught once the height threshold drops below.
        for (int i = 0; i < 30; ++i)
            members[4].bytes[static_cast<size_t>(100 + 20 * i)] = 28;
        archive = test::makeArchive(dir, "day.traffic", members);
    }

    // Runs the command in the test's folder.
    CliRun run(const std::string& args, const std::string& cli = SORVANE_CLI) const {
        std::string command =
            "cd '" + dir.path() + "' && '" + cli + "' health " + args + " >out.txt 2>err.txt";
        int status = std::system(command.c_str());
        return {WEXITSTATUS(status), test::readFile(dir.file("out.txt")),
                test::readFile(dir.file("err.txt"))};
    }

    // What the engine gives for the same archive.
    modBaddet::HealthRunResult expected(int16_t det) const {
        Log log;
        Unzip reader(log);
        reader.ZipFileName(archive);
        reader.zipList();
        return modBaddet::RunHealthTest(reader, log, test::factorySnapshot(), det);
    }

    test::TempDir dir;
    std::string archive;
};

TEST_F(HealthCommand, AllDetectorsPrintTheListsAndWriteTheReport) {
    CliRun r = run("day.traffic --measures-csv measures.csv");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "List of highly suspicious detectors\n"
              "102, 100% missing\n"
              "List of suspicious/marginal detectors\n"
              "105, Mid DevIndex, Marginal\n"
              "Total: 5 detectors, 1 highly suspicious, 0 suspicious, 1 marginal, 2 healthy, "
              "1 excluded\n");
    EXPECT_EQ(r.err, "");
    modBaddet::HealthRunResult engine = expected(modBaddet::kAllDetectors);
    EXPECT_EQ(test::readFile(dir.file("Diagnostic_Report.txt")), engine.reportText);
    EXPECT_EQ(test::readFile(dir.file("measures.csv")),
              modBaddet::measuresCsvText(engine.outcomes));
}

TEST_F(HealthCommand, SingleDetectorWritesTheSingleReport) {
    CliRun r = run("day.traffic --det 104.5 -o single.txt");  // 104.5 rounds to 104: absent
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "List of highly suspicious detectors\n"
              "104, (no occ data)\n"
              "List of suspicious/marginal detectors\n"
              "Total: 1 detectors, 1 highly suspicious, 0 suspicious, 0 marginal, 0 healthy, "
              "0 excluded\n");
    EXPECT_EQ(test::readFile(dir.file("single.txt")),
              "104: Highly Suspicious (No Occupancy Data)\r\n\r\n");

    r = run("day.traffic --det 105");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("detectors\n105, Mid DevIndex, Marginal\nTotal: 1"), std::string::npos);
    EXPECT_EQ(test::readFile(dir.file("report_single.txt")), expected(105).reportText);
}

TEST_F(HealthCommand, ParametersFromFileAndArguments) {
    // Empty keys keep the factory value; keys and section in any letter case.
    test::writeFile(dir.file("mine.ini"), "[param]\r\nmargth=13\r\nSuspTh=\r\nVolSpikeTh=\r\n");
    CliRun r = run("day.traffic --settings mine.ini");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("0 marginal, 3 healthy"), std::string::npos) << r.out;

    r =
        run("day.traffic --settings mine.ini --set MargTh=12 --set volspiketh=10 --set "
            "VolSpikeCountTh=30 --set DetNoTo=4000");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "List of highly suspicious detectors\n"
              "102, 100% missing\n"
              "List of suspicious/marginal detectors\n"
              "103, 30 Vol spikes, Susp\n"
              "105, Mid DevIndex, Marginal\n"
              "Total: 5 detectors, 1 highly suspicious, 1 suspicious, 1 marginal, 2 healthy, "
              "0 excluded\n");
}

TEST_F(HealthCommand, UsesTheSettingsFileBesideTheProgram) {
    test::TempDir programFolder;
    std::string cli = programFolder.file("sorvane-cli");
    std::filesystem::copy_file(SORVANE_CLI, cli);
    test::writeFile(programFolder.file("ParamSettings.ini"), "[Param]\r\nMargTh=13\r\n");
    CliRun r = run("day.traffic", cli);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("0 marginal, 3 healthy"), std::string::npos) << r.out;
}

TEST_F(HealthCommand, RefusesBadInputWithTheRightStatus) {
    struct Case {
        const char* args;
        int status;
        const char* message;
    };
    const Case cases[] = {
        {"day.traffic --set volspiketh=abc", 2,
         "Parameter VolSpikeTh = \"abc\": must be a whole number from -32768 to 32767."},
        {"day.traffic --set CorCoeffTh=", 2, "Parameter CorCoeffTh = \"\": must be a number."},
        {"day.traffic --set Nope=1", 2, "Unknown parameter key \"Nope\""},
        {"day.traffic --set MargTh", 2, "--set needs KEY=VALUE"},
        {"day.traffic --det abc", 2, "Detector no. is not valid"},
        {"day.traffic --det 40000", 2, "Detector no. is not valid"},
        {"day.traffic --settings none.ini", 1, "none.ini cannot be read"},
        {"missing.traffic", 1, "Error No: "},
        {"day.traffic -o no/such/folder/r.txt", 1, "no/such/folder/r.txt"},
        {"day.traffic --measures-csv no/such/m.csv", 1, "no/such/m.csv"},
    };
    for (const Case& c : cases) {
        CliRun r = run(c.args);
        EXPECT_EQ(r.status, c.status) << c.args;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.args << ": " << r.err;
    }
    // A report that cannot be written still leaves the lists on stdout.
    EXPECT_NE(run("day.traffic -o no/r.txt").out.find("102, 100% missing"), std::string::npos);
}

TEST_F(HealthCommand, LogsMissingMembersOnStderr) {
    std::vector<synth::ArchiveMember> members = membersOf(7, RawDay(5, 10.0f));
    members.pop_back();  // no occupancy member
    test::makeArchive(dir, "lame.traffic", members);
    CliRun r = run("lame.traffic");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "Det 7 does not exist\r\n");
    EXPECT_NE(r.out.find("7, (no occ data)\n"), std::string::npos);
}

}  // namespace
}  // namespace sorvane
