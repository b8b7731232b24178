// The interval plots of the "Plot vol/occ" tab: each opens a chart window of its own.
#include "app/app_state.h"
#include "app/charts/chart_window.h"
#include "app/dialogs.h"
#include "app/error_messages.h"
#include "app/plot_tab.h"
#include "app/qt_text.h"
#include "plot/interval_plots.h"

namespace sorvane::app {

template <class Plot>
void PlotTab::plotSpan(Plot plot) {
    PlotSelection current = selection();
    if (std::optional<std::string_view> message = CheckPlotInput(current)) {
        dialogs_.message(MessageIcon::Exclamation, kAppTitle, toQString(*message));
        return;
    }
    showingErrors(dialogs_, "the plot", [&] {
        showPlot(plot(plotData_, current), {dialogs_, state_.folders, this});
    });
}

void PlotTab::cmdScatter_Click() {
    plotSpan(PlotScatter);
}

void PlotTab::cmdLine_Click() {
    plotSpan(PlotLine);
}

void PlotTab::cmdHist_Click() {
    plotSpan(PlotHistogram);
}

}  // namespace sorvane::app
