#include "config/ini_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sstream>
#include <string_view>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

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

// The whole file, or nothing when it is missing, unreadable or not a regular file. It
// is opened without waiting, so a FIFO or a device of that name cannot hold start-up,
// and its kind is checked on the open file, not on the name.
std::optional<std::string> RegularFileText(const std::string& fileName)
{
    const int handle = ::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (handle < 0)
        return std::nullopt;
    std::optional<std::string> text;
    struct stat info {};
    if (::fstat(handle, &info) == 0 && S_ISREG(info.st_mode)) {
        text.emplace();
        char block[65536];
        for (;;) {
            const ssize_t n = ::read(handle, block, sizeof block);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                text.reset(); // half a settings file is no settings file
            if (n <= 0)
                break;
            text->append(block, static_cast<std::size_t>(n));
        }
    }
    ::close(handle);
    return text;
}

} // namespace

IniFile::IniFile(const std::string& fileName)
{
    Parse(RegularFileText(fileName).value_or(std::string()));
}

std::optional<IniFile> IniFile::TryRead(const std::string& fileName)
{
    const std::optional<std::string> text = RegularFileText(fileName);
    if (!text)
        return std::nullopt;
    return FromText(*text);
}

IniFile IniFile::FromText(const std::string& text)
{
    IniFile settings;
    settings.Parse(text);
    return settings;
}

void IniFile::Parse(const std::string& text)
{
    // A file saved by an editor that writes a UTF-8 byte-order mark would otherwise hide
    // its first section.
    constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";
    std::istringstream lines(text.starts_with(ByteOrderMark) ? text.substr(ByteOrderMark.size()) : text);
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
            FSections.push_back(section);
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

bool IniFile::HasSection(const std::string& section) const
{
    for (const std::string& name : FSections)
        if (SameName(name, section))
            return true;
    return false;
}
