// The "Det Health Test" tab: runs over all detectors and one, their progress and buttons, the
// reports (the same bytes as sorvane-cli health), refused input and the plots of listed lines.
#include "app/health_test_tab.h"

#include <QDesktopServices>
#include <QXYSeries>
#include <QtTest>

#include "app/file_tab.h"
#include "app/health_param_tab.h"
#include "app/plot_tab.h"
#include "app_test_support.h"

using namespace sorvane;
using namespace sorvane::app;
using sorvane::test::WindowFixture;

namespace {

constexpr int kDetectors = 40;

// A window with a generated day loaded and the factory parameters in their boxes (and file).
struct HealthFixture : WindowFixture {
    HealthFixture() : archive(test::makeSyntheticArchive(data(), kDetectors)) {
        window().openArchive(QString::fromStdString(archive));
        window().paramTab->cmdSetFactoryDefault->click();
        dialogs.messages.clear();
    }
    HealthTestTab& tab() { return *window().testTab; }
    // The report sorvane-cli writes for the archive with the same parameters.
    std::string cliReport(const std::vector<std::string>& extra) const {
        std::vector<std::string> args{
            SORVANE_CLI,           "health", archive, "--settings", file("ParamSettings.ini"), "-o",
            data().file("cli.txt")};
        args.insert(args.end(), extra.begin(), extra.end());
        test::CommandResult run = test::runCommand(args);
        return run.exitCode == 0 ? test::readFile(data().file("cli.txt")) : run.err;
    }
    std::string archive;
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

class HealthTestTabTest : public QObject {
    Q_OBJECT
  private slots:
    void runOverAllDetectors() {
        HealthFixture f;
        HealthTestTab& tab = f.tab();
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
        QCOMPARE(test::readFile(f.file("Diagnostic_Report.txt")), f.cliReport({}));

        // A second run starts from empty lists: they end the same, not doubled.
        QStringList first = test::linesOf(tab.lstBaddetect);
        tab.cmdHealth->click();
        QCOMPARE(test::linesOf(tab.lstBaddetect), first);
        QVERIFY(f.dialogs.messages.empty());
    }

    void singleDetectorTest_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("counter");
        // The counter shows the detector number plus one; a refused text runs nothing.
        QTest::newRow("in the archive") << "102"
                                        << "Processing 103 of 40 Detectors";
        QTest::newRow("not in the archive") << "9999"
                                            << "Processing 10000 of 40 Detectors";
        QTest::newRow("refused") << "abc"
                                 << "";
    }

    void singleDetectorTest() {
        QFETCH(QString, typed);
        QFETCH(QString, counter);
        HealthFixture f;
        f.tab().lstBaddetect->addItem(QStringLiteral("1, kept"));
        f.tab().txtChkdetector->setText(typed);
        QString during;
        QTimer::singleShot(0, [&] { during = f.tab().lblCounter->text(); });
        f.tab().cmdTestSingledet->click();
        QCoreApplication::processEvents();  // the timer of a refused test
        QCOMPARE(during, counter);
        QCOMPARE(test::linesOf(f.tab().lstBaddetect), QStringList{"1, kept"});
        QCOMPARE(f.tab().cmdShowsingleReport->isEnabled(), !counter.isEmpty());
        if (counter.isEmpty()) {
            QCOMPARE(f.dialogs.texts(), QStringList{"Detector no. is not valid"});
            QVERIFY(!QFile::exists(f.qfile("report_single.txt")));
            return;
        }
        QCOMPARE(f.tab().lblCounter->text(), QStringLiteral("Processing Done"));
        QCOMPARE(test::readFile(f.file("report_single.txt")),
                 f.cliReport({"--det", typed.toStdString()}));
        OpenedFiles opened;
        f.tab().cmdShowsingleReport->click();
        QCOMPARE(opened.paths, QStringList{f.qfile("report_single.txt")});
        QVERIFY(f.dialogs.messages.empty());
    }

    void badParameterOrReportStopsWithAMessage() {
        HealthFixture f;
        f.tab().lstBaddetect->addItem(QStringLiteral("1, kept"));
        f.window().paramTab->box(kOccSpikeTh)->setText(QStringLiteral("high"));
        f.tab().cmdHealth->click();
        QCOMPARE(f.dialogs.messages.size(), size_t{1});
        QVERIFY2(f.dialogs.messages[0].text.contains(QStringLiteral("Occ Spike Height")),
                 qPrintable(f.dialogs.messages[0].text));
        QCOMPARE(test::linesOf(f.tab().lstBaddetect), QStringList{"1, kept"});
        QVERIFY(f.tab().cmdHealth->isEnabled());

        // A report that cannot be written: the message names it, the lists are complete.
        f.window().paramTab->box(kOccSpikeTh)->setText(QStringLiteral("40"));
        QDir().mkpath(f.qfile("Diagnostic_Report.txt"));
        f.tab().cmdHealth->click();
        QCOMPARE(f.dialogs.messages.size(), size_t{2});
        QVERIFY(f.dialogs.messages[1].text.contains(f.qfile("Diagnostic_Report.txt")));
        QVERIFY(f.tab().lstBaddetect->count() > 1 && !f.tab().cmdShowreport->isEnabled());
    }

    void closingTheWindowEndsARun() {
        HealthFixture f;
        f.window().show();
        QTimer::singleShot(0, &f.window(), &QWidget::close);
        f.tab().cmdHealth->click();
        QVERIFY(!f.window().isVisible());
        QVERIFY(QFile::exists(f.qfile("Log.txt")));
        QVERIFY(!QFile::exists(f.qfile("Diagnostic_Report.txt")));
        QVERIFY(!f.tab().running() && f.tab().cmdHealth->isEnabled());
    }

    void listLineOpensTheDetectorsWholeDay() {
        HealthFixture f;
        f.tab().cmdHealth->click();
        QStringList view = test::entriesOf(f.window().plotTab->cmbEndTime);
        QListWidgetItem* line = f.tab().lstSuspdetect->item(0);
        QString det = line->text().section(',', 0, 0);
        emit f.tab().lstSuspdetect->itemClicked(line);
        f.tab().optScatterPlot->setChecked(true);
        emit f.tab().lstSuspdetect->itemClicked(line);
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

QTEST_MAIN(HealthTestTabTest)
#include "health_test_tab_test.moc"
