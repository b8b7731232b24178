#pragma once

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>

#include "export/csv_export.h"

namespace sorvane::app {

class AppState;
class Dialogs;

// Controls of other tabs that the export reads: the loaded archive's path ("File" tab) and the
// missing-data option that the "Plot vol/occ" tab shares with the export.
struct ExportSources {
    const QLineEdit* txtZipName;
    const QRadioButton* optNeg;
};

// Tab "Export ": a list of detectors, the destination file, the interval and the data option,
// and the export of the listed detectors to one CSV file.
class ExportTab : public QWidget {
    Q_OBJECT
  public:
    ExportTab(AppState& state, Dialogs& dialogs, ExportSources sources, QWidget* parent = nullptr);

    // Start-up: the interval list at "30 sec".
    void fillExportIntervals();

    // Loads a detector-list file into txtDetIDs as "100,200,300".
    void cmdDetFile_Click();
    // Lets the user pick the destination file.
    void cmdSBrowse_Click();
    // Checks the inputs and exports the listed detectors.
    void cmdExport_Click();
    // What the export reads from the window.
    ExportSettings settings() const;

    QLabel* Label15;
    QLabel* Label2;
    QPlainTextEdit* txtDetIDs;
    QLabel* Label18;
    QPushButton* cmdDetFile;
    QLabel* Label7;
    QLineEdit* txtDestFile;
    QPushButton* cmdSBrowse;
    QLabel* Label6;
    QComboBox* cmbExportInterval;
    QGroupBox* frmExport;
    QRadioButton* optVolocc;
    QRadioButton* optVolume;
    QPushButton* cmdExport;

  private:
    void layOut();

    AppState& state_;
    Dialogs& dialogs_;
    ExportSources sources_;
};

}  // namespace sorvane::app
