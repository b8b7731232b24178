// The network configuration XML as traffic management systems export it: <corridor> elements
// holding <r_node> elements holding <detector> elements. libxml2 reads it with no network and
// no entity substitution, and a document with a document type declaration is refused before
// its declarations are read, so no DTD is loaded and no entity is defined.
#include <libxml/SAX2.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <algorithm>
#include <memory>

#include "common/numeric.h"
#include "history/inventory.h"

namespace sorvane::history {

namespace {

// Lane types by the XML's detector category.
constexpr std::pair<std::string_view, LaneType> kCategories[] = {
    {"", LaneType::Mainline},    {"A", LaneType::Auxiliary}, {"B", LaneType::Bypass},
    {"C", LaneType::Cd},         {"D", LaneType::Shoulder},  {"G", LaneType::Green},
    {"H", LaneType::Hov},        {"K", LaneType::Parking},   {"M", LaneType::Merge},
    {"O", LaneType::Other},      {"P", LaneType::Passage},   {"Q", LaneType::Queue},
    {"R", LaneType::Reversible}, {"T", LaneType::Hot},       {"V", LaneType::Velocity},
    {"X", LaneType::Exit},       {"Y", LaneType::Other},
};

bool isNamed(const xmlNode* node, std::string_view name) {
    return node->type == XML_ELEMENT_NODE &&
           std::string_view(reinterpret_cast<const char*>(node->name)) == name;
}

// An attribute's value; empty when the element lacks it.
std::string attribute(const xmlNode* node, const char* name) {
    xmlChar* value = xmlGetProp(node, reinterpret_cast<const xmlChar*>(name));
    if (value == nullptr) return {};
    std::string text(reinterpret_cast<const char*>(value));
    xmlFree(value);
    return std::string(trimBlanks(text));
}

// The detector number in the digits of a detector's name ("D1234": 1234), when they make one
// that an archive can hold.
std::optional<int16_t> detectorOfName(std::string_view name) {
    int32_t number = 0;
    bool any = false;
    for (char c : name) {
        if (c < '0' || c > '9') continue;
        any = true;
        number = number * 10 + (c - '0');
        if (number > 32767) return std::nullopt;
    }
    if (!any) return std::nullopt;
    return static_cast<int16_t>(number);
}

// A document type declaration starts: stop before its declarations are read.
void refuseDoctype(void* context, const xmlChar*, const xmlChar*, const xmlChar*) {
    auto* parser = static_cast<xmlParserCtxt*>(context);
    *static_cast<bool*>(parser->_private) = true;
    xmlStopParser(parser);
}

struct DocFree {
    void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
struct ParserFree {
    void operator()(xmlParserCtxt* parser) const { xmlFreeParserCtxt(parser); }
};

std::string lineOf(const xmlNode* node) {
    return "line " + std::to_string(xmlGetLineNo(node));
}

class NetworkReader {
  public:
    explicit NetworkReader(InventoryBuilder& builder) : builder_(builder) {}

    void readCorridors(const xmlNode* node) {
        for (; node != nullptr; node = node->next) {
            if (isNamed(node, "corridor")) {
                readCorridor(node);
            } else if (node->type == XML_ELEMENT_NODE) {
                readCorridors(node->children);
            }
        }
    }

    int skipped() const { return skipped_; }

  private:
    void readCorridor(const xmlNode* corridor) {
        std::string route = attribute(corridor, "route");
        std::string dir = attribute(corridor, "dir");
        std::string name = route + (route.empty() || dir.empty() ? "" : " ") + dir;
        for (const xmlNode* node = corridor->children; node != nullptr; node = node->next) {
            if (!isNamed(node, "r_node")) continue;
            for (const xmlNode* det = node->children; det != nullptr; det = det->next)
                if (isNamed(det, "detector")) readDetector(name, node, det);
        }
    }

    void readDetector(const std::string& corridor, const xmlNode* node, const xmlNode* det) {
        const std::string where = lineOf(det);
        std::string name = attribute(det, "name");
        std::optional<int16_t> number = detectorOfName(name);
        if (!number) {
            ++skipped_;
            return;
        }
        std::string category = attribute(det, "category");
        const auto* type =
            std::ranges::find(kCategories, category, &std::pair<std::string_view, LaneType>::first);
        if (type == std::end(kCategories)) {
            builder_.refuse(where, "detector " + name + " has the category \"" + category +
                                       "\", which is no lane type");
        }
        std::string station = attribute(node, "station_id");
        if (station.empty()) station = attribute(node, "name");
        if (station.empty()) {
            builder_.refuse(lineOf(node),
                            "the r_node of detector " + name + " has neither station_id nor name");
        }
        std::string label = attribute(det, "label");
        if (label.empty()) label = attribute(node, "label");
        const std::string detText = std::to_string(*number);
        const std::string lane = attribute(det, "lane");
        const std::string lat = attribute(node, "lat");
        const std::string lon = attribute(node, "lon");
        const std::string controller = attribute(det, "controller");
        const std::string field = attribute(det, "field");
        const std::string abandoned = attribute(det, "abandoned");
        InventoryTexts texts;
        texts[kColDetector] = detText;
        texts[kColStation] = station;
        texts[kColLane] = lane;
        texts[kColLaneType] = laneTypeName(type->second);
        texts[kColCorridor] = corridor;
        texts[kColLatitude] = lat;
        texts[kColLongitude] = lon;
        texts[kColLabel] = label;
        texts[kColController] = controller;
        texts[kColFieldLength] = field;
        texts[kColAbandoned] = abandoned;
        builder_.add(texts, where + " (detector " + name + ")");
    }

    InventoryBuilder& builder_;
    int skipped_ = 0;
};

}  // namespace

Inventory inventoryFromXml(std::string_view text, const std::string& fileName) {
    InventoryBuilder builder(fileName);
    std::unique_ptr<xmlParserCtxt, ParserFree> parser(xmlNewParserCtxt());
    if (!parser || text.size() > static_cast<size_t>(INT32_MAX))
        builder.refuse("line 1", "it cannot be read as XML");
    bool hasDoctype = false;
    parser->_private = &hasDoctype;
    parser->sax->internalSubset = refuseDoctype;
    std::unique_ptr<xmlDoc, DocFree> doc(
        xmlCtxtReadMemory(parser.get(), text.data(), static_cast<int>(text.size()), nullptr,
                          nullptr, XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
    if (hasDoctype) {
        builder.refuse("line " + std::to_string(xmlSAX2GetLineNumber(parser.get())),
                       "it has a document type declaration (<!DOCTYPE>), which is refused: "
                       "an inventory needs no DTD or entities");
    }
    if (!doc || !parser->wellFormed) {
        const xmlError* error = xmlCtxtGetLastError(parser.get());
        std::string message = error && error->message ? error->message : "not well-formed";
        while (!message.empty() && (message.back() == '\n' || message.back() == ' '))
            message.pop_back();
        builder.refuse("line " + std::to_string(error ? error->line : 1),
                       "it is not well-formed XML: " + message);
    }
    NetworkReader reader(builder);
    reader.readCorridors(xmlDocGetRootElement(doc.get()));
    return builder.finish(reader.skipped());
}

}  // namespace sorvane::history
