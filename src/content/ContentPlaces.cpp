#include "content/ContentPlaces.h"

#include "content/AsciiCase.h"
#include "content/ContentPaths.h"
#include "content/IniFile.h"
#include "content/PackageIdentity.h"
#include "content/VoiceFiles.h"

#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <filesystem>
#include <pwd.h>
#include <system_error>
#include <unistd.h>

namespace vorlane {
namespace {

namespace fs = std::filesystem;

constexpr const char* kThemes = "Themes/";
constexpr const char* kAppearances = "Apparences/";
constexpr const char* kThemeDat = "theme.dat";
constexpr const char* kProgress = "progression.ini";

std::string WithSlash(std::string folder)
{
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    return folder;
}

// An environment value or a home that is an absolute path, or nothing.
std::optional<std::string> Absolute(const char* path)
{
    if (path == nullptr || path[0] != '/')
        return std::nullopt;
    return WithSlash(path);
}

// Whether the writes will be let through, as this user meets them: a path
// not made yet by its nearest existing folder. /usr is read-only by
// convention (it may be mounted so): a package there is never written, even by root.
bool MayWrite(const std::string& path)
{
    if (path.starts_with("/usr/"))
        return false;
    std::error_code error;
    fs::path existing(path);
    while (!fs::exists(existing, error) && existing.has_relative_path())
        existing = existing.parent_path();
    return ::faccessat(AT_FDCWD, existing.empty() ? "." : existing.c_str(), W_OK, AT_EACCESS) == 0;
}

// The entries of `folder` in the folder's own order, hidden ones left out.
// A missing or unreadable folder has none.
std::vector<std::string> Entries(const std::string& folder)
{
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error)) {
        std::string name = entry->path().filename().string();
        if (!name.empty() && name.front() != '.')
            names.push_back(std::move(name));
    }
    return names;
}

bool Contains(const std::vector<std::string>& names, const std::string& name)
{
    return std::any_of(names.begin(), names.end(), [&](const std::string& each) { return EqualsIgnoringCase(each, name); });
}

// Everything the program writes in a portable folder: the folder itself (the
// settings file is replaced through a file beside it), its settings files,
// Themes/, and each theme folder with its theme.dat.
bool ProgramFolderIsTheUsers(const std::string& program)
{
    if (!MayWrite(program))
        return false;
    std::error_code error;
    for (const std::string& name : Entries(program)) {
        const std::string path = program + name;
        if (name.ends_with(".ini") && fs::is_regular_file(path, error) && !MayWrite(path))
            return false;
    }
    const std::string themes = program + kThemes;
    if (!MayWrite(themes))
        return false;
    for (const std::string& name : Entries(themes)) {
        const std::string folder = themes + name;
        if (!fs::is_directory(folder, error))
            continue;
        const std::string dat = ResolveContentFile(folder + '/' + kThemeDat);
        if (!MayWrite(folder) || (fs::exists(dat, error) && !MayWrite(dat)))
            return false;
    }
    return true;
}

// $XDG_DATA_HOME/vorlane/, else <home>/.local/share/vorlane/ with the home
// from $HOME, else from the password entry. A relative value is ignored, as
// the XDG base directory rules say: it would scatter the user's things over
// whatever folder the program is started from. Empty, with `why` set, when
// there is no absolute home at all.
std::string UserDataFolder(std::string& why)
{
    if (const auto data = Absolute(std::getenv("XDG_DATA_HOME")))
        return *data + "vorlane/";
    auto home = Absolute(std::getenv("HOME"));
    if (!home) {
        const passwd* entry = ::getpwuid(::geteuid());
        home = Absolute(entry != nullptr ? entry->pw_dir : nullptr);
    }
    if (home)
        return *home + ".local/share/vorlane/";
    why = "Vorlane ne trouve pas le dossier personnel de cet utilisateur (HOME n'est pas un chemin absolu) : "
          "ses réglages et ses images ne peuvent être gardés nulle part.";
    return {};
}

ContentPlaces& Store()
{
    static ContentPlaces places = [] {
        const std::string executable = ExecutablePath();
        const auto slash = executable.find_last_of('/');
        return ContentPlaces(slash == std::string::npos ? std::string("./") : executable.substr(0, slash + 1));
    }();
    return places;
}

}  // namespace

ContentPlaces::ContentPlaces(std::string programFolder) : m_program(WithSlash(std::move(programFolder)))
{
    m_shared = !m_program.empty() && !ProgramFolderIsTheUsers(m_program);
    if (!m_shared)
        return;
    m_user = UserDataFolder(m_userError);
    m_sharedThemes = Entries(ThemesPath());
}

const ContentPlaces& ContentPlaces::Current()
{
    return Store();
}

const ContentPlaces& ContentPlaces::Settle(const std::string& programFolder)
{
    ContentPlaces& places = Store();
    places = ContentPlaces(programFolder);
    if (places.m_shared) {
        places.MakeUserFolders();
        places.CarryOverOlderProgress();
    }
    return places;
}

std::string ContentPlaces::ThemesPath() const
{
    return m_program + kThemes;
}

std::string ContentPlaces::ThemePath(const std::string& name) const
{
    return ThemesPath() + name + '/';
}

std::string ContentPlaces::ThemeFile(const std::string& name) const
{
    return ThemePath(name) + kThemeDat;
}

std::string ContentPlaces::AppearancesPath() const
{
    return m_program + kAppearances;
}

std::string ContentPlaces::AppearancePath(const std::string& name) const
{
    return AppearancesPath() + name + '/';
}

std::string ContentPlaces::AppearanceFile(const std::string& name) const
{
    return AppearancePath(name) + "apparence.dat";
}

std::vector<std::string> ContentPlaces::ThemeNames() const
{
    if (!m_shared)
        return Entries(ThemesPath());
    std::vector<std::string> names = m_sharedThemes;
    if (!m_user.empty()) {
        for (std::string& name : Entries(m_user + kThemes))
            if (!Contains(m_sharedThemes, name))
                names.push_back(std::move(name));
    }
    return names;
}

std::vector<std::string> ContentPlaces::AppearanceNames() const
{
    std::vector<std::string> names = Entries(AppearancesPath());
    if (m_shared && !m_user.empty()) {
        const auto shared = names;
        for (std::string& name : Entries(m_user + kAppearances))
            if (!Contains(shared, name))
                names.push_back(std::move(name));
    }
    return names;
}

bool ContentPlaces::IsSharedTheme(const std::string& name) const
{
    return !SharedTheme(name).empty();
}

std::string ContentPlaces::SharedTheme(const std::string& name) const
{
    if (std::find(m_sharedThemes.begin(), m_sharedThemes.end(), name) != m_sharedThemes.end())
        return name;
    const auto found = std::find_if(m_sharedThemes.begin(), m_sharedThemes.end(),
                                    [&](const std::string& shared) { return EqualsIgnoringCase(shared, name); });
    return found == m_sharedThemes.end() ? std::string() : *found;
}

std::string ContentPlaces::ThemeContentFile(const std::string& theme, const std::string& file) const
{
    // A shared theme is read whole from the program folder, whatever the
    // user's folder of the same name holds.
    const std::string shared = SharedTheme(theme);
    if (!m_shared || !shared.empty())
        return ResolveContentFile(ThemePath(shared.empty() ? theme : shared) + file);
    return ResolveContentFile(UserThemesPath() + theme + '/' + file);
}

std::string ContentPlaces::AppearanceContentFile(const std::string& appearance, const std::string& file) const
{
    // A shared appearance is read from the program folder, a user's own from theirs.
    std::error_code error;
    if (!m_shared || m_user.empty() || fs::exists(ResolveContentFile(AppearancesPath() + appearance), error))
        return ResolveContentFile(AppearancePath(appearance) + file);
    return ResolveContentFile(m_user + kAppearances + appearance + '/' + file);
}

std::string ContentPlaces::UserThemesPath() const
{
    return m_shared ? UserFolder() + kThemes : ThemesPath();
}

std::string ContentPlaces::UserThemePath(const std::string& theme) const
{
    const std::string shared = SharedTheme(theme);
    return ResolveContentFile(UserThemesPath() + (shared.empty() ? theme : shared)) + '/';
}

std::string ContentPlaces::ThemeUserFile(const std::string& theme, const std::string& file) const
{
    return ResolveContentFile(UserThemePath(theme) + file);
}

std::string ContentPlaces::ThemeFileToWrite(const std::string& theme, const std::string& file) const
{
    std::string path = ThemeUserFile(theme, file);
    // Only the user's folder is ever made; a refusal shows as the write's own error.
    if (m_shared) {
        std::error_code ignored;
        fs::create_directories(fs::path(path).parent_path(), ignored);
    }
    return path;
}

std::string ContentPlaces::ProgressFile(const std::string& theme) const
{
    return ThemeUserFile(theme, IsSharedTheme(theme) ? kProgress : kThemeDat);
}

std::string ContentPlaces::SettingsFile(const std::string& executablePath) const
{
    const std::string settings = SettingsFileNameFor(executablePath);
    return m_shared ? UserFolder() + fs::path(settings).filename().string() : settings;
}

std::vector<std::string> ContentPlaces::VoiceFiles(const std::string& file) const
{
    std::vector<std::string> files;
    if (m_shared && !m_user.empty())
        files.push_back(ResolveContentFile(m_user + kVoiceFolder + file));
    files.push_back(ResolveContentFile(m_program + kVoiceFolder + file));
    return files;
}

bool ContentPlaces::HoldsProgressOnly(const std::string& folder)
{
    const std::string dat = ResolveContentFile(WithSlash(folder) + kThemeDat);
    std::error_code error;
    if (fs::exists(dat, error)) {
        const IniFile file(dat);
        const char* section = PackageIdentity::kSection;
        return !file.HasKey(section, "Version") && !file.HasKey(section, "SubVersion") && !file.HasKey(section, "Nom");
    }
    const std::vector<std::string> entries = Entries(folder);
    return std::any_of(entries.begin(), entries.end(), [](const std::string& entry) {
        const std::string name = LowerAscii(entry);
        return name == kProgress || name == std::string(kThemeDat) + ".ancien" ||
               (name.starts_with("couleur") && name.ends_with(".bmz"));
    });
}

const std::string& ContentPlaces::UserFolder() const
{
    if (m_shared && m_user.empty())
        throw EUserFolderError(m_userError);
    return m_user;
}

void ContentPlaces::MakeUserFolders() const
{
    for (const char* part : {kThemes, kAppearances}) {
        std::error_code error;
        fs::create_directories(UserFolder() + part, error);
        if (error)
            throw EUserFolderError("Impossible de créer le dossier " + m_user + part +
                                   " : Vorlane ne peut pas y garder les réglages et les images de cet utilisateur.");
    }
}

// Older versions kept a user's progress on a shared theme in a theme.dat of
// the user's holding only the keys they wrote, which a picture added there
// could turn into a theme hiding the shared one. Its tick and printable marks
// go to the progress file, once: the old file is kept beside as theme.dat.ancien.
// A whole theme of the user's named like a shared one takes a free name, so
// that both are listed.
void ContentPlaces::CarryOverOlderProgress() const
{
    const std::string themes = UserThemesPath();
    for (const std::string& name : Entries(themes)) {
        const std::string shared = SharedTheme(name);
        const std::string folder = themes + name + '/';
        const std::string dat = ResolveContentFile(folder + kThemeDat);
        std::error_code error;
        if (shared.empty() || !fs::is_regular_file(dat, error))
            continue;
        const IniFile old(dat);
        if (PackageIdentity::Read(old).IsAccepted()) {
            for (int number = 2;; ++number) {
                const std::string free = name + " (" + std::to_string(number) + ")";
                if (!Contains(m_sharedThemes, free) && !fs::exists(ResolveContentFile(themes + free), error)) {
                    fs::rename(themes + name, themes + free, error);
                    break;
                }
            }
            continue;
        }
        IniFile progress(ThemeFileToWrite(shared, kProgress));
        bool carried = true;
        const auto carry = [&](const std::string& section, const std::string& key) {
            if (!old.HasKey(section, key) || progress.HasKey(section, key))
                return;
            try {
                progress.WriteString(section, key, old.ReadString(section, key, ""));
            } catch (const EWriteError&) {
                carried = false;  // tried again at the next start
            }
        };
        carry("Configuration", "Check");
        // A section with dots is a picture added there, not a mark of a shared picture.
        for (const std::string& section : old.SectionNames())
            if (!old.HasKey(section, "NombrePoints"))
                carry(section, "Imprimer");
        if (carried)
            fs::rename(dat, dat + ".ancien", error);
    }
}

}  // namespace vorlane
