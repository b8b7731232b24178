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

    // The texts of the twelve boxes (txtOccTh, txtOccctr, ...) as they stand.
    HealthParameterTexts parameterTexts() const;

    // Fills the boxes from the settings file; anything missing leaves its box empty, and so does
    // a file that cannot be read, with a message naming it.
    void LoadHealthParameters();

  private:
    void buildLayout();
    void cmdSetDefault_Click();
    void cmdSetFactoryDefault_Click();
    // Runs a write of the settings file and reports "Done." or why it failed.
    template <class Write>
    bool writeSettings(Write write);

    AppState& state_;
    Dialogs& dialogs_;
    std::array<QLineEdit*, kHealthParamCount> boxes_{};
    QPushButton* cmdSetDefault;
    QPushButton* cmdSetFactoryDefault;
};

}  // namespace sorvane::app
