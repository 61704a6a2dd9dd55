#include "content/ContentPlaces.h"

#include "base/AtomicFile.h"
#include "base/FolderLock.h"
#include "content/AsciiCase.h"
#include "content/ContentPaths.h"
#include "content/IniFile.h"
#include "content/PackageIdentity.h"
#include "content/ThemeDat.h"
#include "content/VoiceFiles.h"

#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <optional>
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
constexpr const char* kOlderDat = "theme.dat.ancien";
constexpr const char* kEol = "\r\n";

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

// Whether `folder` holds a user's data and no program: no help, no
// executable, and beside a theme a file only a user's folder has.
bool HoldsOnlyUserData(const std::string& folder)
{
    std::error_code error;
    if (fs::exists(folder + "Aide", error) || fs::exists(folder + "vorlane", error))
        return false;
    const std::string themes = folder + kThemes;
    for (const std::string& theme : Entries(themes))
        for (const std::string& entry : Entries(themes + theme))
            if (const std::string name = LowerAscii(entry); name == kProgress || name == kOlderDat)
                return true;
    return false;
}

// A name for `name` free in `themes` in any letter case and no shared
// theme's: "<name> (2)", else "(3)"...
std::string FreeName(const std::string& themes, const std::string& name, const std::vector<std::string>& shared)
{
    const std::vector<std::string> taken = Entries(themes);
    for (int number = 2;; ++number) {
        std::string free = name + " (" + std::to_string(number) + ")";
        if (!Contains(shared, free) && !Contains(taken, free))
            return free;
    }
}

// The pictures an older version traced into a user's partial theme.dat: the
// sections "Image<NN>" with dots whose dots picture is still beside it (once
// carried, it is not), in number order.
std::vector<std::uint32_t> TracedPictures(const IniFile& old, const std::string& folder)
{
    std::vector<std::uint32_t> numbers;
    std::error_code error;
    for (const std::string& section : old.SectionNames()) {
        const std::string lower = LowerAscii(section);
        if (!lower.starts_with("image") || lower.size() == 5 || lower.size() > 9 ||
            lower.find_first_not_of("0123456789", 5) != std::string::npos || !old.HasKey(section, "NombrePoints"))
            continue;
        const auto number = static_cast<std::uint32_t>(std::stoul(lower.substr(5)));
        if (number > 0 && std::find(numbers.begin(), numbers.end(), number) == numbers.end() &&
            fs::is_regular_file(ResolveContentFile(folder + PointsFileName(number)), error))
            numbers.push_back(number);
    }
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

// The files of picture `number` in `folder`: its dots picture, its picture to
// colour, the child's colouring, and what the atelier kept of it (the
// drawing, the choices: "Dessin<NN>.*").
std::vector<std::string> PictureFiles(const std::string& folder, std::uint32_t number)
{
    std::vector<std::string> files;
    const std::string drawing = LowerAscii("Dessin" + NumberText(number) + ".");
    for (const std::string& entry : Entries(folder)) {
        const std::string name = LowerAscii(entry);
        if (name == LowerAscii(PointsFileName(number)) || name == LowerAscii(ImageFileName(number)) ||
            name == LowerAscii(CouleurFileName(number)) || name.starts_with(drawing))
            files.push_back(entry);
    }
    return files;
}

// `file` of picture `from` named for picture `to`: "Points03.bmp" -> "Points01.bmp".
std::string Renumbered(const std::string& file, std::uint32_t from, std::uint32_t to)
{
    const std::string was = NumberText(from);
    const std::size_t at = file.find_first_of("0123456789");
    return at == std::string::npos || file.compare(at, was.size(), was) != 0
               ? file
               : file.substr(0, at) + NumberText(to) + file.substr(at + was.size());
}

void WriteText(const std::string& path, const std::string& text)
{
    ReplaceFileAtomically(path, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

}  // namespace

ContentPlaces& ContentPlaces::Store()
{
    static ContentPlaces places = [] {
        const std::string executable = ExecutablePath();
        const auto slash = executable.find_last_of('/');
        return ContentPlaces(slash == std::string::npos ? std::string("./") : executable.substr(0, slash + 1),
                             AsItIs{});
    }();
    return places;
}

ContentPlaces::ContentPlaces(std::string programFolder, AsItIs) : m_program(WithSlash(std::move(programFolder)))
{
    m_shared = !m_program.empty() && !ProgramFolderIsTheUsers(m_program);
    if (!m_shared)
        return;
    m_user = UserDataFolder(m_userError);
    m_sharedThemes = Entries(ThemesPath());
}

ContentPlaces::ContentPlaces(std::string programFolder) : ContentPlaces(std::move(programFolder), AsItIs{})
{
    if (m_shared || m_program.empty())
        return;
    // The user's own folder given for the program's: written into the same
    // way, so that a shared theme's name cannot hide there.
    const ContentPlaces& running = Current();
    std::error_code error;
    if (running.m_shared && !running.m_user.empty() && fs::equivalent(m_program, running.m_user, error)) {
        *this = running;
        m_moved.clear();
        return;
    }
    if (!HoldsOnlyUserData(m_program))
        return;
    if (running.m_shared)
        m_sharedThemes = running.m_sharedThemes;
    for (const std::string& name : Entries(ThemesPath()))
        if (!Contains(m_sharedThemes, name) && HoldsProgressOnly(ThemesPath() + name))
            m_sharedThemes.push_back(name);
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
// the user's holding only the keys they wrote, and the atelier could trace
// pictures into it, which then hid the shared theme's own. The tick and
// printable marks go to the progress file and the pictures, with their
// files, to a theme of the user's of their own; the old file is kept beside
// as theme.dat.ancien (the previous version renamed it so without carrying
// the pictures: they are carried from there). A whole theme of the user's
// named like a shared one takes a free name, so that both are listed. All
// under the folders' locks, so that no program writes there meanwhile.
void ContentPlaces::CarryOverOlderProgress()
{
    const std::string themes = UserThemesPath();
    const FolderLock naming(themes);
    for (const std::string& name : Entries(themes)) {
        const std::string shared = SharedTheme(name);
        const std::string folder = themes + name + '/';
        std::error_code error;
        if (shared.empty() || !fs::is_directory(folder, error))
            continue;
        const FolderLock lock(folder);
        const std::string dat = ResolveContentFile(folder + kThemeDat);
        if (fs::is_regular_file(dat, error)) {
            const IniFile old(dat);
            if (PackageIdentity::Read(old).IsAccepted()) {
                const std::string free = FreeName(themes, name, m_sharedThemes);
                fs::rename(themes + name, themes + free, error);
                if (!error)
                    m_moved.push_back("Votre thème « " + name + " » portait le nom d'un thème de Vorlane : il s'appelle "
                                      "maintenant « " + free + " ».");
                continue;
            }
            // Each part is tried again at the next start when refused.
            if (CarryProgress(old, shared) && CarryPictures(old, name, folder))
                fs::rename(dat, dat + ".ancien", error);
        } else if (const std::string older = ResolveContentFile(folder + kOlderDat); fs::is_regular_file(older, error)) {
            CarryPictures(IniFile(older), name, folder);
        }
    }
}

bool ContentPlaces::CarryProgress(const IniFile& old, const std::string& shared) const
{
    IniFile progress(ThemeFileToWrite(shared, kProgress));
    bool carried = true;
    const auto carry = [&](const std::string& section, const std::string& key) {
        if (!old.HasKey(section, key) || progress.HasKey(section, key))
            return;
        try {
            progress.WriteString(section, key, old.ReadString(section, key, ""));
        } catch (const EWriteError&) {
            carried = false;
        }
    };
    carry("Configuration", "Check");
    // A section with dots is a picture traced there, not a mark of a shared picture.
    for (const std::string& section : old.SectionNames())
        if (!old.HasKey(section, "NombrePoints"))
            carry(section, "Imprimer");
    return carried;
}

bool ContentPlaces::CarryPictures(const IniFile& old, const std::string& name, const std::string& folder)
{
    const std::vector<std::uint32_t> pictures = TracedPictures(old, folder);
    if (pictures.empty())
        return true;
    const std::string themes = UserThemesPath();
    const std::string theme = FreeName(themes, name, m_sharedThemes);
    // The new theme, not ticked like every new theme of the user's, its
    // pictures numbered from 1 with their keys and marks as they were.
    std::string dat = std::string("[General]") + kEol + "Version=1" + kEol + "SubVersion=0" + kEol + "Nom=" +
                      PackageIdentity::kProductTag + kEol + "NombreImages=" + std::to_string(pictures.size()) + kEol +
                      kEol + "[Configuration]" + kEol + "Check=0" + kEol;
    try {
        WriteFolderWhole(themes.substr(0, themes.size() - 1), theme, [&](const std::string& made) {
            for (std::uint32_t number = 1; number <= pictures.size(); ++number) {
                const std::uint32_t was = pictures[number - 1];
                dat += kEol + ("[" + ImageSection(number) + "]") + kEol;
                for (const std::string& key : old.KeyNames(ImageSection(was)))
                    dat += key + "=" + old.ReadString(ImageSection(was), key, "") + kEol;
                for (const std::string& file : PictureFiles(folder, was)) {
                    const std::string to = made + '/' + Renumbered(file, was, number);
                    fs::copy_file(folder + file, to);
                    // The atelier's choices name the drawing beside them.
                    if (LowerAscii(file).ends_with(".json") && was != number) {
                        std::vector<std::uint8_t> bytes;
                        ReadWholeFile(to, bytes);
                        std::string text(bytes.begin(), bytes.end());
                        const std::string from = "\"Dessin" + NumberText(was) + ".";
                        if (const std::size_t at = text.find(from); at != std::string::npos)
                            text.replace(at, from.size(), "\"Dessin" + NumberText(number) + ".");
                        WriteText(to, text);
                    }
                }
            }
            WriteText(made + "/" + kThemeDat, dat);
        });
    } catch (const std::exception&) {
        return false;  // nothing made; tried again at the next start
    }
    // Copied whole first: a crash leaves the pictures in both places, never in none.
    // A colouring stays beside the shared picture of its number too: which of
    // the two the child coloured cannot be told.
    const std::size_t sharedCount =
        static_cast<std::size_t>(std::max(0, ThemeDat(ThemeContentFile(SharedTheme(name), kThemeDat)).NombreImages()));
    std::error_code error;
    for (const std::uint32_t was : pictures)
        for (const std::string& file : PictureFiles(folder, was))
            if (LowerAscii(file) != LowerAscii(CouleurFileName(was)) || was > sharedCount)
                fs::remove(folder + file, error);
    m_moved.push_back("Les dessins ajoutés au thème « " + name + " » par une version précédente de Vorlane sont "
                      "maintenant dans le thème « " + theme + " », à cocher pour y jouer.");
    return true;
}

}  // namespace vorlane
