// The chart windows themselves: the editor's colour dialog, the axes' labels and ticks, and the
// saved images.
#include <QCategoryAxis>
#include <QColorDialog>
#include <QTimer>
#include <QtTest>

#include "app/charts/chart_editor.h"
#include "app/charts/round_ticks.h"
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

struct TickCase {
    const char* name;
    double low;
    double high;
    TickScale scale;
    QStringList labels;
};

const double kHour = 3600e3;
const TickCase kTickCases[] = {
    {"set to -1", -1, 4, TickScale::Number, {"-1", "0", "1", "2", "3", "4"}},
    // Steps that sum to a value a hair off zero still write zero as zero.
    {"tenths", -0.3, 0.7, TickScale::Number, {"-0.2", "0.0", "0.2", "0.4", "0.6"}},
    {"thousands", 0, 23000, TickScale::Number, {"0", "5000", "10000", "15000", "20000"}},
    {"zoomed day",
     timeAxisValue(7.2 * 3600),
     timeAxisValue(8.3 * 3600),
     TickScale::TimeOfDay,
     {"07:15", "07:30", "07:45", "08:00", "08:15"}},
    {"whole day",
     timeAxisValue(0),
     timeAxisValue(0) + 24 * kHour,
     TickScale::TimeOfDay,
     {"00:00", "06:00", "12:00", "18:00", "24:00"}},
};

QStringList labelsOf(const std::vector<Tick>& ticks) {
    QStringList labels;
    for (const Tick& tick : ticks)
        labels.append(tick.label);
    return labels;
}

// The share of an axis' height that lies below zero.
double shareBelowZero(const QAbstractAxis* axis) {
    auto [low, high] = axisRange(axis);
    return -low / (high - low);
}

struct ImageCase {
    const char* name;
    const char* typed;
    const char* saved;
    QByteArray magic;  // the file's first bytes
};

const ImageCase kImageCases[] = {
    {"png", "chart.png", "chart.png", "\x89PNG"},
    {"jpeg", "chart.JPG", "chart.JPG", "\xFF\xD8\xFF"},
    {"bmp", "chart.bmp", "chart.bmp", "BM"},
    {"no extension", "chart", "chart.png", "\x89PNG"},
};

}  // namespace

class ChartWindowsTest : public QObject {
    Q_OBJECT
  private slots:
    void colourDialogGoesWithItsEditor_data() { addRows(kGoneCases); }

    void colourDialogGoesWithItsEditor() {
        const GoneCase& c = currentRow(kGoneCases);
        QtDialogs dialogs;  // the real, blocking colour dialog
        RecentFolders folders;
        QPointer<ChartWindow> chart =
            showPlot(lineRequest({1, 2, 3, 4}, {5, 6, 7, 8}), {dialogs, folders});
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

    void ticksAtRoundValues_data() { addRows(kTickCases); }

    void ticksAtRoundValues() {
        const TickCase& c = currentRow(kTickCases);
        QCOMPARE(labelsOf(roundTicks(c.low, c.high, c.scale, 5)), c.labels);
    }

    // With "Set to -1" both value axes put zero at one height, and a zoom keeps round times.
    void lineChartWithNegatives() {
        ScriptedDialogs dialogs;
        RecentFolders folders;
        std::unique_ptr<ChartWindow> chart(
            showPlot(lineRequest({-1, 40, 130, 85}, {-1, 3, 12.5, 6}), {dialogs, folders}));
        QList<QAbstractAxis*> axes = chart->chart()->axes();
        QCOMPARE(axes.size(), 3);
        QCOMPARE(shareBelowZero(axes[1]), shareBelowZero(axes[2]));
        QVERIFY(shareBelowZero(axes[1]) > 0);
        auto* volume = qobject_cast<QCategoryAxis*>(axes[1]);
        QVERIFY(volume->categoriesLabels().contains(QStringLiteral("0")));
        setAxisRange(axes[0], timeAxisValue(310), timeAxisValue(830));
        QCOMPARE(qobject_cast<QCategoryAxis*>(axes[0])->categoriesLabels(),
                 (QStringList{"00:06", "00:08", "00:10", "00:12"}));
    }

    void saveImageWritesTheFormatItsNameSays_data() { addRows(kImageCases); }

    void saveImageWritesTheFormatItsNameSays() {
        const ImageCase& c = currentRow(kImageCases);
        TempDir folder;
        ScriptedDialogs dialogs;
        RecentFolders folders;
        std::unique_ptr<ChartWindow> chart(
            showPlot(lineRequest({1, 2, 3, 4}, {5, 6, 7, 8}), {dialogs, folders}));
        QString typed = QString::fromStdString(folder.file(c.typed));
        dialogs.answers = {typed, std::nullopt};
        chart->saveImageAs();
        chart->saveImageAs();  // the next one opens where the last went
        QFile saved(QString::fromStdString(folder.file(c.saved)));
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.read(c.magic.size()), c.magic);
        QCOMPARE(dialogs.requests[0].initialName, QStringLiteral("det-312-line-5min.png"));
        QCOMPARE(QDir(dialogs.requests[1].folder), QDir(QString::fromStdString(folder.path())));
        QVERIFY(dialogs.messages.empty());
    }
};

QTEST_MAIN(ChartWindowsTest)
#include "chart_windows_test.moc"
