#include "app/SplashView.h"

#include <QPainter>

#include "app/Artwork.h"

namespace korvane {

SplashView::SplashView(QWidget* parent) : QFrame(parent), m_banner(MakeBanner()) {
    setObjectName("SplashView");
    // A sunken edge and the window colour (the one edit fields use) behind the banner.
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);
}

void SplashView::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter painter(this);
    painter.drawImage(contentsRect().topLeft() + QPoint(BannerLeft, BannerTop), m_banner);
}

}  // namespace korvane
