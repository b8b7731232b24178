#include "app/history/grid_header.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <algorithm>

#include "app/history/verdict_colors.h"

namespace sorvane::app {

namespace {

constexpr int kPadding = 4;
constexpr int kMarkThickness = 4;

}  // namespace

GridHeader::GridHeader(Qt::Orientation orientation, QWidget* parent)
    : QWidget(parent), orientation_(orientation) {
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);
    if (orientation == Qt::Horizontal) setFocusPolicy(Qt::StrongFocus);
}

void GridHeader::setLabels(QStringList labels) {
    labels_ = std::move(labels);
    current_ = std::clamp(current_, 0, std::max(0, static_cast<int>(labels_.size()) - 1));
    update();
}

void GridHeader::setMarked(std::vector<bool> marked) {
    marked_ = std::move(marked);
    update();
}

void GridHeader::setShaded(std::vector<bool> shaded) {
    shaded_ = std::move(shaded);
    update();
}

void GridHeader::setDimmed(std::vector<bool> dimmed) {
    dimmed_ = std::move(dimmed);
    update();
}

void GridHeader::setHighlighted(int index) {
    highlighted_ = index;
    update();
}

void GridHeader::setCellSize(int pixels) {
    cellSize_ = pixels;
    update();
}

void GridHeader::setOffset(int pixels) {
    offset_ = pixels;
    update();
}

int GridHeader::thickness() const {
    // Room for the widest date or detector number there can be, so the header never jumps.
    QString widest =
        orientation_ == Qt::Horizontal ? QStringLiteral("2000-00-00") : QStringLiteral("-00000");
    return fontMetrics().horizontalAdvance(widest) + 2 * kPadding +
           (orientation_ == Qt::Horizontal ? kMarkThickness : 0);
}

int GridHeader::indexAt(QPoint point) const {
    int along = orientation_ == Qt::Horizontal ? point.x() : point.y();
    int index = (along + offset_) / cellSize_;
    return along >= 0 && index < labels_.size() ? index : -1;
}

// Labels closer together than their digits are high overlap: then only every few are written.
int GridHeader::labelStep() const {
    int textHeight = fontMetrics().ascent() + 1;
    return std::max(1, (textHeight + cellSize_ - 1) / cellSize_);
}

void GridHeader::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const bool across = orientation_ == Qt::Horizontal;
    const int length = across ? width() : height();
    const int first = std::max(0, offset_ / cellSize_);
    const int last = std::min(static_cast<int>(labels_.size()) - 1, (offset_ + length) / cellSize_);
    const int step = labelStep();
    const int textHeight = fontMetrics().height();
    for (int i = first; i <= last; ++i) {
        int start = i * cellSize_ - offset_;
        auto flag = [i](const std::vector<bool>& flags) {
            return static_cast<size_t>(i) < flags.size() && flags[static_cast<size_t>(i)];
        };
        bool marked = flag(marked_);
        if (flag(shaded_)) {
            QRect cell =
                across ? QRect(start, 0, cellSize_, height()) : QRect(0, start, width(), cellSize_);
            painter.fillRect(cell, QColor(kWeekendColor));
        }
        if (across && marked) {
            painter.fillRect(start, height() - kMarkThickness, cellSize_, kMarkThickness,
                             QColor(kOutageMarkColor));
        }
        if (!across && i == highlighted_)
            painter.fillRect(0, start, width(), cellSize_, palette().highlight());
        const bool current = across && i == current_ && hasFocus();
        if (current) {
            painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
            painter.drawRect(QRect(start + 1, 1, cellSize_ - 2, height() - 2));
        }
        if (i % step != 0 && i != highlighted_ && !marked && !current) continue;
        // The label is centred on its cell, or on the first cell where cells are small.
        int centre = start + cellSize_ / 2;
        painter.setPen(marked ? QColor(kOutageMarkColor)
                       : flag(dimmed_)
                           ? palette().color(QPalette::Disabled, QPalette::ButtonText)
                           : palette().color(i == highlighted_ ? QPalette::HighlightedText
                                                               : QPalette::ButtonText));
        if (across) {
            painter.save();
            painter.translate(centre + textHeight / 2 - fontMetrics().descent(),
                              height() - kMarkThickness - kPadding);
            painter.rotate(-90);
            painter.drawText(0, 0, labels_[i]);
            painter.restore();
        } else {
            QRect box(0, centre - textHeight / 2, width() - kPadding, textHeight);
            painter.drawText(box, Qt::AlignRight | Qt::AlignVCenter, labels_[i]);
        }
    }
}

void GridHeader::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton ? indexAt(event->pos()) : -1;
    if (pressed_ >= 0) current_ = pressed_;
}

// A click is a press and a release on the same label.
void GridHeader::mouseReleaseEvent(QMouseEvent* event) {
    int released = indexAt(event->pos());
    if (event->button() == Qt::LeftButton && released >= 0 && released == pressed_)
        emit clicked(released);
    pressed_ = -1;
}

void GridHeader::keyPressEvent(QKeyEvent* event) {
    const int last = static_cast<int>(labels_.size()) - 1;
    int moved = current_;
    switch (event->key()) {
        case Qt::Key_Left:
            moved = current_ - 1;
            break;
        case Qt::Key_Right:
            moved = current_ + 1;
            break;
        case Qt::Key_Home:
            moved = 0;
            break;
        case Qt::Key_End:
            moved = last;
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Space:
            if (last >= 0) emit clicked(current_);
            return;
        default:
            QWidget::keyPressEvent(event);
            return;
    }
    if (last < 0) return;
    current_ = std::clamp(moved, 0, last);
    emit currentMoved(current_);
    update();
}

void GridHeader::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    update();
}

void GridHeader::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}

bool GridHeader::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        int index = indexAt(help->pos());
        QString text = index >= 0 && toolTipOf ? toolTipOf(index) : QString();
        if (text.isEmpty()) {
            QToolTip::hideText();
        } else {
            QToolTip::showText(help->globalPos(), text, this);
        }
        return true;
    }
    return QWidget::event(event);
}

}  // namespace sorvane::app
