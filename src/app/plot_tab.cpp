#include "app/plot_tab.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "app/app_state.h"
#include "app/error_messages.h"
#include "app/widget_factory.h"
#include "archive/unzip.h"

namespace sorvane::app {

namespace {

// A caption above its control, as one column item.
QVBoxLayout* captioned(QLabel* caption, QWidget* control) {
    auto* column = new QVBoxLayout;
    column->setSpacing(2);
    column->addWidget(caption);
    column->addWidget(control);
    return column;
}

}  // namespace

PlotTab::PlotTab(AppState& state, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent), state_(state), dialogs_(dialogs) {
    Label8 = makeLabel(this, "Label8", QStringLiteral("Date:"));
    lblDate = makeLabel(this, "lblDate", QString());
    cmbDetector = makeSelector(this, "cmbDetector");
    Label11 = makeLabel(this, "Label11", QStringLiteral("Select Detector:"), cmbDetector);
    txtDetID = makeControl<QLineEdit>(this, "txtDetID");
    Label17 = makeLabel(this, "Label17", QStringLiteral("Or Enter Det ID:"), txtDetID);
    cmdDetExtract = makeButton(this, "cmdDetExtract", QStringLiteral("Extract"));
    List1 = makeControl<QListWidget>(this, "List1");
    List1->setUniformItemSizes(true);  // 2880 lines at "30 sec"
    Label14 = makeLabel(this, "Label14", QStringLiteral("Raw Detector Data"), List1);
    Label3 = makeLabel(this, "Label3", QStringLiteral("Time: Vol, Occ(%)"));
    cmbStartTime = makeSelector(this, "cmbStartTime");
    Label9 = makeLabel(this, "Label9", QStringLiteral("Select Plot Start Time:"), cmbStartTime);
    cmbEndTime = makeSelector(this, "cmbEndTime");
    Label10 = makeLabel(this, "Label10", QStringLiteral("Select Plot End Time:"), cmbEndTime);
    btnTotal = makeButton(this, "btnTotal", QStringLiteral("Vol Tot of Selected Time Interval"));
    txtVolTot = makeControl<QLineEdit>(this, "txtVolTot");
    txtVolTot->setAccessibleName(btnTotal->text());  // the box has no label of its own

    Frame3 = makeFrame(this, "Frame3", QStringLiteral("Recompute Data"));
    cmbPlotInterval = makeControl<QComboBox>(Frame3, "cmbPlotInterval");
    // Typed text is allowed; it counts as "30 sec" and shows in the plot captions.
    cmbPlotInterval->setEditable(true);
    cmbPlotInterval->setInsertPolicy(QComboBox::NoInsert);
    Label12 = makeLabel(Frame3, "Label12", QStringLiteral("Time Interval"), cmbPlotInterval);
    cmdRecomp = makeButton(Frame3, "cmdRecomp", QStringLiteral("Compute"));
    auto* recompute = new QHBoxLayout(Frame3);
    recompute->addWidget(Label12);
    recompute->addWidget(cmbPlotInterval, 1);
    recompute->addWidget(cmdRecomp);

    Frame1 = makeFrame(this, "Frame1", QStringLiteral("Missing Data Options"));
    optNeg = makeOption(Frame1, "optNeg", QStringLiteral("Set to -1"));
    optZero = makeOption(Frame1, "optZero", QStringLiteral("Set to 0"));
    auto* missing = new QHBoxLayout(Frame1);
    missing->addWidget(optNeg);
    missing->addWidget(optZero);

    cmdScatter = makeButton(this, "cmdScatter", QStringLiteral("Vol/Occ Scatter Graph"));
    cmdLine = makeButton(this, "cmdLine", QStringLiteral("Vol and Occ Line Graph"));

    Frame2 = makeFrame(this, "Frame2", QStringLiteral("Histogram Selction"));
    optVol = makeOption(Frame2, "optVol", QStringLiteral("Vol"));
    optOcc = makeOption(Frame2, "optOcc", QStringLiteral("Occ"));
    auto* histogram = new QHBoxLayout(Frame2);
    histogram->addWidget(optVol);
    histogram->addWidget(optOcc);
    cmdHist = makeButton(this, "cmdHist", QStringLiteral("Histogram"));
    layOut();

    connect(cmbDetector, &QComboBox::activated, this, [this](int position) {
        showingErrors(dialogs_, "the detector's day", [&] { cmbDetector_Click(position); });
    });
    connect(cmdDetExtract, &QPushButton::clicked, this, [this] {
        showingErrors(dialogs_, "the detector's day", [this] { cmdDetExtract_Click(); });
    });
    connect(txtDetID, &QLineEdit::returnPressed, cmdDetExtract, &QPushButton::click);
    connect(cmdRecomp, &QPushButton::clicked, this, &PlotTab::ComputePlotData);
    connect(btnTotal, &QPushButton::clicked, this, &PlotTab::btnTotal_Click);
    connect(cmdScatter, &QPushButton::clicked, this, &PlotTab::cmdScatter_Click);
    connect(cmdLine, &QPushButton::clicked, this, &PlotTab::cmdLine_Click);
    connect(cmdHist, &QPushButton::clicked, this, &PlotTab::cmdHist_Click);
    // A total belongs to its span of its detector's interval data; any change empties it.
    for (QComboBox* span : {cmbStartTime, cmbEndTime})
        connect(span, &QComboBox::currentIndexChanged, txtVolTot, &QLineEdit::clear);
    connect(optNeg, &QRadioButton::toggled, this, [this](bool negative) {
        missing_ = negative ? MissingOption::SetToNegative : MissingOption::SetToZero;
    });

    // Start-up: "30 sec", "Set to 0", the volume histogram; no detector, no plots yet.
    fillIntervals(cmbPlotInterval);
    optZero->setChecked(true);
    optVol->setChecked(true);
    enablePlotButtons(false);
}

void PlotTab::layOut() {
    // Left: the detector and its day. Right: span, total and plots.
    auto* left = new QGridLayout;
    left->addWidget(Label8, 0, 0);
    left->addWidget(lblDate, 0, 1, 1, 2);
    left->addWidget(Label11, 1, 0);
    left->addWidget(cmbDetector, 1, 1, 1, 2);
    left->addWidget(Label17, 2, 0);
    left->addWidget(txtDetID, 2, 1);
    left->addWidget(cmdDetExtract, 2, 2);
    left->addWidget(Label14, 3, 0, 1, 3);
    left->addWidget(Label3, 4, 0, 1, 3);
    left->addWidget(List1, 5, 0, 1, 3);
    left->setRowStretch(5, 1);
    left->setColumnStretch(1, 1);

    auto* total = new QHBoxLayout;
    total->addWidget(btnTotal);
    total->addWidget(txtVolTot, 1);

    auto* right = new QVBoxLayout;
    right->addLayout(captioned(Label9, cmbStartTime));
    right->addLayout(captioned(Label10, cmbEndTime));
    right->addLayout(total);
    right->addWidget(Frame3);
    right->addWidget(Frame1);
    right->addWidget(cmdScatter);
    right->addWidget(cmdLine);
    right->addWidget(Frame2);
    right->addWidget(cmdHist);
    right->addStretch(1);

    auto* columns = new QHBoxLayout(this);
    columns->addLayout(left, 1);
    columns->addLayout(right, 1);
}

void PlotTab::showArchive(const Unzip& reader, const QString& date) {
    setDetectorList(reader);
    lblDate->setText(date);
    cmbPlotInterval->setCurrentIndex(0);
    selectDetector(0);
    enablePlotButtons(true);
}

void PlotTab::setDetectorList(const Unzip& reader) {
    clearSelector(cmbStartTime);
    clearSelector(cmbEndTime);
    List1->clear();
    txtVolTot->clear();
    plotData_ = {};
    shownPosition_ = -1;
    clearSelector(cmbDetector);
    for (int i = 0; i < reader.detCount(); ++i) {
        cmbDetector->addItem(QString::number(reader.detNum(i)));
    }
    cmbDetector->setCurrentIndex(-1);
}

void PlotTab::selectDetector(int position) {
    cmbDetector->setCurrentIndex(position);
    cmbDetector_Click(position);
}

void PlotTab::enablePlotButtons(bool enabled) {
    for (QPushButton* button : {cmdScatter, cmdLine, cmdHist, cmdRecomp}) {
        button->setEnabled(enabled);
    }
}

PlotSelection PlotTab::selection() const {
    PlotSelection current;
    current.detectorEntries = cmbDetector->count();
    current.detectorIndex = cmbDetector->currentIndex();
    current.detectorText = cmbDetector->currentText().toStdString();
    current.startIndex = cmbStartTime->currentIndex();
    current.endIndex = cmbEndTime->currentIndex();
    current.intervalPosition = plotIntervalPosition();
    current.intervalText = cmbPlotInterval->currentText().toStdString();
    current.missing = missing_;
    current.volumeHistogram = optVol->isChecked();
    return current;
}

int PlotTab::plotIntervalPosition() const {
    return std::max(0, cmbPlotInterval->findText(cmbPlotInterval->currentText()));
}

}  // namespace sorvane::app
