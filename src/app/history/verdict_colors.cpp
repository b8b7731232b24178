#include "app/history/verdict_colors.h"

#include <array>

namespace sorvane::app {

namespace {

struct VerdictLook {
    QRgb color;
    const char* name;
};

// In the order of history::CellVerdict.
constexpr std::array<VerdictLook, history::kCellVerdictCount> kLooks{{
    {qRgb(255, 255, 255), "No record"},
    {qRgb(192, 0, 0), "High (detector)"},
    {qRgb(250, 140, 30), "Susp (detector)"},
    {qRgb(250, 220, 50), "Marg"},
    {qRgb(60, 165, 75), "Hlth"},
    {qRgb(60, 120, 230), "Feed outage"},
    {qRgb(150, 150, 150), "Excluded"},
    {qRgb(140, 200, 245), "Station or controller outage"},
}};

}  // namespace

QRgb verdictColor(history::CellVerdict verdict) {
    return kLooks[static_cast<size_t>(verdict)].color;
}

QString verdictName(history::CellVerdict verdict) {
    return QString::fromLatin1(kLooks[static_cast<size_t>(verdict)].name);
}

}  // namespace sorvane::app
