#include "content/ContentPaths.h"

#include "content/AsciiCase.h"

#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <pwd.h>
#include <system_error>
#include <unistd.h>

namespace vorlane {
namespace {

constexpr const char* kThemes = "Themes/";
constexpr const char* kAppearances = "Apparences/";

struct Folders {
    std::string program;
    std::string user;  // empty: the program folder is the user's
};

Folders& FolderStore()
{
    static Folders folders = [] {
        const std::string executable = ExecutablePath();
        const auto slash = executable.find_last_of('/');
        return Folders{slash == std::string::npos ? std::string("./") : executable.substr(0, slash + 1), {}};
    }();
    return folders;
}

std::string WithSlash(std::string folder)
{
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    return folder;
}

// The effective user's rights, as the writes will meet them. /usr is
// read-only by convention (it may be mounted so): a package there is never
// written, even by root.
bool UserMayWrite(const std::string& folder)
{
    if (folder.starts_with("/usr/"))
        return false;
    return ::faccessat(AT_FDCWD, folder.c_str(), W_OK, AT_EACCESS) == 0;
}

// $XDG_DATA_HOME/vorlane/, or ~/.local/share/vorlane/; a relative
// $XDG_DATA_HOME is ignored, as the XDG base directory rules say.
std::string UserDataFolder()
{
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data != nullptr && data[0] == '/')
        return WithSlash(data) + "vorlane/";
    const char* home = std::getenv("HOME");
    std::string base = home != nullptr && home[0] != '\0' ? home : "";
    if (base.empty()) {
        if (const passwd* entry = ::getpwuid(::geteuid()))
            base = entry->pw_dir;
    }
    return WithSlash(base) + ".local/share/vorlane/";
}

// Calls visit(name) for each entry of `folder` in the folder's own order,
// hidden ones left out. A missing or unreadable folder has no entries.
template <typename Visit>
void ForEachEntry(const std::string& folder, Visit visit)
{
    std::error_code error;
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        if (!name.empty() && name.front() != '.')
            visit(name);
    }
}

std::vector<std::string> FolderNames(const char* root)
{
    std::vector<std::string> names;
    if (!UserFolder().empty())
        ForEachEntry(UserFolder() + root, [&](const std::string& name) { names.push_back(name); });
    const auto own = static_cast<std::ptrdiff_t>(names.size());
    ForEachEntry(ProgramFolder() + root, [&](const std::string& name) {
        if (std::none_of(names.begin(), names.begin() + own,
                         [&](const std::string& mine) { return EqualsIgnoringCase(mine, name); }))
            names.push_back(name);
    });
    return names;
}

std::vector<std::string> PackageFolders(const char* root, const std::string& name)
{
    std::string shared = ProgramFolder() + root + name + '/';
    if (UserFolder().empty())
        return {std::move(shared)};
    return {UserFolder() + root + name + '/', std::move(shared)};
}

std::string FirstHolding(const std::vector<std::string>& folders, const std::string& file)
{
    for (std::size_t i = 0; i + 1 < folders.size(); ++i) {
        std::string path = ResolveContentFile(folders[i] + file);
        std::error_code error;
        if (std::filesystem::exists(path, error))
            return path;
    }
    return ResolveContentFile(folders.back() + file);
}

}  // namespace

const std::string& ProgramFolder()
{
    return FolderStore().program;
}

void SetProgramFolder(const std::string& folder)
{
    Folders& folders = FolderStore();
    folders.program = WithSlash(folder);
    folders.user.clear();
    if (folders.program.empty() || UserMayWrite(folders.program))
        return;
    folders.user = UserDataFolder();
    std::error_code ignored;
    for (const char* part : {kThemes, kAppearances})
        std::filesystem::create_directories(folders.user + part, ignored);
}

const std::string& UserFolder()
{
    return FolderStore().user;
}

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

std::string UserSettingsFile(const std::string& executablePath)
{
    const std::string settings = SettingsFileNameFor(executablePath);
    if (UserFolder().empty())
        return settings;
    return UserFolder() + std::filesystem::path(settings).filename().string();
}

std::string ThemesPath()
{
    return ProgramFolder() + kThemes;
}

std::string ThemePath(const std::string& name)
{
    return ThemesPath() + name + '/';
}

std::string ThemeFile(const std::string& name)
{
    return ThemePath(name) + "theme.dat";
}

std::string AppearancesPath()
{
    return ProgramFolder() + kAppearances;
}

std::string AppearancePath(const std::string& name)
{
    return AppearancesPath() + name + '/';
}

std::string AppearanceFile(const std::string& name)
{
    return AppearancePath(name) + "apparence.dat";
}

std::vector<std::string> ThemeFolderNames()
{
    return FolderNames(kThemes);
}

std::vector<std::string> AppearanceFolderNames()
{
    return FolderNames(kAppearances);
}

std::vector<std::string> ThemeFolders(const std::string& name)
{
    return PackageFolders(kThemes, name);
}

std::string ThemeContentFile(const std::string& theme, const std::string& file)
{
    return FirstHolding(ThemeFolders(theme), file);
}

std::string AppearanceContentFile(const std::string& appearance, const std::string& file)
{
    return FirstHolding(PackageFolders(kAppearances, appearance), file);
}

std::string WritableThemePath(const std::string& name)
{
    return (UserFolder().empty() ? ProgramFolder() : UserFolder()) + kThemes + name + '/';
}

std::string ThemeUserFile(const std::string& theme, const std::string& file)
{
    return ResolveContentFile(WritableThemePath(theme) + file);
}

std::string ThemeFileToWrite(const std::string& theme, const std::string& file)
{
    std::string path = ThemeUserFile(theme, file);
    CreateUserFoldersFor(path);
    return path;
}

void CreateUserFoldersFor(const std::string& path)
{
    const std::string& user = UserFolder();
    if (user.empty() || !path.starts_with(user))
        return;
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
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
