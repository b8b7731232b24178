#include "archive/unzip.h"

#include <gtest/gtest.h>

#include "common/error.h"
#include "common/log.h"
#include "support/test_support.h"

namespace sorvane {
namespace {

using synth::ArchiveMember;

ArchiveMember vol(const std::string& name, uint8_t value = 7) {
    return {name, test::volumeBytes(value)};
}
ArchiveMember occ(const std::string& name, int16_t raw = 123) {
    return {name, test::occupancyBytes(raw)};
}
template <typename... Member>
std::vector<ArchiveMember> members(Member... m) {
    return {m...};
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
        {{vol(" 202.v30"), occ("0202.o30"), vol("+5.v30"), vol("-3.v30")}, {202, 5, -3}},
    };
    for (const Case& c : cases) {
        list(c.members);
        EXPECT_EQ(detectors(), c.expected);
    }
    list(cases[1].members);  // 100, 101, 100, 101: a detector's position is its first
    EXPECT_EQ(reader.detPosition(101), 1);
    EXPECT_EQ(reader.detPosition(7), std::nullopt);
    EXPECT_THROW(reader.detNum(4), SorvaneError);
    EXPECT_THROW(reader.detNum(-1), SorvaneError);

    list({vol("readme.txt"), vol("100.v30"), occ("100.o30"), vol("100.v30.bak")});
    const auto& rows = reader.zipEntries();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].zipIndex, 1u);
    EXPECT_EQ(rows[0].ext, "v30");
    EXPECT_EQ(rows[2].ext, "v30.bak");
}

struct ExtractCase {
    const char* what;
    std::vector<ArchiveMember> members;
    int32_t det;
    bool found;
    int volume;       // the first volume afterwards; 99 before
    float occupancy;  // the first occupancy afterwards; -5 before
    int loggedLines;  // of "Det <det> does not exist"
};

TEST_F(UnzipTest, ExtractTakesTheDetectorsOwnFirstMembersWhereverTheyLie) {
    const std::vector<ArchiveMember> one = members(vol("100.v30"), occ("100.o30"));
    const ExtractCase cases[] = {
        {"grouped",
         members(vol("100.v30", 3), vol("101.v30", 4), occ("100.o30"), occ("101.o30", 1000)), 101,
         true, 4, 100.0f, 0},
        {"the first occupancy member: 900 / 18",
         members(occ("100.c30", 900), occ("100.o30", 900), vol("100.v30")), 100, true, 7, 50.0f, 0},
        {"extensions are case-sensitive", members(vol("100.V30"), occ("100.O30")), 100, false, 99,
         -5, 2},
        {"volume member missing, occupancies still read",
         members(vol("99.v30"), occ("99.o30"), occ("100.o30", 500)), 100, false, 99, 50.0f, 1},
        // A detector lacking a member never gets its neighbour's.
        {"never 101's volumes", members(occ("100.o30"), vol("101.v30", 42), occ("101.o30")), 100,
         false, 99, 12.3f, 1},
        {"never 201's occupancies", members(vol("200.v30"), vol("201.v30"), occ("201.o30")), 200,
         false, 7, -5, 1},
        {"volumes first, members five rows apart",
         members(vol("100.v30", 3), vol("101.v30"), vol("102.v30"), vol("103.v30"), vol("104.v30"),
                 occ("101.o30"), occ("100.o30", 9)),
         100, true, 3, 0.9f, 0},
        {"last row", members(vol("99.v30"), occ("99.o30"), vol("100.v30")), 100, false, 7, -5, 1},
        {"not in the archive", one, 9999, false, 99, -5, 0},
        {"above 16 bits", one, 100000, false, 99, -5, 0},
        {"blank and zeros in the names", members(vol(" 100.v30", 11), occ("0100.o30", 77)), 100,
         true, 11, 7.7f, 0},
    };
    for (const ExtractCase& c : cases) {
        log = Log();
        list(c.members);
        // Reading tells what is there and logs nothing.
        DetectorMembers read = reader.readDetector(c.det);
        EXPECT_EQ(read.found(), c.found) << c.what;
        EXPECT_EQ(read.missingCount(), c.loggedLines) << c.what;
        EXPECT_EQ(read.vol.has_value(), c.volume != 99) << c.what;
        EXPECT_EQ(log.logText(), "") << c.what;
        volumes.fill(99);
        occupancies.fill(-5.0f);
        EXPECT_EQ(reader.extractDet(c.det, volumes, occupancies), c.found) << c.what;
        EXPECT_EQ(volumes[0], c.volume) << c.what;
        EXPECT_EQ(volumes[2879], c.volume) << c.what;
        EXPECT_EQ(occupancies[0], c.occupancy) << c.what;
        EXPECT_EQ(occupancies[2879], c.occupancy) << c.what;
        std::string logged;
        for (int i = 0; i < c.loggedLines; ++i)
            logged += "Det " + std::to_string(c.det) + " does not exist\r\n";
        EXPECT_EQ(log.logText(), logged) << c.what;
    }
}

TEST_F(UnzipTest, AFailedFirstListingHoldsNothingAndAGoodOneReplacesAll) {
    reader.ZipFileName(dir.file("absent.traffic"));
    EXPECT_THROW(reader.zipList(), SorvaneError);
    EXPECT_EQ(reader.fileName(), "");
    EXPECT_EQ(reader.detCount(), 0);
    EXPECT_FALSE(reader.extractDet(100, volumes, occupancies));

    // A listing that succeeds replaces everything (one that fails keeps it: the hardening tests).
    list({vol("100.v30", 5), occ("100.o30")}, "good.traffic");
    ASSERT_TRUE(reader.extractDet(100, volumes, occupancies));
    list({vol("200.v30"), occ("200.o30")}, "b.traffic");
    EXPECT_EQ(detectors(), std::vector<int16_t>{200});
    EXPECT_FALSE(reader.extractDet(100, volumes, occupancies));
    EXPECT_EQ(reader.detPosition(200), 0);
}

}  // namespace
}  // namespace sorvane
