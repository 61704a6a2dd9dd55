// vorlane-game-idle FOLDER: the game window alone, full screen, on the first
// pictures of the demo theme "Formes" of the program folder FOLDER, for
// bench/idle-memory.sh to measure while the mouse stays still.
#include "content/ContentPaths.h"
#include "content/GameSettings.h"
#include "content/PlayList.h"
#include "game/TfrmPrincipale.h"

#include <QApplication>

#include <iostream>

using namespace vorlane;

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage : vorlane-game-idle DOSSIER_DU_PROGRAMME\n";
        return 2;
    }
    QApplication application(argc, argv);
    SetProgramFolder(argv[1]);
    GameSettings.BitDepth = 32;
    GameSettings.Son = false;
    PlayList = {TTheme{}, TTheme{"Formes/", 1}, TTheme{"Formes/", 2}};
    PlayCount = 2;
    PlayIndex = 1;

    TfrmPrincipale game;
    game.SelectedAppearance = [] { return std::string("Crayons"); };
    game.ShowLauncher = [] { QApplication::quit(); };
    try {
        game.StartGame();
    } catch (const std::exception& error) {
        std::cerr << error.what() << "\n";
        return 1;
    }
    return application.exec();
}
