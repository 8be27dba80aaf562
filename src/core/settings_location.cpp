#include "core/settings_location.h"

#include "core/file_system.h"

#include <cstdlib>

namespace {

const char SettingsFileName[] = "dbconfig.dat";

std::string FolderOf(const std::string& file)
{
    const std::size_t slash = file.rfind('/');
    return slash == std::string::npos ? "./" : file.substr(0, slash + 1);
}

std::string WithSlash(std::string folder)
{
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

std::string Environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

bool IsAbsolute(const std::string& folder)
{
    return !folder.empty() && folder.front() == '/';
}

} // namespace

SettingsLocation FindSettings(const SettingsSearch& search)
{
    std::vector<std::string> candidates;
    if (!search.CommandLineFile.empty())
        candidates.push_back(search.CommandLineFile);
    candidates.push_back(search.ProgramFolder + SettingsFileName);
    if (!search.ConfigHome.empty())
        candidates.push_back(search.ConfigHome + "talvira/" + SettingsFileName);
    for (const std::string& folder : search.ConfigDirs)
        candidates.push_back(folder + "talvira/" + SettingsFileName);

    for (const std::string& file : candidates) {
        if (IsExistingFile(file))
            return {file, FolderOf(file), file == search.ProgramFolder + SettingsFileName};
    }
    return {"", search.ProgramFolder, false};
}

SettingsSearch SettingsSearchOfThisRun(const std::string& commandLineFile)
{
    SettingsSearch search;
    search.CommandLineFile = commandLineFile;
    search.ProgramFolder = ExecutableDirectory();

    std::string configHome = Environment("XDG_CONFIG_HOME");
    if (!IsAbsolute(configHome)) {
        const std::string home = Environment("HOME");
        configHome = IsAbsolute(home) ? WithSlash(home) + ".config" : "";
    }
    if (!configHome.empty())
        search.ConfigHome = WithSlash(configHome);

    std::string dirs = Environment("XDG_CONFIG_DIRS");
    if (dirs.empty())
        dirs = "/etc/xdg";
    std::size_t start = 0;
    while (start <= dirs.size()) {
        const std::size_t colon = dirs.find(':', start);
        const std::string folder = dirs.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
        if (IsAbsolute(folder))
            search.ConfigDirs.push_back(WithSlash(folder));
        if (colon == std::string::npos)
            break;
        start = colon + 1;
    }
    return search;
}
