// The detector's day on the "Plot vol/occ" tab: loading a detector, its interval data and
// list, and the volume total.
#include <QScopeGuard>

#include "app/app_state.h"
#include "app/dialogs.h"
#include "app/error_messages.h"
#include "app/plot_tab.h"
#include "app/qt_text.h"
#include "app/widget_factory.h"
#include "archive/day_loader.h"
#include "archive/unzip.h"
#include "common/format.h"
#include "common/intervals.h"
#include "common/numeric.h"
#include "common/program_texts.h"
#include "plot/detector_view.h"

namespace sorvane::app {

void PlotTab::cmbDetector_Click(int position) {
    if (LoadSelectedDetector(position)) emit detectorSelected(position);
}

bool PlotTab::LoadSelectedDetector(int position) {
    Unzip& reader = state_.reader();
    if (position < 0 || position >= reader.detCount()) return false;
    // A detector that cannot be loaded leaves the selector on the detector the view shows, so
    // that no plot names one detector over another one's data.
    auto keepShown = qScopeGuard([this] { cmbDetector->setCurrentIndex(shownPosition_); });
    if (!loadDetectorDay(reader, reader.detNum(position), rawDay_, imputedDay_)) {
        dialogs_.message(MessageIcon::None, kAppTitle, toQString(kMsgDetectorNotExtracted));
        return false;
    }
    keepShown.dismiss();
    shownPosition_ = position;
    ComputePlotData();
    return true;
}

void PlotTab::ComputePlotData() {
    if (shownPosition_ < 0) return;
    txtVolTot->clear();
    plotData_ = aggregateDay(imputedDay_, intervalAt(plotIntervalPosition()), missing_);

    QStringList times;
    times.reserve(static_cast<qsizetype>(plotData_.startSeconds.size()));
    for (int start : plotData_.startSeconds)
        times.append(toQString(formatTimeOfDay(start)));
    for (QComboBox* selector : {cmbStartTime, cmbEndTime}) {
        clearSelector(selector);
        selector->addItems(times);
    }
    cmbStartTime->setCurrentIndex(0);
    cmbEndTime->setCurrentIndex(cmbEndTime->count() - 1);

    List1->clear();
    List1->addItems(toQStringList(intervalLines(plotData_)));
}

void PlotTab::cmdDetExtract_Click() {
    cmdDetExtract->setEnabled(false);
    auto enableAgain = qScopeGuard([this] { cmdDetExtract->setEnabled(true); });
    // A number outside the detector numbers' range is as invalid as text.
    std::optional<int16_t> det = toInt16(txtDetID->text().toStdString());
    if (!det) {
        dialogs_.message(MessageIcon::None, kAppTitle, toQString(kMsgInvalidDetectorId));
        txtDetID->clear();
        return;
    }
    std::optional<int> position;
    if (state_.hasReader()) position = state_.reader().detPosition(*det);
    if (!position) {
        dialogs_.message(MessageIcon::None, kAppTitle, toQString(detectorNotInDataMessage(*det)));
        return;
    }
    selectDetector(*position);
}

void PlotTab::btnTotal_Click() {
    PlotSelection current = selection();
    if (std::optional<std::string_view> message = CheckPlotInput(current)) {
        dialogs_.message(MessageIcon::Exclamation, kAppTitle, toQString(*message));
        return;
    }
    showingErrors(dialogs_, "the volume total",
                  [&] { txtVolTot->setText(QString::number(volumeTotal(plotData_, current))); });
}

}  // namespace sorvane::app
