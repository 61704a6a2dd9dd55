#include "content/ContentPlaces.h"
#include "support/TestSupport.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <pwd.h>
#include <unistd.h>

using namespace vorlane;
using vorlane::test::TempDir;
using vorlane::test::WriteFile;

namespace {

namespace fs = std::filesystem;

// Sets environment variables (nullopt: unset) and puts them back as they were.
class Environment {
public:
    ~Environment()
    {
        for (const auto& [name, value] : m_saved)
            Set(name, value);
    }
    void Set(const std::string& name, std::optional<std::string> value)
    {
        if (m_saved.count(name) == 0) {
            const char* old = std::getenv(name.c_str());
            m_saved[name] = old != nullptr ? std::optional<std::string>(old) : std::nullopt;
        }
        if (value)
            ::setenv(name.c_str(), value->c_str(), 1);
        else
            ::unsetenv(name.c_str());
    }

private:
    std::map<std::string, std::optional<std::string>> m_saved;
};

constexpr const char* kPackage = "/usr/lib/vorlane";

// The folder that takes a user's things in a shared program folder:
// $XDG_DATA_HOME when absolute, else the home of $HOME when absolute, else
// that of the password entry. Relative values would scatter the child's
// things over whatever folder the program is started from.
TEST(ContentPlaces, UserFolderFollowsTheXdgRules)
{
    Environment environment;
    TempDir data, home;
    const passwd* entry = ::getpwuid(::geteuid());
    ASSERT_NE(entry, nullptr);
    const std::string own = std::string(entry->pw_dir) + "/.local/share/vorlane/";
    const struct {
        std::optional<std::string> data, home;
        std::string folder;
    } cases[] = {
        {data.path().string(), "maison", data.path().string() + "/vorlane/"},
        {"donnees", home.path().string(), home.path().string() + "/.local/share/vorlane/"},
        {std::nullopt, "maison", own},
        {"", std::nullopt, own},
    };
    for (const auto& c : cases) {
        environment.Set("XDG_DATA_HOME", c.data);
        environment.Set("HOME", c.home);
        EXPECT_EQ(ContentPlaces(kPackage).SettingsFile(std::string(kPackage) + "/Vorlane"), c.folder + "vorlane.ini")
            << c.data.value_or("(unset)") << " " << c.home.value_or("(unset)");
    }

    // No absolute home at all (a user without a password entry): refused in
    // French before anything is written, even in the current folder. Needs root.
    if (::getpwuid(4242) != nullptr || ::seteuid(4242) != 0)
        return;
    const std::string saved = ContentPlaces::Current().ProgramFolder();
    TempDir current;
    const fs::path before = fs::current_path();
    fs::current_path(current.path());
    EXPECT_THROW(
        try { ContentPlaces::Settle(kPackage); } catch (const EUserFolderError& error) {
            EXPECT_TRUE(std::string(error.what()).starts_with("Vorlane ne trouve pas le dossier personnel"));
            throw;
        },
        EUserFolderError);
    EXPECT_EQ(::seteuid(0), 0);
    fs::current_path(before);
    ContentPlaces::Settle(saved);
    EXPECT_TRUE(fs::is_empty(current.path()));
}

// The program folder is the user's only when every write the program makes
// there would be let through; any refusal sends all of them to the user's own
// folder, rather than failing at every save.
TEST(ContentPlaces, ProgramFolderIsTheUsersOnlyWhenAllItsWritesAreAllowed)
{
    Environment environment;
    TempDir data;
    environment.Set("XDG_DATA_HOME", data.path().string());
    for (const char* readOnly : {"", "vorlane.ini", "Themes", "Themes/Animaux", "Themes/Animaux/theme.dat"}) {
        TempDir program;
        fs::create_directories(program.path() / "Themes" / "Animaux");
        WriteFile(program.file("Themes/Animaux/theme.dat"), "");
        WriteFile(program.file("vorlane.ini"), "");
        for (const auto& path : fs::recursive_directory_iterator(program.path()))
            fs::permissions(path, fs::perms::all);
        fs::permissions(program.path(), fs::perms::all);
        if (*readOnly != '\0')
            fs::permissions(program.path() / readOnly, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                             fs::perm_options::remove);
        const vorlane::test::ScopedUnprivileged nobody;
        const std::string holder = *readOnly == '\0' ? program.file("") : data.file("vorlane/");
        EXPECT_EQ(ContentPlaces(program.path().string()).SettingsFile(program.file("Vorlane")), holder + "vorlane.ini")
            << readOnly;
    }
}

}  // namespace
