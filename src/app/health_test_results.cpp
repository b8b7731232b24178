// What a health test leaves on the "Det Health Test" tab: the whole-day plot of a listed
// detector, and the reports opened in the desktop's text viewer.
#include <QDesktopServices>
#include <QUrl>

#include "app/app_state.h"
#include "app/charts/chart_window.h"
#include "app/dialogs.h"
#include "app/health_test_tab.h"
#include "app/qt_text.h"
#include "common/numeric.h"
#include "health/health_report.h"
#include "plot/detector_plots.h"

namespace sorvane::app {

void HealthTestTab::plotListedDetector(const QListWidgetItem* item) {
    if (item == nullptr) return;
    std::optional<int16_t> det =
        toInt16(item->text().section(QLatin1Char(','), 0, 0).toStdString());
    if (!det) return;
    if (optLineplot->isChecked()) {
        showPlot(PlotDetectorLine30Sec(state_.reader(), *det), {dialogs_, state_.folders, this});
    } else if (optScatterPlot->isChecked()) {
        showPlot(PlotDetectorScatter5Min(state_.reader(), *det), {dialogs_, state_.folders, this});
    }
}

void HealthTestTab::cmdShowreport_Click() {
    openReport(modBaddet::kAllReportFileName);
}

void HealthTestTab::cmdShowsingleReport_Click() {
    openReport(modBaddet::kSingleReportFileName);
}

// The desktop's viewer for text files opens the report; no command line is built.
void HealthTestTab::openReport(std::string_view fileName) {
    QString path = fromNativePath(state_.programFile(fileName));
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path))) {
        dialogs_.message(
            MessageIcon::Exclamation, kAppTitle,
            QStringLiteral("The report ") + path + QStringLiteral(" could not be opened."));
    }
}

}  // namespace sorvane::app
