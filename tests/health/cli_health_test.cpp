// sorvane-cli health as a user runs it: arguments in; stdout, stderr, files and status out.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "health/daily_status.h"
#include "health/lane_parameters.h"
#include "health/measures_csv.h"
#include "health/settings_file.h"
#include "health_days.h"

namespace sorvane {
namespace {

using ::testing::HasSubstr;

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
    test::CommandResult run(const std::string& args,
                            std::vector<std::string> argv = {SORVANE_CLI}) const {
        argv.insert(argv.end(), {"health", "day.traffic"});
        return test::runCommand(test::withWords(argv, args), day.dir.path());
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
    EXPECT_THAT(r.out, HasSubstr("103, 30 Vol spikes, Susp\n105, Mid DevIndex, Marginal\n"));
    EXPECT_THAT(r.out, HasSubstr("1 marginal, 2 healthy, 0 excluded"));

    // Without --settings: ParamSettings.ini of the program folder, which is beside a built
    // program and the per-user folder for an installed one.
    namespace fs = std::filesystem;
    test::TempDir root;
    fs::create_directories(root.file("usr/share/sorvane"));
    for (auto [program, settings] : {std::pair{"build", "build"}, {"usr/bin", "data/sorvane"}}) {
        fs::create_directories(root.file(program));
        fs::create_directories(root.file(settings));
        fs::copy_file(SORVANE_CLI, root.file(program) + "/sorvane-cli");
        test::writeFile(root.file(settings) + "/ParamSettings.ini", "[Param]\r\nMargTh=13\r\n");
        r = run("", {"/usr/bin/env", "XDG_DATA_HOME=" + root.file("data"),
                     root.file(program) + "/sorvane-cli"});
        EXPECT_THAT(r.out, HasSubstr("0 marginal, 3 healthy")) << program << r.out;
    }
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
        EXPECT_THAT(r.err, HasSubstr(message)) << args << ": " << r.err;
    }
    EXPECT_EQ(test::runCommand({SORVANE_CLI, "health", day.dir.file("missing.traffic")}).exitCode,
              1);
}

TEST(HealthCommandInventory, TestsEachDetectorWithItsLaneTypesParameters) {
    // Twenty minutes at full occupancy: a lock-on by [Param]'s 7 minutes, not by a queue's 30.
    RawDay locked = RawDay(5, 10.0f).occupancies(1000, 1039, 100.0f);
    test::HealthArchive day{
        test::membersOf({{301, locked}, {302, locked}, {303, locked}, {304, kHealthyDay}})};
    auto run = [&](const std::vector<std::string>& args) {
        std::vector<std::string> argv{SORVANE_CLI, "health", "day.traffic", "-o", "report.txt"};
        argv.insert(argv.end(), args.begin(), args.end());
        test::CommandResult r = test::runCommand(argv, day.dir.path());
        r.out += "\n" + test::readFile(day.dir.file("report.txt"));
        return r;
    };
    test::writeFile(day.dir.file("inventory.csv"),
                    "detector,station,lane_type\n301,S1,queue\n302,S2,mainline\n304,S3,exit\n");
    modUtility::SettingsFile factory(day.dir.file("factory.ini"));
    saveHealthParameters(factory, factoryParameterTexts());
    test::writeFile(day.dir.file("param.ini"), test::readFile(factory.path()));
    saveFactoryLaneSections(factory);

    test::CommandResult plain = run({"--settings", "factory.ini"});
    EXPECT_EQ(plain.exitCode, 0) << plain.err;
    EXPECT_THAT(plain.out, HasSubstr("301, 40slots Locked On"));
    // Lane-type sections that are not there change nothing.
    test::CommandResult same = run({"--settings", "param.ini", "--inventory", "inventory.csv"});
    EXPECT_EQ(same.out, plain.out);

    test::CommandResult r = run({"--settings", "factory.ini", "--inventory", "inventory.csv"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out.find("301, "), std::string::npos) << r.out;
    EXPECT_THAT(r.out, HasSubstr("302, 40slots Locked On"));
    EXPECT_THAT(r.out, HasSubstr("303, 40slots Locked On"));
    const std::string others =
        "OccSpikeTh=40, OccSpikeCountTh=30, VolSpikeTh=15, "
        "VolSpikeCountTh=25, SuspTh=15, MargTh=12, MissingPercent=20, ";
    EXPECT_THAT(r.out, HasSubstr("\r\n\r\nPARAMETERS BY LANE TYPE\r\n"
                                 "queue: 1 detector: " +
                                 others +
                                 "ConsecZeroVolMin=12, LockOnMin=30, CorCoeffTh=0.9985\r\n"
                                 "exit: 1 detector: " +
                                 others +
                                 "ConsecZeroVolMin=8, LockOnMin=30, CorCoeffTh=0.9985\r\n"
                                 "[Param]: 2 detectors\r\n"));

    // A single detector's report, too, says what it was tested with.
    r = run({"--settings", "factory.ini", "--inventory", "inventory.csv", "--det", "301"});
    EXPECT_THAT(r.out, HasSubstr("\r\nGood Detector\r\n\r\nPARAMETERS BY LANE TYPE\r\nqueue: 1 "));

    // A --set changes [Param] before the sections take their missing keys from it.
    r = run({"--settings", "factory.ini", "--inventory", "inventory.csv", "--set", "MargTh=11"});
    EXPECT_THAT(r.out,
                HasSubstr("queue: 1 detector: OccSpikeTh=40, OccSpikeCountTh=30, VolSpikeTh=15, "
                          "VolSpikeCountTh=25, SuspTh=15, MargTh=11,"));

    test::writeFile(day.dir.file("bad.ini"), "[Param]\r\n[Param.queue]\r\nLockOnMin=abc\r\n");
    test::writeFile(day.dir.file("bad.csv"), "detector,station,lane_type\n301,S1,ramp\n");
    const std::pair<std::vector<std::string>, std::string> refused[] = {
        {{"--settings", "bad.ini", "--inventory", "inventory.csv"},
         "Parameter LockOnMin in [Param.queue] = \"abc\": must be a number.\n"},
        {{"--inventory", "bad.csv"}, "The inventory file bad.csv, line 2: the lane type \"ramp\""},
    };
    for (const auto& [args, message] : refused) {
        r = run(args);
        EXPECT_EQ(r.exitCode, 2) << message;
        EXPECT_EQ(r.err.rfind(message, 0), 0u) << r.err;
    }
}

}  // namespace
}  // namespace sorvane
