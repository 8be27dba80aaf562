#include "gui/command_line.h"

#include "core/file_system.h"

#include <QCommandLineParser>
#include <QFileInfo>

namespace {

// The usual exit status of a command-line mistake.
constexpr int UsageExitCode = 2;

std::string AbsoluteFile(const QString& name)
{
    return QFileInfo(name).absoluteFilePath().toStdString();
}

} // namespace

CommandLine ParseCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription("Talvira, a keyword research tool: gathers related keywords with their\n"
                                     "search counts and the result counts of three search engines.");
    const QCommandLineOption help({"h", "help"}, "Show this help and exit.");
    const QCommandLineOption version({"v", "version"}, "Show the version and exit.");
    const QCommandLineOption settings("settings", "Read the settings from FILE instead of dbconfig.dat.", "FILE");
    const QCommandLineOption profile("profile", "Load the service profile FILE.", "FILE");
    parser.addOptions({help, version, settings, profile});

    // The usage names the program as it is installed, whatever it was started as: the
    // first line of the parser's text names the running file.
    const QString text = parser.helpText();
    const std::string usage = "Usage: talvira [options]" + text.mid(text.indexOf('\n')).toStdString();

    CommandLine result;
    auto mistake = [&](const std::string& what) {
        result.Errors = "talvira: " + what + "\n" + usage;
        result.ExitCode = UsageExitCode;
        return result;
    };
    if (!parser.parse(arguments))
        return mistake(parser.errorText().toStdString());
    if (!parser.positionalArguments().isEmpty())
        return mistake("Unexpected argument '" + parser.positionalArguments().first().toStdString() + "'.");
    if (parser.isSet(help)) {
        result.Output = usage;
        result.ExitCode = 0;
        return result;
    }
    if (parser.isSet(version)) {
        result.Output = "talvira " TALVIRA_VERSION "\n";
        result.ExitCode = 0;
        return result;
    }
    if (parser.isSet(settings)) {
        result.Choices.SettingsFile = AbsoluteFile(parser.value(settings));
        // A settings file asked for by name is never silently replaced by another one.
        if (!IsExistingFile(result.Choices.SettingsFile))
            return mistake("No settings file '" + parser.value(settings).toStdString() + "'.");
    }
    if (parser.isSet(profile))
        result.Choices.ProfileFile = AbsoluteFile(parser.value(profile));
    return result;
}
