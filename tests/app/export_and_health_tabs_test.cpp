// The tabs that write the files sorvane-cli writes, byte for byte. "Export ": the CSV file, the
// detector-list file, the destination dialog and the inputs refused before an export starts.
// "Det Health Test": runs over all detectors and one, with their progress, lists and buttons,
// the reports, refused runs, closing during a run and the plots of listed lines.
#include <QDesktopServices>
#include <QXYSeries>
#include <QtTest>

#include "app/export_tab.h"
#include "app/file_tab.h"
#include "app/health_param_tab.h"
#include "app/health_test_tab.h"
#include "app/plot_tab.h"
#include "app_test_support.h"
#include "mkarchive/synthetic_day.h"

using namespace sorvane;
using namespace sorvane::app;
using sorvane::test::WindowFixture;

namespace {

// A window with a generated day of 40 detectors loaded, the factory parameters in their boxes
// (and file), and window.csv as the export's destination.
struct DayFixture : WindowFixture {
    DayFixture() : archive(data().file("synthetic.traffic")) {
        // Numbers 100 to 139, half of them with faults.
        synth::DayOptions day{.detectors = 40, .seed = 11, .faultShare = 0.5};
        synth::writeArchive(
            archive, synth::archiveMembers(synth::makeDay(day), synth::MemberOrder::Grouped));
        window().openArchive(QString::fromStdString(archive));
        window().paramTab->cmdSetFactoryDefault->click();
        dialogs.messages.clear();
        exportTab().txtDestFile->setText(qfile("window.csv"));
    }
    ExportTab& exportTab() { return *window().exportTab; }
    HealthTestTab& testTab() { return *window().testTab; }
    // What sorvane-cli writes for the archive (a health test reads the window's parameters).
    std::string cliWrites(const std::string& command, const std::vector<std::string>& options) {
        std::vector<std::string> args{SORVANE_CLI, command, archive, "-o", data().file("cli.out")};
        if (command == "health") args.insert(args.end(), {"--settings", file("ParamSettings.ini")});
        args.insert(args.end(), options.begin(), options.end());
        test::CommandResult run = test::runCommand(args);
        return run.exitCode == 0 ? test::readFile(data().file("cli.out")) : run.err;
    }
    std::string archive;
};

struct WriteCase {
    const char* name;
    const char* ids;
    int interval;
    bool setToNegative;
    bool volumeOnly;
};

const WriteCase kWrites[] = {
    {"30 sec, both, zero", "100,101,999", 0, false, false},
    // The box hands out bare line feeds; the ID list reads CR LF as a blank.
    {"1 hour, volumes, -1, lines", "105,\n102.5, 104,999", 9, true, true},
};

struct Refusal {
    const char* name;
    bool archiveNamed;
    const char* ids;
    const char* title;
    const char* message;
};

const Refusal kRefusals[] = {
    {"no archive", false, "100", "Sorvane Warning!!!",
     "You must specify the file name (*.trffic) in the first text box!!! Click OK to continue."},
    {"no IDs", true, "", "Sorvane Warning!!!", "You must enter one or more detector IDs"},
    {"empty ID", true, "100,,300", "Sorvane",
     "Input Error at  2-th item : The entry \"\" is not a number.\r\nRe-enter the detector IDs or "
     "reload them from a file."},
};

// Records the files the window asks the desktop to open.
class OpenedFiles : public QObject {
    Q_OBJECT
  public:
    OpenedFiles() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "open"); }
    ~OpenedFiles() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
    QStringList paths;
  public slots:
    void open(const QUrl& url) { paths.append(url.toLocalFile()); }
};

}  // namespace

class ExportAndHealthTabsTest : public QObject {
    Q_OBJECT
  private slots:
    void exportWritesWhatTheCommandLineWrites_data() { test::addRows(kWrites); }

    void exportWritesWhatTheCommandLineWrites() {
        const WriteCase& c = test::currentRow(kWrites);
        DayFixture f;
        QString ids = c.ids;
        f.exportTab().txtDetIDs->setPlainText(ids);
        f.exportTab().cmbExportInterval->setCurrentIndex(c.interval);
        f.window().plotTab->optNeg->setChecked(c.setToNegative);
        f.window().plotTab->optZero->setChecked(!c.setToNegative);
        f.exportTab().optVolume->setChecked(c.volumeOnly);
        f.exportTab().cmdExport->click();
        QCOMPARE(f.dialogs.texts(), (QStringList{"Done!", "The extracted csv file was saved in " +
                                                              f.qfile("window.csv") + "\r\n"}));

        std::vector<std::string> options{
            "--ids",      ids.replace('\n', "\r\n").toStdString(),
            "--interval", f.exportTab().cmbExportInterval->currentText().toStdString(),
            "--missing",  c.setToNegative ? "neg" : "zero"};
        if (c.volumeOnly) options.push_back("--vol-only");
        QCOMPARE(test::readFile(f.file("window.csv")), f.cliWrites("export", options));
        // The export's lines go to the window's log, and so to Log.txt.
        QVERIFY(f.window().state().log().logText().find("The csv file can be found in " +
                                                        f.file("window.csv")) != std::string::npos);
    }

    void refusedExportGetsAMessageAndWritesNothing_data() { test::addRows(kRefusals); }

    void refusedExportGetsAMessageAndWritesNothing() {
        const Refusal& c = test::currentRow(kRefusals);
        DayFixture f;
        if (!c.archiveNamed) f.window().fileTab->txtZipName->clear();
        f.exportTab().txtDetIDs->setPlainText(c.ids);
        f.exportTab().cmdExport->click();
        QCOMPARE(f.dialogs.messages.size(), size_t{1});
        QCOMPARE(f.dialogs.messages[0].title, QString(c.title));
        QCOMPARE(f.dialogs.messages[0].text, QString(c.message));
        QVERIFY(!QFile::exists(f.qfile("window.csv")));
    }

    void detectorListFileAndDestinationDialogs() {
        DayFixture f;
        ExportTab& tab = f.exportTab();
        test::writeFile(f.data().file("good.txt"), "100 , 200,300");
        test::writeFile(f.data().file("bad.txt"), "100,200\r\n300");
        QDir().mkpath(QString::fromStdString(f.data().file("folder.txt")));
        for (const char* name : {"good.txt", "bad.txt", "folder.txt"})
            f.dialogs.answers.push_back(QString::fromStdString(f.data().file(name)));
        f.dialogs.answers.push_back(std::nullopt);
        for (int click = 0; click < 4; ++click)
            tab.cmdDetFile->click();
        // What the failures and the cancel leave is the list read first.
        QCOMPARE(tab.txtDetIDs->toPlainText(), QStringLiteral("100,200,300"));
        QCOMPARE(f.dialogs.requests[0].title, QStringLiteral("Select a detector list file"));
        QCOMPARE(f.dialogs.messages.size(), size_t{2});  // the cancel is silent
        QVERIFY(f.dialogs.messages[0].text.startsWith("Input Error at  2-th item"));
        QVERIFY(f.dialogs.messages[1].text.contains(
            QString::fromStdString(f.data().file("folder.txt"))));

        // The destination dialog starts from the file name in the box.
        f.dialogs.requests.clear();
        tab.txtDestFile->setText(QStringLiteral("/some/where/day1.csv"));
        f.dialogs.answers = {QStringLiteral("/else/day2.csv"), std::nullopt};
        tab.cmdSBrowse->click();
        tab.cmdSBrowse->click();  // cancelled: the name stays
        QCOMPARE(f.dialogs.requests[0].initialName, QStringLiteral("day1.csv"));
        QVERIFY(f.dialogs.requests[0].confirmOverwrite);
        QCOMPARE(f.dialogs.requests[1].initialName, QStringLiteral("day2.csv"));
        QCOMPARE(tab.txtDestFile->text(), QStringLiteral("/else/day2.csv"));
    }

    void healthRunOverAllDetectors() {
        DayFixture f;
        HealthTestTab& tab = f.testTab();
        QStringList during;
        QTimer::singleShot(0, [&] {
            during << tab.lblCounter->text()
                   << QString::number(tab.lstBaddetect->count() + tab.lstSuspdetect->count());
            for (QWidget* button :
                 {tab.cmdHealth, tab.cmdTestSingledet, f.window().fileTab->cmdBrowse})
                during << QString::number(button->isEnabled());
            during << QString::number(!tab.ProgressBar1->isHidden());
        });
        // At the last detector its lines are all there already, and the bar is at its position.
        int linesAtLast = -1;
        QTimer watch;
        connect(&watch, &QTimer::timeout, [&] {
            if (tab.lblCounter->text() != QStringLiteral("Processing 40 of 40 Detectors")) return;
            linesAtLast = tab.lstBaddetect->count() + tab.lstSuspdetect->count();
            QCOMPARE(tab.ProgressBar1->value(), 39);
        });
        watch.start(0);
        tab.cmdHealth->click();
        watch.stop();
        QCOMPARE(linesAtLast, tab.lstBaddetect->count() + tab.lstSuspdetect->count());
        QCOMPARE(during.mid(0, 1), QStringList{"Processing 1 of 40 Detectors"});
        QCOMPARE(during.mid(2), (QStringList{"0", "0", "0", "1"}));
        QCOMPARE(tab.lblCounter->text(), QStringLiteral("Processing Done"));
        QVERIFY(tab.ProgressBar1->isHidden());
        QVERIFY(tab.cmdHealth->isEnabled() && tab.cmdTestSingledet->isEnabled());
        QVERIFY(f.window().fileTab->cmdBrowse->isEnabled());
        QVERIFY(tab.cmdShowreport->isEnabled() && !tab.cmdShowsingleReport->isEnabled());
        QVERIFY(tab.lstBaddetect->count() > 0 && tab.lstSuspdetect->count() > 0);
        QCOMPARE(test::readFile(f.file("Diagnostic_Report.txt")), f.cliWrites("health", {}));

        // A second run starts from empty lists: they end the same, not doubled.
        QStringList first = test::linesOf(tab.lstBaddetect);
        tab.cmdHealth->click();
        QCOMPARE(test::linesOf(tab.lstBaddetect), first);
        QVERIFY(f.dialogs.messages.empty());
    }

    // A refused run changes nothing; a single test keeps the lists; a report that cannot be
    // written is named, after complete lists.
    void refusedRunSingleTestAndUnwritableReport() {
        DayFixture f;
        HealthTestTab& tab = f.testTab();
        tab.lstBaddetect->addItem(QStringLiteral("1, kept"));
        f.window().paramTab->box(kOccSpikeTh)->setText(QStringLiteral("high"));
        tab.cmdHealth->click();
        QCOMPARE(f.dialogs.messages.size(), size_t{1});
        QVERIFY2(f.dialogs.messages[0].text.contains(QStringLiteral("Occ Spike Height")),
                 qPrintable(f.dialogs.messages[0].text));
        QCOMPARE(test::linesOf(tab.lstBaddetect), QStringList{"1, kept"});
        QVERIFY(tab.cmdHealth->isEnabled());
        f.window().paramTab->box(kOccSpikeTh)->setText(QStringLiteral("40"));  // the file's
        f.dialogs.messages.clear();

        tab.txtChkdetector->setText(QStringLiteral("102"));
        QString counter;
        QTimer::singleShot(0, [&] { counter = tab.lblCounter->text(); });
        tab.cmdTestSingledet->click();
        QCOMPARE(counter, QStringLiteral("Processing 103 of 40 Detectors"));  // number plus one
        QCOMPARE(tab.lblCounter->text(), QStringLiteral("Processing Done"));
        QCOMPARE(test::linesOf(tab.lstBaddetect), QStringList{"1, kept"});
        QCOMPARE(test::readFile(f.file("report_single.txt")),
                 f.cliWrites("health", {"--det", "102"}));
        OpenedFiles opened;
        tab.cmdShowsingleReport->click();
        QCOMPARE(opened.paths, QStringList{f.qfile("report_single.txt")});
        QVERIFY(f.dialogs.messages.empty());

        QDir().mkpath(f.qfile("Diagnostic_Report.txt"));
        tab.cmdHealth->click();
        QCOMPARE(f.dialogs.messages.size(), size_t{1});
        QVERIFY(f.dialogs.messages[0].text.contains(f.qfile("Diagnostic_Report.txt")));
        QVERIFY(tab.lstBaddetect->count() > 1 && !tab.cmdShowreport->isEnabled());
    }

    void closingTheWindowEndsARun() {
        DayFixture f;
        f.window().show();
        QTimer::singleShot(0, &f.window(), &QWidget::close);
        f.testTab().cmdHealth->click();
        QVERIFY(!f.window().isVisible());
        QVERIFY(QFile::exists(f.qfile("Log.txt")));
        QVERIFY(!QFile::exists(f.qfile("Diagnostic_Report.txt")));
        QVERIFY(!f.testTab().running() && f.testTab().cmdHealth->isEnabled());
    }

    void listLineOpensTheDetectorsWholeDay() {
        DayFixture f;
        HealthTestTab& tab = f.testTab();
        tab.cmdHealth->click();
        QStringList view = test::entriesOf(f.window().plotTab->cmbEndTime);
        QListWidgetItem* line = tab.lstSuspdetect->item(0);
        QString det = line->text().section(',', 0, 0);
        emit tab.lstSuspdetect->itemClicked(line);
        tab.optScatterPlot->setChecked(true);
        emit tab.lstSuspdetect->itemClicked(line);
        QList<ChartWindow*> charts = test::chartsOf(f.window());
        QCOMPARE(charts.size(), 2);
        QCOMPARE(charts[0]->windowTitle(), QStringLiteral("Vol/Occ Line Graph: 30 Sec Data"));
        QCOMPARE(charts[1]->windowTitle(), QStringLiteral("Vol/Occ Scatter Graph: 5 min Data"));
        for (ChartWindow* chart : charts) {
            QCOMPARE(chart->chart()->title(), QStringLiteral("Detector: ") + det);
            auto* series = qobject_cast<QXYSeries*>(chart->chart()->series().back());
            QCOMPARE(series->count(), chart == charts[0] ? 2880 : 288);
        }
        QCOMPARE(test::entriesOf(f.window().plotTab->cmbEndTime), view);  // its own day
    }
};

QTEST_MAIN(ExportAndHealthTabsTest)
#include "export_and_health_tabs_test.moc"
