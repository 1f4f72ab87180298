#pragma once
// The picture on show, drawn at 100 % or scaled to fit the view (aspect kept), the picture
// pixel under the mouse, and a line the user may drag across the picture.

#include <QImage>
#include <QWidget>
#include <optional>

namespace korvane {

class PictureCanvas : public QWidget {
    Q_OBJECT
  public:
    explicit PictureCanvas(QWidget* parent = nullptr);

    void SetImage(QImage image);
    const QImage& image() const { return m_image; }

    // Scaled to fit the space it is given, or every picture pixel on one screen pixel.
    void SetFitToView(bool fit);
    bool fitsToView() const { return m_fit; }

    // Where the picture stands on the widget now.
    QRect ImageRect() const;
    // The picture pixel shown at widget position `at`; none off the picture.
    std::optional<QPoint> PicturePixelAt(QPoint at) const;

    QSize sizeHint() const override;

    // Whether a drag with the left button draws a line on the picture. A new picture clears
    // the line.
    void SetLineDrawing(bool on);
    bool drawsLines() const { return m_lineDrawing; }

  signals:
    // The mouse moved over the widget: the picture pixel under it, or none.
    void pointerMoved(std::optional<QPoint> pixel);
    // A line was dragged from picture pixel `from` to `to` (the end kept on the picture).
    void lineDrawn(QPoint from, QPoint to);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    // The picture pixel nearest widget position `at`, on the picture or at its edge.
    QPoint NearestPicturePixel(QPoint at) const;
    // Where the centre of picture pixel `pixel` stands on the widget.
    QPointF WidgetPointOf(QPoint pixel) const;
    void PaintLine(QPainter& painter) const;

    QImage m_image;
    bool m_fit = true;
    bool m_lineDrawing = false;
    bool m_dragging = false;
    std::optional<QPoint> m_lineFrom;  // picture pixels
    QPoint m_lineTo;
};

}  // namespace korvane
