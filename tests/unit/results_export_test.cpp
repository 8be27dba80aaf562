#include "core/keyword_sort.h"
#include "core/results_export.h"
#include "support/core/ascii_collator.h"
#include "support/core/recording_ui.h"
#include "support/core/temp_dir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const std::string Header = "\"No\",\"Keywords\",\"Searches\",\"Google\",\"Yahoo\",\"Msn\"\r\n";

std::vector<std::string> FolderEntries(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(ResultsCsvText, OneRowWithCountsAndEmptyCells)
{
    KeywordList list;
    list.AppendRow(1, "golf clubs", "1,234");
    EXPECT_EQ(ResultsCsvText(list), Header + "\"1\",\"golf clubs\",\"1,234\",\"\",\"\",\"\"\r\n");
}

TEST(ResultsCsvText, QuotesInsideAFieldAreDoubled)
{
    KeywordList list;
    list.AppendRow(1, "\"golf\" clubs", "");
    list.SetCellText(0, KeywordRow::Msn, "\"");
    EXPECT_EQ(ResultsCsvText(list), Header + "\"1\",\"\"\"golf\"\" clubs\",\"\",\"\",\"\",\"\"\"\"\r\n");
}

TEST(ResultsCsvText, BytesAreWrittenAsTheCellsHoldThem)
{
    KeywordList list;
    list.AppendRow(1, std::string("caf\xc3\xa9 \xe9,x\t"), "");
    EXPECT_EQ(ResultsCsvText(list), Header + "\"1\",\"caf\xc3\xa9 \xe9,x\t\",\"\",\"\",\"\",\"\"\r\n");
}

TEST(ResultsCsvText, RowsFollowTheOrderShownWithTheirNumbers)
{
    KeywordList list;
    list.AppendRow(1, "a", "");
    list.AppendRow(2, "b", "");
    list.AppendRow(3, "c", "");
    list.SetCellText(0, KeywordRow::Google, "5");
    list.SetCellText(1, KeywordRow::Google, "1,000");
    list.SetCellText(2, KeywordRow::Google, "20");
    list.SortByColumn(3, false, AsciiCaseInsensitiveCollator());
    EXPECT_EQ(ResultsCsvText(list), Header + "\"2\",\"b\",\"\",\"1,000\",\"\",\"\"\r\n"
                                             "\"3\",\"c\",\"\",\"20\",\"\",\"\"\r\n"
                                             "\"1\",\"a\",\"\",\"5\",\"\",\"\"\r\n");
}

TEST(ResultsCsvText, AnEmptyListIsTheHeaderAlone)
{
    EXPECT_EQ(ResultsCsvText(KeywordList()), Header);
}

struct NameCase {
    const char* Typed;
    const char* Saved;
};

class CsvExtensionTest : public testing::TestWithParam<NameCase> {};

TEST_P(CsvExtensionTest, AddsCsvUnlessItIsThere)
{
    EXPECT_EQ(WithCsvExtension(GetParam().Typed), GetParam().Saved);
}

INSTANTIATE_TEST_SUITE_P(Names, CsvExtensionTest,
                         testing::Values(NameCase{"/d/results", "/d/results.csv"},
                                         NameCase{"/d/results.csv", "/d/results.csv"},
                                         NameCase{"/d/results.CSV", "/d/results.CSV"},
                                         NameCase{"/d/results.Csv", "/d/results.Csv"},
                                         NameCase{"/d/results.txt", "/d/results.txt.csv"},
                                         NameCase{"/d/results.csv.txt", "/d/results.csv.txt.csv"},
                                         NameCase{"/d.csv/results", "/d.csv/results.csv"},
                                         NameCase{"/d/resultscsv", "/d/resultscsv.csv"}));

class WriteFileReplacingTest : public testing::Test {
protected:
    TempDir folder;
};

TEST_F(WriteFileReplacingTest, CreatesAndOverwritesLeavingNoTemporaryFile)
{
    const auto target = folder.Path() / "results.csv";
    WriteFileReplacing(target.string(), "first");
    EXPECT_EQ(FileContents(target), "first");
    WriteFileReplacing(target.string(), "second, longer");
    EXPECT_EQ(FileContents(target), "second, longer");
    EXPECT_EQ(FolderEntries(folder.Path()), (std::vector<std::string>{"results.csv"}));
}

TEST_F(WriteFileReplacingTest, AFailedRenameKeepsTheTargetAndCleansUp)
{
    // A folder where the file should go: the rename fails, whoever runs the test.
    const auto target = folder.Path() / "results.csv";
    std::filesystem::create_directory(target);
    EXPECT_THROW(WriteFileReplacing(target.string(), "new"), SaveError);
    EXPECT_TRUE(std::filesystem::is_directory(target));
    EXPECT_EQ(FolderEntries(folder.Path()), (std::vector<std::string>{"results.csv"}));
}

// Saving over a symbolic link writes the file it points at, in that file's folder, and
// leaves the link as it was: absolute and relative links, a chain, a link to no file yet.
TEST_F(WriteFileReplacingTest, ALinkIsFollowedAndKept)
{
    const auto elsewhere = folder.Path() / "elsewhere";
    std::filesystem::create_directory(elsewhere);
    const auto real = elsewhere / "real.csv";
    WriteFileReplacing(real.string(), "old");

    struct LinkCase {
        const char* Name;
        std::filesystem::path Target; // what the link holds
    };
    const LinkCase cases[] = {
        {"absolute.csv", real},
        {"relative.csv", "elsewhere/real.csv"},
        {"chain.csv", "absolute.csv"},
    };
    for (const LinkCase& link : cases)
        std::filesystem::create_symlink(link.Target, folder.Path() / link.Name);
    for (const LinkCase& link : cases) {
        const std::string bytes = std::string("saved through ") + link.Name;
        WriteFileReplacing((folder.Path() / link.Name).string(), bytes);
        EXPECT_TRUE(std::filesystem::is_symlink(folder.Path() / link.Name)) << link.Name;
        EXPECT_EQ(std::filesystem::read_symlink(folder.Path() / link.Name), link.Target) << link.Name;
        EXPECT_EQ(FileContents(real), bytes) << link.Name;
    }
    EXPECT_EQ(FolderEntries(elsewhere), (std::vector<std::string>{"real.csv"}));

    const auto dangling = folder.Path() / "dangling.csv";
    std::filesystem::create_symlink("elsewhere/new.csv", dangling);
    WriteFileReplacing(dangling.string(), "new file");
    EXPECT_TRUE(std::filesystem::is_symlink(dangling));
    EXPECT_EQ(FileContents(elsewhere / "new.csv"), "new file");
}

TEST_F(WriteFileReplacingTest, ALinkLoopIsASaveError)
{
    std::filesystem::create_symlink("b.csv", folder.Path() / "a.csv");
    std::filesystem::create_symlink("a.csv", folder.Path() / "b.csv");
    try {
        WriteFileReplacing((folder.Path() / "a.csv").string(), "x");
        FAIL() << "no error";
    } catch (const SaveError& error) {
        EXPECT_STREQ(error.what(), "Too many levels of symbolic links");
    }
    EXPECT_TRUE(std::filesystem::is_symlink(folder.Path() / "a.csv"));
}

TEST_F(WriteFileReplacingTest, AMissingFolderGivesTheSystemsReason)
{
    try {
        WriteFileReplacing((folder.Path() / "no such folder" / "results.csv").string(), "x");
        FAIL() << "no error";
    } catch (const SaveError& error) {
        EXPECT_STREQ(error.what(), "No such file or directory");
    }
}

// Run as an unprivileged user (dropping root when the tests run as root), so that the
// folder's permissions apply.
TEST_F(WriteFileReplacingTest, AReadOnlyFolderKeepsTheOldFile)
{
    const auto target = folder.Path() / "results.csv";
    WriteFileReplacing(target.string(), "old bytes");
    ::chmod(folder.Path().c_str(), 0555);
    ::chmod(folder.Path().parent_path().c_str(), 0755);
    EXPECT_EXIT(
        {
            if (::geteuid() == 0 && ::setuid(65534) != 0)
                std::_Exit(3);
            KeywordList list;
            list.AppendRow(1, "golf", "");
            ScriptedPrompter prompter;
            struct FixedChooser : SaveFileChooser {
                std::string Name;
                std::optional<std::string> ChooseSaveFile() override { return Name; }
            } chooser;
            chooser.Name = target.string();
            SaveResults(list, prompter, chooser);
            const bool reported = prompter.Asked.size() == 1 &&
                                  prompter.Asked[0].Text == "Could not save the results: Permission denied." &&
                                  prompter.Asked[0].Buttons == MessageButtons::Ok;
            std::_Exit(reported ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
    ::chmod(folder.Path().c_str(), 0755);
    EXPECT_EQ(FileContents(target), "old bytes");
    EXPECT_EQ(FolderEntries(folder.Path()), (std::vector<std::string>{"results.csv"}));
}

struct ChooserStub : SaveFileChooser {
    std::optional<std::string> Answer;
    int Asked = 0;
    std::optional<std::string> ChooseSaveFile() override
    {
        ++Asked;
        return Answer;
    }
};

TEST(SaveResults, AnEmptyListSaysSoWithoutADialog)
{
    KeywordList list;
    ScriptedPrompter prompter;
    ChooserStub chooser;
    EXPECT_FALSE(SaveResults(list, prompter, chooser));
    ASSERT_EQ(prompter.Asked.size(), 1u);
    EXPECT_EQ(prompter.Asked[0].Text, "You don't have any data to save.");
    EXPECT_EQ(chooser.Asked, 0);
}

TEST(SaveResults, WritesTheChosenFileOrNothingOnCancel)
{
    TempDir folder;
    KeywordList list;
    list.AppendRow(1, "golf", "");
    ScriptedPrompter prompter;
    ChooserStub chooser;
    EXPECT_FALSE(SaveResults(list, prompter, chooser));
    EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));

    chooser.Answer = (folder.Path() / "r.csv").string();
    const std::optional<SavedResults> saved = SaveResults(list, prompter, chooser);
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->Rows, 1);
    EXPECT_EQ(saved->FileName, *chooser.Answer);
    EXPECT_EQ(FileContents(*chooser.Answer), ResultsCsvText(list));
    EXPECT_TRUE(prompter.Asked.empty());
}

// A save that could not write its file reports nothing saved, so a close waiting on it
// keeps the window open.
TEST(SaveResults, AFailedWriteIsNoSave)
{
    TempDir folder;
    KeywordList list;
    list.AppendRow(1, "golf", "");
    ScriptedPrompter prompter;
    ChooserStub chooser;
    chooser.Answer = (folder.Path() / "no such folder" / "r.csv").string();
    EXPECT_FALSE(SaveResults(list, prompter, chooser));
    ASSERT_EQ(prompter.Asked.size(), 1u);
    EXPECT_EQ(prompter.Asked[0].Text, "Could not save the results: No such file or directory.");
}

} // namespace
