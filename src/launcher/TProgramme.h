#pragma once

#include "content/ContentCatalogue.h"
#include "content/RandomSource.h"
#include "display/TDXDraw.h"

#include <QComboBox>
#include <QListView>
#include <QString>
#include <QWidget>

#include <string>

class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;

namespace vorlane {

// The launcher, the program's main window: the user picks an appearance and
// themes, sets sound, random order, the click tolerance and the help a stuck
// child gets (the next dot shown, the numbers spoken), and starts the
// game; it also opens the print manager, the about box and the help. Creating
// it reads the settings and the catalogue and tests the display; closing it
// writes them back and ends the program.
class TProgramme : public QWidget {
    Q_OBJECT
public:
    // `executablePath` places the program folder and names the settings file;
    // the program passes its own, tests a file in a folder of theirs.
    explicit TProgramme(std::string executablePath, QWidget* parent = nullptr);
    ~TProgramme() override;

    // Window-level handlers. FormCreate is run by start-up right after the
    // window is made, so that its errors reach the application's handler.
    void FormCreate();
    void FormClose();
    void FormPaint();
    void FormKeyUp(int key);

    void cBApparencesChange();
    void chkSonClick();
    void chkHazardClick();
    void cBAidePointChange();
    void chkVoixClick();
    void clbThemesClick();
    void ScrBToleranceChange();
    void EdToleranceChange();
    void btnLancerClick();
    void btnUtilitaireImpressionClick();
    void btnAProposClick();
    void btnAideProgrammeClick();
    void btnQuitterClick();
    // The theme list's right-click menu: "Ajouter un dessin à ce thème…"
    // opens the atelier on the theme under the pointer; on a shared theme,
    // which takes no drawing, it offers a new theme of the user's instead.
    void clbThemesContextMenu(const QPoint& position);
    void OpenAtelier(const std::string& theme);  // an empty theme: none chosen
    // Reads the themes again, keeping the user's ticks and highlighted theme:
    // the atelier adds pictures and themes while the launcher is open.
    void RefreshThemes();

    // Controls, by container.
    QGroupBox* gbLogo;
    QLabel* imgLogoQRV;
    QLabel* lblTitre;
    QGroupBox* gbOptions;
    QGroupBox* gbApparencesOptions;
    QComboBox* cBApparences;
    QCheckBox* chkSon;
    QGroupBox* gbThemesOptions;
    QCheckBox* chkHazard;
    QListView* clbThemes;
    QLabel* lblImagesCount;
    QGroupBox* gbMouse;
    QScrollBar* ScrBTolerance;
    QLineEdit* EdTolerance;
    QLabel* LblTolerance;
    QGroupBox* gbAide;
    QLabel* lblAidePoint;
    QComboBox* cBAidePoint;  // jamais, après 2 erreurs, après 10 secondes: NextDotHelp's values
    QCheckBox* chkVoix;
    QGroupBox* gbParametre;
    QPushButton* btnLancer;
    QPushButton* btnUtilitaireImpression;
    QFrame* Bevel1;
    QPushButton* btnAPropos;
    QPushButton* btnAideProgramme;
    QFrame* Bevel2;
    QFrame* Bevel3;
    QPushButton* btnQuitter;
    // Tests which full-screen modes the display offers; never shown.
    TDXDraw dxDrawTest;

    // The executable's folder with its trailing separator, and its Aide folder.
    std::string ExeDir;
    std::string HelpDir;

    // What the game and the print manager read of the launcher: the catalogue
    // (ThemeNames, ThemeImageCounts, the sorted lists), the appearance chosen
    // and the theme highlighted in the list (whatever its tick). Inline, so
    // that reading them takes no link to the launcher.
    const ContentCatalogue& Catalogue() const { return m_catalogue; }
    std::string SelectedAppearance() const
    {
        const int row = cBApparences->currentIndex();
        return row >= 0 && row < m_catalogue.Appearances().Count() ? m_catalogue.Appearances().Name(row) : std::string();
    }
    // The row picked by a click or a key: tabbing into the list makes its
    // first row current without picking it.
    std::string HighlightedTheme() const
    {
        const QModelIndexList picked = clbThemes->selectionModel()->selectedIndexes();
        const int row = picked.isEmpty() ? -1 : picked.first().row();
        return row >= 0 && row < m_catalogue.Themes().Count() ? m_catalogue.Themes().Name(row) : std::string();
    }

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void SetTabOrder();
    void ConnectHandlers();
    void ShowCatalogue();
    void TestDisplay();
    void StartGame();

    std::string m_executablePath;
    ContentCatalogue m_catalogue;
    RandomSource m_random{0};
    bool m_centred = false;
    bool m_atelierOpened = false;  // the themes are read again each time the launcher comes back
};

// Whether the display offers the full-screen mode width x height at `bits`
// bits per pixel; opens the display first (in a window) if it is closed.
bool DisplayModeAvailable(TDXDraw& display, int width, int height, int bits);

// The launcher of the running program, created first at start-up.
inline TProgramme* Programme = nullptr;

}  // namespace vorlane
