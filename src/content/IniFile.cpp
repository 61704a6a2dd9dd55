#include "content/IniFile.h"

#include "base/AtomicFile.h"
#include "base/FolderLock.h"
#include "base/Errors.h"
#include "content/AsciiCase.h"

#include <algorithm>
#include <cerrno>
#include <limits>
#include <optional>
#include <span>
#include <sys/stat.h>
#include <vector>

namespace vorlane {
namespace {

constexpr std::string_view kBlanks = " \t";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string_view Trim(std::string_view text)
{
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos)
        return text.substr(text.size());  // empty, but still pointing into the text
    const auto last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

// One line of the text: [begin, contentEnd) is its content, [contentEnd, end) its line break.
struct Line {
    std::size_t begin;
    std::size_t contentEnd;
    std::size_t end;
};

// Where the lines of the text start: after the byte order mark, if any.
std::size_t FirstLine(std::string_view text)
{
    return text.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
}

// Calls visit(line, content) for each line from `begin` to `end` (both line
// starts or the text's end) until it returns false.
template <typename Visit>
void ForEachLine(std::string_view text, std::size_t begin, std::size_t end, Visit visit)
{
    std::size_t position = begin;
    while (position < end) {
        std::size_t stop = position;
        while (stop < text.size() && text[stop] != '\n' && text[stop] != '\r')
            ++stop;
        Line line{position, text.size(), text.size()};
        if (stop < text.size()) {
            line.contentEnd = stop;
            line.end = (text[stop] == '\r' && stop + 1 < text.size() && text[stop + 1] == '\n') ? stop + 2 : stop + 1;
        }
        if (!visit(line, text.substr(line.begin, line.contentEnd - line.begin)))
            return;
        position = line.end;
    }
}

enum class LineKind { Other, Section, Key };

struct ParsedLine {
    LineKind kind = LineKind::Other;
    std::string_view name;   // section or key name, trimmed
    std::string_view value;  // key value, trimmed, quotes still on
};

ParsedLine ParseLine(std::string_view content)
{
    content = Trim(content);
    if (content.empty() || content.front() == ';')
        return {};
    if (content.front() == '[') {
        const auto close = content.rfind(']');
        if (close != std::string_view::npos)
            return {LineKind::Section, Trim(content.substr(1, close - 1)), {}};
        // Without its "]" the line is not a section header; the platform reads it as an ordinary line.
    }
    const auto equals = content.find('=');
    if (equals == std::string_view::npos)
        return {};
    const std::string_view name = Trim(content.substr(0, equals));
    if (name.empty())
        return {};
    return {LineKind::Key, name, Trim(content.substr(equals + 1))};
}

bool ParseHexadecimal(std::string_view digits, std::int32_t& value)
{
    if (digits.empty())
        return false;
    std::uint64_t result = 0;
    for (const char c : digits) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return false;
        result = result * 16 + static_cast<std::uint64_t>(digit);
        if (result > std::numeric_limits<std::uint32_t>::max())
            return false;
    }
    // Hexadecimal covers all 32 bits, as colours need: $FFFFFFFF is -1.
    value = static_cast<std::int32_t>(static_cast<std::uint32_t>(result));
    return true;
}

bool ParseDecimal(std::string_view text, std::int32_t& value)
{
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty())
        return false;
    std::int64_t result = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
        result = result * 10 + (c - '0');
        if (result > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1)
            return false;
    }
    if (negative)
        result = -result;
    if (result > std::numeric_limits<std::int32_t>::max())
        return false;
    value = static_cast<std::int32_t>(result);
    return true;
}

std::string_view UnquoteValue(std::string_view value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

std::string_view LineBreakOf(std::string_view text)
{
    const auto stop = text.find_first_of("\r\n");
    if (stop != std::string_view::npos && text[stop] == '\r' && stop + 1 < text.size() && text[stop + 1] == '\n')
        return "\r\n";
    return "\n";
}

}  // namespace

IniFile::IniFile(std::string fileName) : m_fileName(std::move(fileName))
{
    std::vector<std::uint8_t> bytes;
    if (ReadWholeFile(m_fileName, bytes))
        m_text.assign(bytes.begin(), bytes.end());
    Index();
}

IniFile::IniFile(std::string fileName, std::string text) : m_fileName(std::move(fileName)), m_text(std::move(text))
{
    Index();
}

std::vector<std::string> IniFile::SectionNames() const
{
    std::vector<std::string> names;
    for (const SectionSpan& span : m_sections)
        names.push_back(span.name);
    return names;
}

std::vector<std::string> IniFile::KeyNames(const std::string& section) const
{
    std::vector<std::string> names;
    for (const SectionSpan& span : m_sections) {
        if (!EqualsIgnoringCase(span.name, section))
            continue;
        ForEachLine(m_text, span.begin, span.end, [&](const Line&, std::string_view content) {
            const ParsedLine parsed = ParseLine(content);
            if (parsed.kind == LineKind::Key &&
                std::none_of(names.begin(), names.end(), [&](const std::string& name) {
                    return EqualsIgnoringCase(name, parsed.name);
                }))
                names.emplace_back(parsed.name);
            return true;
        });
    }
    return names;
}

void IniFile::Index()
{
    // Only the sections are found here; a read looks through its section's
    // lines. The catalogue scan reads a few keys of many large theme.dat files.
    m_sections.clear();
    const std::string_view text = m_text;
    ForEachLine(text, FirstLine(text), text.size(), [&](const Line& line, std::string_view content) {
        const auto first = content.find_first_not_of(kBlanks);
        if (first == std::string_view::npos || content[first] != '[')
            return true;
        const ParsedLine parsed = ParseLine(content);
        if (parsed.kind == LineKind::Section) {
            if (!m_sections.empty())
                m_sections.back().end = line.begin;
            m_sections.push_back({std::string(parsed.name), line.end, text.size()});
        }
        return true;
    });
}

std::optional<std::string_view> IniFile::Find(const std::string& section, const std::string& key) const
{
    // Sections written twice read as one, and the first of duplicate keys wins.
    std::optional<std::string_view> value;
    for (const SectionSpan& span : m_sections) {
        if (!EqualsIgnoringCase(span.name, section))
            continue;
        ForEachLine(m_text, span.begin, span.end, [&](const Line&, std::string_view content) {
            const ParsedLine parsed = ParseLine(content);
            if (parsed.kind == LineKind::Key && EqualsIgnoringCase(parsed.name, key))
                value = parsed.value;
            return !value;
        });
        if (value)
            break;
    }
    return value;
}

std::string IniFile::ReadString(const std::string& section, const std::string& key,
                                const std::string& defaultValue) const
{
    const std::optional<std::string_view> value = Find(section, key);
    if (!value)
        return defaultValue;
    return std::string(UnquoteValue(*value).substr(0, kMaxStringLength));
}

std::int32_t IniFile::ReadInteger(const std::string& section, const std::string& key, std::int32_t defaultValue) const
{
    std::int32_t value = 0;
    // A missing key reads as "", which does not parse.
    if (!ParseInteger(ReadString(section, key, {}), value))
        return defaultValue;
    return value;
}

bool IniFile::ReadBool(const std::string& section, const std::string& key, bool defaultValue) const
{
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

bool IniFile::ParseInteger(std::string_view text, std::int32_t& value)
{
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        return ParseHexadecimal(text.substr(2), value);
    if (!text.empty() && text[0] == '$')
        return ParseHexadecimal(text.substr(1), value);
    return ParseDecimal(text, value);
}

std::string IniFile::TextWithValue(const std::string& text, const std::string& section, const std::string& key,
                                   const std::string& value)
{
    std::string cleanValue = value;
    for (char& c : cleanValue) {
        if (c == '\r' || c == '\n')
            c = ' ';
    }
    const std::string entry = key + '=' + cleanValue;
    const std::string_view lineBreak = LineBreakOf(text);

    bool inSection = false;       // in any occurrence of the section
    bool inFirstSection = false;  // in its first occurrence, where a new key goes
    bool sectionSeen = false;
    Line lastOfFirstSection{};    // its last line that is not blank
    std::string result;
    bool replaced = false;
    ForEachLine(text, FirstLine(text), text.size(), [&](const Line& line, std::string_view content) {
        const ParsedLine parsed = ParseLine(content);
        if (parsed.kind == LineKind::Section) {
            inSection = EqualsIgnoringCase(parsed.name, section);
            inFirstSection = inSection && !sectionSeen;
            sectionSeen = sectionSeen || inSection;
        } else if (parsed.kind == LineKind::Key && inSection && EqualsIgnoringCase(parsed.name, key)) {
            // Keep the key as the file spells and indents it.
            const auto nameEnd = static_cast<std::size_t>(parsed.name.data() - text.data()) + parsed.name.size();
            result = text.substr(0, nameEnd) + '=' + cleanValue + text.substr(line.contentEnd);
            replaced = true;
            return false;
        }
        if (inFirstSection && !Trim(content).empty())
            lastOfFirstSection = line;
        return true;
    });
    if (replaced)
        return result;

    if (sectionSeen) {
        const Line& last = lastOfFirstSection;
        if (last.end == last.contentEnd)  // the file's last line, without a line break
            return text + std::string(lineBreak) + entry + std::string(lineBreak);
        return text.substr(0, last.end) + entry + std::string(lineBreak) + text.substr(last.end);
    }
    result = text;
    if (!result.empty()) {
        if (result.back() != '\n' && result.back() != '\r')
            result += lineBreak;
        result += lineBreak;
    }
    result += '[' + section + ']' + std::string(lineBreak) + entry + std::string(lineBreak);
    return result;
}

void IniFile::WriteString(const std::string& section, const std::string& key, const std::string& value)
{
    // Start from the file as it is now, so that another writer's change since
    // this object was made is kept; the lock keeps one from coming in between.
    const FolderLock lock(FolderLock::FolderOf(m_fileName));
    std::string current;
    std::vector<std::uint8_t> bytes;
    if (ReadWholeFile(m_fileName, bytes)) {
        current.assign(bytes.begin(), bytes.end());
    } else {
        // A file that exists but cannot be read must not be replaced by one holding only this key.
        struct stat info {};
        if (::stat(m_fileName.c_str(), &info) == 0 || errno != ENOENT)
            throw EWriteError(m_fileName);
    }
    std::string next = TextWithValue(current, section, key, value);
    // The same bytes need no replacement (and no flush): launcher close writes many unchanged "Check" keys.
    if (next != current) {
        ReplaceFileAtomically(
            m_fileName, std::span(reinterpret_cast<const std::uint8_t*>(next.data()), next.size()));
    }
    m_text = std::move(next);
    Index();
}

void IniFile::WriteInteger(const std::string& section, const std::string& key, std::int32_t value)
{
    WriteString(section, key, std::to_string(value));
}

void IniFile::WriteBool(const std::string& section, const std::string& key, bool value)
{
    WriteString(section, key, value ? "1" : "0");
}

}  // namespace vorlane
