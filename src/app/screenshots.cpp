#include "app/screenshots.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <array>
#include <iostream>

#include "app/frm_log.h"
#include "app/frm_splash.h"
#include "app/frm_traffic_extrac.h"

namespace sorvane::app {

namespace {

constexpr std::array<const char*, kTabCount> kTabFiles{"tab-1-file.png", "tab-2-plot.png",
                                                       "tab-3-export.png", "tab-4-health-param.png",
                                                       "tab-5-health-test.png"};

bool savePicture(QWidget& widget, const QDir& folder, const char* name) {
    QApplication::processEvents();
    QString path = folder.filePath(QString::fromLatin1(name));
    if (widget.grab().save(path, "PNG")) return true;
    std::cerr << "sorvane: could not save " << path.toStdString() << '\n';
    return false;
}

}  // namespace

bool saveScreenshots(frmTrafficExtrac& window, const QString& folder) {
    QDir dir(folder);
    if (!dir.mkpath(QStringLiteral("."))) {
        std::cerr << "sorvane: could not create " << folder.toStdString() << '\n';
        return false;
    }
    bool saved = true;
    for (int tab = 0; tab < kTabCount; ++tab) {
        window.SSTab1->setCurrentIndex(tab);
        saved = savePicture(window, dir, kTabFiles[static_cast<size_t>(tab)]) && saved;
    }
    window.SSTab1->setCurrentIndex(kTabFile);
    window.Command1_Click();
    saved = savePicture(*window.logWindow(), dir, "log-window.png") && saved;
    window.splashWindow()->show();
    saved = savePicture(*window.splashWindow(), dir, "splash.png") && saved;
    window.splashWindow()->close();
    return saved;
}

}  // namespace sorvane::app
