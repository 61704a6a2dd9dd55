#include "content/PackageIdentity.h"

#include "content/IniFile.h"

namespace vorlane {

PackageIdentity PackageIdentity::Read(const IniFile& file)
{
    return {file.ReadInteger(kSection, "Version", 0), file.ReadInteger(kSection, "SubVersion", 0),
            file.ReadString(kSection, "Nom", "")};
}

bool PackageIdentity::IsAccepted() const
{
    return Version == 1 && SubVersion == 0 && Nom == kProductTag;
}

}  // namespace vorlane
