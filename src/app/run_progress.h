#pragma once

#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QStringList>
#include <vector>

#include "health/health_classify.h"

namespace sorvane::app {

// A detector a run has tested, at its position (a single-detector run: the detector number).
struct TestedDetector {
    int position = 0;
    modBaddet::DetectorOutcome outcome;
};

// The progress of a health test as the tab shows it: the label, the bar and (in a run over all
// detectors) the list lines. A detector is tested faster than the window repaints, so what each
// detector changes is shown at most 30 times a second, list lines added in one batch, and
// always for the first and the last detector.
class RunProgress {
  public:
    RunProgress(QLabel& counter, QProgressBar& bar, QListWidget& high, QListWidget& susp,
                bool allDetectors);

    // After each tested detector.
    void add(int position, int count, const modBaddet::DetectorOutcome& outcome);
    // The detectors a run handed back at once, in order.
    void add(const std::vector<TestedDetector>& tested, int count);

    // "Processing 12 of 5000 Detectors" for position 11.
    static QString counterText(int position, int count);

  private:
    void show();

    QLabel& counter_;
    QProgressBar& bar_;
    QListWidget& high_;
    QListWidget& susp_;
    bool all_;
    QElapsedTimer sinceShown_;
    int position_ = 0;
    int count_ = 0;
    QStringList pendingHigh_;
    QStringList pendingSusp_;
};

}  // namespace sorvane::app
