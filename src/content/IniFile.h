#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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
// A write reads the file afresh first, under the lock of its folder
// (FolderLock), so it never undoes another writer's change.
//
// Syntax, as the platform's profile functions read it: lines end with CR LF,
// LF or CR; "[name]" opens a section (the name runs to the last "]"); a line
// starting with ";" is a comment; "key=value" with blanks around both trimmed
// and one pair of matching quotes around the value removed; a UTF-8 byte order
// mark is skipped. Every other line is kept but means nothing.
class IniFile {
public:
    static constexpr std::size_t kMaxStringLength = 2047;

    explicit IniFile(std::string fileName);
    // A file whose bytes are already in memory (tests, fuzzing); writes still go to `fileName`.
    IniFile(std::string fileName, std::string text);

    const std::string& FileName() const { return m_fileName; }
    const std::string& Text() const { return m_text; }

    std::string ReadString(const std::string& section, const std::string& key, const std::string& defaultValue) const;
    std::int32_t ReadInteger(const std::string& section, const std::string& key, std::int32_t defaultValue) const;
    bool ReadBool(const std::string& section, const std::string& key, bool defaultValue) const;
    // The file holds the key, whatever its value.
    bool HasKey(const std::string& section, const std::string& key) const { return Find(section, key).has_value(); }
    // The names of the file's sections, in the file's order (a section written twice, twice).
    std::vector<std::string> SectionNames() const;
    // The names of a section's keys, in the file's order, each once.
    std::vector<std::string> KeyNames(const std::string& section) const;

    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    void WriteInteger(const std::string& section, const std::string& key, std::int32_t value);
    void WriteBool(const std::string& section, const std::string& key, bool value);

    // The bytes `text` becomes when `key` of `section` is set to `value`: the
    // first such key has its value replaced, else the key is added at the end
    // of the section's first occurrence, else the section is added at the end.
    // Line breaks in `value` become spaces so that it cannot add lines.
    static std::string TextWithValue(const std::string& text, const std::string& section, const std::string& key,
                                     const std::string& value);

    // The value rule for integers: decimal, or hexadecimal after "0x" / "$";
    // false when `text` does not parse whole into 32 bits.
    static bool ParseInteger(std::string_view text, std::int32_t& value);

private:
    // The lines of one section: from after its header to the next header.
    struct SectionSpan {
        std::string name;
        std::size_t begin = 0;
        std::size_t end = 0;
    };

    void Index();
    std::optional<std::string_view> Find(const std::string& section, const std::string& key) const;

    std::string m_fileName;
    std::string m_text;  // the file's bytes as read, or as last written
    std::vector<SectionSpan> m_sections;
};

}  // namespace vorlane
