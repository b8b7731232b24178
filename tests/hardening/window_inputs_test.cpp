// The window with the catalogue's bad inputs: typed detector numbers, export destinations and
// IDs it must refuse, and a program folder nobody may write. (Start-up reads the settings file
// through the settings catalogue's call; the archives it must refuse while keeping the loaded one
// are rows of the window test's failed loads.)
#include <QtTest>
#include <filesystem>
#include <iostream>
#include <new>
#include <sstream>

#include "app/error_messages.h"
#include "app_test_support.h"
#include "health/health_parameters.h"

using namespace sorvane;
using namespace sorvane::app;
using namespace sorvane::test;

namespace {

// A number typed into the view's "Or Enter Det ID:" box and into the single health test's box,
// and the detector it names (none: both refuse it). The archive holds detector 100.
struct TypedNumber {
    const char* name;
    const char* text;
    const char* det;
};

// The conversion itself is the command line's (id_inputs_test); these rows show that both boxes
// use it and say so.
const TypedNumber kTypedNumbers[] = {
    {"empty", "", nullptr},
    {"hexadecimal", "0x64", nullptr},
    {"one beyond 16 bits", "32768", nullptr},
    {"-0", "-0", "0"},
    {"exponent of a detector", "1e2", "100"},
};

// An export the window must refuse: the message names what is wrong, and no file is left
// under the destination's name.
struct RefusedExport {
    const char* name;
    const char* ids;
    const char* destination;  // inside the test's data folder
    const char* title;
    const char* named;  // what the message names
};

const RefusedExport kRefusedExports[] = {
    {"no IDs", "", "out.csv", "Sorvane Warning!!!", "You must enter one or more detector IDs"},
    {"empty ID", "100,,300", "out.csv", "Sorvane",
     "Input Error at  2-th item : The entry \"\" is not a number.\r\nRe-enter the detector IDs or "
     "reload them from a file."},
    {"folder missing", "100", "gone/out.csv", "Sorvane", "gone/out.csv"},
    {"destination a folder", "100", "folder.csv", "Sorvane", "folder.csv"},
    {"ID beyond 32 bits", "100,99999999999", "out.csv", "Sorvane", "99999999999"},
};

// A file the window writes in the program folder, made a link to the loaded archive, and the
// action that writes it.
struct ProgramFileOverArchive {
    const char* name;
    const char* file;
    void (*write)(frmTrafficExtrac& window);
};

const ProgramFileOverArchive kProgramFilesOverArchive[] = {
    {"report", "Diagnostic_Report.txt",
     [](frmTrafficExtrac& w) {
         openTab(w, kTabHealthTest);
         click(w, "cmdHealth");
     }},
    {"single report", "report_single.txt",
     [](frmTrafficExtrac& w) {
         openTab(w, kTabHealthTest);
         typeInto(w, "txtChkdetector", QStringLiteral("100"));
         click(w, "cmdTestSingledet");
     }},
    {"settings", "ParamSettings.ini",
     [](frmTrafficExtrac& w) {
         openTab(w, kTabHealthParam);
         click(w, "cmdSetDefault");
     }},
    {"log", "Log.txt", [](frmTrafficExtrac& w) { w.close(); }},
};

// Types the factory parameters into their boxes, as a user would before a test.
void typeFactoryParameters(frmTrafficExtrac& w) {
    openTab(w, kTabHealthParam);
    const HealthParameterTexts factory = factoryParameterTexts();
    for (size_t i = 0; i < kHealthParamCount; ++i)
        typeInto(w, kHealthParameters[i].textBox, QString::fromStdString(factory[i]));
}

}  // namespace

class WindowInputsTest : public QObject {
    Q_OBJECT
  private slots:
    static void initMain() { QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs); }

    void typedDetectorNumbers_data() { addRows(kTypedNumbers); }

    void typedDetectorNumbers() {
        const TypedNumber& c = currentRow(kTypedNumbers);
        WindowFixture f;
        frmTrafficExtrac& w = f.window();
        f.loadArchive({100});
        openTab(w, kTabPlot);
        typeInto(w, "txtDetID", QString::fromLatin1(c.text));
        click(w, "cmdDetExtract");
        QStringList expected;
        if (c.det == nullptr)
            expected << QStringLiteral("You must enter a valid detector ID number.");
        if (c.det != nullptr && std::string(c.det) != "100")
            expected << QStringLiteral("Detector ID=%1 does not exist in the data.").arg(c.det);
        QCOMPARE(f.dialogs.texts(), expected);
        QCOMPARE(textOf(w, "cmbDetector"), QStringLiteral("100"));

        typeFactoryParameters(w);  // boxes the single test accepts
        f.dialogs.messages.clear();
        openTab(w, kTabHealthTest);
        typeInto(w, "txtChkdetector", QString::fromLatin1(c.text));
        click(w, "cmdTestSingledet");
        QCOMPARE(f.dialogs.texts(), c.det == nullptr
                                        ? QStringList{QStringLiteral("Detector no. is not valid")}
                                        : QStringList{});
        QCOMPARE(std::filesystem::exists(f.file("report_single.txt")), c.det != nullptr);
    }

    void refusedExports_data() { addRows(kRefusedExports); }

    void refusedExports() {
        const RefusedExport& c = currentRow(kRefusedExports);
        WindowFixture f;
        frmTrafficExtrac& w = f.window();
        f.loadArchive({100});
        std::filesystem::create_directory(f.data().file("folder.csv"));
        std::string destination = f.data().file(c.destination);
        openTab(w, kTabExport);
        typeInto(w, "txtDetIDs", QString::fromLatin1(c.ids));
        typeInto(w, "txtDestFile", QString::fromStdString(destination));
        click(w, "cmdExport");
        QCOMPARE(f.dialogs.messages.size(), size_t{1});
        QCOMPARE(f.dialogs.messages[0].title, QString::fromLatin1(c.title));
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

    // None of the window's own files replaces the loaded archive, whatever path leads there.
    void programFilesNeverReplaceTheArchive_data() { addRows(kProgramFilesOverArchive); }

    void programFilesNeverReplaceTheArchive() {
        const ProgramFileOverArchive& c = currentRow(kProgramFilesOverArchive);
        WindowFixture f;
        frmTrafficExtrac& w = f.window();
        std::string archive = f.loadArchive({100}).toStdString();
        std::string bytes = readFile(archive);
        typeFactoryParameters(w);
        std::filesystem::create_symlink(archive, f.file(c.file));
        std::ostringstream err;
        std::streambuf* old = std::cerr.rdbuf(err.rdbuf());
        c.write(w);
        std::cerr.rdbuf(old);
        QString said =
            f.dialogs.texts().join(QLatin1Char('\n')) + QString::fromStdString(err.str());
        QVERIFY2(said.contains(QString::fromStdString(f.file(c.file)) +
                               QStringLiteral(" is the loaded archive: it cannot be an output.")),
                 qPrintable(said));
        QCOMPARE(readFile(archive), bytes);
    }

    // The window's health test and export read through the command line's reader: an archive
    // cut since it was loaded is a message, and neither writes anything.
    void archiveCutSinceItWasLoaded() {
        WindowFixture f;
        frmTrafficExtrac& w = f.window();
        const std::string archive = f.loadArchive({100, 101}).toStdString();
        typeFactoryParameters(w);
        std::filesystem::resize_file(archive, 100);
        const QString changed = QStringLiteral("The archive %1 changed while it was read")
                                    .arg(QString::fromStdString(archive));
        openTab(w, kTabHealthTest);
        click(w, "cmdHealth");
        openTab(w, kTabExport);
        typeInto(w, "txtDetIDs", QStringLiteral("100"));
        typeInto(w, "txtDestFile", QString::fromStdString(f.data().file("out.csv")));
        click(w, "cmdExport");
        QCOMPARE(f.dialogs.texts(), (QStringList{changed, changed}));
        QVERIFY(!std::filesystem::exists(f.file("Diagnostic_Report.txt")));
        QVERIFY(!std::filesystem::exists(f.data().file("out.csv")));
    }

    // Memory that runs out during a handler's work is a message, not the end of the program.
    void memoryRunningOutIsAMessage() {
        ScriptedDialogs dialogs;
        showingErrors(dialogs, "the export", [] { throw std::bad_alloc(); });
        QCOMPARE(dialogs.texts(), QStringList{QStringLiteral("not enough memory for the export")});
    }

    // A settings file that is there but cannot be read (here a folder, unreadable to root too):
    // the window starts with empty boxes, as for missing keys, and says which file and why.
    void unreadableSettingsFileAtStartUp() {
        WindowFixture f;
        std::filesystem::create_directory(f.file("ParamSettings.ini"));
        f.dialogs.messages.clear();
        frmTrafficExtrac& w = f.restart();
        QCOMPARE(f.dialogs.messages.size(), size_t{1});
        QCOMPARE(f.dialogs.messages[0].icon, MessageIcon::Exclamation);
        QVERIFY2(f.dialogs.messages[0].text.contains(f.qfile("ParamSettings.ini") +
                                                     QStringLiteral(" cannot be read: ")),
                 qPrintable(f.dialogs.messages[0].text));
        for (const HealthParameter& p : kHealthParameters)
            QCOMPARE(textOf(w, p.textBox), QString());
    }

    // A program folder nobody may write, root included: both save buttons name the file.
    void saveIntoReadOnlyProgramFolder() {
        ScriptedDialogs dialogs;
        frmTrafficExtrac w(QStringLiteral("/proc"), dialogs);
        w.show();
        TempDir data;
        w.openArchive(makeDetectorArchive(data, "day.traffic", {100}));  // opens the tab
        QVERIFY(waitForJobs(w));
        QVERIFY(dialogs.messages.empty());
        openTab(w, kTabHealthParam);
        const char* suspBox = kHealthParameters[kSuspTh].textBox.data();
        typeInto(w, suspBox, QStringLiteral("16"));
        click(w, "cmdSetDefault");
        click(w, "cmdSetFactoryDefault");
        QCOMPARE(dialogs.messages.size(), size_t{2});
        for (const ShownMessage& shown : dialogs.messages) {
            QCOMPARE(shown.icon, MessageIcon::Critical);
            QVERIFY2(shown.text.contains(QStringLiteral("/proc/ParamSettings.ini")),
                     qPrintable(shown.text));
        }
        QCOMPARE(textOf(w, suspBox), QStringLiteral("16"));
    }
};

QTEST_MAIN(WindowInputsTest)
#include "window_inputs_test.moc"
