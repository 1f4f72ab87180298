#include "app/PictureCanvas.h"

#include <QMouseEvent>
#include <QPainter>
#include <cmath>

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
}

void PictureCanvas::mouseMoveEvent(QMouseEvent* event) {
    emit pointerMoved(PicturePixelAt(event->position().toPoint()));
    QWidget::mouseMoveEvent(event);
}

void PictureCanvas::leaveEvent(QEvent* event) {
    emit pointerMoved(std::nullopt);
    QWidget::leaveEvent(event);
}

}  // namespace korvane
