// Settings files as users and accidents leave them: what sorvane-cli makes of the file when it
// is named with --settings, what the parameter boxes show after loading, and that saving keeps
// every line it does not own.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdint>

#include "common/error.h"
#include "hardening/limited_child.h"
#include "health/health_parameters.h"
#include "health/settings_file.h"
#include "support/test_support.h"

namespace sorvane {
namespace {

using modUtility::SettingsFile;

// ASCII text as UTF-16 with a byte-order mark, as Windows writes "Unicode" text.
std::string utf16(std::string_view text, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char c : text)
        bytes += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
    return bytes;
}

// The last three: a settings file that is no file (a pipe would make a reader wait for a
// writer), or in a program folder nobody may write, root included: the boxes load empty at
// once, saving is refused with the file's name, and sorvane-cli refuses the file.
TEST(SettingsInputs, BoxesShowWhatTheFileHoldsAndSavingLosesNothing) {
    // Bytes of every value but '[' (so that no section header can form), in a fixed order.
    std::string garbage(4096, '\0');
    uint32_t state = 12345;
    for (char& c : garbage) {
        state = state * 1103515245u + 12345u;
        c = static_cast<char>(state >> 24) == '[' ? ']' : static_cast<char>(state >> 24);
    }
    const std::string tenMegabytes(10 * 1024 * 1024, '7');
    test::TempDir special;
    const std::string fifo = special.file("fifo.ini");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string proc = modUtility::SettingsFilePath("/proc");
    const std::string notRegular = " cannot be read: it is not a regular file";
    const std::string noParam = "The settings file ";  // ... has no "Param" section; ...
    const std::string twoKeys = "[Param]\r\nSuspTh=16\r\nMargTh=11\r\n";
    const std::string bom = "\xEF\xBB\xBF";
    const std::string lineEnds(1 << 20, '\n');
    const struct {
        const char* what;
        std::optional<std::string> content;  // nullopt: no file
        std::string suspTh, margTh;          // the two boxes after loading (the others: "")
        std::string kept;                    // a part of the file that saving leaves as it was
        int cliExit;                         // sorvane-cli health --settings FILE
        std::string cliError;                // the start of its stderr line ("" when none)
        std::string path = "";               // "": ParamSettings.ini in a folder of its own
        std::string saved = "";  // the start of the message refusing to save ("": saved)
    } cases[] = {
        {"missing", std::nullopt, "", "", "", 1, "The file "},
        {"binary garbage", garbage, "", "", garbage, 0, noParam},
        {"no Param section", "[Other]\r\nSuspTh=16\r\n", "", "", "[Other]\r\nSuspTh=16\r\n", 0,
         noParam},
        // As editors write them: a byte-order mark, line ends of any platform, UTF-16.
        {"UTF-8 byte-order mark", bom + twoKeys, "16", "11", bom + "[Param]\r\n", 0, ""},
        {"LF line ends", "[Param]\nSuspTh=16\nMargTh=11\n", "16", "11", "[Param]\n", 0, ""},
        {"CR line ends", "[Param]\rSuspTh=16\rMargTh=11", "16", "11", "[Param]\r", 0, ""},
        {"UTF-16 little-endian", utf16(twoKeys, false), "16", "11", utf16("[Param]\r\n", false), 0,
         ""},
        {"UTF-16 big-endian", utf16(twoKeys, true), "16", "11", utf16("[Param]\r\n", true), 0, ""},
        {"1 MB of line ends", lineEnds + twoKeys, "16", "11", lineEnds, 0, ""},
        {"10 MB line before the section", tenMegabytes + "\r\n[Param]\r\nSuspTh=16\r\n", "16", "",
         tenMegabytes + "\r\n", 0, ""},
        // The box takes the first 511 characters, and saving writes back what the box holds.
        {"10 MB value", "[Param]\r\nMargTh=" + tenMegabytes + "\r\nSuspTh=16\r\n", "16",
         tenMegabytes.substr(0, modUtility::kMaxSettingLength), "[Param]\r\n", 2,
         "Parameter MargTh = \""},
        {"keys and section in other cases", "[pARAM]\r\nsuspth=16\r\nMARGTH=11\r\n", "16", "11",
         "[pARAM]\r\n", 0, ""},
        {"duplicate keys", "[Param]\r\nSuspTh=16\r\nMargTh=11\r\nsuspth=99\r\n", "16", "11",
         "suspth=99\r\n", 0, ""},
        {"section repeated", "[Param]\r\nSuspTh=16\r\n[Other]\r\nx=1\r\n[PARAM]\r\nMargTh=99\r\n",
         "16", "", "[Other]\r\nx=1\r\n[PARAM]\r\nMargTh=99\r\n", 0, ""},
        {"a pipe", std::nullopt, "", "", "", 1, "The file " + fifo + notRegular + "\n", fifo,
         "The file " + fifo + notRegular},
        {"/dev/zero", std::nullopt, "", "", "", 1, "The file /dev/zero" + notRegular + "\n",
         "/dev/zero", "The file /dev/zero" + notRegular},
        {"read-only folder", std::nullopt, "", "", "", 1,
         "The file " + proc + " cannot be read: No such file or directory\n", proc,
         "The file " + proc + " cannot be written: "},
    };
    test::TempDir data;
    std::string archive = test::makeArchive(
        data, "day.traffic",
        {{"100.v30", test::volumeBytes(5)}, {"100.o30", test::occupancyBytes(120)}});
    for (const auto& c : cases) {
        test::TempDir dir;
        SettingsFile settings(c.path.empty() ? modUtility::SettingsFilePath(dir.path()) : c.path);
        if (c.content) test::writeFile(settings.path(), *c.content);

        test::CommandResult r = test::runCommand({SORVANE_CLI_PATH, "health", archive, "--settings",
                                                  settings.path(), "-o", dir.file("r.txt")});
        EXPECT_EQ(r.exitCode, c.cliExit) << c.what << ": " << r.err;
        if (c.cliError.empty()) {
            EXPECT_EQ(r.err, "") << c.what;
        } else {
            EXPECT_EQ(r.err.rfind(c.cliError, 0), 0u) << c.what << ": " << r.err.substr(0, 200);
            EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << c.what << ": one line";
        }
        if (c.content) {
            EXPECT_EQ(test::readFile(settings.path()), *c.content) << c.what << ": only read";
        }

        HealthParameterTexts boxes = loadHealthParameters(settings), expected{};
        expected[kSuspTh] = c.suspTh;
        expected[kMargTh] = c.margTh;
        EXPECT_EQ(boxes, expected) << c.what;
        // "Set As Default Parameters" after editing one box: the file gives every box back, and
        // what the program does not own is still there.
        boxes[kSuspTh] = "17";
        try {
            saveHealthParameters(settings, boxes);
            EXPECT_EQ(c.saved, "") << c.what << ": saved";
        } catch (const SorvaneError& e) {
            bool written = c.saved.find("cannot be written") != std::string::npos;
            EXPECT_EQ(e.number(), written ? kErrFileWrite : kErrFileRead) << c.what;
            EXPECT_EQ(e.description().rfind(c.saved, 0), 0u) << c.what << ": " << e.description();
            EXPECT_NE(c.saved, "") << c.what;
            continue;
        }
        EXPECT_EQ(loadHealthParameters(settings), boxes) << c.what;
        EXPECT_NE(test::readFile(settings.path()).find(c.kept), std::string::npos) << c.what;
    }
}

// Reading costs about the file's size, once for all twelve keys: a table of lines, or a reading
// per key, would make 32 MB of line ends cost gigabytes.
TEST(SettingsInputs, ReadingCostsAboutTheFilesSize) {
    test::TempDir dir;
    SettingsFile settings(modUtility::SettingsFilePath(dir.path()));
    test::writeFile(settings.path(), std::string(32 << 20, '\n') + "[Param]\r\nSuspTh=16\r\n");
    int grownMegabytes =
        test::peakGrowthMegabytes([&] { return loadHealthParameters(settings)[kSuspTh] == "16"; });
    EXPECT_LT(grownMegabytes, 100);
}

}  // namespace
}  // namespace sorvane
