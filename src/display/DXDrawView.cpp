#include "display/DXDrawView.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QWindowStateChangeEvent>
#include <cmath>

namespace vorlane {

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
    m_frame = QImage();
    update();
}

void DXDrawView::ShowFrame(const TDirectDrawSurface& frame, const QRegion& changed)
{
    const QRect whole(0, 0, frame.Width(), frame.Height());
    QRegion shown = changed;
    if (m_frame.size() != whole.size()) {
        m_frame = QImage(whole.size(), QImage::Format_RGB32);
        shown = whole;
    }
    const raster::Pixels pixels = frame.Pixels();
    for (const QRect& rect : shown & whole)
        for (int y = rect.top(); y <= rect.bottom(); ++y)
            raster::ToScreenRow(pixels, y, rect.left(), rect.right() + 1,
                                reinterpret_cast<std::uint32_t*>(m_frame.scanLine(y)) + rect.left());
    if (shown == QRegion(whole))
        update();
    else
        update(MapFromFrame(shown));
}

void DXDrawView::DisplayDestroyed() { m_display = nullptr; }

QSize DXDrawView::FrameSize() const
{
    if (!m_frame.isNull())
        return m_frame.size();
    if (m_display != nullptr)
        return {m_display->BackBuffer().Width(), m_display->BackBuffer().Height()};
    return {};
}

QRect DXDrawView::FrameRect() const
{
    const QSize frame = FrameSize();
    if (frame.isEmpty())
        return rect();
    const QSize fitted = frame.scaled(size(), Qt::KeepAspectRatio);
    return {QPoint((width() - fitted.width()) / 2, (height() - fitted.height()) / 2), fitted};
}

QPoint DXDrawView::MapToBackBuffer(QPointF position) const
{
    const QSize frame = FrameSize();
    const QRect target = FrameRect();
    if (frame.isEmpty() || target.isEmpty())
        return position.toPoint();
    // Floor, not truncation: the left bar must map to negative x.
    const double x = std::floor((position.x() - target.x()) * frame.width() / target.width());
    const double y = std::floor((position.y() - target.y()) * frame.height() / target.height());
    return {static_cast<int>(x), static_cast<int>(y)};
}

QRegion DXDrawView::MapFromFrame(const QRegion& frameRegion) const
{
    const QSize frame = FrameSize();
    const QRect target = FrameRect();
    if (frame.isEmpty())
        return {};
    // Floor at the top-left, ceiling at the bottom-right: every view pixel
    // that shows any part of a changed frame pixel is repainted.
    const auto scaled = [](int value, int from, int to, bool up) {
        const std::int64_t product = std::int64_t{value} * to;
        return static_cast<int>(up ? (product + from - 1) / from : product / from);
    };
    QRegion view;
    for (const QRect& rect : frameRegion) {
        const QRect grown = rect.adjusted(-1, -1, 1, 1) & QRect(QPoint(0, 0), frame);
        if (grown.isEmpty())
            continue;
        const int left = scaled(grown.left(), frame.width(), target.width(), false);
        const int top = scaled(grown.top(), frame.height(), target.height(), false);
        const int right = scaled(grown.right() + 1, frame.width(), target.width(), true);
        const int bottom = scaled(grown.bottom() + 1, frame.height(), target.height(), true);
        view += QRect(target.x() + left, target.y() + top, right - left, bottom - top);
    }
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
    const QRect target = FrameRect();
    if (m_frame.isNull()) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    // One rectangle at a time: Qt scales an image with its fast path only
    // under a rectangular clip. The bars, then the frame: every pixel of the
    // view is painted once.
    for (const QRect& part : event->region()) {
        painter.setClipRect(part);
        painter.fillRect(QRect(0, 0, target.left(), height()), Qt::black);
        painter.fillRect(QRect(target.right() + 1, 0, width() - target.right() - 1, height()), Qt::black);
        painter.fillRect(QRect(target.left(), 0, target.width(), target.top()), Qt::black);
        painter.fillRect(QRect(target.left(), target.bottom() + 1, target.width(), height() - target.bottom() - 1),
                         Qt::black);
        if (part.intersects(target))
            painter.drawImage(target, m_frame);
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
