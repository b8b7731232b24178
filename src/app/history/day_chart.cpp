#include "app/history/day_chart.h"

#include <sys/stat.h>

#include "app/charts/chart_window.h"
#include "app/dialogs.h"
#include "app/qt_text.h"
#include "archive/unzip.h"
#include "common/error.h"
#include "common/log.h"
#include "plot/detector_plots.h"

namespace sorvane::app {

ChartWindow* showDayChart(const std::string& archive, const std::string& date, int16_t det,
                          Log& log, ChartContext context) {
    Dialogs& dialogs = context.dialogs;
    struct stat info {};
    if (::stat(archive.c_str(), &info) != 0) {
        dialogs.message(MessageIcon::Exclamation, kAppTitle,
                        QStringLiteral("The archive recorded for ") + toQString(date) +
                            QStringLiteral(" is no longer there: ") + fromNativePath(archive));
        return nullptr;
    }
    PlotRequest request;
    try {
        Unzip reader(log);
        reader.ZipFileName(archive);
        reader.zipList();
        request = PlotDetectorLine30Sec(reader, det);
    } catch (const SorvaneError& e) {
        dialogs.message(MessageIcon::Exclamation, kAppTitle,
                        QStringLiteral("The archive recorded for ") + toQString(date) +
                            QStringLiteral(", ") + fromNativePath(archive) +
                            QStringLiteral(", cannot be read.\r\nError No: ") +
                            QString::number(e.number()) + QStringLiteral(", ") +
                            toQString(e.description()) + QStringLiteral("."));
        return nullptr;
    }
    request.caption += " - " + date;
    return showPlot(request, context);
}

}  // namespace sorvane::app
