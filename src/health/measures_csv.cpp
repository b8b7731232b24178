#include "health/measures_csv.h"

#include <charconv>

#include "health/health_outcome_text.h"

namespace sorvane::modBaddet {

namespace {

constexpr std::string_view kHeader =
    "detector,class,MissingCount,ZeroRunCount,LockOnCount,CorrCoef,OccSpikeCount,VolSpikeCount,"
    "DevIndex,VolOnHighOcc,MaxVol5,OvercountSlots,ValidVolSlots,reason,status\r\n";

// The shortest text that reads back as the same value.
template <typename Number>
std::string exact(Number value) {
    char buffer[64];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, end);
}

std::string csvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

std::string measureFields(const HealthMeasures& m) {
    std::string f;
    for (const std::string& part : {
             exact(m.missingCount),
             exact(m.zeroRunCount),
             exact(m.lockOnCount),
             exact(m.corrCoef),
             exact(m.occSpikeCount),
             exact(m.volSpikeCount),
             exact(m.devIndex),
             exact(m.volOnHighOcc),
             exact(m.maxVol5),
             exact(m.overcountSlots),
             exact(m.validVolSlots),
         }) {
        f += part;
        f += ',';
    }
    return f;
}

constexpr std::string_view kNoMeasures = ",,,,,,,,,,,";

}  // namespace

std::string measuresCsvText(const std::vector<DetectorOutcome>& outcomes,
                            const std::vector<std::string>& statuses) {
    std::string out(kHeader);
    for (size_t i = 0; i < outcomes.size(); ++i) {
        const DetectorOutcome& o = outcomes[i];
        out += std::to_string(o.det);
        out += ',';
        out += healthClassLabel(o.healthClass());
        out += ',';
        out += o.measures ? measureFields(*o.measures) : std::string(kNoMeasures);
        // An excluded detector has no reason; its measures text says why it has no measures.
        out += csvField(o.step == DecisionStep::Excluded ? measuresText(o)
                                                         : std::string(reasonText(o.step)));
        out += ',';
        if (i < statuses.size()) out += csvField(statuses[i]);
        out += "\r\n";
    }
    return out;
}

}  // namespace sorvane::modBaddet
