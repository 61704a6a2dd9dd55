#include "app/TfrmAide.h"

#include "app/CentreOnScreen.h"

#include <QApplication>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace vorlane {

TfrmAide::TfrmAide(QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_browser(new QTextBrowser(this))
    , m_btnSommaire(new QPushButton(QStringLiteral("&Sommaire"), this))
    , m_btnPrecedent(new QPushButton(QStringLiteral("&Précédent"), this))
    , m_btnSuivant(new QPushButton(QStringLiteral("S&uivant"), this))
    , m_btnFermer(new QPushButton(QStringLiteral("&Fermer"), this))
{
    setObjectName(QStringLiteral("frmAide"));
    setWindowTitle(QStringLiteral("Vorlane - Aide"));
    resize(720, 560);

    // Links to the web or to a mail address go to the desktop's own programs.
    m_browser->setOpenExternalLinks(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_btnSommaire);
    buttons->addWidget(m_btnPrecedent);
    buttons->addWidget(m_btnSuivant);
    buttons->addStretch();
    buttons->addWidget(m_btnFermer);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(m_browser);

    m_btnPrecedent->setEnabled(false);
    m_btnSuivant->setEnabled(false);
    connect(m_btnSommaire, &QPushButton::clicked, this, &TfrmAide::btnSommaireClick);
    connect(m_btnPrecedent, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(m_btnSuivant, &QPushButton::clicked, m_browser, &QTextBrowser::forward);
    connect(m_btnFermer, &QPushButton::clicked, this, &QWidget::close);
    connect(m_browser, &QTextBrowser::backwardAvailable, m_btnPrecedent, &QPushButton::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, m_btnSuivant, &QPushButton::setEnabled);
}

void TfrmAide::ShowContents(const QString& helpFile)
{
    m_helpFile = helpFile;
    QWidget* modal = QApplication::activeModalWidget();
    const Qt::WindowModality modality = modal != nullptr && modal != this ? Qt::ApplicationModal : Qt::NonModal;
    if (modality != windowModality()) {
        hide();  // modality can only change while the window is hidden
        setWindowModality(modality);
    }
    btnSommaireClick();
    if (!m_placed) {
        m_placed = true;
        CentreOnScreen(*this, modal != nullptr ? modal : QApplication::activeWindow());
    }
    show();
    raise();
    activateWindow();
}

void TfrmAide::btnSommaireClick()
{
    if (QFileInfo::exists(m_helpFile)) {
        m_browser->setSource(QUrl::fromLocalFile(m_helpFile));
    } else {
        m_browser->setHtml(QStringLiteral("<h2>Aide introuvable</h2><p>Le fichier d'aide %1 est introuvable.</p>")
                               .arg(m_helpFile.toHtmlEscaped()));
    }
}

}  // namespace vorlane
