#pragma once

#include <QString>

namespace sorvane::app {

class frmTrafficExtrac;

// Saves a PNG of each tab of the window (after a health test), of the log window, the splash,
// each chart kind, the chart editor and the history window (when the ledger it opens is there)
// into `folder` (for the documentation). False, with the
// reason on stderr, when a picture was not saved.
bool saveScreenshots(frmTrafficExtrac& window, const QString& folder);

}  // namespace sorvane::app
