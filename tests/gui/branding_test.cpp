#include "config/skin_package.h"
#include "core/web_pages.h"
#include "gui/animated_banner.h"
#include "gui/application.h"
#include "gui/banner_picture.h"
#include "gui/desktop_opener.h"
#include "gui/link_label.h"
#include "gui/main_window.h"
#include "support/core/branding_fakes.h"
#include "support/core/temp_dir.h"
#include "support/gui/modal_answerer.h"
#include "support/gui/picture_files.h"
#include "support/gui/url_recorder.h"

#include <QApplication>
#include <QIcon>
#include <QMovie>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <fstream>
#include <map>
#include <sstream>

namespace {

TalviraApplication& Application()
{
    return *static_cast<TalviraApplication*>(QCoreApplication::instance());
}

// A main window started on settings of the test's own folder, with scripted random
// picks, a recording browser, and the top-level error box recorded. The skin and icon
// the program had are put back afterwards.
class BrandedWindowTest : public testing::Test {
protected:
    void SetUp() override
    {
        Application().SetErrorReporter([this](const std::string& message) { errors.push_back(message); });
    }

    void TearDown() override
    {
        window.reset();
        qApp->setStyleSheet(styleSheetBefore);
        QApplication::setWindowIcon(iconBefore);
        Application().SetErrorReporter({});
        EXPECT_EQ(modal::PendingAnswers(), 0) << "a dialog that was expected did not open";
        modal::Reset();
    }

    std::string Folder() const { return folder.Path().string() + "/"; }
    void Settings(const std::string& text) { folder.WriteFile("dbconfig.dat", "[Settings]\n" + text); }

    void Open(WebPageOpener* browser = nullptr)
    {
        window = std::make_unique<TfrmMain>(BrandingSources{Folder(), &draws, browser ? browser : &opener});
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        QCoreApplication::processEvents();
    }

    template <typename T = QWidget>
    T* Control(const char* name)
    {
        T* found = window->findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    void Click(const char* name) { QTest::mouseClick(Control(name), Qt::LeftButton); }

    const QString styleSheetBefore = qApp->styleSheet();
    const QIcon iconBefore = QApplication::windowIcon();
    TempDir folder;
    ScriptedDraw draws;
    RecordingOpener opener;
    std::vector<std::string> errors;
    std::unique_ptr<TfrmMain> window;
};

TEST_F(BrandedWindowTest, WithoutSettingsTheWindowKeepsItsInitialBranding)
{
    Open();
    EXPECT_EQ(window->windowTitle(), "Talvira");
    EXPECT_TRUE(Control("panBanner")->isVisible());
    EXPECT_EQ(Control("panBanner")->height(), 65);
    EXPECT_EQ(Control<QLabel>("lblLink1URL")->text(), "Google");
    EXPECT_EQ(Control<QLabel>("lblLink2URL")->text(), "Google");
    Click("lblLink1URL");
    Click("lblLink2URL");
    EXPECT_EQ(opener.Opened, (std::vector<std::string>{"http://www.google.com/", "http://www.google.com/"}));
    EXPECT_EQ(qApp->styleSheet(), styleSheetBefore);
    EXPECT_TRUE(errors.empty());
}

TEST_F(BrandedWindowTest, OnlyAppNameSetsTheCaptionAndEmptiesStripAndLinks)
{
    Settings("AppName=Keyword Studio\n");
    Open();
    EXPECT_EQ(window->windowTitle(), "Keyword Studio");
    EXPECT_FALSE(Control("panBanner")->isVisible());
    for (const char* link : {"lblLink1URL", "lblLink2URL"}) {
        EXPECT_EQ(Control<QLabel>(link)->text(), "") << link;
        EXPECT_EQ(Control<LinkLabel>(link)->URL(), "") << link;
        Click(link);
    }
    EXPECT_TRUE(opener.Opened.empty());
    EXPECT_EQ(qApp->styleSheet(), styleSheetBefore);
    EXPECT_EQ(QApplication::windowIcon().cacheKey(), iconBefore.cacheKey());
    EXPECT_TRUE(errors.empty());
}

TEST_F(BrandedWindowTest, EveryClickHandsItsAddressToTheBrowser)
{
    Settings("AfiliateID=abc\n"
             "BannerPath1=one.jpg\nBannerURL1=http://one.example/\n"
             "BannerPath2=two.bmp\nBannerURL2=http://two.example/?from=talvira&x=%41\n"
             "BannerPath3=three.gif\nBannerURL3=http://three.example/\n"
             "Link1URL=http://l1.example/\nLink1Name=First\nLink2URL=http://l2.example/\nLink2Name=Second\n"
             "Link3URL=http://l3.example/\nLink3Name=Third\nLink4URL=http://l4.example/a b\nLink4Name=Fourth\n");
    folder.WriteFile("dbimg1.dat", PictureBytes(100, 60, "jpeg"));
    folder.WriteFile("dbimg2.dat", PictureBytes(80, 40, "bmp"));
    folder.WriteFile("dbimg3.dat", GifBytes(30, 30, 2));
    draws.Picks = {1, 3, 0};
    Open();
    ASSERT_TRUE(errors.empty()) << errors.front();

    EXPECT_TRUE(Control("imgBanner")->isVisible());
    EXPECT_FALSE(Control("gifBanner")->isVisible());
    EXPECT_EQ(Control("imgBanner")->size(), QSize(80, 40));
    EXPECT_EQ(Control("panBanner")->height(), 50);
    EXPECT_EQ(Control<QLabel>("lblLink1URL")->text(), "Fourth");
    EXPECT_EQ(Control<QLabel>("lblLink2URL")->text(), "First");

    Click("btnHelp");
    Click("btnMakeMoney");
    Click("imgBanner");
    Click("lblLink1URL");
    Click("lblLink2URL");
    EXPECT_EQ(opener.Opened, (std::vector<std::string>{HelpPageAddress, std::string(AffiliateRootAddress) + "abc",
                                                       "http://two.example/?from=talvira&x=%41",
                                                       "http://l4.example/a b", "http://l1.example/"}));
}

// Each file of the folder with its bytes and time of last change.
std::map<std::string, std::string> FolderState(const std::filesystem::path& folder)
{
    std::map<std::string, std::string> state;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        std::ifstream file(entry.path(), std::ios::binary);
        std::ostringstream bytes;
        bytes << file.rdbuf() << '@' << entry.last_write_time().time_since_epoch().count();
        state[entry.path().filename().string()] = bytes.str();
    }
    return state;
}

TEST_F(BrandedWindowTest, AStoredPictureIsShownAndTheFolderIsLeftAsItWas)
{
    Settings("BannerPath1=D:\\pictures\\banner.jpg\nBannerURL1=http://banner.example/\n");
    folder.WriteFile("dbimg1.dat", PictureBytes(120, 60, "jpeg"));
    draws.Picks = {0};
    const auto before = FolderState(folder.Path());
    Open();
    ASSERT_TRUE(errors.empty()) << errors.front();

    auto* picture = Control<QLabel>("imgBanner");
    EXPECT_TRUE(picture->isVisible());
    EXPECT_EQ(picture->pixmap().size(), QSize(120, 60));
    EXPECT_EQ(picture->size(), QSize(120, 60));
    QWidget* strip = Control("panBanner");
    EXPECT_EQ(strip->height(), 70);
    EXPECT_EQ(picture->pos(), QPoint(strip->width() / 2 - 60, 35 - 30));
    EXPECT_EQ(picture->cursor().shape(), Qt::PointingHandCursor);

    EXPECT_EQ(FolderState(folder.Path()), before);
    EXPECT_FALSE(std::filesystem::exists(folder.Path() / "banner.jpg"));
}

TEST_F(BrandedWindowTest, AFileOfTheBannersOwnNameIsNeitherShownNorTouched)
{
    Settings("BannerPath1=banner.bmp\n");
    folder.WriteFile("dbimg1.dat", PictureBytes(50, 20, "bmp"));
    folder.WriteFile("banner.bmp", PictureBytes(300, 90, "bmp"));
    draws.Picks = {0};
    const auto before = FolderState(folder.Path());
    Open();
    EXPECT_EQ(Control("imgBanner")->size(), QSize(50, 20));
    EXPECT_EQ(Control("panBanner")->height(), 30);
    EXPECT_EQ(FolderState(folder.Path()), before);
}

TEST_F(BrandedWindowTest, AGifInCapitalsIsAnimatedInALoopAndTakesAClick)
{
    Settings("BannerPath1=BANNER.GIF\nBannerURL1=http://gif.example/\n");
    folder.WriteFile("dbimg1.dat", GifBytes(90, 60, 3));
    draws.Picks = {0};
    Open();
    ASSERT_TRUE(errors.empty()) << errors.front();

    auto* animated = Control<AnimatedBanner>("gifBanner");
    EXPECT_TRUE(animated->isVisible());
    EXPECT_FALSE(Control("imgBanner")->isVisible());
    EXPECT_EQ(animated->size(), QSize(90, 60));
    EXPECT_EQ(Control("panBanner")->height(), 70);
    EXPECT_EQ(animated->cursor().shape(), Qt::PointingHandCursor);

    // The file asks to be played once; the banner starts it again each time it ends.
    ASSERT_NE(animated->Movie(), nullptr);
    EXPECT_EQ(animated->Movie()->frameCount(), 3);
    QSignalSpy ends(animated->Movie(), &QMovie::finished);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ends.count() >= 2; }, 20000)) << "the animation stopped";
    EXPECT_EQ(animated->Movie()->state(), QMovie::Running);

    Click("gifBanner");
    EXPECT_EQ(opener.Opened, (std::vector<std::string>{"http://gif.example/"}));
}

TEST_F(BrandedWindowTest, ABannerWithoutAddressHasTheNormalCursorAndOpensNothing)
{
    Settings("BannerPath1=banner.jpg\n");
    folder.WriteFile("dbimg1.dat", PictureBytes(100, 50, "jpeg"));
    draws.Picks = {0};
    Open();
    auto* picture = Control("imgBanner");
    EXPECT_TRUE(picture->isVisible());
    EXPECT_NE(picture->cursor().shape(), Qt::PointingHandCursor);
    Click("imgBanner");
    EXPECT_TRUE(opener.Opened.empty());
}

TEST_F(BrandedWindowTest, PicturesWithoutExtensionAreRecognisedByContent)
{
    Settings("BannerPath1=banner\n");
    folder.WriteFile("dbimg1.dat", PictureBytes(64, 32, "png"));
    draws.Picks = {0};
    Open();
    ASSERT_TRUE(errors.empty()) << errors.front();
    EXPECT_EQ(Control("imgBanner")->size(), QSize(64, 32));
    EXPECT_EQ(Control("panBanner")->height(), 42);
}

TEST_F(BrandedWindowTest, ALinkWithoutNameHasItsAddressAndAnEmptyCaption)
{
    Settings("Link3URL=http://nameless.example/\n");
    draws.Picks = {0};
    Open();
    auto* link = Control<LinkLabel>("lblLink1URL");
    EXPECT_EQ(link->text(), "");
    EXPECT_EQ(link->URL(), "http://nameless.example/");
    EXPECT_EQ(Control<LinkLabel>("lblLink2URL")->URL(), "");
}

// A skin whose toolbar, dialogs and message text are unmistakable.
const char* const TestSkin = "QFrame#bsSkinPanel1 { background: #102030; }\n"
                             "QDialog { background: #305070; }\n";

QColor ColourAt(QWidget* widget, QPoint point)
{
    return widget->grab().toImage().pixelColor(point);
}

TEST_F(BrandedWindowTest, TheSkinRedrawsTheWindowAndEveryDialog)
{
    folder.WriteFile("dbskin.dat", PackSkin(TestSkin));
    Settings("AppName=Skinned\n");
    Open();
    ASSERT_TRUE(errors.empty()) << errors.front();
    EXPECT_EQ(qApp->styleSheet(), TestSkin);
    EXPECT_EQ(ColourAt(Control("bsSkinPanel1"), {2, 2}), QColor("#102030"));

    QColor dialogColour;
    modal::AnswerNext([&](QWidget* dialog) {
        dialogColour = ColourAt(dialog, {2, 2});
        modal::ClickButton("OK")(dialog);
    });
    window->ShowMessageDialog("Skinned?", MessageButtons::Ok);
    EXPECT_EQ(dialogColour, QColor("#305070"));
}

TEST_F(BrandedWindowTest, ASkinOfANewerFormatLeavesTheSkinInUse)
{
    std::string newer = PackSkin(TestSkin);
    newer[0] = 4;
    folder.WriteFile("dbskin.dat", newer);
    Settings("AppName=Newer\n");
    Open();
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(qApp->styleSheet(), styleSheetBefore);
}

TEST_F(BrandedWindowTest, TheIconFileBecomesTheApplicationIcon)
{
    folder.WriteFile("studio.ico", PictureBytes(32, 32, "ico"));
    Settings("IconPath=C:\\Studio\\studio.ico\n");
    Open();
    ASSERT_TRUE(errors.empty()) << errors.front();
    EXPECT_NE(QApplication::windowIcon().cacheKey(), iconBefore.cacheKey());
    EXPECT_TRUE(QApplication::windowIcon().availableSizes().contains(QSize(32, 32)));
}

using FileList = std::vector<std::pair<const char*, std::string>>;

struct FailureCase {
    const char* Name;
    std::string Settings;
    // Made when the test runs: pictures need the application object's image plugins.
    std::function<FileList()> Files;
    const char* Reported; // a part of the error box's text
    bool StripShown;
    bool SkinApplied;
};

class LoadSettingsFailureTest : public BrandedWindowTest, public testing::WithParamInterface<FailureCase> {};

// The error reaches the top-level error box; the window opens with everything else.
TEST_P(LoadSettingsFailureTest, IsReportedAndTheRestIsApplied)
{
    const FailureCase& failure = GetParam();
    Settings("AppName=Still Branded\nLink1URL=http://link.example/\nLink1Name=Link\n" + failure.Settings);
    for (const auto& [name, bytes] : failure.Files())
        folder.WriteFile(name, bytes);
    if (!std::filesystem::exists(folder.Path() / "dbskin.dat"))
        folder.WriteFile("dbskin.dat", PackSkin(TestSkin));
    draws.Picks = {0, 0};
    Open();

    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find(failure.Reported), std::string::npos) << errors[0];
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), "Still Branded");
    EXPECT_EQ(Control<QLabel>("lblLink1URL")->text(), "Link");
    EXPECT_EQ(Control("panBanner")->isVisible(), failure.StripShown);
    EXPECT_EQ(qApp->styleSheet() == TestSkin, failure.SkinApplied);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, LoadSettingsFailureTest,
    testing::Values(
        FailureCase{"MetafileBanner", "BannerPath1=logo.wmf\n", [] { return FileList{{"dbimg1.dat", "metafile"}}; },
                    "logo.wmf", false, true},
        FailureCase{"UnknownExtension", "BannerPath1=logo.png\n",
                    [] { return FileList{{"dbimg1.dat", PictureBytes(9, 9, "png")}}; }, "logo.png", false, true},
        FailureCase{"DamagedPicture", "BannerPath1=logo.jpg\n",
                    [] { return FileList{{"dbimg1.dat", "no jpeg at all"}}; }, "dbimg1.dat", false, true},
        FailureCase{"PictureNotOfItsExtension", "BannerPath1=logo.jpg\n",
                    [] { return FileList{{"dbimg1.dat", PictureBytes(9, 9, "bmp")}}; }, "as jpeg", false, true},
        FailureCase{"DamagedGif", "BannerPath1=logo.gif\n", [] { return FileList{{"dbimg1.dat", "GIF89a cut"}}; },
                    "dbimg1.dat", false, true},
        FailureCase{"DamagedSkin", "BannerPath1=fine.bmp\n",
                    [] {
                        return FileList{{"dbimg1.dat", PictureBytes(9, 9, "bmp")},
                                        {"dbskin.dat", std::string("\3\0\0\0\5\0\0\0xxxxx", 13)}};
                    },
                    "dbskin.dat", true, false},
        FailureCase{"SkinShorterThanItsCount", "BannerPath1=fine.bmp\n",
                    [] {
                        return FileList{{"dbimg1.dat", PictureBytes(9, 9, "bmp")},
                                        {"dbskin.dat", PackSkin(TestSkin).substr(0, 20)}};
                    },
                    "dbskin.dat", true, false},
        FailureCase{"IconThatIsNoIcon", "BannerPath1=fine.bmp\nIconPath=studio.ico\n",
                    [] {
                        return FileList{{"dbimg1.dat", PictureBytes(9, 9, "bmp")},
                                        {"studio.ico", PictureBytes(16, 16, "png")}};
                    },
                    "studio.ico", true, true}),
    [](const testing::TestParamInfo<FailureCase>& info) { return info.param.Name; });

TEST_F(BrandedWindowTest, AllFailuresOfOneStartAreReportedTogether)
{
    Settings("BannerPath1=logo.emf\nIconPath=studio.ico\n");
    folder.WriteFile("dbimg1.dat", "metafile");
    folder.WriteFile("dbskin.dat", "\3\0\0\0");
    folder.WriteFile("studio.ico", "not an icon");
    draws.Picks = {0};
    Open();
    ASSERT_EQ(errors.size(), 1u);
    for (const char* part : {"logo.emf", "dbskin.dat", "studio.ico"})
        EXPECT_NE(errors[0].find(part), std::string::npos) << errors[0];
}

TEST_F(BrandedWindowTest, TheDesktopIsGivenTheAddressAsWritten)
{
    UrlRecorder browser;
    DesktopOpener desktop;
    Settings("Link1URL=http://link.example/search?q=golf+clubs&page=2#results\nLink1Name=Search\n");
    draws.Picks = {0};
    Open(&desktop);
    Click("btnHelp");
    Click("lblLink1URL");
    EXPECT_EQ(browser.Opened, (std::vector<QByteArray>{HelpPageAddress,
                                                       "http://link.example/search?q=golf+clubs&page=2#results"}));
}

// Addresses of the settings on their way from a click to the desktop: refused ones reach
// the error box and no program, and a desktop that opens nothing is said to have done so.
TEST_F(BrandedWindowTest, AddressesTheBrowserMayNotOpenAreReportedInsteadOfOpened)
{
    struct Case {
        const char* Settings;
        const char* Control;
        std::vector<std::string> Opened;
        const char* Reported; // the address the error box names; nullptr: no message
    };
    const Case cases[] = {
        {"Link1URL=www.example.com/offer\nLink1Name=Offer\n", "lblLink1URL", {"http://www.example.com/offer"}, nullptr},
        {"Link1URL=file:///etc/passwd\nLink1Name=Passwords\n", "lblLink1URL", {}, "file:///etc/passwd"},
        {"Link1URL=-x\nLink1Name=Option\n", "lblLink1URL", {}, "\"-x\""},
        {"BannerPath1=b.jpg\nBannerURL1=file:/etc/passwd\n", "imgBanner", {}, "file:/etc/passwd"},
        {"BannerPath1=b.jpg\nBannerURL1=www.example.com/banner\n", "imgBanner", {"http://www.example.com/banner"},
         nullptr},
    };
    folder.WriteFile("dbimg1.dat", PictureBytes(100, 50, "jpeg"));
    for (const Case& c : cases) {
        Settings(c.Settings);
        draws.Picks = {0};
        opener.Opened.clear();
        errors.clear();
        Open();
        Click(c.Control);
        QCoreApplication::processEvents(); // errors reach the box from the event loop
        EXPECT_EQ(opener.Opened, c.Opened) << c.Settings;
        if (!c.Reported) {
            EXPECT_TRUE(errors.empty()) << c.Settings << errors.front();
            continue;
        }
        ASSERT_EQ(errors.size(), 1u) << c.Settings;
        EXPECT_NE(errors[0].find(c.Reported), std::string::npos) << errors[0];
    }
}

TEST_F(BrandedWindowTest, ADesktopWithoutABrowserIsReportedWithTheAddress)
{
    opener.BrowserFound = false;
    Open();
    Click("btnHelp");
    QCoreApplication::processEvents();
    EXPECT_EQ(opener.Opened, (std::vector<std::string>{HelpPageAddress}));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find(std::string("\"") + HelpPageAddress + "\""), std::string::npos) << errors[0];

    // The desktop's own opener when nothing on this machine handles web addresses.
    errors.clear();
    DesktopOpener desktop;
    Open(&desktop);
    Click("btnHelp");
    QCoreApplication::processEvents();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find(HelpPageAddress), std::string::npos) << errors[0];
}

struct AddressCase {
    const char* Name;
    std::string Address;
    const char* Handed;
};

class BrowserUrlTest : public testing::TestWithParam<AddressCase> {};

TEST_P(BrowserUrlTest, KeepsTheBytesOfTheAddress)
{
    EXPECT_EQ(BrowserUrl(GetParam().Address).toEncoded(), QByteArray(GetParam().Handed));
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, BrowserUrlTest,
    testing::Values(
        AddressCase{"Plain", "http://www.example.com/", "http://www.example.com/"},
        AddressCase{"QueryAndFragment", "http://127.0.0.1:8301/s?q=golf+clubs&n=10#top",
                    "http://127.0.0.1:8301/s?q=golf+clubs&n=10#top"},
        AddressCase{"PercentEncodingsKept", "http://example.com/a%20b?x=%2F%3D%26%C3%A9",
                    "http://example.com/a%20b?x=%2F%3D%26%C3%A9"},
        AddressCase{"UserPortParameters", "http://user:pw@example.com:8080/p;x=1?a=[1]",
                    "http://user:pw@example.com:8080/p;x=1?a=[1]"},
        AddressCase{"AddressInTheQuery", "https://example.com/?u=http://a.example/c?d=e&f",
                    "https://example.com/?u=http://a.example/c?d=e&f"},
        AddressCase{"SubDelimiters", "http://example.com/it's(ok)*!$,", "http://example.com/it's(ok)*!$,"},
        AddressCase{"Space", "http://example.com/a b", "http://example.com/a%20b"},
        AddressCase{"Utf8Letter", "http://example.com/caf\xC3\xA9", "http://example.com/caf%C3%A9"},
        AddressCase{"Latin1LetterKeepsItsByte", "http://example.com/caf\xE9", "http://example.com/caf%E9"},
        AddressCase{"Quotes", "http://example.com/\"q\"", "http://example.com/%22q%22"},
        AddressCase{"LonePercent", "http://example.com/100%", "http://example.com/100%25"},
        AddressCase{"SchemeAndHostInTheirUsualCase", "HTTP://Example.COM/Path", "http://example.com/Path"}),
    [](const testing::TestParamInfo<AddressCase>& info) { return info.param.Name; });

// A link label alone, under skins with and without a colour for the hovered state.
class LinkLabelTest : public testing::Test {
protected:
    void TearDown() override { qApp->setStyleSheet(styleSheetBefore); }

    void Hover(bool over)
    {
        if (over) {
            QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
            QCoreApplication::sendEvent(&label, &enter);
        } else {
            QEvent leave(QEvent::Leave);
            QCoreApplication::sendEvent(&label, &leave);
        }
    }

    // Some row of the drawn label is one line of the text's colour across the caption.
    bool DrawnUnderlined()
    {
        const QImage drawn = label.grab().toImage();
        const QColor colour = label.TextColour();
        for (int y = 0; y < drawn.height(); ++y) {
            int inColour = 0;
            for (int x = 0; x < drawn.width(); ++x)
                inColour += drawn.pixelColor(x, y) == colour ? 1 : 0;
            if (inColour >= drawn.width() * 8 / 10)
                return true;
        }
        return false;
    }

    const QString styleSheetBefore = qApp->styleSheet();
    RecordingOpener opener;
    LinkLabel label{opener};
};

TEST_F(LinkLabelTest, IsUnderlinedAndTurnsBlueUnderTheMouseWhenTheSkinNamesNoColour)
{
    qApp->setStyleSheet("QLabel { color: #208020; font-size: 11pt; }");
    label.setText("Keyword tips");
    label.FitToText();
    EXPECT_EQ(label.TextColour(), QColor("#208020"));
    EXPECT_TRUE(DrawnUnderlined());
    Hover(true);
    EXPECT_EQ(label.TextColour(), QColor(Qt::blue));
    EXPECT_TRUE(DrawnUnderlined());
    Hover(false);
    EXPECT_EQ(label.TextColour(), QColor("#208020"));
}

TEST_F(LinkLabelTest, TakesTheSkinsColourUnderTheMouse)
{
    qApp->setStyleSheet("QLabel { color: #208020; } QLabel[link=\"true\"][hovered=\"true\"] { color: #c05000; }");
    label.setText("Keyword tips");
    label.FitToText();
    Hover(true);
    EXPECT_EQ(label.TextColour(), QColor("#c05000"));
    EXPECT_TRUE(DrawnUnderlined());
    // Entering again without leaving (as after a modal dialog over it) changes nothing.
    Hover(true);
    EXPECT_EQ(label.TextColour(), QColor("#c05000"));
}

TEST_F(LinkLabelTest, OpensItsAddressOnAClickInside)
{
    label.setText("Tips");
    label.SetURL("http://tips.example/");
    label.FitToText();
    label.show();
    QTest::mouseClick(&label, Qt::LeftButton);
    QTest::mouseClick(&label, Qt::RightButton);
    EXPECT_EQ(opener.Opened, (std::vector<std::string>{"http://tips.example/"}));
}

} // namespace
