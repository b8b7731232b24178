// The chart windows themselves: the editor's colour dialog, the axes' labels and ticks, and the
// saved images.
#include <QColorDialog>
#include <QTimer>
#include <QtTest>

#include "app/charts/chart_editor.h"
#include "app/qt_dialogs.h"
#include "app_test_support.h"

using namespace sorvane;
using namespace sorvane::app;
using namespace sorvane::test;

namespace {

// A line chart of four 5-minute intervals with the given volumes and occupancies.
PlotRequest lineRequest(std::vector<double> volumes, std::vector<double> occupancies) {
    PlotRequest request;
    request.kind = PlotKind::Line;
    request.header = "Detector: 312";
    request.caption = "Vol/Occ Line Graph: 5 min Data";
    for (size_t i = 0; i < volumes.size(); ++i) {
        request.series0.push_back({300.0 * static_cast<double>(i), volumes[i]});
        request.series1.push_back({300.0 * static_cast<double>(i), occupancies[i]});
    }
    return request;
}

// What goes while the colour dialog is open: the editor (as the window manager closes it) or
// the whole chart window.
struct GoneCase {
    const char* name;
    bool wholeWindow;
};

const GoneCase kGoneCases[] = {{"editor closed", false}, {"chart window deleted", true}};

}  // namespace

class ChartWindowsTest : public QObject {
    Q_OBJECT
  private slots:
    void colourDialogGoesWithItsEditor_data() { addRows(kGoneCases); }

    void colourDialogGoesWithItsEditor() {
        const GoneCase& c = currentRow(kGoneCases);
        QtDialogs dialogs;  // the real, blocking colour dialog
        QPointer<ChartWindow> chart =
            showPlot(lineRequest({1, 2, 3, 4}, {5, 6, 7, 8}), dialogs, nullptr);
        chart->openEditor();
        QPointer<ChartEditor> editor = chart->findChild<ChartEditor*>();
        QColor before = seriesColor(chart->chart()->series()[0]);
        bool dialogWasOpen = false;
        QTimer::singleShot(0, [&] {
            auto* open = editor->findChild<QColorDialog*>();
            dialogWasOpen = open != nullptr && open->isVisible();
            if (c.wholeWindow) {
                delete chart;
            } else {
                editor->close();  // as the window manager's close button does
            }
        });
        QTest::mouseClick(editor->seriesRows[0].colour, Qt::LeftButton);
        QVERIFY(dialogWasOpen);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(editor.isNull());
        for (QWidget* w : QApplication::topLevelWidgets())
            QVERIFY(!(qobject_cast<QColorDialog*>(w) && w->isVisible()));
        if (!c.wholeWindow) {
            QCOMPARE(seriesColor(chart->chart()->series()[0]), before);
            delete chart;
        }
    }
};

QTEST_MAIN(ChartWindowsTest)
#include "chart_windows_test.moc"
