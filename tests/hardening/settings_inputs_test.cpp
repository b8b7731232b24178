// Settings files as users and accidents leave them: what the parameter boxes show after
// loading, that saving keeps every line it does not own, and what sorvane-cli makes of the
// file when it is named with --settings.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdint>

#include "common/error.h"
#include "health/health_parameters.h"
#include "health/settings_file.h"
#include "support/test_support.h"

namespace sorvane {
namespace {

using modUtility::SettingsFile;

// Bytes of every value but '[' (so that no section header can form), in a fixed order.
std::string binaryGarbage(size_t length) {
    std::string bytes;
    uint32_t state = 12345;
    while (bytes.size() < length) {
        state = state * 1103515245u + 12345u;
        auto c = static_cast<char>(state >> 24);
        if (c != '[') bytes.push_back(c);
    }
    return bytes;
}

const std::string kTenMegabytes(10 * 1024 * 1024, '7');

struct SettingsCase {
    const char* what;
    std::optional<std::string> content;  // nullopt: no file
    std::string suspTh, margTh;          // what the two boxes show after loading
    std::string kept;                    // a part of the file that saving leaves as it was
    int cliExit;                         // sorvane-cli health --settings FILE
    std::string cliError;                // the start of its stderr line ("" when none)
};

std::vector<SettingsCase> settingsCases() {
    return {
        {"missing", std::nullopt, "", "", "", 1, "The file "},
        {"binary garbage", binaryGarbage(4096), "", "", binaryGarbage(4096), 0, ""},
        {"10 MB line before the section", kTenMegabytes + "\r\n[Param]\r\nSuspTh=16\r\n", "16", "",
         kTenMegabytes + "\r\n", 0, ""},
        // The box takes the first 511 characters, and saving writes back what the box holds.
        {"10 MB value", "[Param]\r\nMargTh=" + kTenMegabytes + "\r\nSuspTh=16\r\n", "16",
         kTenMegabytes.substr(0, modUtility::kMaxSettingLength), "[Param]\r\n", 2,
         "Parameter MargTh = \""},
        {"keys and section in other cases", "[pARAM]\r\nsuspth=16\r\nMARGTH=11\r\n", "16", "11",
         "[pARAM]\r\n", 0, ""},
        {"duplicate keys", "[Param]\r\nSuspTh=16\r\nMargTh=11\r\nsuspth=99\r\n", "16", "11",
         "suspth=99\r\n", 0, ""},
        {"section repeated", "[Param]\r\nSuspTh=16\r\n[Other]\r\nx=1\r\n[PARAM]\r\nMargTh=99\r\n",
         "16", "", "[Other]\r\nx=1\r\n[PARAM]\r\nMargTh=99\r\n", 0, ""},
    };
}

TEST(SettingsInputs, BoxesShowWhatTheFileHoldsAndSavingLosesNothing) {
    for (const SettingsCase& c : settingsCases()) {
        test::TempDir dir;
        SettingsFile settings(modUtility::SettingsFilePath(dir.path()));
        if (c.content) test::writeFile(settings.path(), *c.content);

        HealthParameterTexts boxes = loadHealthParameters(settings);
        EXPECT_EQ(boxes[kSuspTh], c.suspTh) << c.what;
        EXPECT_EQ(boxes[kMargTh], c.margTh) << c.what;

        // "Set As Default Parameters" after editing one box: the file gives every box back, and
        // what the program does not own is still there.
        boxes[kSuspTh] = "17";
        saveHealthParameters(settings, boxes);
        EXPECT_EQ(loadHealthParameters(settings), boxes) << c.what;
        std::string after = test::readFile(settings.path());
        EXPECT_NE(after.find(c.kept), std::string::npos) << c.what;
    }
}

TEST(SettingsInputs, CommandLineNamesTheFileOrTheParameter) {
    test::TempDir data;
    std::string archive = test::makeArchive(
        data, "day.traffic",
        {{"100.v30", test::volumeBytes(5)}, {"100.o30", test::occupancyBytes(120)}});
    for (const SettingsCase& c : settingsCases()) {
        test::TempDir dir;
        std::string path = dir.file("my.ini");
        if (c.content) test::writeFile(path, *c.content);
        test::CommandResult r = test::runCommand(
            {SORVANE_CLI_PATH, "health", archive, "--settings", path, "-o", dir.file("r.txt")});
        EXPECT_EQ(r.exitCode, c.cliExit) << c.what << ": " << r.err;
        if (c.cliError.empty()) {
            EXPECT_EQ(r.err, "") << c.what;
        } else {
            EXPECT_EQ(r.err.rfind(c.cliError, 0), 0u) << c.what << ": " << r.err.substr(0, 200);
            EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << c.what << ": one line";
        }
        if (c.content) {
            EXPECT_EQ(test::readFile(path), *c.content) << c.what << ": only read";
        }
    }
}

// A settings file that is no file: the boxes load empty at once (a pipe would otherwise wait
// for a writer), saving names the file, and sorvane-cli refuses it with exit status 1.
TEST(SettingsInputs, SpecialFiles) {
    test::TempDir dir;
    SettingsFile settings(modUtility::SettingsFilePath(dir.path()));
    ASSERT_EQ(::mkfifo(settings.path().c_str(), 0600), 0);
    for (const std::string& box : loadHealthParameters(settings))
        EXPECT_EQ(box, "");
    const std::string message =
        "The file " + settings.path() + " cannot be read: it is not a regular file";
    try {
        saveHealthParameters(settings, factoryParameterTexts());
        ADD_FAILURE() << "saved into a pipe";
    } catch (const SorvaneError& e) {
        EXPECT_EQ(e.description(), message);
    }
    for (const std::string& path : {settings.path(), std::string("/dev/zero")}) {
        test::CommandResult r =
            test::runCommand({SORVANE_CLI_PATH, "health", "/none.traffic", "--settings", path});
        EXPECT_EQ(r.exitCode, 1) << path;
        EXPECT_EQ(r.err, "The file " + path + " cannot be read: it is not a regular file\n");
    }
}

// A program folder nobody may write, root included: the boxes load empty and saving is
// refused with the file's name, never reported as done.
TEST(SettingsInputs, ReadOnlyProgramFolder) {
    SettingsFile settings(modUtility::SettingsFilePath("/proc"));
    for (const std::string& box : loadHealthParameters(settings))
        EXPECT_EQ(box, "");
    try {
        saveHealthParameters(settings, factoryParameterTexts());
        FAIL() << "saved";
    } catch (const SorvaneError& e) {
        EXPECT_EQ(e.number(), kErrFileWrite);
        EXPECT_EQ(e.description().rfind("The file /proc/ParamSettings.ini cannot be written: ", 0),
                  0u)
            << e.description();
    }
    test::CommandResult r = test::runCommand(
        {SORVANE_CLI_PATH, "health", "/none.traffic", "--settings", settings.path()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err,
              "The file /proc/ParamSettings.ini cannot be read: No such file or directory\n");
}

}  // namespace
}  // namespace sorvane
