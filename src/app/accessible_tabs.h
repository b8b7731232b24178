#pragma once

#include <QTabWidget>

namespace sorvane::app {

// Qt 6.4 tells assistive technologies that every tab of a tab bar is usable, a disabled one
// too. Installs (once) accessible interfaces for tab bars whose tabs report the disabled state
// (and can be pressed only when enabled).
void installAccessibleTabs();

// Enables or disables a tab and tells assistive technologies of the change.
void setTabUsable(QTabWidget* tabs, int index, bool usable);

}  // namespace sorvane::app
