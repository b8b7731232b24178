#include "app/health_param_tab.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "app/app_state.h"
#include "app/dialogs.h"
#include "app/qt_text.h"
#include "app/widget_factory.h"
#include "common/error.h"
#include "health/settings_file.h"

namespace sorvane::app {

namespace {

constexpr size_t kNone = kHealthParamCount;

// The tab's rows from top to bottom: a group title, then one line with one or two parameters.
struct ParamRow {
    const char* titleLabel;
    std::array<size_t, 2> parameters;
};

constexpr std::array<ParamRow, 7> kRows{{
    {"lblMissingTest", {kMissingPercent, kConsecZeroVolMin}},
    {"lblLockOn", {kLockOnMin, kNone}},
    {"lblPulse", {kCorCoeffTh, kNone}},
    {"lblOccspike", {kOccSpikeTh, kOccSpikeCountTh}},
    {"lblVolSpikes", {kVolSpikeTh, kVolSpikeCountTh}},
    {"LblClassification", {kSuspTh, kMargTh}},
    {"lblExclu", {kDetNoFrom, kDetNoTo}},
}};

// The names of the label beside each box and of its unit label, in parameter order.
constexpr std::array<const char*, kHealthParamCount> kCaptionLabels{
    "lblOccThreshold", "lblOccctr",    "lblVolThreshold", "lblVolCtr",  "Label19",  "Label20",
    "lblMissing",      "lblCosecZero", "lblLockOnTime",   "lblCorcoef", "lblExclu", "Label24"};
constexpr std::array<const char*, kHealthParamCount> kUnitLabels{
    nullptr, nullptr,   nullptr,   nullptr, nullptr, nullptr,
    nullptr, "Label22", "Label23", nullptr, nullptr, nullptr};

constexpr int kColumnsPerParameter = 3;  // caption, box, unit
constexpr int kButtonColumn = 2 * kColumnsPerParameter;
constexpr int kBoxWidth = 90;

}  // namespace

HealthParamTab::HealthParamTab(AppState& state, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent), state_(state), dialogs_(dialogs) {
    for (size_t i = 0; i < kHealthParamCount; ++i) {
        boxes_[i] = makeControl<QLineEdit>(this, kHealthParameters[i].textBox);
        boxes_[i]->setFixedWidth(kBoxWidth);
    }
    cmdSetDefault = makeButton(this, "cmdSetDefault", QStringLiteral("Set As Default Parameters"));
    cmdSetFactoryDefault = makeButton(this, "cmdSetFactoryDefault",
                                      QStringLiteral("Restore Factory Default Parameters"));
    buildLayout();
    // Tab goes through the form row by row, as it reads, then to the buttons.
    QList<QWidget*> order;
    for (const ParamRow& row : kRows) {
        for (size_t p : row.parameters) {
            if (p != kNone) order.append(boxes_[p]);
        }
    }
    order << cmdSetDefault << cmdSetFactoryDefault;
    setReadingOrder(order);
    connect(cmdSetDefault, &QPushButton::clicked, this, &HealthParamTab::cmdSetDefault_Click);
    connect(cmdSetFactoryDefault, &QPushButton::clicked, this,
            &HealthParamTab::cmdSetFactoryDefault_Click);
}

void HealthParamTab::buildLayout() {
    auto* grid = new QGridLayout;
    QFont titleFont = font();
    titleFont.setBold(true);
    int line = 0;
    for (const ParamRow& row : kRows) {
        const HealthParameter& first = kHealthParameters[row.parameters[0]];
        // A group whose title is the caption of its first box has no title line of its own.
        bool titleIsCaption = first.caption == first.groupTitle;
        if (!titleIsCaption) {
            QLabel* title = makeLabel(this, row.titleLabel, toQString(first.groupTitle));
            title->setFont(titleFont);
            grid->addWidget(title, line++, 0, 1, kButtonColumn);
        }
        auto* oneLine = titleIsCaption ? new QHBoxLayout : nullptr;
        for (size_t column = 0; column < row.parameters.size(); ++column) {
            size_t p = row.parameters[column];
            if (p == kNone) continue;
            QLabel* caption = makeLabel(this, kCaptionLabels[p],
                                        toQString(kHealthParameters[p].caption), boxes_[p]);
            if (titleIsCaption && column == 0) caption->setFont(titleFont);
            QLabel* unit =
                kUnitLabels[p] == nullptr
                    ? nullptr
                    : makeLabel(this, kUnitLabels[p], toQString(kHealthParameters[p].unitLabel));
            if (oneLine != nullptr) {
                oneLine->addWidget(caption);
                oneLine->addWidget(boxes_[p]);
                if (unit != nullptr) oneLine->addWidget(unit);
                continue;
            }
            int at = static_cast<int>(column) * kColumnsPerParameter;
            grid->addWidget(caption, line, at, Qt::AlignRight);
            grid->addWidget(boxes_[p], line, at + 1);
            if (unit != nullptr) grid->addWidget(unit, line, at + 2);
        }
        if (oneLine != nullptr) {
            oneLine->addStretch(1);
            grid->addLayout(oneLine, line, 0, 1, kButtonColumn);
        }
        grid->setRowMinimumHeight(++line, 8);  // a gap between groups
        ++line;
    }
    grid->setRowStretch(line, 1);
    grid->setColumnMinimumWidth(2, 40);
    grid->setColumnStretch(kButtonColumn - 1, 1);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cmdSetDefault);
    buttons->addWidget(cmdSetFactoryDefault);
    buttons->addStretch(1);

    auto* columns = new QHBoxLayout(this);
    columns->addLayout(grid, 1);
    columns->addSpacing(24);
    columns->addLayout(buttons);
}

HealthParameterTexts HealthParamTab::parameterTexts() const {
    HealthParameterTexts texts;
    for (size_t i = 0; i < kHealthParamCount; ++i)
        texts[i] = boxes_[i]->text().toStdString();
    return texts;
}

void HealthParamTab::LoadHealthParameters() {
    modUtility::SettingsFile settings(modUtility::SettingsFilePath(state_.programFolder()));
    HealthParameterTexts texts;
    try {
        texts = loadHealthParameters(settings);
    } catch (const SorvaneError& e) {
        // Empty boxes, as for missing keys, but the user hears why: never the factory values.
        dialogs_.message(MessageIcon::Exclamation, kAppTitle,
                         QStringLiteral("The health parameters could not be loaded; the boxes "
                                        "stay empty.\r\n") +
                             toQString(e.description()));
    }
    for (size_t i = 0; i < kHealthParamCount; ++i)
        boxes_[i]->setText(toQString(texts[i]));
}

template <class Write>
bool HealthParamTab::writeSettings(Write write) {
    modUtility::SettingsFile settings(modUtility::SettingsFilePath(state_.programFolder()));
    try {
        state_.refuseOverwritingArchive(settings.path());
        write(settings);
    } catch (const SorvaneError& e) {
        // A failure is never reported as "Done.": the message names the file and the reason.
        dialogs_.message(MessageIcon::Critical, kAppTitle,
                         QStringLiteral("The health parameters could not be saved.\r\n") +
                             toQString(e.description()));
        return false;
    }
    return true;
}

void HealthParamTab::cmdSetDefault_Click() {
    HealthParameterTexts texts = parameterTexts();
    if (!writeSettings([&](const auto& settings) { saveHealthParameters(settings, texts); })) {
        return;
    }
    dialogs_.message(MessageIcon::None, kAppTitle, QStringLiteral("Done."));
}

void HealthParamTab::cmdSetFactoryDefault_Click() {
    if (!writeSettings([](const auto& settings) {
            saveHealthParameters(settings, factoryParameterTexts());
        })) {
        return;
    }
    LoadHealthParameters();
    dialogs_.message(MessageIcon::None, kAppTitle, QStringLiteral("Done."));
}

}  // namespace sorvane::app
