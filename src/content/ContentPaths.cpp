#include "content/ContentPaths.h"

#include "content/AsciiCase.h"
#include "content/ContentPlaces.h"

#include <filesystem>
#include <system_error>

namespace vorlane {

std::string ExecutablePath()
{
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : executable.string();
}

std::string SettingsFileNameFor(const std::string& executablePath)
{
    std::filesystem::path settings(executablePath);
    settings.replace_extension(".ini");
    settings.replace_filename(LowerAscii(settings.filename().string()));
    return settings.string();
}

std::string ThemesPath()
{
    return ContentPlaces::Current().ThemesPath();
}

std::string ThemePath(const std::string& name)
{
    return ContentPlaces::Current().ThemePath(name);
}

std::string ThemeFile(const std::string& name)
{
    return ContentPlaces::Current().ThemeFile(name);
}

std::string AppearancesPath()
{
    return ContentPlaces::Current().AppearancesPath();
}

std::string AppearancePath(const std::string& name)
{
    return ContentPlaces::Current().AppearancePath(name);
}

std::string AppearanceFile(const std::string& name)
{
    return ContentPlaces::Current().AppearanceFile(name);
}

std::string ResolveContentFile(const std::string& path)
{
    std::error_code error;
    if (std::filesystem::exists(path, error))
        return path;
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos || slash == 0 || slash + 1 == path.size())
        return path;
    const std::string folder = ResolveContentFile(path.substr(0, slash));
    const std::string_view name = std::string_view(path).substr(slash + 1);

    // Of several spellings, the first in byte order, so that the choice does not depend on the folder's order.
    std::string match;
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        std::string candidate = entry->path().filename().string();
        if (EqualsIgnoringCase(candidate, name) && (match.empty() || candidate < match))
            match = std::move(candidate);
    }
    return match.empty() ? path : folder + '/' + match;
}

}  // namespace vorlane
