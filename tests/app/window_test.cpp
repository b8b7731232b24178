// The main window's start-up state, screen-reader names, shut-down and the log window.
#include <QAccessible>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QtTest>
#include <iostream>
#include <sstream>

#include "app/export_tab.h"
#include "app/file_tab.h"
#include "app/frm_log.h"
#include "app/frm_splash.h"
#include "app/health_test_tab.h"
#include "app/plot_tab.h"
#include "app_test_support.h"

using namespace sorvane;
using namespace sorvane::app;
using sorvane::test::WindowFixture;

namespace {

// The name a screen reader announces for a control. On Linux a combo box announces its value
// and takes its name from the label related to it.
QString accessibleName(QWidget* widget) {
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
    if (accessible == nullptr) return QString();
    if (qobject_cast<QComboBox*>(widget) == nullptr) return accessible->text(QAccessible::Name);
    for (const auto& [label, relation] : accessible->relations(QAccessible::Label)) {
        return label->text(QAccessible::Name);
    }
    return QString();
}

}  // namespace

class WindowTest : public QObject {
    Q_OBJECT
  public:
    static void initMain() { QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs); }

  private slots:
    void startsWithOnlyTheFileTabUsable() {
        WindowFixture f;
        frmTrafficExtrac& w = f.window();
        QCOMPARE(w.SSTab1->currentIndex(), kTabFile);
        for (int tab = 0; tab < kTabCount; ++tab) {
            QCOMPARE(w.SSTab1->isTabEnabled(tab), tab == kTabFile);
        }
        QCOMPARE(w.plotTab->cmbDetector->currentIndex(), -1);
        for (QComboBox* intervals : {w.plotTab->cmbPlotInterval, w.exportTab->cmbExportInterval}) {
            QCOMPARE(intervals->currentText(), QStringLiteral("30 sec"));
        }
        for (QWidget* off :
             {w.plotTab->cmdScatter, w.plotTab->cmdLine, w.plotTab->cmdHist, w.plotTab->cmdRecomp,
              w.testTab->cmdShowreport, w.testTab->cmdShowsingleReport}) {
            QVERIFY2(!off->isEnabled(), qPrintable(off->objectName()));
        }
        for (QRadioButton* on : {w.plotTab->optZero, w.plotTab->optVol, w.exportTab->optVolocc,
                                 w.testTab->optLineplot}) {
            QVERIFY2(on->isChecked(), qPrintable(on->objectName()));
        }
        QVERIFY(w.testTab->ProgressBar1->isHidden());
        QVERIFY(f.dialogs.messages.empty());
    }

    void everyInputIsNamedAfterItsLabel() {
        WindowFixture f;
        int inputs = 0;
        for (QWidget* w : f.window().findChildren<QWidget*>()) {
            bool input = qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w) ||
                         qobject_cast<QAbstractItemView*>(w) || qobject_cast<QPlainTextEdit*>(w);
            // A combo box's own line edit and popup list are parts of the combo box.
            if (!input || w->objectName().isEmpty()) continue;
            ++inputs;
            QVERIFY2(!accessibleName(w).isEmpty(), qPrintable(w->objectName()));
        }
        QVERIFY(inputs >= 25);
        QCOMPARE(accessibleName(f.window().plotTab->cmbPlotInterval),
                 QStringLiteral("Time Interval"));
    }

    void shutDownWritesTheLog() {
        for (bool load : {false, true}) {
            for (bool byExitButton : {false, true}) {
                WindowFixture f;
                test::writeFile(f.file("Log.txt"), "the previous run's log\r\n");
                frmTrafficExtrac& w = f.window();
                w.show();
                std::string expected = "\r\n";
                if (load) {
                    expected = f.loadArchive({100}).toStdString() + " Was successfully loaded.\r\n";
                }
                if (byExitButton) {
                    w.fileTab->cmdExit->click();
                } else {
                    w.close();
                }
                QVERIFY(!w.isVisible());
                QCOMPARE(test::readFile(f.file("Log.txt")), expected);
            }
        }
    }

    void closingClosesEveryOtherWindow() {
        WindowFixture f;
        frmTrafficExtrac& w = f.window();
        w.show();
        w.Command1_Click();
        w.splashWindow()->show();
        auto* chart = new QWidget(&w, Qt::Window);  // as the plots open their chart windows
        chart->show();
        w.close();
        for (QWidget* other : {static_cast<QWidget*>(w.logWindow()),
                               static_cast<QWidget*>(w.splashWindow()), chart}) {
            QVERIFY2(!other->isVisible(), qPrintable(other->windowTitle()));
        }
    }

    void unwritableLogIsReportedAndTheWindowStillCloses() {
        WindowFixture f;
        QDir().mkpath(f.qfile("Log.txt"));  // a folder where the file should go
        f.window().show();
        std::ostringstream err;
        std::streambuf* old = std::cerr.rdbuf(err.rdbuf());
        bool closed = f.window().close();
        std::cerr.rdbuf(old);
        QVERIFY(closed && !f.window().isVisible());
        QVERIFY2(err.str().find("Log.txt") != std::string::npos, err.str().c_str());
    }

    void showLogShowsACopyAndRefreshes() {
        WindowFixture f;
        frmTrafficExtrac& w = f.window();
        w.state().log().appendLog("first line\r\nsecond");
        w.Command1_Click();
        frmLog* log = w.logWindow();
        QVERIFY(log->isVisible());
        QCOMPARE(log->Text1->toPlainText(), QStringLiteral("first line\nsecond"));

        w.state().log().appendLog(" more");
        QCOMPARE(log->Text1->toPlainText(), QStringLiteral("first line\nsecond"));
        log->Text1->setPlainText(QStringLiteral("edited by the user"));
        QCOMPARE(w.state().log().logText(), std::string("first line\r\nsecond more"));

        w.Command1_Click();
        QCOMPARE(log->Text1->toPlainText(), QStringLiteral("first line\nsecond more"));
        QCOMPARE(w.findChildren<frmLog*>().size(), 1);

        // The text box fills the log window at every size.
        for (QSize size : {QSize(200, 120), QSize(300, 800)}) {
            log->resize(size);
            QApplication::processEvents();
            QCOMPARE(log->Text1->geometry(), log->rect());
        }
    }
};

QTEST_MAIN(WindowTest)
#include "window_test.moc"
