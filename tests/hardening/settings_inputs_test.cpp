// Settings files as users and accidents leave them: what sorvane-cli makes of the file when it
// is named with --settings, what the parameter boxes show after loading, that saving keeps
// every line it does not own, and that a default file that cannot be read is never taken for a
// missing one.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <functional>

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
// writer), or in a program folder nobody may write, root included: loading and saving are
// refused at once with the file's name (a file that is not there loads empty boxes), and
// sorvane-cli refuses the file.
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
        std::string saved = "";  // the start of the message refusing to load or save ("": saved)
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

        test::CommandResult r = test::runCommand({SORVANE_CLI, "health", archive, "--settings",
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

        HealthParameterTexts boxes, expected;
        try {
            boxes = loadHealthParameters(settings);
        } catch (const SorvaneError& e) {
            EXPECT_EQ(e.description().rfind(c.saved, 0), 0u) << c.what << ": " << e.description();
            EXPECT_NE(c.saved.find("cannot be read"), std::string::npos) << c.what;
            continue;
        }
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

// An installed program's per-user ParamSettings.ini that is there but cannot be read stops
// `health` and `history add` with its name and the reason (the factory values would give other
// results without a word), unless --settings names another file. Run as user nobody when the
// test runs as root, to whom every file is readable.
TEST(SettingsInputs, DefaultFileThatCannotBeReadStopsTheRun) {
    namespace fs = std::filesystem;
    test::TempDir root;
    ::chmod(root.path().c_str(), 0755);
    fs::create_directories(root.file("usr/share/sorvane"));  // an installed program
    fs::create_directories(root.file("usr/bin"));
    const std::string cli = root.file("usr/bin/sorvane-cli");
    fs::copy_file(SORVANE_CLI, cli);
    const std::string userFolder = root.file("data/sorvane");
    fs::create_directories(userFolder);
    ::chmod(userFolder.c_str(), 0777);
    const std::string settings = modUtility::SettingsFilePath(userFolder);
    const std::string archive = test::makeArchive(
        root, "20240315.traffic",
        {{"100.v30", test::volumeBytes(5)}, {"100.o30", test::occupancyBytes(120)}});
    const std::string unreadable = root.file("unreadable.ini"), mine = root.file("mine.ini");
    test::writeFile(unreadable, "[Param]\r\nMargTh=13\r\n");
    ::chmod(unreadable.c_str(), 0);
    test::writeFile(mine, "[Param]\r\nMargTh=13\r\n");
    const struct {
        const char* what;
        std::function<void()> make;
        std::string reason;  // "": the factory values, and the run goes on
    } cases[] = {
        {"not there", [] {}, ""},
        {"mode 000",
         [&] {
             test::writeFile(settings, "[Param]\r\nMargTh=13\r\n");
             ::chmod(settings.c_str(), 0);
         },
         "Permission denied"},
        {"a folder", [&] { fs::create_directory(settings); }, "Is a directory"},
        {"a link to a file the user may not read",
         [&] { fs::create_symlink(unreadable, settings); }, "Permission denied"},
        {"a link to nothing", [&] { fs::create_symlink(root.file("gone.ini"), settings); },
         "it is a link to a file that does not exist"},
        {"a link to itself", [&] { fs::create_symlink(settings, settings); },
         "Too many levels of symbolic links"},
        {"a device", [&] { fs::create_symlink("/dev/zero", settings); },
         "it is not a regular file"},
    };
    const std::string out = root.file("out");
    for (const auto& c : cases) {
        fs::remove_all(settings);
        fs::remove_all(out);
        fs::create_directory(out);
        ::chmod(out.c_str(), 0777);
        c.make();
        const std::string message = "The file " + settings + " cannot be read: " + c.reason +
                                    "; make it readable, or name another settings file with "
                                    "--settings FILE\n";
        const struct {
            std::vector<std::string> args;
            bool named;  // with --settings naming a readable file
        } runs[] = {
            {{cli, "health", archive, "-o", out + "/r.txt"}, false},
            {{cli, "history", "add", archive, "--db", out + "/ledger.sqlite"}, false},
            {{cli, "health", archive, "-o", out + "/named.txt", "--settings", mine}, true},
        };
        for (const auto& run : runs) {
            test::CommandResult r = test::runCommandIn(test::runAsOrdinaryUser, run.args,
                                                       {"XDG_DATA_HOME=" + root.file("data")});
            const bool stops = !c.reason.empty() && !run.named;
            EXPECT_EQ(r.exitCode, stops ? 2 : 0) << c.what << ", " << run.args[1] << ": " << r.err;
            if (stops) {
                EXPECT_EQ(r.err, message) << c.what << ", " << run.args[1];
            }
        }
        // A run that stopped wrote nothing.
        EXPECT_EQ(fs::exists(out + "/r.txt"), c.reason.empty()) << c.what;
        EXPECT_EQ(fs::exists(out + "/ledger.sqlite"), c.reason.empty()) << c.what;

        // The window's loading and saving are refused alike, and what is there stays.
        const fs::file_type before = fs::symlink_status(settings).type();
        const int refused = test::runAsOrdinaryUser([&] {
            SettingsFile file(settings);
            bool loaded = test::refusal([&] { loadHealthParameters(file); }).empty();
            bool saved =
                test::refusal([&] { saveHealthParameters(file, factoryParameterTexts()); }).empty();
            return (loaded ? 0 : 1) + (saved ? 0 : 2);
        });
        EXPECT_EQ(refused, c.reason.empty() ? 0 : 3) << c.what;
        if (!c.reason.empty()) {
            EXPECT_EQ(fs::symlink_status(settings).type(), before) << c.what;
        }
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
