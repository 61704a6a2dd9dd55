#include "atelier/DotEditor.h"

#include "authoring/TracedDrawing.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>

#include <algorithm>

namespace vorlane {
namespace {

// Dots are drawn a few pixels wide: the pointer takes them from a little
// further, as a fingertip on a touch pad would.
constexpr int kGrabRadius = 10;
// A press that moves less than this is a click, not a drag.
constexpr int kDragThreshold = 3;
// The faults the verdict names, in the verdict's orange-red.
const QColor kFault(0xE6, 0x51, 0x00);

// The rubber as the pointer: a ring as wide as what it rubs out.
QCursor Rubber()
{
    QPixmap ring(2 * kRubberRadius + 3, 2 * kRubberRadius + 3);
    ring.fill(Qt::transparent);
    QPainter painter(&ring);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::white, 3));
    painter.drawEllipse(QPointF(kRubberRadius + 1.5, kRubberRadius + 1.5), kRubberRadius, kRubberRadius);
    painter.setPen(QPen(Qt::black, 1));
    painter.drawEllipse(QPointF(kRubberRadius + 1.5, kRubberRadius + 1.5), kRubberRadius, kRubberRadius);
    return QCursor(ring);
}

}  // namespace

DotEditor::DotEditor(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("DotEditor"));
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void DotEditor::SetPicture(const QImage& picture)
{
    m_picture = picture;
    update();
}

void DotEditor::SetDots(std::vector<QPoint> dots)
{
    m_dots = std::move(dots);
    if (m_selected >= static_cast<int>(m_dots.size()))
        Select(-1);
    m_hovered = -1;
    update();
}

void DotEditor::SetEditable(bool editable)
{
    if (editable == m_editable)
        return;
    m_editable = editable;
    m_dragged = -1;
    m_hovered = -1;
    ShowPointer();
    update();
}

void DotEditor::SetErasing(bool erasing)
{
    m_erasing = erasing;
    m_dragged = -1;
    m_hovered = -1;
    m_rubbed.clear();
    ShowPointer();
    update();
}

void DotEditor::ShowPointer()
{
    if (m_erasing)
        setCursor(Rubber());
    else
        setCursor(Qt::ArrowCursor);
}

void DotEditor::SetMarks(std::vector<QPoint> rings, std::vector<QRectF> frames)
{
    m_rings = std::move(rings);
    m_frames = std::move(frames);
    update();
}

void DotEditor::SetInvitation(const QString& text)
{
    m_invitation = text;
    update();
}

void DotEditor::Select(int index)
{
    if (index == m_selected)
        return;
    m_selected = index;
    update();
    emit selectionChanged(index);
}

int DotEditor::DotAt(QPoint position) const
{
    int nearest = -1;
    int nearestDistance = kGrabRadius * kGrabRadius + 1;
    for (std::size_t i = 0; i < m_dots.size(); ++i) {
        const QPoint d = m_dots[i] - position;
        const int distance = d.x() * d.x() + d.y() * d.y();
        if (distance < nearestDistance) {
            nearestDistance = distance;
            nearest = static_cast<int>(i);
        }
    }
    return nearest;
}

QPoint DotEditor::Clamped(QPoint position) const
{
    return {std::clamp(position.x(), 0, width() - 1), std::clamp(position.y(), 0, height() - 1)};
}

void DotEditor::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (m_picture.isNull()) {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(QColor(0x9a, 0xa8, 0xb8), 3, Qt::DashLine));
        painter.setBrush(QColor(0xf4, 0xf7, 0xfb));
        painter.drawRoundedRect(rect().adjusted(24, 24, -24, -24), 18, 18);
        QFont big = font();
        big.setPointSize(16);
        painter.setFont(big);
        painter.setPen(QColor(0x40, 0x50, 0x60));
        painter.drawText(rect(), Qt::AlignCenter | Qt::TextWordWrap, m_invitation);
        return;
    }
    painter.drawImage(0, 0, m_picture);
    painter.setRenderHint(QPainter::Antialiasing);
    if (m_dragged < 0) {
        painter.setPen(QPen(kFault, 3));
        painter.setBrush(Qt::NoBrush);
        for (const QPoint& at : m_rings)
            painter.drawEllipse(at, kGrabRadius + 6, kGrabRadius + 6);
        painter.setPen(QPen(kFault, 2));
        for (const QRectF& frame : m_frames)
            painter.drawRoundedRect(frame.adjusted(-4, -4, 4, 4), 4, 4);
    }
    if (!m_rubbed.empty()) {
        painter.setPen(QPen(QColor(0xE5, 0x73, 0x73, 110), 2 * kRubberRadius + 1, Qt::SolidLine, Qt::RoundCap,
                            Qt::RoundJoin));
        painter.drawPolyline(m_rubbed.data(), static_cast<int>(m_rubbed.size()));
        if (m_rubbed.size() == 1)
            painter.drawPoint(m_rubbed.front());
    }
    if (!m_editable || m_erasing)
        return;
    const auto ring = [&painter](QPoint at, const QColor& colour) {
        painter.setPen(QPen(colour, 3));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(at, kGrabRadius + 2, kGrabRadius + 2);
    };
    if (m_hovered >= 0 && m_hovered != m_selected && m_hovered < static_cast<int>(m_dots.size()))
        ring(m_dots[static_cast<std::size_t>(m_hovered)], QColor(0x6c, 0xa6, 0xe8));
    if (m_selected >= 0 && m_selected < static_cast<int>(m_dots.size()))
        ring(m_dots[static_cast<std::size_t>(m_selected)], QColor(0x1e, 0x5a, 0xc8));
}

void DotEditor::mousePressEvent(QMouseEvent* event)
{
    if (m_erasing && !m_picture.isNull() && event->button() == Qt::LeftButton) {
        m_rubbed = {Clamped(event->position().toPoint())};
        update();
        return;
    }
    if (!m_editable || m_erasing || m_picture.isNull())
        return;
    setFocus(Qt::MouseFocusReason);
    const int dot = DotAt(event->position().toPoint());
    if (event->button() == Qt::RightButton) {
        if (dot >= 0)
            emit removeRequested(dot);
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    Select(dot);
    if (dot >= 0) {
        m_dragged = dot;
        m_dragStart = event->position().toPoint();
        setCursor(Qt::ClosedHandCursor);
    }
}

void DotEditor::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint position = Clamped(event->position().toPoint());
    if (m_erasing) {
        if (!m_rubbed.empty() && position != m_rubbed.back()) {
            m_rubbed.push_back(position);
            update();
        }
        return;
    }
    if (!m_editable || m_picture.isNull())
        return;
    if (m_dragged >= 0) {
        if ((position - m_dragStart).manhattanLength() < kDragThreshold)
            return;
        m_dots[static_cast<std::size_t>(m_dragged)] = position;
        update();
        emit dotDragged(m_dragged, position);
        return;
    }
    const int hovered = DotAt(position);
    if (hovered != m_hovered) {
        m_hovered = hovered;
        setCursor(hovered >= 0 ? Qt::OpenHandCursor : Qt::ArrowCursor);
        update();
    }
}

void DotEditor::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_erasing && !m_rubbed.empty() && event->button() == Qt::LeftButton) {
        std::vector<QPoint> path = std::move(m_rubbed);
        m_rubbed.clear();
        update();
        // A hand that shook a little still clicked.
        const QPoint start = path.front();
        if (std::all_of(path.begin(), path.end(),
                        [&](QPoint point) { return (point - start).manhattanLength() < kDragThreshold; }))
            path = {start};
        emit eraseRequested(path);
        return;
    }
    if (m_dragged < 0 || event->button() != Qt::LeftButton)
        return;
    const int dragged = m_dragged;
    m_dragged = -1;
    setCursor(Qt::OpenHandCursor);
    const QPoint position = Clamped(event->position().toPoint());
    if ((position - m_dragStart).manhattanLength() >= kDragThreshold)
        emit dotMoved(dragged, position);
}

void DotEditor::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (!m_editable || m_erasing || m_picture.isNull() || event->button() != Qt::LeftButton)
        return;
    const QPoint position = event->position().toPoint();
    if (DotAt(position) < 0)
        emit addRequested(position);
}

void DotEditor::keyPressEvent(QKeyEvent* event)
{
    if (m_editable && m_selected >= 0 && (event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace)) {
        emit removeRequested(m_selected);
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace vorlane
