// The launcher's way into the atelier: the theme list's right-click menu, and
// the themes read again when the launcher comes back after it.

#include "launcher/TProgramme.h"

#include "app/TApplication.h"
#include "content/ContentPlaces.h"

#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>

#include <set>

namespace vorlane {

void TProgramme::clbThemesContextMenu(const QPoint& position)
{
    const QModelIndex index = clbThemes->indexAt(position);
    if (!index.isValid())
        return;
    clbThemes->setCurrentIndex(index);
    const std::string theme = m_catalogue.Themes().Name(index.row());
    QMenu menu(clbThemes);
    // A shared theme cannot take the user's drawings: they go to a theme of their own.
    if (ContentPlaces::Current().IsSharedTheme(theme)) {
        menu.addAction(QStringLiteral("Créer un nouveau thème dans l'atelier…"),
                       [this] { TApplication::Guarded([this] { OpenAtelier({}); }); });
    } else {
        menu.addAction(QStringLiteral("Ajouter un dessin à ce thème…"), [this, theme] {
            TApplication::Guarded([this, &theme] { OpenAtelier(theme); });
        });
    }
    menu.exec(clbThemes->viewport()->mapToGlobal(position));
}

// The atelier is a program of its own, installed beside this one: it links
// the image analysis libraries that the game never loads. It runs detached so
// that closing the launcher never closes a drawing being worked on.
void TProgramme::OpenAtelier(const std::string& theme)
{
    const QString program = QFile::decodeName(QByteArray::fromStdString(ExeDir + "vorlane-atelier"));
    if (!QFileInfo(program).isExecutable()) {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Vorlane"),
                        QStringLiteral("L'atelier de dessins n'est pas installé à côté du jeu :\n%1").arg(program),
                        QMessageBox::Ok);
        box.exec();
        return;
    }
    QStringList arguments;
    if (!theme.empty())
        arguments << QStringLiteral("--theme") << QFile::decodeName(QByteArray::fromStdString(theme));
    arguments << QFile::decodeName(QByteArray::fromStdString(ExeDir));
    if (!QProcess::startDetached(program, arguments)) {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Vorlane"),
                        QStringLiteral("L'atelier de dessins n'a pas pu être lancé."), QMessageBox::Ok);
        box.exec();
        return;
    }
    m_atelierOpened = true;
}

void TProgramme::RefreshThemes()
{
    CatalogueListModel& themes = m_catalogue.Themes();
    std::set<std::string> ticked;
    for (int row = 0; row < themes.Count(); ++row)
        if (themes.IsChecked(row))
            ticked.insert(themes.Name(row));
    const std::string highlighted = HighlightedTheme();
    const int appearance = cBApparences->currentIndex();

    std::set<std::string> listed;
    for (int row = 0; row < themes.Count(); ++row)
        listed.insert(themes.Name(row));
    m_catalogue.Scan();
    // Ticks made since the start are not in the files yet: they win over the
    // files for the themes that were listed; a new theme comes as its file says.
    for (int row = 0; row < themes.Count(); ++row) {
        if (listed.count(themes.Name(row)) != 0)
            themes.SetChecked(row, ticked.count(themes.Name(row)) != 0);
        if (themes.Name(row) == highlighted)
            clbThemes->setCurrentIndex(themes.index(row));
    }
    clbThemes->setEnabled(themes.Count() > 0);
    cBApparences->setCurrentIndex(appearance < m_catalogue.Appearances().Count() ? appearance : 0);
    if (HighlightedTheme().empty()) {
        lblImagesCount->clear();
        lblImagesCount->setToolTip({});
    } else
        clbThemesClick();
}

void TProgramme::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && m_atelierOpened)
        TApplication::Guarded([this] { RefreshThemes(); });
}

}  // namespace vorlane
