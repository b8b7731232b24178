#include "app/frm_log.h"

#include <QVBoxLayout>

#include "app/widget_factory.h"

namespace sorvane::app {

frmLog::frmLog(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmLog"));
    setWindowTitle(QStringLiteral("Log Info"));
    Text1 = makeControl<QPlainTextEdit>(this, "Text1");
    Text1->setAccessibleName(windowTitle());
    Text1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // No margins: the box fills the window at every size.
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Text1);
    resize(560, 360);
}

void frmLog::showLog(const QString& logText) {
    QString shown = logText;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    Text1->setPlainText(shown);
    show();
    raise();
    activateWindow();
}

}  // namespace sorvane::app
