// Bytes as a typed or file-loaded detector ID list. A parse either refuses with a message and
// no IDs or gives IDs that are numeric, trimmed and read back the same from the ID box's text.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "common/numeric.h"
#include "export/id_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    sorvane::C_csvRead parser;
    std::vector<std::string> ids = parser.GetArr(text);
    if (parser.inputError()) {
        if (!ids.empty() || parser.ErrorMsg().empty() || parser.count() != 0) std::abort();
        return 0;
    }
    if (ids.empty() || parser.count() != static_cast<int>(ids.size())) std::abort();
    for (const std::string& id : ids) {
        if (!sorvane::isNumeric(id) || sorvane::trimBlanks(id) != id) std::abort();
        // The export's conversion answers for every accepted ID, in range or not.
        static_cast<void>(sorvane::toInt32(id));
    }
    sorvane::C_csvRead again;
    if (again.GetArr(sorvane::joinIds(ids)) != ids) std::abort();
    return 0;
}
