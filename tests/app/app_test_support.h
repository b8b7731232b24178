#pragma once

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QListWidget>
#include <QObject>
#include <QString>
#include <QTest>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/charts/chart_window.h"
#include "app/dialogs.h"
#include "app/frm_traffic_extrac.h"
#include "app/history/history_window.h"
#include "app/qt_text.h"
#include "history/ledger_store.h"
#include "support/test_support.h"

namespace sorvane::test {

// A message box the window showed.
struct ShownMessage {
    app::MessageIcon icon;
    QString title;
    QString text;
};

// Dialogs that never block: messages are recorded, file and colour dialogs are answered from
// queues (nullopt is a cancel, and so is an empty queue). A dialog for several files takes its
// answer from `fileLists`.
class ScriptedDialogs : public app::Dialogs {
  public:
    void message(app::MessageIcon icon, const QString& title, const QString& text) override {
        messages.push_back({icon, title, text});
    }
    // A question's text is recorded in `questions`; its answer is the front of `choices`, the
    // last choice (a close) when the queue is empty. A date comes from `dates`.
    int ask(app::MessageIcon icon, const QString& title, const QString& text,
            const QStringList& choices) override;
    std::optional<QDate> askDate(const QString& title, const QString& text,
                                 const QDate& initial) override;
    std::optional<QString> openFile(const app::FileDialogRequest& r) override { return answer(r); }
    std::optional<QString> saveFile(const app::FileDialogRequest& r) override { return answer(r); }
    std::optional<QStringList> openFiles(const app::FileDialogRequest& r) override;
    std::optional<QColor> chooseColor(QWidget*, const QColor&, const QString&) override;

    // The texts of the messages shown so far, in order.
    QStringList texts() const;

    std::vector<ShownMessage> messages;
    std::vector<app::FileDialogRequest> requests;
    std::deque<std::optional<QString>> answers;
    std::deque<std::optional<QColor>> colours;
    std::deque<std::optional<QStringList>> fileLists;
    QStringList questions;
    std::deque<int> choices;
    std::deque<std::optional<QDate>> dates;

  private:
    std::optional<QString> answer(const app::FileDialogRequest& request);
};

// A main window over a temporary program folder of its own, with scripted dialogs. The window
// is shown, so that its controls are laid out as a user sees them.
class WindowFixture {
  public:
    WindowFixture();
    // The window as after a restart of the program in the same folder.
    app::frmTrafficExtrac& restart();

    app::frmTrafficExtrac& window() { return *window_; }
    // Loads an archive of these detectors (kept outside the program folder), which opens the
    // tabs as for a user; returns its path.
    QString loadArchive(const std::vector<int>& detectors);
    // A folder outside the program folder for the test's own files.
    const TempDir& data() const { return data_; }
    std::string file(const std::string& name) const { return folder_.file(name); }
    QString qfile(const std::string& name) const { return QString::fromStdString(file(name)); }

    ScriptedDialogs dialogs;

  private:
    TempDir folder_;
    TempDir data_;
    std::unique_ptr<app::frmTrafficExtrac> window_;
};

// A window with an archive loaded (which opens the health test tab), the factory parameters
// set, and a ledger in the program folder, where the history window looks first.
struct HistoryFixture : WindowFixture {
    HistoryFixture();
    // Opens the history window and waits for its first picture.
    app::HistoryWindow& openHistory();
    // What `sorvane-cli history ARGS --db LEDGER` prints.
    std::string cli(std::vector<std::string> args) const;

    std::string ledger = file("sorvane-history.sqlite");
};

// A detector's day: bad (High, missing, owed to the detector) or healthy.
history::DetectorDayRecord verdictRow(const std::string& date, int16_t det, bool bad);

// The tooltip a widget shows for a point, as the pointer resting there asks for it.
QString toolTipAt(QWidget* widget, QPoint point);

// The visible top-level window of that name once it is open; nullptr after ten seconds without.
QWidget* openedWindow(const char* name);

// An archive holding a volume and an occupancy member for each detector, in order.
QString makeDetectorArchive(const TempDir& dir, const std::string& name,
                            const std::vector<int>& detectors);

// The name a screen reader announces for a control. On Linux a combo box announces its value
// and takes its name from the label related to it.
QString accessibleName(QWidget* widget);

// The objectNames of the inputs below `root` (line edits, combo boxes, item views, text and
// date boxes) that a screen reader announces without a name or that Tab never reaches, and the
// number of inputs looked at.
std::pair<QStringList, int> unnamedInputs(QWidget& root);

// The control named `name` below `root`, found as a user's robot finds it: by its objectName.
// A control that is not there ends the test program.
template <class W = QWidget>
W* control(QWidget& root, std::string_view name) {
    W* found =
        root.findChild<W*>(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
    if (found == nullptr) qFatal("no control %s", std::string(name).c_str());
    return found;
}

// Waits until the main window that `root` belongs to has no job running (a load, a health
// test, an export); false when one is still running after a minute.
bool waitForJobs(QWidget& root);

// The helpers below act as a user who waits for the window's jobs: each waits before it acts,
// and again after it, for the job it may have started. The ...Now ones act at once and wait
// for nothing after: for a test of what the window does while a job runs.

// Clicks a button (or an option) with the left mouse button.
void click(QWidget& root, std::string_view name);
void clickNow(QWidget& root, std::string_view name);
// Replaces the text of a line edit, a text box or an editable selector by typing it; a line
// feed is the Return key.
void typeInto(QWidget& root, std::string_view name, const QString& text);
// Picks entry `index` of a selector with the keys, as a user does (each step is a choice).
void pick(QWidget& root, std::string_view name, int index);
// Clicks line `row` of a list.
void clickLine(QWidget& root, std::string_view name, int row);
// Clicks the tab at `index` of the main window's tab bar.
void openTab(app::frmTrafficExtrac& window, int index);
void openTabNow(app::frmTrafficExtrac& window, int index);

QString textOf(QWidget& root,
               std::string_view name);            // of a line edit, text box, label or selector
bool isOn(QWidget& root, std::string_view name);  // an option or check box is checked
bool isEnabled(QWidget& root, std::string_view name);  // the control can be used

// Texts of a selector's entries and of a list's lines.
QStringList entriesOf(QWidget& root, std::string_view selector);
QStringList linesOf(QWidget& root, std::string_view list);

// The rows of a table or tree, each its cells' texts (of every column, or of those given, in
// order) joined by ", ".
QStringList rowsOf(const QAbstractItemView* view, const QList<int>& columns = {});

// The chart windows the window has open, oldest first.
QList<app::ChartWindow*> chartsOf(app::frmTrafficExtrac& window);

// Data-driven tests over a table whose rows have a `name`: the _data function adds a data row
// for each table row, and the test function takes its row back.
template <typename Row, size_t N>
void addRows(const Row (&rows)[N]) {
    QTest::addColumn<int>("row");
    for (size_t i = 0; i < N; ++i)
        QTest::newRow(rows[i].name) << static_cast<int>(i);
}
template <typename Row, size_t N>
const Row& currentRow(const Row (&rows)[N]) {
    QFETCH(int, row);
    return rows[row];
}

}  // namespace sorvane::test
