// The command line: --help, --version, --settings FILE and --profile FILE.
#pragma once

#include <QStringList>

#include <optional>
#include <string>

// What the command line chose for the run, handed to the main window. Files are
// absolute; empty: not given.
struct CommandLineChoices {
    std::string SettingsFile;
    // The service profile to load (--profile).
    std::string ProfileFile;
};

struct CommandLine {
    CommandLineChoices Choices;
    // Set when the program ends here, with what it prints on stdout and stderr: after
    // --help or --version (0), or a mistake in the arguments (2, with the usage).
    std::optional<int> ExitCode;
    std::string Output;
    std::string Errors;
};

// `arguments` begins with the program's name. Needs no application object and no display.
CommandLine ParseCommandLine(const QStringList& arguments);
