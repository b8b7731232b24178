// The runs of the "Det Health Test" tab: over all detectors or one, with their progress, the
// result lists and the report.
#include <chrono>

#include "app/app_state.h"
#include "app/dialogs.h"
#include "app/health_test_tab.h"
#include "app/health_test_texts.h"
#include "app/qt_text.h"
#include "app/run_progress.h"
#include "app/tab_choices.h"
#include "archive/unzip.h"
#include "common/machine_cores.h"
#include "common/numeric.h"
#include "common/program_texts.h"
#include "health/health_outcome_text.h"
#include "health/health_report.h"

namespace sorvane::app {

namespace {

// Tested detectors are handed to the window in batches: a detector is tested far faster than
// the window shows one, and a batch is sent at most this often (and always the last).
constexpr auto kBatchEvery = std::chrono::milliseconds(15);

// Gathers a run's tested detectors on its thread and posts them to the tab in batches.
class OutcomeBatches {
  public:
    OutcomeBatches(const JobControl& job, RunProgress* progress) : job_(job), progress_(progress) {}

    void add(int position, int count, const modBaddet::DetectorOutcome& outcome) {
        job_.throwIfCancelled();  // the window closes: the run ends after this detector
        batch_.push_back({position, outcome});
        count_ = count;
        const auto now = std::chrono::steady_clock::now();
        if (position + 1 == count || now - lastSent_ >= kBatchEvery) send(now);
    }

    // What is left after the last detector.
    void flush() {
        if (!batch_.empty()) send(std::chrono::steady_clock::now());
    }

  private:
    void send(std::chrono::steady_clock::time_point now) {
        lastSent_ = now;
        job_.post([progress = progress_, batch = std::move(batch_), count = count_] {
            progress->add(batch, count);
        });
        batch_.clear();
    }

    const JobControl& job_;
    RunProgress* progress_;
    std::vector<TestedDetector> batch_;
    int count_ = 0;
    std::chrono::steady_clock::time_point lastSent_{};
};

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
        snapshot = choices_.healthParameters().snapshot;
    } catch (const modBaddet::HealthParameterError& e) {
        dialogs_.message(MessageIcon::Exclamation, kAppTitle,
                         toQString(unusableParameterText(e.description())));
        return;
    }
    const bool all = det == modBaddet::kAllDetectors;
    // Refused before the run: the report may not replace the loaded archive.
    state_.refuseOverwritingArchive(
        state_.programFile(all ? modBaddet::kAllReportFileName : modBaddet::kSingleReportFileName));
    std::shared_ptr<Unzip> reader = state_.sharedReader();
    setRunning(true);
    ProgressBar1->setRange(0, reader->detCount());
    ProgressBar1->show();
    lblOutcome->clear();
    if (all) {
        lstBaddetect->clear();
        lstSuspdetect->clear();
    }
    progress_ = std::make_unique<RunProgress>(*lblCounter, *ProgressBar1, *lstBaddetect,
                                              *lstSuspdetect, all);
    runJob_ = jobs_.start(
        "the health test",
        [reader, &log = state_.log(), snapshot, det,
         progress = progress_.get()](const JobControl& job) {
            OutcomeBatches batches(job, progress);
            auto tested = [&batches](int position, int count,
                                     const modBaddet::DetectorOutcome& outcome) {
                batches.add(position, count, outcome);
            };
            modBaddet::HealthRunResult result =
                modBaddet::RunHealthTest(*reader, log, snapshot, det, tested, {}, machineCores());
            batches.flush();
            return result;
        },
        [this, snapshot](const modBaddet::HealthRunResult& result) { finishRun(result, snapshot); },
        [this](const Failure& failure) {
            ProgressBar1->hide();
            setRunning(false);
            dialogs_.message(MessageIcon::Exclamation, kAppTitle, toQString(failure.description));
        });
}

void HealthTestTab::finishRun(const modBaddet::HealthRunResult& result,
                              const modBaddet::HealthSnapshot& snapshot) {
    ProgressBar1->hide();
    setRunning(false);
    lblCounter->setText(QStringLiteral("Processing Done"));
    lblOutcome->setText(toQString(result.allDetectors
                                      ? runCountsText(result)
                                      : outcomeText(result.outcomes.front(), snapshot)));
    try {
        modBaddet::WriteReport(state_.programFile(result.reportFileName), result.reportText);
    } catch (const SorvaneError& e) {
        dialogs_.message(MessageIcon::Exclamation, kAppTitle, toQString(e.description()));
        return;
    }
    (result.allDetectors ? cmdShowreport : cmdShowsingleReport)->setEnabled(true);
}

void HealthTestTab::stopRun() {
    if (!running_) return;
    jobs_.cancel(runJob_);
    ProgressBar1->hide();
    setRunning(false);
}

void HealthTestTab::setRunning(bool running) {
    running_ = running;
    cmdHealth->setEnabled(!running);
    cmdTestSingledet->setEnabled(!running);
    emit runningChanged(running);
}

}  // namespace sorvane::app
