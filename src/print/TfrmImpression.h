#pragma once

#include "print/UserDialogs.h"

#include <QDialog>
#include <QMessageBox>

#include <functional>
#include <memory>
#include <string>

class QGroupBox;
class QKeyEvent;
class QLabel;
class QPushButton;
class QTreeWidget;

namespace vorlane {

class ContentCatalogue;
class PicturePreview;
class Printer;
struct PictureName;
struct PrintedPicture;

// The print manager: a tree of every theme's pictures, the three printable
// forms of the chosen picture side by side (dots only, to colour, coloured),
// a print button under each, and buttons that take a picture to colour or a
// coloured picture back out of the manager. Created once at start-up and
// opened modally from the launcher; it keeps its previews, column states and
// current picture from one opening to the next.
class TfrmImpression : public QDialog {
    Q_OBJECT
public:
    explicit TfrmImpression(QWidget* parent = nullptr);
    ~TfrmImpression() override;

    // What the launcher gives the window before the first opening: its
    // catalogue, and the theme highlighted in its list (the folder name, empty
    // when none is). Without a catalogue the tree stays empty.
    void SetCatalogue(const ContentCatalogue* catalogue);
    void SetHighlightedTheme(std::function<std::string()> highlightedTheme);

    // The printer the print buttons use; the system's default printer unless
    // replaced (tests).
    void SetPrinter(std::unique_ptr<Printer> printer);
    // Runs the question asked before a removal and returns the button chosen;
    // QMessageBox::exec unless replaced (tests).
    using QuestionRunner = std::function<QMessageBox::StandardButton(QMessageBox&)>;
    void SetQuestionRunner(QuestionRunner runner);
    // The save, print and booklet dialogs; the system's unless replaced (tests).
    void SetUserDialogs(UserDialogs dialogs);

    // The theme folder and the picture name ("Image07") of the picture node
    // selected last; empty until one was selected.
    const std::string& CurrentTheme() const { return m_currentTheme; }
    const std::string& CurrentImage() const { return m_currentImage; }

    // Rebuilds the tree from the catalogue; the launcher calls it before each opening.
    void TreeViewRefresh();
    void FormShow();
    void tvThemesChange();
    void btnClearClick();
    void btnClearColorClick();
    // The three print buttons share it; `sender` tells which form to print.
    void btnPrintImageDotsOnlyClick(QObject* sender);
    // The three forms as they are printed, each on a page of a PDF file.
    enum class Form { DotsOnly, ToColour, Coloured };
    void btnSavePdfClick(Form form);
    // The coloured picture as a PNG image, smooth, three times its size.
    void btnSaveImageClick();
    void btnBookletClick();
    void btnAlbumClick();
    void btnExitClick();
    void FormKeyUp(int key);

    QGroupBox* gbImages;
    QTreeWidget* tvThemes;
    QPushButton* btnExit;
    QGroupBox* gbPreview;
    QLabel* lblImageDotsOnlyComment;
    QLabel* lblImageComment;
    QLabel* lblImageColor;
    PicturePreview* imgPreviewDotsOnly;
    PicturePreview* imgPreviewImage;
    PicturePreview* imgColorImage;
    QLabel* lblImageCommentAlert;
    QLabel* lblImageColorAlert;
    QPushButton* btnPrintImageDotsOnly;
    QPushButton* btnPrintImage;
    QPushButton* btnPrintColor;
    QPushButton* btnClear;
    QPushButton* btnClearColor;
    QLabel* lblClearHint;
    QLabel* lblClearColorHint;
    QPushButton* btnSavePdfDotsOnly;
    QPushButton* btnSavePdfImage;
    QPushButton* btnSavePdfColor;
    QPushButton* btnSaveImage;
    QPushButton* btnBooklet;
    QPushButton* btnAlbum;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The picture to colour and the coloured picture columns.
    enum class ColumnState { Available, NotAvailable, Reset };
    struct Column {
        PicturePreview* preview;
        QPushButton* print;
        QPushButton* clear;
        QLabel* hint;
        QLabel* alert;
        QPushButton* savePdf;
        QPushButton* saveImage;  // the coloured picture's only
    };

    void CreateControls();
    void CreateSharingControls();
    static void SetColumnState(const Column& column, ColumnState state);
    void SetDotsColumnLoaded(bool loaded);
    bool ConfirmRemoval();

    // Reloads the three previews from the current picture's files, as
    // printing does, and gives the picture of `form`: a view of its preview's
    // bitmap. An empty picture raises EInvalidBitmap.
    QImage ReloadForm(Form form);
    // The current picture's name, and how its form `form` is printed.
    PictureName CurrentName() const;
    PrintedPicture HowToPrint(Form form) const;
    // The theme the booklet and album dialogs tick first: the one looked at.
    std::string ThemeLookedAt() const;
    void RunBookletDialog(bool album);

    // The files of the current picture; the archive is the user's own.
    std::string DotsFile() const;
    std::string PictureFile() const;
    std::string ArchiveFile() const;

    Column m_imageColumn{};
    Column m_colorColumn{};
    const ContentCatalogue* m_catalogue = nullptr;
    std::function<std::string()> m_highlightedTheme;
    std::unique_ptr<Printer> m_printer;
    QuestionRunner m_runQuestion;
    UserDialogs m_dialogs;
    std::string m_currentTheme;
    std::string m_currentImage;
};

// The print manager of the running program, created at start-up.
inline TfrmImpression* frmImpression = nullptr;

}  // namespace vorlane
