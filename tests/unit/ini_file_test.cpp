#include "config/ini_file.h"
#include "config/service_addresses.h"
#include "support/core/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace {

struct ReadCase {
    const char* Name;
    const char* Text;
    const char* Section;
    const char* Key;
    std::string Value;
};

class IniReadTest : public testing::TestWithParam<ReadCase> {};

TEST_P(IniReadTest, ReadsLikeTheSystemReader)
{
    EXPECT_EQ(IniFile::FromText(GetParam().Text).ReadString(GetParam().Section, GetParam().Key), GetParam().Value);
}

INSTANTIATE_TEST_SUITE_P(
    Values, IniReadTest,
    testing::Values(ReadCase{"Plain", "[Services]\nGoogleURL=http://127.0.0.1:8301\n", "Services", "GoogleURL",
                             "http://127.0.0.1:8301"},
                    ReadCase{"NamesIgnoreCase", "[services]\r\ngoogleurl=x\r\n", "SERVICES", "GoogleURL", "x"},
                    ReadCase{"BlanksAroundKeyAndValue", "[S]\n  Key  =  a value  \n", "S", "Key", "a value"},
                    ReadCase{"DoubleQuotesRemoved", "[S]\nKey=\"quoted value\"\n", "S", "Key", "quoted value"},
                    ReadCase{"SingleQuotesRemoved", "[S]\nKey='quoted'\n", "S", "Key", "quoted"},
                    ReadCase{"UnmatchedQuotesKept", "[S]\nKey=\"half\n", "S", "Key", "\"half"},
                    ReadCase{"EqualsInValue", "[S]\nKey=a=b\n", "S", "Key", "a=b"},
                    ReadCase{"MissingKey", "[S]\nOther=1\n", "S", "Key", ""},
                    ReadCase{"KeyInAnotherSection", "[A]\nKey=1\n[B]\nOther=2\n", "B", "Key", ""},
                    ReadCase{"FirstOccurrenceWins", "[S]\nKey=1\nKey=2\n", "S", "Key", "1"},
                    ReadCase{"CommentLine", "[S]\n;Key=1\nKey=2\n", "S", "Key", "2"},
                    ReadCase{"KeyBeforeAnySection", "Key=1\n[S]\n", "S", "Key", ""},
                    ReadCase{"EmptyValue", "[S]\nKey=\n", "S", "Key", ""},
                    ReadCase{"ByteOrderMarkBeforeFirstSection", "\xEF\xBB\xBF[S]\nKey=1\n", "S", "Key", "1"},
                    ReadCase{"ByteOrderMarkOnlyAtTheStart", "[A]\n\xEF\xBB\xBF[S]\nKey=1\n", "S", "Key", ""}),
    [](const testing::TestParamInfo<ReadCase>& info) { return info.param.Name; });

TEST(IniFile, ValuesAreReadUpTo2047Characters)
{
    const std::string longValue(3000, 'v');
    EXPECT_EQ(IniFile::FromText("[S]\nKey=" + longValue + "\n").ReadString("S", "Key"), std::string(2047, 'v'));
}

TEST(IniFile, AMissingFileReadsEmpty)
{
    TempDir folder;
    EXPECT_EQ(IniFile((folder.Path() / "dbconfig.dat").string()).ReadString("Services", "GoogleURL"), "");
    const std::string file = folder.WriteFile("dbconfig.dat", "[Services]\nMsnURL=http://127.0.0.1:9\n");
    EXPECT_EQ(IniFile(file).ReadString("Services", "MsnURL"), "http://127.0.0.1:9");
}

// Anything but a regular file reads as a missing one; a FIFO in particular must not
// block the reader waiting for a writer.
TEST(IniFile, OnlyARegularFileIsRead)
{
    TempDir folder;
    const std::string fifo = (folder.Path() / "fifo.dat").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(IniFile(fifo).ReadString("Services", "GoogleURL"), "");

    const std::filesystem::path directory = folder.Path() / "dir.dat";
    std::filesystem::create_directory(directory);
    EXPECT_EQ(IniFile(directory.string()).ReadString("Services", "GoogleURL"), "");

    // A link to a regular file is that file.
    const std::string file = folder.WriteFile("real.dat", "[Services]\nGoogleURL=http://127.0.0.1:7\n");
    const std::filesystem::path link = folder.Path() / "link.dat";
    std::filesystem::create_symlink(file, link);
    EXPECT_EQ(IniFile(link.string()).ReadString("Services", "GoogleURL"), "http://127.0.0.1:7");
}

// A file that cannot be read is told apart from one that holds nothing.
TEST(IniFile, TryReadTellsAnUnreadableFileFromAnEmptyOne)
{
    TempDir folder;
    const std::string fifo = (folder.Path() / "fifo.ini").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& name : {(folder.Path() / "missing.ini").string(), folder.Path().string(), fifo})
        EXPECT_FALSE(IniFile::TryRead(name)) << name;
    const std::optional<IniFile> empty = IniFile::TryRead(folder.WriteFile("empty.ini", ""));
    ASSERT_TRUE(empty);
    EXPECT_FALSE(empty->HasSection("Engine1"));
    const std::optional<IniFile> read = IniFile::TryRead(folder.WriteFile("p.ini", "[Engine1]\nName=A\n"));
    ASSERT_TRUE(read);
    EXPECT_EQ(read->ReadString("engine1", "name"), "A");
}

TEST(IniFile, ASectionIsThereEvenWithoutKeys)
{
    const IniFile file = IniFile::FromText("[Engine2]\n; nothing yet\n[ Suggest ]\nURL=x\n");
    EXPECT_TRUE(file.HasSection("engine2"));
    EXPECT_TRUE(file.HasSection("SUGGEST"));
    EXPECT_FALSE(file.HasSection("Engine1"));
    EXPECT_FALSE(file.HasSection("Engine"));
}

TEST(ServiceAddresses, ReadFromAFileSavedWithAByteOrderMark)
{
    TempDir folder;
    const std::string file =
        folder.WriteFile("dbconfig.dat", "\xEF\xBB\xBF[Services]\r\nGoogleURL=http://127.0.0.1:8301\r\n");
    EXPECT_EQ(ReadServiceAddresses(IniFile(file)).GoogleURL, "http://127.0.0.1:8301");
}

TEST(ServiceAddresses, TrailingSlashesAreDropped)
{
    const ServiceAddresses addresses = ReadServiceAddresses(IniFile::FromText(
        "[Services]\nGoogleURL=http://127.0.0.1:8301/\nYahooURL=http://127.0.0.1:8302//\nMsnURL=/\n"
        "SuggestURL=http://127.0.0.1:8303/base/\n"));
    EXPECT_EQ(addresses.GoogleURL, "http://127.0.0.1:8301");
    EXPECT_EQ(addresses.YahooURL, "http://127.0.0.1:8302");
    EXPECT_EQ(addresses.MsnURL, "http://search.msn.com"); // nothing left: as if missing
    EXPECT_EQ(addresses.SuggestURL, "http://127.0.0.1:8303/base");
}

TEST(ServiceAddresses, SettingsOverrideThePublicRootsKeyByKey)
{
    const ServiceAddresses addresses = ReadServiceAddresses(
        IniFile::FromText("[Services]\nGoogleURL=http://127.0.0.1:8301\nYahooURL=\nSuggestURL=http://127.0.0.1:8302\n"));
    EXPECT_EQ(addresses.GoogleURL, "http://127.0.0.1:8301");
    EXPECT_EQ(addresses.SuggestURL, "http://127.0.0.1:8302");
    EXPECT_EQ(addresses.YahooURL, "http://search.yahoo.com");
    EXPECT_EQ(addresses.MsnURL, "http://search.msn.com");
}

TEST(ServiceAddresses, NoSettingsGiveThePublicRoots)
{
    const ServiceAddresses addresses = ReadServiceAddresses(IniFile::FromText(""));
    EXPECT_EQ(addresses.GoogleURL, "http://www.google.com");
    EXPECT_EQ(addresses.YahooURL, "http://search.yahoo.com");
    EXPECT_EQ(addresses.MsnURL, "http://search.msn.com");
    EXPECT_EQ(addresses.SuggestURL, "http://freekeywords.wordtracker.com");
}

TEST(ServiceAddresses, ACAFileWithoutAFolderLiesBesideTheProgram)
{
    const struct {
        const char* settings;
        const char* caFile;
    } cases[] = {
        {"", ""},
        {"[Services]\nCAFile=\n", ""},
        {"[Services]\nCAFile=company-ca.pem\n", "/opt/talvira/company-ca.pem"},
        {"[Services]\ncafile=\"company ca.pem\"\n", "/opt/talvira/company ca.pem"},
        {"[Services]\nCAFile=/etc/talvira/ca.pem\n", "/etc/talvira/ca.pem"},
        {"[Services]\nCAFile=certs/ca.pem\n", "certs/ca.pem"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReadServiceAddresses(IniFile::FromText(c.settings), "/opt/talvira/").CAFile, c.caFile) << c.settings;
}

} // namespace
