#include "export/id_list.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace sorvane {
namespace {

struct ParseCase {
    const char* text;
    std::vector<std::string> ids;  // expected IDs; empty when the parse fails
    const char* error;             // expected message; "" when it succeeds
};

TEST(CsvRead, ParsesCommaListsWithLineBreaksAsBlanks) {
    const ParseCase cases[] = {
        {" 100 , 200,300 ", {"100", "200", "300"}, ""},
        {"100,200,\r\n300", {"100", "200", "300"}, ""},
        {"100,200\r\n,300", {"100", "200", "300"}, ""},
        {"100,200\r\n", {"100", "200"}, ""},
        {"1.5,-3,007,+4,1e3", {"1.5", "-3", "007", "+4", "1e3"}, ""},
        {"100,200\r\n300",
         {},
         "Input Error at  2-th item : The entry \"200 300\" is not a number."},
        {"100,200,", {}, "Input Error at  3-th item : The entry \"\" is not a number."},
        {"1, x ", {}, "Input Error at  2-th item : The entry \" x \" is not a number."},
        // A lone LF or CR is a line break as well.
        {"100,200\n", {"100", "200"}, ""},
        {"100\r,200", {"100", "200"}, ""},
        {"100,200\n\r300",
         {},
         "Input Error at  2-th item : The entry \"200  300\" is not a number."},
    };
    for (const ParseCase& c : cases) {
        ParsedIds parsed = parseIdList(c.text);
        EXPECT_EQ(parsed.ids, c.ids) << c.text;
        EXPECT_EQ(parsed.error, c.error);
    }
}

TEST(CsvRead, ListFileIsParsedAndWrittenBackAsOneLine) {
    test::TempDir dir;
    test::writeFile(dir.file("ids.txt"), " 100 , 200,\r\n300 ");
    test::writeFile(dir.file("empty.txt"), "");
    EXPECT_EQ(joinIds(parseIdList(ReadTextFile(dir.file("ids.txt"))).ids), "100,200,300");
    EXPECT_EQ(idListErrorMessage(parseIdList(ReadTextFile(dir.file("empty.txt"))).error),
              "No data available.\r\nRe-enter the detector IDs or reload them from a file.");
}

}  // namespace
}  // namespace sorvane
