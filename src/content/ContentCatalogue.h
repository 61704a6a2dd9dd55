#pragma once

#include "content/CatalogueListModel.h"
#include "content/PlayList.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vorlane {

// The themes and appearances installed beside the program and in the user's
// own folder, one entry per name, found once when the launcher is created.
// A package is listed when its description file says
// Version 1, SubVersion 0 and Nom "Vorlane"; hidden folders (a name starting
// with ".") are passed over, and so are entries without a readable description
// (plain files, dangling links).
class ContentCatalogue {
public:
    ContentCatalogue();

    // Scans the themes then the appearances, replacing earlier results.
    // Each listed theme comes ticked as its theme.dat's "Check" says.
    void Scan();

    // The listed theme folders in the order the folder gave them, and their
    // picture counts ("NombreImages") as decimal text, entry for entry.
    const std::vector<std::string>& ThemeNames() const { return m_themeNames; }
    const std::vector<std::string>& ThemeImageCounts() const { return m_themeImageCounts; }
    // The picture count of a listed theme: that of the exact name, else of the
    // first name equal without regard to case; 0 for an unknown theme.
    std::int32_t ImageCount(const std::string& themeName) const;

    // The sorted lists the launcher shows: themes with check boxes, appearances without.
    CatalogueListModel& Themes() { return m_themes; }
    const CatalogueListModel& Themes() const { return m_themes; }
    CatalogueListModel& Appearances() { return m_appearances; }
    const CatalogueListModel& Appearances() const { return m_appearances; }

    // The appearance to select first for the remembered position `apparence`:
    // that position when the list has it, otherwise the first; -1 for an empty list.
    int InitialAppearance(std::int32_t apparence) const;

    // The ticked themes in displayed order with their picture counts: the input of BuildPlayList.
    std::vector<CheckedTheme> CheckedThemes() const;

    // Writes every listed theme's "Check" ("1" ticked, "0" not) in displayed
    // order; a file whose value does not change is left as it is (ThemeDat).
    // A refused write does not stop the others; the first refusal is raised
    // (EWriteError) once all were tried.
    void WriteThemeChecks() const;

private:
    void ScanThemes();
    void ScanAppearances();

    CatalogueListModel m_themes;
    CatalogueListModel m_appearances;
    std::vector<std::string> m_themeNames;
    std::vector<std::string> m_themeImageCounts;
};

}  // namespace vorlane
