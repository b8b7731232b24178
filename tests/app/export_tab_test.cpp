// The "Export " tab: the export writes what sorvane-cli export writes, the detector-list file,
// the destination dialog, and a message for every refused input.
#include "app/export_tab.h"

#include <QtTest>

#include "app/file_tab.h"
#include "app/plot_tab.h"
#include "app_test_support.h"

using namespace sorvane;
using namespace sorvane::app;
using sorvane::test::WindowFixture;

namespace {

struct ExportFixture : WindowFixture {
    ExportFixture() : archive(test::makeSyntheticArchive(data(), 6)) {
        window().openArchive(QString::fromStdString(archive));
        tab().txtDestFile->setText(qfile("window.csv"));
    }
    ExportTab& tab() { return *window().exportTab; }
    std::string archive;
};

struct WriteCase {
    const char* name;
    const char* ids;
    int interval;
    bool setToNegative;
    bool volumeOnly;
};

const WriteCase kWrites[] = {
    {"30 sec, both", "100,101,999", 0, false, false},
    {"5 min, -1, lines", "100,\n102.5, 105", 5, true, false},
    {"1 hour, volumes", "105,104,999", 9, true, true},
};

struct Refusal {
    const char* name;
    bool archiveNamed;
    const char* ids;
    const char* destination;  // "@" stands for the archive itself
    const char* title;
    const char* message;  // the start of the message
};

const Refusal kRefusals[] = {
    {"no archive", false, "100", "out.csv", "Sorvane Warning!!!",
     "You must specify the file name (*.trffic)"},
    {"no IDs", true, "", "out.csv", "Sorvane Warning!!!",
     "You must enter one or more detector IDs"},
    {"empty ID", true, "100,,300", "out.csv", "Sorvane",
     "Input Error at  2-th item : The entry \"\" is not a number.\r\nRe-enter the detector IDs or "
     "reload them from a file."},
    {"the archive", true, "100", "@", "Sorvane", ""},
};

}  // namespace

class ExportTabTest : public QObject {
    Q_OBJECT
  private slots:
    void writesWhatTheCommandLineWrites_data() { test::addRows(kWrites); }

    void writesWhatTheCommandLineWrites() {
        const WriteCase& c = test::currentRow(kWrites);
        ExportFixture f;
        QString ids = c.ids;
        f.tab().txtDetIDs->setPlainText(ids);
        f.tab().cmbExportInterval->setCurrentIndex(c.interval);
        f.window().plotTab->optNeg->setChecked(c.setToNegative);
        f.window().plotTab->optZero->setChecked(!c.setToNegative);
        f.tab().optVolume->setChecked(c.volumeOnly);
        f.tab().cmdExport->click();
        QCOMPARE(f.dialogs.texts(), (QStringList{"Done!", "The extracted csv file was saved in " +
                                                              f.qfile("window.csv") + "\r\n"}));

        std::vector<std::string> args{SORVANE_CLI, "export", f.archive, "-o",
                                      f.data().file("cli.csv")};
        args.insert(args.end(), {"--ids", ids.replace('\n', "\r\n").toStdString(), "--interval",
                                 f.tab().cmbExportInterval->currentText().toStdString(),
                                 "--missing", c.setToNegative ? "neg" : "zero"});
        if (c.volumeOnly) args.push_back("--vol-only");
        QCOMPARE(test::runCommand(args).exitCode, 0);
        QCOMPARE(test::readFile(f.file("window.csv")), test::readFile(f.data().file("cli.csv")));
        std::string log = f.window().state().log().logText();
        QVERIFY(log.find("Traffic file: " + f.archive) != std::string::npos);
        QVERIFY(log.find("The csv file can be found in " + f.file("window.csv")) !=
                std::string::npos);
    }

    void refusedInputsGetAMessageAndWriteNothing_data() { test::addRows(kRefusals); }

    void refusedInputsGetAMessageAndWriteNothing() {
        const Refusal& c = test::currentRow(kRefusals);
        ExportFixture f;
        std::string archiveBytes = test::readFile(f.archive);
        if (!c.archiveNamed) f.window().fileTab->txtZipName->clear();
        f.tab().txtDetIDs->setPlainText(c.ids);
        bool archive = c.destination == std::string_view("@");
        QString path = archive ? QString::fromStdString(f.archive) : f.qfile(c.destination);
        f.tab().txtDestFile->setText(path);
        f.tab().cmdExport->click();
        QCOMPARE(f.dialogs.messages.size(), size_t{1});
        QCOMPARE(f.dialogs.messages[0].title, QString(c.title));
        QVERIFY2(f.dialogs.messages[0].text.startsWith(c.message),
                 qPrintable(f.dialogs.messages[0].text));
        if (archive) {
            QCOMPARE(test::readFile(f.archive), archiveBytes);
        } else {
            QVERIFY(!QFile::exists(path));
        }
    }

    void detectorListFile() {
        ExportFixture f;
        test::writeFile(f.data().file("good.txt"), "100 , 200,300");
        test::writeFile(f.data().file("bad.txt"), "100,200\r\n300");
        QDir().mkpath(QString::fromStdString(f.data().file("folder.txt")));
        for (const char* name : {"good.txt", "bad.txt", "folder.txt"})
            f.dialogs.answers.push_back(QString::fromStdString(f.data().file(name)));
        f.dialogs.answers.push_back(std::nullopt);
        for (int click = 0; click < 4; ++click)
            f.tab().cmdDetFile->click();
        QCOMPARE(f.tab().txtDetIDs->toPlainText(), QStringLiteral("100,200,300"));
        QCOMPARE(f.dialogs.requests[0].title, QStringLiteral("Select a detector list file"));
        QCOMPARE(f.dialogs.messages.size(), size_t{2});  // the cancel is silent
        QCOMPARE(f.dialogs.messages[0].text,
                 QStringLiteral("Input Error at  2-th item : The entry \"200 300\" is not a "
                                "number.\r\nRe-enter the detector IDs or reload them from a "
                                "file."));
        QVERIFY(f.dialogs.messages[1].text.contains(
            QString::fromStdString(f.data().file("folder.txt"))));
    }

    void destinationDialogStartsFromTheFileName() {
        ExportFixture f;
        f.tab().txtDestFile->setText(QStringLiteral("/some/where/day1.csv"));
        f.dialogs.answers = {QStringLiteral("/else/day2.csv"), std::nullopt};
        f.tab().cmdSBrowse->click();
        f.tab().cmdSBrowse->click();  // cancelled: the name stays
        QCOMPARE(f.dialogs.requests[0].initialName, QStringLiteral("day1.csv"));
        QVERIFY(f.dialogs.requests[0].confirmOverwrite);
        QCOMPARE(f.dialogs.requests[1].initialName, QStringLiteral("day2.csv"));
        QCOMPARE(f.tab().txtDestFile->text(), QStringLiteral("/else/day2.csv"));
    }
};

QTEST_MAIN(ExportTabTest)
#include "export_tab_test.moc"
