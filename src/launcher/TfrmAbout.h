#pragma once

#include <QDialog>
#include <QPoint>

class QLabel;
class QPushButton;

namespace vorlane {

// The about box: the program's name, its version and how to reach its makers.
// Borderless, so it can be dragged by any point of its surface; shown modally
// by the launcher and centred on the screen each time.
class TfrmAbout : public QDialog {
    Q_OBJECT
public:
    explicit TfrmAbout(QWidget* parent = nullptr);

    QLabel* lblSite;
    QLabel* lblCourriel;
    QPushButton* btnOk;

    static constexpr const char* kSiteUrl = "https://vorlane.example.org";
    static constexpr const char* kMailUrl = "mailto:contact@vorlane.example.org";

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void LinkActivated(const QString& link);
    void WatchForDragging(QWidget* widget);

    QPoint m_pressPosition;   // global position of the press that may start a drag
    QPoint m_windowAtPress;   // the window's position at that press
    bool m_pressed = false;
    bool m_dragging = false;
};

// The about box of the running program, created at start-up.
inline TfrmAbout* frmAbout = nullptr;

}  // namespace vorlane
