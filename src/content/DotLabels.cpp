#include "content/DotLabels.h"

namespace vorlane {

DotLabels::Style DotLabels::StyleNamed(const std::string& name)
{
    if (name == "A")
        return Style::UpperLetters;
    if (name == "a")
        return Style::LowerLetters;
    if (name == "2")
        return Style::ByTwo;
    if (name == "5")
        return Style::ByFive;
    if (name == "10")
        return Style::ByTen;
    return Style::Numbers;
}

QString DotLabels::Label(int index) const
{
    // Letters run A to Z; a picture has 26 dots at most in letters.
    switch (style) {
    case Style::UpperLetters:
        return QString(QChar(u'A' + index % 26));
    case Style::LowerLetters:
        return QString(QChar(u'a' + index % 26));
    case Style::ByTwo:
        return QString::number(first + 2 * index);
    case Style::ByFive:
        return QString::number(first + 5 * index);
    case Style::ByTen:
        return QString::number(first + 10 * index);
    case Style::Numbers:
        break;
    }
    return QString::number(first + index);
}

}  // namespace vorlane
