#include "health/health_parameters.h"

#include "health/settings_file.h"

namespace sorvane {

HealthParameterTexts factoryParameterTexts() {
    HealthParameterTexts texts;
    for (size_t i = 0; i < kHealthParamCount; ++i)
        texts[i] = kHealthParameters[i].factoryValue;
    return texts;
}

HealthParameterTexts loadHealthParameters(const modUtility::SettingsFile& settings) {
    HealthParameterTexts texts;
    for (size_t i = 0; i < kHealthParamCount; ++i) {
        texts[i] = settings.ReadSetting(kHealthParameters[i].key, kParamSection);
    }
    return texts;
}

void saveHealthParameters(const modUtility::SettingsFile& settings,
                          const HealthParameterTexts& texts) {
    for (size_t i = 0; i < kHealthParamCount; ++i) {
        settings.WriteSetting(kHealthParameters[i].key, texts[i], kParamSection);
    }
}

}  // namespace sorvane
