#pragma once

#include <QString>

#include <string>

namespace vorlane {

// How the dots of a picture are labelled, as its section of theme.dat says:
// "Numeros" names the style as the atelier does (1, A, a, 2, 5 or 10) and
// "Premier" the first number. A picture that says nothing (every theme
// made before the keys) counts from 1.
struct DotLabels {
    enum class Style { Numbers, UpperLetters, LowerLetters, ByTwo, ByFive, ByTen };

    Style style = Style::Numbers;
    int first = 1;

    // The style named as theme.dat writes it; Numbers for a name it does not know.
    static Style StyleNamed(const std::string& name);

    // The label of dot `index` (0 for the first).
    QString Label(int index) const;
};

}  // namespace vorlane
