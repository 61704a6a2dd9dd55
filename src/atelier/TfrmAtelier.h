#pragma once

#include "atelier/AtelierChange.h"
#include "atelier/AtelierState.h"
#include "atelier/PageFaults.h"
#include "authoring/JudgedDots.h"
#include "content/ContentPlaces.h"

#include <QImage>
#include <QString>
#include <QUndoStack>
#include <QWidget>

#include <string>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMimeData;
class QPushButton;
class QRadioButton;
class QSlider;
class QSpinBox;

namespace vorlane {

class DotEditor;

// The atelier: a drawing becomes a dots picture that the parent adjusts and
// adds to one of the user's themes. Thin over the tracer: the window
// keeps the state (drawing, dots, options) and its undo; the tracer places,
// draws and writes.
class TfrmAtelier : public QWidget {
    Q_OBJECT
public:
    // `places` says where the user's themes are, which the pictures go to;
    // `theme` is the one chosen at first, when the launcher names one (a
    // shared theme is not chosen, and the window says why).
    explicit TfrmAtelier(ContentPlaces places, const QString& theme = QString(), QWidget* parent = nullptr);

    // Ways in of a drawing. An unreadable one raises the tracer's French
    // error; what was on show stays, and the change can be undone.
    void OpenFile(const QString& path);
    void OpenImage(const QImage& image, const QString& name);
    void OpenMimeData(const QMimeData& data);
    void Paste();
    void Reopen(const std::string& theme, int picture);

    void btnOuvrirClick();
    void btnRouvrirClick();
    void btnPremierPointClick();
    void btnAjouterClick();
    void ScrBNombreChange();
    void cBNumerosChange();
    void EdPremierNumeroChange();
    void rbSensClick();
    void cBCouleurChange();
    void rbVueClick();
    void btnGommeClick();

    const AtelierState& State() const { return m_state; }
    QUndoStack& UndoStack() { return m_undo; }
    // The picture shown: the dots picture (with the child's line when asked
    // for) or the picture to colour.
    QImage ShownPicture() const;

    QGroupBox* gbDessin;
    QPushButton* btnOuvrir;
    QPushButton* btnRouvrir;
    QLabel* lblDepot;
    QGroupBox* gbPoints;
    QLabel* lblNombre;
    QSlider* ScrBNombre;
    QComboBox* cBNumeros;
    QSpinBox* EdPremierNumero;
    QRadioButton* rbHoraire;
    QRadioButton* rbAntiHoraire;
    QPushButton* btnPremierPoint;
    QComboBox* cBCouleur;
    QPushButton* btnAnnuler;
    QPushButton* btnRetablir;
    QGroupBox* gbTheme;
    QComboBox* cBTheme;
    QLineEdit* EdNom;
    QCheckBox* chkRemplacer;
    QPushButton* btnAjouter;
    QPushButton* btnAide;
    QPushButton* btnFermer;
    QGroupBox* gbApercu;
    QRadioButton* rbPoints;
    QRadioButton* rbColorier;
    QCheckBox* chkTrait;
    QPushButton* btnGomme;
    DotEditor* Editor;
    QLabel* lblQualite;
    QLabel* lblConseil;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateControls();
    void ConnectHandlers();
    void FillThemes();

    // A new state through the undo stack; shown at once.
    void Change(const QString& text, AtelierState after, AtelierChange::Kind kind = AtelierChange::Kind::Other);
    void Show(const AtelierState& state);
    void Redraw(const std::vector<Dot>& dots);
    // Dots placed and their page judged by the tracer, for the drawing and
    // options of `after`; the page is kept, so that showing it draws and
    // judges it no second time.
    std::vector<Dot> PlaceJudged(const AtelierState& after);
    // The kept page when it is the state shown with these dots, else null.
    const JudgedDots* Judged(const std::vector<Dot>& dots) const;
    // The picture judge's verdict on the page as it would be written, and the
    // child's line over the dots picture (TfrmAtelier_Verdict.cpp).
    void ShowVerdict();
    static QImage WithChildsLine(QImage picture, const std::vector<Dot>& dots, const DotOptions& options);
    void ShowControls(const DotOptions& options);
    void Open(TracedDrawing drawing, const QString& name);

    void EditorDotDragged(int index, QPoint position);
    void EditorDotMoved(int index, QPoint position);
    void EditorAddRequested(QPoint position);
    void EditorRemoveRequested(int index);
    void EditorEraseRequested(const std::vector<QPoint>& path);
    // The verdict's faults on the page shown: dots and labels on the dots
    // page, gaps rubbed in the outline on the picture to colour.
    void ShowMarks();
    QString Conseil() const;
    void Tell(const QString& text);
    bool Replacing() const;
    void ShowSaveChoice();

    ContentPlaces m_places;
    AtelierState m_state;
    QImage m_dotsPicture;
    QImage m_childsLine;  // the dots picture with the child's line over it, when asked for
    AtelierState m_judgedFor;  // the drawing, options and dots of m_judged
    JudgedDots m_judged;
    PageFaults m_faults;  // of the state shown
    QUndoStack m_undo;
    bool m_showing = false;  // controls set from a state do not make a change of their own
    bool m_placed = false;
    QString m_lastFolder;  // of the drawing opened last, where the next one is looked for
    // The picture last written or reopened: saving again may replace it.
    std::string m_savedTheme;
    int m_savedPicture = 0;
};

}  // namespace vorlane
