#pragma once
// The picture on show, drawn at 100 % or scaled to fit the view (aspect kept), and the
// picture pixel under the mouse.

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

  signals:
    // The mouse moved over the widget: the picture pixel under it, or none.
    void pointerMoved(std::optional<QPoint> pixel);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    QImage m_image;
    bool m_fit = true;
};

}  // namespace korvane
