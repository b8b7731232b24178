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
        std::string ini = "[Param]\r\n";
        for (size_t i = kHealthParamCount; i-- > 0;)  // in reverse order
            ini += std::string(kHealthParameters[i].key) + "=v" + std::to_string(i) + "\r\n";
        test::writeFile(f.file("ParamSettings.ini"), ini);
        HealthParamTab& tab = *f.restart().paramTab;
        for (size_t i = 0; i < kHealthParamCount; ++i) {
            QLineEdit* box = tab.box(static_cast<HealthParam>(i));
            QCOMPARE(box->text(), QStringLiteral("v") + QString::number(i));
            QCOMPARE(captionBeside(box), toQString(kHealthParameters[i].caption));
        }
    }

    void savedAndFactoryValuesFillTheBoxesAndComeBackAfterARestart() {
        WindowFixture f;
        f.loadArchive({100});
        HealthParamTab* tab = f.window().paramTab;
        QCOMPARE(boxTexts(*tab), QStringList(kHealthParamCount, QString()));  // no file yet
        tab->cmdSetFactoryDefault->click();
        QVERIFY(saidDone(f.dialogs));
        QStringList factory;
        for (const std::string& text : factoryParameterTexts())
            factory.append(toQString(text));
        QCOMPARE(boxTexts(*tab), factory);
        QCOMPARE(boxTexts(*f.restart().paramTab), factory);

        f.loadArchive({100});
        tab = f.window().paramTab;
        tab->box(kVolSpikeTh)->setText(QStringLiteral("10"));
        tab->box(kMargTh)->clear();
        f.dialogs.messages.clear();
        tab->cmdSetDefault->click();
        QVERIFY(saidDone(f.dialogs));
        factory[kVolSpikeTh] = QStringLiteral("10");
        factory[kMargTh] = QString();
        QCOMPARE(boxTexts(*f.restart().paramTab), factory);
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
