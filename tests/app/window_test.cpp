// The main window's start-up state, its controls, shut-down and the log window.
#include <QAbstractButton>
#include <QAccessible>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QTabBar>
#include <QtTest>
#include <iostream>
#include <sstream>

#include "app/export_tab.h"
#include "app/file_tab.h"
#include "app/frm_log.h"
#include "app/frm_splash.h"
#include "app/health_param_tab.h"
#include "app/health_test_tab.h"
#include "app/plot_tab.h"
#include "app_test_support.h"
#include "common/intervals.h"

using namespace sorvane;
using namespace sorvane::app;
using sorvane::test::control;
using sorvane::test::WindowFixture;

namespace {

// What the user reads on a control: a label's text, a button's caption or a frame's title.
QString captionOf(const QObject* object) {
    if (auto* label = qobject_cast<const QLabel*>(object)) return label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(object)) return button->text();
    if (auto* frame = qobject_cast<const QGroupBox*>(object)) return frame->title();
    throw std::runtime_error("no caption: " + object->objectName().toStdString());
}

// The name a screen reader announces for a control. On Linux a combo box announces its value
// and takes its name from the label related to it.
QString accessibleName(QWidget* widget) {
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
    if (accessible == nullptr) return QString();
    if (qobject_cast<QComboBox*>(widget) == nullptr) return accessible->text(QAccessible::Name);
    for (const auto& [label, relation] : accessible->relations(QAccessible::Label)) {
        return label->text(QAccessible::Name);
    }
    return QString();
}

// Swaps std::cerr for a buffer while alive.
class CaptureStderr {
  public:
    CaptureStderr() : old_(std::cerr.rdbuf(buffer_.rdbuf())) {}
    ~CaptureStderr() { std::cerr.rdbuf(old_); }
    std::string text() const { return buffer_.str(); }

  private:
    std::ostringstream buffer_;
    std::streambuf* old_;
};

}  // namespace

class WindowTest : public QObject {
    Q_OBJECT
  public:
    static void initMain() { QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs); }

  private slots:
    void startsWithOnlyTheFileTabUsable() {
        WindowFixture f;
        frmTrafficExtrac& w = f.window();
        QCOMPARE(w.windowTitle(), QStringLiteral("Sorvane for TMC *.traffic archive files"));
        QCOMPARE(w.SSTab1->count(), 5);
        QCOMPARE(w.SSTab1->currentIndex(), 0);
        QVERIFY(w.SSTab1->isTabEnabled(0));
        for (int tab = 1; tab < 5; ++tab)
            QVERIFY2(!w.SSTab1->isTabEnabled(tab), "tab enabled");

        for (QComboBox* selector :
             {w.plotTab->cmbDetector, w.plotTab->cmbStartTime, w.plotTab->cmbEndTime}) {
            QCOMPARE(selector->count(), 0);
            QCOMPARE(selector->currentIndex(), -1);
            QCOMPARE(selector->placeholderText(), QStringLiteral("Select one"));
        }
        QStringList labels;
        for (const IntervalSpec& interval : kIntervals) {
            labels.append(QString::fromLatin1(interval.label.data(), interval.label.size()));
        }
        for (QComboBox* intervals : {w.plotTab->cmbPlotInterval, w.exportTab->cmbExportInterval}) {
            QCOMPARE(test::entriesOf(intervals), labels);
            QCOMPARE(intervals->currentText(), QStringLiteral("30 sec"));
        }
        for (QPushButton* button :
             {w.plotTab->cmdScatter, w.plotTab->cmdLine, w.plotTab->cmdHist, w.plotTab->cmdRecomp,
              w.testTab->cmdShowreport, w.testTab->cmdShowsingleReport}) {
            QVERIFY2(!button->isEnabled(), qPrintable(button->objectName()));
        }
        for (QRadioButton* option : {w.plotTab->optZero, w.plotTab->optVol, w.exportTab->optVolocc,
                                     w.testTab->optLineplot}) {
            QVERIFY2(option->isChecked(), qPrintable(option->objectName()));
        }
        QVERIFY(w.testTab->ProgressBar1->isHidden());
        QVERIFY(f.dialogs.messages.empty());
    }

    void lockedTabsCannotBeChosen() {
        WindowFixture f;
        f.window().show();
        QTabBar* bar = f.window().SSTab1->tabBar();
        for (int tab = 1; tab < 5; ++tab) {
            QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(tab).center());
            QCOMPARE(f.window().SSTab1->currentIndex(), 0);
        }
    }

    void everyControlHasItsCaption_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        const char* captions[][2] = {
            {"Label4", "Sorvane V3.5 "},
            {"Label1", "Browse and selec a \"*.traffic\" file usning the Browse and Load button."},
            {"Label21", "Selected traffic file name:"},
            {"cmdBrowse", "Browse and Load"},
            {"Check1", "Save the detector  file info to a text file"},
            {"Command1", "Show Log"},
            {"cmdExit", "Exit"},
            {"Label8", "Date:"},
            {"Label11", "Select Detector:"},
            {"Label17", "Or Enter Det ID:"},
            {"cmdDetExtract", "Extract"},
            {"Label14", "Raw Detector Data"},
            {"Label3", "Time: Vol, Occ(%)"},
            {"Label9", "Select Plot Start Time:"},
            {"Label10", "Select Plot End Time:"},
            {"btnTotal", "Vol Tot of Selected Time Interval"},
            {"Frame3", "Recompute Data"},
            {"Label12", "Time Interval"},
            {"cmdRecomp", "Compute"},
            {"Frame1", "Missing Data Options"},
            {"optNeg", "Set to -1"},
            {"optZero", "Set to 0"},
            {"cmdScatter", "Vol/Occ Scatter Graph"},
            {"cmdLine", "Vol and Occ Line Graph"},
            {"Frame2", "Histogram Selction"},
            {"optVol", "Vol"},
            {"optOcc", "Occ"},
            {"cmdHist", "Histogram"},
            {"Label15",
             "Saves vol and occ data for the listed detectors to a single csv file. Select the "
             "desired time interval and data options before data extraction.  "},
            {"Label2", "Enter a list of detector IDs separated by commas (example, 100,200,300):"},
            {"Label18", "Or load the detector list from a text file --->"},
            {"cmdDetFile", "Browse File"},
            {"Label7",
             "Enter the desired export filename with a full path or use the suggested file name "
             "(Excel readable *.csv file) or browse to select a file name:"},
            {"cmdSBrowse", "Browse"},
            {"Label6", "Time Interval"},
            {"frmExport", "Data Option"},
            {"optVolocc", "Vol  and  Occ"},
            {"optVolume", "Vol only"},
            {"cmdExport", "Export to File (*.csv Format)"},
            {"lblMissingTest", "Missing/Consecutive Zero Vol Test"},
            {"lblMissing", "Missing %   >="},
            {"lblCosecZero", "Consecutive invalid zeros  >="},
            {"Label22", "hrs"},
            {"lblLockOn", "Lock On Test"},
            {"lblLockOnTime", "Consecutive 100% Occ  >= "},
            {"Label23", "mins"},
            {"lblPulse", "Pulse Mode Test"},
            {"lblCorcoef", "Correlation Coeff   >="},
            {"lblOccspike", "Occupancy Spike Test"},
            {"lblOccThreshold", "Occ Spike Height   >="},
            {"lblOccctr", "Occ Spike Count   >="},
            {"lblVolSpikes", "Volume Spike Test"},
            {"lblVolThreshold", "Vol Spike Height   >= "},
            {"lblVolCtr", "Vol Spike Count   >="},
            {"LblClassification", "Deviation Index Test"},
            {"Label19", "Susp DevIndex   >="},
            {"Label20", "Marginal DevIndex   >="},
            {"lblExclu", "Exclude tests from detectors in the range"},
            {"Label24", "<=  Detector #  <= "},
            {"cmdSetDefault", "Set As Default Parameters"},
            {"cmdSetFactoryDefault", "Restore Factory Default Parameters"},
            {"cmdHealth", "Test All Detectors"},
            {"Label16", "*Takes about 2min"},
            {"cmdTestSingledet", "Test Single Detector"},
            {"lblDetector", "Det Num."},
            {"lblBaddetect", "List of highly suspicious detectors"},
            {"lblsuspdetect", "List of suspicious/marginal detectors"},
            {"Label13", "Click any item in the llist to view "},
            {"optLineplot", "Vol/Occ Line  Plot"},
            {"optScatterPlot", "Vol/Occ Scatter Plot"},
            {"cmdShowreport", "All Detector Report "},
            {"cmdShowsingleReport", "Single Detector Report"},
        };
        for (const auto& [name, caption] : captions) {
            QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(caption);
        }
    }

    void everyControlHasItsCaption() {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        WindowFixture f;
        // Each name belongs to exactly one control of the main window (the splash has a Label1
        // of its own).
        QList<QWidget*> found;
        for (QWidget* w : f.window().findChildren<QWidget*>(name)) {
            if (w->window() == &f.window()) found.append(w);
        }
        QCOMPARE(found.size(), 1);
        QCOMPARE(captionOf(found.front()), caption);
    }

    void windowsTabsAndDataControlsAreNamed() {
        WindowFixture f;
        QCOMPARE(f.window().splashWindow()->windowTitle(), QStringLiteral("Splash Message"));
        QCOMPARE(f.window().splashWindow()->Label1->text(),
                 QStringLiteral("Building Detector List ...."));
        const QStringList tabs{"File", "Plot vol/occ", "Export ", "Det Health Param",
                               "Det Health Test"};
        for (int tab = 0; tab < tabs.size(); ++tab) {
            QCOMPARE(f.window().SSTab1->tabText(tab), tabs[tab]);
        }
        // Controls that show data instead of a caption, each of the kind it must be.
        QWidget* root = f.window().SSTab1;
        control<QLineEdit>(root, "txtZipName");
        control<QLabel>(root, "lblDate");
        control<QComboBox>(root, "cmbDetector");
        control<QLineEdit>(root, "txtDetID");
        control<QListWidget>(root, "List1");
        control<QComboBox>(root, "cmbStartTime");
        control<QComboBox>(root, "cmbEndTime");
        control<QLineEdit>(root, "txtVolTot");
        control<QComboBox>(root, "cmbPlotInterval");
        control<QPlainTextEdit>(root, "txtDetIDs");
        control<QLineEdit>(root, "txtDestFile");
        control<QComboBox>(root, "cmbExportInterval");
        control<QLineEdit>(root, "txtChkdetector");
        control<QLabel>(root, "lblCounter");
        control<QProgressBar>(root, "ProgressBar1");
        control<QListWidget>(root, "lstBaddetect");
        control<QListWidget>(root, "lstSuspdetect");
    }

    void everyInputIsNamedForScreenReaders() {
        WindowFixture f;
        QList<QWidget*> inputs;
        for (QWidget* w : f.window().findChildren<QWidget*>()) {
            if (qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w) ||
                qobject_cast<QAbstractItemView*>(w) || qobject_cast<QPlainTextEdit*>(w)) {
                // A combo box's own line edit and popup list belong to the combo box.
                if (qobject_cast<QComboBox*>(w->parentWidget()) || w->objectName().isEmpty())
                    continue;
                inputs.append(w);
            }
        }
        QVERIFY(inputs.size() >= 25);
        for (QWidget* input : inputs) {
            QVERIFY2(!accessibleName(input).isEmpty(), qPrintable(input->objectName()));
        }
        const char* names[][2] = {
            {"txtZipName", "Selected traffic file name:"},
            {"cmbDetector", "Select Detector:"},
            {"List1", "Raw Detector Data"},
            {"txtVolTot", "Vol Tot of Selected Time Interval"},
            {"cmbPlotInterval", "Time Interval"},
            {"txtDestFile",
             "Enter the desired export filename with a full path or use the suggested file name "
             "(Excel readable *.csv file) or browse to select a file name:"},
            {"txtChkdetector", "Det Num."},
            {"lstSuspdetect", "List of suspicious/marginal detectors"},
            {"txtDetNoTo", "<=  Detector #  <= "},
            {"Text1", "Log Info"},
        };
        for (const auto& [name, expected] : names) {
            QCOMPARE(accessibleName(control<QWidget>(&f.window(), name)),
                     QString::fromLatin1(expected));
        }
    }

    void shutDownWritesTheLog_data() {
        QTest::addColumn<bool>("load");
        QTest::addColumn<bool>("byExitButton");
        QTest::newRow("nothing loaded, window closed") << false << false;
        QTest::newRow("nothing loaded, Exit") << false << true;
        QTest::newRow("archive loaded, window closed") << true << false;
        QTest::newRow("archive loaded, Exit") << true << true;
    }

    void shutDownWritesTheLog() {
        QFETCH(bool, load);
        QFETCH(bool, byExitButton);
        WindowFixture f;
        test::writeFile(f.file("Log.txt"), "the previous run's log\r\n");
        frmTrafficExtrac& w = f.window();
        w.show();
        std::string expected = "\r\n";
        test::TempDir data;
        if (load) {
            QString archive = test::makeDetectorArchive(data, "day.traffic", {100});
            w.openArchive(archive);
            expected = archive.toStdString() + " Was successfully loaded.\r\n";
        }
        if (byExitButton) {
            w.fileTab->cmdExit->click();
        } else {
            w.close();
        }
        QVERIFY(!w.isVisible());
        QCOMPARE(test::readFile(f.file("Log.txt")), expected);
    }

    void closingClosesEveryOtherWindow() {
        WindowFixture f;
        frmTrafficExtrac& w = f.window();
        w.show();
        w.Command1_Click();
        w.splashWindow()->show();
        auto* chart = new QWidget(&w, Qt::Window);  // a chart window, as the plots open them
        chart->show();
        QVERIFY(w.logWindow()->isVisible());
        w.close();
        QVERIFY(!w.logWindow()->isVisible());
        QVERIFY(!w.splashWindow()->isVisible());
        QVERIFY(!chart->isVisible());
    }

    void unwritableLogIsReportedAndTheWindowStillCloses() {
        WindowFixture f;
        QDir().mkpath(f.qfile("Log.txt"));  // a folder where the file should go
        frmTrafficExtrac& w = f.window();
        w.show();
        CaptureStderr err;
        QVERIFY(w.close());
        QVERIFY(!w.isVisible());
        QVERIFY2(err.text().find("Log.txt") != std::string::npos, err.text().c_str());
    }

    void showLogShowsACopyAndRefreshes() {
        WindowFixture f;
        frmTrafficExtrac& w = f.window();
        w.state().log().appendLog("first line\r\nsecond");
        w.Command1_Click();
        frmLog* log = w.logWindow();
        QVERIFY(log->isVisible());
        QCOMPARE(log->windowTitle(), QStringLiteral("Log Info"));
        QCOMPARE(log->Text1->toPlainText(), QStringLiteral("first line\nsecond"));

        w.state().log().appendLog(" more");
        QCOMPARE(log->Text1->toPlainText(), QStringLiteral("first line\nsecond"));
        log->Text1->setPlainText(QStringLiteral("edited by the user"));
        QCOMPARE(w.state().log().logText(), std::string("first line\r\nsecond more"));

        w.Command1_Click();
        QCOMPARE(log->Text1->toPlainText(), QStringLiteral("first line\nsecond more"));
        QCOMPARE(w.findChildren<frmLog*>().size(), 1);
    }

    void logBoxFillsTheWindow_data() {
        QTest::addColumn<QSize>("size");
        QTest::newRow("small") << QSize(200, 120);
        QTest::newRow("wide") << QSize(900, 300);
        QTest::newRow("tall") << QSize(300, 800);
    }

    void logBoxFillsTheWindow() {
        QFETCH(QSize, size);
        WindowFixture f;
        f.window().Command1_Click();
        frmLog* log = f.window().logWindow();
        log->resize(size);
        QApplication::processEvents();
        QCOMPARE(log->Text1->geometry(), log->rect());
    }
};

QTEST_MAIN(WindowTest)
#include "window_test.moc"
