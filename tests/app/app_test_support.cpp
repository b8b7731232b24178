#include "app_test_support.h"

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

}  // namespace

std::optional<QColor> ScriptedDialogs::chooseColor(const QColor&, const QString&) {
    return takeFront(colours);
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
    return *window_;
}

QString WindowFixture::loadArchive(const std::vector<int>& detectors) {
    QString path = makeDetectorArchive(data_, "loaded.traffic", detectors);
    window_->openArchive(path);
    return path;
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

QStringList entriesOf(const QComboBox* selector) {
    QStringList entries;
    for (int i = 0; i < selector->count(); ++i)
        entries.append(selector->itemText(i));
    return entries;
}

QStringList linesOf(const QListWidget* list) {
    QStringList lines;
    for (int i = 0; i < list->count(); ++i)
        lines.append(list->item(i)->text());
    return lines;
}

QList<app::ChartWindow*> chartsOf(app::frmTrafficExtrac& window) {
    QList<app::ChartWindow*> open;
    for (app::ChartWindow* chart : window.findChildren<app::ChartWindow*>()) {
        if (chart->isVisible()) open.append(chart);
    }
    return open;
}

}  // namespace sorvane::test
