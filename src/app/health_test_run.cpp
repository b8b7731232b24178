// The runs of the "Det Health Test" tab: over all detectors or one, with their progress, the
// result lists and the report.
#include <QCoreApplication>
#include <QScopeGuard>

#include "app/app_state.h"
#include "app/dialogs.h"
#include "app/health_param_tab.h"
#include "app/health_test_tab.h"
#include "app/health_test_texts.h"
#include "app/qt_text.h"
#include "app/run_progress.h"
#include "archive/unzip.h"
#include "common/machine_cores.h"
#include "common/numeric.h"
#include "common/program_texts.h"
#include "health/health_outcome_text.h"
#include "health/health_report.h"
#include "health/health_run.h"

namespace sorvane::app {

namespace {

// Thrown from the progress report to leave a run whose window is closing.
struct RunStopped {};

}  // namespace

void HealthTestTab::cmdHealth_Click() {
    RunHealthTest(modBaddet::kAllDetectors);
}

void HealthTestTab::cmdTestSingledet_Click() {
    // Only numbers of the detector numbers' range can name a detector.
    std::optional<int16_t> det = toInt16(txtChkdetector->text().toStdString());
    if (!det) {
        dialogs_.message(MessageIcon::None, kAppTitle, toQString(kMsgDetectorNoNotValid));
        return;
    }
    RunHealthTest(*det);
}

void HealthTestTab::RunHealthTest(int16_t det) {
    // A parameter box that does not hold a number stops the run before anything changes.
    modBaddet::HealthSnapshot snapshot;
    try {
        snapshot = modBaddet::takeHealthSnapshot(parameters_.parameterTexts());
    } catch (const modBaddet::HealthParameterError& e) {
        dialogs_.message(MessageIcon::Exclamation, kAppTitle,
                         toQString(unusableParameterText(e.description())));
        return;
    }
    const bool all = det == modBaddet::kAllDetectors;
    // Refused before the run: the report may not replace the loaded archive.
    state_.refuseOverwritingArchive(
        state_.programFile(all ? modBaddet::kAllReportFileName : modBaddet::kSingleReportFileName));
    Unzip& reader = state_.reader();
    setRunning(true);
    auto finished = qScopeGuard([this] {
        ProgressBar1->hide();
        setRunning(false);
    });
    ProgressBar1->setRange(0, reader.detCount());
    ProgressBar1->show();
    lblOutcome->clear();
    if (all) {
        lstBaddetect->clear();
        lstSuspdetect->clear();
    }
    RunProgress shown(*lblCounter, *ProgressBar1, *lstBaddetect, *lstSuspdetect, all);
    auto progress = [&](int position, int count, const modBaddet::DetectorOutcome& outcome) {
        shown.add(position, count, outcome);
        QCoreApplication::processEvents();  // let the user click (and repaint when shown)
        if (stopRequested_) throw RunStopped{};
    };
    modBaddet::HealthRunResult result;
    try {
        result = modBaddet::RunHealthTest(reader, state_.log(), snapshot, det, progress, {},
                                          machineCores());
    } catch (const RunStopped&) {
        return;
    }
    lblCounter->setText(QStringLiteral("Processing Done"));
    lblOutcome->setText(
        toQString(all ? runCountsText(result) : outcomeText(result.outcomes.front(), snapshot)));
    try {
        modBaddet::WriteReport(state_.programFile(result.reportFileName), result.reportText);
    } catch (const SorvaneError& e) {
        dialogs_.message(MessageIcon::Exclamation, kAppTitle, toQString(e.description()));
        return;
    }
    (all ? cmdShowreport : cmdShowsingleReport)->setEnabled(true);
}

void HealthTestTab::setRunning(bool running) {
    running_ = running;
    stopRequested_ = false;
    cmdHealth->setEnabled(!running);
    cmdTestSingledet->setEnabled(!running);
    emit runningChanged(running);
}

}  // namespace sorvane::app
