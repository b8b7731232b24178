// What the reader and sorvane-cli do with archives that are broken, hostile or just odd:
// each is refused with a numbered message or read as far as it goes, never a crash, and a
// previously loaded archive stays loaded.
#include <gtest/gtest.h>

#include "archive/unzip.h"
#include "common/error.h"
#include "common/log.h"
#include "support/test_support.h"

namespace sorvane {
namespace {

using synth::ArchiveMember;

ArchiveMember vol(const std::string& name, uint8_t value = 7, size_t length = 2880) {
    return {name, test::volumeBytes(value, length)};
}
ArchiveMember occ(const std::string& name, int16_t raw = 40, size_t length = 5760) {
    return {name, test::occupancyBytes(raw, length)};
}

// Byte surgery for archives no writer produces: a little-endian field of `width` bytes.
void put(std::string& zip, size_t at, uint32_t value, int width) {
    for (int i = 0; i < width; ++i)
        zip[at + static_cast<size_t>(i)] = static_cast<char>(value >> (8 * i));
}
// Where member `index` (in directory order) has its local header and its central entry.
std::pair<size_t, size_t> headersOf(const std::string& zip, int index) {
    size_t central = zip.find("PK\x01\x02");
    for (int i = 0; i < index; ++i)
        central = zip.find("PK\x01\x02", central + 4);
    uint32_t local = 0;
    for (size_t i = 4; i-- > 0;)
        local = local << 8 | static_cast<uint8_t>(zip[central + 42 + i]);
    return {local, central};
}
// Sets a field of member `index` in both headers: general flags (6, 8), compressed size
// (18, 20) or uncompressed size (22, 24).
void patchMember(std::string& zip, int index, size_t localAt, size_t centralAt, uint32_t value,
                 int width) {
    auto [local, central] = headersOf(zip, index);
    put(zip, local + localAt, value, width);
    put(zip, central + centralAt, value, width);
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
    std::string write(const std::string& bytes) {
        test::writeFile(dir.file("input.traffic"), bytes);
        return dir.file("input.traffic");
    }
    std::string zipBytes(const std::vector<ArchiveMember>& members) {
        return test::readFile(test::makeArchive(dir, "scratch.traffic", members));
    }
    std::pair<VolumeBytes, Occupancies> day(int det) {
        std::pair<VolumeBytes, Occupancies> d{};
        EXPECT_TRUE(reader.extractDet(det, d.first, d.second)) << det;
        return d;
    }

    test::TempDir dir;
    Log log;
    Unzip reader{log};
    std::string good;
};

// Refused with error `number` (0: libzip's own) and a message that says `says`, the good
// archive still loaded and readable; sorvane-cli exits with 1 and one stderr line
// "Error No: <number>, ...".
TEST_F(ArchiveInputs, BrokenFilesAndBadNamesAreRefusedAndTheLoadedOneStays) {
    std::string whole = zipBytes({vol("100.v30"), occ("100.o30")});
    const size_t end = whole.rfind("PK\x05\x06");
    std::string badDirectory = whole;
    put(badDirectory, end + 16, 0x7FFFFFF0, 4);
    std::string manyClaimed = whole;
    // 65535 members on this disk and in all.
    put(manyClaimed, end + 8, 0xFFFFFFFF, 4);
    // Many directory records pointing at one member's data: reading each would cost that data.
    std::string shared = zipBytes({vol("100.v30"), occ("100.o30"), vol("101.v30")});
    for (int i = 1; i <= 2; ++i)
        put(shared, headersOf(shared, i).second + 42, headersOf(shared, 0).first, 4);
    std::string noZip64 = whole;  // a size that only a ZIP64 field could give, without that field
    put(noZip64, headersOf(whole, 0).second + 20, 0xFFFFFFFF, 4);
    const std::string a48(48, 'a');
    const struct {
        const char* what;
        std::string bytes;
        int number;
        std::string says = "";
    } cases[] = {
        {"not a ZIP", "Vol,Occ\r\n12,3.5\r\n", 19},  // libzip's own number, kept
        {"empty file", "", 0},
        {"truncated to 10 bytes", whole.substr(0, 10), 0},
        {"truncated by one byte", whole.substr(0, whole.size() - 1), 0},
        {"central directory cut off", whole.substr(0, whole.size() - 30), 0},
        {"central directory offset wrong", badDirectory, 0},
        {"65535 members claimed", manyClaimed, 0},
        {"members sharing their data", shared, kErrArchiveInconsistent,
         "The archive members \"100.v30\" and \"100.o30\" share their data"},
        {"two end records", whole + whole.substr(end), kErrArchiveInconsistent,
         "more than one end record"},
        {"ZIP64 size missing", noZip64, kErrArchiveInconsistent,
         "member 100.v30: compressed size 4294967295 is not possible"},
        {"number one beyond", zipBytes({vol("100.v30"), vol("32768.v30")}), kErrDetectorOutOfRange},
        {"number one below", zipBytes({vol("-32769.v30")}), kErrDetectorOutOfRange},
        {"number in exponent form too large", zipBytes({vol("1e5.v30")}), kErrDetectorOutOfRange},
        {"name without a dot", zipBytes({vol("100.v30"), vol("100")}), kErrMemberWithoutDot},
        {"60 KB name, cut in the middle", zipBytes({vol(std::string(60000, 'a'))}),
         kErrMemberWithoutDot, "The archive member \"" + a48 + "..." + a48 + "\" has no dot"},
        {"control characters shown", zipBytes({vol("1\n\x01\xEF\xBB\xBF")}), kErrMemberWithoutDot,
         "\"1\\x0A\\x01<U+FEFF>\""},
        {"folder entry", zipBytes({vol("100.v30"), vol("data/")}), kErrMemberWithoutDot},
        {"no detector member", zipBytes({vol("notes.txt"), vol("x.v30")}), kErrNoDetectorMember},
    };
    for (const auto& c : cases) {
        std::string path = write(c.bytes);
        try {
            load(path);
            ADD_FAILURE() << c.what << ": listed";
        } catch (const SorvaneError& e) {
            EXPECT_GT(e.number(), 0) << c.what;
            EXPECT_TRUE(c.number == 0 || e.number() == c.number)
                << c.what << ": " << e.number() << ", " << e.description();
            EXPECT_FALSE(e.description().empty()) << c.what;
            EXPECT_NE(e.description().find(c.says), std::string::npos) << c.what;
        }
        EXPECT_EQ(reader.fileName(), good) << c.what;
        ASSERT_EQ(reader.detCount(), 1) << c.what;
        auto [v, o] = day(100);
        EXPECT_EQ(v[0], 5) << c.what;
        EXPECT_EQ(o[2879], 25.0f) << c.what;

        test::CommandResult r = test::runCommand({SORVANE_CLI, "list", path});
        EXPECT_EQ(r.exitCode, 1) << c.what;
        std::string start = "Error No: " + (c.number > 0 ? std::to_string(c.number) + ", " : "");
        EXPECT_EQ(r.err.rfind(start, 0), 0u) << c.what << ": " << r.err;
        EXPECT_EQ(r.err.find(".\n"), r.err.size() - 2) << c.what << ": one line";
        EXPECT_LT(r.err.size(), 400u) << c.what;
        EXPECT_EQ(r.out, "") << c.what;
    }
}

// Archives that load: the detectors listed, and detector 100's day read in full.
TEST_F(ArchiveInputs, OddArchivesLoad) {
    std::string duplicate = zipBytes({vol("100.v30", 1), vol("101.v30", 2), occ("100.o30")});
    auto [local, central] = headersOf(duplicate, 1);
    duplicate.replace(local + 30, 7, "100.v30");
    duplicate.replace(central + 46, 7, "100.v30");
    std::vector<ArchiveMember> junk;
    for (int i = 0; i < 5000; ++i)
        junk.push_back({"junk." + std::to_string(i), {}});
    junk.push_back(vol("100.v30", 1));
    junk.push_back(occ("100.o30"));
    // Deflated members whose headers claim 4 GB: only the day's bytes are ever read.
    std::string huge = zipBytes({vol("100.v30", 1, 6000), occ("100.o30", 40, 9000)});
    patchMember(huge, 0, 22, 24, 0xFFFFFFF0u, 4);
    patchMember(huge, 1, 22, 24, 0xFFFFFFF0u, 4);
    // All volumes first, as sorvane-mkarchive --order volumes-first and other ZIP writers sort.
    std::vector<ArchiveMember> volumesFirst{vol("100.v30", 1)};
    for (int det = 101; det <= 104; ++det)
        volumesFirst.push_back(vol(std::to_string(det) + ".v30"));
    for (int det = 100; det <= 104; ++det)
        volumesFirst.push_back(occ(std::to_string(det) + ".o30"));
    const struct {
        const char* what;
        std::string bytes;
        std::vector<int16_t> detectors;
    } cases[] = {
        {"path separators",
         zipBytes({vol("day/100.v30"), vol("..\\101.v30"), vol("102.v30/x"), vol("103.v30")}),
         {102, 103}},
        {"control characters",
         zipBytes({vol("\x01.v30"), vol("1\t0.v30"), vol("10\n.v30"), vol("104.v30")}),
         {104}},
        {"lowest and highest numbers",
         zipBytes({vol("-32768.v30"), vol("32767.o30")}),
         {-32768, 32767}},
        {"duplicate names: the first counts", duplicate, {100}},
        {"5000 junk members", zipBytes(junk), {100}},
        {"members declaring 4 GB", huge, {100}},
        {"all volumes first",
         zipBytes(volumesFirst),
         {100, 101, 102, 103, 104, 100, 101, 102, 103, 104}},
    };
    for (const auto& c : cases) {
        load(write(c.bytes));
        std::vector<int16_t> listed;
        for (int i = 0; i < reader.detCount(); ++i)
            listed.push_back(reader.detNum(i));
        EXPECT_EQ(listed, c.detectors) << c.what;
        if (listed.front() == 100) {
            auto [v, o] = day(100);
            EXPECT_EQ(v[0], 1) << c.what;
            EXPECT_EQ(v[2879], 1) << c.what;
            EXPECT_EQ(o[2879], 4.0f) << c.what;
        }
    }
}

// Members that cannot be read are errors naming them: the member's CRC is checked whenever it is
// read whole, and no member costs more than 1 MB of compressed data. The others stay readable.
TEST_F(ArchiveInputs, UnreadableMembersAreErrorsAndTheArchiveStaysUsable) {
    auto day100 = [&](bool stored) {
        ArchiveMember v = vol("100.v30");
        v.stored = stored;
        return zipBytes({v, occ("100.o30"), vol("101.v30"), occ("101.o30")});
    };
    std::string encrypted = day100(false);
    patchMember(encrypted, 0, 6, 8, 1, 2);  // "encrypted", with no password to give
    std::string storedCrc = day100(true), deflatedCrc = day100(false);
    patchMember(storedCrc, 0, 14, 16, 0x12345678, 4);
    patchMember(deflatedCrc, 0, 14, 16, 0x12345678, 4);
    std::vector<uint8_t> noise(1100000);  // incompressible: more than 1 MB deflated
    uint32_t state = 1;
    for (uint8_t& byte : noise) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<uint8_t>(state >> 24);
    }
    std::string large =
        zipBytes({{"100.v30", noise}, occ("100.o30"), vol("101.v30"), occ("101.o30")});
    // The last member's data running on into the central directory.
    std::string past = zipBytes({vol("101.v30"), occ("101.o30"), occ("100.o30"), vol("100.v30")});
    auto [local, central] = headersOf(past, 3);
    uint32_t size = 0;
    for (size_t i = 4; i-- > 0;)
        size = size << 8 | static_cast<uint8_t>(past[central + 20 + i]);
    patchMember(past, 3, 18, 20, size + 40, 4);
    const std::pair<std::string, std::string> cases[] = {
        {"Member 100.v30: No password provided", encrypted},
        {"Member 100.v30: CRC error", storedCrc},
        {"Member 100.v30: CRC error", deflatedCrc},
        {"Member 100.v30: compressed size 11", large},
        {"Member 100.v30: compressed size " + std::to_string(size + 40) + " is not possible", past},
    };
    for (const auto& [says, bytes] : cases) {
        load(write(bytes));
        VolumeBytes v{};
        Occupancies o{};
        std::string said = test::refusal([&] { reader.extractDet(100, v, o); });
        EXPECT_EQ(said.rfind(says, 0), 0u) << said;
        day(101);  // the other members stay readable

        test::CommandResult cli =
            test::runCommand({SORVANE_CLI, "view", dir.file("input.traffic"), "100"});
        EXPECT_EQ(cli.exitCode, 1) << says;
        EXPECT_EQ(cli.err.rfind("Error No: ", 0), 0u) << cli.err;
        EXPECT_EQ(cli.out, "") << says;
    }
}

// Empty, one byte, odd lengths and longer than a day: slots past the member's end are missing.
TEST_F(ArchiveInputs, MemberLengths) {
    const struct {
        size_t volumeLength, occupancyLength;
        int firstMissingVolume, firstMissingOccupancy;
    } cases[] = {
        {0, 0, 0, 0}, {1, 1, 1, 0}, {2879, 5759, 2879, 2879}, {100000, 100001, 2880, 2880}};
    for (const auto& c : cases) {
        load(write(
            zipBytes({vol("100.v30", 3, c.volumeLength), occ("100.o30", 10, c.occupancyLength)})));
        auto [v, o] = day(100);
        for (int s = 0; s < 2880; ++s) {
            ASSERT_EQ(v[static_cast<size_t>(s)], s >= c.firstMissingVolume ? 255 : 3)
                << c.volumeLength << " slot " << s;
            ASSERT_EQ(o[static_cast<size_t>(s)] > 100.0f, s >= c.firstMissingOccupancy)
                << c.occupancyLength << " slot " << s;
        }
    }
}

}  // namespace
}  // namespace sorvane
