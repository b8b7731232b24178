// The history window's calendar, day panel and network: dates the ledger lacks as hatched
// columns, the From/To presets and the ledger's dates in their calendars; a date's verdict as
// `sorvane-cli history day` gives it; rows by corridor and station, abandoned detectors hidden.
#include <QCalendarWidget>
#include <QComboBox>
#include <QDateEdit>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTreeWidget>
#include <QtTest>

#include "app/history/day_panel.h"
#include "app/history/history_grid_view.h"
#include "app/history/verdict_colors.h"
#include "app_test_support.h"

using namespace sorvane;
using namespace sorvane::app;

namespace {

// Four days with gaps between (2024-02-20, 03-01, 03-02 a Saturday, 03-05) of detectors 101 to
// 106, and an inventory: 101 and 102 at station S1 (milepost 5), 103 and 104 (abandoned) at S2
// (milepost 2) on "US 10 E", 105 on "MN 36 W"; 106 is not in it. The archive of 03-01 is there.
struct CalendarFixture : test::HistoryFixture {
    CalendarFixture() {
        std::string archive =
            makeDetectorArchive(data(), "20240301.traffic", {101, 102, 103, 104, 105, 106})
                .toStdString();
        history::LedgerStore store(ledger, history::LedgerStore::Access::Add);
        for (std::string date : {"2024-02-20", "2024-03-01", "2024-03-02", "2024-03-05"}) {
            history::DayRecord day{date, archive, 6, "", "", {}, {}};
            for (int16_t det = 101; det <= 106; ++det) {
                // 101 bad throughout, 103 bad from 03-02 on, 105 bad on 03-02 alone.
                history::DetectorDayRecord r =
                    test::verdictRow(date, det,
                                     det == 101 || (det == 103 && date >= "2024-03-02") ||
                                         (det == 105 && date == "2024-03-02"));
                r.measures = modBaddet::HealthMeasures{};
                day.rows.push_back(r);
            }
            store.writeDay(day);
        }
        store.writeInventory("0001-01-01",
                             history::inventoryFromCsv("detector,station,lane,lane_type,corridor,"
                                                       "milepost,label,abandoned\n"
                                                       "101,S1,1,mainline,US 10 E,5,EB 1,\n"
                                                       "102,S1,2,mainline,US 10 E,5,EB 2,\n"
                                                       "103,S2,1,mainline,US 10 E,2,EB 1,\n"
                                                       "104,S2,2,mainline,US 10 E,2,EB 2,true\n"
                                                       "105,S9,1,merge,MN 36 W,,On,\n",
                                                       "inventory.csv"));
    }
};

// The middle of a date's label in the header above the picture.
QPoint dateLabel(HistoryGridView& view, int column) {
    return {column * view.cellSize() + view.cellSize() / 2,
            test::control<QWidget>(view, "datesHeader")->height() / 2};
}

}  // namespace

class HistoryCalendarTest : public QObject {
    Q_OBJECT
  private slots:
    void theCalendarTheNetworkAndADatesVerdict() {
        CalendarFixture f;
        HistoryWindow& h = f.openHistory();
        auto& view = *test::control<HistoryGridView>(h, "historyGrid");
        QCOMPARE(view.calendar().dates.size(), size_t{15});  // 2024-02-20 to 2024-03-05
        QCOMPARE(view.calendar().gridColumns[10], 1);        // 2024-03-01
        QCOMPARE(view.gridColumnOf(11), 2);
        QCOMPARE(view.gridColumnOf(12), -1);
        QVERIFY(history::isWeekend("2024-03-02") && !history::isWeekend("2024-03-01"));
        QCOMPARE(test::toolTipAt(view.viewport(), view.cellRect(101, 12).center()),
                 QStringLiteral("Date: 2024-03-03\nDetector: 101\nnot in the ledger"));
        auto* dates = test::control<QWidget>(h, "datesHeader");
        QCOMPARE(test::toolTipAt(dates, dateLabel(view, 13)),
                 QStringLiteral("2024-03-04\nnot in the ledger"));
        // A gap's cells are hatched, never a verdict's colour.
        const QImage& tile = view.tiles().tile(0, 0);
        QSet<QRgb> gap;
        for (int x = 12 * view.cellSize(); x < 13 * view.cellSize() - 1; ++x)
            gap.insert(tile.pixel(x, 5));
        QCOMPARE(gap, (QSet<QRgb>{kMissingDateColor, kHatchColor}));

        // The calendars mark the ledger's dates.
        QCalendarWidget* popup = test::control<QDateEdit>(h, "fromDate")->calendarWidget();
        QCOMPARE(popup->dateTextFormat(QDate(2024, 3, 2)).fontWeight(), int{QFont::Bold});
        QCOMPARE(popup->dateTextFormat(QDate(2024, 3, 3)).fontWeight(), int{QFont::Normal});

        struct Preset {
            int index;
            QDate from;
            size_t columns;
        };
        for (Preset p : {Preset{1, QDate(2024, 2, 28), 7}, Preset{0, QDate(2024, 2, 20), 15}}) {
            QSignalSpy read(&h, &HistoryWindow::refreshed);
            test::pick(h, "datePreset", p.index);
            QVERIFY(read.wait(10000));
            QCOMPARE(test::control<QDateEdit>(h, "fromDate")->date(), p.from);
            QCOMPARE(test::control<QDateEdit>(h, "toDate")->date(), QDate(2024, 3, 5));
            QCOMPARE(view.calendar().dates.size(), p.columns);
            QCOMPARE(test::control<QComboBox>(h, "datePreset")->currentIndex(), p.index);
        }

        // Rows by corridor and station; the abandoned hidden until asked for.
        QVERIFY(view.cellRect(104, 0).isEmpty());  // abandoned: hidden in every order
        test::click(h, "networkOrderOption");
        // MN 36 W, S9: 105; US 10 E, S2 (milepost 2): 103, S1 (milepost 5): 101, 102; then 106,
        // not in the inventory; each group under its heading.
        auto rowOf = [&](int16_t det) { return view.cellRect(det, 0).top() / view.cellSize(); };
        QCOMPARE((QList<int>{rowOf(105), rowOf(103), rowOf(101), rowOf(102), rowOf(106)}),
                 (QList<int>{2, 5, 7, 8, 10}));
        QCOMPARE(view.tiles().rows(), 11);
        test::click(h, "abandonedCheck");
        QCOMPARE(rowOf(104), 6);
        QVERIFY(test::toolTipAt(view.viewport(), view.cellRect(105, 0).center())
                    .endsWith(QStringLiteral("\nStation: S9\nLane: 1\nLane type: merge\n"
                                             "Corridor: MN 36 W\nLabel: On")));

        // A date's verdict, as the command line gives it; its faults open their charts.
        auto& panel = *test::control<DayPanel>(h, "dayPanel");
        QVERIFY(panel.isHidden());
        QSignalSpy shown(&panel, &DayPanel::verdictShown);
        QTest::mouseClick(dates, Qt::LeftButton, {}, dateLabel(view, 11));  // 2024-03-02
        QVERIFY(shown.wait(10000));
        QVERIFY(panel.isVisible());
        QCOMPARE(test::control<QPlainTextEdit>(h, "dayVerdictText")->toPlainText().toStdString(),
                 f.cli({"day", "2024-03-02"}));
        QCOMPARE(test::textOf(h, "dayOutagesLabel"),
                 QStringLiteral("No feed outage\nNo station or controller outage"));
        QCOMPARE(test::textOf(h, "dayCountsLabel"),
                 QStringLiteral("Owed to feed outages: 0\nOwed to station and controller "
                                "outages: 0\nOwed to the detectors: 3"));
        // New today first; each with its place in the network.
        auto* faults = test::control<QTreeWidget>(h, "dayFaultsList");
        QCOMPARE(test::rowsOf(faults),
                 (QStringList{"103, High, missing, new today, S2, 1, mainline, US 10 E, EB 1",
                              "105, High, missing, new today, S9, 1, merge, MN 36 W, On",
                              "101, High, missing, 2024-02-20, S1, 1, mainline, US 10 E, EB 1"}));

        QTest::mouseClick(faults->viewport(), Qt::LeftButton, {},
                          faults->visualItemRect(faults->topLevelItem(0)).center());
        QTRY_COMPARE(test::chartsOf(f.window()).size(), 1);
        QCOMPARE(test::chartsOf(f.window())[0]->chart()->title(), QStringLiteral("Detector: 103"));

        QTest::mouseClick(dates, Qt::LeftButton, {}, dateLabel(view, 12));  // 2024-03-03, a gap
        QTRY_COMPARE(test::textOf(h, "dayCountsLabel"), QStringLiteral("Not in the ledger."));
        test::click(h, "closeDayPanelButton");
        QVERIFY(panel.isHidden());
        // The keyboard: End, three Lefts and Enter open 2024-03-02 again.
        dates->setFocus();
        for (int key : {Qt::Key_End, Qt::Key_Left, Qt::Key_Left, Qt::Key_Left, Qt::Key_Return})
            QTest::keyClick(dates, static_cast<Qt::Key>(key));
        QVERIFY(shown.wait(10000));
        QCOMPARE(panel.date(), std::string("2024-03-02"));
    }
};

QTEST_MAIN(HistoryCalendarTest)
#include "history_calendar_test.moc"
