#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <string_view>

#include "app/job_runner.h"
#include "health/health_run.h"

namespace sorvane::app {

class AppState;
class Dialogs;
class RunProgress;
class TabChoices;

// Tab "Det Health Test": runs the health test over all detectors or one with the parameters of
// the "Det Health Param" tab (TabChoices), lists the problem detectors, writes and opens the
// reports, and plots a listed detector on a click. A run is a job of the window's runner: its
// detectors are tested on worker threads, and their outcomes come back in detector order while the
// window goes on answering.
class HealthTestTab : public QWidget {
    Q_OBJECT
  public:
    HealthTestTab(AppState& state, Dialogs& dialogs, JobRunner& jobs, const TabChoices& choices,
                  QWidget* parent = nullptr);
    ~HealthTestTab() override;

    bool running() const { return running_; }
    // Ends a run after the detector it is testing, without lists or report (the window closes).
    void stopRun();

  signals:
    // A run started or ended; the window keeps its archive loaded for the whole run.
    void runningChanged(bool running);
    // "Health History..." was pressed.
    void historyRequested();

  private:
    void layOut();

    // The runs (health_test_run.cpp).
    void cmdHealth_Click();
    void cmdTestSingledet_Click();
    void RunHealthTest(int16_t det);
    void finishRun(const modBaddet::HealthRunResult& result,
                   const modBaddet::HealthSnapshot& snapshot);
    void setRunning(bool running);

    // What a run leaves (health_test_results.cpp): a click on a list line plots the detector
    // whose number begins the line; the report buttons open the reports.
    void lstBaddetect_Click(const QListWidgetItem* item) { plotListedDetector(item); }
    void lstSuspdetect_Click(const QListWidgetItem* item) { plotListedDetector(item); }
    void plotListedDetector(const QListWidgetItem* item);
    void cmdShowreport_Click();
    void cmdShowsingleReport_Click();
    void openReport(std::string_view fileName);

    AppState& state_;
    Dialogs& dialogs_;
    JobRunner& jobs_;
    const TabChoices& choices_;
    bool running_ = false;
    JobRunner::JobId runJob_ = 0;
    std::unique_ptr<RunProgress> progress_;  // of the run that goes on

    QPushButton* cmdHealth;
    QLabel* Label16;
    QLabel* lblDetector;
    QLineEdit* txtChkdetector;
    QPushButton* cmdTestSingledet;
    QLabel* lblCounter;
    QLabel* lblOutcome;  // beside "Processing Done": what the last run found
    QProgressBar* ProgressBar1;
    QLabel* lblBaddetect;
    QListWidget* lstBaddetect;
    QLabel* lblsuspdetect;
    QListWidget* lstSuspdetect;
    QLabel* Label13;
    QRadioButton* optLineplot;
    QRadioButton* optScatterPlot;
    QPushButton* cmdShowreport;
    QPushButton* cmdShowsingleReport;
    QPushButton* cmdHistory;
};

}  // namespace sorvane::app
