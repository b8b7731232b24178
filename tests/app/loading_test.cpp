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

QString loadedLine(const QString& path) {
    return path + QStringLiteral(" Was successfully loaded.");
}

bool tabsOpen(frmTrafficExtrac& w) {
    for (int tab = kTabPlot; tab < kTabCount; ++tab) {
        if (!w.SSTab1->isTabEnabled(tab)) return false;
    }
    return true;
}

// The ways a chosen archive can fail, each with the start of the message it shows; how the
// reader refuses each kind of broken archive is for its own tests.
enum class Failure { Cancel, NotZip, NoDetector };

struct FailureCase {
    const char* name;
    Failure failure;
    bool loadedBefore;
    QString start;
};

const QString kCancelled =
    "Error No: 32755, Cancel was selected.\r\nPlease select a *.traffic file.";
const QString kNoDetector = "Error No: " + QString::number(kErrNoDetectorMember) + ", ";
const FailureCase kFailures[] = {
    {"cancel, first load", Failure::Cancel, false, kCancelled},
    {"cancel, after a load", Failure::Cancel, true, kCancelled},
    {"not a ZIP, first load", Failure::NotZip, false, "Error No: "},
    {"not a ZIP, after a load", Failure::NotZip, true, "Error No: "},
    {"no detector member, first load", Failure::NoDetector, false, kNoDetector},
    {"no detector member, after a load", Failure::NoDetector, true, kNoDetector},
};

// The dialog's answer for a failure, with the file made as the failure needs it.
std::optional<QString> failingChoice(const TempDir& dir, Failure failure) {
    std::string path = dir.file("bad.traffic");
    if (failure == Failure::Cancel) return std::nullopt;
    if (failure == Failure::NotZip) test::writeFile(path, "This is not an archive.\r\n");
    if (failure == Failure::NoDetector)
        test::makeArchive(dir, "bad.traffic", {{"readme.txt", {'h'}}});
    return QString::fromStdString(path);
}

}  // namespace

class LoadingTest : public QObject {
    Q_OBJECT
  public:
    static void initMain() { QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs); }

  private slots:
    void browseAndLoadFillsEveryTabAndASecondLoadReplacesIt() {
        WindowFixture f;
        QString archive = test::makeDetectorArchive(f.data(), "day1.traffic", {100, 200, 300});
        QString second = test::makeDetectorArchive(f.data(), "second.traffic", {7, 8, 9});
        f.dialogs.answers = {archive, second};
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
        QCOMPARE(w.exportTab->txtDestFile->text(), suggestedExportFile(archive));
        QVERIFY(!w.splashWindow()->isVisible());

        // A second load keeps the user's export file and logs on the same line.
        w.exportTab->txtDestFile->setText(QStringLiteral("/home/me/mine.csv"));
        w.fileTab->cmdBrowse->click();
        QCOMPARE(w.exportTab->txtDestFile->text(), QStringLiteral("/home/me/mine.csv"));
        QCOMPARE(test::entriesOf(w.plotTab->cmbDetector), (QStringList{"7", "8", "9"}));
        QCOMPARE(w.plotTab->lblDate->text(), QStringLiteral("second.traffic"));
        QCOMPARE(w.fileTab->txtZipName->text(), second);
        QCOMPARE(QString::fromStdString(w.state().log().logText()),
                 loadedLine(archive) + loadedLine(second));
        QVERIFY(f.dialogs.messages.empty());

        // An archive named on the command line loads without a dialog.
        w.openArchive(archive);
        QCOMPARE(f.dialogs.requests.size(), size_t{2});
        QCOMPARE(w.fileTab->txtZipName->text(), archive);
        QVERIFY(f.dialogs.messages.empty());
    }

    void exportFileSuggestionAndDialogFilters() {
        const std::pair<QString, QString> suggestions[] = {
            {"/data/traffic/day1.traffic", "/data/csv/day1.csv"},
            {"/d/data/day1.TRAFFIC", "/d/data/day1.TRAFFIC"},  // upper case stays
            {"/d/Traffic/x.traffic", "/d/Traffic/x.csv"},
            {"/trafficdata/mytraffic.traffic", "/csvdata/mycsv.csv"},
            {"/d/day.zip", "/d/day.zip"},
        };
        for (const auto& [archive, suggestion] : suggestions)
            QCOMPARE(suggestedExportFile(archive), suggestion);

        QCOMPARE(qtNameFilters("All files (*.*)|*.*|*.traffic files|*.traffic"),
                 (QStringList{"All files (*.*) (*)", "*.traffic files (*.traffic)"}));
        QCOMPARE(qtNameFilters("Lists|*.txt;*.csv"), QStringList{"Lists (*.txt *.csv)"});
        QCOMPARE(qtNameFilters("Text|*.txt|Other"), QStringList{"Text (*.txt)"});
    }

    void failedLoadKeepsWhatWasLoaded_data() { test::addRows(kFailures); }

    void failedLoadKeepsWhatWasLoaded() {
        const FailureCase& c = test::currentRow(kFailures);
        WindowFixture f;
        frmTrafficExtrac& w = f.window();
        QString good = test::makeDetectorArchive(f.data(), "good.traffic", {100, 200});
        if (c.loadedBefore) {
            f.dialogs.answers.push_back(good);
            w.fileTab->cmdBrowse->click();
        }
        std::string logBefore = w.state().log().logText();
        QString destBefore = w.exportTab->txtDestFile->text();

        f.dialogs.answers.push_back(failingChoice(f.data(), c.failure));
        w.fileTab->cmdBrowse->click();

        QCOMPARE(f.dialogs.messages.size(), size_t{1});
        const test::ShownMessage& shown = f.dialogs.messages.front();
        QCOMPARE(shown.icon, MessageIcon::Exclamation);
        QCOMPARE(shown.title, QStringLiteral("Sorvane"));
        QVERIFY2(shown.text.startsWith(c.start), qPrintable(shown.text));
        if (c.failure == Failure::Cancel) QCOMPARE(shown.text, kCancelled);
        QVERIFY2(shown.text.endsWith(".\r\nPlease select a *.traffic file."),
                 qPrintable(shown.text));
        QVERIFY(w.fileTab->cmdBrowse->isEnabled());
        QVERIFY(!w.splashWindow()->isVisible());
        QCOMPARE(w.state().log().logText(), logBefore);
        QCOMPARE(w.exportTab->txtDestFile->text(), destBefore);

        if (c.loadedBefore) {
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

    // The box keeps naming the archive that stays loaded, so an export reads what it names.
    void emptyChoiceAfterALoadKeepsItsPath() {
        WindowFixture f;
        QString loaded = f.loadArchive({100});
        f.dialogs.answers.push_back(QString());
        f.window().fileTab->cmdBrowse->click();
        QCOMPARE(f.dialogs.messages.back().text,
                 QStringLiteral("*.traffic zip file not provided. "));
        QCOMPARE(f.window().fileTab->txtZipName->text(), loaded);
    }
};

QTEST_MAIN(LoadingTest)
#include "loading_test.moc"
