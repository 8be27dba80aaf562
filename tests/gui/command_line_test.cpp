#include "gui/command_line.h"

#include "support/core/temp_dir.h"

#include <QDir>
#include <gtest/gtest.h>

#include <regex>
#include <string>

namespace {

CommandLine Parse(QStringList arguments)
{
    arguments.prepend("/usr/bin/talvira");
    return ParseCommandLine(arguments);
}

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// Every mistake ends the program with 2, says what was wrong and shows the usage on
// stderr, never on stdout.
TEST(CommandLineTest, MistakesPrintTheUsageAndExitWithTwo)
{
    struct Case {
        QStringList arguments;
        const char* says;
    };
    const Case cases[] = {
        {{"--bogus"}, "Unknown option 'bogus'."},
        {{"-x"}, "Unknown option 'x'."},
        {{"--settings"}, "Missing value after '--settings'."},
        {{"--profile"}, "Missing value after '--profile'."},
        {{"--settings", "/nowhere/dbconfig.dat"}, "No settings file '/nowhere/dbconfig.dat'."},
        {{"--settings", ""}, "No settings file ''."},
        {{"keywords.txt"}, "Unexpected argument 'keywords.txt'."},
        {{"--help", "--bogus"}, "Unknown option 'bogus'."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const CommandLine line = Parse(c.arguments);
        EXPECT_EQ(line.ExitCode, 2);
        EXPECT_TRUE(line.Output.empty());
        EXPECT_TRUE(Contains(line.Errors, std::string("talvira: ") + c.says + "\n")) << line.Errors;
        EXPECT_TRUE(Contains(line.Errors, "Usage: talvira [options]")) << line.Errors;
    }
}

TEST(CommandLineTest, HelpAndVersionPrintOnStdoutAndExitWithZero)
{
    for (const char* help : {"--help", "-h"}) {
        const CommandLine line = Parse({help});
        EXPECT_EQ(line.ExitCode, 0);
        EXPECT_TRUE(line.Errors.empty());
        for (const char* part : {"Usage: talvira [options]", "--settings <FILE>", "--profile <FILE>", "--version"})
            EXPECT_TRUE(Contains(line.Output, part)) << part << " in " << line.Output;
    }
    for (const char* version : {"--version", "-v"}) {
        const CommandLine line = Parse({version});
        EXPECT_EQ(line.ExitCode, 0);
        EXPECT_TRUE(std::regex_match(line.Output, std::regex("talvira [0-9]+(\\.[0-9]+)+\n"))) << line.Output;
    }
}

TEST(CommandLineTest, FilesAreMadeAbsoluteAndHandedOn)
{
    TempDir folder;
    folder.WriteFile("mine.ini", "[Settings]\n");
    const QString before = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(folder.Path().string()));
    const CommandLine line = Parse({"--settings", "mine.ini", "--profile", "engines.profile"});
    QDir::setCurrent(before);

    EXPECT_FALSE(line.ExitCode.has_value());
    EXPECT_EQ(line.Choices.SettingsFile, (folder.Path() / "mine.ini").string());
    EXPECT_EQ(line.Choices.ProfileFile, (folder.Path() / "engines.profile").string());

    const CommandLine none = Parse({});
    EXPECT_FALSE(none.ExitCode.has_value());
    EXPECT_EQ(none.Choices.SettingsFile, "");
    EXPECT_EQ(none.Choices.ProfileFile, "");
}

} // namespace
