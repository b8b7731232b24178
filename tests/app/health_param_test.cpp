// The "Det Health Param" tab: boxes filled from ParamSettings.ini, saved, restored.
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

#include "app/app_state.h"
#include "app/health_param_tab.h"
#include "app_test_support.h"
#include "health/health_parameters.h"

using namespace sorvane;
using namespace sorvane::app;
using sorvane::test::WindowFixture;

namespace {

QStringList boxTexts(const HealthParamTab& tab) {
    QStringList texts;
    for (size_t i = 0; i < kHealthParamCount; ++i) {
        texts.append(tab.box(static_cast<HealthParam>(i))->text());
    }
    return texts;
}

// The label whose buddy is `box`: the caption a user reads beside it.
QString captionBeside(const QWidget* box) {
    for (QLabel* label : box->parentWidget()->findChildren<QLabel*>()) {
        if (label->buddy() == box) return label->text();
    }
    return QStringLiteral("<no label>");
}

bool saidDone(const test::ScriptedDialogs& dialogs) {
    return dialogs.messages.size() == 1 && dialogs.messages[0].icon == MessageIcon::None &&
           dialogs.messages[0].title == QStringLiteral("Sorvane") &&
           dialogs.messages[0].text == QStringLiteral("Done.");
}

}  // namespace

class HealthParamTest : public QObject {
    Q_OBJECT
  public:
    static void initMain() { QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs); }

  private slots:
    void eachBoxShowsItsCaptionAndItsOwnKey() {
        WindowFixture f;
        // Keys in reverse order, one in other letter case, values with blanks around them.
        std::string ini = "[other]\r\nSuspTh=wrong\r\n[param]\r\n";
        for (size_t i = kHealthParamCount; i-- > 0;) {
            std::string key(kHealthParameters[i].key);
            if (i == kLockOnMin) key = "lockonmin";
            ini += key + " =  v" + std::to_string(i) + " \r\n";
        }
        test::writeFile(f.file("ParamSettings.ini"), ini);
        HealthParamTab& tab = *f.restart().paramTab;
        for (size_t i = 0; i < kHealthParamCount; ++i) {
            const HealthParameter& p = kHealthParameters[i];
            QLineEdit* box = tab.box(static_cast<HealthParam>(i));
            QCOMPARE(box->objectName(), toQString(p.textBox));
            QCOMPARE(box->text(), QStringLiteral("v") + QString::number(i));
            QCOMPARE(captionBeside(box), toQString(p.caption));
        }
    }

    void factoryRestoreWritesTheFileAndFillsTheBoxes() {
        WindowFixture f;
        f.loadArchive({100});
        HealthParamTab& tab = *f.window().paramTab;
        QCOMPARE(boxTexts(tab), QStringList(kHealthParamCount, QString()));  // no file yet
        tab.cmdSetFactoryDefault->click();
        QVERIFY(saidDone(f.dialogs));
        QCOMPARE(boxTexts(tab), (QStringList{"40", "30", "15", "25", "15", "12", "20", "4", "7",
                                             "0.9985", "4500", "4940"}));
        QCOMPARE(test::readFile(f.file("ParamSettings.ini")),
                 std::string("[Param]\r\nOccSpikeTh=40\r\nOccSpikeCountTh=30\r\nVolSpikeTh=15\r\n"
                             "VolSpikeCountTh=25\r\nSuspTh=15\r\nMargTh=12\r\nMissingPercent=20\r\n"
                             "ConsecZeroVolMin=4\r\nLockOnMin=7\r\nCorCoeffTh=0.9985\r\n"
                             "DetNoFrom=4500\r\nDetNoTo=4940\r\n"));
    }

    void savedBoxesComeBackAfterARestart() {
        WindowFixture f;
        f.loadArchive({100});
        HealthParamTab* tab = f.window().paramTab;
        tab->cmdSetFactoryDefault->click();
        tab->box(kVolSpikeTh)->setText(QStringLiteral("10"));
        tab->box(kOccSpikeCountTh)->setText(QStringLiteral("22"));
        tab->box(kMargTh)->clear();
        f.dialogs.messages.clear();
        tab->cmdSetDefault->click();
        QVERIFY(saidDone(f.dialogs));

        tab = f.restart().paramTab;
        QCOMPARE(tab->box(kVolSpikeTh)->text(), QStringLiteral("10"));
        QCOMPARE(tab->box(kOccSpikeCountTh)->text(), QStringLiteral("22"));
        QCOMPARE(tab->box(kMargTh)->text(), QString());
        QCOMPARE(tab->box(kCorCoeffTh)->text(), QStringLiteral("0.9985"));
        std::string ini = test::readFile(f.file("ParamSettings.ini"));
        QVERIFY(ini.find("VolSpikeTh=10\r\n") != std::string::npos);
        QVERIFY(ini.find("OccSpikeCountTh=22\r\n") != std::string::npos);
        QVERIFY(ini.find("MargTh=\r\n") != std::string::npos);
    }

    void failedWriteIsNeverReportedAsDone_data() {
        QTest::addColumn<bool>("factory");
        QTest::newRow("Set As Default Parameters") << false;
        QTest::newRow("Restore Factory Default Parameters") << true;
    }

    void failedWriteIsNeverReportedAsDone() {
        QFETCH(bool, factory);
        WindowFixture f;
        QDir().mkpath(f.qfile("ParamSettings.ini"));  // a folder where the file should be
        f.loadArchive({100});
        HealthParamTab& tab = *f.window().paramTab;
        tab.box(kSuspTh)->setText(QStringLiteral("16"));
        (factory ? tab.cmdSetFactoryDefault : tab.cmdSetDefault)->click();

        QCOMPARE(f.dialogs.messages.size(), size_t{1});
        const test::ShownMessage& shown = f.dialogs.messages.front();
        QCOMPARE(shown.icon, MessageIcon::Critical);
        QVERIFY2(shown.text.contains(f.qfile("ParamSettings.ini")), qPrintable(shown.text));
        QVERIFY2(shown.text.contains(QStringLiteral("Is a directory")), qPrintable(shown.text));
        // The user's values stay in the boxes.
        QCOMPARE(tab.box(kSuspTh)->text(), QStringLiteral("16"));
        QCOMPARE(tab.box(kOccSpikeTh)->text(), QString());
    }
};

QTEST_MAIN(HealthParamTest)
#include "health_param_test.moc"
