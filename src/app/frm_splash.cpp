#include "app/frm_splash.h"

#include <QVBoxLayout>

#include "app/widget_factory.h"

namespace sorvane::app {

frmSplash::frmSplash(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmSplash"));
    setWindowTitle(QStringLiteral("Splash Message"));
    Label1 = makeLabel(this, "Label1", QStringLiteral("Building Detector List ...."));
    Label1->setAlignment(Qt::AlignCenter);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(32, 24, 32, 24);
    layout->addWidget(Label1);
}

}  // namespace sorvane::app
