#include "content/VoiceFiles.h"

#include <algorithm>

namespace vorlane {

namespace {
constexpr int kLargestShippedNumber = 200;
}

std::string LabelVoiceFileName(const std::string& label)
{
    if (label.size() == 1 && label[0] >= 'a' && label[0] <= 'z')
        return label + "-minuscule.wav";
    const bool letter = label.size() == 1 && label[0] >= 'A' && label[0] <= 'Z';
    const bool number = !label.empty() && std::all_of(label.begin(), label.end(), [](char c) { return c >= '0' && c <= '9'; });
    return letter || number ? label + ".wav" : std::string();
}

std::string NameVoiceFileName(const std::string& name)
{
    if (name.empty())
        return {};
    std::string file = name;
    for (char& c : file)
        if (static_cast<unsigned char>(c) < 0x20 || std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos)
            c = '_';
    return "Noms/" + file + ".wav";
}

std::vector<std::string> ShippedVoiceLabels()
{
    std::vector<std::string> labels;
    for (int number = 0; number <= kLargestShippedNumber; ++number)
        labels.push_back(std::to_string(number));
    for (char letter = 'A'; letter <= 'Z'; ++letter)
        labels.emplace_back(1, letter);
    for (char letter = 'a'; letter <= 'z'; ++letter)
        labels.emplace_back(1, letter);
    return labels;
}

}  // namespace vorlane
