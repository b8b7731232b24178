#include "app/charts/chart_window.h"

#include <QAreaSeries>
#include <QCategoryAxis>
#include <QDateTime>
#include <QFileInfo>
#include <QImageWriter>
#include <QLegendMarker>
#include <QLineSeries>
#include <QMenu>
#include <QRegularExpression>
#include <QScatterSeries>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

#include "app/charts/chart_editor.h"
#include "app/charts/round_ticks.h"
#include "app/dialogs.h"
#include "app/qt_text.h"
#include "app/recent_folders.h"

namespace sorvane::app {

namespace {

const QColor kRed(255, 0, 0);
const QColor kGreen(0, 128, 0);
const QColor kDarkRed(128, 0, 0);
const QColor kLightCyan(128, 255, 255);
const QColor kLightYellow(255, 255, 128);

// Sizes of the chart windows' client areas at opening, in pixels.
constexpr QSize kScatterSize(441, 323);
constexpr QSize kLineSize(601, 361);
constexpr QSize kHistogramSize(470, 311);

// A pointer of 3 pixels on each side of its point.
constexpr qreal kScatterMarkerSize = 7;
constexpr int kTimeIntervals = 6;
constexpr int kValueIntervals = 5;
// The occupancy line is drawn over the volume line: thinner, so that the volume shows beside it.
constexpr qreal kVolumeLineWidth = 2;
constexpr qreal kOccupancyLineWidth = 1;
constexpr int kHistogramLabels = 6;

enum class Coordinate { X, Y };

std::pair<double, double> extent(const std::vector<PlotPoint>& points, Coordinate c) {
    if (points.empty()) return {0.0, 0.0};
    auto [low, high] = std::minmax_element(points.begin(), points.end(), [c](auto& a, auto& b) {
        return c == Coordinate::X ? a.x < b.x : a.y < b.y;
    });
    return c == Coordinate::X ? std::pair{low->x, high->x} : std::pair{low->y, high->y};
}

void setLineWidth(QLineSeries* series, qreal width) {
    QPen pen = series->pen();
    pen.setWidthF(width);
    series->setPen(pen);
}

QList<QPointF> toPoints(const std::vector<PlotPoint>& points, bool timeOfDay) {
    QList<QPointF> list;
    list.reserve(static_cast<qsizetype>(points.size()));
    for (const PlotPoint& p : points)
        list.append(QPointF(timeOfDay ? timeAxisValue(p.x) : p.x, p.y));
    return list;
}

}  // namespace

void ChartWindow::alignZeros(QValueAxis* left, QValueAxis* right) {
    // The share of each axis' height that lies below zero; the larger one is given to both.
    auto below = [](const QValueAxis* axis) {
        return std::clamp(-axis->min() / (axis->max() - axis->min()), 0.0, 1.0);
    };
    double share = std::max(below(left), below(right));
    if (share <= 0 || share >= 1) return;
    for (QValueAxis* axis : {left, right}) {
        if (below(axis) >= share) continue;
        double high = std::max(axis->max(), 0.0);
        if (high <= 0) continue;
        axis->setMin(-high * share / (1 - share));
        automaticRanges_[axis] = axisRange(axis);
    }
}

ChartWindow::ChartWindow(const char* name, const PlotRequest& request, ChartContext context,
                         QSize clientSize, bool hasEditor)
    : QWidget(context.owner != nullptr ? context.owner->window() : nullptr, Qt::Window),
      kind_(request.kind),
      hasEditor_(hasEditor),
      dialogs_(context.dialogs),
      folders_(context.folders),
      imageName_(suggestedImageName(request)) {
    setObjectName(QString::fromLatin1(name));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(toQString(request.caption));

    auto* chart = new QChart;
    chart->setTitle(toQString(request.header));
    TChart1 = new ChartView(chart, this);
    TChart1->setObjectName(QStringLiteral("TChart1"));
    TChart1->setAccessibleName(toQString(request.header));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(TChart1);
    resize(clientSize);

    connect(TChart1, &ChartView::editRequested, this, &ChartWindow::openEditor);
    connect(TChart1, &ChartView::menuRequested, this, &ChartWindow::showMenu);
}

void ChartWindow::addAxis(QAbstractAxis* axis, Qt::Alignment side, QAbstractSeries* series,
                          const QString& title, double low, double high, AxisFit fit) {
    axis->setTitleText(title);
    chart()->addAxis(axis, side);
    series->attachAxis(axis);
    if (high <= low) {  // one value: give it room on both sides
        low -= 1.0;
        high += 1.0;
    }
    setAxisRange(axis, low, high);
    if (auto* values = qobject_cast<QValueAxis*>(axis)) {
        if (fit != AxisFit::Exact) values->applyNiceNumbers();
        if (fit == AxisFit::NiceWithMargin) {
            constexpr double kMarginShare = 0.03;
            double margin = (values->max() - values->min()) * kMarginShare;
            values->setRange(values->min() - margin, values->max() + margin);
        }
    }
    // An axis that its caller labelled (dates, days) keeps its labels.
    if (auto* ticked = qobject_cast<QCategoryAxis*>(axis); ticked && ticked->count() == 0) {
        keepRoundTicks(ticked, isTimeAxis(axis) ? TickScale::TimeOfDay : TickScale::Number,
                       isTimeAxis(axis) ? kTimeIntervals : kValueIntervals);
    }
    automaticRanges_[axis] = axisRange(axis);
}

void ChartWindow::setGradientBackground(const QColor& end) {
    QLinearGradient gradient(0, 0, 0, 1);
    gradient.setCoordinateMode(QGradient::ObjectBoundingMode);
    gradient.setColorAt(0, Qt::white);
    gradient.setColorAt(1, end);
    chart()->setBackgroundBrush(gradient);
}

void ChartWindow::openEditor() {
    if (!hasEditor_) return;
    if (auto* open = findChild<ChartEditor*>()) {
        open->raise();
        open->activateWindow();
        return;
    }
    auto* editor = new ChartEditor(*this, chart(), automaticRanges_, dialogs_);
    editor->setAttribute(Qt::WA_DeleteOnClose);
    connect(editor, &ChartEditor::saveImageRequested, this, &ChartWindow::saveImageAs);
    editor->show();
}

void ChartWindow::closeEvent(QCloseEvent* event) {
    if (auto* editor = findChild<ChartEditor*>()) editor->close();
    QWidget::closeEvent(event);
}

void ChartWindow::resetZoom() {
    chart()->zoomReset();
}

void ChartWindow::saveImageAs() {
    FileDialogRequest request;
    request.title = QStringLiteral("Save image");
    request.filter = QStringLiteral(
        "PNG images (*.png)|*.png|JPEG images (*.jpg *.jpeg)|*.jpg;*.jpeg|BMP images "
        "(*.bmp)|*.bmp");
    request.defaultExtension = QStringLiteral("png");
    request.folder = folders_.folderFor(FileKind::Image);
    request.initialName = imageName_;
    request.confirmOverwrite = true;
    std::optional<QString> chosen = dialogs_.saveFile(request);
    if (!chosen) return;
    QString path = *chosen;
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".png");
    QString error;
    if (!saveImage(path, error)) {
        dialogs_.message(MessageIcon::Exclamation, kAppTitle,
                         QStringLiteral("The image could not be saved to ") + path +
                             QStringLiteral(": ") + error + QStringLiteral("."));
        return;
    }
    folders_.remember(FileKind::Image, path);
}

bool ChartWindow::saveImage(const QString& path, QString& error) const {
    QByteArray format = imageFormatOf(path);
    if (format.isEmpty()) {
        error = QStringLiteral("an image name ends in .png, .jpg, .jpeg or .bmp");
        return false;
    }
    QImageWriter writer(path, format);
    // grab() renders at the device pixel ratio of the window's screen.
    if (writer.write(TChart1->grab().toImage())) return true;
    error = writer.errorString();
    return false;
}

QByteArray imageFormatOf(const QString& path) {
    QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QStringLiteral("png")) return "png";
    if (suffix == QStringLiteral("jpg") || suffix == QStringLiteral("jpeg")) return "jpeg";
    if (suffix == QStringLiteral("bmp")) return "bmp";
    return {};
}

QString suggestedImageName(const PlotRequest& request) {
    // The header is "Detector: 312"; the caption ends in ": <interval> Data".
    QString det = toQString(request.header).section(QLatin1Char(' '), -1);
    QString interval = toQString(request.caption).section(QStringLiteral(": "), -1);
    interval.chop(QStringLiteral(" Data").size());
    QString kind = request.kind == PlotKind::Scatter ? QStringLiteral("scatter")
                   : request.kind == PlotKind::Line
                       ? QStringLiteral("line")
                       : QStringLiteral("histogram-") + toQString(request.bottomAxisTitle);
    QString name = QStringLiteral("det-%1-%2-%3").arg(det, kind, interval).toLower();
    // Only what every file system takes: a typed interval may hold anything.
    name.remove(QRegularExpression(QStringLiteral("[^a-z0-9-]")));
    return name + QStringLiteral(".png");
}

void ChartWindow::showMenu(const QPoint& globalPosition) {
    QMenu menu(this);
    if (hasEditor_) menu.addAction(QStringLiteral("Edit chart..."), this, &ChartWindow::openEditor);
    menu.addAction(QStringLiteral("Reset zoom"), this, &ChartWindow::resetZoom);
    menu.addAction(QStringLiteral("Save image..."), this, &ChartWindow::saveImageAs);
    menu.exec(globalPosition);
}

frmGraphS::frmGraphS(const PlotRequest& request, ChartContext context)
    : ChartWindow("frmGraphS", request, context, kScatterSize, true) {
    auto* points = new QScatterSeries;
    points->setName(QStringLiteral("Vol/Occ"));
    points->setMarkerShape(QScatterSeries::MarkerShapeRectangle);
    points->setMarkerSize(kScatterMarkerSize);
    setSeriesColor(points, kRed);
    points->replace(toPoints(request.series0, false));
    chart()->addSeries(points);
    chart()->legend()->hide();
    auto [xLow, xHigh] = extent(request.series0, Coordinate::X);
    auto [yLow, yHigh] = extent(request.series0, Coordinate::Y);
    addAxis(new QCategoryAxis, Qt::AlignBottom, points, QStringLiteral("Occupancy"), xLow, xHigh,
            AxisFit::NiceWithMargin);
    addAxis(new QCategoryAxis, Qt::AlignLeft, points, QStringLiteral("Volume"), yLow, yHigh,
            AxisFit::NiceWithMargin);
    setGradientBackground(kLightCyan);
}

frmGraphL::frmGraphL(const PlotRequest& request, ChartContext context)
    : ChartWindow("frmGraphL", request, context, kLineSize, true) {
    auto* vol = new QLineSeries;
    vol->setName(QStringLiteral("Vol"));
    setSeriesColor(vol, kRed);
    setLineWidth(vol, kVolumeLineWidth);
    vol->replace(toPoints(request.series0, true));
    auto* occ = new QLineSeries;
    occ->setName(QStringLiteral("Occ"));
    setSeriesColor(occ, kGreen);
    setLineWidth(occ, kOccupancyLineWidth);
    occ->replace(toPoints(request.series1, true));
    chart()->addSeries(vol);
    chart()->addSeries(occ);

    // The time axis runs to the end of the last interval, so that a whole day ends at 24:00.
    auto [first, last] = extent(request.series0, Coordinate::X);
    double step = request.series0.size() >= 2 ? request.series0[1].x - request.series0[0].x : 0;
    auto* time = new QCategoryAxis;
    markTimeAxis(time);
    addAxis(time, Qt::AlignBottom, vol, QStringLiteral("Time"), timeAxisValue(first),
            timeAxisValue(last + step), AxisFit::Exact);
    occ->attachAxis(time);
    auto [volLow, volHigh] = extent(request.series0, Coordinate::Y);
    auto* volume = new QCategoryAxis;
    addAxis(volume, Qt::AlignLeft, vol, QStringLiteral("Volume"), volLow, volHigh, AxisFit::Nice);
    auto [occLow, occHigh] = extent(request.series1, Coordinate::Y);
    auto* occupancy = new QCategoryAxis;
    addAxis(occupancy, Qt::AlignRight, occ, QStringLiteral("Occupancy"), occLow, occHigh,
            AxisFit::Nice);
    alignZeros(volume, occupancy);

    TChart1->setRubberBand(QChartView::HorizontalRubberBand);
    TChart1->setHorizontalPanning(true);
    chart()->legend()->setAlignment(Qt::AlignBottom);
    for (QAbstractSeries* series : chart()->series()) {
        for (QLegendMarker* marker : chart()->legend()->markers(series)) {
            connect(marker, &QLegendMarker::clicked, this,
                    [this, series] { setSeriesShown(chart(), series, !series->isVisible()); });
        }
    }
    setGradientBackground(kLightYellow);
}

frmGraphH::frmGraphH(const PlotRequest& request, ChartContext context)
    : ChartWindow("frmGraphH", request, context, kHistogramSize, false) {
    const std::vector<PlotPoint>& bars = request.series0;
    double width = bars.size() >= 2 ? bars[1].x - bars[0].x : 1.0;
    // One outline for all bars: up at the bin's lower edge, across, down at the next edge.
    QList<QPointF> outline;
    outline.reserve(static_cast<qsizetype>(bars.size() * 4));
    for (const PlotPoint& bar : bars) {
        outline.append({{bar.x, 0}, {bar.x, bar.y}, {bar.x + width, bar.y}, {bar.x + width, 0}});
    }
    auto* area = new QAreaSeries;
    auto* top = new QLineSeries(area);
    top->replace(outline);
    area->setUpperSeries(top);
    area->setName(QStringLiteral("Series0"));
    setSeriesColor(area, kRed);
    area->setBorderColor(kDarkRed);
    chart()->addSeries(area);
    chart()->legend()->hide();

    auto [xLow, xHigh] = extent(bars, Coordinate::X);
    auto [yLow, yHigh] = extent(bars, Coordinate::Y);
    // The bottom axis spans the bars exactly, labelled at bin edges.
    auto* edges = new QValueAxis;
    addAxis(edges, Qt::AlignBottom, area, toQString(request.bottomAxisTitle), xLow, xHigh + width,
            AxisFit::Exact);
    edges->setTickType(QValueAxis::TicksDynamic);
    edges->setTickAnchor(xLow);
    auto binsPerLabel =
        static_cast<double>((bars.size() + kHistogramLabels - 1) / kHistogramLabels);
    edges->setTickInterval(width * std::max(1.0, binsPerLabel));
    // Edges as the bins are written: whole numbers without decimals.
    const bool whole = std::floor(xLow) == xLow && std::floor(width) == width;
    edges->setLabelFormat(whole ? QStringLiteral("%.0f") : QStringLiteral("%.1f"));
    addAxis(new QCategoryAxis, Qt::AlignLeft, area, QStringLiteral("Occurrence "), 0.0,
            std::max(yHigh, 1.0), AxisFit::Nice);
}

ChartWindow* showPlot(const PlotRequest& request, ChartContext context) {
    ChartWindow* window = nullptr;
    switch (request.kind) {
        case PlotKind::Scatter:
            window = new frmGraphS(request, context);
            break;
        case PlotKind::Line:
            window = new frmGraphL(request, context);
            break;
        case PlotKind::Histogram:
            window = new frmGraphH(request, context);
            break;
    }
    window->show();
    return window;
}

}  // namespace sorvane::app
