// vorlane-atelier [--theme NOM] [DOSSIER_PROGRAMME]: the atelier window over
// the themes of a program folder (by default the one it is installed in).

#include "app/TApplication.h"
#include "atelier/TfrmAtelier.h"
#include "content/ContentPlaces.h"

#include <QFile>

#include <cstdio>
#include <memory>

int main(int argc, char** argv)
{
    vorlane::TApplication application(argc, argv);

    QString theme;
    QString programDir = QApplication::applicationDirPath();
    const QStringList arguments = QApplication::arguments();
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == QStringLiteral("--theme") && i + 1 < arguments.size()) {
            theme = arguments[++i];
        } else if (!arguments[i].startsWith(QStringLiteral("-"))) {
            programDir = arguments[i];
        } else {
            std::fputs("Utilisation : vorlane-atelier [--theme NOM] [DOSSIER_PROGRAMME]\n", stderr);
            return 2;
        }
    }
    vorlane::TApplication::SetHelpFile(QApplication::applicationDirPath() + QStringLiteral("/Aide/index.html"));

    // A shared program folder (a package) sends the user's pictures and themes
    // to their own folder, as the game's; without one, nothing can be kept.
    std::unique_ptr<vorlane::TfrmAtelier> atelier;
    vorlane::TApplication::Guarded([&] {
        const vorlane::ContentPlaces& places =
            vorlane::ContentPlaces::Settle(QFile::encodeName(programDir).toStdString());
        atelier = std::make_unique<vorlane::TfrmAtelier>(places, theme);
        atelier->show();
        vorlane::TApplication::TellMoved(places.Moved(), atelier.get());
    });
    if (atelier == nullptr)
        return 1;
    return QApplication::exec();
}
