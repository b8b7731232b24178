#pragma once

#include <QLabel>
#include <QWidget>

namespace sorvane::app {

// The small window shown while an archive's detector list is built.
class frmSplash : public QWidget {
    Q_OBJECT
  public:
    explicit frmSplash(QWidget* parent = nullptr);

  private:
    QLabel* Label1;
};

}  // namespace sorvane::app
