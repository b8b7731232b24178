#pragma once

#include <QStringList>
#include <cstdint>
#include <string>
#include <vector>

#include "app/charts/chart_window.h"
#include "history/detector_days.h"

class QComboBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace sorvane::app {

// A detector's days side by side: its daily daytime volume across the window's dates with its
// baseline and the 0.7 and 1.3 band, bad days marked in their class colour and outage days in
// blue; beside it the days to lay one above the other in a strip (at most 14).
class DetectorDaysWindow : public ChartWindow {
    Q_OBJECT
  public:
    static constexpr int kMaxStripDays = 14;

    DetectorDaysWindow(int16_t det, const std::string& from, const std::string& to,
                       std::vector<history::DetectorDayPoint> days, ChartContext context);

    int16_t detector() const { return det_; }
    // The days ticked for the strip, in date order.
    QStringList stripDays() const;

  signals:
    void stripAsked(int16_t det, const QStringList& dates, bool fiveMinutes);

  private:
    void drawDays();
    void layOutStripChoice();
    void dayTicked(QListWidgetItem* changed);

    int16_t det_;
    std::vector<history::DetectorDayPoint> days_;
    QListWidget* stripDays_;
    QComboBox* stripInterval_;
    QPushButton* showStripButton_;
    QLabel* stripNote_;
};

}  // namespace sorvane::app
