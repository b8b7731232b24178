// What the whole-file writer does with destinations that are not plain files. Replacing files,
// links and failed or interrupted writes are the hardening tests' (file_replacement_test,
// output_destinations_test).
#include "common/text_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "common/error.h"
#include "support/test_support.h"

namespace sorvane {
namespace {

TEST(AtomicFileWriter, WritesIntoDevicesAndRefusesAPipeNobodyReads) {
    writeWholeFile("/dev/null", "gone\r\n");
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));

    // Refused at once instead of waiting for a reader.
    test::TempDir dir;
    std::string fifo = dir.file("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_THROW(writeWholeFile(fifo, "x"), SorvaneError);
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
}

TEST(PathParts, SplitAtTheLastSlash) {
    EXPECT_EQ(fileNamePart("/tmp/we\\ird.traffic"), "we\\ird.traffic");
    EXPECT_EQ(fileNamePart("day1.traffic"), "day1.traffic");
    EXPECT_EQ(folderPart("/tmp/day1.traffic"), "/tmp");
    EXPECT_EQ(folderPart("/day1.traffic"), "/");
    EXPECT_EQ(folderPart("day1.traffic"), "");
}

}  // namespace
}  // namespace sorvane
