#include "content/ContentCatalogue.h"
#include "content/ContentPaths.h"
#include "content/DisplayString.h"
#include "content/GameSettings.h"

#include <iostream>
#include <string>

using namespace vorlane;

namespace {

std::string Shown(const std::string& name)
{
    return DisplayString(name).toStdString();
}

const char* YesNo(bool value)
{
    return value ? "oui" : "non";
}

}  // namespace

// Until the launcher window exists, the program reports what it would offer:
// its settings and the installed themes and appearances.
int main()
{
    GameSettings.SettingsFileName = SettingsFileNameFor(ExecutablePath());
    ReadSettings(GameSettings.SettingsFileName);
    ContentCatalogue catalogue;
    catalogue.Scan();

    std::cout << "Vorlane : dossier du programme " << ProgramFolder() << "\n"
              << "Réglages (" << GameSettings.SettingsFileName << ") : tolérance " << GameSettings.Tolerance
              << " pixels, apparence " << GameSettings.Apparence << ", son " << YesNo(GameSettings.Son)
              << ", ordre au hasard " << YesNo(GameSettings.Hazard) << "\n";

    const CatalogueListModel& themes = catalogue.Themes();
    std::cout << "Thèmes (" << themes.Count() << ") :" << (themes.Count() == 0 ? " aucun" : "") << "\n";
    for (int row = 0; row < themes.Count(); ++row) {
        const std::int32_t count = catalogue.ImageCount(themes.Name(row));
        std::cout << "  [" << (themes.IsChecked(row) ? 'x' : ' ') << "] " << Shown(themes.Name(row)) << " ("
                  << count << (count == 1 ? " image" : " images") << ")\n";
    }

    const CatalogueListModel& appearances = catalogue.Appearances();
    const int selected = catalogue.InitialAppearance(GameSettings.Apparence);
    std::cout << "Apparences (" << appearances.Count() << ") :" << (appearances.Count() == 0 ? " aucune" : "") << "\n";
    for (int row = 0; row < appearances.Count(); ++row)
        std::cout << (row == selected ? "  > " : "    ") << Shown(appearances.Name(row)) << "\n";
    return 0;
}
