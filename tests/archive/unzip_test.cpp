#include "archive/unzip.h"

#include <gtest/gtest.h>

#include "common/error.h"
#include "common/log.h"
#include "support/test_support.h"

namespace sorvane {
namespace {

using synth::ArchiveMember;
using test::occupancyBytes;
using test::volumeBytes;

ArchiveMember vol(const std::string& name, uint8_t value = 7, size_t length = 2880) {
    return {name, volumeBytes(value, length)};
}
ArchiveMember occ(const std::string& name, int16_t raw = 123, size_t length = 5760) {
    return {name, occupancyBytes(raw, length)};
}

class UnzipTest : public ::testing::Test {
  protected:
    // Lists an archive of these members, written into the test's folder.
    void list(const std::vector<ArchiveMember>& members, const std::string& name = "day.traffic") {
        reader.ZipFileName(test::makeArchive(dir, name, members));
        reader.zipList();
    }

    std::vector<int16_t> detectors() const {
        std::vector<int16_t> out;
        for (int i = 0; i < reader.detCount(); ++i)
            out.push_back(reader.detNum(i));
        return out;
    }

    test::TempDir dir;
    Log log;
    Unzip reader{log};
    VolumeBytes volumes{};
    Occupancies occupancies{};
};

TEST_F(UnzipTest, DetectorListKeepsMemberOrderAndDropsOnlyAdjacentRepeats) {
    struct Case {
        std::vector<ArchiveMember> members;
        std::vector<int16_t> expected;
    };
    const Case cases[] = {
        {{vol("100.v30"), occ("100.o30"), vol("101.v30"), occ("101.o30")}, {100, 101}},
        {{vol("100.v30"), vol("101.v30"), occ("100.o30"), occ("101.o30")}, {100, 101, 100, 101}},
        {{vol("300.v30"), occ("300.o30"), vol("20.v30"), occ("20.o30")}, {300, 20}},
        {{vol("readme.txt"), vol(".v30"), vol("abc.v30"), vol("100.v30"), occ("100.o30")}, {100}},
        {{vol(" 202.v30"), occ("0202.o30"), vol("+5.v30"), vol("-3.v30")}, {202, 5, -3}},
        {{vol("-32768.v30"), vol("32767.v30")}, {-32768, 32767}},
    };
    for (const Case& c : cases) {
        list(c.members);
        EXPECT_EQ(detectors(), c.expected);
    }
}

TEST_F(UnzipTest, MemberTableHoldsDetectorMembersWithExtensionAfterFirstDot) {
    list({vol("readme.txt"), vol("100.v30"), occ("100.o30"), vol("100.v30.bak")});
    const auto& rows = reader.zipEntries();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].zipIndex, 1u);
    EXPECT_EQ(rows[0].ext, "v30");
    EXPECT_EQ(rows[2].ext, "v30.bak");
}

TEST_F(UnzipTest, ExtractsGroupedAndRepeatedDetectors) {
    list({vol("100.v30", 3), vol("101.v30", 4), occ("100.o30", 250), occ("101.o30", 1000)});
    ASSERT_TRUE(reader.extractDet(100, volumes, occupancies));
    EXPECT_EQ(volumes[0], 3);
    EXPECT_EQ(occupancies[2879], 25.0f);
    ASSERT_TRUE(reader.extractDet(101, volumes, occupancies));
    EXPECT_EQ(volumes[2879], 4);
    EXPECT_EQ(occupancies[0], 100.0f);
    EXPECT_EQ(log.logText(), "");
}

TEST_F(UnzipTest, FirstOccupancyMemberOfTheWindowWins) {
    list({occ("100.c30", 900), occ("100.o30", 900), vol("100.v30")});
    ASSERT_TRUE(reader.extractDet(100, volumes, occupancies));
    EXPECT_EQ(occupancies[0], 50.0f);  // from the c30 member: 900 / 18
}

TEST_F(UnzipTest, ExtensionsAreCaseSensitive) {
    list({vol("100.V30"), occ("100.O30")});
    EXPECT_FALSE(reader.extractDet(100, volumes, occupancies));
    EXPECT_EQ(log.logText(), "Det 100 does not exist\r\nDet 100 does not exist\r\n");
}

TEST_F(UnzipTest, MissingMemberIsLoggedAndTheOtherArrayStillFilled) {
    volumes.fill(99);
    list({vol("99.v30"), occ("99.o30"), occ("100.o30", 500)});
    EXPECT_FALSE(reader.extractDet(100, volumes, occupancies));
    EXPECT_EQ(occupancies[0], 50.0f);
    EXPECT_EQ(volumes[0], 99) << "volumes stay untouched";
    EXPECT_EQ(log.logText(), "Det 100 does not exist\r\n");
}

TEST_F(UnzipTest, NeverTakesAnotherDetectorsMember) {
    // 100 lacks its volume member; 101's lies within the four-row window.
    volumes.fill(99);
    list({occ("100.o30"), vol("101.v30", 42), occ("101.o30")});
    EXPECT_FALSE(reader.extractDet(100, volumes, occupancies));
    EXPECT_EQ(volumes[0], 99);
    EXPECT_EQ(log.logText(), "Det 100 does not exist\r\n");

    // 200 lacks its occupancy member; 201's lies within the window.
    occupancies.fill(-5.0f);
    list({vol("200.v30"), vol("201.v30"), occ("201.o30")});
    EXPECT_FALSE(reader.extractDet(200, volumes, occupancies));
    EXPECT_EQ(occupancies[0], -5.0f);
}

TEST_F(UnzipTest, WindowCoversFourRowsAndStopsAtTheEnd) {
    list({vol("100.v30"), vol("100.x"), vol("100.y"), occ("100.o30"), vol("101.v30"),
          occ("101.o30")});
    EXPECT_TRUE(reader.extractDet(100, volumes, occupancies));
    list({vol("100.v30"), vol("100.x"), vol("100.y"), vol("100.z"), occ("100.o30")});
    EXPECT_FALSE(reader.extractDet(100, volumes, occupancies)) << "fifth row is outside the window";
    list({vol("100.v30"), occ("100.o30"), vol("101.v30")});
    EXPECT_FALSE(reader.extractDet(101, volumes, occupancies));
}

TEST_F(UnzipTest, UnknownDetectorLeavesEverythingUntouched) {
    list({vol("100.v30"), occ("100.o30")});
    volumes.fill(1);
    EXPECT_FALSE(reader.extractDet(9999, volumes, occupancies));
    EXPECT_FALSE(reader.extractDet(100000, volumes, occupancies));
    EXPECT_FALSE(reader.extractDet(-100000, volumes, occupancies));
    EXPECT_EQ(volumes[0], 1);
    EXPECT_EQ(log.logText(), "");
}

TEST_F(UnzipTest, NamesWithBlanksSignsAndZerosAreReadByTheirRow) {
    list({vol(" 202.v30", 11), occ("0202.o30", 77), vol("+5.v30", 12), occ("+5.c30", 1800)});
    ASSERT_TRUE(reader.extractDet(202, volumes, occupancies));
    EXPECT_EQ(volumes[0], 11);
    EXPECT_EQ(occupancies[0], 7.7f);
    ASSERT_TRUE(reader.extractDet(5, volumes, occupancies));
    EXPECT_EQ(volumes[0], 12);
    EXPECT_EQ(occupancies[0], 100.0f);
}

TEST_F(UnzipTest, ShortMembersGiveMissingSlotsAndLongOnesAreCut) {
    list({vol("100.v30", 9, 100), occ("100.o30", 50, 11), vol("101.v30", 8, 5000),
          occ("101.o30", 50, 9000)});
    ASSERT_TRUE(reader.extractDet(100, volumes, occupancies));
    EXPECT_EQ(volumes[99], 9);
    EXPECT_EQ(volumes[100], 255);
    EXPECT_EQ(volumes[2879], 255);
    EXPECT_EQ(occupancies[4], 5.0f);
    EXPECT_GT(occupancies[5], 100.0f) << "a slot with only its high byte is missing";
    EXPECT_GT(occupancies[2879], 100.0f);
    ASSERT_TRUE(reader.extractDet(101, volumes, occupancies));
    EXPECT_EQ(volumes[2879], 8);
    EXPECT_EQ(occupancies[2879], 5.0f);

    list({vol("100.v30", 9, 0), occ("100.o30", 50, 0)});
    ASSERT_TRUE(reader.extractDet(100, volumes, occupancies));
    EXPECT_EQ(volumes[0], 255);
    EXPECT_GT(occupancies[0], 100.0f);
}

TEST_F(UnzipTest, FailedListingKeepsThePreviousArchive) {
    list({vol("100.v30", 5), occ("100.o30")}, "good.traffic");
    const std::string good = reader.fileName();
    test::writeFile(dir.file("text.traffic"), "this is not a zip archive");
    test::writeFile(dir.file("empty.traffic"), "");
    std::string zipBytes = test::readFile(good);
    test::writeFile(dir.file("cut.traffic"), zipBytes.substr(0, zipBytes.size() / 2));

    struct Case {
        std::string path;
        std::vector<ArchiveMember> members;  // written when not empty
        int number;                          // 0: any libzip error
    };
    const Case cases[] = {
        {dir.file("text.traffic"), {}, 0},
        {dir.file("empty.traffic"), {}, 0},
        {dir.file("cut.traffic"), {}, 0},
        {dir.file("absent.traffic"), {}, 0},
        {dir.file("nodot.traffic"), {vol("100.v30"), vol("README")}, kErrMemberWithoutDot},
        {dir.file("range.traffic"), {vol("100.v30"), vol("32768.v30")}, kErrDetectorOutOfRange},
        {dir.file("nodet.traffic"), {vol("readme.txt")}, kErrNoDetectorMember},
        {dir.file("nothing.traffic"), {{}}, kErrNoDetectorMember},
    };
    for (const Case& c : cases) {
        if (!c.members.empty()) {
            std::vector<ArchiveMember> members = c.members;
            if (members.size() == 1 && members[0].name.empty()) members.clear();
            synth::writeArchive(c.path, members);
        }
        reader.ZipFileName(c.path);
        try {
            reader.zipList();
            ADD_FAILURE() << c.path << " was listed";
        } catch (const SorvaneError& e) {
            if (c.number != 0) {
                EXPECT_EQ(e.number(), c.number) << c.path;
            } else {
                EXPECT_LT(e.number(), 1000) << c.path << ": " << e.description();
            }
            EXPECT_FALSE(e.description().empty());
        }
        EXPECT_EQ(reader.fileName(), good) << c.path;
        EXPECT_EQ(detectors(), std::vector<int16_t>{100}) << c.path;
        ASSERT_TRUE(reader.extractDet(100, volumes, occupancies)) << c.path;
        EXPECT_EQ(volumes[0], 5);
    }
}

TEST_F(UnzipTest, FailedFirstListingLeavesNothingLoaded) {
    reader.ZipFileName(dir.file("absent.traffic"));
    EXPECT_THROW(reader.zipList(), SorvaneError);
    EXPECT_EQ(reader.fileName(), "");
    EXPECT_EQ(reader.detCount(), 0);
    EXPECT_FALSE(reader.extractDet(100, volumes, occupancies));
    EXPECT_THROW(reader.detNum(0), SorvaneError);
}

TEST_F(UnzipTest, RelistingReplacesEverything) {
    list({vol("100.v30"), occ("100.o30")}, "a.traffic");
    list({vol("200.v30"), occ("200.o30")}, "b.traffic");
    EXPECT_EQ(detectors(), std::vector<int16_t>{200});
    EXPECT_FALSE(reader.extractDet(100, volumes, occupancies));
    EXPECT_TRUE(reader.extractDet(200, volumes, occupancies));
    EXPECT_EQ(reader.detPosition(200), 0);
    EXPECT_EQ(reader.detPosition(100), std::nullopt);
}

TEST_F(UnzipTest, DetectorPositionIsTheFirstAppearance) {
    list({vol("100.v30"), vol("101.v30"), occ("100.o30"), occ("101.o30")});
    EXPECT_EQ(reader.detPosition(100), 0);
    EXPECT_EQ(reader.detPosition(101), 1);
    EXPECT_THROW(reader.detNum(4), SorvaneError);
    EXPECT_THROW(reader.detNum(-1), SorvaneError);
}

}  // namespace
}  // namespace sorvane
