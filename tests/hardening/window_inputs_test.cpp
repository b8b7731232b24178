// The window with the bad inputs of the catalogue that its own tests do not already try:
// archives it must refuse while keeping the loaded one,
// typed detector numbers, export destinations and IDs it must refuse, and a program folder
// nobody may write. (Start-up reads the settings file through the same call as the settings
// catalogue.)
#include <QtTest>
#include <filesystem>

#include "app/export_tab.h"
#include "app/file_tab.h"
#include "app/health_param_tab.h"
#include "app/health_test_tab.h"
#include "app/plot_tab.h"
#include "app_test_support.h"
#include "hardening/zip_patch.h"

using namespace sorvane;
using namespace sorvane::app;
using sorvane::test::TempDir;
using sorvane::test::WindowFixture;

namespace {

// A number typed into the view's "Or Enter Det ID:" box and into the single health test's box,
// with what each answers. An empty answer of the single test means it ran (no message).
struct TypedNumber {
    const char* name;
    const char* text;
    const char* extractMessage;
    bool singleTestRefused;
};

const TypedNumber kTypedNumbers[] = {
    {"empty", "", "You must enter a valid detector ID number.", true},
    {"blanks only", "   ", "You must enter a valid detector ID number.", true},
    {"hexadecimal", "0x64", "You must enter a valid detector ID number.", true},
    {"1e309", "1e309", "You must enter a valid detector ID number.", true},
    {"one beyond 16 bits", "32768", "You must enter a valid detector ID number.", true},
    {"huge", "99999999999999999999", "You must enter a valid detector ID number.", true},
    {"-0", "-0", "Detector ID=0 does not exist in the data.", false},
    {"+5", "+5", "Detector ID=5 does not exist in the data.", false},
    {"exponent of a detector", "1e2", "", false},
};

// An export the window must refuse: the message names what is wrong, and no file is left
// under the destination's name.
struct RefusedExport {
    const char* name;
    const char* ids;
    const char* destination;  // inside the test's data folder
    const char* named;        // what the message names
};

const RefusedExport kRefusedExports[] = {
    {"folder missing", "100", "gone/out.csv", "gone/out.csv"},
    {"destination a folder", "100", "folder.csv", "folder.csv"},
    {"ID beyond 32 bits", "100,99999999999", "out.csv", "99999999999"},
};

const QString kPleaseSelect = QStringLiteral(".\r\nPlease select a *.traffic file.");

// Writes the bad archive of a case into `dir` and returns the path to choose.
std::string badArchive(const TempDir& dir, const std::string& kind) {
    std::string path = dir.file("bad.traffic");
    auto zipOf = [&](const std::vector<synth::ArchiveMember>& members) {
        return test::readFile(test::makeArchive(dir, "scratch.traffic", members));
    };
    const synth::ArchiveMember vol{"100.v30", test::volumeBytes(1)};
    if (kind == "empty file") {
        test::writeFile(path, "");
    } else if (kind == "cut after 10 bytes") {
        test::writeFile(path, zipOf({vol}).substr(0, 10));
    } else if (kind == "central directory cut off") {
        std::string whole = zipOf({vol});
        test::writeFile(path, whole.substr(0, whole.size() - 30));
    } else if (kind == "bad central directory") {
        test::ZipPatch patch(zipOf({vol}));
        patch.breakCentralDirectoryOffset();
        test::writeFile(path, patch.bytes());
    } else if (kind == "detector 32768") {
        test::writeFile(path, zipOf({vol, {"32768.v30", test::volumeBytes(1)}}));
    } else if (kind == "detector -32769") {
        test::writeFile(path, zipOf({{"-32769.o30", test::occupancyBytes(1)}}));
    } else if (kind == "folder entry") {
        test::writeFile(path, zipOf({vol, {"day/", {}}}));
    } else if (kind == "a folder") {
        std::filesystem::create_directory(path);
    } else if (kind == "no such file") {
        path = dir.file("gone.traffic");
    }
    return path;
}

}  // namespace

class WindowInputsTest : public QObject {
    Q_OBJECT
  private slots:
    static void initMain() { QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs); }

    void refusedArchiveKeepsTheLoadedOne_data() {
        QTest::addColumn<QString>("kind");
        for (const char* kind : {"empty file", "cut after 10 bytes", "central directory cut off",
                                 "bad central directory", "detector 32768", "detector -32769",
                                 "folder entry", "a folder", "no such file"}) {
            QTest::newRow(kind) << QString::fromLatin1(kind);
        }
    }

    void refusedArchiveKeepsTheLoadedOne() {
        QFETCH(QString, kind);
        WindowFixture f;
        TempDir data;
        frmTrafficExtrac& w = f.window();
        QString good = f.loadArchive({100, 200});
        QVERIFY(f.dialogs.messages.empty());

        f.dialogs.answers.push_back(QString::fromStdString(badArchive(data, kind.toStdString())));
        w.fileTab->cmdBrowse->click();

        QCOMPARE(f.dialogs.messages.size(), size_t{1});
        const test::ShownMessage& shown = f.dialogs.messages.front();
        QCOMPARE(shown.icon, MessageIcon::Exclamation);
        QVERIFY2(shown.text.startsWith(QStringLiteral("Error No: ")), qPrintable(shown.text));
        QVERIFY2(shown.text.endsWith(kPleaseSelect), qPrintable(shown.text));
        QCOMPARE(w.fileTab->txtZipName->text(), good);
        QCOMPARE(test::entriesOf(w.plotTab->cmbDetector), (QStringList{"100", "200"}));
        VolumeBytes vol{};
        Occupancies occ{};
        QVERIFY(w.state().reader().extractDet(200, vol, occ));
        QCOMPARE(int{vol[0]}, 5);
    }

    void typedDetectorNumbers_data() { test::addRows(kTypedNumbers); }

    void typedDetectorNumbers() {
        const TypedNumber& c = test::currentRow(kTypedNumbers);
        WindowFixture f;
        f.loadArchive({100});
        f.window().plotTab->txtDetID->setText(QString::fromLatin1(c.text));
        f.window().plotTab->cmdDetExtract->click();
        QCOMPARE(f.dialogs.texts(), c.extractMessage[0] == '\0'
                                        ? QStringList{}
                                        : QStringList{QString::fromLatin1(c.extractMessage)});
        QCOMPARE(f.window().plotTab->cmbDetector->currentText(), QStringLiteral("100"));

        f.dialogs.messages.clear();
        HealthParameterTexts factory = factoryParameterTexts();
        for (size_t i = 0; i < kHealthParamCount; ++i)
            f.window()
                .paramTab->box(static_cast<HealthParam>(i))
                ->setText(QString::fromStdString(factory[i]));
        f.window().testTab->txtChkdetector->setText(QString::fromLatin1(c.text));
        f.window().testTab->cmdTestSingledet->click();
        QCOMPARE(f.dialogs.texts(), c.singleTestRefused
                                        ? QStringList{QStringLiteral("Detector no. is not valid")}
                                        : QStringList{});
        QCOMPARE(std::filesystem::exists(f.file("report_single.txt")), !c.singleTestRefused);
    }

    void refusedExports_data() { test::addRows(kRefusedExports); }

    void refusedExports() {
        const RefusedExport& c = test::currentRow(kRefusedExports);
        WindowFixture f;
        f.loadArchive({100});
        std::filesystem::create_directory(f.data().file("folder.csv"));
        std::string destination = f.data().file(c.destination);
        ExportTab& tab = *f.window().exportTab;
        tab.txtDetIDs->setPlainText(QString::fromLatin1(c.ids));
        tab.txtDestFile->setText(QString::fromStdString(destination));
        tab.cmdExport->click();
        QCOMPARE(f.dialogs.messages.size(), size_t{1});
        QVERIFY2(f.dialogs.messages[0].text.contains(QString::fromLatin1(c.named)),
                 qPrintable(f.dialogs.messages[0].text));
        QVERIFY(!std::filesystem::is_regular_file(destination));
        QVERIFY(!QString::fromStdString(f.window().state().log().logText())
                     .contains(QStringLiteral("successfully extracted")));
        // Nothing half-written beside it either.
        for (const auto& entry : std::filesystem::directory_iterator(f.data().path()))
            QVERIFY2(entry.path().filename().string().rfind(".out.csv", 0) != 0,
                     entry.path().c_str());
    }

    // A program folder nobody may write, root included: both save buttons name the file.
    void saveIntoReadOnlyProgramFolder() {
        test::ScriptedDialogs dialogs;
        frmTrafficExtrac w(QStringLiteral("/proc"), dialogs);
        TempDir data;
        w.openArchive(test::makeDetectorArchive(data, "day.traffic", {100}));  // opens the tab
        QVERIFY(dialogs.messages.empty());
        w.paramTab->box(kSuspTh)->setText(QStringLiteral("16"));
        w.paramTab->cmdSetDefault->click();
        w.paramTab->cmdSetFactoryDefault->click();
        QCOMPARE(dialogs.messages.size(), size_t{2});
        for (const test::ShownMessage& shown : dialogs.messages) {
            QCOMPARE(shown.icon, MessageIcon::Critical);
            QVERIFY2(shown.text.contains(QStringLiteral("/proc/ParamSettings.ini")),
                     qPrintable(shown.text));
        }
        QCOMPARE(w.paramTab->box(kSuspTh)->text(), QStringLiteral("16"));
    }
};

QTEST_MAIN(WindowInputsTest)
#include "window_inputs_test.moc"
