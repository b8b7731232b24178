// sorvane-cli health as a user runs it: arguments in; stdout, stderr, files and status out.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "health/daily_status.h"
#include "health/measures_csv.h"
#include "health_days.h"

namespace sorvane {
namespace {

using test::kHealthyDay;
using test::RawDay;

// 30 volume spikes of height 14: below the factory 15.
RawDay spikyDay() {
    RawDay day(14, 10.0f);
    for (int i = 0; i < 30; ++i)
        day.volumes(100 + 20 * i, 100 + 20 * i, 28);
    return day;
}

class HealthCommand : public ::testing::Test {
  protected:
    // Runs "sorvane-cli health day.traffic ARGS" in the archive's folder.
    test::CommandResult run(const std::string& args, const std::string& cli = SORVANE_CLI) const {
        std::vector<std::string> argv{cli, "health", "day.traffic"};
        std::istringstream words(args);
        for (std::string word; words >> word;)
            argv.push_back(word);
        return test::runCommand(argv, day.dir.path());
    }
    std::string file(const std::string& name) const { return test::readFile(day.dir.file(name)); }

    // 107 lacks its occupancy member.
    test::HealthArchive day{test::membersOf({{101, kHealthyDay},
                                             {102, RawDay(255, 0)},
                                             {103, spikyDay()},
                                             {105, test::marginalDay()},
                                             {4600, kHealthyDay},
                                             {107, kHealthyDay}},
                                            true)};
};

TEST_F(HealthCommand, PrintsTheListsAndWritesWhatTheEngineGives) {
    test::CommandResult r = run("--measures-csv measures.csv");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out,
              "List of highly suspicious detectors\n102, 100% missing\n107, (no occ data)\n"
              "List of suspicious/marginal detectors\n105, Mid DevIndex, Marginal\n"
              "Total: 6 detectors, 2 highly suspicious, 0 suspicious, 1 marginal, 2 healthy, "
              "1 excluded\n");
    EXPECT_EQ(r.err, "Det 107 does not exist\r\n");
    std::vector<std::string> statuses;
    modBaddet::HealthRunResult all = day.run(
        modBaddet::kAllDetectors, test::factorySnapshot(),
        [&](const auto&, const modBaddet::RawDetectorDay* raw) {
            statuses.emplace_back(raw ? dailyStatusName(dailyStatus(raw->vol, raw->occ)) : "");
        });
    EXPECT_EQ(file("Diagnostic_Report.txt"), all.reportText);
    EXPECT_EQ(file("measures.csv"), modBaddet::measuresCsvText(all.outcomes, statuses));
    EXPECT_EQ(statuses, (std::vector<std::string>{"Constant", "No Data", "Constant", "Intermittent",
                                                  "", ""}));
}

TEST_F(HealthCommand, ParametersFromFileAndArguments) {
    // Empty keys keep the factory value; keys and section in any letter case.
    test::writeFile(day.dir.file("mine.ini"), "[param]\r\nmargth=13\r\nSuspTh=\r\n");
    EXPECT_NE(run("--settings mine.ini").out.find("0 marginal, 3 healthy"), std::string::npos);
    test::CommandResult r =
        run("--settings mine.ini --set MargTh=12 --set volspiketh=10 --set VolSpikeCountTh=30 "
            "--set DetNoTo=4000");
    EXPECT_NE(r.out.find("103, 30 Vol spikes, Susp\n105, Mid DevIndex, Marginal\n"),
              std::string::npos);
    EXPECT_NE(r.out.find("1 marginal, 2 healthy, 0 excluded"), std::string::npos) << r.out;

    // Without --settings: ParamSettings.ini of the program folder, which is beside a built
    // program and the per-user folder for an installed one.
    namespace fs = std::filesystem;
    test::TempDir root;
    fs::create_directories(root.file("usr/share/sorvane"));
    const char* xdg = std::getenv("XDG_DATA_HOME");
    std::string xdgBefore = xdg != nullptr ? xdg : "";
    ::setenv("XDG_DATA_HOME", root.file("data").c_str(), 1);
    for (auto [program, settings] : {std::pair{"build", "build"}, {"usr/bin", "data/sorvane"}}) {
        fs::create_directories(root.file(program));
        fs::create_directories(root.file(settings));
        fs::copy_file(SORVANE_CLI, root.file(program) + "/sorvane-cli");
        test::writeFile(root.file(settings) + "/ParamSettings.ini", "[Param]\r\nMargTh=13\r\n");
        r = run("", root.file(program) + "/sorvane-cli");
        EXPECT_NE(r.out.find("0 marginal, 3 healthy"), std::string::npos) << program << r.out;
    }
    if (xdg != nullptr)
        ::setenv("XDG_DATA_HOME", xdgBefore.c_str(), 1);
    else
        ::unsetenv("XDG_DATA_HOME");
}

TEST_F(HealthCommand, RefusesBadParametersAndAMissingArchive) {
    const std::pair<const char*, const char*> cases[] = {
        {"--set volspiketh=abc",
         "Parameter VolSpikeTh = \"abc\": must be a whole number from -32768 to 32767."},
        {"--set Nope=1", "Unknown parameter key \"Nope\""},
        {"--set MargTh", "--set needs KEY=VALUE"},
    };
    for (auto [args, message] : cases) {
        test::CommandResult r = run(args);
        EXPECT_EQ(r.exitCode, 2) << args;
        EXPECT_NE(r.err.find(message), std::string::npos) << args << ": " << r.err;
    }
    EXPECT_EQ(test::runCommand({SORVANE_CLI, "health", day.dir.file("missing.traffic")}).exitCode,
              1);
}

}  // namespace
}  // namespace sorvane
