// Loading an archive: the workflow, its suggestion for the export file, and every failure.
#include <QSignalSpy>
#include <QtTest>

#include "app/archive_loading.h"
#include "app/export_tab.h"
#include "app/file_tab.h"
#include "app/frm_splash.h"
#include "app/plot_tab.h"
#include "app/qt_dialogs.h"
#include "app_test_support.h"
#include "common/error.h"

using namespace sorvane;
using namespace sorvane::app;
using sorvane::test::TempDir;
using sorvane::test::WindowFixture;

namespace {

const QString kPleaseSelect = QStringLiteral(".\r\nPlease select a *.traffic file.");

QString loadedLine(const QString& path) {
    return path + QStringLiteral(" Was successfully loaded.");
}

bool tabsOpen(frmTrafficExtrac& w) {
    for (int tab = kTabPlot; tab < kTabCount; ++tab) {
        if (!w.SSTab1->isTabEnabled(tab)) return false;
    }
    return true;
}

// The ways a chosen archive can fail, each with the error number it shows (-1: libzip's own).
enum class Failure { Cancel, NotZip, Truncated, NoDetector, NoDot };

struct FailureCase {
    const char* name;
    Failure failure;
    int number;
};

constexpr FailureCase kFailures[] = {
    {"cancel", Failure::Cancel, kErrCancel},
    {"not a ZIP", Failure::NotZip, -1},
    {"truncated", Failure::Truncated, -1},
    {"no detector member", Failure::NoDetector, kErrNoDetectorMember},
    {"member without dot", Failure::NoDot, kErrMemberWithoutDot},
};

// The dialog's answer for a failure, with the file made as the failure needs it.
std::optional<QString> failingChoice(const TempDir& dir, Failure failure) {
    std::string path = dir.file("bad.traffic");
    switch (failure) {
        case Failure::Cancel:
            return std::nullopt;
        case Failure::NotZip:
            test::writeFile(path, "This is not an archive.\r\n");
            break;
        case Failure::Truncated: {
            QString whole = test::makeDetectorArchive(dir, "whole.traffic", {100, 200, 300});
            std::string bytes = test::readFile(whole.toStdString());
            test::writeFile(path, bytes.substr(0, bytes.size() / 2));
            break;
        }
        case Failure::NoDetector:
            test::makeArchive(dir, "bad.traffic", {{"readme.txt", {'h', 'i'}}});
            break;
        case Failure::NoDot:
            test::makeArchive(dir, "bad.traffic",
                              {{"100.v30", test::volumeBytes(1)}, {"notes", {'x'}}});
            break;
    }
    return QString::fromStdString(path);
}

}  // namespace

class LoadingTest : public QObject {
    Q_OBJECT
  public:
    static void initMain() { QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs); }

  private slots:
    void browseAndLoadFillsEveryTab() {
        WindowFixture f;
        TempDir data;
        QString archive = test::makeDetectorArchive(data, "day1.traffic", {100, 200, 300});
        f.dialogs.answers.push_back(archive);
        frmTrafficExtrac& w = f.window();

        // The first detector is selected while the splash shows and before the log line.
        QSignalSpy selected(w.plotTab, &PlotTab::detectorSelected);
        bool splashDuringSelection = false;
        std::string logDuringSelection = "unset";
        connect(w.plotTab, &PlotTab::detectorSelected, this, [&] {
            splashDuringSelection = w.splashWindow()->isVisible();
            logDuringSelection = w.state().log().logText();
        });
        w.fileTab->cmdBrowse->click();

        QCOMPARE(f.dialogs.requests.size(), size_t{1});
        QVERIFY(f.dialogs.requests.front().mustExist);
        QCOMPARE(w.fileTab->txtZipName->text(), archive);
        QCOMPARE(test::entriesOf(w.plotTab->cmbDetector), (QStringList{"100", "200", "300"}));
        QCOMPARE(w.plotTab->cmbDetector->currentIndex(), 0);
        QCOMPARE(selected.size(), 1);
        QCOMPARE(selected.front().front().toInt(), 0);
        QVERIFY(splashDuringSelection);
        QCOMPARE(logDuringSelection, std::string());
        QCOMPARE(w.plotTab->lblDate->text(), QStringLiteral("day1.traffic"));
        QVERIFY(tabsOpen(w));
        for (QPushButton* button : {w.plotTab->cmdScatter, w.plotTab->cmdLine, w.plotTab->cmdHist,
                                    w.plotTab->cmdRecomp, w.fileTab->cmdBrowse}) {
            QVERIFY2(button->isEnabled(), qPrintable(button->objectName()));
        }
        QCOMPARE(w.plotTab->cmbPlotInterval->currentIndex(), 0);
        QCOMPARE(w.exportTab->txtDestFile->text(), suggestedExportFile(archive));
        QCOMPARE(QString::fromStdString(w.state().log().logText()), loadedLine(archive));
        QVERIFY(!w.splashWindow()->isVisible());
        QVERIFY(f.dialogs.messages.empty());
    }

    void exportFileSuggestion_data() {
        QTest::addColumn<QString>("archive");
        QTest::addColumn<QString>("suggestion");
        QTest::newRow("folder and name") << "/data/traffic/day1.traffic"
                                         << "/data/csv/day1.csv";
        QTest::newRow("upper case stays") << "/d/data/day1.TRAFFIC"
                                          << "/d/data/day1.TRAFFIC";
        QTest::newRow("mixed case stays") << "/d/Traffic/x.traffic"
                                          << "/d/Traffic/x.csv";
        QTest::newRow("inside words") << "/trafficdata/mytraffic.traffic"
                                      << "/csvdata/mycsv.csv";
        QTest::newRow("no traffic at all") << "/d/day.zip"
                                           << "/d/day.zip";
    }

    void exportFileSuggestion() {
        QFETCH(QString, archive);
        QFETCH(QString, suggestion);
        QCOMPARE(suggestedExportFile(archive), suggestion);
    }

    void secondLoadKeepsTheUsersExportFileAndLogsOnTheSameLine() {
        WindowFixture f;
        TempDir data;
        QString first = test::makeDetectorArchive(data, "first.traffic", {100, 200});
        QString second = test::makeDetectorArchive(data, "second.traffic", {7, 8, 9});
        frmTrafficExtrac& w = f.window();
        f.dialogs.answers = {first, second};
        w.fileTab->cmdBrowse->click();
        w.exportTab->txtDestFile->setText(QStringLiteral("/home/me/mine.csv"));
        w.fileTab->cmdBrowse->click();

        QCOMPARE(w.exportTab->txtDestFile->text(), QStringLiteral("/home/me/mine.csv"));
        QCOMPARE(test::entriesOf(w.plotTab->cmbDetector), (QStringList{"7", "8", "9"}));
        QCOMPARE(w.plotTab->lblDate->text(), QStringLiteral("second.traffic"));
        QCOMPARE(w.fileTab->txtZipName->text(), second);
        QCOMPARE(QString::fromStdString(w.state().log().logText()),
                 loadedLine(first) + loadedLine(second));
        QVERIFY(f.dialogs.messages.empty());
    }

    void failedLoadKeepsWhatWasLoaded_data() {
        QTest::addColumn<int>("failure");
        QTest::addColumn<int>("number");
        QTest::addColumn<bool>("loadedBefore");
        for (const FailureCase& c : kFailures) {
            for (bool before : {false, true}) {
                QTest::addRow("%s, %s", c.name, before ? "after a load" : "first load")
                    << static_cast<int>(c.failure) << c.number << before;
            }
        }
    }

    void failedLoadKeepsWhatWasLoaded() {
        QFETCH(int, failure);
        QFETCH(int, number);
        QFETCH(bool, loadedBefore);
        WindowFixture f;
        TempDir data;
        frmTrafficExtrac& w = f.window();
        QString good = test::makeDetectorArchive(data, "good.traffic", {100, 200});
        if (loadedBefore) {
            f.dialogs.answers.push_back(good);
            w.fileTab->cmdBrowse->click();
        }
        std::string logBefore = w.state().log().logText();
        QString destBefore = w.exportTab->txtDestFile->text();

        f.dialogs.answers.push_back(failingChoice(data, static_cast<Failure>(failure)));
        w.fileTab->cmdBrowse->click();

        QCOMPARE(f.dialogs.messages.size(), size_t{1});
        const test::ShownMessage& shown = f.dialogs.messages.front();
        QCOMPARE(shown.icon, MessageIcon::Exclamation);
        QCOMPARE(shown.title, QStringLiteral("Sorvane"));
        if (number == kErrCancel) {
            QCOMPARE(shown.text, QStringLiteral("Error No: 32755, Cancel was selected.\r\n"
                                                "Please select a *.traffic file."));
        } else {
            QString prefix = QStringLiteral("Error No: ") +
                             (number < 0 ? QString() : QString::number(number) + ", ");
            QVERIFY2(shown.text.startsWith(prefix), qPrintable(shown.text));
            QVERIFY2(shown.text.endsWith(kPleaseSelect), qPrintable(shown.text));
        }
        QVERIFY(w.fileTab->cmdBrowse->isEnabled());
        QVERIFY(!w.splashWindow()->isVisible());
        QCOMPARE(w.state().log().logText(), logBefore);
        QCOMPARE(w.exportTab->txtDestFile->text(), destBefore);

        if (loadedBefore) {
            // The earlier archive stays loaded, shown under its own name, and readable.
            QCOMPARE(w.fileTab->txtZipName->text(), good);
            QCOMPARE(test::entriesOf(w.plotTab->cmbDetector), (QStringList{"100", "200"}));
            QCOMPARE(w.plotTab->lblDate->text(), QStringLiteral("good.traffic"));
            QVERIFY(tabsOpen(w));
            QCOMPARE(QString::fromStdString(w.state().reader().fileName()), good);
            VolumeBytes vol{};
            Occupancies occ{};
            QVERIFY(w.state().reader().extractDet(200, vol, occ));
            QCOMPARE(int{vol[0]}, 5);
        } else {
            QCOMPARE(w.fileTab->txtZipName->text(), QString());
            QCOMPARE(w.plotTab->cmbDetector->count(), 0);
            QVERIFY(!w.SSTab1->isTabEnabled(kTabPlot));
            QVERIFY(!w.plotTab->cmdScatter->isEnabled());
        }
    }

    void emptyChoiceIsRefused() {
        WindowFixture f;
        f.dialogs.answers.push_back(QString());
        f.window().fileTab->cmdBrowse->click();
        QCOMPARE(f.dialogs.messages.size(), size_t{1});
        QCOMPARE(f.dialogs.messages.front().icon, MessageIcon::Critical);
        QCOMPARE(f.dialogs.messages.front().text,
                 QStringLiteral("*.traffic zip file not provided. "));
        QVERIFY(f.window().fileTab->cmdBrowse->isEnabled());
        QVERIFY(!f.window().splashWindow()->isVisible());
        QVERIFY(!f.window().state().hasReader());
    }

    void archiveFromTheCommandLineLoadsWithoutADialog() {
        WindowFixture f;
        TempDir data;
        QString archive = test::makeDetectorArchive(data, "night.traffic", {42});
        f.window().openArchive(archive);
        QVERIFY(f.dialogs.requests.empty());
        QVERIFY(f.dialogs.messages.empty());
        QCOMPARE(f.window().fileTab->txtZipName->text(), archive);
        QCOMPARE(test::entriesOf(f.window().plotTab->cmbDetector), QStringList{"42"});
        QVERIFY(tabsOpen(f.window()));

        f.window().openArchive(QString::fromStdString(data.file("absent.traffic")));
        QCOMPARE(f.dialogs.messages.size(), size_t{1});
        QCOMPARE(f.window().fileTab->txtZipName->text(), archive);
    }

    void dialogFiltersForQt_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("archive") << "All files (*.*)|*.*|*.traffic files|*.traffic"
                                 << QStringList{"All files (*.*)", "*.traffic files (*.traffic)"};
        QTest::newRow("several patterns")
            << "Lists|*.txt;*.csv" << QStringList{"Lists (*.txt *.csv)"};
        QTest::newRow("dangling description") << "Text|*.txt|Other" << QStringList{"Text (*.txt)"};
    }

    void dialogFiltersForQt() {
        QFETCH(QString, filter);
        QFETCH(QStringList, expected);
        QCOMPARE(qtNameFilters(filter), expected);
    }
};

QTEST_MAIN(LoadingTest)
#include "loading_test.moc"
