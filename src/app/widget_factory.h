#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QList>
#include <QPushButton>
#include <QRadioButton>
#include <string_view>

namespace sorvane::app {

// Controls carry their established names as objectName, so that handlers, tests and later
// features find them by name.
template <class W>
W* makeControl(QWidget* parent, std::string_view name) {
    auto* control = new W(parent);
    control->setObjectName(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
    return control;
}

// A plain-text label; with a buddy it names that control for screen readers.
QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, QWidget* buddy = nullptr);
// Makes `label` the label of `control`: its buddy and the name screen readers announce.
void nameAfter(QLabel* label, QWidget* control);
QLabel* makeWrappedLabel(QWidget* parent, const char* name, const QString& text);
QPushButton* makeButton(QWidget* parent, const char* name, const QString& text);
QRadioButton* makeOption(QWidget* parent, const char* name, const QString& text);
QCheckBox* makeCheck(QWidget* parent, const char* name, const QString& text);
QGroupBox* makeFrame(QWidget* parent, const char* name, const QString& title);

// Enter and Return on a focused button click it, as Space does (only a dialog's default button
// takes Enter in Qt by itself). The buttons above do so already.
void activateOnEnter(QAbstractButton* button);

// Makes Tab move through `controls` in this order: the reading order of a tab.
void setReadingOrder(const QList<QWidget*>& controls);

// A selector with no entry, showing "Select one".
QComboBox* makeSelector(QWidget* parent, const char* name);
void clearSelector(QComboBox* selector);

// Clears an interval selector, adds the ten interval labels in table order and selects the first.
void fillIntervals(QComboBox* selector);

}  // namespace sorvane::app
