#pragma once

#include "print/UserDialogs.h"

#include <QDialog>

#include <cstdint>
#include <string>
#include <vector>

class QCheckBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace vorlane {

class PageDocument;

// The window that makes a booklet ("Faire un cahier…") or an album of
// coloured pictures ("Album…") of the themes ticked in its list, the theme
// being looked at ticked first, and saves it as PDF or prints it through the
// system's print dialog.
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

    void btnSavePdfClick();
    void btnPrintClick();

    QGroupBox* gbThemes;
    QListWidget* lstThemes;
    QPushButton* btnAll;
    QPushButton* btnNone;
    QGroupBox* gbForms;  // hidden for an album
    QCheckBox* chkDots;
    QCheckBox* chkToColour;
    QCheckBox* chkAnswers;
    QLabel* lblSummary;
    QPushButton* btnSavePdf;
    QPushButton* btnPrint;
    QPushButton* btnClose;

private:
    void CreateControls(const std::vector<Theme>& themes, const std::string& current);
    // Says what the document will hold, and lets it be made only when it holds something.
    void UpdateSummary();
    // Made afresh at each use, so that it shows the files as they are now.
    PageDocument MakeDocument() const;
    QString DocumentName() const;

    Kind m_kind;
    UserDialogs m_dialogs;
};

}  // namespace vorlane
