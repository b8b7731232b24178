#include "app/widget_factory.h"

#include "app/qt_text.h"
#include "common/intervals.h"

namespace sorvane::app {

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, QWidget* buddy) {
    auto* label = makeControl<QLabel>(parent, name);
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    if (buddy != nullptr) nameAfter(label, buddy);
    return label;
}

void nameAfter(QLabel* label, QWidget* control) {
    label->setBuddy(control);
    // Item views take their accessible name only from the widget itself, not from a buddy.
    control->setAccessibleName(label->text());
}

QLabel* makeWrappedLabel(QWidget* parent, const char* name, const QString& text) {
    QLabel* label = makeLabel(parent, name, text);
    label->setWordWrap(true);
    return label;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& text) {
    auto* button = makeControl<QPushButton>(parent, name);
    button->setText(text);
    return button;
}

QRadioButton* makeOption(QWidget* parent, const char* name, const QString& text) {
    auto* option = makeControl<QRadioButton>(parent, name);
    option->setText(text);
    return option;
}

QCheckBox* makeCheck(QWidget* parent, const char* name, const QString& text) {
    auto* check = makeControl<QCheckBox>(parent, name);
    check->setText(text);
    return check;
}

QGroupBox* makeFrame(QWidget* parent, const char* name, const QString& title) {
    auto* frame = makeControl<QGroupBox>(parent, name);
    frame->setTitle(title);
    return frame;
}

QComboBox* makeSelector(QWidget* parent, const char* name) {
    auto* selector = makeControl<QComboBox>(parent, name);
    selector->setPlaceholderText(QStringLiteral("Select one"));
    return selector;
}

void clearSelector(QComboBox* selector) {
    selector->clear();
    selector->setCurrentIndex(-1);
}

void fillIntervals(QComboBox* selector) {
    selector->clear();
    for (const IntervalSpec& interval : kIntervals)
        selector->addItem(toQString(interval.label));
    selector->setCurrentIndex(0);
}

}  // namespace sorvane::app
