#pragma once
// The main window's client area: the title banner on the window colour.

#include <QFrame>
#include <QImage>

namespace korvane {

class SplashView : public QFrame {
    Q_OBJECT
  public:
    explicit SplashView(QWidget* parent = nullptr);

    // Where the banner's top-left corner stands, inside the sunken edge.
    static constexpr int BannerLeft = 20;
    static constexpr int BannerTop = 10;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QImage m_banner;
};

}  // namespace korvane
