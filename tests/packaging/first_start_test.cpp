// Where the program keeps its files, and the factory settings that a first start finds there.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "common/program_folder.h"
#include "health/health_parameters.h"
#include "health/lane_parameters.h"
#include "health/settings_file.h"
#include "support/test_support.h"

namespace sorvane {
namespace {

namespace fs = std::filesystem;

TEST(ProgramFolder, PerUserFolderFollowsTheXdgRules) {
    const std::tuple<const char*, const char*, std::string> cases[] = {
        {"/data", "/home/u", "/data/sorvane"},
        {nullptr, "/home/u", "/home/u/.local/share/sorvane"},
        {"", "/home/u", "/home/u/.local/share/sorvane"},
        {"data", "/home/u", "/home/u/.local/share/sorvane"},  // relative: ignored
    };
    for (const auto& [xdg, home, expected] : cases)
        EXPECT_EQ(perUserFolder(xdg, home), expected) << (xdg ? xdg : "unset");
}

// A program's folders in a temporary root: a build folder, an installation with its
// share/sorvane folder, and a user's folder.
struct Layout {
    Layout() {
        fs::create_directories(build);
        fs::create_directories(bin);
        fs::create_directories(root.file("usr/share/sorvane"));
        test::writeFile(root.file("usr/share/sorvane/ParamSettings.ini"), "[Param]\r\nK=1\r\n");
    }
    test::TempDir root;
    std::string build = root.file("build");
    std::string bin = root.file("usr/bin");
    std::string user = root.file("home/.local/share/sorvane");
};

TEST(ProgramFolder, BesideTheExecutableUnlessInstalledOrUnwritable) {
    Layout l;
    ProgramFolder built = findProgramFolder(l.build, l.user);
    EXPECT_EQ(built.path, l.build);
    EXPECT_EQ(built.installedData, "");
    // Installed: the user's folder, even for root, who may write into /usr/bin.
    ProgramFolder installed = findProgramFolder(l.bin, l.user);
    EXPECT_EQ(installed.path, l.user);
    EXPECT_EQ(installed.installedData, l.bin + "/../share/sorvane");
    EXPECT_EQ(findProgramFolder("", l.user).path, l.user);  // the executable is unknown

    if (::geteuid() != 0) {  // root writes into any folder
        ::chmod(l.build.c_str(), 0555);
        EXPECT_EQ(findProgramFolder(l.build, l.user).path, l.user);
        ::chmod(l.build.c_str(), 0755);
    }
}

TEST(ProgramFolder, FirstStartCopiesTheFactorySettingsAndNeverReplacesAFile) {
    Layout l;
    ProgramFolder installed = findProgramFolder(l.bin, l.user);
    prepareProgramFolder(installed, {"ParamSettings.ini", "Absent.ini"});
    EXPECT_EQ(test::readFile(l.user + "/ParamSettings.ini"), "[Param]\r\nK=1\r\n");
    EXPECT_FALSE(fs::exists(l.user + "/Absent.ini"));

    test::writeFile(l.user + "/ParamSettings.ini", "[Param]\r\nK=mine\r\n");
    prepareProgramFolder(installed, {"ParamSettings.ini"});
    EXPECT_EQ(test::readFile(l.user + "/ParamSettings.ini"), "[Param]\r\nK=mine\r\n");
    // Nor one that cannot be read: the user is told of it at start-up instead.
    fs::remove(l.user + "/ParamSettings.ini");
    fs::create_symlink(l.root.file("gone.ini"), l.user + "/ParamSettings.ini");
    prepareProgramFolder(installed, {"ParamSettings.ini"});
    EXPECT_TRUE(fs::is_symlink(l.user + "/ParamSettings.ini"));
    EXPECT_FALSE(fs::exists(l.root.file("gone.ini")));

    // A program beside its files gets nothing copied.
    prepareProgramFolder(findProgramFolder(l.build, l.user), {"ParamSettings.ini"});
    EXPECT_FALSE(fs::exists(l.build + "/ParamSettings.ini"));

    // A per-user folder that cannot be made is named in the error.
    test::writeFile(l.root.file("file"), "");
    installed.path = l.root.file("file/sorvane");
    std::string said =
        test::refusal([&] { prepareProgramFolder(installed, {"ParamSettings.ini"}); });
    EXPECT_NE(said.find(installed.path + " cannot be created"), std::string::npos) << said;
}

// The build's and the package's ParamSettings.ini is what "Restore Factory Default Parameters"
// writes into a folder without one, followed by the factory lane-type sections; a file that is
// there keeps the user's values.
TEST(FactorySettingsTool, WritesTheFactoryFileAndKeepsOneThatIsThere) {
    test::TempDir dir;
    std::string restored = dir.file("restored.ini");
    saveHealthParameters(modUtility::SettingsFile(restored), factoryParameterTexts());
    const std::string param = test::readFile(restored);
    test::writeFile(dir.file("mine.ini"), "[Param]\r\nMargTh=13\r\n");

    test::CommandResult r =
        test::runCommand({SORVANE_FACTORY_SETTINGS, dir.file("new.ini"), dir.file("mine.ini")});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    const std::string written = test::readFile(dir.file("new.ini"));
    EXPECT_EQ(written.substr(0, param.size()), param);
    EXPECT_EQ(readLaneSections(modUtility::SettingsFile(dir.file("new.ini"))),
              factoryLaneSections());
    EXPECT_NE(written.find("[Param.parking]\r\nConsecZeroVolMin=336\r\nLockOnMin=20160\r\n"),
              std::string::npos);
    EXPECT_EQ(test::readFile(dir.file("mine.ini")), "[Param]\r\nMargTh=13\r\n");
}

}  // namespace
}  // namespace sorvane
