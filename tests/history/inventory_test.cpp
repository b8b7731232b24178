// The detector inventory from its two formats, and the files it refuses.
#include "history/inventory.h"

#include <gtest/gtest.h>

#include "common/error.h"
#include "support/test_support.h"

namespace sorvane::history {
namespace {

TEST(Inventory, CsvReadsAnySpreadsheetsLayout) {
    // A byte-order mark, CR LF, columns in another order, an unknown column, quoted fields with
    // a comma, a doubled quote and a line break, an empty line and a row of empty fields.
    const std::string csv =
        "\xEF\xBB\xBF"
        "Lane_Type,notes,detector,station,lane,corridor,milepost,latitude,longitude,label,"
        "controller,field_length,abandoned\r\n"
        "queue,x,12,S7,,\"US 10 E\",,,,\"Main St, \"\"north\"\"\",C1,,TRUE\r\n"
        "\r\n"
        ",,,,,,,,,,,,\r\n"
        "mainline,,-3,S7,2,US 10 E,12.5,44.9,-93.2,\"two\r\nlines\",C1,22,false\r\n";
    Inventory inv = inventoryFromCsv(csv, "inv.csv");
    ASSERT_EQ(inv.rows.size(), 2u);
    const InventoryRow& main = inv.rows[0];  // in detector order
    EXPECT_EQ(main.det, -3);
    EXPECT_EQ(main.lane, 2);
    EXPECT_EQ(main.laneType, LaneType::Mainline);
    EXPECT_EQ(main.milepost, 12.5);
    EXPECT_EQ(main.longitude, -93.2);
    EXPECT_EQ(main.label, "two\r\nlines");
    EXPECT_EQ(main.fieldLength, 22);
    EXPECT_FALSE(main.abandoned);
    const InventoryRow* queue = inv.find(12);
    ASSERT_NE(queue, nullptr);
    EXPECT_EQ(queue->laneType, LaneType::Queue);
    EXPECT_EQ(queue->label, "Main St, \"north\"");
    EXPECT_EQ(queue->corridor, "US 10 E");
    EXPECT_FALSE(queue->lane);
    EXPECT_FALSE(queue->milepost);
    EXPECT_TRUE(queue->abandoned);
    EXPECT_EQ(inv.find(13), nullptr);
}

TEST(Inventory, XmlMapsTheNetworkConfiguration) {
    const std::string xml = R"(<?xml version="1.0"?>
<tms_config>
  <corridor route="US 10" dir="E">
    <r_node name="rnd_1" n_type="Station" station_id="S7" label="Main St" lat="44.9" lon="-93.2">
      <detector name="D100" lane="1" category="" field="22" controller="C1"/>
      <detector name="D101" lane="2" category="Q" label="ramp &amp; queue" abandoned="t"/>
      <detector name="Dx" category="H"/>
      <detector name="D99999" category="H"/>
    </r_node>
    <r_node name="rnd_2">
      <detector name="102" category="X"/>
    </r_node>
  </corridor>
</tms_config>)";
    Inventory inv = inventoryFromXml(xml, "net.xml");
    ASSERT_EQ(inv.rows.size(), 3u);
    EXPECT_EQ(inv.skippedDetectors, 2);
    const InventoryRow& a = inv.rows[0];
    EXPECT_EQ(a.det, 100);
    EXPECT_EQ(a.station, "S7");
    EXPECT_EQ(a.corridor, "US 10 E");
    EXPECT_EQ(a.laneType, LaneType::Mainline);
    EXPECT_EQ(a.label, "Main St");  // the node's, the detector having none
    EXPECT_EQ(a.latitude, 44.9);
    EXPECT_EQ(a.fieldLength, 22);
    EXPECT_EQ(a.controller, "C1");
    EXPECT_FALSE(a.milepost);
    EXPECT_EQ(inv.rows[1].label, "ramp & queue");
    EXPECT_EQ(inv.rows[1].laneType, LaneType::Queue);
    EXPECT_TRUE(inv.rows[1].abandoned);
    EXPECT_EQ(inv.rows[2].station, "rnd_2");  // the node's name without a station_id
    EXPECT_EQ(inv.rows[2].laneType, LaneType::Exit);
}

struct BadFile {
    const char* what;
    std::string text;
    std::string message;  // a part of the refusal
};

TEST(Inventory, RefusesBadFilesNamingTheLine) {
    const std::string header = "detector,station,lane_type,lane,latitude,abandoned\n";
    const BadFile cases[] = {
        {"no header", "", "line 1: the file has no header row"},
        {"missing required column", "detector,station\n1,S\n",
         "line 1: the header lacks the required column lane_type"},
        {"column named twice", "detector,station,lane_type,Detector\n",
         "line 1: the column detector is named twice"},
        {"not a detector number", header + "1,S,mainline,,,\n  \n1.5,S,mainline,,,\n",
         "line 4: the detector number \"1.5\" is not a whole number"},
        {"detector out of range", header + "40000,S,mainline,,,\n", "line 2: the detector number"},
        {"detector twice", header + "7,S,mainline,,,\n8,S,mainline,,,\n7,T,queue,,,\n",
         "line 4: detector 7 is listed twice (also at line 2)"},
        {"unknown lane type", header + "1,S,ramp,,,\n", "line 2: the lane type \"ramp\" is not"},
        {"empty station", header + "1,,mainline,,,\n", "line 2: the station is empty"},
        {"lane not a number", header + "1,S,mainline,two,,\n", "line 2: the lane \"two\""},
        {"latitude out of range", header + "1,S,mainline,1,95,\n",
         "line 2: the latitude \"95\" is not a number from -90 to 90"},
        {"abandoned not a truth", header + "1,S,mainline,1,,yes\n",
         "line 2: abandoned is \"yes\", not true or false"},
        {"too few fields", header + "1,S,mainline\n", "line 2: the row has 3 fields, the header 6"},
        {"quote inside a field", header + "1,S\"x,mainline,,,\n", "line 2: the quotes are"},
        {"text after a closing quote", header + "1,\"S\"x,mainline,,,\n", "line 2: the quotes"},
        {"quote never closed", header + "1,S,mainline,,,\n2,\"S,mainline\n,,,\n",
         "line 3: a field that opens a double quote never closes it"},
        {"XML not well-formed", "<corridor><r_node>\n</corridor>", "line 2: it is not well-formed"},
        {"XML unknown category",
         "<corridor>\n<r_node name='n'><detector name='D1' category='Z'/>"
         "</r_node></corridor>",
         "line 2: detector D1 has the category \"Z\", which is no lane type"},
        {"XML node without station",
         "<c><corridor><r_node>\n<detector name='D1'/></r_node>"
         "</corridor></c>",
         "line 1: the r_node of detector D1 has neither station_id nor name"},
        {"XML detector twice",
         "<corridor><r_node name='n'>\n<detector name='D1'/>\n"
         "<detector name='1'/></r_node></corridor>",
         "line 3 (detector 1): detector 1 is listed twice (also at line 2 (detector D1))"},
        // Entities are never defined: neither an external file nor an expansion bomb is read.
        {"XML with an external entity",
         "<?xml version='1.0'?>\n<!DOCTYPE c [<!ENTITY x SYSTEM 'file:///etc/passwd'>]>\n"
         "<corridor><r_node name='&x;'><detector name='D1'/></r_node></corridor>",
         "line 2: it has a document type declaration"},
        {"XML with nested entities",
         "<!DOCTYPE c [<!ENTITY a 'aaaaaaaaaa'><!ENTITY b '&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;'>]>"
         "<corridor route='&b;'/>",
         "line 1: it has a document type declaration"},
        {"XML with an external DTD", "<!DOCTYPE c SYSTEM 'http://example.invalid/c.dtd'><c/>",
         "line 1: it has a document type declaration"},
    };
    test::TempDir dir;
    for (const BadFile& c : cases) {
        std::string path = dir.file("inventory");
        test::writeFile(path, c.text);
        try {
            readInventoryFile(path);
            ADD_FAILURE() << c.what << ": not refused";
        } catch (const SorvaneError& e) {
            EXPECT_EQ(e.number(), kErrInvalidInput) << c.what;
            EXPECT_NE(e.description().find("The inventory file " + path + ", " + c.message),
                      std::string::npos)
                << c.what << ": " << e.description();
        }
    }
    EXPECT_THROW(readInventoryFile(dir.file("absent.csv")), SorvaneError);
}

}  // namespace
}  // namespace sorvane::history
