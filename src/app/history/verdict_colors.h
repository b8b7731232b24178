#pragma once

#include <QRgb>
#include <QString>

#include "history/ledger_grid.h"

namespace sorvane::app {

// The colour of a verdict in the grid and the legend: High and Susp owed to the detector red and
// orange, Marg yellow, Hlth green, a verdict owed to a feed outage blue, Excluded grey, no record
// white.
QRgb verdictColor(history::CellVerdict verdict);

// The legend's name of a verdict.
QString verdictName(history::CellVerdict verdict);

// The lines between cells, and the mark of a feed outage in the date header.
inline constexpr QRgb kGridLineColor = qRgb(214, 214, 214);
inline constexpr QRgb kOutageMarkColor = qRgb(40, 90, 200);
// A date the ledger lacks: hatched grey. A weekend's date in the header; a group's heading row.
inline constexpr QRgb kMissingDateColor = qRgb(244, 244, 244);
inline constexpr QRgb kHatchColor = qRgb(170, 170, 170);
inline constexpr QRgb kWeekendColor = qRgb(255, 236, 200);
inline constexpr QRgb kHeadingRowColor = qRgb(200, 208, 222);

}  // namespace sorvane::app
