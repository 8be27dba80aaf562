#include "core/scratch_page_file.h"

#include "net/streams.h"
#include "support/core/scoped_environment.h"
#include "support/core/temp_dir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

namespace {

std::string FolderOf(const TempDir& dir)
{
    return dir.Path().string() + "/";
}

TEST(ScratchPageFileTest, IsANewEmptyFileForTheUserAloneRemovedAtTheEnd)
{
    TempDir dir;
    std::string name;
    {
        ScratchPageFile first(FolderOf(dir));
        ScratchPageFile second(FolderOf(dir));
        name = first.Name();
        EXPECT_EQ(std::filesystem::path(name).parent_path(), dir.Path());
        EXPECT_NE(first.Name(), second.Name());
        struct stat info {};
        ASSERT_EQ(::lstat(name.c_str(), &info), 0);
        EXPECT_TRUE(S_ISREG(info.st_mode));
        EXPECT_EQ(info.st_mode & 07777, 0600u);
        EXPECT_EQ(info.st_size, 0);
    }
    EXPECT_FALSE(std::filesystem::exists(name));
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}

TEST(ScratchPageFileTest, AFolderThatCannotHoldItIsNamedInTheError)
{
    TempDir dir;
    const std::string missing = FolderOf(dir) + "gone/";
    try {
        ScratchPageFile file(missing);
        FAIL() << "created " << file.Name();
    } catch (const EFileStreamError& error) {
        EXPECT_NE(std::string(error.what()).find(missing), std::string::npos) << error.what();
    }
}

// A run ended by a signal or by exit() (which skips the destructors) leaves no file behind,
// and still ends the way the signal says.
TEST(ScratchPageFileTest, RemovedWhenTheRunIsEndedBySignalOrExit)
{
    struct Ending {
        const char* name;
        int signalNumber; // 0: exit()
    };
    for (const Ending ending : {Ending{"SIGTERM", SIGTERM}, Ending{"SIGINT", SIGINT}, Ending{"SIGHUP", SIGHUP},
                                Ending{"exit", 0}}) {
        SCOPED_TRACE(ending.name);
        TempDir dir;
        int channel[2];
        ASSERT_EQ(::pipe(channel), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(channel[0]);
            RemoveScratchFilesOnSignals();
            auto* file = new ScratchPageFile(FolderOf(dir)); // never destroyed
            const std::string line = file->Name() + "\n";
            (void)!::write(channel[1], line.data(), line.size());
            ::close(channel[1]);
            if (ending.signalNumber)
                std::raise(ending.signalNumber);
            std::exit(7);
        }
        ::close(channel[1]);
        std::string name;
        char c;
        while (::read(channel[0], &c, 1) == 1 && c != '\n')
            name += c;
        ::close(channel[0]);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_FALSE(name.empty());
        EXPECT_FALSE(std::filesystem::exists(name)) << name;
        if (ending.signalNumber) {
            ASSERT_TRUE(WIFSIGNALED(status));
            EXPECT_EQ(WTERMSIG(status), ending.signalNumber);
        } else {
            ASSERT_TRUE(WIFEXITED(status));
            EXPECT_EQ(WEXITSTATUS(status), 7);
        }
    }
}

struct FolderCase {
    const char* name;
    bool runtimeExists, tmpExists;
    std::optional<std::string> runtime, tmp; // "<runtime>" / "<tmp>" stand for the test's folders
    const char* expected;                    // "runtime", "tmp" or a literal folder
};

TEST(ScratchPageFileTest, FolderOfTheRun)
{
    const FolderCase cases[] = {
        {"runtimeFolder", true, true, "<runtime>", "<tmp>", "runtime"},
        {"runtimeMissing", false, true, "<runtime>", "<tmp>", "tmp"},
        {"runtimeRelative", true, true, "relative", "<tmp>", "tmp"},
        {"runtimeUnset", true, true, std::nullopt, "<tmp>", "tmp"},
        {"neither", true, true, std::nullopt, std::nullopt, "/tmp/"},
        {"tmpMissing", false, false, std::nullopt, "<tmp>", "/tmp/"},
    };
    for (const FolderCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir root;
        const std::string runtime = FolderOf(root) + "runtime", tmp = FolderOf(root) + "tmp";
        if (c.runtimeExists)
            std::filesystem::create_directory(runtime);
        if (c.tmpExists)
            std::filesystem::create_directory(tmp);
        auto actual = [&](const std::optional<std::string>& value) -> std::optional<std::string> {
            if (value == "<runtime>")
                return runtime;
            if (value == "<tmp>")
                return tmp;
            return value;
        };
        ScopedEnvironment environment;
        environment.Set("XDG_RUNTIME_DIR", actual(c.runtime));
        environment.Set("TMPDIR", actual(c.tmp));
        const std::string expected = std::string(c.expected) == "runtime" ? runtime + "/"
                                     : std::string(c.expected) == "tmp"   ? tmp + "/"
                                                                          : c.expected;
        EXPECT_EQ(ScratchFolderOfThisRun(), expected);
    }
}

} // namespace
