#include "DotPicture.h"

#include <QLatin1String>

#include <utility>

namespace vorlane {

namespace {
constexpr std::pair<LabelStyle, const char*> kStyleNames[] = {
    {LabelStyle::Numbers, "1"}, {LabelStyle::UpperLetters, "A"}, {LabelStyle::LowerLetters, "a"},
    {LabelStyle::ByTwo, "2"},   {LabelStyle::ByFive, "5"},       {LabelStyle::ByTen, "10"},
};
}  // namespace

QString LabelStyleName(LabelStyle style)
{
    for (const auto& [value, name] : kStyleNames)
        if (value == style)
            return QLatin1String(name);
    return QStringLiteral("1");
}

std::optional<LabelStyle> LabelStyleNamed(const QString& name)
{
    for (const auto& [value, text] : kStyleNames)
        if (name == QLatin1String(text))
            return value;
    return std::nullopt;
}

QString DotLabel(const DotOptions& options, int index)
{
    switch (options.style) {
    case LabelStyle::UpperLetters:
        return QString(QChar(u'A' + index % kMostLetterDots));
    case LabelStyle::LowerLetters:
        return QString(QChar(u'a' + index % kMostLetterDots));
    case LabelStyle::ByTwo:
        return QString::number(options.firstNumber + 2 * index);
    case LabelStyle::ByFive:
        return QString::number(options.firstNumber + 5 * index);
    case LabelStyle::ByTen:
        return QString::number(options.firstNumber + 10 * index);
    case LabelStyle::Numbers:
        break;
    }
    return QString::number(options.firstNumber + index);
}

}  // namespace vorlane
