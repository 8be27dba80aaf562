// Which settings file a run reads, and the folder where the pictures, skin, icon, profile
// and CA file it names by a bare name lie.
#pragma once

#include <string>
#include <vector>

// What the search looks at: the file named on the command line (empty: none), the
// program's own folder, and the user's and the system's configuration folders. The
// folders end with "/".
struct SettingsSearch {
    std::string CommandLineFile;
    std::string ProgramFolder;
    std::string ConfigHome;
    std::vector<std::string> ConfigDirs;
};

struct SettingsLocation {
    // The settings file found; empty when there is none.
    std::string File;
    // The folder of that file, with its "/"; the program's folder when there is none.
    std::string Folder;
    // True when the settings lie beside the program: a copy run from its own folder (a
    // build folder, a portable folder) that keeps its files there.
    bool BesideProgram = false;
};

// The first existing file of: the command line's file; "dbconfig.dat" beside the
// program; ConfigHome + "talvira/dbconfig.dat"; each of ConfigDirs + "talvira/dbconfig.dat".
SettingsLocation FindSettings(const SettingsSearch& search);

// The search of this run: the program's folder, and the configuration folders named by
// XDG_CONFIG_HOME (else HOME + "/.config") and XDG_CONFIG_DIRS (else "/etc/xdg"); a
// folder that is not absolute is ignored, as the desktop's base directory rules say.
SettingsSearch SettingsSearchOfThisRun(const std::string& commandLineFile);
