#pragma once

#include <QWidget>

class QPushButton;
class QTextBrowser;

namespace vorlane {

// The program's help window: the French help pages of the Aide folder in a
// browser with contents, back, forward and close buttons.
class TfrmAide : public QWidget {
    Q_OBJECT
public:
    explicit TfrmAide(QWidget* parent = nullptr);

    // Shows the window at the page `helpFile`. When another window is modal at
    // the moment, the help window is made modal too, or it could not be used.
    void ShowContents(const QString& helpFile);

    QTextBrowser* Browser() const { return m_browser; }

private:
    void btnSommaireClick();

    QString m_helpFile;
    bool m_placed = false;  // centred on the screen the first time only
    QTextBrowser* m_browser;
    QPushButton* m_btnSommaire;
    QPushButton* m_btnPrecedent;
    QPushButton* m_btnSuivant;
    QPushButton* m_btnFermer;
};

}  // namespace vorlane
