#include "print/PictureName.h"

#include "content/DisplayString.h"
#include "content/ThemeDat.h"

namespace vorlane {

PictureName PictureName::Of(const std::string& themeFolder, const ThemeDat& theme, std::uint32_t number)
{
    return {themeFolder, number, theme.Titre(number)};
}

QString PictureName::Theme() const
{
    return DisplayString(themeFolder);
}

QString PictureName::Name() const
{
    return DisplayString(titre).trimmed();
}

QString PictureName::Title() const
{
    QString name = Name();
    if (name.isEmpty())
        return Caption();
    name[0] = name[0].toUpper();
    return name;
}

QString PictureName::Caption() const
{
    const QString name = Name();
    return Theme() + QStringLiteral(", ") + (name.isEmpty() ? QStringLiteral("image ") + QString::number(number) : name);
}

QString PictureName::JobName() const
{
    return QStringLiteral("Vorlane – ") + Caption();
}

QString PictureName::ListText() const
{
    const QString name = Name();
    return name.isEmpty() ? QString::fromStdString(ImageSection(number)) : QString::number(number) + QStringLiteral(". ") + name;
}

}  // namespace vorlane
