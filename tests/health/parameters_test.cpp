// The health parameters: their settings file, and the texts converted for a run.
#include <gtest/gtest.h>

#include "health/health_parameters.h"
#include "health/health_snapshot.h"
#include "health/lane_parameters.h"
#include "health/settings_file.h"
#include "support/test_support.h"

namespace sorvane {
namespace {

using modBaddet::HealthParameterError;
using modBaddet::takeHealthSnapshot;
using modUtility::SettingsFile;

struct ReadCase {
    const char* what;
    std::string content;
    const char* key;
    const char* section;
    std::string expected;
};

TEST(ReadSetting, FollowsIniRules) {
    const ReadCase cases[] = {
        {"plain", "[Param]\r\nLockOnMin=7\r\n", "LockOnMin", "Param", "7"},
        {"blanks around key and value", "[Param]\r\n  VolSpikeTh \t=  10 5 \t\r\n", "VolSpikeTh",
         "Param", "10 5"},
        {"blanks around the header", "  [ Param ]  \r\nMargTh=12\r\n", "MargTh", "Param", "12"},
        {"LF line ends", "[Param]\nSuspTh=15\n", "SuspTh", "Param", "15"},
        {"no line end at the end", "[Param]\r\nSuspTh=16", "SuspTh", "Param", "16"},
        {"empty value", "[Param]\r\nSuspTh=\r\n", "SuspTh", "Param", ""},
        {"key of another section", "[Other]\r\nK=1\r\n[Param]\r\nJ=2\r\n", "K", "Param", ""},
        {"key before any section", "K=1\r\n[Param]\r\n", "K", "Param", ""},
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

TEST(HealthParameters, FactoryResetCreatesTheFileInLoadOrder) {
    test::TempDir dir;
    SettingsFile settings(modUtility::SettingsFilePath(dir.path()));
    EXPECT_EQ(settings.path(), dir.file("ParamSettings.ini"));
    saveHealthParameters(settings, factoryParameterTexts());
    EXPECT_EQ(test::readFile(settings.path()),
              "[Param]\r\nOccSpikeTh=40\r\nOccSpikeCountTh=30\r\nVolSpikeTh=15\r\n"
              "VolSpikeCountTh=25\r\nSuspTh=15\r\nMargTh=12\r\nMissingPercent=20\r\n"
              "ConsecZeroVolMin=4\r\nLockOnMin=7\r\nCorCoeffTh=0.9985\r\nDetNoFrom=4500\r\n"
              "DetNoTo=4940\r\n");
    EXPECT_EQ(loadHealthParameters(settings), factoryParameterTexts());
}

TEST(HealthSnapshot, ConvertsTypesAndUnits) {
    // The other factory values show in the boundaries of the measures and the classification.
    HealthParameterTexts texts = factoryParameterTexts();
    EXPECT_EQ(takeHealthSnapshot(texts).occSpikeTh, 40.0f);

    texts[kConsecZeroVolMin] = "0.25";  // hours
    texts[kLockOnMin] = " 2.5 ";        // minutes, blanks around
    texts[kVolSpikeTh] = "15.5";        // whole numbers round halves to even
    modBaddet::HealthSnapshot s = takeHealthSnapshot(texts);
    EXPECT_EQ(std::tuple(s.zeroRunSlots, s.lockOnSlots, s.volSpikeTh), std::tuple(30, 5, 16));
}

// The error the texts are refused with; nothing when they are taken.
std::optional<HealthParameterError> refusal(const HealthParameterTexts& texts) {
    try {
        takeHealthSnapshot(texts);
        return std::nullopt;
    } catch (const HealthParameterError& e) {
        return e;
    }
}

TEST(HealthSnapshot, RefusesTextsItCannotUseNamingTheField) {
    const char* kWhole = "must be a whole number from -32768 to 32767";
    const char* kNumber = "must be a number";
    const std::tuple<HealthParam, const char*, const char*> cases[] = {
        {kVolSpikeTh, "abc", kWhole},    {kOccSpikeCountTh, "32768", kWhole},
        {kDetNoTo, "-32769", kWhole},    {kOccSpikeTh, "", kNumber},
        {kCorCoeffTh, "1e309", kNumber}, {kMargTh, "1e39", kNumber}};  // 1e39: beyond a float
    for (auto [parameter, text, reason] : cases) {
        HealthParameterTexts texts = factoryParameterTexts();
        texts[parameter] = text;
        std::optional<HealthParameterError> e = refusal(texts);
        ASSERT_TRUE(e) << "accepted " << text;
        EXPECT_EQ(e->parameter(), parameter) << text;
        EXPECT_EQ(e->reason(), reason) << text;
        EXPECT_EQ(e->description(), "The value of \"" +
                                        std::string(kHealthParameters[parameter].caption) + "\" " +
                                        reason + ".");
    }
    // A run reads the volume spike height before the occupancy spike count, although the
    // settings file keeps them the other way round.
    HealthParameterTexts texts = factoryParameterTexts();
    texts[kOccSpikeCountTh] = texts[kVolSpikeTh] = texts[kDetNoTo] = "x";
    EXPECT_EQ(refusal(texts)->description(),
              "The value of \"Vol Spike Height   >= \" must be a whole number from -32768 to "
              "32767.");
}

TEST(LaneSections, TakeMissingKeysFromParamAndFollowTheIniRules) {
    test::TempDir dir;
    SettingsFile settings(dir.file("ParamSettings.ini"));
    test::writeFile(settings.path(),
                    "[Param]\r\nLockOnMin=9\r\n[ param.QUEUE ]\r\nlockonmin = 30 \r\n; a note\r\n"
                    "MargTh=\r\nLockOnMin=31\r\n[Other]\r\nX=1\r\n[Param.queue]\r\nSuspTh=1\r\n"
                    "[Param.exit]\n");
    LaneSections sections = readLaneSections(settings);
    HealthParameterTexts param = factoryParameterTexts();
    param[kLockOnMin] = "9";
    HealthParameterTexts queue = laneParameterTexts(param, sections[size_t(LaneType::Queue)]);
    HealthParameterTexts expected = param;
    expected[kLockOnMin] = "30";  // the first line of a key and the first section count
    EXPECT_EQ(queue, expected);
    EXPECT_EQ(laneParameterTexts(param, sections[size_t(LaneType::Exit)]), param);
    EXPECT_FALSE(sections[size_t(LaneType::Mainline)]);

    const std::pair<const char*, const char*> refused[] = {
        {"[Param.ramp]\r\nLockOnMin=30\r\n", "[Param.ramp] names no lane type"},
        {"[Param.queue]\r\ndetnofrom=1\r\n",
         "[Param.queue] holds DetNoFrom, which only [Param] may hold"},
        {"[Param.hov]\r\nLockOn=1\r\n", "[Param.hov] holds \"LockOn\", which is no parameter"},
    };
    for (auto [text, message] : refused) {
        test::writeFile(settings.path(), text);
        std::string said = test::refusal([&] { readLaneSections(settings); });
        EXPECT_EQ(
            said.rfind("In the settings file " + settings.path() + ", the section " + message, 0),
            0u)
            << said;
    }
}

}  // namespace
}  // namespace sorvane
