#pragma once

// A program folder installed for a family: read-only, and played by the user
// "nobody", whose own folder ($XDG_DATA_HOME/vorlane) starts empty. While it
// lives the content layer runs in the shared mode over it.

#include "content/ContentPaths.h"
#include "content/ContentPlaces.h"
#include "support/TestSupport.h"

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>

namespace vorlane::test {

class SharedProgramFolder {
public:
    explicit SharedProgramFolder(std::filesystem::path program) : m_program(std::move(program))
    {
        std::filesystem::permissions(m_data.path(), std::filesystem::perms::all);
        ::setenv("XDG_DATA_HOME", m_data.path().c_str(), 1);
        Share();
    }
    SharedProgramFolder(const SharedProgramFolder&) = delete;
    SharedProgramFolder& operator=(const SharedProgramFolder&) = delete;
    ~SharedProgramFolder()
    {
        Unshare();
        ::unsetenv("XDG_DATA_HOME");
    }

    // The user's own folder, ending with "/".
    std::string UserFolder() const { return m_data.path().string() + "/vorlane/"; }
    // No byte of the program folder changed since it was shared (or last changed by `Update`).
    bool Unchanged() const { return Bytes() == m_bytes; }
    // The administrator changes the program folder (a newer package).
    void Update(const std::function<void()>& change)
    {
        Unshare();
        change();
        Share();
    }

private:
    using Perms = std::filesystem::perms;

    std::map<std::string, std::string> Bytes() const
    {
        std::map<std::string, std::string> bytes;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(m_program))
            bytes[entry.path().string()] = entry.is_regular_file() ? ReadFile(entry.path().string()) : "";
        return bytes;
    }
    void SetWritable(bool writable) const
    {
        const auto change = writable ? std::filesystem::perm_options::add : std::filesystem::perm_options::remove;
        const Perms rights = writable ? Perms::owner_write : Perms::owner_write | Perms::group_write | Perms::others_write;
        std::filesystem::permissions(m_program, rights, change);
        for (const auto& entry : std::filesystem::recursive_directory_iterator(m_program))
            std::filesystem::permissions(entry.path(), rights, change);
    }
    void Share()
    {
        m_bytes = Bytes();
        SetWritable(false);
        m_nobody.emplace();
        ContentPlaces::Settle(m_program.string());
    }
    void Unshare()
    {
        m_nobody.reset();
        SetWritable(true);
        ContentPlaces::Settle(m_program.string());
    }

    std::filesystem::path m_program;
    TempDir m_data;
    std::map<std::string, std::string> m_bytes;
    std::optional<ScopedUnprivileged> m_nobody;
};

}  // namespace vorlane::test
