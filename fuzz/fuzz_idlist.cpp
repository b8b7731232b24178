// Bytes as a typed or file-loaded detector ID list. A parse either refuses with a message and
// no IDs or gives IDs that are numeric, trimmed and read back the same from the ID box's text.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "common/numeric.h"
#include "export/id_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    sorvane::ParsedIds parsed = sorvane::parseIdList(text);
    const std::vector<std::string>& ids = parsed.ids;
    if (!parsed.accepted()) {
        if (!ids.empty()) std::abort();
        return 0;
    }
    if (ids.empty()) std::abort();
    for (const std::string& id : ids) {
        if (!sorvane::isNumeric(id) || sorvane::trimBlanks(id) != id) std::abort();
        // The export's conversion answers for every accepted ID, in range or not.
        static_cast<void>(sorvane::toInt32(id));
    }
    if (sorvane::parseIdList(sorvane::joinIds(ids)).ids != ids) std::abort();
    return 0;
}
