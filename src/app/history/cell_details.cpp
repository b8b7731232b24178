#include "app/history/cell_details.h"

#include <array>

#include "app/qt_text.h"
#include "common/format.h"
#include "history/report_text.h"

namespace sorvane::app {

namespace {

QString orDash(std::string_view text) {
    return text.empty() ? QStringLiteral("-") : toQString(text);
}

QString whole(double value) {
    return QString::number(static_cast<long long>(value));
}

QString decimals(double value, NumberPattern pattern) {
    return toQString(formatNumber(value, pattern));
}

QString measureLines(const modBaddet::HealthMeasures& m) {
    const std::array<std::pair<const char*, QString>, 11> measures{{
        {"missing", whole(m.missingCount)},
        {"zero_run", whole(m.zeroRunCount)},
        {"lock_on", whole(m.lockOnCount)},
        {"corr_coef", decimals(m.corrCoef, NumberPattern::FourDecimals)},
        {"occ_spikes", whole(m.occSpikeCount)},
        {"vol_spikes", whole(m.volSpikeCount)},
        {"dev_index", decimals(m.devIndex, NumberPattern::OneDecimal)},
        {"vol_high_occ", decimals(m.volOnHighOcc, NumberPattern::OneDecimal)},
        {"max_vol5", whole(m.maxVol5)},
        {"overcount_slots", whole(m.overcountSlots)},
        {"valid_vol_slots", whole(m.validVolSlots)},
    }};
    QString lines;
    for (const auto& [name, value] : measures)
        lines += QStringLiteral("\n") + QLatin1String(name) + QStringLiteral(": ") + value;
    return lines;
}

}  // namespace

QString cellDetails(const history::DetectorDayRecord& r) {
    QString text = QStringLiteral("Date: ") + toQString(r.date);
    text += QStringLiteral("\nDetector: ") + QString::number(r.det);
    text += QStringLiteral("\nClass: ") + toQString(modBaddet::healthClassLabel(r.healthClass));
    text += QStringLiteral("\nReason: ") + orDash(r.reason);
    text += QStringLiteral("\nDaily status: ") +
            orDash(r.status ? dailyStatusName(*r.status) : std::string_view());
    text += QStringLiteral("\nAttribution: ") + orDash(history::attributionName(r.attribution));
    text += r.measures ? measureLines(*r.measures) : QStringLiteral("\nNo measures");
    return text;
}

QString dateDetails(const std::string& date, const std::vector<history::DatedOutage>& outages) {
    QString text = toQString(date);
    for (const history::DatedOutage& o : outages) {
        if (o.date == date)
            text += QStringLiteral("\nFeed outage ") + toQString(history::outageTimes(o.outage));
    }
    return text;
}

QString reportSummary(const history::HistoryReport& report) {
    std::array<int, history::kDetectorLabelCount> perLabel{};
    for (const history::DetectorSummary& s : report.detectors)
        ++perLabel[static_cast<size_t>(s.label)];
    QString text = QStringLiteral("Window: ") + orDash(report.window.from) +
                   QStringLiteral(" to ") + orDash(report.window.to) +
                   QStringLiteral("    Days: ") + QString::number(report.dates.size()) +
                   QStringLiteral("    Detectors: ") + QString::number(report.detectors.size());
    for (int i = 0; i < history::kDetectorLabelCount; ++i) {
        // Without an inventory no lane is checked against its station, as in the text report.
        auto label = static_cast<history::DetectorLabel>(i);
        if (label == history::DetectorLabel::LaneShare && !report.hasInventory) continue;
        text += QStringLiteral("    ") + toQString(history::detectorLabelName(label)) +
                QStringLiteral(": ") + QString::number(perLabel[static_cast<size_t>(i)]);
    }
    return text;
}

}  // namespace sorvane::app
