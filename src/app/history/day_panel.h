#pragma once

#include <QWidget>
#include <cstdint>
#include <string>

#include "history/day_verdict.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;

namespace sorvane::app {

// A date's verdict beside the picture: the answer of `sorvane-cli history day` for it, the
// counts owed to the feed, to stations and controllers and to the detectors, and the day's own
// faults (new today first) with where each detector sits. A click on a fault names its detector.
class DayPanel : public QWidget {
    Q_OBJECT
  public:
    explicit DayPanel(QWidget* parent = nullptr);

    const std::string& date() const { return date_; }

    void showReading(const std::string& date);
    void showVerdict(const history::DayVerdict& verdict);
    // A date of the calendar that the ledger lacks, or a read that failed.
    void showNothing(const std::string& date, const QString& why);

  signals:
    void detectorChosen(int16_t det);
    // A verdict is shown.
    void verdictShown();
    // "Close" hid the panel.
    void closed();

  private:
    std::string date_;
    QLabel* titleLabel_;
    QPushButton* closeButton_;
    QLabel* outagesLabel_;
    QLabel* countsLabel_;
    QTreeWidget* faultsList_;
    QPlainTextEdit* verdictText_;
};

// The detector's place in the network, one "Name: value" per line (station, lane, lane type,
// corridor, label); "Not in the inventory" when the inventory lacks it; empty without one.
QString networkDetails(const history::Inventory* inventory, int16_t det);

}  // namespace sorvane::app
