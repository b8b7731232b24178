#include "app/accessible_tabs.h"

#include <QAccessibleWidget>
#include <QPointer>
#include <QTabBar>
#include <map>

namespace sorvane::app {

namespace {

// One tab of a tab bar: a page tab that is pressed to show its page.
class AccessibleTab : public QAccessibleInterface, public QAccessibleActionInterface {
  public:
    AccessibleTab(QTabBar* bar, int index) : bar_(bar), index_(index) {}

    bool isValid() const override { return !bar_.isNull() && index_ < bar_->count(); }
    QObject* object() const override { return nullptr; }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(bar_.data());
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessible::Role role() const override { return QAccessible::PageTab; }

    QString text(QAccessible::Text t) const override {
        if (!isValid()) return QString();
        switch (t) {
            case QAccessible::Name: {
                QString name = bar_->accessibleTabName(index_);
                return name.isEmpty() ? bar_->tabText(index_).remove(QLatin1Char('&')) : name;
            }
            case QAccessible::Description:
                return bar_->tabToolTip(index_);
            default:
                return QString();
        }
    }
    void setText(QAccessible::Text, const QString&) override {}

    QRect rect() const override {
        if (!isValid()) return {};
        QRect tab = bar_->tabRect(index_);
        return QRect(bar_->mapToGlobal(tab.topLeft()), tab.size());
    }

    QAccessible::State state() const override {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        s.selectable = true;
        s.focusable = true;
        s.selected = bar_->currentIndex() == index_;
        s.focused = s.selected && bar_->hasFocus();
        s.disabled = !bar_->isEnabled() || !bar_->isTabEnabled(index_);
        s.invisible = !bar_->isVisible() || !bar_->isTabVisible(index_);
        return s;
    }

    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                    : nullptr;
    }
    QStringList actionNames() const override {
        return state().disabled ? QStringList() : QStringList{pressAction()};
    }
    void doAction(const QString& name) override {
        if (name == pressAction() && !state().disabled) bar_->setCurrentIndex(index_);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

  private:
    QPointer<QTabBar> bar_;
    int index_;
};

// The tab bar: a page tab list whose children are its tabs.
class AccessibleTabBar : public QAccessibleWidget {
  public:
    explicit AccessibleTabBar(QTabBar* bar) : QAccessibleWidget(bar, QAccessible::PageTabList) {}
    ~AccessibleTabBar() override {
        for (const auto& [index, id] : tabs_)
            QAccessible::deleteAccessibleInterface(id);
    }

    int childCount() const override { return bar()->count(); }
    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= bar()->count()) return nullptr;
        auto found = tabs_.find(index);
        if (found == tabs_.end()) {
            QAccessible::Id id =
                QAccessible::registerAccessibleInterface(new AccessibleTab(bar(), index));
            found = tabs_.emplace(index, id).first;
        }
        return QAccessible::accessibleInterface(found->second);
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        for (const auto& [index, id] : tabs_) {
            if (QAccessible::accessibleInterface(id) == child) return index;
        }
        return -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        int index = bar()->tabAt(bar()->mapFromGlobal(QPoint(x, y)));
        return index < 0 ? nullptr : child(index);
    }

  private:
    QTabBar* bar() const { return static_cast<QTabBar*>(widget()); }
    mutable std::map<int, QAccessible::Id> tabs_;
};

QAccessibleInterface* tabBarInterface(const QString& className, QObject* object) {
    if (className == QLatin1String("QTabBar") && object != nullptr && object->isWidgetType())
        return new AccessibleTabBar(static_cast<QTabBar*>(object));
    return nullptr;
}

}  // namespace

void installAccessibleTabs() {
    static const bool installed = [] {
        QAccessible::installFactory(tabBarInterface);
        return true;
    }();
    (void)installed;
}

void setTabUsable(QTabWidget* tabs, int index, bool usable) {
    if (tabs->isTabEnabled(index) == usable) return;
    tabs->setTabEnabled(index, usable);
    QAccessibleInterface* bar = QAccessible::queryAccessibleInterface(tabs->tabBar());
    if (bar == nullptr || bar->child(index) == nullptr) return;
    QAccessible::State changed;
    changed.disabled = true;
    QAccessibleStateChangeEvent event(bar->child(index), changed);
    QAccessible::updateAccessibility(&event);
}

}  // namespace sorvane::app
