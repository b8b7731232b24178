#include "health/health_parameters.h"

#include <algorithm>
#include <cctype>

#include "common/error.h"
#include "health/settings_file.h"

namespace sorvane {

std::optional<HealthParam> findHealthParameter(std::string_view key) {
    auto lower = [](char c) { return std::tolower(static_cast<unsigned char>(c)); };
    for (size_t i = 0; i < kHealthParamCount; ++i) {
        std::string_view name = kHealthParameters[i].key;
        if (std::ranges::equal(name, key, {}, lower, lower)) return static_cast<HealthParam>(i);
    }
    return std::nullopt;
}

HealthParameterTexts factoryParameterTexts() {
    HealthParameterTexts texts;
    for (size_t i = 0; i < kHealthParamCount; ++i)
        texts[i] = kHealthParameters[i].factoryValue;
    return texts;
}

std::optional<HealthParameterTexts> readHealthParameters(const modUtility::SettingsFile& settings) {
    std::array<std::string_view, kHealthParamCount> keys;
    for (size_t i = 0; i < kHealthParamCount; ++i)
        keys[i] = kHealthParameters[i].key;
    std::optional<std::vector<std::string>> values = settings.ReadSettings(keys, kParamSection);
    if (!values) return std::nullopt;
    HealthParameterTexts texts;
    std::ranges::move(*values, texts.begin());
    return texts;
}

HealthParameterTexts loadHealthParameters(const modUtility::SettingsFile& settings) {
    if (!settings.isThere()) return {};  // a first start: every box empty
    return readHealthParameters(settings).value_or(HealthParameterTexts{});
}

void saveHealthParameters(const modUtility::SettingsFile& settings,
                          const HealthParameterTexts& texts) {
    std::array<modUtility::SettingsEntry, kHealthParamCount> entries;
    for (size_t i = 0; i < kHealthParamCount; ++i)
        entries[i] = {kHealthParameters[i].key, texts[i]};
    settings.WriteSettings(entries, kParamSection);
}

}  // namespace sorvane
