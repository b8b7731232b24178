#include "app_test_support.h"

#include <QAbstractSpinBox>
#include <QAccessible>
#include <QApplication>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QToolTip>

namespace sorvane::test {

namespace {

// Takes the front answer of a queue; an empty queue answers as a cancel.
template <typename T>
std::optional<T> takeFront(std::deque<std::optional<T>>& queue) {
    if (queue.empty()) return std::nullopt;
    // Not a copy of the optional itself: GCC takes that for a use of an uninitialised value.
    bool cancel = !queue.front().has_value();
    T answer = cancel ? T() : *queue.front();
    queue.pop_front();
    if (cancel) return std::nullopt;
    return answer;
}

// Selects all of a box's text and deletes it, as a user would before typing anew.
void clearByKeys(QWidget* box) {
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(box, Qt::Key_Delete);
}

}  // namespace

std::optional<QColor> ScriptedDialogs::chooseColor(QWidget*, const QColor&, const QString&) {
    return takeFront(colours);
}

int ScriptedDialogs::ask(app::MessageIcon, const QString&, const QString& text,
                         const QStringList& offered) {
    questions.append(text);
    if (choices.empty()) return static_cast<int>(offered.size()) - 1;
    int chosen = choices.front();
    choices.pop_front();
    return chosen;
}

std::optional<QDate> ScriptedDialogs::askDate(const QString&, const QString& text, const QDate&) {
    questions.append(text);
    return takeFront(dates);
}

std::optional<QStringList> ScriptedDialogs::openFiles(const app::FileDialogRequest& request) {
    requests.push_back(request);
    return takeFront(fileLists);
}

QStringList ScriptedDialogs::texts() const {
    QStringList shown;
    for (const ShownMessage& m : messages)
        shown.append(m.text);
    return shown;
}

std::optional<QString> ScriptedDialogs::answer(const app::FileDialogRequest& request) {
    requests.push_back(request);
    return takeFront(answers);
}

WindowFixture::WindowFixture() {
    restart();
}

app::frmTrafficExtrac& WindowFixture::restart() {
    if (window_) window_->close();
    window_.reset();
    window_ =
        std::make_unique<app::frmTrafficExtrac>(QString::fromStdString(folder_.path()), dialogs);
    window_->show();
    return *window_;
}

QString WindowFixture::loadArchive(const std::vector<int>& detectors) {
    QString path = makeDetectorArchive(data_, "loaded.traffic", detectors);
    window_->openArchive(path);
    waitForJobs(*window_);
    return path;
}

HistoryFixture::HistoryFixture() {
    loadArchive({100});
    openTab(window(), app::kTabHealthParam);
    click(window(), "cmdSetFactoryDefault");
    dialogs.messages.clear();
}

app::HistoryWindow& HistoryFixture::openHistory() {
    openTab(window(), app::kTabHealthTest);
    click(window(), "cmdHistory");
    app::HistoryWindow* history = window().historyWindow();
    if (history->shown() == nullptr)
        QSignalSpy(history, &app::HistoryWindow::refreshed).wait(10000);
    return *history;
}

std::string HistoryFixture::cli(std::vector<std::string> args) const {
    args.insert(args.begin(), {SORVANE_CLI, "history"});
    args.insert(args.end(), {"--db", ledger});
    return runCommand(args).out;
}

history::DetectorDayRecord verdictRow(const std::string& date, int16_t det, bool bad) {
    history::DetectorDayRecord r;
    r.date = date;
    r.det = det;
    r.healthClass = bad ? modBaddet::HealthClass::High : modBaddet::HealthClass::Hlth;
    r.step = bad ? modBaddet::DecisionStep::Missing : modBaddet::DecisionStep::Healthy;
    r.attribution = bad ? history::Attribution::Detector : history::Attribution::None;
    return r;
}

QString toolTipAt(QWidget* widget, QPoint point) {
    QHelpEvent event(QEvent::ToolTip, point, widget->mapToGlobal(point));
    QApplication::sendEvent(widget, &event);
    return QToolTip::isVisible() ? QToolTip::text() : QString();
}

QWidget* openedWindow(const char* name) {
    QWidget* found = nullptr;
    (void)QTest::qWaitFor(
        [&] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->objectName() == QLatin1String(name) && w->isVisible()) found = w;
            return found != nullptr;
        },
        10000);
    return found;
}

QString makeDetectorArchive(const TempDir& dir, const std::string& name,
                            const std::vector<int>& detectors) {
    std::vector<synth::ArchiveMember> members;
    for (int det : detectors) {
        members.push_back({std::to_string(det) + ".v30", volumeBytes(5)});
        members.push_back({std::to_string(det) + ".o30", occupancyBytes(100)});
    }
    return QString::fromStdString(makeArchive(dir, name, members));
}

bool waitForJobs(QWidget& root) {
    for (QWidget* w = &root; w != nullptr; w = w->parentWidget()) {
        if (auto* window = qobject_cast<app::frmTrafficExtrac*>(w))
            return QTest::qWaitFor([window] { return !window->busy(); }, 60000);
    }
    return true;
}

void click(QWidget& root, std::string_view name) {
    clickNow(root, name);
    waitForJobs(root);
}

void clickNow(QWidget& root, std::string_view name) {
    waitForJobs(root);
    auto* button = control<QAbstractButton>(root, name);
    // An option button takes a click on its round indicator.
    QPoint at = qobject_cast<QPushButton*>(button) ? button->rect().center()
                                                   : QPoint(8, button->height() / 2);
    QTest::mouseClick(button, Qt::LeftButton, {}, at);
}

void typeInto(QWidget& root, std::string_view name, const QString& text) {
    waitForJobs(root);
    QWidget* box = control(root, name);
    if (auto* selector = qobject_cast<QComboBox*>(box)) box = selector->lineEdit();
    clearByKeys(box);
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0) QTest::keyClick(box, Qt::Key_Return);
        QTest::keyClicks(box, lines[i]);
    }
    waitForJobs(root);
}

void pick(QWidget& root, std::string_view name, int index) {
    waitForJobs(root);
    auto* selector = control<QComboBox>(root, name);
    // From the nearer end of the list, or from where the selector stands. The keys are counted
    // first: a choice the window refuses puts the selector back.
    int at = selector->currentIndex();
    const int fromEnd = selector->count() - 1 - index;
    if (at < 0 || std::min(index, fromEnd) < std::abs(index - at)) {
        QTest::keyClick(selector, index <= fromEnd ? Qt::Key_Home : Qt::Key_End);
        at = index <= fromEnd ? 0 : selector->count() - 1;
    }
    for (; at < index; ++at)
        QTest::keyClick(selector, Qt::Key_Down);
    for (; at > index; --at)
        QTest::keyClick(selector, Qt::Key_Up);
}

void clickLine(QWidget& root, std::string_view name, int row) {
    waitForJobs(root);
    auto* list = control<QListWidget>(root, name);
    list->scrollToItem(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(row)).center());
}

void openTab(app::frmTrafficExtrac& window, int index) {
    waitForJobs(window);
    openTabNow(window, index);
}

void openTabNow(app::frmTrafficExtrac& window, int index) {
    QTabBar* bar = control<QTabWidget>(window, "SSTab1")->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
}

QString textOf(QWidget& root, std::string_view name) {
    QWidget* w = control(root, name);
    if (auto* line = qobject_cast<QLineEdit*>(w)) return line->text();
    if (auto* box = qobject_cast<QPlainTextEdit*>(w)) return box->toPlainText();
    if (auto* label = qobject_cast<QLabel*>(w)) return label->text();
    if (auto* selector = qobject_cast<QComboBox*>(w)) return selector->currentText();
    qFatal("no text in %s", std::string(name).c_str());
}

bool isOn(QWidget& root, std::string_view name) {
    return control<QAbstractButton>(root, name)->isChecked();
}

bool isEnabled(QWidget& root, std::string_view name) {
    return control(root, name)->isEnabled();
}

QStringList entriesOf(QWidget& root, std::string_view selector) {
    auto* combo = control<QComboBox>(root, selector);
    QStringList entries;
    for (int i = 0; i < combo->count(); ++i)
        entries.append(combo->itemText(i));
    return entries;
}

QStringList linesOf(QWidget& root, std::string_view list) {
    auto* lines = control<QListWidget>(root, list);
    QStringList texts;
    for (int i = 0; i < lines->count(); ++i)
        texts.append(lines->item(i)->text());
    return texts;
}

QStringList rowsOf(const QAbstractItemView* view, const QList<int>& columns) {
    const QAbstractItemModel* model = view->model();
    QStringList rows;
    for (int row = 0; row < model->rowCount(); ++row) {
        QStringList cells;
        for (int c = 0; c < model->columnCount(); ++c)
            if (columns.isEmpty() || columns.contains(c))
                cells.append(model->index(row, c).data().toString());
        rows.append(cells.join(QStringLiteral(", ")));
    }
    return rows;
}

QList<app::ChartWindow*> chartsOf(app::frmTrafficExtrac& window) {
    QList<app::ChartWindow*> open;
    for (app::ChartWindow* chart : window.findChildren<app::ChartWindow*>()) {
        if (chart->isVisible()) open.append(chart);
    }
    return open;
}

QString accessibleName(QWidget* widget) {
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
    if (accessible == nullptr) return QString();
    if (qobject_cast<QComboBox*>(widget) == nullptr) return accessible->text(QAccessible::Name);
    for (const auto& [label, relation] : accessible->relations(QAccessible::Label))
        return label->text(QAccessible::Name);
    return QString();
}

std::pair<QStringList, int> unnamedInputs(QWidget& root) {
    QStringList unnamed;
    int inputs = 0;
    for (QWidget* w : root.findChildren<QWidget*>()) {
        bool input = qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w) ||
                     qobject_cast<QAbstractItemView*>(w) || qobject_cast<QPlainTextEdit*>(w) ||
                     qobject_cast<QAbstractSpinBox*>(w);
        // A combo box's own line edit and popup list, a date box's line edit, are its parts.
        if (!input || w->objectName().isEmpty() || w->objectName().startsWith("qt_")) continue;
        ++inputs;
        if (accessibleName(w).isEmpty() || !(w->focusPolicy() & Qt::TabFocus))
            unnamed.append(w->objectName());
    }
    return {unnamed, inputs};
}

}  // namespace sorvane::test
