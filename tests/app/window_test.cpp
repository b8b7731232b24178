// The main window: start-up state, screen-reader names, loading an archive and its failures,
// the health parameter boxes, the log window and shut-down with Log.txt.
#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>
#include <iostream>
#include <sstream>

#include "app/archive_loading.h"
#include "app/export_tab.h"
#include "app/file_tab.h"
#include "app/frm_log.h"
#include "app/frm_splash.h"
#include "app/health_param_tab.h"
#include "app/health_test_tab.h"
#include "app/plot_tab.h"
#include "app/qt_dialogs.h"
#include "app_test_support.h"
#include "health/health_parameters.h"

using namespace sorvane;
using namespace sorvane::app;
using sorvane::test::WindowFixture;

namespace {

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

bool tabsOpen(frmTrafficExtrac& w) {
    for (int tab = kTabPlot; tab < kTabCount; ++tab) {
        if (!w.SSTab1->isTabEnabled(tab)) return false;
    }
    return true;
}

// The ways a chosen archive can fail, with the message each shows; how the reader refuses each
// kind of broken archive is for its own tests.
struct FailureCase {
    const char* name;
    const char* choice;  // nullptr: cancelled; else a name in the data folder ("" for none)
    bool loadedBefore;
    MessageIcon icon;
    QString text;
};

const QString kCancelled =
    "Error No: 32755, Cancel was selected.\r\nPlease select a *.traffic file.";
const QString kNoDetector =
    "Error No: 1003, The archive holds no detector member.\r\nPlease select a *.traffic file.";
const QString kNotProvided = "*.traffic zip file not provided. ";
const FailureCase kFailures[] = {
    {"cancel, first load", nullptr, false, MessageIcon::Exclamation, kCancelled},
    {"cancel, after a load", nullptr, true, MessageIcon::Exclamation, kCancelled},
    {"no detector, first load", "bad.traffic", false, MessageIcon::Exclamation, kNoDetector},
    {"no detector, after a load", "bad.traffic", true, MessageIcon::Exclamation, kNoDetector},
    {"empty name, first load", "", false, MessageIcon::Critical, kNotProvided},
    // The box names the archive that stays loaded again, so an export reads what it names.
    {"empty name, after a load", "", true, MessageIcon::Critical, kNotProvided},
};

QStringList boxTexts(const HealthParamTab& tab) {
    QStringList texts;
    for (size_t i = 0; i < kHealthParamCount; ++i)
        texts.append(tab.box(static_cast<HealthParam>(i))->text());
    return texts;
}

// The label whose buddy is `box`: the caption a user reads beside it.
QString captionBeside(const QWidget* box) {
    for (QLabel* label : box->parentWidget()->findChildren<QLabel*>()) {
        if (label->buddy() == box) return label->text();
    }
    return QStringLiteral("<no label>");
}

}  // namespace

class WindowTest : public QObject {
    Q_OBJECT
  private slots:
    void startsWithOnlyTheFileTabUsable() {
        WindowFixture f;
        frmTrafficExtrac& w = f.window();
        QCOMPARE(w.SSTab1->currentIndex(), kTabFile);
        for (int tab = 0; tab < kTabCount; ++tab)
            QCOMPARE(w.SSTab1->isTabEnabled(tab), tab == kTabFile);
        for (QComboBox* intervals : {w.plotTab->cmbPlotInterval, w.exportTab->cmbExportInterval})
            QCOMPARE(intervals->currentText(), QStringLiteral("30 sec"));
        for (QWidget* off :
             {w.plotTab->cmdScatter, w.plotTab->cmdLine, w.plotTab->cmdHist, w.plotTab->cmdRecomp,
              w.testTab->cmdShowreport, w.testTab->cmdShowsingleReport}) {
            QVERIFY2(!off->isEnabled(), qPrintable(off->objectName()));
        }
        for (QRadioButton* on : {w.plotTab->optZero, w.plotTab->optVol, w.exportTab->optVolocc,
                                 w.testTab->optLineplot}) {
            QVERIFY2(on->isChecked(), qPrintable(on->objectName()));
        }
        QVERIFY(w.testTab->ProgressBar1->isHidden());
        QVERIFY(f.dialogs.messages.empty());
        QString folder = f.qfile("").chopped(1);
        QCOMPARE(w.fileTab->lblProgramFolder->text(),
                 QStringLiteral("Settings, reports and Log.txt are kept in: ") + folder);
    }

    void everyInputIsNamedAfterItsLabel() {
        WindowFixture f;
        int inputs = 0;
        for (QWidget* w : f.window().findChildren<QWidget*>()) {
            bool input = qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w) ||
                         qobject_cast<QAbstractItemView*>(w) || qobject_cast<QPlainTextEdit*>(w);
            // A combo box's own line edit and popup list are parts of the combo box.
            if (!input || w->objectName().isEmpty()) continue;
            ++inputs;
            QVERIFY2(!accessibleName(w).isEmpty(), qPrintable(w->objectName()));
        }
        QVERIFY(inputs >= 25);
        QCOMPARE(accessibleName(f.window().plotTab->cmbPlotInterval),
                 QStringLiteral("Time Interval"));
    }

    void browseAndLoadFillsEveryTabAndASecondLoadReplacesIt() {
        WindowFixture f;
        QString archive = test::makeDetectorArchive(f.data(), "day1.traffic", {100, 200, 300});
        QString second = test::makeDetectorArchive(f.data(), "second.traffic", {7, 8, 9});
        f.dialogs.answers = {archive, second};
        frmTrafficExtrac& w = f.window();
        // The first detector is selected while the splash shows and before the log line.
        QStringList selected;
        connect(w.plotTab, &PlotTab::detectorSelected, this, [&](int position) {
            selected << QString::number(position) << QString::number(w.splashWindow()->isVisible())
                     << QString::fromStdString(w.state().log().logText());
        });
        w.fileTab->cmdBrowse->click();

        QCOMPARE(f.dialogs.requests.size(), size_t{1});
        QVERIFY(f.dialogs.requests.front().mustExist);
        QCOMPARE(selected, (QStringList{"0", "1", ""}));
        QCOMPARE(test::entriesOf(w.plotTab->cmbDetector), (QStringList{"100", "200", "300"}));
        QVERIFY(tabsOpen(w) && !w.splashWindow()->isVisible());
        for (QPushButton* button : {w.plotTab->cmdScatter, w.plotTab->cmdLine, w.plotTab->cmdHist,
                                    w.plotTab->cmdRecomp, w.fileTab->cmdBrowse}) {
            QVERIFY2(button->isEnabled(), qPrintable(button->objectName()));
        }
        QCOMPARE(w.exportTab->txtDestFile->text(), suggestedExportFile(archive));

        // A second load keeps the user's export file and logs on the same line.
        w.exportTab->txtDestFile->setText(QStringLiteral("/home/me/mine.csv"));
        w.fileTab->cmdBrowse->click();
        QCOMPARE(w.exportTab->txtDestFile->text(), QStringLiteral("/home/me/mine.csv"));
        QCOMPARE(test::entriesOf(w.plotTab->cmbDetector), (QStringList{"7", "8", "9"}));
        QCOMPARE(w.plotTab->lblDate->text(), QStringLiteral("second.traffic"));
        QCOMPARE(w.fileTab->txtZipName->text(), second);
        QCOMPARE(QString::fromStdString(w.state().log().logText()),
                 archive + " Was successfully loaded." + second + " Was successfully loaded.");

        // An archive named on the command line loads without a dialog.
        w.openArchive(archive);
        QCOMPARE(f.dialogs.requests.size(), size_t{2});
        QCOMPARE(w.fileTab->txtZipName->text(), archive);
        QVERIFY(f.dialogs.messages.empty());
    }

    void exportFileSuggestionAndDialogFilters() {
        // Every "traffic" of the path becomes "csv", in that case only.
        QCOMPARE(suggestedExportFile("/trafficdata/Traffic/mytraffic.traffic"),
                 QStringLiteral("/csvdata/Traffic/mycsv.csv"));
        // "All files" lists names without a dot too.
        QCOMPARE(qtNameFilters("All files (*.*)|*.*|*.traffic files|*.traffic"),
                 (QStringList{"All files (*.*) (*)", "*.traffic files (*.traffic)"}));
        QCOMPARE(qtNameFilters("Lists|*.txt;*.csv"), QStringList{"Lists (*.txt *.csv)"});
        QCOMPARE(qtNameFilters("Text|*.txt|Other"), QStringList{"Text (*.txt)"});
    }

    void failedLoadKeepsWhatWasLoaded_data() { test::addRows(kFailures); }

    void failedLoadKeepsWhatWasLoaded() {
        const FailureCase& c = test::currentRow(kFailures);
        WindowFixture f;
        frmTrafficExtrac& w = f.window();
        QString good = c.loadedBefore ? f.loadArchive({100, 200}) : QString();
        std::string logBefore = w.state().log().logText();
        QString destBefore = w.exportTab->txtDestFile->text();

        test::makeArchive(f.data(), "bad.traffic", {{"readme.txt", {'h'}}});  // no detector
        std::optional<QString> choice;
        if (c.choice) choice = *c.choice ? QString::fromStdString(f.data().file(c.choice)) : "";
        f.dialogs.answers.push_back(choice);
        w.fileTab->cmdBrowse->click();

        QCOMPARE(f.dialogs.messages.size(), size_t{1});
        const test::ShownMessage& shown = f.dialogs.messages.front();
        QCOMPARE(shown.icon, c.icon);
        QCOMPARE(shown.title, QStringLiteral("Sorvane"));
        QCOMPARE(shown.text, c.text);
        QVERIFY(w.fileTab->cmdBrowse->isEnabled() && !w.splashWindow()->isVisible());
        QCOMPARE(w.state().log().logText(), logBefore);
        QCOMPARE(w.exportTab->txtDestFile->text(), destBefore);
        QCOMPARE(w.fileTab->txtZipName->text(), good);
        if (c.loadedBefore) {
            // The earlier archive stays loaded, shown under its own name, and readable.
            QCOMPARE(test::entriesOf(w.plotTab->cmbDetector), (QStringList{"100", "200"}));
            QCOMPARE(w.plotTab->lblDate->text(), QStringLiteral("loaded.traffic"));
            QVERIFY(tabsOpen(w));
            QCOMPARE(QString::fromStdString(w.state().reader().fileName()), good);
            VolumeBytes vol{};
            Occupancies occ{};
            QVERIFY(w.state().reader().extractDet(200, vol, occ));
            QCOMPARE(int{vol[0]}, 5);
        } else {
            QCOMPARE(w.plotTab->cmbDetector->count(), 0);
            QVERIFY(!w.SSTab1->isTabEnabled(kTabPlot) && !w.plotTab->cmdScatter->isEnabled());
        }
    }

    // Each box reads its own key and sits beside its caption; what either button saves comes
    // back after a restart. (Failed writes: the hardening tests' read-only program folder.)
    void parameterBoxesReadAndSaveTheSettingsFile() {
        WindowFixture f;
        QCOMPARE(boxTexts(*f.window().paramTab), QStringList(kHealthParamCount, QString()));
        std::string ini = "[Param]\r\n";
        QStringList expected;
        for (size_t i = kHealthParamCount; i-- > 0;)  // in reverse order
            ini += std::string(kHealthParameters[i].key) + "=v" + std::to_string(i) + "\r\n";
        test::writeFile(f.file("ParamSettings.ini"), ini);
        HealthParamTab* tab = f.restart().paramTab;
        for (size_t i = 0; i < kHealthParamCount; ++i) {
            expected.append(QStringLiteral("v") + QString::number(i));
            QCOMPARE(captionBeside(tab->box(static_cast<HealthParam>(i))),
                     toQString(kHealthParameters[i].caption));
        }
        QCOMPARE(boxTexts(*tab), expected);

        f.loadArchive({100});  // opens the tab
        tab->box(kVolSpikeTh)->setText(QStringLiteral("10"));
        tab->box(kMargTh)->clear();
        tab->cmdSetDefault->click();
        expected[kVolSpikeTh] = QStringLiteral("10");
        expected[kMargTh] = QString();
        tab = f.restart().paramTab;
        QCOMPARE(boxTexts(*tab), expected);

        f.loadArchive({100});
        tab->cmdSetFactoryDefault->click();
        expected.clear();
        for (const std::string& text : factoryParameterTexts())
            expected.append(toQString(text));
        QCOMPARE(boxTexts(*tab), expected);
        QCOMPARE(boxTexts(*f.restart().paramTab), expected);
        for (const test::ShownMessage& shown : f.dialogs.messages)
            QVERIFY(shown.icon == MessageIcon::None && shown.title == QStringLiteral("Sorvane"));
        QCOMPARE(f.dialogs.texts(), (QStringList{"Done.", "Done."}));
    }

    void shutDownWritesTheLogAndClosesEveryOtherWindow() {
        for (bool load : {false, true}) {
            WindowFixture f;
            test::writeFile(f.file("Log.txt"), "the previous run's log\r\n");
            frmTrafficExtrac& w = f.window();
            w.show();
            w.Command1_Click();
            w.splashWindow()->show();
            std::string expected = "\r\n";
            if (load) {
                expected = f.loadArchive({100}).toStdString() + " Was successfully loaded.\r\n";
                w.fileTab->cmdExit->click();
            } else {
                w.close();
            }
            QVERIFY(!w.isVisible() && !w.logWindow()->isVisible());
            QVERIFY(!w.splashWindow()->isVisible());
            QCOMPARE(test::readFile(f.file("Log.txt")), expected);
        }
    }

    void unwritableLogIsReportedAndTheWindowStillCloses() {
        WindowFixture f;
        QDir().mkpath(f.qfile("Log.txt"));  // a folder where the file should go
        f.window().show();
        std::ostringstream err;
        std::streambuf* old = std::cerr.rdbuf(err.rdbuf());
        bool closed = f.window().close();
        std::cerr.rdbuf(old);
        QVERIFY(closed && !f.window().isVisible());
        QVERIFY2(err.str().find("Log.txt") != std::string::npos, err.str().c_str());
    }

    void showLogShowsACopyAndRefreshes() {
        WindowFixture f;
        frmTrafficExtrac& w = f.window();
        w.state().log().appendLog("first line\r\nsecond");
        w.Command1_Click();
        frmLog* log = w.logWindow();
        QVERIFY(log->isVisible());
        QCOMPARE(log->Text1->toPlainText(), QStringLiteral("first line\nsecond"));

        w.state().log().appendLog(" more");
        QCOMPARE(log->Text1->toPlainText(), QStringLiteral("first line\nsecond"));
        log->Text1->setPlainText(QStringLiteral("edited by the user"));
        QCOMPARE(w.state().log().logText(), std::string("first line\r\nsecond more"));

        w.Command1_Click();
        QCOMPARE(log->Text1->toPlainText(), QStringLiteral("first line\nsecond more"));
        QCOMPARE(w.findChildren<frmLog*>().size(), 1);
        log->resize(300, 800);  // the text box fills the log window at any size
        QApplication::processEvents();
        QCOMPARE(log->Text1->geometry(), log->rect());
    }
};

QTEST_MAIN(WindowTest)
#include "window_test.moc"
