// The window with the bad inputs of the catalogue that its own tests do not already try:
// archives it must refuse while keeping the loaded one, and a program folder nobody may write.
// (Start-up reads the settings file through the same call as the settings catalogue.)
#include <QtTest>
#include <filesystem>

#include "app/file_tab.h"
#include "app/health_param_tab.h"
#include "app/plot_tab.h"
#include "app_test_support.h"
#include "hardening/zip_patch.h"

using namespace sorvane;
using namespace sorvane::app;
using sorvane::test::TempDir;
using sorvane::test::WindowFixture;

namespace {

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
