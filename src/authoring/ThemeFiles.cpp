#include "ThemeFiles.h"

#include "base/AtomicFile.h"
#include "base/Errors.h"
#include "content/ThemeDat.h"

#include <QRegularExpression>

#include <cstdio>
#include <filesystem>
#include <span>

namespace vorlane {

namespace {
constexpr const char* kEol = "\r\n";
}

bool IsFolderName(const QString& name)
{
    static const QRegularExpression forbidden(QStringLiteral("[/\\\\:*?\"<>|\\x00-\\x1F]"));
    return !name.isEmpty() && name.size() <= kLongestFolderName && !name.startsWith(QLatin1Char('.')) &&
           !name.endsWith(QLatin1Char('.')) && !name.endsWith(QLatin1Char(' ')) && !name.contains(forbidden);
}

std::string MakeFolder(const std::string& path)
{
    std::error_code error;
    std::filesystem::create_directories(path, error);
    if (error)
        throw EWriteError(path, error.value());
    return path;
}

void WriteTextFile(const std::string& path, const std::string& text)
{
    ReplaceFileAtomically(path, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

std::string TitreValue(std::string_view name)
{
    std::string value;
    for (const char c : name) {
        const bool blank = static_cast<unsigned char>(c) <= ' ' || c == '\x7F';
        if (!blank)
            value += c;
        else if (!value.empty() && value.back() != ' ')
            value += ' ';
    }
    if (!value.empty() && value.back() == ' ')
        value.pop_back();
    // IniFile takes one pair of matching quotes off a value.
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = TitreValue(value.substr(1, value.size() - 2));
    if (value.size() > kLongestTitre) {
        std::size_t end = kLongestTitre;
        while (end > 0 && (static_cast<unsigned char>(value[end]) & 0xC0) == 0x80)
            --end;
        value = TitreValue(value.substr(0, end));
    }
    return value;
}

std::string ThemeDatHead(std::size_t pictures, bool check)
{
    std::string text;
    text += std::string("[General]") + kEol + "Version=1" + kEol + "SubVersion=0" + kEol + "Nom=Vorlane" + kEol;
    text += "NombreImages=" + std::to_string(pictures) + kEol + kEol;
    text += std::string("[Configuration]") + kEol + "Check=" + (check ? "1" : "0") + kEol;
    return text;
}

std::string PictureSection(std::uint32_t picture, const std::vector<QPoint>& points, const QColor& lineColour,
                           int lineWidth, bool printable, LabelStyle labels, int firstNumber,
                           std::string_view titre)
{
    char couleur[16];
    std::snprintf(couleur, sizeof couleur, "0x%.8X",
                  static_cast<unsigned>(lineColour.red() | lineColour.green() << 8 | lineColour.blue() << 16));
    std::string text = kEol + ("[" + ImageSection(picture) + "]") + kEol;
    text += "NombrePoints=" + std::to_string(points.size()) + kEol;
    text += std::string("Couleur=") + couleur + kEol;
    if (const std::string value = TitreValue(titre); !value.empty())
        text += "Titre=" + value + kEol;
    if (printable)
        text += std::string("Imprimer=1") + kEol;
    text += "Numeros=" + LabelStyleName(labels).toStdString() + kEol;
    if (labels != LabelStyle::UpperLetters && labels != LabelStyle::LowerLetters)
        text += "Premier=" + std::to_string(firstNumber) + kEol;
    for (std::uint32_t p = 1; p <= points.size(); ++p) {
        const QPoint point = points[p - 1];
        const std::string number = NumberText(p);
        text += "Ligne" + number + "=" + std::to_string(lineWidth) + kEol;
        text += "XPoint" + number + "=" + std::to_string(point.x()) + kEol;
        text += "YPoint" + number + "=" + std::to_string(point.y()) + kEol;
    }
    return text;
}

}  // namespace vorlane
