#pragma once

#include <QWidget>

namespace sorvane::app {

// A line of colour swatches, each with the name of its verdict.
class HistoryLegend : public QWidget {
    Q_OBJECT
  public:
    explicit HistoryLegend(QWidget* parent = nullptr);
};

}  // namespace sorvane::app
