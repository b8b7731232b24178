#include "common/text_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "common/error.h"
#include "support/test_support.h"

namespace sorvane {
namespace {

TEST(AtomicFileWriter, DestinationAppearsOnlyOnCommit) {
    test::TempDir dir;
    std::string path = dir.file("out.txt");
    test::writeFile(path, "old\r\n");
    {
        AtomicFileWriter writer(path);
        writer.write("new\r\n");
        EXPECT_EQ(test::readFile(path), "old\r\n");
        // Destroyed without commit: the old file stays, no temporary is left behind.
    }
    EXPECT_EQ(test::readFile(path), "old\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);

    writeWholeFile(path, "new\r\n");
    EXPECT_EQ(test::readFile(path), "new\r\n");
}

TEST(AtomicFileWriter, WritesThroughLinksAndIntoDevices) {
    test::TempDir dir;
    std::string target = dir.file("target.txt");
    std::string link = dir.file("link.txt");
    test::writeFile(target, "old\r\n");
    std::filesystem::create_symlink(target, link);
    writeWholeFile(link, "new\r\n");
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(test::readFile(target), "new\r\n");

    writeWholeFile("/dev/null", "gone\r\n");
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));

    // A pipe nobody reads is refused at once instead of waiting for a reader.
    std::string fifo = dir.file("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_THROW(writeWholeFile(fifo, "x"), SorvaneError);
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));

    if (::geteuid() != 0) {  // a folder that takes no new files still lets its files be written
        std::string kept = dir.file("kept.txt");
        test::writeFile(kept, "old\r\n");
        ::chmod(dir.path().c_str(), 0555);
        writeWholeFile(kept, "new\r\n");
        EXPECT_EQ(test::readFile(kept), "new\r\n");
    }
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
