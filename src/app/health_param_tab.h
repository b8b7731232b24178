#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>
#include <array>

#include "health/health_parameters.h"

namespace sorvane::app {

class AppState;
class Dialogs;

// Tab "Det Health Param": the twelve health parameters in their boxes, saved to and restored
// from ParamSettings.ini in the program folder. The health test reads the boxes, not the file.
class HealthParamTab : public QWidget {
    Q_OBJECT
  public:
    HealthParamTab(AppState& state, Dialogs& dialogs, QWidget* parent = nullptr);

    // The box of a parameter (txtOccTh, txtOccctr, ...).
    QLineEdit* box(HealthParam parameter) const { return boxes_[parameter]; }
    // The texts of the twelve boxes as they stand.
    HealthParameterTexts parameterTexts() const;

    // Fills the boxes from the settings file; anything missing leaves its box empty.
    void LoadHealthParameters();
    void cmdSetDefault_Click();
    void cmdSetFactoryDefault_Click();

    QPushButton* cmdSetDefault;
    QPushButton* cmdSetFactoryDefault;

  private:
    void buildLayout();
    // Runs a write of the settings file and reports "Done." or why it failed.
    template <class Write>
    bool writeSettings(Write write);

    AppState& state_;
    Dialogs& dialogs_;
    std::array<QLineEdit*, kHealthParamCount> boxes_{};
};

}  // namespace sorvane::app
