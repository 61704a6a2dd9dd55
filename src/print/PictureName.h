#pragma once

#include <QString>

#include <cstdint>
#include <string>

namespace vorlane {

class ThemeDat;

// How a picture is called on paper and in the print manager: by its theme
// and the name the theme gives it ("La ferme", "vache"), or by its number
// in themes made before pictures had names ("La ferme, image 3").
struct PictureName {
    std::string themeFolder;
    std::uint32_t number = 0;
    std::string titre;  // as theme.dat holds it; empty when it has none

    static PictureName Of(const std::string& themeFolder, const ThemeDat& theme, std::uint32_t number);

    QString Theme() const;
    // The name as the theme gives it ("vache"); empty when it has none.
    QString Name() const;
    // Over its page: "Vache", or "La ferme, image 3".
    QString Title() const;
    // Under it, on an album's page or in an answer: "La ferme, vache", or "La ferme, image 3".
    QString Caption() const;
    // The print job: "Vorlane – La ferme, vache".
    QString JobName() const;
    // In the print manager's list: "1. vache", or "Image01".
    QString ListText() const;
};

}  // namespace vorlane
