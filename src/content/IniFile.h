#pragma once

#include <cstdint>
#include <string>

namespace vorlane {

// An INI profile file read and written with the value rules every file of the
// program shares (settings, theme.dat, apparence.dat):
//  - section and key names match without regard to case; the first of
//    duplicate keys wins;
//  - every read has a default; a missing file, section or key gives it;
//  - integers in decimal, or hexadecimal after "0x" (values longer than two
//    characters) or "$"; a value that does not parse whole gives the default;
//  - booleans are integers, any non-zero value true, written "1" / "0";
//  - strings are at most 2047 characters;
//  - every write goes straight to the file, keeping its other sections, keys,
//    comments and order, and replaces the file atomically; a refused write
//    raises EWriteError ("Impossible d'écrire dans %s") with the path.
//
// The file is read when the object is made; make a new object to see changes
// made by another writer (the game and the print manager do so for every use).
class IniFile {
public:
    explicit IniFile(std::string fileName);

    const std::string& FileName() const { return m_fileName; }

    std::string ReadString(const std::string& section, const std::string& key, const std::string& defaultValue) const;
    std::int32_t ReadInteger(const std::string& section, const std::string& key, std::int32_t defaultValue) const;
    bool ReadBool(const std::string& section, const std::string& key, bool defaultValue) const;

    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    void WriteInteger(const std::string& section, const std::string& key, std::int32_t value);
    void WriteBool(const std::string& section, const std::string& key, bool value);

private:
    std::string m_fileName;
    std::string m_text;  // the file's bytes as read, or as last written
};

}  // namespace vorlane
