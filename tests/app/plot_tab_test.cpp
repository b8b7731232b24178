// The "Plot vol/occ" tab: loading a detector, the interval data, the volume total, the plot
// checks and the chart windows the plots open.
#include <QAreaSeries>
#include <QLegendMarker>
#include <QLineSeries>
#include <QtTest>
#include <functional>

#include "app/charts/chart_editor.h"
#include "app_test_support.h"
#include "common/program_texts.h"
#include "plot/plot_input.h"
#include "support/member_builders.h"

using namespace sorvane;
using namespace sorvane::app;
using namespace sorvane::test;

namespace {

// Detector 100 starts its day with volumes 9, 5, 255 (missing in the first hour), 0, 12 and
// then 3 a slot, at an occupancy of 10 % (0 where no vehicle passed); 200 carries 7 vehicles a
// slot at 15 %; 400 lacks its occupancy member. The "Plot vol/occ" tab is open.
struct DayFixture : WindowFixture {
    DayFixture() {
        window().openArchive(QString::fromStdString(makeArchive(
            data(), "day.traffic",
            {volumeMember("100", 3, {9, 5, 255, 0, 12}), occupancyMember("100", 100),
             volumeMember("200", 7), occupancyMember("200", 150), volumeMember("400", 1)})));
        waitForJobs(window());
        openTab(window(), kTabPlot);
    }
    frmTrafficExtrac& w() { return window(); }
};

// What the tab shows of the current detector: selector, first line, line count and span.
QStringList viewOf(frmTrafficExtrac& w) {
    QStringList lines = linesOf(w, "List1");
    return {textOf(w, "cmbDetector"), lines.value(0), QString::number(lines.size()),
            textOf(w, "cmbStartTime"), textOf(w, "cmbEndTime")};
}

int pointsOf(QAbstractSeries* series) {
    if (auto* xy = qobject_cast<QXYSeries*>(series)) return static_cast<int>(xy->count());
    // A histogram draws each bar as four outline points.
    return static_cast<int>(qobject_cast<QAreaSeries*>(series)->upperSeries()->count()) / 4;
}

struct DetectorCase {
    const char* name;
    int picked;  // the entry picked in the selector, or -1 to type
    const char* typed;
    std::string_view message;
    const char* shown;  // the detector the view shows afterwards
};

const DetectorCase kDetectorCases[] = {
    {"picked", 1, "", "", "200"},
    {"typed, half to even", -1, "199.5", "", "200"},
    {"text", -1, "abc", kMsgInvalidDetectorId, "100"},
    // The view and the selector stay on detector 100, so no plot mislabels its data.
    {"picked, member missing", 2, "", kMsgDetectorNotExtracted, "100"},
    {"typed, member missing", -1, "400", kMsgDetectorNotExtracted, "100"},
};

struct SelectionCase {
    const char* name;
    bool firstDetectorFails;  // after the day, an archive whose first detector cannot load
    int start;
    int end;
    std::string_view message;
};

const SelectionCase kSelectionCases[] = {
    {"no detector", true, 0, 1, kMsgSelectDetector},
    {"start after end", false, 6, 5, kMsgSelectSpan},
};

struct PlotCase {
    const char* name;
    const char* caption;
    QList<int> points;  // per series
};

const PlotCase kPlotCases[] = {
    {"cmdScatter", "Vol/Occ Scatter Graph: 30 sec Data", {2880}},
    {"cmdLine", "Vol/Occ Line Graph: 30 sec Data", {2880, 2880}},
    {"cmdHist", "Histogram: 30 sec Data", {31}},
};

}  // namespace

class PlotTabTest : public QObject {
    Q_OBJECT
  private slots:
    void loadingADetector_data() { addRows(kDetectorCases); }

    void loadingADetector() {
        const DetectorCase& c = currentRow(kDetectorCases);
        DayFixture f;
        if (c.picked >= 0) {
            pick(f.w(), "cmbDetector", c.picked);
        } else {
            typeInto(f.w(), "txtDetID", c.typed);
            click(f.w(), "cmdDetExtract");
        }
        QCOMPARE(f.dialogs.texts(),
                 c.message.empty() ? QStringList() : QStringList{toQString(c.message)});
        QCOMPARE(textOf(f.w(), "txtDetID"), c.message == kMsgInvalidDetectorId ? "" : c.typed);
        QVERIFY(isEnabled(f.w(), "cmdDetExtract"));
        QString first =
            c.shown == std::string_view("100") ? "00:00:00: 9,  10.0" : "00:00:00: 7,  15.0";
        QCOMPARE(viewOf(f.w()), (QStringList{c.shown, first, "2880", "00:00:00", "23:59:30"}));
    }

    void recomputeAtTheTypedIntervalAndTotal() {
        DayFixture f;
        typeInto(f.w(), "cmbPlotInterval", QStringLiteral("1 hour"));
        click(f.w(), "cmdRecomp");
        QCOMPARE(viewOf(f.w()),
                 (QStringList{"100", "00:00:00: 371,  9.92", "24", "00:00:00", "23:00:00"}));
        click(f.w(), "cmdHist");
        QCOMPARE(chartsOf(f.w()).size(), 1);
        QCOMPARE(chartsOf(f.w()).back()->windowTitle(), QStringLiteral("Histogram: 1 hour Data"));

        // No such interval: 30 sec, with the missing option in force.
        typeInto(f.w(), "cmbPlotInterval", QStringLiteral("7 min"));
        click(f.w(), "cmdRecomp");
        QCOMPARE(viewOf(f.w()),
                 (QStringList{"100", "00:00:00: 9,  10.0", "2880", "00:00:00", "23:59:30"}));
        QCOMPARE(linesOf(f.w(), "List1")[2], QStringLiteral("00:01:00: 0,  0.0"));
        click(f.w(), "optNeg");
        click(f.w(), "cmdRecomp");
        QCOMPARE(linesOf(f.w(), "List1")[2], QStringLiteral("00:01:00: -1,  0.0"));

        pick(f.w(), "cmbStartTime", 1);  // intervals 5, -1, 0 and 12
        pick(f.w(), "cmbEndTime", 4);
        click(f.w(), "btnTotal");
        QCOMPARE(textOf(f.w(), "txtVolTot"), QStringLiteral("17"));
        pick(f.w(), "cmbEndTime", 1);
        click(f.w(), "btnTotal");
        QCOMPARE(f.dialogs.texts(), QStringList{toQString(kMsgSelectSpan)});

        // A total never stands beside another span, other interval data or another detector.
        const std::function<void()> changes[] = {
            [&] { pick(f.w(), "cmbEndTime", 1); },
            [&] { pick(f.w(), "cmbStartTime", 2); },
            [&] { click(f.w(), "cmdRecomp"); },
            [&] { pick(f.w(), "cmbDetector", 1); },
        };
        for (const std::function<void()>& change : changes) {
            QCOMPARE(textOf(f.w(), "txtVolTot"), QString());
            pick(f.w(), "cmbStartTime", 0);
            pick(f.w(), "cmbEndTime", 4);
            click(f.w(), "btnTotal");
            QVERIFY(!textOf(f.w(), "txtVolTot").isEmpty());
            change();
        }
        QCOMPARE(textOf(f.w(), "txtVolTot"), QString());
    }

    void plotsAndTotalCheckTheSelection_data() { addRows(kSelectionCases); }

    void plotsAndTotalCheckTheSelection() {
        auto [name, firstDetectorFails, start, end, message] = currentRow(kSelectionCases);
        DayFixture f;
        if (firstDetectorFails) {  // the previous archive's detector leaves the view
            f.w().openArchive(
                QString::fromStdString(makeArchive(f.data(), "b.traffic", {volumeMember("7", 1)})));
            waitForJobs(f.w());
            QCOMPARE(linesOf(f.w(), "List1").size(), 0);
            click(f.w(), "cmdRecomp");  // no day: nothing to compute
            QCOMPARE(entriesOf(f.w(), "cmbEndTime").size(), 0);
        }
        f.dialogs.messages.clear();
        pick(f.w(), "cmbStartTime", start);
        pick(f.w(), "cmbEndTime", end);
        for (const char* button : {"cmdScatter", "cmdLine", "cmdHist", "btnTotal"})
            click(f.w(), button);
        QCOMPARE(f.dialogs.texts(), QStringList(4, toQString(message)));
        QVERIFY(chartsOf(f.w()).isEmpty());
        QCOMPARE(textOf(f.w(), "txtVolTot"), QString());
    }

    void eachPlotOpensANewWindow_data() { addRows(kPlotCases); }

    void eachPlotOpensANewWindow() {
        auto [button, caption, points] = currentRow(kPlotCases);
        DayFixture f;
        click(f.w(), button);
        click(f.w(), button);
        QList<ChartWindow*> charts = chartsOf(f.w());
        QCOMPARE(charts.size(), 2);
        for (ChartWindow* chart : charts) {
            QCOMPARE(chart->windowTitle(), QString(caption));
            QCOMPARE(chart->chart()->title(), QStringLiteral("Detector: 100"));
            QList<int> counted;
            for (QAbstractSeries* series : chart->chart()->series())
                counted.append(pointsOf(series));
            QCOMPARE(counted, points);
            if (std::string_view(button) == "cmdScatter") {
                // The squares at occupancy 0 and at volume 0 are drawn whole.
                for (QAbstractAxis* axis : chart->chart()->axes())
                    QVERIFY(axisRange(axis).first < 0);
            }
            chart->resize(QSize(200, 150));
            QApplication::processEvents();
            QCOMPARE(chart->TChart1->geometry(), chart->rect());
        }
        f.w().close();
        QVERIFY(chartsOf(f.w()).isEmpty());
    }

    void chartEditorLegendZoomAndImage() {
        DayFixture f;
        click(f.w(), "cmdLine");
        ChartWindow* chart = chartsOf(f.w()).back();
        QChart* c = chart->chart();
        auto unzoomed = axisRange(c->axes().front());
        QTest::mouseDClick(chart->TChart1->viewport(), Qt::LeftButton);
        QCOMPARE(axisRange(c->axes().front()), unzoomed);  // clicks do not zoom
        auto* editor = chart->findChild<ChartEditor*>();
        QVERIFY(editor != nullptr && editor->isVisible());

        typeInto(*editor, "txtTitle", QStringLiteral("Lane 1"));
        ChartEditor::AxisRow& left = editor->axisRows[1];
        left.title->setText(QStringLiteral("Vehicles"));
        left.automatic->setChecked(false);
        setBoundValue(left.from, 50);
        setBoundValue(left.to, 10);
        QVERIFY(!editor->apply());  // a range must run upward; nothing changes
        QCOMPARE(c->title(), QStringLiteral("Detector: 100"));
        setBoundValue(left.to, 80);
        f.dialogs.colours.push_back(QColor(Qt::blue));
        editor->seriesRows[0].colour->click();
        editor->seriesRows[1].visible->setChecked(false);
        editor->accept();
        QCOMPARE(c->title(), QStringLiteral("Lane 1"));
        QCOMPARE(left.axis->titleText(), QStringLiteral("Vehicles"));
        QCOMPARE(axisRange(left.axis), (std::pair{50.0, 80.0}));
        QCOMPARE(seriesColor(c->series()[0]), QColor(Qt::blue));
        QVERIFY(!c->series()[1]->isVisible());

        // The legend entry switches the line on again; zoom goes back to where it started.
        emit c->legend()->markers()[1]->clicked();
        QVERIFY(c->series()[1]->isVisible());
        c->zoomIn(QRectF(100, 50, 100, 100));
        QVERIFY(axisRange(c->axes().front()) != unzoomed);
        chart->resetZoom();
        QCOMPARE(axisRange(c->axes().front()), unzoomed);

        // A drag with the right button pans along the day (and opens no menu).
        QWidget* view = chart->TChart1->viewport();
        QPoint from = view->rect().center();
        QTest::mousePress(view, Qt::RightButton, {}, from);
        QTest::mouseMove(view, from - QPoint(60, 0));
        QTest::mouseRelease(view, Qt::RightButton, {}, from - QPoint(60, 0));
        auto [start, end] = axisRange(c->axes().front());
        QVERIFY(start > unzoomed.first);
        QCOMPARE(qRound64(end - start), qRound64(unzoomed.second - unzoomed.first));

        // The editor's button saves the image as the chart's menu does.
        f.dialogs.answers = {f.qfile("line.png"), f.qfile("no/folder/x.png")};
        chart->openEditor();
        chart->findChild<ChartEditor*>()->cmdSaveImage->click();
        chart->saveImageAs();
        QCOMPARE(QImage(f.qfile("line.png")).size(), chart->TChart1->grab().toImage().size());
        QCOMPARE(f.dialogs.messages.size(), size_t{2});
        QVERIFY(f.dialogs.messages[1].text.contains(QStringLiteral("no/folder/x.png")));
    }
};

QTEST_MAIN(PlotTabTest)
#include "plot_tab_test.moc"
