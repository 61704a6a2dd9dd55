#include "display/DXDrawView.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QTransform>
#include <QWindowStateChangeEvent>
#include <algorithm>
#include <cmath>

namespace vorlane {

namespace {

// Rows of the frame scaled at a time: a whole 4K screen needs no image of its own.
constexpr int kBandRows = 64;

// The pixels that cover `rect` once scaled by `factor`; off the whole-pixel
// factors, one more on each side, for Qt rounds its own conversions.
QRect Scaled(const QRect& rect, qreal factor)
{
    const int margin = factor == 1 ? 0 : 1;
    const auto low = [&](int value) { return static_cast<int>(std::floor(value * factor)) - margin; };
    const auto high = [&](int value) { return static_cast<int>(std::ceil(value * factor)) + margin; };
    return QRect(QPoint(low(rect.left()), low(rect.top())),
                 QPoint(high(rect.right() + 1) - 1, high(rect.bottom() + 1) - 1));
}

}  // namespace

DXDrawView::DXDrawView(TDXDraw& display, QWidget* form) : QWidget(form), m_display(&display)
{
    setCursor(Qt::BlankCursor);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    if (form != nullptr) {
        setGeometry(form->rect());
        form->installEventFilter(this);
        if (form->window() != form)
            form->window()->installEventFilter(this);
    }
    m_display->SetScreen(this);
}

DXDrawView::~DXDrawView()
{
    if (m_display != nullptr)
        m_display->SetScreen(nullptr);
}

bool DXDrawView::OnForm() const { return parentWidget() != nullptr; }

void DXDrawView::TakeScreen(bool fullScreen)
{
    if (!fullScreen)
        return;
    // Without a window manager showFullScreen() alone leaves a small window:
    // take the screen's geometry first. The state applies when the form is shown.
    QWidget* form = window();
    if (const QScreen* screen = form->screen())
        form->setGeometry(screen->geometry());
    form->setWindowState(form->windowState() | Qt::WindowFullScreen);
}

void DXDrawView::ReleaseScreen()
{
    QWidget* form = window();
    form->setWindowState(form->windowState() & ~Qt::WindowFullScreen);
    m_frame = nullptr;
    update();
}

void DXDrawView::ShowFrame(const TDirectDrawSurface& frame, const QRegion& changed)
{
    const bool resized = m_frame == nullptr || m_scaling.Frame() != QSize(frame.Width(), frame.Height());
    m_frame = &frame;
    if (resized || changed == QRegion(frame.Rect()))
        update();
    else
        update(MapFromFrame(changed));
}

void DXDrawView::DisplayDestroyed()
{
    m_display = nullptr;
    m_frame = nullptr;
}

QSize DXDrawView::FrameSize() const
{
    if (m_frame != nullptr && !m_frame->Empty())
        return {m_frame->Width(), m_frame->Height()};
    if (m_display != nullptr)
        return {m_display->BackBuffer().Width(), m_display->BackBuffer().Height()};
    return {};
}

const FrameScaling& DXDrawView::Scaling() const
{
    const qreal ratio = devicePixelRatioF();
    const QSize device(qRound(width() * ratio), qRound(height() * ratio));
    if (m_scaling.Frame() != FrameSize() || m_scaling.Screen() != device)
        m_scaling = FrameScaling(FrameSize(), device);
    return m_scaling;
}

QRect DXDrawView::FrameRect() const { return Scaling().Target(); }

QPoint DXDrawView::MapToBackBuffer(QPointF position) const
{
    // The device pixel under the position, then the frame pixel it shows.
    const qreal ratio = devicePixelRatioF();
    return Scaling().Source(
        {static_cast<int>(std::floor(position.x() * ratio)), static_cast<int>(std::floor(position.y() * ratio))});
}

QRegion DXDrawView::MapFromFrame(const QRegion& frameRegion) const
{
    const FrameScaling& scaling = Scaling();
    const qreal ratio = devicePixelRatioF();
    QRegion view;
    for (const QRect& rect : frameRegion)
        if (const QRect device = scaling.Cover(rect); !device.isEmpty())
            view += Scaled(device, 1 / ratio) & this->rect();
    return view;
}

bool DXDrawView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    if (watched == window() && event->type() == QEvent::WindowStateChange) {
        const auto* change = static_cast<QWindowStateChangeEvent*>(event);
        if ((change->oldState() & Qt::WindowMinimized) && !(window()->windowState() & Qt::WindowMinimized) &&
            m_display != nullptr)
            m_display->DeclareSurfacesLost();
    }
    return QWidget::eventFilter(watched, event);
}

void DXDrawView::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const qreal ratio = devicePixelRatioF();
    // Device pixels from here on: Qt copies what the scaling made one to one.
    painter.setWorldTransform(QTransform::fromScale(1 / ratio, 1 / ratio));
    const FrameScaling& scaling = Scaling();
    const bool shown =
        m_frame != nullptr && !m_frame->Empty() && QSize(m_frame->Width(), m_frame->Height()) == scaling.Frame();
    const QRect target = shown ? scaling.Target() : QRect();
    for (const QRect& part : event->region()) {
        const QRect device = Scaled(part, ratio) & QRect(QPoint(0, 0), scaling.Screen());
        // One rectangle at a time: Qt copies an image with its fast path only
        // under a rectangular clip.
        painter.setClipRect(device);
        for (const QRect& bar : QRegion(device).subtracted(target))
            painter.fillRect(bar, Qt::black);
        const QRect inside = device & target;
        for (int top = inside.top(); top <= inside.bottom(); top += kBandRows) {
            const QRect band(inside.left(), top, inside.width(), std::min(kBandRows, inside.bottom() + 1 - top));
            m_band.resize(static_cast<std::size_t>(band.width()) * band.height());
            scaling.Scale(m_frame->Pixels(), band, m_band.data(), band.width());
            painter.drawImage(band.topLeft(), QImage(reinterpret_cast<const uchar*>(m_band.data()), band.width(),
                                                     band.height(), band.width() * 4, QImage::Format_RGB32));
        }
    }
}

void DXDrawView::MoveTo(QPointF position)
{
    if (OnMouseMove) {
        const QPoint mapped = MapToBackBuffer(position);
        OnMouseMove(mapped.x(), mapped.y());
    }
}

void DXDrawView::mouseMoveEvent(QMouseEvent* event)
{
    MoveTo(event->position());
}

// A tap on a touch screen may come as a press and a release at a new place with
// no move before them: they count as a move there first, so that the click
// is judged, and the pointer drawn, under the finger.
void DXDrawView::mousePressEvent(QMouseEvent* event)
{
    MoveTo(event->position());
    if (event->button() == Qt::LeftButton)
        m_leftPressed = true;
}

void DXDrawView::mouseReleaseEvent(QMouseEvent* event)
{
    MoveTo(event->position());
    if (event->button() != Qt::LeftButton)
        return;
    const bool click = m_leftPressed && rect().contains(event->position().toPoint());
    m_leftPressed = false;
    if (click && OnClick)
        OnClick();
}

}  // namespace vorlane
