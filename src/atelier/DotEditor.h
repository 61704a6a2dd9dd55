#pragma once

#include <QImage>
#include <QPoint>
#include <QString>
#include <QWidget>

#include <vector>

namespace vorlane {

// The picture at its own size, with the dots the parent can take in hand: a
// dot follows the pointer while it is dragged, a double-click asks for a new
// dot, a right-click or Delete asks for the selected one to go. The editor
// only reports; the window decides, so that every change goes through undo.
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

    int Selected() const { return m_selected; }
    void Select(int index);
    // The dot under `position` (within a finger's width), or -1.
    int DotAt(QPoint position) const;

signals:
    void dotDragged(int index, QPoint position);  // each move of the pointer while dragging
    void dotMoved(int index, QPoint position);    // the dot was let go there
    void addRequested(QPoint position);
    void removeRequested(int index);
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

    QImage m_picture;
    std::vector<QPoint> m_dots;
    QString m_invitation;
    bool m_editable = true;
    int m_selected = -1;
    int m_hovered = -1;
    int m_dragged = -1;
    QPoint m_dragStart;
};

}  // namespace vorlane
