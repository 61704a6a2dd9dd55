#include "content/ContentCatalogue.h"

#include "base/Errors.h"
#include "content/AppearanceDat.h"
#include "content/AsciiCase.h"
#include "content/ContentPlaces.h"
#include "content/IniFile.h"
#include "content/ThemeDat.h"

#include <algorithm>

namespace vorlane {

ContentCatalogue::ContentCatalogue()
    : m_themes(CatalogueListModel::CheckBoxes::Shown), m_appearances(CatalogueListModel::CheckBoxes::Hidden)
{
}

void ContentCatalogue::Scan()
{
    ScanThemes();
    ScanAppearances();
}

void ContentCatalogue::ScanThemes()
{
    m_themes.Clear();
    m_themeNames.clear();
    m_themeImageCounts.clear();
    for (const std::string& name : ContentPlaces::Current().ThemeNames()) {
        const ThemeDat theme = ThemeDat::ForTheme(name);
        if (!theme.Identity().IsAccepted())
            continue;
        m_themes.SetChecked(m_themes.AddSorted(name), theme.Check());
        m_themeNames.push_back(name);
        m_themeImageCounts.push_back(std::to_string(theme.NombreImages()));
    }
}

void ContentCatalogue::ScanAppearances()
{
    m_appearances.Clear();
    for (const std::string& name : ContentPlaces::Current().AppearanceNames()) {
        if (AppearanceDat::ForAppearance(name).Identity().IsAccepted())
            m_appearances.AddSorted(name);
    }
}

std::int32_t ContentCatalogue::ImageCount(const std::string& themeName) const
{
    // Two folders may differ only in case here; the exact name must win over its look-alike.
    auto found = std::find(m_themeNames.begin(), m_themeNames.end(), themeName);
    if (found == m_themeNames.end()) {
        found = std::find_if(m_themeNames.begin(), m_themeNames.end(),
                             [&](const std::string& name) { return EqualsIgnoringCase(name, themeName); });
    }
    std::int32_t count = 0;
    if (found != m_themeNames.end())
        IniFile::ParseInteger(m_themeImageCounts[static_cast<std::size_t>(found - m_themeNames.begin())], count);
    return count;
}

int ContentCatalogue::InitialAppearance(std::int32_t apparence) const
{
    if (m_appearances.Count() == 0)
        return -1;
    // A negative position would leave the list without selection and the game without an appearance.
    return apparence >= 0 && apparence < m_appearances.Count() ? apparence : 0;
}

std::vector<CheckedTheme> ContentCatalogue::CheckedThemes() const
{
    std::vector<CheckedTheme> checked;
    for (int row = 0; row < m_themes.Count(); ++row) {
        if (m_themes.IsChecked(row))
            checked.push_back({m_themes.Name(row), ImageCount(m_themes.Name(row))});
    }
    return checked;
}

void ContentCatalogue::WriteThemeChecks() const
{
    FirstRefusal refusal;
    for (int row = 0; row < m_themes.Count(); ++row)
        refusal.Try([&] { ThemeDat::ForTheme(m_themes.Name(row)).WriteCheck(m_themes.IsChecked(row)); });
    refusal.RaiseIfAny();
}

}  // namespace vorlane
