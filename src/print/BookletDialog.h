#pragma once

#include "print/Booklet.h"
#include "print/UserDialogs.h"

#include <QDialog>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QGroupBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace vorlane {

class WorkProgress;

// The window that makes a booklet ("Faire un cahier…") or an album of
// coloured pictures ("Album…") of the themes ticked in its list, the theme
// being looked at ticked first, and saves it as PDF or prints it through the
// system's print dialog. The work runs off the window's thread, a progress
// bar and "Annuler" showing while it does; the window says at the end where
// the files went and which pictures could not be read.
class BookletDialog : public QDialog {
    Q_OBJECT
public:
    enum class Kind { Booklet, Album };
    struct Theme {
        std::string folder;
        std::int32_t pictures = 0;
    };

    // `themes` in the order to list them; `current` is ticked (none when empty).
    BookletDialog(Kind kind, const std::vector<Theme>& themes, const std::string& current, UserDialogs dialogs,
                  QWidget* parent = nullptr);
    ~BookletDialog() override;

    // The ticked themes' folders, in the list's order.
    std::vector<std::string> CheckedThemes() const;
    // The booklet as the window's choices make it.
    BookletOptions Options() const;

    void btnSavePdfClick();
    void btnPrintClick();

    QGroupBox* gbThemes;
    QListWidget* lstThemes;
    QPushButton* btnAll;
    QPushButton* btnNone;
    QGroupBox* gbKind;  // these three hidden for an album
    QRadioButton* rbDots;
    QRadioButton* rbColouring;
    QGroupBox* gbAnswers;
    QRadioButton* rbAnswersAtEnd;
    QRadioButton* rbAnswersApart;
    QRadioButton* rbNoAnswers;
    QGroupBox* gbLayout;
    QRadioButton* rbLandscape;
    QRadioButton* rbPortrait;
    QRadioButton* rbFolded;
    QLabel* lblSummary;
    QProgressBar* pbWork;  // shown while the work runs, with btnCancel
    QPushButton* btnCancel;
    QPushButton* btnSavePdf;
    QPushButton* btnPrint;
    QPushButton* btnClose;

protected:
    void reject() override;

private:
    void CreateControls(const std::vector<Theme>& themes, const std::string& current);
    // Says what the document will hold, and lets it be made only when it holds something.
    void UpdateSummary();
    // The booklet or the album, made afresh so that it shows the files as
    // they are now; nullopt when cancelled.
    std::optional<Booklet> MakeDocuments(WorkProgress& progress) const;
    QString DocumentName() const;
    // Runs `work` off the window's thread until it ends, the window showing
    // its progress and answering "Annuler"; false when it was cancelled.
    // What `work` raises is raised here.
    bool RunWork(const std::function<void(WorkProgress&)>& work);
    // What the pictures left out were, for the message at the end.
    static QString LeftOut(const Booklet& documents);

    Kind m_kind;
    UserDialogs m_dialogs;
    WorkProgress* m_running = nullptr;  // the work under way, for "Annuler" and the close box
};

}  // namespace vorlane
