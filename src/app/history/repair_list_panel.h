#pragma once

#include <QTreeWidget>
#include <cstdint>

#include "history/history_report.h"

namespace sorvane::app {

// The repair list beside the picture: per detector its label, streak, bad days out of days and
// last step, in the order and with the figures of `sorvane-cli history report`. A click on a
// line names its detector.
class RepairListPanel : public QTreeWidget {
    Q_OBJECT
  public:
    explicit RepairListPanel(QWidget* parent = nullptr);

    void showReport(const history::HistoryReport& report);

  signals:
    void detectorChosen(int16_t det);
};

}  // namespace sorvane::app
