// The history window's repair list as a work order (its table, filters, keys and CSV files) and
// a detector's days side by side (the days chart with its baseline and the strip of days).
#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QListWidget>
#include <QSignalSpy>
#include <QTableView>
#include <QXYSeries>
#include <QtTest>

#include "app/charts/chart_editor.h"
#include "app/history/day_strip_window.h"
#include "app/history/detector_days_window.h"
#include "app/history/repair_list_panel.h"
#include "app_test_support.h"
#include "history/archive_date.h"

using namespace sorvane;
using namespace sorvane::app;
using modBaddet::DecisionStep;

namespace {

// 29 days from 2024-03-01 of five detectors, each day's volume 1000 over the whole daytime but
// on 201's bad days (200): 201 bad on the last 5 days, 202 on the last 12, 203 on every other
// day, 204 only on the last day, 205 never; 201 has a feed outage on 03-10. The archives of
// 03-28 and 03-29 are there, the others are gone. An inventory places 201 and 202.
struct RepairsFixture : test::HistoryFixture {
    RepairsFixture() {
        history::LedgerStore store(ledger, history::LedgerStore::Access::Add);
        for (int day = 0; day < 29; ++day) {
            std::string date = history::dateOfDay(history::dayNumber("2024-03-01") + day);
            std::string archive = data().file(date + ".traffic");
            if (day >= 27)
                makeDetectorArchive(data(), date + ".traffic", {201, 202, 203, 204, 205});
            history::DayRecord record{date, archive, 5, "", "", {}, {}};
            const bool bad[] = {day >= 24, day >= 17, day % 2 == 1, day == 28, false};
            for (int16_t det = 201; det <= 205; ++det) {
                bool isBad = bad[det - 201];
                history::DetectorDayRecord r = test::verdictRow(date, det, isBad);
                if (det == 202 && isBad) r.step = DecisionStep::LockOn;
                if (det == 201 && day == 9) r.attribution = history::Attribution::FeedOutage;
                r.daytimeVolume = det == 201 && isBad ? 200 : 1000;
                r.daytimeValid = 2040;
                record.rows.push_back(r);
            }
            store.writeDay(record);
        }
        store.writeInventory("2024-03-01", history::inventoryFromCsv(
                                               "detector,station,lane,lane_type,corridor\n"
                                               "201,S1,1,mainline,US 10 E\n202,S2,2,exit,I 94 W\n",
                                               "inventory.csv"));
    }

    // The line of `det` in a report CSV.
    static std::string lineOf(const std::string& csv, int det) {
        size_t at = csv.find("\r\n" + std::to_string(det) + ",") + 2;
        return csv.substr(at, csv.find("\r\n", at) + 2 - at);
    }
};

}  // namespace

class HistoryRepairsTest : public QObject {
    Q_OBJECT
  private slots:
    void theRepairListIsAWorkOrderAndADetectorsDaysSideBySide() {
        RepairsFixture f;
        HistoryWindow& h = f.openHistory();
        auto* table = test::control<QTableView>(h, "repairList");
        QStringList headers;
        for (int c = 0; c < table->model()->columnCount(); ++c)
            headers.append(table->model()->headerData(c, Qt::Horizontal).toString());
        QCOMPARE(headers.join(QLatin1Char(',')),
                 QStringLiteral("Det,Station,Lane,Lane type,Corridor,Label,Streak,Bad days,"
                                "Switches,Last step,Last ratio,Last change"));
        QCOMPARE(test::rowsOf(table, {0}), (QStringList{"202", "203", "201", "204"}));
        QCOMPARE(test::rowsOf(table, {3}), (QStringList{"exit", "", "mainline", ""}));

        // Numbers sort as numbers; the filters and the search narrow the rows.
        table->sortByColumn(7, Qt::AscendingOrder);
        QCOMPARE(test::rowsOf(table, {7}), (QStringList{"1/29", "5/28", "12/29", "14/29"}));
        table->sortByColumn(6, Qt::DescendingOrder);
        test::control<QComboBox>(h, "labelFilter")->setCurrentText(QStringLiteral("new"));
        QCOMPARE(test::rowsOf(table, {0}), (QStringList{"201", "204"}));

        // The list as shown, in its order, and every detector, as the command line writes them.
        f.cli({"report", "--csv", f.data().file("cli.csv")});
        std::string cli = test::readFile(f.data().file("cli.csv"));
        auto exported = [&](const char* action, const char* name) {
            f.dialogs.answers.push_back(f.qfile(name));
            h.findChild<QAction*>(QString::fromLatin1(action))->trigger();
            return test::readFile(f.file(name));
        };
        QCOMPARE(exported("exportShownAction", "shown.csv"), cli.substr(0, cli.find("\r\n") + 2) +
                                                                 RepairsFixture::lineOf(cli, 201) +
                                                                 RepairsFixture::lineOf(cli, 204));
        QCOMPARE(f.dialogs.requests.back().initialName,
                 QStringLiteral("repair-list-2024-03-01-2024-03-29.csv"));
        QCOMPARE(exported("exportEveryAction", "every.csv"), cli);
        test::control<QComboBox>(h, "corridorFilter")->setCurrentText(QStringLiteral("US 10 E"));
        QCOMPARE(test::rowsOf(table, {0}), QStringList{"201"});
        test::control<QComboBox>(h, "corridorFilter")->setCurrentIndex(0);
        test::control<QComboBox>(h, "labelFilter")->setCurrentIndex(0);
        test::typeInto(h, "detectorSearch", QStringLiteral(" 02"));
        QCOMPARE(test::rowsOf(table, {0}), QStringList{"202"});
        test::typeInto(h, "detectorSearch", QString());

        // The keys move the selection and the picture follows; Enter opens the last bad day.
        QSignalSpy chosen(h.findChild<RepairListPanel*>(), &RepairListPanel::detectorChosen);
        table->setFocus();
        table->setCurrentIndex(table->model()->index(0, 0));
        QTest::keyClick(table, Qt::Key_Down);
        QCOMPARE(chosen.last().first().value<int16_t>(), int16_t{201});
        QTest::keyClick(table, Qt::Key_PageDown);
        QCOMPARE(chosen.last().first().value<int16_t>(), int16_t{203});
        QTest::keyClick(table, Qt::Key_Return);
        ChartWindow* chart = qobject_cast<ChartWindow*>(test::openedWindow("frmGraphL"));
        QVERIFY(chart != nullptr);
        QVERIFY(chart->windowTitle().endsWith(QStringLiteral("2024-03-28")));
        chart->close();

        // A detector's days side by side.
        // A double click on a detector number (a click, then the double click) opens its days.
        QRect number = table->visualRect(
            table->model()->index(static_cast<int>(test::rowsOf(table, {0}).indexOf("201")), 0));
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, number.center());
        QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, number.center());
        auto* days = qobject_cast<DetectorDaysWindow*>(test::openedWindow("DetectorDaysWindow"));
        QVERIFY(days != nullptr);
        auto series = [&](const QString& name) {
            for (QAbstractSeries* s : days->chart()->series())
                if (s->name() == name) return static_cast<QXYSeries*>(s)->points();
            return QList<QPointF>{};
        };
        // A baseline from the fourth same weekday on, but on 03-24, whose Sunday 03-10 was an
        // outage day: the median of 1000s, 03-29's too (its Fridays 03-08, -15, -22 were good).
        QList<QPointF> baseline = series(QStringLiteral("Baseline"));
        QCOMPARE(baseline.size(), 7);
        QCOMPARE(baseline.first(), QPointF(history::dayNumber("2024-03-22"), 1000.0));
        QCOMPARE(baseline.last(), QPointF(history::dayNumber("2024-03-29"), 1000.0));
        QCOMPARE(series(QStringLiteral("Volume")).last().y(), 200.0);
        QCOMPARE(series(QStringLiteral("High")).size(), 5);
        QCOMPARE(series(QStringLiteral("Outage")),
                 QList<QPointF>{QPointF(history::dayNumber("2024-03-10"), 1000.0)});

        // The last bad days are ticked for the strip; only two archives are still there.
        QCOMPARE(days->stripDays(), (QStringList{"2024-03-25", "2024-03-26", "2024-03-27",
                                                 "2024-03-28", "2024-03-29"}));
        f.dialogs.messages.clear();
        test::click(*days, "showStripButton");
        auto* strip = qobject_cast<DayStripWindow*>(test::openedWindow("DayStripWindow"));
        QVERIFY(strip != nullptr);
        QCOMPARE(strip->chart()->series().size(), 4);  // volume and occupancy of each day
        QCOMPARE(f.dialogs.texts(),
                 QStringList{QStringLiteral("The archives of these days are no longer there: "
                                            "2024-03-25, 2024-03-26, 2024-03-27")});
        strip->close();

        // No more than 14 days are taken; the chart has the chart windows' editor.
        auto* list = test::control<QListWidget>(*days, "stripDays");
        for (int i = 0; i < list->count(); ++i)
            list->item(i)->setCheckState(Qt::Checked);
        QCOMPARE(days->stripDays().size(), DetectorDaysWindow::kMaxStripDays);
        days->openEditor();
        QVERIFY(days->findChild<ChartEditor*>() != nullptr);
        days->close();
    }
};

QTEST_MAIN(HistoryRepairsTest)
#include "history_repairs_test.moc"
