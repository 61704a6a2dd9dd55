#include "content/GameSettings.h"

#include "base/Errors.h"
#include "content/IniFile.h"

#include <algorithm>

namespace vorlane {
namespace {

constexpr const char* kSection = "Configuration";

}  // namespace

TGameSettings GameSettings;

void ReadSettings(const std::string& fileName, TGameSettings& settings)
{
    const IniFile file(fileName);
    settings.Langue = 0;
    settings.Tolerance = file.ReadInteger(kSection, "Tolerance", TGameSettings::kDefaultTolerance);
    settings.Apparence = file.ReadInteger(kSection, "Apparence", 0);
    settings.Son = file.ReadBool(kSection, "Son", true);
    settings.Hazard = file.ReadBool(kSection, "Hazard", true);
    const std::int32_t help = file.ReadInteger(kSection, "AidePoint", static_cast<std::int32_t>(NextDotHelp::AfterTwoMisses));
    settings.AidePoint = help >= 0 && help <= static_cast<std::int32_t>(NextDotHelp::AfterTenSeconds)
                             ? static_cast<NextDotHelp>(help)
                             : NextDotHelp::AfterTwoMisses;
    settings.Voix = file.ReadBool(kSection, "Voix", true);
    settings.Tolerance = std::max(settings.Tolerance, TGameSettings::kMinTolerance);
}

void WriteSettings(const std::string& fileName, TGameSettings& settings)
{
    settings.Tolerance = std::max(settings.Tolerance, TGameSettings::kMinTolerance);
    IniFile file(fileName);
    // Each key is written even when one before it was refused.
    FirstRefusal refusal;
    refusal.Try([&] { file.WriteInteger(kSection, "Langue", settings.Langue); });
    refusal.Try([&] { file.WriteInteger(kSection, "Tolerance", settings.Tolerance); });
    refusal.Try([&] { file.WriteInteger(kSection, "Apparence", settings.Apparence); });
    refusal.Try([&] { file.WriteBool(kSection, "Son", settings.Son); });
    refusal.Try([&] { file.WriteBool(kSection, "Hazard", settings.Hazard); });
    refusal.Try([&] { file.WriteInteger(kSection, "AidePoint", static_cast<std::int32_t>(settings.AidePoint)); });
    refusal.Try([&] { file.WriteBool(kSection, "Voix", settings.Voix); });
    refusal.RaiseIfAny();
}

}  // namespace vorlane
