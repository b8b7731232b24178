// The tabs that write the files sorvane-cli writes, byte for byte. "Export ": the CSV file, the
// detector-list file and the destination dialog (refused inputs: the window's hardening test).
// "Det Health Test": runs over all detectors and one, with their progress, lists and buttons,
// the reports, refused runs and the plots of listed lines. Both jobs: the window answers while
// they run, and closing it mid-job ends them.
#include <QDesktopServices>
#include <QDir>
#include <QLineEdit>
#include <QProgressBar>
#include <QTabWidget>
#include <QXYSeries>
#include <QtTest>

#include "app/health_test_tab.h"
#include "app_test_support.h"
#include "health/health_parameters.h"
#include "mkarchive/synthetic_day.h"

using namespace sorvane;
using namespace sorvane::app;
using namespace sorvane::test;

namespace {

// A window with a generated day of 40 detectors loaded, the factory parameters in their boxes
// (and file), and window.csv as the export's destination; the tab `tab` is open.
struct DayFixture : WindowFixture {
    explicit DayFixture(int tab) : archive(data().file("synthetic.traffic")) {
        // Numbers 100 to 139, half of them with faults.
        synth::writeArchive(archive,
                            generatedDay({.detectors = 40, .seed = 11, .faultShare = 0.5}));
        w().openArchive(QString::fromStdString(archive));
        waitForJobs(w());
        openTab(w(), kTabHealthParam);
        click(w(), "cmdSetFactoryDefault");
        openTab(w(), kTabExport);
        typeInto(w(), "txtDestFile", qfile("window.csv"));
        openTab(w(), tab);
        dialogs.messages.clear();
    }
    frmTrafficExtrac& w() { return window(); }
    // What sorvane-cli writes for the archive (a health test reads the window's parameters).
    std::string cliWrites(const std::string& command, const std::vector<std::string>& options) {
        std::vector<std::string> args{SORVANE_CLI, command, archive, "-o", data().file("cli.out")};
        if (command == "health") args.insert(args.end(), {"--settings", file("ParamSettings.ini")});
        args.insert(args.end(), options.begin(), options.end());
        CommandResult run = runCommand(args);
        return run.exitCode == 0 ? readFile(data().file("cli.out")) : run.err;
    }
    std::string archive;
};

// The threads of this program now.
int threadCount() {
    return static_cast<int>(QDir(QStringLiteral("/proc/self/task"))
                                .entryList(QDir::Dirs | QDir::NoDotAndDotDot)
                                .size());
}

// A job of the window's and the file it writes.
struct JobCase {
    const char* name;
    int tab;
    const char* button;
    const char* writes;
};

const JobCase kJobs[] = {
    {"test of all detectors", kTabHealthTest, "cmdHealth", "Diagnostic_Report.txt"},
    {"export", kTabExport, "cmdExport", "window.csv"},
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

// The tab's summary of a run of 40 detectors with `excluded` of them excluded, from the counts
// of its report.
QString countsIn(const std::string& report, int excluded) {
    auto count = [&](const std::string& caption) {
        size_t at = report.find(caption) + caption.size();
        return QString::number(std::stoi(report.substr(at)));
    };
    return QStringLiteral(
               "40 detectors: %1 highly suspicious, %2 suspicious, %3 marginal, %4 "
               "healthy, %5 excluded")
        .arg(count("highly suspicious detectors: "),
             count("Total number of suspicious detectors: "), count("marginal detectors: "),
             count("healthy detectors:"), QString::number(excluded));
}

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
    void exportWritesWhatTheCommandLineWrites_data() { addRows(kWrites); }

    void exportWritesWhatTheCommandLineWrites() {
        const WriteCase& c = currentRow(kWrites);
        DayFixture f(kTabPlot);
        click(f.w(), c.setToNegative ? "optNeg" : "optZero");  // shared with the plots
        openTab(f.w(), kTabExport);
        typeInto(f.w(), "txtDetIDs", c.ids);
        pick(f.w(), "cmbExportInterval", c.interval);
        click(f.w(), c.volumeOnly ? "optVolume" : "optVolocc");
        click(f.w(), "cmdExport");
        QCOMPARE(f.dialogs.texts(), (QStringList{"Done!", "The extracted csv file was saved in " +
                                                              f.qfile("window.csv") + "\r\n"}));

        std::vector<std::string> options{
            "--ids",      QString(c.ids).replace('\n', "\r\n").toStdString(),
            "--interval", textOf(f.w(), "cmbExportInterval").toStdString(),
            "--missing",  c.setToNegative ? "neg" : "zero"};
        if (c.volumeOnly) options.push_back("--vol-only");
        QCOMPARE(readFile(f.file("window.csv")), f.cliWrites("export", options));
        // The export's lines go to the window's log, and so to Log.txt.
        QVERIFY(f.w().state().log().logText().find("The csv file can be found in " +
                                                   f.file("window.csv")) != std::string::npos);
    }

    void detectorListFileAndDestinationDialogs() {
        DayFixture f(kTabExport);
        writeFile(f.data().file("good.txt"), "100 , 200,300");
        writeFile(f.data().file("bad.txt"), "100,200\r\n300");
        QDir().mkpath(QString::fromStdString(f.data().file("folder.txt")));
        for (const char* name : {"good.txt", "bad.txt", "folder.txt"})
            f.dialogs.answers.push_back(QString::fromStdString(f.data().file(name)));
        f.dialogs.answers.push_back(std::nullopt);
        for (int clicks = 0; clicks < 4; ++clicks)
            click(f.w(), "cmdDetFile");
        // What the failures and the cancel leave is the list read first.
        QCOMPARE(textOf(f.w(), "txtDetIDs"), QStringLiteral("100,200,300"));
        QCOMPARE(f.dialogs.requests[0].title, QStringLiteral("Select a detector list file"));
        QCOMPARE(f.dialogs.messages.size(), size_t{2});  // the cancel is silent
        QVERIFY(f.dialogs.messages[0].text.startsWith("Input Error at  2-th item"));
        QVERIFY(f.dialogs.messages[1].text.contains(
            QString::fromStdString(f.data().file("folder.txt"))));

        // The destination dialog starts from the file name in the box.
        f.dialogs.requests.clear();
        typeInto(f.w(), "txtDestFile", QStringLiteral("/some/where/day1.csv"));
        f.dialogs.answers = {QStringLiteral("/else/day2.csv"), std::nullopt};
        click(f.w(), "cmdSBrowse");
        click(f.w(), "cmdSBrowse");  // cancelled: the name stays
        QCOMPARE(f.dialogs.requests[0].initialName, QStringLiteral("day1.csv"));
        QVERIFY(f.dialogs.requests[0].confirmOverwrite);
        QCOMPARE(f.dialogs.requests[1].initialName, QStringLiteral("day2.csv"));
        QCOMPARE(textOf(f.w(), "txtDestFile"), QStringLiteral("/else/day2.csv"));
    }

    void healthRunOverAllDetectors() {
        DayFixture f(kTabHealthTest);
        frmTrafficExtrac& w = f.w();
        // Lines appear while the run goes on, under its progress.
        QStringList during;
        auto firstLines =
            connect(control<QListWidget>(w, "lstBaddetect")->model(),
                    &QAbstractItemModel::rowsInserted, [&] {
                        if (!during.isEmpty()) return;
                        during << textOf(w, "lblCounter").left(11);
                        for (const char* button : {"cmdHealth", "cmdTestSingledet", "cmdBrowse"})
                            during << QString::number(isEnabled(w, button));
                        during << QString::number(!control(w, "ProgressBar1")->isHidden());
                    });
        click(w, "cmdHealth");
        disconnect(firstLines);
        QCOMPARE(during, (QStringList{"Processing ", "0", "0", "0", "1"}));
        QCOMPARE(textOf(w, "lblCounter"), QStringLiteral("Processing Done"));
        QVERIFY(control(w, "ProgressBar1")->isHidden());
        for (const char* on : {"cmdHealth", "cmdTestSingledet", "cmdBrowse", "cmdShowreport"})
            QVERIFY2(isEnabled(w, on), on);
        QVERIFY(!isEnabled(w, "cmdShowsingleReport"));
        QVERIFY(!linesOf(w, "lstBaddetect").isEmpty() && !linesOf(w, "lstSuspdetect").isEmpty());
        QCOMPARE(readFile(f.file("Diagnostic_Report.txt")), f.cliWrites("health", {}));
        QCOMPARE(textOf(w, "lblOutcome"), countsIn(readFile(f.file("Diagnostic_Report.txt")), 0));

        // A second run starts from empty lists: they end the same, not doubled.
        QStringList first = linesOf(w, "lstBaddetect");
        click(w, "cmdHealth");
        QCOMPARE(linesOf(w, "lstBaddetect"), first);
        QVERIFY(f.dialogs.messages.empty());
    }

    // A refused run changes nothing; a single test keeps the lists; a report that cannot be
    // written is named, after complete lists.
    void refusedRunSingleTestAndUnwritableReport() {
        DayFixture f(kTabHealthTest);
        frmTrafficExtrac& w = f.w();
        const char* spikeBox = kHealthParameters[kOccSpikeTh].textBox.data();
        click(w, "cmdHealth");
        const QStringList listed = linesOf(w, "lstBaddetect");
        openTab(w, kTabHealthParam);
        typeInto(w, spikeBox, QStringLiteral("high"));
        openTab(w, kTabHealthTest);
        click(w, "cmdHealth");
        QCOMPARE(f.dialogs.messages.size(), size_t{1});
        for (const char* named : {"Occ Spike Height", "\"Restore Factory Default Parameters\""}) {
            QVERIFY2(f.dialogs.messages[0].text.contains(QString::fromUtf8(named)),
                     qPrintable(f.dialogs.messages[0].text));
        }
        QCOMPARE(linesOf(w, "lstBaddetect"), listed);
        QVERIFY(isEnabled(w, "cmdHealth"));
        openTab(w, kTabHealthParam);
        typeInto(w, spikeBox, QStringLiteral("40"));  // the file's
        openTab(w, kTabHealthTest);
        f.dialogs.messages.clear();

        typeInto(w, "txtChkdetector", QStringLiteral("102"));
        click(w, "cmdTestSingledet");
        QCOMPARE(textOf(w, "lblCounter"), QStringLiteral("Processing Done"));
        QCOMPARE(linesOf(w, "lstBaddetect"), listed);
        QCOMPARE(readFile(f.file("report_single.txt")), f.cliWrites("health", {"--det", "102"}));
        OpenedFiles opened;
        click(w, "cmdShowsingleReport");
        click(w, "cmdShowreport");
        QCOMPARE(opened.paths,
                 (QStringList{f.qfile("report_single.txt"), f.qfile("Diagnostic_Report.txt")}));
        QVERIFY(f.dialogs.messages.empty());

        QFile::remove(f.qfile("Diagnostic_Report.txt"));
        QDir().mkpath(f.qfile("Diagnostic_Report.txt"));
        click(w, "cmdHealth");
        QCOMPARE(f.dialogs.messages.size(), size_t{1});
        QVERIFY(f.dialogs.messages[0].text.contains(f.qfile("Diagnostic_Report.txt")));
        QCOMPARE(linesOf(w, "lstBaddetect"), listed);
    }

    // A single test's outcome beside "Processing Done", with 100 to 101 excluded: a listed
    // detector's list line, a good detector, an excluded one and one the archive lacks. A run
    // over all detectors counts the excluded ones too.
    void singleTestShowsTheOutcome() {
        DayFixture f(kTabHealthTest);
        frmTrafficExtrac& w = f.w();
        click(w, "cmdHealth");
        const QStringList listed = linesOf(w, "lstBaddetect") + linesOf(w, "lstSuspdetect");
        QString good;  // the first tested detector that no list names
        for (int n = 102; good.isEmpty(); ++n) {
            if (listed.filter(QRegularExpression(QStringLiteral("^%1,").arg(n))).isEmpty())
                good = QString::number(n);
        }
        openTab(w, kTabHealthParam);
        typeInto(w, "txtDetNoFrom", QStringLiteral("100"));
        typeInto(w, "txtDetNoTo", QStringLiteral("101"));
        openTab(w, kTabHealthTest);
        const std::pair<QString, QString> singles[] = {
            {listed.back().section(QLatin1Char(','), 0, 0), listed.back()},  // outside the range
            {good, good + QStringLiteral(": Good Detector")},
            {"101", "101: Excluded from testing (100 <= Detector # <= 101)"},
            {"9999", "9999, (no occ data)"},
        };
        for (const auto& [det, shown] : singles) {
            typeInto(w, "txtChkdetector", det);
            click(w, "cmdTestSingledet");
            QCOMPARE(textOf(w, "lblCounter"), QStringLiteral("Processing Done"));
            QCOMPARE(textOf(w, "lblOutcome"), shown);
        }
        click(w, "cmdHealth");
        QCOMPARE(textOf(w, "lblOutcome"), countsIn(readFile(f.file("Diagnostic_Report.txt")), 2));
    }

    void windowAnswersDuringAJobAndClosingEndsIt_data() { addRows(kJobs); }

    // A click on another tab is served while a job runs, before its end reaches the window;
    // closing the window mid-job ends the job and leaves no thread of it behind.
    void windowAnswersDuringAJobAndClosingEndsIt() {
        const JobCase& c = currentRow(kJobs);
        DayFixture f(c.tab);
        frmTrafficExtrac& w = f.w();
        typeInto(w, "txtDetIDs", QStringLiteral("100,101,102"));
        openTab(w, c.tab);
        clickNow(w, c.button);
        QVERIFY(w.busy() && !isEnabled(w, c.button));
        openTabNow(w, kTabFile);
        QCOMPARE(control<QTabWidget>(w, "SSTab1")->currentIndex(), int{kTabFile});
        QVERIFY(w.busy());
        QVERIFY(waitForJobs(w));
        QVERIFY(QFile::exists(f.qfile(c.writes)));
        QFile::remove(f.qfile(c.writes));

        const int threads = threadCount();
        clickNow(w, c.button);
        w.close();
        QVERIFY(!w.busy());
        QCOMPARE(threadCount(), threads);
        QVERIFY(QFile::exists(f.qfile("Log.txt")));
        QVERIFY(!f.w().findChild<HealthTestTab*>()->running());
    }

    void listLineOpensTheDetectorsWholeDay() {
        DayFixture f(kTabHealthTest);
        click(f.w(), "cmdHealth");
        QStringList view = entriesOf(f.w(), "cmbEndTime");
        QString det = linesOf(f.w(), "lstSuspdetect")[0].section(',', 0, 0);
        clickLine(f.w(), "lstSuspdetect", 0);
        click(f.w(), "optScatterPlot");
        clickLine(f.w(), "lstSuspdetect", 0);
        QList<ChartWindow*> charts = chartsOf(f.w());
        QCOMPARE(charts.size(), 2);
        QCOMPARE(charts[0]->windowTitle(), QStringLiteral("Vol/Occ Line Graph: 30 Sec Data"));
        QCOMPARE(charts[1]->windowTitle(), QStringLiteral("Vol/Occ Scatter Graph: 5 min Data"));
        for (ChartWindow* chart : charts) {
            QCOMPARE(chart->chart()->title(), QStringLiteral("Detector: ") + det);
            auto* series = qobject_cast<QXYSeries*>(chart->chart()->series().back());
            QCOMPARE(series->count(), chart == charts[0] ? 2880 : 288);
        }
        QCOMPARE(entriesOf(f.w(), "cmbEndTime"), view);  // its own day
    }
};

QTEST_MAIN(ExportAndHealthTabsTest)
#include "export_and_health_tabs_test.moc"
