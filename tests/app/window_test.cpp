// The main window: start-up state, screen-reader names, loading an archive and its failures,
// the health parameter boxes, the log window and shut-down with Log.txt.
#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QTabWidget>
#include <QtTest>
#include <iostream>
#include <sstream>

#include "app/export_tab.h"
#include "app/frm_log.h"
#include "app/frm_splash.h"
#include "app/plot_tab.h"
#include "app/qt_dialogs.h"
#include "app_test_support.h"
#include "health/health_parameters.h"

using namespace sorvane;
using namespace sorvane::app;
using namespace sorvane::test;

namespace {

QList<bool> tabsEnabled(frmTrafficExtrac& w) {
    auto* tabs = control<QTabWidget>(w, "SSTab1");
    QList<bool> enabled;
    for (int tab = 0; tab < kTabCount; ++tab)
        enabled.append(tabs->isTabEnabled(tab));
    return enabled;
}

// Which tabs a screen reader hears as usable.
QList<bool> tabsHeardEnabled(frmTrafficExtrac& w) {
    QTabBar* bar = control<QTabWidget>(w, "SSTab1")->tabBar();
    QAccessibleInterface* tabs = QAccessible::queryAccessibleInterface(bar);
    QList<bool> enabled;
    for (int tab = 0; tab < tabs->childCount(); ++tab)
        enabled.append(!tabs->child(tab)->state().disabled);
    return enabled;
}
const QList<bool> kOnlyFileTab{true, false, false, false, false};
const QList<bool> kAllTabs(kTabCount, true);

// The ways a chosen archive can fail, with the start of the message each shows; how the reader
// refuses each kind of broken archive is for its own tests.
struct FailureCase {
    const char* name;
    const char* choice;  // nullptr: cancelled; else a name in the data folder ("" for none)
    bool loadedBefore;
    MessageIcon icon;
    QString text;
};

const QString kPleaseSelect = ".\r\nPlease select a *.traffic file.";
const QString kCancelled = "Error No: 32755, Cancel was selected" + kPleaseSelect;
const QString kNoDetector = "Error No: 1003, The archive holds no detector member" + kPleaseSelect;
const QStringList kLoaded{"100", "200"};
const QString kNotProvided = "*.traffic zip file not provided. ";
const FailureCase kFailures[] = {
    {"cancel, first load", nullptr, false, MessageIcon::Exclamation, kCancelled},
    {"cancel, after a load", nullptr, true, MessageIcon::Exclamation, kCancelled},
    {"no detector, first load", "no-detector.traffic", false, MessageIcon::Exclamation,
     kNoDetector},
    {"no detector, after a load", "no-detector.traffic", true, MessageIcon::Exclamation,
     kNoDetector},
    {"empty name, first load", "", false, MessageIcon::Critical, kNotProvided},
    // The box names the archive that stays loaded again, so an export reads what it names.
    {"empty name, after a load", "", true, MessageIcon::Critical, kNotProvided},
    // Refused by libzip, by the listing past a good member, a folder and no file at all.
    {"empty file", "empty.traffic", true, MessageIcon::Exclamation, "Error No: "},
    {"detector 32768", "32768.traffic", true, MessageIcon::Exclamation, "Error No: 1002, "},
    {"a folder", "folder.traffic", true, MessageIcon::Exclamation, "Error No: "},
    {"no such file", "none.traffic", true, MessageIcon::Exclamation, "Error No: "},
};

QStringList boxTexts(QWidget& window) {
    QStringList texts;
    for (const HealthParameter& p : kHealthParameters)
        texts.append(textOf(window, p.textBox));
    return texts;
}

// The label whose buddy is `box`: the caption a user reads beside it.
QString captionBeside(const QWidget* box) {
    for (QLabel* label : box->parentWidget()->findChildren<QLabel*>()) {
        if (label->buddy() == box) return label->text();
    }
    return QStringLiteral("<no label>");
}

// Each tab's controls in the order Tab visits them from the first: its reading order. Tab
// visits one option of a group; the arrow keys move within it.
struct ReadingOrder {
    const char* name;
    int tab;
    QStringList order;
};

const ReadingOrder kReadingOrders[] = {
    {"File", kTabFile, {"txtZipName", "cmdBrowse", "Check1", "Command1", "cmdExit"}},
    {"Plot vol/occ",
     kTabPlot,
     {"cmbDetector", "txtDetID", "cmdDetExtract", "List1", "cmbStartTime", "cmbEndTime", "btnTotal",
      "txtVolTot", "cmbPlotInterval", "cmdRecomp", "optNeg", "cmdScatter", "cmdLine", "optVol",
      "cmdHist"}},
    {"Export ",
     kTabExport,
     {"txtDetIDs", "cmdDetFile", "txtDestFile", "cmdSBrowse", "cmbExportInterval", "optVolocc",
      "cmdExport"}},
    {"Det Health Param",
     kTabHealthParam,
     {"txtMissing", "txtConsecZero", "txtLockOn", "txtCorcoeff", "txtOccTh", "txtOccctr",
      "txtVolth", "txtVolctr", "txtSuspTh", "txtMargTh", "txtDetNoFrom", "txtDetNoTo",
      "cmdSetDefault", "cmdSetFactoryDefault"}},
    {"Det Health Test",
     kTabHealthTest,
     {"cmdHealth", "txtChkdetector", "cmdTestSingledet", "lstBaddetect", "lstSuspdetect",
      "optLineplot", "cmdHistory"}},  // the report buttons wait for a report
};

}  // namespace

class WindowTest : public QObject {
    Q_OBJECT
  private slots:
    void startsWithOnlyTheFileTabUsable() {
        WindowFixture f;
        frmTrafficExtrac& w = f.window();
        QCOMPARE(control<QTabWidget>(w, "SSTab1")->currentIndex(), kTabFile);
        QCOMPARE(tabsEnabled(w), kOnlyFileTab);
        QCOMPARE(tabsHeardEnabled(w), kOnlyFileTab);
        for (const char* intervals : {"cmbPlotInterval", "cmbExportInterval"})
            QCOMPARE(textOf(w, intervals), QStringLiteral("30 sec"));
        for (const char* off : {"cmdScatter", "cmdLine", "cmdHist", "cmdRecomp", "cmdShowreport",
                                "cmdShowsingleReport"}) {
            QVERIFY2(!control(w, off)->isEnabled(), off);
        }
        for (const char* on : {"optZero", "optVol", "optVolocc", "optLineplot"})
            QVERIFY2(isOn(w, on), on);
        QVERIFY(control(w, "ProgressBar1")->isHidden());
        QVERIFY(f.dialogs.messages.empty());
        QCOMPARE(
            textOf(w, "lblProgramFolder"),
            QStringLiteral("Settings, reports and Log.txt are kept in: ") + f.qfile("").chopped(1));
    }

    void tabFollowsTheReadingOrder_data() { addRows(kReadingOrders); }

    void tabFollowsTheReadingOrder() {
        const ReadingOrder& c = currentRow(kReadingOrders);
        WindowFixture f;
        frmTrafficExtrac& w = f.window();
        f.loadArchive({100, 200});
        openTab(w, c.tab);
        QApplication::setActiveWindow(&w);
        control(w, c.order.front().toLatin1().constData())->setFocus();
        QStringList visited;
        for (int i = 0; i < c.order.size(); ++i) {
            QWidget* focused = QApplication::focusWidget();
            // A combo box's line edit stands for its combo box.
            if (qobject_cast<QComboBox*>(focused->parentWidget()))
                focused = focused->parentWidget();
            visited.append(focused->objectName());
            QTest::keyClick(focused, Qt::Key_Tab);
        }
        QCOMPARE(visited, c.order);
    }

    // Enter on a focused button clicks it; Tab in the list of IDs moves on, typing no tab.
    void enterClicksAndTabLeavesTheIdList() {
        WindowFixture f;
        frmTrafficExtrac& w = f.window();
        f.loadArchive({100, 200});
        QApplication::setActiveWindow(&w);
        openTab(w, kTabHealthParam);
        control(w, "cmdSetDefault")->setFocus();
        QTest::keyClick(control(w, "cmdSetDefault"), Qt::Key_Return);
        QCOMPARE(f.dialogs.texts(), QStringList{QStringLiteral("Done.")});
        openTab(w, kTabExport);
        control(w, "optVolume")->setFocus();
        QTest::keyClick(control(w, "optVolume"), Qt::Key_Enter, Qt::KeypadModifier);
        QVERIFY(isOn(w, "optVolume"));
        control(w, "txtDetIDs")->setFocus();
        typeInto(w, "txtDetIDs", QStringLiteral("100"));
        QTest::keyClick(control(w, "txtDetIDs"), Qt::Key_Tab);
        QCOMPARE(textOf(w, "txtDetIDs"), QStringLiteral("100"));
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("cmdDetFile"));
    }

    void everyInputIsNamedAfterItsLabel() {
        WindowFixture f;
        auto [unnamed, inputs] = unnamedInputs(f.window());
        QCOMPARE(unnamed, QStringList());
        QVERIFY(inputs >= 25);
        QCOMPARE(accessibleName(control(f.window(), "cmbPlotInterval")),
                 QStringLiteral("Time Interval"));
    }

    void browseAndLoadFillsEveryTabAndASecondLoadReplacesIt() {
        WindowFixture f;
        QString archive = makeDetectorArchive(f.data(), "day1.traffic", {100, 200, 300});
        QString second = makeDetectorArchive(f.data(), "second.traffic", {7, 8, 9});
        f.dialogs.answers = {archive, second};
        frmTrafficExtrac& w = f.window();
        // The first detector is selected while the splash shows and before the log line.
        QStringList selected;
        connect(w.findChild<PlotTab*>(), &PlotTab::detectorSelected, this, [&](int position) {
            selected << QString::number(position) << QString::number(w.splashWindow()->isVisible())
                     << QString::fromStdString(w.state().log().logText());
        });
        click(w, "cmdBrowse");

        QCOMPARE(f.dialogs.requests.size(), size_t{1});
        QVERIFY(f.dialogs.requests.front().mustExist);
        QCOMPARE(selected, (QStringList{"0", "1", ""}));
        QCOMPARE(entriesOf(w, "cmbDetector"), (QStringList{"100", "200", "300"}));
        QCOMPARE(tabsEnabled(w), kAllTabs);
        QCOMPARE(tabsHeardEnabled(w), kAllTabs);
        QVERIFY(!w.splashWindow()->isVisible());
        for (const char* on : {"cmdScatter", "cmdLine", "cmdHist", "cmdRecomp", "cmdBrowse"})
            QVERIFY2(isEnabled(w, on), on);
        QCOMPARE(textOf(w, "txtDestFile"), suggestedExportFile(archive));

        // A second load keeps the user's export file and logs on the same line.
        openTab(w, kTabExport);
        typeInto(w, "txtDestFile", QStringLiteral("/home/me/mine.csv"));
        openTab(w, kTabFile);
        click(w, "cmdBrowse");
        QCOMPARE(textOf(w, "txtDestFile"), QStringLiteral("/home/me/mine.csv"));
        QCOMPARE(entriesOf(w, "cmbDetector"), (QStringList{"7", "8", "9"}));
        QCOMPARE(textOf(w, "lblDate"), QStringLiteral("second.traffic"));
        QCOMPARE(textOf(w, "txtZipName"), second);
        QCOMPARE(QString::fromStdString(w.state().log().logText()),
                 archive + " Was successfully loaded." + second + " Was successfully loaded.");

        // An archive named on the command line loads without a dialog.
        w.openArchive(archive);
        QVERIFY(waitForJobs(w));
        QCOMPARE(f.dialogs.requests.size(), size_t{2});
        QCOMPARE(textOf(w, "txtZipName"), archive);
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

    // Each kind of file dialog opens where that kind was last chosen, at first in the loaded
    // archive's folder, before any load in the user's home.
    void fileDialogsOpenInTheirKindsLastFolder() {
        WindowFixture f;
        frmTrafficExtrac& w = f.window();
        click(w, "cmdBrowse");  // cancelled
        QString archive = f.loadArchive({100});
        QString archiveFolder = QFileInfo(archive).absolutePath();
        openTab(w, kTabExport);
        QString elsewhere = QString::fromStdString(f.file("out.csv"));
        f.dialogs.answers = {elsewhere, std::nullopt, std::nullopt};
        click(w, "cmdSBrowse");
        click(w, "cmdSBrowse");
        click(w, "cmdDetFile");
        QStringList folders;
        for (const FileDialogRequest& request : f.dialogs.requests)
            folders.append(request.folder);
        QCOMPARE(folders, (QStringList{QDir::homePath(), archiveFolder,
                                       QFileInfo(elsewhere).absolutePath(), archiveFolder}));
    }

    void failedLoadKeepsWhatWasLoaded_data() { addRows(kFailures); }

    void failedLoadKeepsWhatWasLoaded() {
        const FailureCase& c = currentRow(kFailures);
        WindowFixture f;
        frmTrafficExtrac& w = f.window();
        QString good = c.loadedBefore ? f.loadArchive({100, 200}) : QString();
        std::string logBefore = w.state().log().logText();
        QString destBefore = textOf(w, "txtDestFile");

        makeArchive(f.data(), "no-detector.traffic", {{"readme.txt", {'h'}}});
        makeArchive(f.data(), "32768.traffic", {{"100.v30", volumeBytes(1)}, {"32768.v30", {}}});
        writeFile(f.data().file("empty.traffic"), "");
        QDir().mkpath(QString::fromStdString(f.data().file("folder.traffic")));
        std::optional<QString> choice;
        if (c.choice) choice = *c.choice ? QString::fromStdString(f.data().file(c.choice)) : "";
        f.dialogs.answers.push_back(choice);
        click(w, "cmdBrowse");

        QCOMPARE(f.dialogs.messages.size(), size_t{1});
        const ShownMessage& shown = f.dialogs.messages.front();
        QCOMPARE(shown.icon, c.icon);
        QCOMPARE(shown.title, QStringLiteral("Sorvane"));
        QVERIFY2(shown.text.startsWith(c.text), qPrintable(shown.text));
        if (c.icon == MessageIcon::Exclamation)
            QVERIFY2(shown.text.endsWith(kPleaseSelect), qPrintable(shown.text));
        QVERIFY(isEnabled(w, "cmdBrowse") && !w.splashWindow()->isVisible());
        QCOMPARE(w.state().log().logText(), logBefore);
        QCOMPARE(textOf(w, "txtDestFile"), destBefore);
        QCOMPARE(textOf(w, "txtZipName"), good);
        QCOMPARE(tabsEnabled(w), c.loadedBefore ? kAllTabs : kOnlyFileTab);
        QCOMPARE(isEnabled(w, "cmdScatter"), c.loadedBefore);
        // The earlier archive stays loaded, shown under its own name, and readable.
        QCOMPARE(entriesOf(w, "cmbDetector"), c.loadedBefore ? kLoaded : QStringList());
        if (c.loadedBefore) {
            QCOMPARE(textOf(w, "lblDate"), QStringLiteral("loaded.traffic"));
            QCOMPARE(QString::fromStdString(w.state().reader().fileName()), good);
            QVERIFY(w.state().reader().readDetector(200).found());
        }
    }

    // Each box reads its own key and sits beside its caption; what either button saves comes
    // back after a restart. (Failed writes: the hardening tests' read-only program folder.)
    void parameterBoxesReadAndSaveTheSettingsFile() {
        WindowFixture f;
        QCOMPARE(boxTexts(f.window()), QStringList(kHealthParamCount, QString()));
        std::string ini = "[Param]\r\n";
        QStringList expected;
        for (size_t i = kHealthParamCount; i-- > 0;)  // in reverse order
            ini += std::string(kHealthParameters[i].key) + "=v" + std::to_string(i) + "\r\n";
        writeFile(f.file("ParamSettings.ini"), ini);
        frmTrafficExtrac* w = &f.restart();
        for (const HealthParameter& p : kHealthParameters) {
            expected.append(QStringLiteral("v") + QString::number(expected.size()));
            QCOMPARE(captionBeside(control(*w, p.textBox)), toQString(p.caption));
        }
        QCOMPARE(boxTexts(*w), expected);

        f.loadArchive({100});  // opens the tab
        openTab(*w, kTabHealthParam);
        typeInto(*w, kHealthParameters[kVolSpikeTh].textBox, QStringLiteral("10"));
        typeInto(*w, kHealthParameters[kMargTh].textBox, QString());
        click(*w, "cmdSetDefault");
        expected[kVolSpikeTh] = QStringLiteral("10");
        expected[kMargTh] = QString();
        w = &f.restart();
        QCOMPARE(boxTexts(*w), expected);

        f.loadArchive({100});
        openTab(*w, kTabHealthParam);
        click(*w, "cmdSetFactoryDefault");
        const HealthParameterTexts factory = factoryParameterTexts();
        expected = toQStringList({factory.begin(), factory.end()});
        QCOMPARE(boxTexts(*w), expected);
        QCOMPARE(boxTexts(f.restart()), expected);
        for (const ShownMessage& shown : f.dialogs.messages)
            QVERIFY(shown.icon == MessageIcon::None && shown.title == QStringLiteral("Sorvane"));
        QCOMPARE(f.dialogs.texts(), (QStringList{"Done.", "Done."}));
    }

    // Closing writes the log to Log.txt, replacing the last run's, and closes every window the
    // program opened; a log that cannot be written is named on stderr and the window closes.
    void shutDownWritesTheLogAndClosesEveryOtherWindow() {
        for (const char* way : {"close", "exit after a load", "unwritable log"}) {
            WindowFixture f;
            frmTrafficExtrac& w = f.window();
            const bool unwritable = std::string_view(way) == "unwritable log";
            if (unwritable)
                QDir().mkpath(f.qfile("Log.txt"));  // a folder where the file should go
            else
                writeFile(f.file("Log.txt"), "the previous run's log\r\n");
            click(w, "Command1");
            w.splashWindow()->show();
            std::string expected = "\r\n";
            std::ostringstream err;
            std::streambuf* old = std::cerr.rdbuf(err.rdbuf());
            if (std::string_view(way) == "exit after a load") {
                expected = f.loadArchive({100}).toStdString() + " Was successfully loaded.\r\n";
                click(w, "cmdExit");
            } else {
                w.close();
            }
            std::cerr.rdbuf(old);
            QVERIFY2(!w.isVisible() && !w.logWindow()->isVisible(), way);
            QVERIFY2(!w.splashWindow()->isVisible(), way);
            if (unwritable)
                QVERIFY2(err.str().find("Log.txt") != std::string::npos, err.str().c_str());
            else
                QCOMPARE(readFile(f.file("Log.txt")), expected);
        }
    }

    void showLogShowsACopyAndRefreshes() {
        WindowFixture f;
        frmTrafficExtrac& w = f.window();
        w.state().log().appendLog("first line\r\nsecond");
        click(w, "Command1");
        frmLog* log = w.logWindow();
        auto* text = control<QPlainTextEdit>(*log, "Text1");
        QVERIFY(log->isVisible());
        QCOMPARE(text->toPlainText(), QStringLiteral("first line\nsecond"));

        w.state().log().appendLog(" more");
        QCOMPARE(text->toPlainText(), QStringLiteral("first line\nsecond"));
        typeInto(*log, "Text1", QStringLiteral("edited by the user"));
        QCOMPARE(w.state().log().logText(), std::string("first line\r\nsecond more"));

        click(w, "Command1");
        QCOMPARE(text->toPlainText(), QStringLiteral("first line\nsecond more"));
        QCOMPARE(w.findChildren<frmLog*>().size(), 1);
        log->resize(300, 800);  // the text box fills the log window at any size
        QApplication::processEvents();
        QCOMPARE(text->geometry(), log->rect());
    }
};

QTEST_MAIN(WindowTest)
#include "window_test.moc"
