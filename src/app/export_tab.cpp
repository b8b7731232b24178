#include "app/export_tab.h"

#include <QGridLayout>
#include <QHBoxLayout>

#include "app/error_messages.h"
#include "app/widget_factory.h"

namespace sorvane::app {

ExportTab::ExportTab(AppState& state, Dialogs& dialogs, JobRunner& jobs, const TabChoices& choices,
                     QWidget* parent)
    : QWidget(parent), state_(state), dialogs_(dialogs), jobs_(jobs), choices_(choices) {
    Label15 = makeWrappedLabel(
        this, "Label15",
        QStringLiteral("Saves vol and occ data for the listed detectors to a single csv file. "
                       "Select the desired time interval and data options before data "
                       "extraction.  "));
    txtDetIDs = makeControl<QPlainTextEdit>(this, "txtDetIDs");
    txtDetIDs->setTabChangesFocus(true);  // a tab character is no separator of the list
    Label2 = makeWrappedLabel(this, "Label2",
                              QStringLiteral("Enter a list of detector IDs separated by commas "
                                             "(example, 100,200,300):"));
    nameAfter(Label2, txtDetIDs);
    Label18 = makeLabel(this, "Label18",
                        QStringLiteral("Or load the detector list from a text file --->"));
    cmdDetFile = makeButton(this, "cmdDetFile", QStringLiteral("Browse File"));
    txtDestFile = makeControl<QLineEdit>(this, "txtDestFile");
    Label7 = makeWrappedLabel(
        this, "Label7",
        QStringLiteral("Enter the desired export filename with a full path or use the suggested "
                       "file name (Excel readable *.csv file) or browse to select a file name:"));
    nameAfter(Label7, txtDestFile);
    cmdSBrowse = makeButton(this, "cmdSBrowse", QStringLiteral("Browse"));
    cmbExportInterval = makeControl<QComboBox>(this, "cmbExportInterval");
    Label6 = makeLabel(this, "Label6", QStringLiteral("Time Interval"), cmbExportInterval);

    frmExport = makeFrame(this, "frmExport", QStringLiteral("Data Option"));
    optVolocc = makeOption(frmExport, "optVolocc", QStringLiteral("Vol  and  Occ"));
    optVolume = makeOption(frmExport, "optVolume", QStringLiteral("Vol only"));
    auto* options = new QHBoxLayout(frmExport);
    options->addWidget(optVolocc);
    options->addWidget(optVolume);

    cmdExport = makeButton(this, "cmdExport", QStringLiteral("Export to File (*.csv Format)"));
    layOut();
    fillIntervals(cmbExportInterval);
    optVolocc->setChecked(true);

    connect(cmdDetFile, &QPushButton::clicked, this, [this] {
        showingErrors(dialogs_, "the detector list file", [this] { cmdDetFile_Click(); });
    });
    connect(cmdSBrowse, &QPushButton::clicked, this, &ExportTab::cmdSBrowse_Click);
    connect(cmdExport, &QPushButton::clicked, this,
            [this] { showingErrors(dialogs_, "the export", [this] { cmdExport_Click(); }); });
}

void ExportTab::layOut() {
    auto* grid = new QGridLayout(this);
    grid->addWidget(Label15, 0, 0, 1, 3);
    grid->addWidget(Label2, 1, 0, 1, 3);
    grid->addWidget(txtDetIDs, 2, 0, 1, 3);
    grid->addWidget(Label18, 3, 0, 1, 2, Qt::AlignRight);
    grid->addWidget(cmdDetFile, 3, 2);
    grid->addWidget(Label7, 4, 0, 1, 3);
    grid->addWidget(txtDestFile, 5, 0, 1, 2);
    grid->addWidget(cmdSBrowse, 5, 2);
    auto* interval = new QHBoxLayout;
    interval->addWidget(Label6);
    interval->addWidget(cmbExportInterval);
    interval->addStretch(1);
    grid->addLayout(interval, 6, 0);
    grid->addWidget(frmExport, 6, 1, 1, 2);
    grid->addWidget(cmdExport, 7, 0, 1, 3, Qt::AlignHCenter);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(2, 1);
}

QString suggestedExportFile(const QString& archivePath) {
    QString suggestion = archivePath;
    suggestion.replace(QStringLiteral("traffic"), QStringLiteral("csv"), Qt::CaseSensitive);
    return suggestion;
}

void ExportTab::suggestDestination(const QString& archivePath) {
    if (txtDestFile->text().isEmpty()) txtDestFile->setText(suggestedExportFile(archivePath));
}

}  // namespace sorvane::app
