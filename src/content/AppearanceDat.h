#pragma once

#include "content/IniFile.h"
#include "content/PackageIdentity.h"

#include <array>
#include <cstdint>
#include <string>

namespace vorlane {

// The layout numbers of an appearance, in screen pixels (a missing key gives 0).
struct AppearanceLayout {
    std::int32_t PointeurOffsetX = 0;  // hotspot inside the pointer image
    std::int32_t PointeurOffsetY = 0;
    std::int32_t XDessin = 0;          // top-left corner of the picture
    std::int32_t YDessin = 0;
    std::int32_t XOuiNon = 0;          // top-left corner of the yes/no panel
    std::int32_t YouiNon = 0;
    std::int32_t XCouleur = 0;         // a pixel inside the colour indicator of F_Lignes
    std::int32_t YCouleur = 0;

    bool operator==(const AppearanceLayout&) const = default;
};

// The colours of the glow that shows a stuck child the next dot, 0x00BBGGRR:
// strongest around the dot, fading through the rim colour into the page.
struct CueColours {
    std::uint32_t CouleurAideCentre = 0x004FD5FF;  // a warm yellow
    std::uint32_t CouleurAideBord = 0x00658AFF;    // orange

    bool operator==(const CueColours&) const = default;
};

// The sounds of an appearance in the order of their slots (0 yes ... 8 colour).
inline constexpr std::array<const char*, 9> kAppearanceSounds = {
    "S_Oui", "S_Non", "S_ClickOk", "S_ClickNok", "S_Quitte", "S_Efface", "S_Precedent", "S_Suivant", "S_Couleur"};

// Images an appearance may go without (the game then does as before them):
// the yes/no panel as it asks to erase, go to the next or previous picture and
// stop, in the order of the game's pending actions, each at the panel's size;
// and every crayon's picture with its margin painted in its colour, at the
// frame's size, where a click on the palette takes its colour.
inline constexpr std::array<const char*, 4> kQuestionImages = {"F_Confirmation_Efface", "F_Confirmation_Suivant",
                                                               "F_Confirmation_Precedent", "F_Confirmation_Quitte"};
inline constexpr const char* kCrayonsImage = "M_Crayons";

// "<image>.qrvi" (a BMP file) and "<sound>.qrvs" (a WAVE file) inside an appearance folder.
std::string AppearanceImageFileName(const std::string& image);
std::string AppearanceSoundFileName(const std::string& sound);

// An appearance's description file apparence.dat, section [General]. Nothing writes it.
class AppearanceDat {
public:
    explicit AppearanceDat(std::string fileName);
    // The apparence.dat of the appearance folder `appearanceName`, under any letter case.
    static AppearanceDat ForAppearance(const std::string& appearanceName);

    const std::string& FileName() const { return m_file.FileName(); }

    PackageIdentity Identity() const;
    AppearanceLayout Layout() const;
    // Keys CouleurAideCentre and CouleurAideBord; the defaults above for an
    // appearance made before them.
    CueColours Cue() const;

private:
    IniFile m_file;
};

}  // namespace vorlane
