#include "config/ini_file.h"

#include <fstream>
#include <sstream>
#include <strings.h>

namespace {

std::string Trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

bool SameName(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

std::string WithoutQuotes(std::string value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

} // namespace

IniFile::IniFile(const std::string& fileName)
{
    std::ifstream file(fileName, std::ios::binary);
    if (!file)
        return;
    std::stringstream text;
    text << file.rdbuf();
    Parse(text.str());
}

IniFile IniFile::FromText(const std::string& text)
{
    IniFile settings;
    settings.Parse(text);
    return settings;
}

void IniFile::Parse(const std::string& text)
{
    std::istringstream lines(text);
    std::string line;
    std::string section;
    bool inSection = false;
    while (std::getline(lines, line)) {
        const std::string trimmed = Trimmed(line);
        if (trimmed.empty() || trimmed.front() == ';')
            continue;
        if (trimmed.front() == '[') {
            const auto close = trimmed.find(']');
            section = Trimmed(trimmed.substr(1, close == std::string::npos ? std::string::npos : close - 1));
            inSection = true;
            continue;
        }
        const auto equals = trimmed.find('=');
        if (!inSection || equals == std::string::npos)
            continue;
        std::string value = WithoutQuotes(Trimmed(trimmed.substr(equals + 1)));
        if (value.size() > MaxValueLength)
            value.resize(MaxValueLength);
        FEntries.push_back({section, Trimmed(trimmed.substr(0, equals)), std::move(value)});
    }
}

std::string IniFile::ReadString(const std::string& section, const std::string& key) const
{
    for (const Entry& entry : FEntries)
        if (SameName(entry.Section, section) && SameName(entry.Key, key))
            return entry.Value;
    return {};
}
