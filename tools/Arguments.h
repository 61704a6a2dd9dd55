#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace vorlane {

// A command line the content tool cannot follow: an unknown option, a
// missing value, a value it does not take, folders missing or too many. The
// message is French and says which; the tool shows it with the command's usage.
class EUsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The arguments of one command of the content tool: its options, "--name
// value" (or "--name=value") or a flag "--name", wherever they stand among
// its other arguments, and those others in order. "--" ends the options.
class Arguments {
public:
    // Reads argv[first...]: `valued` are the options that take a value,
    // `flags` those that take none; the others are refused, as is a count of
    // other arguments outside [fewest, most]. Raises EUsageError.
    Arguments(int argc, char** argv, int first, const std::vector<std::string>& valued,
              const std::vector<std::string>& flags, std::size_t fewest, std::size_t most);

    const std::vector<std::string>& Positional() const { return m_positional; }
    // The value given last to `option`, or none.
    std::optional<std::string> Value(const std::string& option) const;
    // Every value given to `option`, in order.
    std::vector<std::string> Values(const std::string& option) const;
    bool Has(const std::string& flag) const;

    // The value of `option` as a whole number from `lowest` to `highest`, or
    // `otherwise` when it is not given. Raises EUsageError naming the value.
    int Number(const std::string& option, int lowest, int highest, int otherwise) const;
    // The value of `option` among `choices` (in any letter case, given back
    // as the choice spells it), or `otherwise` when it is not given. Raises
    // EUsageError listing the choices.
    std::string Choice(const std::string& option, const std::vector<std::string>& choices,
                       const std::string& otherwise) const;

private:
    std::vector<std::string> m_positional;
    std::vector<std::pair<std::string, std::string>> m_values;
    std::vector<std::string> m_flags;
};

}  // namespace vorlane
