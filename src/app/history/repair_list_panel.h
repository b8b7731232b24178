#pragma once

#include <QWidget>
#include <cstdint>
#include <memory>
#include <vector>

#include "history/history_report.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QTableView;

namespace sorvane::app {

class RepairListModel;
class RepairListFilter;

// The repair list beside the picture as a work order: a table of the detectors of
// `sorvane-cli history report`'s repair list with their place in the network and their figures,
// sorted by any column, narrowed by label, step, lane type and corridor and by a detector
// search. Moving the selection names the detector; Enter asks for its last bad day's chart; a
// double click on the detector number or the context menu asks for its days.
class RepairListPanel : public QWidget {
    Q_OBJECT
  public:
    explicit RepairListPanel(QWidget* parent = nullptr);

    // Shows the report's repair list (the report is kept while shown); nullptr shows none.
    void showReport(std::shared_ptr<const history::HistoryReport> report);
    // The detectors of the rows shown, top to bottom.
    std::vector<int16_t> shownDetectors() const;
    QTableView* table() const { return repairList_; }
    // As wide as the table's columns, so that a window with room shows them all.
    QSize sizeHint() const override;

  signals:
    void detectorChosen(int16_t det);
    void dayChartAsked(int16_t det);
    void daysAsked(int16_t det);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void fillFilters();
    void filterChosen();
    void fitColumns();
    void showCount();
    // The detector of a row of the table as shown; -1 for none.
    int detectorAt(int shownRow) const;
    void showMenu(const QPoint& position);

    RepairListModel* model_;
    RepairListFilter* filter_;
    QComboBox* labelFilter_;
    QComboBox* stepFilter_;
    QComboBox* laneTypeFilter_;
    QComboBox* corridorFilter_;
    QLineEdit* detectorSearch_;
    QLabel* repairCountLabel_;
    QTableView* repairList_;
};

}  // namespace sorvane::app
