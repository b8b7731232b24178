// The "Plot vol/occ" tab: loading a detector, the interval data, the volume total, the plot
// checks and the chart windows the plots open.
#include "app/plot_tab.h"

#include <QAreaSeries>
#include <QLegendMarker>
#include <QLineSeries>
#include <QScatterSeries>
#include <QValueAxis>
#include <QtTest>

#include "app_test_support.h"
#include "export/detector_view.h"
#include "plot/chart_editor.h"
#include "plot/plot_input.h"
#include "support/member_builders.h"

using namespace sorvane;
using namespace sorvane::app;
using sorvane::test::WindowFixture;

namespace {

// Detector 100 starts its day with volumes 9, 5, 255 (missing in the first hour), 0, 12 and
// then 3 a slot, at an occupancy of 10 % (0 where no vehicle passed); 200 and 300 carry 7 and 9
// vehicles a slot; 400 lacks its occupancy member.
QString loadDay(WindowFixture& f, const std::string& name = "day.traffic") {
    static test::TempDir data;
    std::string archive =
        test::makeArchive(data, name,
                          {test::volumeMember("100", 3, {9, 5, 255, 0, 12}),
                           test::occupancyMember("100", 100), test::volumeMember("200", 7),
                           test::occupancyMember("200", 150), test::volumeMember("300", 9),
                           test::occupancyMember("300", 200), test::volumeMember("400", 1)});
    f.window().openArchive(QString::fromStdString(archive));
    return QString::fromStdString(archive);
}

QStringList linesOf(const QListWidget* list) {
    QStringList lines;
    for (int i = 0; i < list->count(); ++i)
        lines.append(list->item(i)->text());
    return lines;
}

// Everything the tab shows of the current detector.
QStringList viewOf(const PlotTab& tab) {
    return linesOf(tab.List1) << tab.cmbDetector->currentText() << tab.cmbStartTime->currentText()
                              << tab.cmbEndTime->currentText()
                              << test::entriesOf(tab.cmbEndTime).join(QLatin1Char(' '));
}

int pointsOf(QAbstractSeries* series) {
    if (auto* xy = qobject_cast<QXYSeries*>(series)) return static_cast<int>(xy->count());
    // A histogram draws each bar as four outline points.
    return static_cast<int>(qobject_cast<QAreaSeries*>(series)->upperSeries()->count()) / 4;
}

}  // namespace

class PlotTabTest : public QObject {
    Q_OBJECT
  public:
    static void initMain() { QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs); }

  private slots:
    void selectingAndExtractingShowTheSameDetector() {
        WindowFixture f;
        loadDay(f);
        PlotTab& tab = *f.window().plotTab;
        test::pick(tab.cmbDetector, 1);
        QStringList selected = viewOf(tab);
        QCOMPARE(selected.first(), QStringLiteral("00:00:00: 7,  15.0"));

        test::pick(tab.cmbDetector, 2);
        tab.txtDetID->setText(QStringLiteral("199.5"));  // halves go to the even neighbour
        tab.cmdDetExtract->click();
        QCOMPARE(viewOf(tab), selected);
        QVERIFY(tab.cmdDetExtract->isEnabled());
        QVERIFY(f.dialogs.messages.empty());
    }

    void extractRefusesWhatNamesNoDetector_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("cleared");
        const QString invalid = QStringLiteral("You must enter a valid detector ID number.");
        QTest::newRow("empty") << "" << invalid << true;
        QTest::newRow("text") << "abc" << invalid << true;
        QTest::newRow("above 16 bits") << "40000" << invalid << true;
        QTest::newRow("below 16 bits") << "-32769" << invalid << true;
        QTest::newRow("not in the archive")
            << "999"
            << "Detector ID=999 does not exist in the data." << false;
    }

    void extractRefusesWhatNamesNoDetector() {
        QFETCH(QString, typed);
        QFETCH(QString, message);
        QFETCH(bool, cleared);
        WindowFixture f;
        loadDay(f);
        PlotTab& tab = *f.window().plotTab;
        QStringList before = viewOf(tab);
        tab.txtDetID->setText(typed);
        tab.cmdDetExtract->click();
        QCOMPARE(f.dialogs.texts(), QStringList{message});
        QCOMPARE(tab.txtDetID->text(), cleared ? QString() : typed);
        QCOMPARE(viewOf(tab), before);
        QVERIFY(tab.cmdDetExtract->isEnabled());
    }

    void failedExtractionKeepsTheViewAndItsDetector() {
        WindowFixture f;
        loadDay(f);
        PlotTab& tab = *f.window().plotTab;
        QStringList before = viewOf(tab);
        const QString failed = toQString(kMsgDetectorNotExtracted);
        test::pick(tab.cmbDetector, 3);
        tab.txtDetID->setText(QStringLiteral("400"));
        tab.cmdDetExtract->click();
        QCOMPARE(f.dialogs.texts(), (QStringList{failed, failed}));
        QCOMPARE(viewOf(tab), before);  // the selector is back on detector 100 as well
        tab.cmdScatter->click();
        QCOMPARE(test::chartsOf(f.window()).back()->chart()->title(),
                 QStringLiteral("Detector: 100"));
    }

    void newArchiveWithoutItsFirstDetectorShowsNothing() {
        WindowFixture f;
        loadDay(f);
        test::TempDir data;
        f.window().openArchive(QString::fromStdString(
            test::makeArchive(data, "b.traffic", {test::volumeMember("7", 1)})));
        PlotTab& tab = *f.window().plotTab;
        QCOMPARE(tab.List1->count(), 0);
        tab.cmdRecomp->click();  // no day: nothing to compute
        QCOMPARE(tab.cmbEndTime->count(), 0);
        tab.cmdLine->click();
        QCOMPARE(f.dialogs.texts().back(), toQString(kMsgSelectDetector));
    }

    void computeAggregatesAtThePlotInterval_data() {
        QTest::addColumn<QString>("interval");
        QTest::addColumn<int>("lines");
        QTest::addColumn<QString>("lastStart");
        QTest::addColumn<QString>("firstLine");
        QTest::newRow("30 sec") << "30 sec" << 2880 << "23:59:30"
                                << "00:00:00: 9,  10.0";
        QTest::newRow("5 min") << "5 min" << 288 << "23:55:00"
                               << "00:00:00: 41,  8.89";
        QTest::newRow("1 hour") << "1 hour" << 24 << "23:00:00"
                                << "00:00:00: 371,  9.92";
        QTest::newRow("typed") << "7 min" << 2880 << "23:59:30"
                               << "00:00:00: 9,  10.0";
    }

    void computeAggregatesAtThePlotInterval() {
        QFETCH(QString, interval);
        QFETCH(int, lines);
        QFETCH(QString, lastStart);
        QFETCH(QString, firstLine);
        WindowFixture f;
        loadDay(f);
        PlotTab& tab = *f.window().plotTab;
        tab.cmbPlotInterval->setEditText(interval);
        tab.cmdRecomp->click();
        QCOMPARE(tab.List1->count(), lines);
        QCOMPARE(tab.List1->item(0)->text(), firstLine);
        QCOMPARE(tab.cmbStartTime->currentIndex(), 0);
        QCOMPARE(tab.cmbEndTime->currentIndex(), lines - 1);
        if (!lastStart.isEmpty()) QCOMPARE(tab.cmbEndTime->currentText(), lastStart);
        tab.cmdHist->click();
        QCOMPARE(test::chartsOf(f.window()).back()->windowTitle(),
                 QStringLiteral("Histogram: ") + interval + QStringLiteral(" Data"));
    }

    void missingOptionsAndTheVolumeTotal() {
        WindowFixture f;
        loadDay(f);
        PlotTab& tab = *f.window().plotTab;
        QCOMPARE(tab.List1->item(2)->text(), QStringLiteral("00:01:00: 0,  0.0"));
        tab.optNeg->setChecked(true);
        tab.cmdRecomp->click();
        QCOMPARE(tab.List1->item(2)->text(), QStringLiteral("00:01:00: -1,  0.0"));

        // Intervals 5, -1, 0 and 12.
        tab.cmbStartTime->setCurrentIndex(1);
        tab.cmbEndTime->setCurrentIndex(4);
        tab.btnTotal->click();
        QCOMPARE(tab.txtVolTot->text(), QStringLiteral("17"));
        tab.cmbEndTime->setCurrentIndex(1);
        tab.btnTotal->click();
        QCOMPARE(tab.txtVolTot->text(), QStringLiteral("17"));
        QCOMPARE(f.dialogs.texts(), QStringList{toQString(kMsgSelectSpan)});
    }

    void plotsAndTotalCheckTheSelection_data() {
        QTest::addColumn<int>("loaded");  // 0: nothing, 1: archive whose first detector fails
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("end");
        QTest::addColumn<QString>("message");
        QTest::newRow("nothing loaded") << 0 << 0 << 1 << toQString(kMsgLoadDetectorsFirst);
        QTest::newRow("no detector") << 1 << 0 << 1 << toQString(kMsgSelectDetector);
        QTest::newRow("start is end") << 2 << 5 << 5 << toQString(kMsgSelectSpan);
        QTest::newRow("start after end") << 2 << 6 << 5 << toQString(kMsgSelectSpan);
        QTest::newRow("no start") << 2 << -1 << 5 << toQString(kMsgSelectSpan);
        QTest::newRow("no end") << 2 << 0 << -1 << toQString(kMsgSelectSpan);
    }

    void plotsAndTotalCheckTheSelection() {
        QFETCH(int, loaded);
        QFETCH(int, start);
        QFETCH(int, end);
        QFETCH(QString, message);
        WindowFixture f;
        test::TempDir data;
        if (loaded == 1) {
            f.window().openArchive(QString::fromStdString(
                test::makeArchive(data, "b.traffic", {test::volumeMember("7", 1)})));
        } else if (loaded == 2) {
            loadDay(f);
        }
        f.dialogs.messages.clear();
        PlotTab& tab = *f.window().plotTab;
        tab.cmbStartTime->setCurrentIndex(start);
        tab.cmbEndTime->setCurrentIndex(end);
        // Called directly: before a load the tab and its buttons are disabled.
        for (auto handler : {&PlotTab::cmdScatter_Click, &PlotTab::cmdLine_Click,
                             &PlotTab::cmdHist_Click, &PlotTab::btnTotal_Click}) {
            (tab.*handler)();
        }
        QCOMPARE(f.dialogs.texts(), QStringList(4, message));
        QVERIFY(test::chartsOf(f.window()).isEmpty());
        QCOMPARE(tab.txtVolTot->text(), QString());
    }

    void eachPlotOpensANewWindow_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QList<int>>("points");  // per series
        QTest::newRow("scatter") << "cmdScatter"
                                 << "frmGraphS"
                                 << "Vol/Occ Scatter Graph: 30 sec Data" << QList<int>{2880};
        QTest::newRow("line") << "cmdLine"
                              << "frmGraphL"
                              << "Vol/Occ Line Graph: 30 sec Data" << QList<int>{2880, 2880};
        QTest::newRow("histogram") << "cmdHist"
                                   << "frmGraphH"
                                   << "Histogram: 30 sec Data" << QList<int>{31};
    }

    void eachPlotOpensANewWindow() {
        QFETCH(QString, button);
        QFETCH(QString, window);
        QFETCH(QString, caption);
        QFETCH(QList<int>, points);
        WindowFixture f;
        loadDay(f);
        auto* plot = f.window().findChild<QPushButton*>(button);
        plot->click();
        plot->click();
        QList<ChartWindow*> charts = test::chartsOf(f.window());
        QCOMPARE(charts.size(), 2);
        QVERIFY(charts[0] != charts[1]);
        for (ChartWindow* chart : charts) {
            QCOMPARE(chart->objectName(), window);
            QCOMPARE(chart->windowTitle(), caption);
            QCOMPARE(chart->chart()->title(), QStringLiteral("Detector: 100"));
            QList<int> counted;
            for (QAbstractSeries* series : chart->chart()->series())
                counted.append(pointsOf(series));
            QCOMPARE(counted, points);
            for (QSize size : {QSize(200, 150), QSize(900, 700)}) {
                chart->resize(size);
                QApplication::processEvents();
                QCOMPARE(chart->TChart1->geometry(), chart->rect());
            }
        }
        f.window().close();
        QVERIFY(test::chartsOf(f.window()).isEmpty());
    }

    void chartEditorChangesTheChart() {
        WindowFixture f;
        loadDay(f);
        f.window().plotTab->cmdLine->click();
        ChartWindow* chart = test::chartsOf(f.window()).back();
        auto unzoomed = axisRange(chart->chart()->axes().front());
        QTest::mouseDClick(chart->TChart1->viewport(), Qt::LeftButton);
        QCOMPARE(axisRange(chart->chart()->axes().front()), unzoomed);  // clicks do not zoom
        auto* editor = chart->findChild<ChartEditor*>();
        QVERIFY(editor != nullptr && editor->isVisible());

        editor->txtTitle->setText(QStringLiteral("Lane 1"));
        ChartEditor::AxisRow& left = editor->axisRows[1];
        left.title->setText(QStringLiteral("Vehicles"));
        left.automatic->setChecked(false);
        setBoundValue(left.from, 50);
        setBoundValue(left.to, 10);
        QVERIFY(!editor->apply());  // a range must run upward
        QCOMPARE(f.dialogs.messages.size(), size_t{1});
        QCOMPARE(chart->chart()->title(), QStringLiteral("Detector: 100"));

        setBoundValue(left.to, 80);
        f.dialogs.colours.push_back(QColor(Qt::blue));
        editor->seriesRows[0].colour->click();
        editor->seriesRows[1].visible->setChecked(false);
        editor->accept();
        QCOMPARE(chart->chart()->title(), QStringLiteral("Lane 1"));
        QCOMPARE(left.axis->titleText(), QStringLiteral("Vehicles"));
        QCOMPARE(axisRange(left.axis), (std::pair{50.0, 80.0}));
        QCOMPARE(seriesColor(chart->chart()->series()[0]), QColor(Qt::blue));
        QVERIFY(!chart->chart()->series()[1]->isVisible());

        // Zoom, then back to the ranges of before.
        auto bottom = axisRange(editor->axisRows[0].axis);
        chart->chart()->zoomIn(QRectF(QPointF(100, 50), QSizeF(100, 100)));
        QVERIFY(axisRange(editor->axisRows[0].axis) != bottom);
        chart->resetZoom();
        QCOMPARE(axisRange(editor->axisRows[0].axis), bottom);
    }

    void chartImageAndLegend() {
        WindowFixture f;
        loadDay(f);
        f.window().plotTab->cmdLine->click();
        f.window().plotTab->cmdHist->click();
        ChartWindow* line = test::chartsOf(f.window())[0];
        ChartWindow* histogram = test::chartsOf(f.window())[1];
        QVERIFY(line->hasEditor() && !histogram->hasEditor());
        histogram->openEditor();
        QVERIFY(histogram->findChild<ChartEditor*>() == nullptr);

        // A legend entry switches its series off and on.
        QLegendMarker* occ = line->chart()->legend()->markers()[1];
        emit occ->clicked();
        QVERIFY(!line->chart()->series()[1]->isVisible() && occ->isVisible());
        emit occ->clicked();
        QVERIFY(line->chart()->series()[1]->isVisible());

        f.dialogs.answers = {f.qfile("line.png"), f.qfile("no/such/folder/x.png")};
        line->saveImageAs();
        QImage saved(f.qfile("line.png"));
        QCOMPARE(saved.size(), line->TChart1->grab().toImage().size());
        line->saveImageAs();
        QCOMPARE(f.dialogs.messages.size(), size_t{1});
        QVERIFY(f.dialogs.messages[0].text.contains(QStringLiteral("no/such/folder/x.png")));
    }
};

QTEST_MAIN(PlotTabTest)
#include "plot_tab_test.moc"
