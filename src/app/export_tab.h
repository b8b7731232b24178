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
class JobRunner;
class TabChoices;

// The suggested export file of an archive: every "traffic" (case-sensitive) becomes "csv".
QString suggestedExportFile(const QString& archivePath);

// Tab "Export ": a list of detectors, the destination file, the interval and the data option,
// and the export of the listed detectors to one CSV file, from the loaded archive, with the
// missing-data option of the plot tab. An export is a job of the window's runner.
class ExportTab : public QWidget {
    Q_OBJECT
  public:
    ExportTab(AppState& state, Dialogs& dialogs, JobRunner& jobs, const TabChoices& choices,
              QWidget* parent = nullptr);

    // A loaded archive suggests its CSV file as the destination, unless the user named one.
    void suggestDestination(const QString& archivePath);

  private:
    void layOut();
    // Loads a detector-list file into txtDetIDs as "100,200,300".
    void cmdDetFile_Click();
    // Lets the user pick the destination file.
    void cmdSBrowse_Click();
    // Checks the inputs and starts the export of the listed detectors (export_tab_run.cpp).
    void cmdExport_Click();
    void exportFinished(const QString& destination);
    // What the export reads from the window.
    ExportSettings settings() const;

    AppState& state_;
    Dialogs& dialogs_;
    JobRunner& jobs_;
    const TabChoices& choices_;

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
};

}  // namespace sorvane::app
