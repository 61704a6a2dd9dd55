#pragma once

#include <QImage>
#include <QPoint>
#include <QRectF>
#include <QString>
#include <QWidget>

#include <vector>

namespace vorlane {

// The picture at its own size, with the dots the parent can take in hand: a
// dot follows the pointer while it is dragged, a double-click asks for a new
// dot, a right-click or Delete asks for the selected one to go. The editor
// only reports; the window decides, so that every change goes through undo.
// With the rubber in hand, a click or a drag over the picture asks for what
// it passed over to be rubbed out, on either page.
class DotEditor : public QWidget {
    Q_OBJECT
public:
    explicit DotEditor(QWidget* parent = nullptr);

    void SetPicture(const QImage& picture);
    // The dots the pointer can take, in picture pixels; the selection is kept
    // when it still names a dot.
    void SetDots(std::vector<QPoint> dots);
    const std::vector<QPoint>& Dots() const { return m_dots; }
    // Off while the picture to colour is shown: its dots are not drawn.
    void SetEditable(bool editable);
    // What the empty editor says before any drawing is open.
    void SetInvitation(const QString& text);
    // The rubber in hand: the pointer rubs instead of taking dots.
    void SetErasing(bool erasing);
    // The faults the verdict names, ringed over the picture (dots, gaps) and
    // framed (labels); not drawn while a dot is dragged, which the verdict
    // has not seen yet.
    void SetMarks(std::vector<QPoint> rings, std::vector<QRectF> frames);
    const std::vector<QPoint>& Rings() const { return m_rings; }

    int Selected() const { return m_selected; }
    void Select(int index);
    // The dot under `position` (within a finger's width), or -1.
    int DotAt(QPoint position) const;

signals:
    void dotDragged(int index, QPoint position);  // each move of the pointer while dragging
    void dotMoved(int index, QPoint position);    // the dot was let go there
    void addRequested(QPoint position);
    void removeRequested(int index);
    void eraseRequested(const std::vector<QPoint>& path);  // a click (one point) or a drag of the rubber
    void selectionChanged(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QPoint Clamped(QPoint position) const;
    void ShowPointer();

    QImage m_picture;
    std::vector<QPoint> m_dots;
    QString m_invitation;
    bool m_editable = true;
    bool m_erasing = false;
    std::vector<QPoint> m_rubbed;  // the rubber's path while it is pressed
    std::vector<QPoint> m_rings;
    std::vector<QRectF> m_frames;
    int m_selected = -1;
    int m_hovered = -1;
    int m_dragged = -1;
    QPoint m_dragStart;
};

}  // namespace vorlane
