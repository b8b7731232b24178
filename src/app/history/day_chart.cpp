#include "app/history/day_chart.h"

#include <sys/stat.h>

#include <optional>

#include "app/charts/chart_window.h"
#include "app/dialogs.h"
#include "app/job_runner.h"
#include "app/qt_text.h"
#include "archive/unzip.h"
#include "common/log.h"
#include "plot/detector_plots.h"

namespace sorvane::app {

void showDayChart(JobRunner& jobs, const std::string& archive, const std::string& date, int16_t det,
                  Log& log, const ChartContext& context) {
    jobs.start(
        "the chart",
        [archive, det, &log](const JobControl&) -> std::optional<PlotRequest> {
            struct stat info {};
            if (::stat(archive.c_str(), &info) != 0) return std::nullopt;  // no longer there
            Unzip reader(log);
            reader.ZipFileName(archive);
            reader.zipList();
            return PlotDetectorLine30Sec(reader, det);
        },
        [archive, date, context](std::optional<PlotRequest> request) {
            if (!request) {
                context.dialogs.message(
                    MessageIcon::Exclamation, kAppTitle,
                    QStringLiteral("The archive recorded for ") + toQString(date) +
                        QStringLiteral(" is no longer there: ") + fromNativePath(archive));
                return;
            }
            request->caption += " - " + date;
            showPlot(*request, context);
        },
        [archive, date, context](const Failure& failure) {
            context.dialogs.message(
                MessageIcon::Exclamation, kAppTitle,
                QStringLiteral("The archive recorded for ") + toQString(date) +
                    QStringLiteral(", ") + fromNativePath(archive) +
                    QStringLiteral(", cannot be read.\r\n") +
                    toQString(errorNoText(failure.number, failure.description)) +
                    QStringLiteral("."));
        });
}

}  // namespace sorvane::app
