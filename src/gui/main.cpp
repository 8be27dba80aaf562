// Program entry: the command line, the application object, the main window, the message loop.
#include "core/scratch_page_file.h"
#include "core/settings_location.h"
#include "gui/application.h"
#include "gui/command_line.h"
#include "gui/main_window.h"
#include "gui/skin.h"

#include <QDir>

#include <cstdio>
#include <exception>

namespace {

QStringList ArgumentsOf(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

// Where the settings are, and where the file dialogs start: beside a program that keeps
// its settings there (a build or portable folder), else in the user's home folder, never
// in an installed program's folder.
BrandingSources SourcesFor(const CommandLineChoices& choices)
{
    const SettingsLocation settings = FindSettings(SettingsSearchOfThisRun(choices.SettingsFile));
    BrandingSources sources;
    sources.Folder = settings.Folder;
    sources.SettingsFile = settings.File;
    sources.DocumentFolder = settings.BesideProgram ? settings.Folder : QDir::homePath().toStdString() + "/";
    sources.ProfileFile = choices.ProfileFile;
    return sources;
}

} // namespace

int main(int argc, char** argv)
{
    // Parsed before the application object, which needs a display: --help, --version and a
    // mistake work on a console alone.
    const CommandLine commandLine = ParseCommandLine(ArgumentsOf(argc, argv));
    if (commandLine.ExitCode) {
        std::fputs(commandLine.Output.c_str(), stdout);
        std::fputs(commandLine.Errors.c_str(), stderr);
        return *commandLine.ExitCode;
    }
    RemoveScratchFilesOnSignals();
    TalviraApplication application(argc, argv);
    ApplyDefaultSkin(application);
    try {
        TfrmMain window(SourcesFor(commandLine.Choices));
        window.show();
        return application.exec();
    } catch (const std::exception& error) {
        // Only the window's creation gets here (the page file cannot be made): every
        // error of a handler ends at the application's own error box.
        std::fprintf(stderr, "talvira: %s\n", error.what());
        return 1;
    }
}
