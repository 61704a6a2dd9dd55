#include "Arguments.h"

#include "content/AsciiCase.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

namespace vorlane {
namespace {

bool Listed(const std::vector<std::string>& list, const std::string& name)
{
    return std::find(list.begin(), list.end(), name) != list.end();
}

std::string OrList(const std::vector<std::string>& choices)
{
    std::string text;
    for (std::size_t i = 0; i < choices.size(); ++i)
        text += (i == 0 ? "" : i + 1 == choices.size() ? " ou " : ", ") + choices[i];
    return text;
}

}  // namespace

Arguments::Arguments(int argc, char** argv, int first, const std::vector<std::string>& valued,
                     const std::vector<std::string>& flags, std::size_t fewest, std::size_t most)
{
    bool options = true;
    for (int i = first; i < argc; ++i) {
        const std::string argument = argv[i];
        if (!options || argument.size() < 3 || argument.compare(0, 2, "--") != 0) {
            if (argument == "--" && options)
                options = false;
            else
                m_positional.push_back(argument);
            continue;
        }
        const std::size_t equals = argument.find('=');
        const std::string name = argument.substr(0, equals);
        if (Listed(flags, name) && equals == std::string::npos) {
            m_flags.push_back(name);
        } else if (Listed(valued, name)) {
            if (equals != std::string::npos)
                m_values.emplace_back(name, argument.substr(equals + 1));
            else if (i + 1 < argc)
                m_values.emplace_back(name, argv[++i]);
            else
                throw EUsageError(name + " : il manque sa valeur");
        } else {
            throw EUsageError("option inconnue : " + argument);
        }
    }
    if (m_positional.size() < fewest)
        throw EUsageError("il manque " + std::string(fewest - m_positional.size() == 1 ? "un argument" : "des arguments"));
    if (m_positional.size() > most)
        throw EUsageError("argument en trop : " + m_positional[most]);
}

std::optional<std::string> Arguments::Value(const std::string& option) const
{
    std::optional<std::string> found;
    for (const auto& [name, value] : m_values) {
        if (name == option)
            found = value;
    }
    return found;
}

std::vector<std::string> Arguments::Values(const std::string& option) const
{
    std::vector<std::string> found;
    for (const auto& [name, value] : m_values) {
        if (name == option)
            found.push_back(value);
    }
    return found;
}

bool Arguments::Has(const std::string& flag) const
{
    return Listed(m_flags, flag);
}

int Arguments::Number(const std::string& option, int lowest, int highest, int otherwise) const
{
    const std::optional<std::string> text = Value(option);
    if (!text)
        return otherwise;
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text->c_str(), &end, 10);
    if (text->empty() || *end != '\0' || errno != 0 || value < lowest || value > highest)
        throw EUsageError(option + " " + *text + " : il faut un nombre entier de " + std::to_string(lowest) + " à " +
                          std::to_string(highest));
    return static_cast<int>(value);
}

std::string Arguments::Choice(const std::string& option, const std::vector<std::string>& choices,
                              const std::string& otherwise) const
{
    const std::optional<std::string> text = Value(option);
    if (!text)
        return otherwise;
    // Exactly first: "A" and "a" name two styles of labels.
    if (Listed(choices, *text))
        return *text;
    for (const std::string& choice : choices) {
        if (EqualsIgnoringCase(choice, *text))
            return choice;
    }
    throw EUsageError(option + " " + *text + " : " + OrList(choices));
}

}  // namespace vorlane
