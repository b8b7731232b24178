#include "app/widget_factory.h"

#include <QKeyEvent>

#include "app/qt_text.h"
#include "common/intervals.h"

namespace sorvane::app {

namespace {

// Clicks its button on Enter or Return; a child of the button, so it goes with it.
class EnterClicks : public QObject {
  public:
    explicit EnterClicks(QAbstractButton* button) : QObject(button) {
        button->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) ||
            (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
            return false;
        }
        auto* button = static_cast<QAbstractButton*>(watched);
        if (!button->isEnabled()) return false;
        button->click();
        return true;
    }
};

}  // namespace

void activateOnEnter(QAbstractButton* button) {
    new EnterClicks(button);
}

void setReadingOrder(const QList<QWidget*>& controls) {
    for (qsizetype i = 1; i < controls.size(); ++i)
        QWidget::setTabOrder(controls[i - 1], controls[i]);
}

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
    activateOnEnter(button);
    return button;
}

QRadioButton* makeOption(QWidget* parent, const char* name, const QString& text) {
    auto* option = makeControl<QRadioButton>(parent, name);
    option->setText(text);
    activateOnEnter(option);
    return option;
}

QCheckBox* makeCheck(QWidget* parent, const char* name, const QString& text) {
    auto* check = makeControl<QCheckBox>(parent, name);
    check->setText(text);
    activateOnEnter(check);
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
