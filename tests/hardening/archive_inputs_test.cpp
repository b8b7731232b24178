// What the reader and sorvane-cli do with archives that are broken, hostile or just odd:
// each is refused with a numbered message or read as far as it goes, never a crash, and a
// previously loaded archive stays loaded.
#include <gtest/gtest.h>

#include "archive/unzip.h"
#include "common/error.h"
#include "common/log.h"
#include "hardening/zip_patch.h"
#include "support/test_support.h"

namespace sorvane {
namespace {

using synth::ArchiveMember;

ArchiveMember vol(const std::string& name, uint8_t value = 7, size_t length = 2880) {
    return {name, test::volumeBytes(value, length)};
}
ArchiveMember occ(const std::string& name, int16_t raw = 123, size_t length = 5760) {
    return {name, test::occupancyBytes(raw, length)};
}

class ArchiveInputs : public ::testing::Test {
  protected:
    void SetUp() override {
        good = test::makeArchive(dir, "good.traffic", {vol("100.v30", 5), occ("100.o30", 250)});
        load(good);
    }

    void load(const std::string& path) {
        reader.ZipFileName(path);
        reader.zipList();
    }

    std::string write(const std::string& name, const std::string& bytes) {
        std::string path = dir.file(name);
        test::writeFile(path, bytes);
        return path;
    }

    std::string zipBytes(const std::vector<ArchiveMember>& members) {
        return test::readFile(test::makeArchive(dir, "scratch.traffic", members));
    }

    // sorvane-cli refuses the archive with exit status 1 and one line "Error No: <n>, ...".
    static void expectCliRefuses(const std::string& path, const std::string& what, int number = 0) {
        test::CommandResult r = test::runCommand({SORVANE_CLI_PATH, "list", path});
        EXPECT_EQ(r.exitCode, 1) << what;
        std::string start = "Error No: " + (number > 0 ? std::to_string(number) + ", " : "");
        EXPECT_EQ(r.err.rfind(start, 0), 0u) << what << ": " << r.err;
        EXPECT_EQ(r.err.find(".\n"), r.err.size() - 2) << what << ": one line";
        EXPECT_EQ(r.out, "") << what;
    }

    // The good archive is still the loaded one, and fully readable.
    void expectGoodStillLoaded(const std::string& what) {
        EXPECT_EQ(reader.fileName(), good) << what;
        ASSERT_EQ(reader.detCount(), 1) << what;
        VolumeBytes v{};
        Occupancies o{};
        ASSERT_TRUE(reader.extractDet(100, v, o)) << what;
        EXPECT_EQ(v[0], 5) << what;
        EXPECT_EQ(o[2879], 25.0f) << what;
    }

    test::TempDir dir;
    Log log;
    Unzip reader{log};
    std::string good;
};

TEST_F(ArchiveInputs, BrokenFilesAreRefusedWithANumberedMessage) {
    std::string whole = zipBytes({vol("100.v30"), occ("100.o30")});
    test::ZipPatch badDirectory(whole);
    badDirectory.breakCentralDirectoryOffset();
    test::ZipPatch manyClaimed(whole);
    manyClaimed.claimEntryCount(65535);
    struct Case {
        const char* what;
        std::string bytes;
    };
    const Case cases[] = {
        {"not a ZIP", "Vol,Occ\r\n12,3.5\r\n"},
        {"empty file", ""},
        {"truncated to 10 bytes", whole.substr(0, 10)},
        {"truncated to 100 bytes", whole.substr(0, 100)},
        {"truncated in the middle", whole.substr(0, whole.size() / 2)},
        {"truncated by one byte", whole.substr(0, whole.size() - 1)},
        {"central directory cut off", whole.substr(0, whole.size() - 30)},
        {"central directory offset wrong", badDirectory.bytes()},
        {"65535 members claimed", manyClaimed.bytes()},
    };
    for (const Case& c : cases) {
        reader.ZipFileName(write("broken.traffic", c.bytes));
        try {
            reader.zipList();
            ADD_FAILURE() << c.what << ": listed";
        } catch (const SorvaneError& e) {
            EXPECT_GT(e.number(), 0) << c.what;
            EXPECT_FALSE(e.description().empty()) << c.what;
        }
        expectGoodStillLoaded(c.what);
        expectCliRefuses(dir.file("broken.traffic"), c.what);
    }
}

TEST_F(ArchiveInputs, MemberNamesAreSkippedListedOrRefused) {
    struct Case {
        const char* what;
        std::vector<ArchiveMember> members;
        std::vector<int16_t> detectors;  // empty: refused with `error`
        int error;
    };
    const Case cases[] = {
        {"path separators",
         {vol("day/100.v30"), vol("..\\101.v30"), vol("102.v30/x"), vol("103.v30")},
         {102, 103},
         0},
        {"control characters",
         {vol("\x01.v30"), vol("1\t0.v30"), vol("10\n.v30"), vol("104.v30")},
         {104},
         0},
        {"lowest and highest numbers", {vol("-32768.v30"), vol("32767.o30")}, {-32768, 32767}, 0},
        {"number one beyond", {vol("100.v30"), vol("32768.v30")}, {}, kErrDetectorOutOfRange},
        {"number one below", {vol("-32769.v30")}, {}, kErrDetectorOutOfRange},
        {"number in exponent form too large", {vol("1e5.v30")}, {}, kErrDetectorOutOfRange},
        {"name without a dot", {vol("100.v30"), vol("100")}, {}, kErrMemberWithoutDot},
        {"folder entry", {vol("100.v30"), vol("data/")}, {}, kErrMemberWithoutDot},
        {"no detector member", {vol("notes.txt"), vol("x.v30")}, {}, kErrNoDetectorMember},
    };
    for (const Case& c : cases) {
        std::string path = write("names.traffic", zipBytes(c.members));
        if (c.detectors.empty()) {
            reader.ZipFileName(path);
            try {
                reader.zipList();
                ADD_FAILURE() << c.what << ": listed";
            } catch (const SorvaneError& e) {
                EXPECT_EQ(e.number(), c.error) << c.what << ": " << e.description();
            }
            expectGoodStillLoaded(c.what);
            expectCliRefuses(path, c.what, c.error);
            continue;
        }
        load(path);
        std::vector<int16_t> listed;
        for (int i = 0; i < reader.detCount(); ++i)
            listed.push_back(reader.detNum(i));
        EXPECT_EQ(listed, c.detectors) << c.what;
        load(good);
    }
}

TEST_F(ArchiveInputs, DuplicateMemberNamesTakeTheFirst) {
    test::ZipPatch patch(zipBytes({vol("100.v30", 1), vol("101.v30", 2), occ("100.o30")}));
    patch.rename(1, "100.v30");
    load(write("dup.traffic", patch.bytes()));
    EXPECT_EQ(reader.detCount(), 1);
    VolumeBytes v{};
    Occupancies o{};
    ASSERT_TRUE(reader.extractDet(100, v, o));
    EXPECT_EQ(v[0], 1);
}

TEST_F(ArchiveInputs, ThousandsOfJunkMembersAreSkipped) {
    std::vector<ArchiveMember> members;
    for (int i = 0; i < 5000; ++i)
        members.push_back({"junk." + std::to_string(i), {}});
    members.push_back(vol("100.v30"));
    members.push_back(occ("100.o30"));
    load(write("junk.traffic", zipBytes(members)));
    EXPECT_EQ(reader.detCount(), 1);
    VolumeBytes v{};
    Occupancies o{};
    EXPECT_TRUE(reader.extractDet(100, v, o));
}

TEST_F(ArchiveInputs, UnreadableMembersAreErrorsAndTheArchiveStaysUsable) {
    test::ZipPatch encrypted(
        zipBytes({vol("100.v30"), occ("100.o30"), vol("101.v30"), occ("101.o30")}));
    encrypted.setFlags(0, 1);  // "encrypted", with no password to give
    load(write("encrypted.traffic", encrypted.bytes()));
    VolumeBytes v{};
    Occupancies o{};
    try {
        reader.extractDet(100, v, o);
        ADD_FAILURE() << "an encrypted member was read";
    } catch (const SorvaneError& e) {
        EXPECT_NE(e.description().find("100.v30"), std::string::npos) << e.description();
    }
    EXPECT_TRUE(reader.extractDet(101, v, o)) << "the other members stay readable";

    test::CommandResult cli =
        test::runCommand({SORVANE_CLI_PATH, "view", dir.file("encrypted.traffic"), "100"});
    EXPECT_EQ(cli.exitCode, 1);
    EXPECT_EQ(cli.err.rfind("Error No: ", 0), 0u) << cli.err;
    EXPECT_EQ(cli.out, "");
}

TEST_F(ArchiveInputs, MemberDeclaringFourGigabytesReadsOnlyTheDay) {
    // A deflated member whose headers claim 4 GB: only the day's bytes are ever read.
    test::ZipPatch huge(zipBytes({vol("100.v30", 9, 6000), occ("100.o30", 40, 9000)}));
    huge.setUncompressedSize(0, 0xFFFFFFF0u);
    huge.setUncompressedSize(1, 0xFFFFFFF0u);
    load(write("huge.traffic", huge.bytes()));
    VolumeBytes v{};
    Occupancies o{};
    try {
        EXPECT_TRUE(reader.extractDet(100, v, o));
        EXPECT_EQ(v[2879], 9);
        EXPECT_EQ(o[2879], 4.0f);
    } catch (const SorvaneError& e) {
        ADD_FAILURE() << e.description();
    }

    // A member whose compressed size reaches past the end of the file.
    test::ZipPatch past(zipBytes({vol("100.v30"), occ("100.o30")}));
    past.setCompressedSize(0, 0x7FFFFFFFu);
    try {
        load(write("past.traffic", past.bytes()));
        reader.extractDet(100, v, o);
    } catch (const SorvaneError& e) {
        EXPECT_FALSE(e.description().empty());
    }
}

TEST_F(ArchiveInputs, MemberLengths) {
    struct Case {
        size_t volumeLength, occupancyLength;
        int firstMissingVolume, firstMissingOccupancy;  // slot from which values are missing
    };
    const Case cases[] = {
        {0, 0, 0, 0},
        {1, 1, 1, 0},
        {2879, 5759, 2879, 2879},
        {2880, 5760, 2880, 2880},
        {100000, 100001, 2880, 2880},
    };
    for (const Case& c : cases) {
        load(write("lengths.traffic", zipBytes({vol("100.v30", 3, c.volumeLength),
                                                occ("100.o30", 10, c.occupancyLength)})));
        VolumeBytes v{};
        Occupancies o{};
        ASSERT_TRUE(reader.extractDet(100, v, o)) << c.volumeLength;
        for (int s = 0; s < 2880; ++s) {
            bool volumeMissing = s >= c.firstMissingVolume;
            bool occupancyMissing = s >= c.firstMissingOccupancy;
            ASSERT_EQ(v[static_cast<size_t>(s)], volumeMissing ? 255 : 3)
                << c.volumeLength << " slot " << s;
            ASSERT_EQ(o[static_cast<size_t>(s)] > 100.0f, occupancyMissing)
                << c.occupancyLength << " slot " << s;
        }
    }
}

}  // namespace
}  // namespace sorvane
