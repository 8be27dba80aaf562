#include "config/branding_settings.h"
#include "config/ini_file.h"
#include "core/branding.h"
#include "core/web_pages.h"
#include "support/core/branding_fakes.h"
#include "support/core/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// The window as LoadBranding sees it: every call written down in order, pictures of a
// chosen height, and failures where a test asks for them.
class RecordingDisplay : public BrandingDisplay {
public:
    std::vector<std::string> Calls;
    int PictureHeight = 60;
    bool PictureFails = false;
    bool SkinFails = false;
    bool IconFails = false;

    void SetCaption(const std::string& caption) override { Calls.push_back("caption " + caption); }
    void SetBannerHandCursor() override { Calls.push_back("hand cursor"); }
    void HideBannerStrip() override { Calls.push_back("hide strip"); }
    int ShowAnimatedBanner(const std::string& pictureFile) override
    {
        Calls.push_back("animated " + Name(pictureFile));
        return Picture();
    }
    int ShowStillBanner(const std::string& pictureFile, const std::string& format) override
    {
        Calls.push_back("still " + Name(pictureFile) + " as " + (format.empty() ? "content" : format));
        return Picture();
    }
    void SetBannerStripHeight(int height) override { Calls.push_back("strip " + std::to_string(height)); }
    void SetLinks(const std::string& link1Name, const std::string& link1URL, const std::string& link2Name,
                  const std::string& link2URL) override
    {
        Calls.push_back("links [" + link1Name + " " + link1URL + "] [" + link2Name + " " + link2URL + "]");
    }
    void LoadSkin(const std::string& packageFile) override
    {
        Calls.push_back("skin " + Name(packageFile));
        if (SkinFails)
            throw std::runtime_error("skin refused");
    }
    void LoadIcon(const std::string& iconFile) override
    {
        Calls.push_back("icon " + Name(iconFile));
        if (IconFails)
            throw std::runtime_error("icon refused");
    }

    std::string Folder;

private:
    // Files are named relative to the folder the settings lie in, so that a file
    // looked for elsewhere shows.
    std::string Name(const std::string& file) const
    {
        return file.starts_with(Folder) ? file.substr(Folder.size()) : "(elsewhere) " + file;
    }
    int Picture() const
    {
        if (PictureFails)
            throw BannerPictureError("picture refused");
        return PictureHeight;
    }
};

class LoadBrandingTest : public testing::Test {
protected:
    void SetUp() override { display.Folder = Folder(); }

    std::string Folder() const { return folder.Path().string() + "/"; }
    void Settings(const std::string& text) { folder.WriteFile("dbconfig.dat", "[Settings]\n" + text); }
    void Files(std::initializer_list<const char*> names)
    {
        for (const char* name : names)
            folder.WriteFile(name, "bytes");
    }

    std::vector<std::string> Load() { return LoadBranding(Folder() + "dbconfig.dat", Folder(), draws, display, fields); }

    TempDir folder;
    RecordingDisplay display;
    ScriptedDraw draws;
    BrandingFields fields;
};

TEST_F(LoadBrandingTest, WithoutASettingsFileNothingHappens)
{
    Files({"dbimg1.dat", "dbskin.dat", "talvira.ico"});
    EXPECT_TRUE(Load().empty());
    EXPECT_TRUE(display.Calls.empty());
    EXPECT_TRUE(draws.AskedCounts.empty());
    EXPECT_EQ(fields.FAffiliateID, "");
}

TEST_F(LoadBrandingTest, ASettingsFolderIsNoSettingsFile)
{
    std::filesystem::create_directory(folder.Path() / "dbconfig.dat");
    Load();
    EXPECT_TRUE(display.Calls.empty());
}

TEST_F(LoadBrandingTest, OnlyAppNameSetsTheCaptionHidesTheStripAndEmptiesTheLinks)
{
    Settings("AppName=Keyword Studio\n");
    EXPECT_TRUE(Load().empty());
    EXPECT_EQ(display.Calls, (std::vector<std::string>{"caption Keyword Studio", "hide strip", "links [ ] [ ]"}));
    EXPECT_TRUE(draws.AskedCounts.empty());
}

TEST_F(LoadBrandingTest, ThreeBannersAndFourLinksDrawOneBannerAndTwoDifferentLinks)
{
    Settings("AppName=Studio\nAfiliateID=abc\n"
             "BannerPath1=one.jpg\nBannerURL1=http://one.example/\n"
             "BannerPath2=two.bmp\nBannerURL2=http://two.example/\n"
             "BannerPath3=three.gif\nBannerURL3=http://three.example/\n"
             "Link1URL=http://l1.example/\nLink1Name=First\nLink2URL=http://l2.example/\nLink2Name=Second\n"
             "Link3URL=http://l3.example/\nLink3Name=Third\nLink4URL=http://l4.example/\nLink4Name=Fourth\n");
    Files({"dbimg1.dat", "dbimg2.dat", "dbimg3.dat"});
    // Banner 2 of 3; then link 3 of 4, and of the three left (1, 2, 4) the last.
    draws.Picks = {1, 2, 2};
    EXPECT_TRUE(Load().empty());

    EXPECT_EQ(draws.AskedCounts, (std::vector<std::size_t>{3, 4, 3}));
    EXPECT_EQ(display.Calls,
              (std::vector<std::string>{"caption Studio", "hand cursor", "still dbimg2.dat as bmp", "strip 70",
                                        "links [Third http://l3.example/] [Fourth http://l4.example/]"}));
    EXPECT_EQ(fields.FAffiliateID, "abc");
    EXPECT_EQ(fields.FBannerURL, "http://two.example/");
    EXPECT_EQ(fields.FBannerPath, "two.bmp");
    EXPECT_EQ(fields.FLink1URL, "http://l3.example/");
    EXPECT_EQ(fields.FLink1Name, "Third");
    EXPECT_EQ(fields.FLink2URL, "http://l4.example/");
    EXPECT_EQ(fields.FLink2Name, "Fourth");
}

TEST_F(LoadBrandingTest, TheSecondLinkIsDrawnFromThoseLeft)
{
    Settings("Link1URL=u1\nLink1Name=n1\nLink2URL=u2\nLink2Name=n2\nLink3URL=u3\nLink3Name=n3\n");
    draws.Picks = {0, 0};
    Load();
    EXPECT_EQ(draws.AskedCounts, (std::vector<std::size_t>{3, 2}));
    EXPECT_EQ(display.Calls.back(), "links [n1 u1] [n2 u2]");
}

TEST_F(LoadBrandingTest, TheStoredPictureIsNumberedByPositionAmongTheBannersOffered)
{
    Settings("BannerPath2=only.jpg\nBannerURL2=http://only.example/\n");
    Files({"dbimg1.dat", "dbimg2.dat"});
    draws.Picks = {0};
    Load();
    EXPECT_EQ(draws.AskedCounts, (std::vector<std::size_t>{1}));
    EXPECT_EQ(display.Calls[1], "still dbimg1.dat as jpeg");
    EXPECT_EQ(fields.FBannerURL, "http://only.example/");
}

TEST_F(LoadBrandingTest, ABannerWithoutAddressKeepsTheNormalCursor)
{
    Settings("BannerPath1=banner.jpg\n");
    Files({"dbimg1.dat"});
    draws.Picks = {0};
    Load();
    EXPECT_EQ(display.Calls, (std::vector<std::string>{"still dbimg1.dat as jpeg", "strip 70", "links [ ] [ ]"}));
    EXPECT_EQ(fields.FBannerURL, "");
    EXPECT_EQ(fields.FBannerPath, "banner.jpg");
}

TEST_F(LoadBrandingTest, AGifNameInCapitalsGoesToTheAnimatedControl)
{
    Settings("BannerPath1=C:\\Pictures\\BANNER.GIF\nBannerURL1=http://gif.example/\n");
    Files({"dbimg1.dat"});
    draws.Picks = {0};
    display.PictureHeight = 45;
    Load();
    EXPECT_EQ(display.Calls,
              (std::vector<std::string>{"hand cursor", "animated dbimg1.dat", "strip 55", "links [ ] [ ]"}));
}

TEST_F(LoadBrandingTest, AMissingStoredPictureHidesTheStrip)
{
    Settings("BannerPath1=banner.jpg\nBannerURL1=http://x.example/\nLink1URL=http://l.example/\n");
    draws.Picks = {0, 0};
    EXPECT_TRUE(Load().empty());
    EXPECT_EQ(display.Calls,
              (std::vector<std::string>{"hand cursor", "hide strip", "links [ http://l.example/] [ ]"}));
}

TEST_F(LoadBrandingTest, ALinkWithoutNameKeepsItsAddressWithAnEmptyCaption)
{
    Settings("Link2URL=http://nameless.example/\n");
    draws.Picks = {0};
    Load();
    EXPECT_EQ(display.Calls.back(), "links [ http://nameless.example/] [ ]");
    EXPECT_EQ(fields.FLink1URL, "http://nameless.example/");
    EXPECT_EQ(fields.FLink1Name, "");
    EXPECT_EQ(fields.FLink2URL, "");
}

TEST_F(LoadBrandingTest, SkinAndIconAreLoadedFromTheFolderByFileName)
{
    Settings("IconPath=C:\\Program Files\\Studio\\studio.ico\n");
    Files({"dbskin.dat", "studio.ico"});
    Load();
    EXPECT_EQ(display.Calls,
              (std::vector<std::string>{"hide strip", "links [ ] [ ]", "skin dbskin.dat", "icon studio.ico"}));
    EXPECT_EQ(fields.FIconPath, "C:\\Program Files\\Studio\\studio.ico");
}

// Settings given by name on the command line: any file name; what it names by a bare
// name still lies in its folder.
TEST_F(LoadBrandingTest, SettingsUnderAnotherNameBrandFromTheirFolder)
{
    const std::string settings = folder.WriteFile("studio.ini", "[Settings]\nAppName=Studio\nIconPath=studio.ico\n");
    Files({"dbskin.dat", "studio.ico"});
    LoadBranding(settings, Folder(), draws, display, fields);
    EXPECT_EQ(display.Calls, (std::vector<std::string>{"caption Studio", "hide strip", "links [ ] [ ]",
                                                       "skin dbskin.dat", "icon studio.ico"}));
}

TEST_F(LoadBrandingTest, NoIconWithoutIconPathOrFileAndNoSkinFolder)
{
    std::filesystem::create_directory(folder.Path() / "dbskin.dat");
    for (const char* settings : {"AppName=x\n", "IconPath=absent.ico\n"}) {
        display.Calls.clear();
        Settings(settings);
        Load();
        for (const std::string& call : display.Calls) {
            EXPECT_FALSE(call.starts_with("icon")) << settings;
            EXPECT_FALSE(call.starts_with("skin")) << settings;
        }
    }
}

TEST_F(LoadBrandingTest, EachFailedStepIsReportedAndTheOthersStillRun)
{
    Settings("AppName=Studio\nBannerPath1=banner.jpg\nBannerURL1=http://b.example/\n"
             "Link1URL=http://l.example/\nLink1Name=L\nIconPath=studio.ico\n");
    Files({"dbimg1.dat", "dbskin.dat", "studio.ico"});
    draws.Picks = {0, 0};
    display.PictureFails = display.SkinFails = display.IconFails = true;
    EXPECT_EQ(Load(), (std::vector<std::string>{"picture refused", "skin refused", "icon refused"}));
    EXPECT_EQ(display.Calls,
              (std::vector<std::string>{"caption Studio", "hand cursor", "still dbimg1.dat as jpeg", "hide strip",
                                        "links [L http://l.example/] [ ]", "skin dbskin.dat", "icon studio.ico"}));
    EXPECT_EQ(fields.FBannerURL, "http://b.example/");
}

TEST_F(LoadBrandingTest, AMetafileBannerIsRefusedAndHidesTheStrip)
{
    Settings("BannerPath1=logo.WMF\nLink1URL=http://l.example/\n");
    Files({"dbimg1.dat"});
    draws.Picks = {0, 0};
    const std::vector<std::string> failures = Load();
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_NE(failures[0].find("logo.WMF"), std::string::npos) << failures[0];
    EXPECT_EQ(display.Calls, (std::vector<std::string>{"hide strip", "links [ http://l.example/] [ ]"}));
}

TEST(BrandingSettings, CollectsOfferedBannersAndLinksInKeyOrder)
{
    const BrandingSettings settings = ReadBrandingSettings(IniFile::FromText(
        "[Settings]\nAfiliateID=one-f\nAffiliateID=two-f\n"
        "BannerURL1=http://no-picture.example/\nBannerPath3=c.jpg\nBannerPath2=b.gif\nBannerURL2=http://b.example/\n"
        "Link4URL=http://4.example/\nLink4Name=Four\nLink1Name=no address\nLink2URL=http://2.example/\n"
        "IconPath=i.ico\n[Other]\nAppName=not this one\n"));
    EXPECT_EQ(settings.AppName, "");
    EXPECT_EQ(settings.AffiliateID, "one-f");
    EXPECT_EQ(settings.BannerPaths, (std::vector<std::string>{"b.gif", "c.jpg"}));
    EXPECT_EQ(settings.BannerURLs, (std::vector<std::string>{"http://b.example/", ""}));
    EXPECT_EQ(settings.LinkURLs, (std::vector<std::string>{"http://2.example/", "http://4.example/"}));
    EXPECT_EQ(settings.LinkNames, (std::vector<std::string>{"", "Four"}));
    EXPECT_EQ(settings.IconPath, "i.ico");
}

struct NameCase {
    const char* Name;
    const char* BannerName;
    BannerControl Control;
    const char* Format; // for the still control; nullptr: refused
};

class BannerNameTest : public testing::TestWithParam<NameCase> {};

TEST_P(BannerNameTest, ChoosesControlAndFormat)
{
    EXPECT_EQ(BannerControlFor(GetParam().BannerName), GetParam().Control);
    if (GetParam().Format) {
        EXPECT_EQ(StillPictureFormat(GetParam().BannerName), GetParam().Format);
    } else {
        EXPECT_THROW(StillPictureFormat(GetParam().BannerName), BannerPictureError);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Names, BannerNameTest,
    testing::Values(NameCase{"Jpg", "banner.jpg", BannerControl::Still, "jpeg"},
                    NameCase{"JpegCapitals", "BANNER.JPEG", BannerControl::Still, "jpeg"},
                    NameCase{"Bmp", "b.Bmp", BannerControl::Still, "bmp"},
                    NameCase{"Ico", "b.ico", BannerControl::Still, "ico"},
                    NameCase{"Gif", "b.gif", BannerControl::Animated, "gif"},
                    NameCase{"GifCapitals", "B.GIF", BannerControl::Animated, "gif"},
                    NameCase{"GifInsideTheName", "b.gifted.jpg", BannerControl::Animated, "jpeg"},
                    NameCase{"NoExtension", "banner", BannerControl::Still, ""},
                    NameCase{"Wmf", "b.wmf", BannerControl::Still, nullptr},
                    NameCase{"EmfCapitals", "b.EMF", BannerControl::Still, nullptr},
                    NameCase{"Png", "b.png", BannerControl::Still, nullptr},
                    NameCase{"EmptyExtension", "banner.", BannerControl::Still, nullptr}),
    [](const testing::TestParamInfo<NameCase>& info) { return info.param.Name; });

TEST(FileNamePart, DropsEveryDirectory)
{
    EXPECT_EQ(FileNamePart("banner.jpg"), "banner.jpg");
    EXPECT_EQ(FileNamePart("/srv/pictures/banner.jpg"), "banner.jpg");
    EXPECT_EQ(FileNamePart("C:\\Pictures\\banner.jpg"), "banner.jpg");
    EXPECT_EQ(FileNamePart("pictures/"), "");
}

TEST(BrandingFailures, AreRaisedAsOneErrorALineEach)
{
    EXPECT_NO_THROW(RaiseBrandingFailures({}));
    try {
        RaiseBrandingFailures({"banner refused", "icon refused"});
        FAIL() << "nothing raised";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "banner refused\nicon refused");
    }
}

TEST(SeededRandomDraw, IsUniformOverTheRangeAndRepeatsForAFixedSeed)
{
    std::uint64_t seed = 0;
    int seedsTaken = 0;
    SeededRandomDraw draw([&] {
        ++seedsTaken;
        return seed++;
    });
    std::vector<int> seen(4, 0);
    for (int i = 0; i < 4000; ++i) {
        const std::size_t pick = draw.Draw(4);
        ASSERT_LT(pick, 4u);
        ++seen[pick];
    }
    // A fresh seed for every draw.
    EXPECT_EQ(seedsTaken, 4000);
    for (int count : seen)
        EXPECT_GT(count, 800) << "far from uniform";

    SeededRandomDraw fixedA([] { return 42u; });
    SeededRandomDraw fixedB([] { return 42u; });
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(fixedA.Draw(1000), fixedB.Draw(1000));
    EXPECT_EQ(fixedA.Draw(1), 0u);
}

TEST(WebPages, MakeMoneyAppendsTheIdentifierDirectlyAfterTheRootsSlash)
{
    const std::string root = AffiliateRootAddress;
    ASSERT_TRUE(root.starts_with("http://"));
    ASSERT_EQ(root.back(), '/');
    EXPECT_EQ(MakeMoneyAddress("abc"), root + "abc");
    EXPECT_EQ(MakeMoneyAddress(""), root);
    EXPECT_TRUE(std::string(HelpPageAddress).starts_with("http://"));
    EXPECT_TRUE(std::string(HelpPageAddress).ends_with("/talvirahelp"));
}

TEST(WebPages, AnEmptyAddressOpensNothing)
{
    RecordingOpener opener;
    OpenInBrowser(opener, "");
    OpenInBrowser(opener, " \t\r\n");
    EXPECT_TRUE(opener.Opened.empty());
    OpenInBrowser(opener, "http://x.example/?a=%20b");
    EXPECT_EQ(opener.Opened, (std::vector<std::string>{"http://x.example/?a=%20b"}));
}

struct BrowserAddressCase {
    const char* Name;
    std::string Given;
    const char* Opened; // nullptr: refused
};

class BrowserAddressTest : public testing::TestWithParam<BrowserAddressCase> {};

// What reaches the opener, or a refusal that names the address and asks no opener.
TEST_P(BrowserAddressTest, OpensWebAndMailAddressesOnly)
{
    const BrowserAddressCase& c = GetParam();
    RecordingOpener opener;
    if (c.Opened) {
        OpenInBrowser(opener, c.Given);
        EXPECT_EQ(opener.Opened, (std::vector<std::string>{c.Opened}));
        return;
    }
    try {
        OpenInBrowser(opener, c.Given);
        ADD_FAILURE() << "opened " << c.Given;
    } catch (const EAddressRefused& refused) {
        const std::string named = c.Given.substr(c.Given.find_first_not_of(' '));
        EXPECT_NE(std::string(refused.what()).find("\"" + named + "\""), std::string::npos) << refused.what();
    }
    EXPECT_TRUE(opener.Opened.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, BrowserAddressTest,
    testing::Values(
        BrowserAddressCase{"Http", "http://www.example.com/offer", "http://www.example.com/offer"},
        BrowserAddressCase{"HttpsInCapitals", "HTTPS://Example.com/a?b#c", "HTTPS://Example.com/a?b#c"},
        BrowserAddressCase{"Mailto", "mailto:sales@example.com?subject=Talvira", "mailto:sales@example.com?subject=Talvira"},
        BrowserAddressCase{"WithoutScheme", "www.example.com/offer", "http://www.example.com/offer"},
        BrowserAddressCase{"HostAlone", "example.com", "http://example.com"},
        BrowserAddressCase{"HostAndPort", "localhost:8301/help", "http://localhost:8301/help"},
        BrowserAddressCase{"HostAndPortAlone", "www.example.com:8080", "http://www.example.com:8080"},
        BrowserAddressCase{"ColonLaterInThePath", "example.com/a:b", "http://example.com/a:b"},
        BrowserAddressCase{"SchemeRelative", "//cdn.example.com/x", "http://cdn.example.com/x"},
        BrowserAddressCase{"SurroundingSpacesDropped", "  www.example.com/ \r\n", "http://www.example.com/"},
        BrowserAddressCase{"File", "file:///etc/passwd", nullptr},
        BrowserAddressCase{"FileInCapitals", "FILE:/etc/passwd", nullptr},
        BrowserAddressCase{"Javascript", "javascript:alert(1)", nullptr},
        BrowserAddressCase{"AnotherProgramsScheme", "ssh://host.example/", nullptr},
        BrowserAddressCase{"SchemeWithoutSlashes", "smb:share", nullptr},
        BrowserAddressCase{"AnOption", "-x", nullptr},
        BrowserAddressCase{"AnOptionAfterSpaces", "  --new-window=file:///etc/passwd", nullptr}),
    [](const testing::TestParamInfo<BrowserAddressCase>& info) { return info.param.Name; });

TEST(WebPages, AnAddressNoBrowserTookIsReportedWithTheAddress)
{
    RecordingOpener opener;
    opener.BrowserFound = false;
    try {
        OpenInBrowser(opener, "www.example.com/offer");
        ADD_FAILURE() << "nothing reported";
    } catch (const EBrowserUnavailable& failed) {
        EXPECT_NE(std::string(failed.what()).find("\"http://www.example.com/offer\""), std::string::npos)
            << failed.what();
    }
    EXPECT_EQ(opener.Opened, (std::vector<std::string>{"http://www.example.com/offer"}));
}

} // namespace
