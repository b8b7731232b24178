#include "app/frm_traffic_extrac.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QScrollArea>
#include <QVBoxLayout>
#include <iostream>

#include "app/accessible_tabs.h"
#include "app/export_tab.h"
#include "app/file_tab.h"
#include "app/frm_log.h"
#include "app/frm_splash.h"
#include "app/health_param_tab.h"
#include "app/health_test_tab.h"
#include "app/history/history_window.h"
#include "app/plot_tab.h"
#include "app/qt_text.h"
#include "app/widget_factory.h"
#include "common/text_file.h"

namespace sorvane::app {

namespace {

// A tab's page in a scroll area that asks for the page's minimum size, so that the window is
// never made smaller than a tab needs; where a window system makes it smaller all the same, the
// page scrolls instead of cutting its captions off.
QScrollArea* scrolling(QWidget* page) {
    auto* area = new QScrollArea;
    area->setFrameShape(QFrame::NoFrame);
    area->setWidgetResizable(true);
    area->setWidget(page);
    QSize smallest = page->minimumSizeHint();
    // A page with wrapped captions is laid out at the height it asks for at that width.
    if (page->hasHeightForWidth())
        smallest.setHeight(std::max(smallest.height(), page->heightForWidth(smallest.width())));
    area->setMinimumSize(smallest);
    return area;
}

}  // namespace

frmTrafficExtrac::frmTrafficExtrac(const QString& programFolder, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent), state_(toNativePath(programFolder)), dialogs_(dialogs) {
    setObjectName(QStringLiteral("frmTrafficExtrac"));
    setWindowTitle(QStringLiteral("Sorvane for TMC *.traffic archive files"));

    installAccessibleTabs();  // before the tab bar is first asked for
    SSTab1 = makeControl<QTabWidget>(this, "SSTab1");
    fileTab = new FileTab;
    fileTab->showProgramFolder(fromNativePath(state_.programFolder()));
    plotTab = new PlotTab(state_, dialogs_);
    exportTab = new ExportTab(state_, dialogs_, jobs_, *this);
    paramTab = new HealthParamTab(state_, dialogs_);
    testTab = new HealthTestTab(state_, dialogs_, jobs_, *this);
    SSTab1->addTab(scrolling(fileTab), QStringLiteral("File"));
    SSTab1->addTab(scrolling(plotTab), QStringLiteral("Plot vol/occ"));
    SSTab1->addTab(scrolling(exportTab), QStringLiteral("Export "));
    SSTab1->addTab(scrolling(paramTab), QStringLiteral("Det Health Param"));
    SSTab1->addTab(scrolling(testTab), QStringLiteral("Det Health Test"));

    Label4 = makeLabel(this, "Label4", QStringLiteral("Sorvane V3.5 "));
    lblCredit = makeLabel(this, "lblCredit",
                          QStringLiteral("Detector data extraction and health test for TMC "
                                         "traffic archives"));
    auto* footer = new QHBoxLayout;
    footer->addWidget(Label4);
    footer->addStretch(1);
    footer->addWidget(lblCredit);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(SSTab1, 1);
    layout->addLayout(footer);

    logWindow_ = new frmLog(this);
    splash_ = new frmSplash(this);

    connect(fileTab, &FileTab::browseClicked, this, &frmTrafficExtrac::cmdBrowse_Click);
    connect(fileTab, &FileTab::showLogClicked, this, &frmTrafficExtrac::Command1_Click);
    connect(fileTab, &FileTab::exitClicked, this, &QWidget::close);
    connect(testTab, &HealthTestTab::historyRequested, this, &frmTrafficExtrac::cmdHistory_Click);
    // A health test runs on the archive it started with: no other can be loaded meanwhile.
    connect(testTab, &HealthTestTab::runningChanged, fileTab, [this] { enableLoading(); });

    resize(900, 620);
    Form_Load();
}

// Start-up: only the "File" tab usable, the health parameters from the settings file. (Each tab
// sets its own selectors and options.)
void frmTrafficExtrac::Form_Load() {
    for (int tab = kTabHealthTest; tab > kTabFile; --tab)
        setTabUsable(SSTab1, tab, false);
    setTabUsable(SSTab1, kTabFile, true);
    SSTab1->setCurrentIndex(kTabFile);
    paramTab->LoadHealthParameters();
}

void frmTrafficExtrac::Command1_Click() {
    logWindow_->showLog(toQString(state_.log().logText()));
}

void frmTrafficExtrac::cmdHistory_Click() {
    if (history_ == nullptr) {
        history_ = new HistoryWindow(state_, dialogs_, *this, this);
    }
    history_->show();
    history_->raise();
    history_->activateWindow();
}

MissingOption frmTrafficExtrac::missing() const {
    return plotTab->missing();
}

HealthParameterChoice frmTrafficExtrac::healthParameters() const {
    HealthParameterTexts texts = paramTab->parameterTexts();
    modBaddet::HealthSnapshot snapshot = modBaddet::takeHealthSnapshot(texts);
    return {std::move(texts), snapshot};
}

void frmTrafficExtrac::closeEvent(QCloseEvent* event) {
    // A running job ends after its current step (a health test after its detector), and
    // no thread of the window's is left when the log is written.
    testTab->stopRun();
    jobs_.stopAll();
    if (history_ != nullptr) history_->stopForShutdown();
    Form_Unload();
    event->accept();
}

// Shut-down: the log goes to Log.txt, and every window this one opened closes with it.
void frmTrafficExtrac::Form_Unload() {
    writeLogFile();
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->isWindow()) child->close();
    }
}

void frmTrafficExtrac::writeLogFile() {
    std::string path = state_.programFile("Log.txt");
    // The program ends all the same; the reason goes where a terminal or the session log sees
    // it.
    try {
        state_.refuseOverwritingArchive(path);
        writeWholeFile(path, state_.log().logText() + "\r\n");
    } catch (...) {
        Failure failure = describeCurrentFailure("the log");
        std::cerr << "Sorvane: the log could not be saved" << (failure.numbered() ? ". " : ": ")
                  << failure.description << '\n';
    }
}

}  // namespace sorvane::app
