#include "app_test_support.h"

#include <QComboBox>

#include "mkarchive/synthetic_day.h"

namespace sorvane::test {

void ScriptedDialogs::message(app::MessageIcon icon, const QString& title, const QString& text) {
    messages.push_back({icon, title, text});
}

std::optional<QString> ScriptedDialogs::openFile(const app::FileDialogRequest& request) {
    return answer(request);
}

std::optional<QString> ScriptedDialogs::saveFile(const app::FileDialogRequest& request) {
    return answer(request);
}

std::optional<QColor> ScriptedDialogs::chooseColor(const QColor&, const QString&) {
    if (colours.empty()) return std::nullopt;
    std::optional<QColor> colour = colours.front();
    colours.pop_front();
    return colour;
}

QStringList ScriptedDialogs::texts() const {
    QStringList shown;
    for (const ShownMessage& m : messages)
        shown.append(m.text);
    return shown;
}

std::optional<QString> ScriptedDialogs::answer(const app::FileDialogRequest& request) {
    requests.push_back(request);
    if (answers.empty()) return std::nullopt;
    bool cancel = !answers.front().has_value();
    QString path = cancel ? QString() : *answers.front();
    answers.pop_front();
    if (cancel) return std::nullopt;
    return path;
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

std::string makeSyntheticArchive(const TempDir& dir, int detectors) {
    synth::DayOptions options;
    options.detectors = detectors;
    options.seed = 11;
    options.faultShare = 0.5;
    std::string path = dir.file("synthetic.traffic");
    synth::writeArchive(
        path, synth::archiveMembers(synth::makeDay(options), synth::MemberOrder::Grouped));
    return path;
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

void pick(QComboBox* selector, int position) {
    selector->setCurrentIndex(position);
    emit selector->activated(position);
}

QList<app::ChartWindow*> chartsOf(app::frmTrafficExtrac& window) {
    QList<app::ChartWindow*> open;
    for (app::ChartWindow* chart : window.findChildren<app::ChartWindow*>()) {
        if (chart->isVisible()) open.append(chart);
    }
    return open;
}

}  // namespace sorvane::test
