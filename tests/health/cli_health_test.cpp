// sorvane-cli health as a user runs it: arguments in; stdout, stderr, files and status out.
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

using test::RawDay;

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

class HealthCommand : public ::testing::Test {
  protected:
    void SetUp() override {
        RawDay marginal(0, 10.0f);  // DevIndex 12
        for (int bin = 1; bin < 288; bin += 2)
            marginal.volumes(bin * 10, bin * 10 + 3, 3).volumes(bin * 10 + 4, bin * 10 + 9, 2);
        RawDay spiky(14, 10.0f);  // 30 volume spikes of height 14: below the factory 15
        for (int i = 0; i < 30; ++i)
            spiky.volumes(100 + 20 * i, 100 + 20 * i, 28);
        std::vector<synth::ArchiveMember> members;
        for (const auto& [det, day] : {std::pair{101, RawDay(5, 10)},
                                       {102, RawDay(255, 0)},
                                       {103, spiky},
                                       {105, marginal},
                                       {4600, RawDay(5, 10)},
                                       {107, RawDay(5, 10)}}) {
            for (auto& m : test::membersOf(det, day))
                members.push_back(std::move(m));
        }
        members.pop_back();  // 107 lacks its occupancy member
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

    // What the engine gives for the same archive and the factory parameters.
    modBaddet::HealthRunResult engine(int16_t det) const {
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
              "List of highly suspicious detectors\n102, 100% missing\n107, (no occ data)\n"
              "List of suspicious/marginal detectors\n105, Mid DevIndex, Marginal\n"
              "Total: 6 detectors, 2 highly suspicious, 0 suspicious, 1 marginal, 2 healthy, "
              "1 excluded\n");
    EXPECT_EQ(r.err, "Det 107 does not exist\r\n");
    modBaddet::HealthRunResult all = engine(modBaddet::kAllDetectors);
    EXPECT_EQ(test::readFile(dir.file("Diagnostic_Report.txt")), all.reportText);
    EXPECT_EQ(test::readFile(dir.file("measures.csv")), modBaddet::measuresCsvText(all.outcomes));

    r = run("day.traffic --det 104.5 -o single.txt");  // rounds to 104: not in the archive
    EXPECT_EQ(r.out,
              "List of highly suspicious detectors\n104, (no occ data)\n"
              "List of suspicious/marginal detectors\n"
              "Total: 1 detectors, 1 highly suspicious, 0 suspicious, 0 marginal, 0 healthy, "
              "0 excluded\n");
    EXPECT_EQ(test::readFile(dir.file("single.txt")),
              "104: Highly Suspicious (No Occupancy Data)\r\n\r\n");
    r = run("day.traffic --det 105");
    EXPECT_NE(r.out.find("detectors\n105, Mid DevIndex, Marginal\nTotal: 1"), std::string::npos);
    EXPECT_EQ(test::readFile(dir.file("report_single.txt")), engine(105).reportText);
}

TEST_F(HealthCommand, ParametersFromFileAndArguments) {
    // Empty keys keep the factory value; keys and section in any letter case.
    test::writeFile(dir.file("mine.ini"), "[param]\r\nmargth=13\r\nSuspTh=\r\n");
    EXPECT_NE(run("day.traffic --settings mine.ini").out.find("0 marginal, 3 healthy"),
              std::string::npos);
    CliRun r =
        run("day.traffic --settings mine.ini --set MargTh=12 --set volspiketh=10 --set "
            "VolSpikeCountTh=30 --set DetNoTo=4000");
    EXPECT_NE(r.out.find("103, 30 Vol spikes, Susp\n105, Mid DevIndex, Marginal\n"),
              std::string::npos);
    EXPECT_NE(r.out.find("1 marginal, 2 healthy, 0 excluded"), std::string::npos) << r.out;

    // Without --settings: ParamSettings.ini beside the program.
    test::TempDir programFolder;
    std::filesystem::copy_file(SORVANE_CLI, programFolder.file("sorvane-cli"));
    test::writeFile(programFolder.file("ParamSettings.ini"), "[Param]\r\nMargTh=13\r\n");
    r = run("day.traffic", programFolder.file("sorvane-cli"));
    EXPECT_NE(r.out.find("0 marginal, 3 healthy"), std::string::npos) << r.out;
}

TEST_F(HealthCommand, RefusesBadInputWithTheRightStatus) {
    const std::tuple<const char*, int, const char*> cases[] = {
        {"--set volspiketh=abc", 2,
         "Parameter VolSpikeTh = \"abc\": must be a whole number from -32768 to 32767."},
        {"--set CorCoeffTh=", 2, "Parameter CorCoeffTh = \"\": must be a number."},
        {"--set Nope=1", 2, "Unknown parameter key \"Nope\""},
        {"--set MargTh", 2, "--set needs KEY=VALUE"},
        {"--det abc", 2, "Detector no. is not valid"},
        {"--det 40000", 2, "Detector no. is not valid"},
        {"--settings none.ini", 1, "none.ini cannot be read"},
        {"-o no/such/folder/r.txt", 1, "no/such/folder/r.txt"},
        {"--measures-csv no/such/m.csv", 1, "no/such/m.csv"},
    };
    for (auto [args, status, message] : cases) {
        CliRun r = run(std::string("day.traffic ") + args);
        EXPECT_EQ(r.status, status) << args;
        EXPECT_NE(r.err.find(message), std::string::npos) << args << ": " << r.err;
    }
    EXPECT_EQ(run("missing.traffic").status, 1);
    // A report that cannot be written still leaves the lists on stdout.
    EXPECT_NE(run("day.traffic -o no/r.txt").out.find("102, 100% missing"), std::string::npos);
}

}  // namespace
}  // namespace sorvane
