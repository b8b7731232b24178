#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>

namespace sorvane::app {

// Tab "Det Health Test": runs the health test over all detectors or one, lists the problem
// detectors and opens the reports.
class HealthTestTab : public QWidget {
    Q_OBJECT
  public:
    explicit HealthTestTab(QWidget* parent = nullptr);

    QPushButton* cmdHealth;
    QLabel* Label16;
    QLabel* lblDetector;
    QLineEdit* txtChkdetector;
    QPushButton* cmdTestSingledet;
    QLabel* lblCounter;
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
};

}  // namespace sorvane::app
