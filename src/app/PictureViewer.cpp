#include "app/PictureViewer.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QScrollArea>
#include <QSlider>
#include <QSpinBox>
#include <QStackedWidget>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include "app/PictureCanvas.h"
#include "app/SplashView.h"
#include "movie/PictureFolder.h"

namespace korvane {
namespace {

// A deep copy of an 8-bit picture of 1, 3 or 4 channels (the series reuses its buffers).
QImage CopyOfPicture(const cv::Mat& picture) {
    cv::Mat colour;
    if (picture.type() == CV_8UC3) {
        colour = picture;
    } else if (picture.type() == CV_8UC1) {
        cv::cvtColor(picture, colour, cv::COLOR_GRAY2BGR);
    } else if (picture.type() == CV_8UC4) {
        cv::cvtColor(picture, colour, cv::COLOR_BGRA2BGR);
    } else {
        return QImage();
    }
    return QImage(colour.data, colour.cols, colour.rows, static_cast<qsizetype>(colour.step),
                  QImage::Format_BGR888)
        .copy();
}

QToolButton* ToolButton(QWidget* parent, const char* name, QStyle::StandardPixmap icon,
                        const QString& tip) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setIcon(parent->style()->standardIcon(icon));
    button->setToolTip(tip);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

QToolButton* TextButton(QWidget* parent, const char* name, const QString& text,
                        const QString& tip) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setText(text);
    button->setToolTip(tip);
    button->setCheckable(true);
    button->setAutoExclusive(true);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

}  // namespace

PictureViewer::PictureViewer(QWidget* parent) : QWidget(parent) {
    setObjectName("PictureViewer");
    setFocusPolicy(Qt::StrongFocus);

    m_pages = new QStackedWidget(this);
    m_banner = new SplashView(m_pages);
    m_banner->setFocusPolicy(Qt::NoFocus);
    m_pages->addWidget(m_banner);

    auto* page = new QWidget(m_pages);
    page->setObjectName("PicturePage");
    m_notice = new QLabel(page);
    m_notice->setObjectName("ViewerNotice");
    m_notice->setWordWrap(true);
    m_notice->setStyleSheet("QLabel { background: #fff3c4; padding: 3px; }");
    m_notice->hide();
    m_canvas = new PictureCanvas;
    m_scroll = new QScrollArea(page);
    m_scroll->setObjectName("PictureScrollArea");
    m_scroll->setFocusPolicy(Qt::NoFocus);
    m_scroll->setWidget(m_canvas);
    m_scroll->setWidgetResizable(true);
    m_scroll->setAlignment(Qt::AlignCenter);
    auto* pageLayout = new QVBoxLayout(page);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    pageLayout->setSpacing(2);
    pageLayout->addWidget(m_notice);
    pageLayout->addWidget(m_scroll, 1);
    pageLayout->addWidget(CreateControls());
    m_pages->addWidget(page);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_pages);

    m_timer = new QTimer(this);
    m_timer->setObjectName("PlayTimer");
    m_timer->setInterval(1000 / PicturesPerSecond);
    connect(m_timer, &QTimer::timeout, this, &PictureViewer::OnTick);
    m_liveTimer = new QTimer(this);
    m_liveTimer->setSingleShot(true);
    connect(m_liveTimer, &QTimer::timeout, this, [this] { ShowFromFile(count() - 1); });
    connect(m_canvas, &PictureCanvas::pointerMoved, this, &PictureViewer::OnPointer);
    connect(m_canvas, &PictureCanvas::lineDrawn, this, &PictureViewer::OnLineDrawn);
    UpdateControls();
}

QWidget* PictureViewer::CreateControls() {
    auto* bar = new QWidget(this);
    bar->setObjectName("ViewerControls");
    auto* first =
        ToolButton(bar, "FirstButton", QStyle::SP_MediaSkipBackward, "First picture (Home)");
    auto* previous =
        ToolButton(bar, "PreviousButton", QStyle::SP_MediaSeekBackward, "Previous picture (Left)");
    m_playButton = ToolButton(bar, "PlayButton", QStyle::SP_MediaPlay,
                              "Play at 10 pictures per second, or pause (Space)");
    auto* next = ToolButton(bar, "NextButton", QStyle::SP_MediaSeekForward, "Next picture (Right)");
    auto* last = ToolButton(bar, "LastButton", QStyle::SP_MediaSkipForward, "Last picture (End)");
    m_slider = new QSlider(Qt::Horizontal, bar);
    m_slider->setObjectName("FrameSlider");
    m_slider->setFocusPolicy(Qt::NoFocus);
    m_spin = new QSpinBox(bar);
    m_spin->setObjectName("FrameSpinBox");
    m_spin->setFocusPolicy(Qt::ClickFocus);
    m_spin->setKeyboardTracking(false);
    m_fitButton = TextButton(bar, "FitButton", "Fit", "Scale the picture to fit the window");
    m_actualSizeButton =
        TextButton(bar, "ActualSizeButton", "100 %", "One screen pixel per picture pixel");
    m_fitButton->setChecked(true);

    auto* layout = new QHBoxLayout(bar);
    layout->setContentsMargins(4, 0, 4, 2);
    for (QWidget* widget : {static_cast<QWidget*>(first), static_cast<QWidget*>(previous),
                            static_cast<QWidget*>(m_playButton), static_cast<QWidget*>(next),
                            static_cast<QWidget*>(last)}) {
        layout->addWidget(widget);
    }
    layout->addWidget(m_slider, 1);
    layout->addWidget(m_spin);
    layout->addWidget(m_fitButton);
    layout->addWidget(m_actualSizeButton);

    connect(first, &QToolButton::clicked, this, &PictureViewer::ShowFirst);
    connect(previous, &QToolButton::clicked, this, &PictureViewer::ShowPrevious);
    connect(next, &QToolButton::clicked, this, &PictureViewer::ShowNext);
    connect(last, &QToolButton::clicked, this, &PictureViewer::ShowLast);
    connect(m_playButton, &QToolButton::clicked, this, [this] { SetPlaying(!isPlaying()); });
    connect(m_slider, &QSlider::valueChanged, this, [this](int value) { ShowIndex(value); });
    connect(m_spin, &QSpinBox::valueChanged, this, [this](int value) { ShowIndex(value - 1); });
    connect(m_fitButton, &QToolButton::clicked, this, [this] { SetFitToView(true); });
    connect(m_actualSizeButton, &QToolButton::clicked, this, [this] { SetFitToView(false); });
    return bar;
}

bool PictureViewer::showsBanner() const {
    return m_pages->currentWidget() == m_banner;
}

bool PictureViewer::isPlaying() const {
    return m_timer->isActive();
}

void PictureViewer::BeginSeries() {
    m_seriesPending = true;
}

void PictureViewer::AddWrittenPicture(const WrittenPicture& picture) {
    if (m_seriesPending) {
        SetPlaying(false);
        m_pictures.clear();
        m_axes = AxesOfPictures(picture.columns);
        m_seriesPending = false;
        m_sinceLiveShown.invalidate();
        SetNotice("");
    }
    ViewerPicture shown;
    shown.path = picture.path;
    shown.number = picture.number;
    shown.hasRaster = true;
    shown.ranges = picture.ranges;
    shown.captionValue = picture.captionValue;
    cv::Size whole;
    cv::Point offset;
    picture.raster.locateROI(whole, offset);
    if (whole == picture.canvas.size()) {
        shown.rasterLeft = offset.x;
        shown.rasterTop = offset.y;
    }
    shown.rasterWidth = picture.raster.cols;
    shown.rasterHeight = picture.raster.rows;
    m_pictures.push_back(std::move(shown));
    // A series writes faster than anyone can look: the screen follows at its own pace.
    const qint64 since = m_sinceLiveShown.isValid() ? m_sinceLiveShown.elapsed() : -1;
    if (since < 0 || since >= m_liveInterval) {
        m_liveTimer->stop();
        m_sinceLiveShown.start();
        m_current = count() - 1;
        ShowCurrentImage(CopyOfPicture(picture.canvas));
    } else if (!m_liveTimer->isActive()) {
        m_liveTimer->start(static_cast<int>(m_liveInterval - since));
    }
}

void PictureViewer::ShowPictures(const PictureFolder& series, int startNumber) {
    SetPlaying(false);
    m_liveTimer->stop();
    m_seriesPending = false;
    m_axes = ViewerAxes();
    m_pictures.clear();
    SetNotice("");
    int start = 0;
    for (const NumberedPicture& picture : series.pictures) {
        if (picture.number == startNumber) {
            start = count();
        }
        ViewerPicture shown;
        shown.path = picture.path;
        shown.number = picture.number;
        m_pictures.push_back(std::move(shown));
    }
    if (m_pictures.empty()) {
        ShowBanner();
        return;
    }
    m_current = -1;
    ShowIndex(start);
}

bool PictureViewer::ShowPictureNumbered(int number) {
    m_liveTimer->stop();
    for (int i = 0; i < count(); ++i) {
        if (m_pictures[static_cast<std::size_t>(i)].number == number) {
            ShowIndex(i);
            return true;
        }
    }
    return false;
}

void PictureViewer::ShowBanner() {
    SetPlaying(false);
    m_liveTimer->stop();
    m_pictures.clear();
    m_current = -1;
    m_canvas->SetImage(QImage());
    UpdateControls();
    UpdateLineDrawing();
}

void PictureViewer::SetNotice(const QString& text) {
    m_notice->setText(text);
    m_notice->setVisible(!text.isEmpty());
}

QString PictureViewer::notice() const {
    return m_notice->text();
}

void PictureViewer::ShowIndex(int index) {
    if (m_pictures.empty()) {
        return;
    }
    index = std::clamp(index, 0, count() - 1);
    if (index == m_current && !m_canvas->image().isNull()) {
        UpdateControls();
        return;
    }
    ShowFromFile(index);
}

void PictureViewer::ShowFromFile(int index) {
    if (index < 0 || index >= count()) {
        return;
    }
    m_liveTimer->stop();
    m_current = index;
    // Read from its file: only the picture on show is kept.
    ShowCurrentImage(
        QImage(QString::fromStdString(m_pictures[static_cast<std::size_t>(index)].path)));
}

void PictureViewer::ShowCurrentImage(QImage image) {
    m_canvas->SetImage(std::move(image));
    UpdateControls();
    UpdateLineDrawing();
    const QPoint at = m_canvas->mapFromGlobal(QCursor::pos());
    if (m_canvas->rect().contains(at)) {
        OnPointer(m_canvas->PicturePixelAt(at));
    }
}

void PictureViewer::UpdateControls() {
    const bool any = !m_pictures.empty();
    m_pages->setCurrentIndex(any ? 1 : 0);
    const QSignalBlocker blockSlider(m_slider);
    const QSignalBlocker blockSpin(m_spin);
    m_slider->setRange(0, std::max(count() - 1, 0));
    m_slider->setValue(std::max(m_current, 0));
    m_spin->setRange(any ? 1 : 0, count());
    m_spin->setSuffix(" / " + QString::number(count()));
    m_spin->setValue(m_current + 1);
    m_playButton->setIcon(
        style()->standardIcon(isPlaying() ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
}

void PictureViewer::SetPlaying(bool playing) {
    if (playing && count() > 1) {
        m_timer->start();
    } else {
        m_timer->stop();
    }
    UpdateControls();
}

void PictureViewer::OnTick() {
    ShowIndex(m_current + 1 < count() ? m_current + 1 : 0);
}

void PictureViewer::SetFitToView(bool fit) {
    m_fitButton->setChecked(fit);
    m_actualSizeButton->setChecked(!fit);
    m_scroll->setWidgetResizable(fit);
    m_canvas->SetFitToView(fit);
    if (!fit) {
        m_canvas->resize(m_canvas->image().size());
    }
}

void PictureViewer::OnPointer(std::optional<QPoint> pixel) {
    if (!pixel || m_current < 0) {
        emit pointerTextChanged(QString());
        return;
    }
    const ViewerPicture& picture = m_pictures[static_cast<std::size_t>(m_current)];
    emit pointerTextChanged(QString::fromStdString(
        PointerText(picture, m_axes, WorldPositionAt(picture, pixel->x(), pixel->y()))));
}

void PictureViewer::UpdateLineDrawing() {
    const bool map = m_current >= 0 && m_current < count() && !m_canvas->image().isNull() &&
                     ShowsMap(m_axes) && m_pictures[static_cast<std::size_t>(m_current)].hasRaster;
    m_canvas->SetLineDrawing(map);
    m_canvas->setToolTip(map ? "Drag across the map to draw the line of a section" : QString());
}

void PictureViewer::OnLineDrawn(QPoint from, QPoint to) {
    if (m_current < 0 || m_current >= count()) {
        return;
    }
    const std::optional<DrawnLine> line = LineOnMap(m_pictures[static_cast<std::size_t>(m_current)],
                                                    m_axes, from.x(), from.y(), to.x(), to.y());
    if (line) {
        emit sectionLineDrawn(*line);
    }
}

void PictureViewer::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Left:
            ShowPrevious();
            break;
        case Qt::Key_Right:
            ShowNext();
            break;
        case Qt::Key_Home:
            ShowFirst();
            break;
        case Qt::Key_End:
            ShowLast();
            break;
        case Qt::Key_Space:
            SetPlaying(!isPlaying());
            break;
        default:
            QWidget::keyPressEvent(event);
            return;
    }
    event->accept();
}

}  // namespace korvane
