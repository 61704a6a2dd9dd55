// Feeds arbitrary bytes to the INI reader and checks that a write changes its
// own key and nothing else that the program reads.
#include "content/AsciiCase.h"
#include "content/IniFile.h"

#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <string>

using vorlane::EqualsIgnoringCase;
using vorlane::IniFile;

namespace {

struct Name {
    const char* section;
    const char* key;
};

constexpr Name kNames[] = {
    {"General", "Version"},   {"General", "Nom"},        {"general", "NombreImages"}, {"Configuration", "Check"},
    {"Configuration", "Tolerance"}, {"Image01", "XPoint01"}, {"IMAGE01", "xpoint01"}, {"Image100", "Imprimer"},
};

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const IniFile file("fuzz.ini", text);
    for (const Name& name : kNames) {
        Require(file.ReadString(name.section, name.key, "").size() <= IniFile::kMaxStringLength);
        file.ReadInteger(name.section, name.key, 0);
        file.ReadBool(name.section, name.key, false);
    }
    // Every key listed of a section reads as the file holds it (the carry-over
    // of an older theme.dat copies a picture's section this way).
    for (const std::string& section : file.SectionNames())
        for (const std::string& key : file.KeyNames(section))
            Require(file.HasKey(section, key));
    std::int32_t ignored = 0;
    IniFile::ParseInteger(text.substr(0, 40), ignored);

    const Name& written = kNames[size % std::size(kNames)];
    const IniFile after("fuzz.ini", IniFile::TextWithValue(text, written.section, written.key, "42"));
    Require(after.ReadString(written.section, written.key, "") == "42");
    for (const Name& name : kNames) {
        const bool same = EqualsIgnoringCase(name.section, written.section) && EqualsIgnoringCase(name.key, written.key);
        if (!same)
            Require(after.ReadString(name.section, name.key, "-") == file.ReadString(name.section, name.key, "-"));
    }
    return 0;
}
