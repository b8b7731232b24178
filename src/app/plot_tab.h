#pragma once

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>

#include "plot/plot_input.h"

namespace sorvane {
class Unzip;
}

namespace sorvane::app {

class AppState;
class Dialogs;

// Tab "Plot vol/occ": one detector of the loaded archive, its day as a list, its volume total
// over a span and the interval plots. The detector shown is the current one of AppState.
class PlotTab : public QWidget {
    Q_OBJECT
  public:
    PlotTab(AppState& state, Dialogs& dialogs, QWidget* parent = nullptr);

    // Start-up: the interval list at "30 sec".
    void fillPlotIntervals();
    // Start-up: empty detector and time selectors, each showing "Select one".
    void clearSelectors();
    // The detector numbers of the reader's detector list, in its order, nothing selected. The
    // previous archive's detector leaves the view.
    void setDetectorList(const Unzip& reader);
    // Selects entry `position` of cmbDetector and runs its click handling, as a user's choice.
    void selectDetector(int position);
    void enablePlotButtons(bool enabled = true);

    // The click handling of cmbDetector: makes the detector at `position` current. Throws
    // SorvaneError when a member of the detector cannot be read.
    void cmbDetector_Click(int position);
    // Loads the detector at `position` of the detector list; false (after its message) when the
    // archive lacks one of its members, which keeps the view of the detector shown before.
    bool LoadSelectedDetector(int position);
    // Aggregates the current day to the plot interval; refills the time selectors (whole day)
    // and List1. Does nothing before a detector's day is loaded.
    void ComputePlotData();

    void cmdDetExtract_Click();
    void cmdRecomp_Click() { ComputePlotData(); }
    void btnTotal_Click();
    void cmdScatter_Click();
    void cmdLine_Click();
    void cmdHist_Click();

    // The selectors as the plots and the volume total read them.
    PlotSelection selection() const;
    // Position of the plot interval: a label of the list, or "30 sec" for any other text.
    int plotIntervalPosition() const;
    MissingOption missingOption() const;

    QLabel* Label8;
    QLabel* lblDate;
    QLabel* Label11;
    QComboBox* cmbDetector;
    QLabel* Label17;
    QLineEdit* txtDetID;
    QPushButton* cmdDetExtract;
    QLabel* Label14;
    QLabel* Label3;
    QListWidget* List1;
    QLabel* Label9;
    QComboBox* cmbStartTime;
    QLabel* Label10;
    QComboBox* cmbEndTime;
    QPushButton* btnTotal;
    QLineEdit* txtVolTot;
    QGroupBox* Frame3;
    QLabel* Label12;
    QComboBox* cmbPlotInterval;
    QPushButton* cmdRecomp;
    QGroupBox* Frame1;
    QRadioButton* optNeg;
    QRadioButton* optZero;
    QPushButton* cmdScatter;
    QPushButton* cmdLine;
    QGroupBox* Frame2;
    QRadioButton* optVol;
    QRadioButton* optOcc;
    QPushButton* cmdHist;

  signals:
    // A detector became current (by the user or by loading); `position` indexes cmbDetector.
    void detectorSelected(int position);

  private:
    void layOut();
    // Runs an interval plot after the selection check and opens its chart window.
    template <class Plot>
    void plotSpan(Plot plot);

    AppState& state_;
    Dialogs& dialogs_;
    int shownPosition_ = -1;  // the detector whose day the view shows; -1 for none
};

}  // namespace sorvane::app
