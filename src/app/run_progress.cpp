#include "app/run_progress.h"

#include "app/qt_text.h"
#include "health/health_outcome_text.h"
#include "health/health_run.h"

namespace sorvane::app {

namespace {

// Every second frame of a 60 Hz screen: smooth to the eye, and a repaint of the tab costs
// as much as testing some twenty detectors.
constexpr qint64 kShowEveryMs = 33;

}  // namespace

RunProgress::RunProgress(QLabel& counter, QProgressBar& bar, QListWidget& high, QListWidget& susp,
                         bool allDetectors)
    : counter_(counter), bar_(bar), high_(high), susp_(susp), all_(allDetectors) {}

QString RunProgress::counterText(int position, int count) {
    return QStringLiteral("Processing ") + QString::number(position + 1) + QStringLiteral(" of ") +
           QString::number(count) + QStringLiteral(" Detectors");
}

void RunProgress::add(int position, int count, const modBaddet::DetectorOutcome& outcome) {
    position_ = position;
    count_ = count;
    if (all_) {
        switch (modBaddet::resultListOf(outcome.healthClass())) {
            case modBaddet::ResultList::HighlySuspicious:
                pendingHigh_.append(toQString(modBaddet::ListLine(outcome)));
                break;
            case modBaddet::ResultList::SuspiciousOrMarginal:
                pendingSusp_.append(toQString(modBaddet::ListLine(outcome)));
                break;
            case modBaddet::ResultList::None:
                break;
        }
    }
    const bool last = position + 1 == count;
    if (!sinceShown_.isValid() || sinceShown_.elapsed() >= kShowEveryMs || last) show();
}

void RunProgress::add(const std::vector<TestedDetector>& tested, int count) {
    for (const TestedDetector& one : tested)
        add(one.position, count, one.outcome);
}

void RunProgress::show() {
    if (!sinceShown_.isValid()) {
        // Wide enough for the last text, so that a changing number moves nothing else on the
        // tab: a new layout would repaint it whole.
        counter_.setMinimumWidth(
            counter_.fontMetrics().horizontalAdvance(counterText(count_, count_)));
    }
    counter_.setText(counterText(position_, count_));
    sinceShown_.start();
    if (!all_) return;
    bar_.setValue(position_);
    // Lines appear during the run, so they can be plotted while it goes on.
    if (!pendingHigh_.isEmpty()) high_.addItems(pendingHigh_);
    if (!pendingSusp_.isEmpty()) susp_.addItems(pendingSusp_);
    pendingHigh_.clear();
    pendingSusp_.clear();
}

}  // namespace sorvane::app
