// The inventory CSV: RFC 4180 as libcsv reads it in its strict mode, fed one line at a time so
// that every row and every refusal has its line number.
#include <csv.h>

#include <cctype>
#include <memory>

#include "history/inventory.h"

namespace sorvane::history {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// A row of fields and the line it starts on.
struct CsvRow {
    std::vector<std::string> fields;
    int line = 0;
};

// What the parser's callbacks collect. They only append: an exception may not cross libcsv.
struct Collected {
    std::vector<CsvRow> rows;  // complete rows not yet looked at
    CsvRow current;
    bool inRow = false;
    int line = 0;  // the line being fed

    void startRow() {
        if (inRow) return;
        inRow = true;
        current.line = line;
    }
};

void onField(void* text, size_t length, void* data) {
    auto* c = static_cast<Collected*>(data);
    c->startRow();
    c->current.fields.emplace_back(static_cast<const char*>(text), length);
}

void onRowEnd(int, void* data) {
    auto* c = static_cast<Collected*>(data);
    c->startRow();
    c->rows.push_back(std::move(c->current));
    c->current = {};
    c->inRow = false;
}

struct ParserFree {
    void operator()(csv_parser* p) const {
        csv_free(p);
        delete p;
    }
};

bool allEmpty(const std::vector<std::string>& fields) {
    for (const std::string& f : fields)
        if (!f.empty()) return false;
    return true;
}

std::string lineText(int line) {
    return "line " + std::to_string(line);
}

// Where each inventory column stands in the file's rows, from the header.
class Header {
  public:
    Header(const CsvRow& row, const InventoryBuilder& builder) : count_(row.fields.size()) {
        for (size_t i = 0; i < row.fields.size(); ++i) {
            std::string name;
            for (char ch : row.fields[i]) {
                if (ch == ' ' || ch == '\t') continue;
                name += static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
            }
            for (size_t c = 0; c < kInventoryColumnCount; ++c) {
                if (name != kInventoryColumns[c].name) continue;
                if (at_[c]) {
                    builder.refuse(lineText(row.line),
                                   "the column " + name + " is named twice in the header");
                }
                at_[c] = i;
            }
        }
        for (size_t c = 0; c < kInventoryColumnCount; ++c) {
            if (kInventoryColumns[c].required && !at_[c]) {
                builder.refuse(lineText(row.line), "the header lacks the required column " +
                                                       std::string(kInventoryColumns[c].name) +
                                                       " (the first row names the columns)");
            }
        }
    }

    InventoryTexts texts(const CsvRow& row, const InventoryBuilder& builder) const {
        if (row.fields.size() != count_) {
            builder.refuse(lineText(row.line),
                           "the row has " + std::to_string(row.fields.size()) +
                               " fields, the header " + std::to_string(count_) +
                               " (a field holding a comma must be in double quotes)");
        }
        InventoryTexts texts;
        for (size_t c = 0; c < kInventoryColumnCount; ++c)
            if (at_[c]) texts[c] = row.fields[*at_[c]];
        return texts;
    }

  private:
    size_t count_;
    std::array<std::optional<size_t>, kInventoryColumnCount> at_;
};

}  // namespace

Inventory inventoryFromCsv(std::string_view text, const std::string& fileName) {
    if (text.starts_with(kUtf8Bom)) text.remove_prefix(kUtf8Bom.size());
    InventoryBuilder builder(fileName);
    std::unique_ptr<csv_parser, ParserFree> parser(new csv_parser);
    if (csv_init(parser.get(), CSV_STRICT | CSV_STRICT_FINI) != 0)
        builder.refuse("line 1", "no memory to read it");
    Collected collected;
    std::optional<Header> header;
    auto takeRows = [&] {
        for (const CsvRow& row : collected.rows) {
            if (allEmpty(row.fields)) continue;  // an empty line, or one of empty fields
            if (!header) {
                header.emplace(row, builder);
            } else {
                builder.add(header->texts(row, builder), lineText(row.line));
            }
        }
        collected.rows.clear();
    };
    auto malformed = [&](int line) {
        builder.refuse(lineText(line),
                       "the quotes are malformed (a field with a quote, comma or line break is "
                       "enclosed in double quotes, and a quote inside it is doubled)");
    };
    for (size_t pos = 0; pos < text.size();) {
        size_t end = text.find('\n', pos);
        end = end == std::string_view::npos ? text.size() : end + 1;
        ++collected.line;
        std::string_view line = text.substr(pos, end - pos);
        if (line.find_first_not_of(" \t\r\n") != std::string_view::npos) collected.startRow();
        if (csv_parse(parser.get(), line.data(), line.size(), onField, onRowEnd, &collected) !=
            line.size()) {
            if (csv_error(parser.get()) == CSV_EPARSE) malformed(collected.line);
            builder.refuse(lineText(collected.line), csv_strerror(csv_error(parser.get())));
        }
        takeRows();
        pos = end;
    }
    if (csv_fini(parser.get(), onField, onRowEnd, &collected) != 0) {
        builder.refuse(lineText(collected.current.line),
                       "a field that opens a double quote never closes it");
    }
    takeRows();
    if (!header) builder.refuse("line 1", "the file has no header row naming the columns");
    return builder.finish();
}

}  // namespace sorvane::history
