#include "health/settings_file.h"

#include <gtest/gtest.h>

#include "common/error.h"
#include "health/health_parameters.h"
#include "support/test_support.h"

namespace sorvane {
namespace {

using modUtility::SettingsFile;

struct ReadCase {
    const char* what;
    std::string content;
    const char* key;
    const char* section;
    std::string expected;
};

TEST(ReadSetting, FollowsIniRules) {
    const std::string longValue(600, 'x');
    const ReadCase cases[] = {
        {"plain", "[Param]\r\nLockOnMin=7\r\n", "LockOnMin", "Param", "7"},
        {"other letter case", "[param]\r\nlockonmin=5\r\n", "LockOnMin", "Param", "5"},
        {"blanks around key and value", "[Param]\r\n  VolSpikeTh \t=  10 5 \t\r\n", "VolSpikeTh",
         "Param", "10 5"},
        {"blanks around the header", "  [ Param ]  \r\nMargTh=12\r\n", "MargTh", "Param", "12"},
        {"LF line ends", "[Param]\nSuspTh=15\n", "SuspTh", "Param", "15"},
        {"no line end at the end", "[Param]\r\nSuspTh=16", "SuspTh", "Param", "16"},
        {"empty value", "[Param]\r\nSuspTh=\r\n", "SuspTh", "Param", ""},
        {"cut to 511 characters", "[Param]\r\nK=" + longValue + "\r\n", "K", "Param",
         longValue.substr(0, 511)},
        {"missing key", "[Param]\r\nSuspTh=15\r\n", "MargTh", "Param", ""},
        {"missing section", "[Other]\r\nSuspTh=15\r\n", "SuspTh", "Param", ""},
        {"key of another section", "[Other]\r\nK=1\r\n[Param]\r\nJ=2\r\n", "K", "Param", ""},
        {"key before any section", "K=1\r\n[Param]\r\n", "K", "Param", ""},
        {"first of duplicate keys", "[Param]\r\nK=1\r\nk=2\r\n", "K", "Param", "1"},
        {"first of duplicate sections", "[Param]\r\nK=1\r\n[PARAM]\r\nK=2\r\n", "K", "Param", "1"},
        {"comment line", "[Param]\r\n;K=1\r\nK=2\r\n", "K", "Param", "2"},
        {"equals sign in the value", "[Param]\r\nK=a=b\r\n", "K", "Param", "a=b"},
        {"NUL in the value", std::string("[Param]\r\nK=10\0junk\r\n", 20), "K", "Param", "10"},
    };
    test::TempDir dir;
    for (const ReadCase& c : cases) {
        std::string path = dir.file("ParamSettings.ini");
        test::writeFile(path, c.content);
        EXPECT_EQ(SettingsFile(path).ReadSetting(c.key, c.section), c.expected) << c.what;
    }
    EXPECT_EQ(SettingsFile(dir.file("none.ini")).ReadSetting("K", "Param"), "");
    EXPECT_EQ(SettingsFile(dir.path()).ReadSetting("K", "Param"), "");  // a folder
}

struct WriteCase {
    const char* what;
    std::string before;
    const char* key;
    const char* value;
    std::string after;
};

TEST(WriteSetting, ChangesOnlyTheKeyLine) {
    const WriteCase cases[] = {
        {"in place, other lines kept byte for byte",
         "; my settings\n[Other]\r\nK=9\r\n\r\n[param]\r\n  lockonmin = 5  \r\nMargTh=12\n",
         "LockOnMin", "8",
         "; my settings\n[Other]\r\nK=9\r\n\r\n[param]\r\nLockOnMin=8\r\nMargTh=12\n"},
        {"value written exactly, blanks included", "[Param]\r\nK=1\r\n", "K", " 2 ",
         "[Param]\r\nK= 2 \r\n"},
        {"empty value", "[Param]\r\nK=1\r\n", "K", "", "[Param]\r\nK=\r\n"},
        {"first of duplicate keys", "[Param]\r\nK=1\r\nK=2\r\n", "K", "3",
         "[Param]\r\nK=3\r\nK=2\r\n"},
        {"key appended after the section's last line", "[Param]\r\nA=1\r\n\r\n[Other]\r\nB=2\r\n",
         "C", "3", "[Param]\r\nA=1\r\nC=3\r\n\r\n[Other]\r\nB=2\r\n"},
        {"key appended to a last line without line end", "[Param]\r\nA=1", "C", "3",
         "[Param]\r\nA=1\r\nC=3\r\n"},
        {"section appended", "[Other]\r\nB=2", "C", "3", "[Other]\r\nB=2\r\n[Param]\r\nC=3\r\n"},
        {"section appended to an empty file", "", "C", "3", "[Param]\r\nC=3\r\n"},
    };
    test::TempDir dir;
    for (const WriteCase& c : cases) {
        std::string path = dir.file("ParamSettings.ini");
        test::writeFile(path, c.before);
        SettingsFile(path).WriteSetting(c.key, c.value, "Param");
        EXPECT_EQ(test::readFile(path), c.after) << c.what;
    }
}

TEST(WriteSetting, RefusalNamesTheFile) {
    test::TempDir dir;
    std::string missingFolder = dir.file("nowhere/ParamSettings.ini");
    try {
        SettingsFile(missingFolder).WriteSetting("K", "1", "Param");
        FAIL() << "no error";
    } catch (const SorvaneError& e) {
        EXPECT_NE(e.description().find(missingFolder), std::string::npos);
    }
}

TEST(HealthParameters, FactoryResetCreatesTheFileInLoadOrder) {
    test::TempDir dir;
    SettingsFile settings(modUtility::SettingsFilePath(dir.path()));
    EXPECT_EQ(settings.path(), dir.file("ParamSettings.ini"));
    EXPECT_EQ(loadHealthParameters(settings), HealthParameterTexts{});  // no file: boxes empty

    saveHealthParameters(settings, factoryParameterTexts());
    EXPECT_EQ(test::readFile(settings.path()),
              "[Param]\r\nOccSpikeTh=40\r\nOccSpikeCountTh=30\r\nVolSpikeTh=15\r\n"
              "VolSpikeCountTh=25\r\nSuspTh=15\r\nMargTh=12\r\nMissingPercent=20\r\n"
              "ConsecZeroVolMin=4\r\nLockOnMin=7\r\nCorCoeffTh=0.9985\r\nDetNoFrom=4500\r\n"
              "DetNoTo=4940\r\n");
    EXPECT_EQ(loadHealthParameters(settings), factoryParameterTexts());

    // Edited boxes, saved and loaded again, come back in their own boxes.
    HealthParameterTexts edited = factoryParameterTexts();
    edited[kVolSpikeTh] = "10";
    edited[kOccSpikeCountTh] = "22";
    edited[kMargTh] = "";
    saveHealthParameters(settings, edited);
    EXPECT_EQ(loadHealthParameters(settings), edited);
    EXPECT_NE(test::readFile(settings.path()).find("\r\nMargTh=\r\n"), std::string::npos);
}

TEST(HealthParameters, KeysMatchWithoutRegardToCase) {
    EXPECT_EQ(findHealthParameter("VolSpikeTh"), kVolSpikeTh);
    EXPECT_EQ(findHealthParameter("volspiketh"), kVolSpikeTh);
    EXPECT_EQ(findHealthParameter("DETNOTO"), kDetNoTo);
    EXPECT_EQ(findHealthParameter("VolSpike"), std::nullopt);
    EXPECT_EQ(findHealthParameter(""), std::nullopt);
}

}  // namespace
}  // namespace sorvane
