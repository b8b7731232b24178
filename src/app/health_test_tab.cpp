#include "app/health_test_tab.h"

#include <QGridLayout>
#include <QHBoxLayout>

#include "app/error_messages.h"
#include "app/run_progress.h"
#include "app/widget_factory.h"

namespace sorvane::app {

HealthTestTab::HealthTestTab(AppState& state, Dialogs& dialogs, JobRunner& jobs,
                             const TabChoices& choices, QWidget* parent)
    : QWidget(parent), state_(state), dialogs_(dialogs), jobs_(jobs), choices_(choices) {
    cmdHealth = makeButton(this, "cmdHealth", QStringLiteral("Test All Detectors"));
    Label16 = makeLabel(this, "Label16", QStringLiteral("*Takes about 2min"));
    txtChkdetector = makeControl<QLineEdit>(this, "txtChkdetector");
    txtChkdetector->setMaximumWidth(100);
    lblDetector = makeLabel(this, "lblDetector", QStringLiteral("Det Num."), txtChkdetector);
    cmdTestSingledet = makeButton(this, "cmdTestSingledet", QStringLiteral("Test Single Detector"));
    lblCounter = makeLabel(this, "lblCounter", QString());
    lblOutcome = makeLabel(this, "lblOutcome", QString());
    lblOutcome->setTextInteractionFlags(Qt::TextSelectableByMouse);
    ProgressBar1 = makeControl<QProgressBar>(this, "ProgressBar1");
    lstBaddetect = makeControl<QListWidget>(this, "lstBaddetect");
    lblBaddetect = makeLabel(this, "lblBaddetect",
                             QStringLiteral("List of highly suspicious detectors"), lstBaddetect);
    lstSuspdetect = makeControl<QListWidget>(this, "lstSuspdetect");
    lblsuspdetect =
        makeLabel(this, "lblsuspdetect", QStringLiteral("List of suspicious/marginal detectors"),
                  lstSuspdetect);
    // Thousands of lines of one height: the lists then measure one line, not each.
    lstBaddetect->setUniformItemSizes(true);
    lstSuspdetect->setUniformItemSizes(true);
    Label13 = makeLabel(this, "Label13", QStringLiteral("Click any item in the llist to view "));
    optLineplot = makeOption(this, "optLineplot", QStringLiteral("Vol/Occ Line  Plot"));
    optLineplot->setChecked(true);
    optScatterPlot = makeOption(this, "optScatterPlot", QStringLiteral("Vol/Occ Scatter Plot"));
    cmdShowreport = makeButton(this, "cmdShowreport", QStringLiteral("All Detector Report "));
    cmdShowsingleReport =
        makeButton(this, "cmdShowsingleReport", QStringLiteral("Single Detector Report"));
    cmdHistory = makeButton(this, "cmdHistory", QStringLiteral("Health History..."));
    // The report buttons open reports written by a run of this program.
    cmdShowreport->setEnabled(false);
    cmdShowsingleReport->setEnabled(false);
    layOut();

    connect(cmdHealth, &QPushButton::clicked, this,
            [this] { showingErrors(dialogs_, "the health test", [this] { cmdHealth_Click(); }); });
    connect(cmdTestSingledet, &QPushButton::clicked, this, [this] {
        showingErrors(dialogs_, "the health test", [this] { cmdTestSingledet_Click(); });
    });
    connect(txtChkdetector, &QLineEdit::returnPressed, cmdTestSingledet, &QPushButton::click);
    connect(lstBaddetect, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        showingErrors(dialogs_, "the plot", [&] { lstBaddetect_Click(item); });
    });
    connect(lstSuspdetect, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        showingErrors(dialogs_, "the plot", [&] { lstSuspdetect_Click(item); });
    });
    connect(cmdShowreport, &QPushButton::clicked, this, &HealthTestTab::cmdShowreport_Click);
    connect(cmdShowsingleReport, &QPushButton::clicked, this,
            &HealthTestTab::cmdShowsingleReport_Click);
    connect(cmdHistory, &QPushButton::clicked, this, &HealthTestTab::historyRequested);
    ProgressBar1->hide();  // shown while a run goes
}

HealthTestTab::~HealthTestTab() = default;

void HealthTestTab::layOut() {
    auto* run = new QHBoxLayout;
    run->addWidget(cmdHealth);
    run->addWidget(Label16);
    run->addSpacing(24);
    run->addWidget(lblDetector);
    run->addWidget(txtChkdetector);
    run->addWidget(cmdTestSingledet);
    run->addStretch(1);

    auto* progress = new QHBoxLayout;
    progress->addWidget(lblCounter);
    progress->addWidget(lblOutcome, 1);
    progress->addWidget(ProgressBar1, 2);

    auto* plotChoice = new QHBoxLayout;
    plotChoice->addWidget(Label13);
    plotChoice->addWidget(optLineplot);
    plotChoice->addWidget(optScatterPlot);
    plotChoice->addStretch(1);

    auto* reports = new QHBoxLayout;
    reports->addWidget(cmdShowreport);
    reports->addWidget(cmdShowsingleReport);
    reports->addStretch(1);
    reports->addWidget(cmdHistory);

    auto* grid = new QGridLayout(this);
    grid->addLayout(run, 0, 0, 1, 2);
    grid->addLayout(progress, 1, 0, 1, 2);
    grid->addWidget(lblBaddetect, 2, 0);
    grid->addWidget(lblsuspdetect, 2, 1);
    grid->addWidget(lstBaddetect, 3, 0);
    grid->addWidget(lstSuspdetect, 3, 1);
    grid->addLayout(plotChoice, 4, 0, 1, 2);
    grid->addLayout(reports, 5, 0, 1, 2);
    grid->setRowStretch(3, 1);
}

}  // namespace sorvane::app
