#include "archive/archive_fingerprint.h"

#include <gtest/gtest.h>

#include "common/error.h"
#include "support/test_support.h"

namespace sorvane {
namespace {

// An empty archive: its end record alone, the directory (of no records) at `directoryOffset`.
std::string endRecord(uint32_t directoryOffset) {
    std::string record = std::string("PK\x05\x06", 4) + std::string(12, '\0');
    for (int i = 0; i < 4; ++i)
        record += static_cast<char>(directoryOffset >> (8 * i) & 0xFF);
    return record + std::string(2, '\0');
}

TEST(ArchiveFingerprint, TheDirectoryToTheEndOfTheEndRecord) {
    test::TempDir dir;
    struct Case {
        const char* what;
        std::string bytes;
        const char* sha256;
    };
    const Case cases[] = {
        {"the end record alone", endRecord(0),
         "8739c76e681f900923b900c9df0ef75cf421d39cabb54650c4b9ad19b6a76d85"},
        {"data before the directory is left out", "junk" + endRecord(4),
         "65b8627d77a93b5c990a53b2266b25f5848ebcec877af85b349d7b0515ff7b6a"},
    };
    for (const Case& c : cases) {
        test::writeFile(dir.file("a.traffic"), c.bytes);
        ArchiveFingerprint f = archiveFingerprint(dir.file("a.traffic"));
        EXPECT_EQ(f.sha256, c.sha256) << c.what;
        EXPECT_EQ(f.size, c.bytes.size()) << c.what;
    }

    // A member's content changes its CRC-32 in the directory.
    auto fingerprintOf = [&](const std::vector<uint8_t>& volumes) {
        return archiveFingerprint(test::makeArchive(dir, "b.traffic", {{"100.v30", volumes}}));
    };
    ArchiveFingerprint first = fingerprintOf(test::volumeBytes(3));
    EXPECT_EQ(fingerprintOf(test::volumeBytes(3)), first);
    EXPECT_NE(fingerprintOf(test::volumeBytes(4)).sha256, first.sha256);
}

TEST(ArchiveFingerprint, WhatCannotBeFingerprinted) {
    test::TempDir dir;
    test::writeFile(dir.file("text.traffic"), "not a zip");
    test::writeFile(dir.file("short.traffic"), endRecord(100));
    test::writeFile(dir.file("two.traffic"), endRecord(0) + endRecord(22));
    struct Case {
        const char* name;
        int error;
    };
    for (const Case& c :
         {Case{"missing.traffic", kErrFileRead}, Case{"text.traffic", kErrArchiveInconsistent},
          Case{"short.traffic", kErrArchiveInconsistent},
          Case{"two.traffic", kErrArchiveInconsistent}}) {
        try {
            archiveFingerprint(dir.file(c.name));
            ADD_FAILURE() << c.name;
        } catch (const SorvaneError& e) {
            EXPECT_EQ(e.number(), c.error) << c.name;
            EXPECT_NE(e.description().find(c.name), std::string::npos) << e.description();
        }
    }
}

}  // namespace
}  // namespace sorvane
