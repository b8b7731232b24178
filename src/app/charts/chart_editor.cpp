#include "app/charts/chart_editor.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPixmap>
#include <QPointer>
#include <QTimeEdit>
#include <QVBoxLayout>
#include <cmath>

#include "app/dialogs.h"

namespace sorvane::app {

namespace {

constexpr double kBoundLimit = 1e9;
constexpr int kSwatchSize = 14;
constexpr int kLastMillisecondOfDay = 24 * 3600 * 1000 - 1;

QString sideName(Qt::Alignment side) {
    if (side & Qt::AlignBottom) return QStringLiteral("Bottom");
    if (side & Qt::AlignLeft) return QStringLiteral("Left");
    if (side & Qt::AlignRight) return QStringLiteral("Right");
    return QStringLiteral("Top");
}

QWidget* makeBoundBox(const QAbstractAxis* axis, QWidget* parent, const QString& name) {
    QWidget* box = nullptr;
    if (isTimeAxis(axis)) {
        auto* time = new QTimeEdit(parent);
        time->setDisplayFormat(QStringLiteral("hh:mm:ss"));
        box = time;
    } else {
        auto* number = new QDoubleSpinBox(parent);
        number->setRange(-kBoundLimit, kBoundLimit);
        number->setDecimals(2);
        box = number;
    }
    box->setAccessibleName(name);
    return box;
}

QIcon swatch(const QColor& colour) {
    QPixmap pixmap(kSwatchSize, kSwatchSize);
    pixmap.fill(colour);
    return QIcon(pixmap);
}

}  // namespace

double boundValue(const QWidget* box) {
    if (auto* time = qobject_cast<const QTimeEdit*>(box))
        return timeAxisValue(time->time().msecsSinceStartOfDay() / 1000.0);
    return static_cast<const QDoubleSpinBox*>(box)->value();
}

void setBoundValue(QWidget* box, double value) {
    if (auto* time = qobject_cast<QTimeEdit*>(box)) {
        // The end of the day (24:00) shows as the last moment of the day.
        double ms = std::clamp(std::round(value - timeAxisValue(0)), 0.0,
                               static_cast<double>(kLastMillisecondOfDay));
        time->setTime(QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms)));
        return;
    }
    static_cast<QDoubleSpinBox*>(box)->setValue(value);
}

ChartEditor::ChartEditor(QWidget& owner, QChart* chart, AxisRanges automaticRanges,
                         Dialogs& dialogs)
    : QDialog(&owner),
      chart_(chart),
      automaticRanges_(std::move(automaticRanges)),
      dialogs_(dialogs) {
    setObjectName(QStringLiteral("ChartEditor"));
    setWindowTitle(QStringLiteral("Edit chart: ") + owner.windowTitle());

    txtTitle = new QLineEdit(chart_->title(), this);
    txtTitle->setObjectName(QStringLiteral("txtTitle"));
    txtTitle->setAccessibleName(QStringLiteral("Chart title"));
    auto* titleForm = new QFormLayout;
    titleForm->addRow(QStringLiteral("Chart title:"), txtTitle);

    auto* axes = new QGroupBox(QStringLiteral("Axes"), this);
    addAxisRows(axes);
    auto* series = new QGroupBox(QStringLiteral("Series"), this);
    addSeriesRows(series);

    cmdSaveImage = new QPushButton(QStringLiteral("Save image..."), this);
    cmdResetZoom = new QPushButton(QStringLiteral("Reset zoom"), this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->addButton(cmdSaveImage, QDialogButtonBox::ActionRole);
    buttons->addButton(cmdResetZoom, QDialogButtonBox::ActionRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &ChartEditor::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ChartEditor::reject);
    connect(cmdSaveImage, &QPushButton::clicked, this, &ChartEditor::saveImageRequested);
    connect(cmdResetZoom, &QPushButton::clicked, this, [this] {
        chart_->zoomReset();
        for (AxisRow& row : axisRows) {
            auto [low, high] = axisRange(row.axis);
            setBoundValue(row.from, low);
            setBoundValue(row.to, high);
        }
    });

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(titleForm);
    layout->addWidget(axes);
    layout->addWidget(series);
    layout->addWidget(buttons);
}

void ChartEditor::addAxisRows(QWidget* parent) {
    auto* grid = new QGridLayout(parent);
    const QStringList headings{QStringLiteral("Axis"), QStringLiteral("Title"),
                               QStringLiteral("Range"), QStringLiteral("From"),
                               QStringLiteral("To")};
    for (int c = 0; c < headings.size(); ++c)
        grid->addWidget(new QLabel(headings[c], parent), 0, c);
    for (QAbstractAxis* axis : chart_->axes()) {
        QString side = sideName(axis->alignment());
        AxisRow row{axis, new QLineEdit(axis->titleText(), parent),
                    new QCheckBox(QStringLiteral("Automatic"), parent),
                    makeBoundBox(axis, parent, side + QStringLiteral(" axis from")),
                    makeBoundBox(axis, parent, side + QStringLiteral(" axis to"))};
        row.title->setAccessibleName(side + QStringLiteral(" axis title"));
        auto [low, high] = axisRange(axis);
        setBoundValue(row.from, low);
        setBoundValue(row.to, high);
        row.automatic->setChecked(axisRange(axis) == automaticRange(axis));
        auto enableBounds = [from = row.from, to = row.to](bool automatic) {
            from->setEnabled(!automatic);
            to->setEnabled(!automatic);
        };
        enableBounds(row.automatic->isChecked());
        connect(row.automatic, &QCheckBox::toggled, this, enableBounds);
        int r = static_cast<int>(axisRows.size()) + 1;
        grid->addWidget(new QLabel(side, parent), r, 0);
        grid->addWidget(row.title, r, 1);
        grid->addWidget(row.automatic, r, 2);
        grid->addWidget(row.from, r, 3);
        grid->addWidget(row.to, r, 4);
        axisRows.push_back(row);
    }
    grid->setColumnStretch(1, 1);
}

void ChartEditor::addSeriesRows(QWidget* parent) {
    auto* grid = new QGridLayout(parent);
    for (QAbstractSeries* series : chart_->series()) {
        SeriesRow row{series, new QCheckBox(QStringLiteral("Visible"), parent),
                      new QPushButton(QStringLiteral("Colour..."), parent), seriesColor(series)};
        row.visible->setChecked(series->isVisible());
        row.visible->setAccessibleName(series->name() + QStringLiteral(" visible"));
        row.colour->setIcon(swatch(row.chosen));
        row.colour->setAccessibleName(series->name() + QStringLiteral(" colour"));
        size_t index = seriesRows.size();
        connect(row.colour, &QPushButton::clicked, this, [this, index] { chooseColour(index); });
        int r = static_cast<int>(index);
        grid->addWidget(new QLabel(series->name(), parent), r, 0);
        grid->addWidget(row.visible, r, 1);
        grid->addWidget(row.colour, r, 2);
        seriesRows.push_back(row);
    }
    grid->setColumnStretch(0, 1);
}

void ChartEditor::chooseColour(size_t index) {
    // The editor may close, or its chart window go, while the colour dialog is open.
    QPointer<ChartEditor> alive(this);
    std::optional<QColor> colour =
        dialogs_.chooseColor(this, seriesRows[index].chosen,
                             seriesRows[index].series->name() + QStringLiteral(" colour"));
    if (alive.isNull() || !isVisible() || !colour) return;
    SeriesRow& row = seriesRows[index];
    row.chosen = *colour;
    row.colour->setIcon(swatch(row.chosen));
}

// A colour dialog of the editor closes with it.
void ChartEditor::hideEvent(QHideEvent* event) {
    for (QDialog* dialog : findChildren<QDialog*>())
        dialog->reject();
    QDialog::hideEvent(event);
}

bool ChartEditor::apply() {
    for (const AxisRow& row : axisRows) {
        if (!row.automatic->isChecked() && boundValue(row.from) >= boundValue(row.to)) {
            dialogs_.message(MessageIcon::Exclamation, kAppTitle,
                             QStringLiteral("The range of the ") +
                                 sideName(row.axis->alignment()).toLower() +
                                 QStringLiteral(" axis must run from a smaller to a larger "
                                                "value."));
            return false;
        }
    }
    chart_->setTitle(txtTitle->text());
    chart_->zoomReset();  // fixed ranges replace any zoom
    for (const AxisRow& row : axisRows) {
        row.axis->setTitleText(row.title->text());
        auto [low, high] = row.automatic->isChecked()
                               ? automaticRange(row.axis)
                               : std::pair{boundValue(row.from), boundValue(row.to)};
        setAxisRange(row.axis, low, high);
    }
    for (const SeriesRow& row : seriesRows) {
        setSeriesColor(row.series, row.chosen);
        setSeriesShown(chart_, row.series, row.visible->isChecked());
    }
    return true;
}

void ChartEditor::accept() {
    if (apply()) QDialog::accept();
}

}  // namespace sorvane::app
