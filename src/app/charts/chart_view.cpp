#include "app/charts/chart_view.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>

namespace sorvane::app {

namespace {

constexpr qreal kKeyScrollPixels = 40;

}  // namespace

ChartView::ChartView(QChart* chart, QWidget* parent) : QChartView(chart, parent) {
    setRenderHint(QPainter::Antialiasing);
    setRubberBand(QChartView::RectangleRubberBand);
    setFocusPolicy(Qt::StrongFocus);
}

void ChartView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        emit editRequested();
        event->accept();
        return;
    }
    QChartView::mouseDoubleClickEvent(event);
}

void ChartView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        // The right button is the menu and the pan, never the view's own zoom-out.
        rightDown_ = true;
        dragged_ = false;
        lastPosition_ = event->position().toPoint();
        event->accept();
        return;
    }
    QChartView::mousePressEvent(event);
}

void ChartView::mouseMoveEvent(QMouseEvent* event) {
    if (rightDown_) {
        QPoint position = event->position().toPoint();
        int dx = position.x() - lastPosition_.x();
        if (!dragged_ && std::abs(dx) < QApplication::startDragDistance()) return;
        if (panning_) {
            dragged_ = true;
            chart()->scroll(-dx, 0);
            lastPosition_ = position;
        }
        event->accept();
        return;
    }
    QChartView::mouseMoveEvent(event);
}

void ChartView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton && rightDown_) {
        rightDown_ = false;
        if (!dragged_) emit menuRequested(event->globalPosition().toPoint());
        event->accept();
        return;
    }
    QChartView::mouseReleaseEvent(event);
}

void ChartView::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Home:
        case Qt::Key_Escape:
            chart()->zoomReset();
            break;
        case Qt::Key_Plus:
            chart()->zoomIn();
            break;
        case Qt::Key_Minus:
            chart()->zoomOut();
            break;
        case Qt::Key_Left:
        case Qt::Key_Right:
            if (!panning_) return QChartView::keyPressEvent(event);
            chart()->scroll(event->key() == Qt::Key_Left ? -kKeyScrollPixels : kKeyScrollPixels, 0);
            break;
        default:
            QChartView::keyPressEvent(event);
            return;
    }
    event->accept();
}

}  // namespace sorvane::app
