#include "app/PictureCanvas.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <utility>

namespace korvane {

PictureCanvas::PictureCanvas(QWidget* parent) : QWidget(parent) {
    setObjectName("PictureCanvas");
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
}

void PictureCanvas::SetImage(QImage image) {
    const bool resized = image.size() != m_image.size();
    m_image = std::move(image);
    m_lineFrom.reset();
    m_dragging = false;
    if (resized) {
        updateGeometry();
        if (!m_fit) {
            resize(m_image.size());
        }
    }
    update();
}

void PictureCanvas::SetFitToView(bool fit) {
    m_fit = fit;
    updateGeometry();
    update();
}

QSize PictureCanvas::sizeHint() const {
    return m_image.isNull() ? QSize(1, 1) : m_image.size();
}

QRect PictureCanvas::ImageRect() const {
    if (m_image.isNull()) {
        return QRect();
    }
    if (!m_fit) {
        return QRect(QPoint(0, 0), m_image.size());
    }
    // Scaled down to fit, never up; centred in the view.
    QSize shown = m_image.size();
    if (shown.width() > width() || shown.height() > height()) {
        shown = shown.scaled(size(), Qt::KeepAspectRatio);
    }
    return QRect(QPoint((width() - shown.width()) / 2, (height() - shown.height()) / 2), shown);
}

void PictureCanvas::SetLineDrawing(bool on) {
    if (on == m_lineDrawing) {
        return;
    }
    m_lineDrawing = on;
    m_dragging = false;
    m_lineFrom.reset();
    if (on) {
        setCursor(Qt::CrossCursor);
    } else {
        unsetCursor();
    }
    update();
}

QPoint PictureCanvas::NearestPicturePixel(QPoint at) const {
    const QRect shown = ImageRect();
    if (shown.isEmpty()) {
        return m_lineTo;
    }
    return PicturePixelAt(QPoint(std::clamp(at.x(), shown.left(), shown.right()),
                                 std::clamp(at.y(), shown.top(), shown.bottom())))
        .value_or(m_lineTo);
}

QPointF PictureCanvas::WidgetPointOf(QPoint pixel) const {
    const QRect shown = ImageRect();
    return {shown.left() + (pixel.x() + 0.5) * shown.width() / m_image.width(),
            shown.top() + (pixel.y() + 0.5) * shown.height() / m_image.height()};
}

std::optional<QPoint> PictureCanvas::PicturePixelAt(QPoint at) const {
    const QRect shown = ImageRect();
    if (shown.isEmpty() || !shown.contains(at)) {
        return std::nullopt;
    }
    const double sx = static_cast<double>(m_image.width()) / shown.width();
    const double sy = static_cast<double>(m_image.height()) / shown.height();
    const int x = static_cast<int>(std::floor((at.x() - shown.left()) * sx));
    const int y = static_cast<int>(std::floor((at.y() - shown.top()) * sy));
    return QPoint(std::min(x, m_image.width() - 1), std::min(y, m_image.height() - 1));
}

void PictureCanvas::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().base());
    const QRect shown = ImageRect();
    if (shown.isEmpty()) {
        return;
    }
    if (shown.size() == m_image.size()) {
        painter.drawImage(shown.topLeft(), m_image);
    } else {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(shown, m_image);
    }
    PaintLine(painter);
}

void PictureCanvas::PaintLine(QPainter& painter) const {
    if (!m_lineFrom) {
        return;
    }
    const QPointF from = WidgetPointOf(*m_lineFrom);
    const QPointF to = WidgetPointOf(m_lineTo);
    painter.setRenderHint(QPainter::Antialiasing);
    // Dark on a light edge: it stands out on every colour of the scale.
    painter.setPen(QPen(Qt::white, 4, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(from, to);
    painter.setPen(QPen(QColor(20, 20, 20), 2, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(from, to);
    QFont font = painter.font();
    font.setBold(true);
    painter.setFont(font);
    for (const auto& [at, name] : {std::pair{from, "A"}, std::pair{to, "B"}}) {
        const QRectF box(at + QPointF(4, -18), QSizeF(14, 14));
        painter.fillRect(box, QColor(255, 255, 255, 210));
        painter.drawText(box, Qt::AlignCenter, name);
    }
}

void PictureCanvas::mousePressEvent(QMouseEvent* event) {
    const std::optional<QPoint> pixel = PicturePixelAt(event->position().toPoint());
    if (m_lineDrawing && event->button() == Qt::LeftButton && pixel) {
        m_dragging = true;
        m_lineFrom = *pixel;
        m_lineTo = *pixel;
        update();
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void PictureCanvas::mouseReleaseEvent(QMouseEvent* event) {
    if (m_dragging && event->button() == Qt::LeftButton) {
        m_dragging = false;
        m_lineTo = NearestPicturePixel(event->position().toPoint());
        update();
        if (m_lineTo != *m_lineFrom) {
            emit lineDrawn(*m_lineFrom, m_lineTo);
        } else {
            m_lineFrom.reset();  // a click, not a line
        }
        event->accept();
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

void PictureCanvas::mouseMoveEvent(QMouseEvent* event) {
    if (m_dragging) {
        m_lineTo = NearestPicturePixel(event->position().toPoint());
        update();
    }
    emit pointerMoved(PicturePixelAt(event->position().toPoint()));
    QWidget::mouseMoveEvent(event);
}

void PictureCanvas::leaveEvent(QEvent* event) {
    emit pointerMoved(std::nullopt);
    QWidget::leaveEvent(event);
}

}  // namespace korvane
