#include "core/settings_location.h"

#include "support/core/scoped_environment.h"
#include "support/core/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace {

// Which of the places hold a settings file, and which one the search must pick.
struct LookupCase {
    const char* name;
    bool commandLine, beside, home, dir1, dir2;
    const char* expected; // "" for none
};

class SettingsLookupTest : public testing::TestWithParam<LookupCase> {
protected:
    std::string Folder(const std::string& name) const
    {
        std::filesystem::create_directories(root.Path() / name);
        return (root.Path() / name).string() + "/";
    }
    std::string Place(const std::string& name) const
    {
        if (name == "commandLine")
            return Folder("cmd") + "mine.ini";
        if (name == "beside")
            return Folder("program") + "dbconfig.dat";
        return Folder(name) + "talvira/dbconfig.dat";
    }
    void Put(const std::string& name) const
    {
        const std::string file = Place(name);
        std::filesystem::create_directories(std::filesystem::path(file).parent_path());
        std::ofstream(file) << "[Settings]\n";
    }
    SettingsSearch Search(bool commandLine) const
    {
        return {commandLine ? Place("commandLine") : "", Folder("program"), Folder("home"), {Folder("dir1"), Folder("dir2")}};
    }

    TempDir root;
};

TEST_P(SettingsLookupTest, TakesTheFirstThatExists)
{
    const LookupCase& c = GetParam();
    for (auto [present, name] : {std::pair{c.commandLine, "commandLine"}, {c.beside, "beside"}, {c.home, "home"},
                                 {c.dir1, "dir1"}, {c.dir2, "dir2"}}) {
        if (present)
            Put(name);
    }
    const SettingsLocation found = FindSettings(Search(c.commandLine));
    const std::string expected = *c.expected ? Place(c.expected) : "";
    EXPECT_EQ(found.File, expected);
    EXPECT_EQ(found.Folder, *c.expected ? std::filesystem::path(expected).parent_path().string() + "/" : Folder("program"));
    EXPECT_EQ(found.BesideProgram, std::string(c.expected) == "beside");
}

INSTANTIATE_TEST_SUITE_P(Places, SettingsLookupTest,
                         testing::Values(LookupCase{"all", true, true, true, true, true, "commandLine"},
                                         LookupCase{"besideBeforeHome", false, true, true, true, false, "beside"},
                                         LookupCase{"homeBeforeSystem", false, false, true, true, true, "home"},
                                         LookupCase{"firstSystemFolder", false, false, false, true, true, "dir1"},
                                         LookupCase{"laterSystemFolder", false, false, false, false, true, "dir2"},
                                         LookupCase{"none", false, false, false, false, false, ""}),
                         [](const auto& info) { return std::string(info.param.name); });

// A folder that carries the settings file's name is no settings file: the search goes on.
TEST_F(SettingsLookupTest, SkipsAFolderNamedLikeTheSettings)
{
    std::filesystem::create_directories(Place("home"));
    Put("dir2");
    EXPECT_EQ(FindSettings(Search(false)).File, Place("dir2"));
}

struct EnvironmentCase {
    const char* name;
    std::optional<std::string> configHome, home, configDirs;
    std::string expectedHome;
    std::vector<std::string> expectedDirs;
};

class SettingsEnvironmentTest : public testing::TestWithParam<EnvironmentCase> {};

TEST_P(SettingsEnvironmentTest, ReadsTheDesktopFolders)
{
    const EnvironmentCase& c = GetParam();
    ScopedEnvironment environment;
    environment.Set("XDG_CONFIG_HOME", c.configHome);
    environment.Set("HOME", c.home);
    environment.Set("XDG_CONFIG_DIRS", c.configDirs);
    const SettingsSearch search = SettingsSearchOfThisRun("/given.ini");
    EXPECT_EQ(search.CommandLineFile, "/given.ini");
    EXPECT_EQ(search.ConfigHome, c.expectedHome);
    EXPECT_EQ(search.ConfigDirs, c.expectedDirs);
    EXPECT_EQ(search.ProgramFolder.back(), '/');
}

INSTANTIATE_TEST_SUITE_P(
    Variables, SettingsEnvironmentTest,
    testing::Values(
        EnvironmentCase{"configHomeSet", "/x/cfg", "/home/u", std::nullopt, "/x/cfg/", {"/etc/xdg/"}},
        EnvironmentCase{"configHomeUnset", std::nullopt, "/home/u", "", "/home/u/.config/", {"/etc/xdg/"}},
        EnvironmentCase{"configHomeRelative", "cfg", "/home/u/", std::nullopt, "/home/u/.config/", {"/etc/xdg/"}},
        EnvironmentCase{"noHomeAtAll", std::nullopt, std::nullopt, std::nullopt, "", {"/etc/xdg/"}},
        EnvironmentCase{"configDirsList", "/c", "/h", "/a:/b/:relative::/c", "/c/", {"/a/", "/b/", "/c/"}},
        EnvironmentCase{"configDirsOnlyRelative", "/c", "/h", "relative", "/c/", {}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
